#pragma once

#include <windows.h>

#include <array>

// What the service manager is to do when the service fails: a monitoring server is only useful
// while it runs, so it is restarted.
namespace qeltor::service {

struct Recovery {
    // The failure count goes back to 0 after this long without a failure.
    DWORD resetPeriodSeconds = 0;
    // One action per failure in a row; the last one repeats for every failure after it.
    std::array<SC_ACTION, 3> actions{};
    // A stop with a non-zero exit code counts as a failure, not only a crash of the service.
    bool onNonCrashFailures = false;
};

// Restart after 1 minute, again after 2 minutes, then every 5 minutes; reset after a day.
Recovery DefaultRecovery();

}  // namespace qeltor::service
