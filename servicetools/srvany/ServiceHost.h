#pragma once

#include <windows.h>

namespace qeltor::service {

// The service's entry point, for the dispatcher's table: runs the configured application until
// it ends or the service is stopped.
void WINAPI HostServiceMain(DWORD argc, wchar_t** argv);

}  // namespace qeltor::service
