#pragma once

#include <windows.h>

// How long srvany.exe's stop may take, and the preshutdown timeout instsrv.exe gives the service
// for it: at a shutdown of Windows the service manager waits only that long before it goes on
// stopping the services the application may still need while it saves.
namespace qeltor::service {

// What the processes of the application get, together, to end once asked.
inline constexpr DWORD kGracePeriodMs = 10000;
// What the system gets to end those still running after the grace period.
inline constexpr DWORD kTerminatePatienceMs = 5000;
// The whole stop with a margin for the host's own steps: reaching each console, reporting.
// Windows' own default has been 10 s since Windows 10 1703 (180 s before).
inline constexpr DWORD kPreshutdownTimeoutMs = 20000;

static_assert(kPreshutdownTimeoutMs >= kGracePeriodMs + kTerminatePatienceMs,
              "a shutdown must wait for the whole stop of the service");

}  // namespace qeltor::service
