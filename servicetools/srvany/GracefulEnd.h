#pragma once

#include <windows.h>

#include <vector>

namespace qeltor::service {

// What one stop has asked so far.
struct Asked {
    std::vector<DWORD> processes;  // every process asked, either way
    std::vector<DWORD> byWindow;   // those among them asked by WM_CLOSE
};

// Asks those of the job's `processIds` not asked yet that it can reach now to end, the way each
// understands (see EndRequests.h), and adds them to `asked`. The others are for a later call: one
// whose window or console is not there yet, or one that shares its console with a process asked
// by WM_CLOSE, until that one has gone or `insist` says half the grace period is over.
// `applicationId` is the application's own process, which leads the process group it started.
void AskToEnd(const std::vector<DWORD>& processIds, DWORD applicationId, bool insist, Asked& asked);

}  // namespace qeltor::service
