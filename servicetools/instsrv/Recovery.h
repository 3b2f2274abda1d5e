#pragma once

#include <array>

#include "core/SystemNumbers.h"

// What the service manager is to do when the service fails: a monitoring server is only useful
// while it runs, so it is restarted.
namespace qeltor::service {

struct Recovery {
    // The failure count goes back to 0 after this long without a failure.
    Dword resetPeriodSeconds = 0;
    // A restart after each failure in a row, this long after it; the last one repeats for every
    // failure after it.
    std::array<Dword, 3> restartDelaysMs{};
    // A stop with a non-zero exit code counts as a failure, not only a crash of the service.
    bool onNonCrashFailures = false;
};

// Restart after 1 minute, again after 2 minutes, then every 5 minutes; reset after a day.
Recovery DefaultRecovery();

}  // namespace qeltor::service
