#pragma once

#include <windows.h>

#include <vector>

namespace qeltor::service {

// Asks those of `processIds` it can reach now to end, the way each understands (see
// EndRequests.h), and returns the ones it asked. The others are for a later call: one whose
// window is not there yet, or one that shares its console with a process just asked by WM_CLOSE.
// `applicationId` is the application's own process, which leads the process group it started.
std::vector<DWORD> AskToEnd(const std::vector<DWORD>& processIds, DWORD applicationId);

}  // namespace qeltor::service
