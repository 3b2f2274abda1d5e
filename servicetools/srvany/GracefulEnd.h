#pragma once

#include <windows.h>

#include <vector>

namespace qeltor::service {

// Asks the application to end the way a user would: WM_CLOSE to the top-level windows of the
// given processes, and a Ctrl+Break to the console of `consoleProcessId`.
void AskToEnd(const std::vector<DWORD>& processIds, DWORD consoleProcessId);

}  // namespace qeltor::service
