#pragma once

#include <windows.h>

#include <vector>

#include "servicetools/srvany/EndRequests.h"

namespace qeltor::service {

// What one stop has asked so far.
struct Asked {
    std::vector<DWORD> byWindow;   // asked by WM_CLOSE
    std::vector<DWORD> onConsole;  // asked by a Ctrl event on their console
};

// Asks those of the job's `processIds` not asked yet that it can reach now to end, the way each
// understands (see EndRequests.h), and adds them to `asked`. The others are for a later call: one
// that has run for less than a second (it may not have set up its handlers yet), one whose window
// or console is not there yet, one that shares its console with a process asked by WM_CLOSE until
// that one has gone or `insist` says half the grace period is over, and one with neither a window
// nor a console, which nothing reaches. Once `insist`, a process is asked however young (by
// `seen`), and so is a console with such processes on it. No console is visited once the tick
// count has reached `graceEnds`.
void AskToEnd(const std::vector<DWORD>& processIds, const FirstSeen& seen, bool insist, ULONGLONG graceEnds,
              Asked& asked);

}  // namespace qeltor::service
