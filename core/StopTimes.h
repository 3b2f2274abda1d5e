#pragma once

#include "core/SystemNumbers.h"

// How long srvany.exe's stop may take, and the preshutdown timeout instsrv.exe gives the service
// for it: at a shutdown of Windows the service manager waits only that long before it goes on
// stopping the services the application may still need while it saves.
namespace qeltor::service {

// What the processes of the application get, together, to end once asked.
inline constexpr Dword kGracePeriodMs = 10000;
// What the system gets to end those still running after the grace period.
inline constexpr Dword kTerminatePatienceMs = 5000;
// The whole stop with a margin for the host's own steps: reaching each console, reporting.
// Windows' own default has been 10 s since Windows 10 1703 (180 s before).
inline constexpr Dword kPreshutdownTimeoutMs = 20000;

static_assert(kPreshutdownTimeoutMs >= kGracePeriodMs + kTerminatePatienceMs,
              "a shutdown must wait for the whole stop of the service");

// The moments of one stop, as GetTickCount64 counts, from the tick of its request: the clock, not
// the steps taken, so that however long asking takes, the stop ends in time.
struct StopDeadlines {
    Qword insist = 0;     // half the grace period: a console waits no longer for a window
    Qword graceEnds = 0;  // nobody is asked after it; what is left is ended
    Qword stopEnds = 0;   // SERVICE_STOPPED at the latest
};

constexpr StopDeadlines DeadlinesFrom(Qword requested) {
    return {requested + kGracePeriodMs / 2, requested + kGracePeriodMs,
            requested + kGracePeriodMs + kTerminatePatienceMs};
}

// What is left of a wait until `deadline` at `now`: nothing once it has passed.
constexpr Dword TimeLeft(Qword now, Qword deadline) {
    return now < deadline ? static_cast<Dword>(deadline - now) : 0;
}

}  // namespace qeltor::service
