#include "servicetools/instsrv/Recovery.h"

namespace qeltor::service {
namespace {

constexpr Dword kMinuteMs = 60 * 1000;
constexpr Dword kDaySeconds = 24 * 60 * 60;

}  // namespace

Recovery DefaultRecovery() {
    Recovery recovery;
    recovery.resetPeriodSeconds = kDaySeconds;
    recovery.restartDelaysMs = {1 * kMinuteMs, 2 * kMinuteMs, 5 * kMinuteMs};
    recovery.onNonCrashFailures = true;
    return recovery;
}

}  // namespace qeltor::service
