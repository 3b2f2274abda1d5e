#include "servicetools/instsrv/Recovery.h"

namespace qeltor::service {
namespace {

constexpr DWORD kMinuteMs = 60 * 1000;
constexpr DWORD kDaySeconds = 24 * 60 * 60;

}  // namespace

Recovery DefaultRecovery() {
    Recovery recovery;
    recovery.resetPeriodSeconds = kDaySeconds;
    recovery.actions = {SC_ACTION{SC_ACTION_RESTART, 1 * kMinuteMs}, SC_ACTION{SC_ACTION_RESTART, 2 * kMinuteMs},
                        SC_ACTION{SC_ACTION_RESTART, 5 * kMinuteMs}};
    recovery.onNonCrashFailures = true;
    return recovery;
}

}  // namespace qeltor::service
