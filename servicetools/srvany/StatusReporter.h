#pragma once

#include <windows.h>

#include "servicetools/srvany/LaunchPlan.h"

namespace qeltor::service {

// Tells the service manager where the service stands, with checkpoints that count up while a
// start or a stop is pending.
class StatusReporter {
public:
    explicit StatusReporter(SERVICE_STATUS_HANDLE handle) : handle_(handle) {}

    void StartPending();
    void Running();
    void StopPending(DWORD waitHintMs);
    void Stopped(ServiceExit exit);

private:
    void Report(DWORD state, DWORD waitHintMs, ServiceExit exit = {});

    SERVICE_STATUS_HANDLE handle_;
    DWORD checkpoint_ = 0;
};

}  // namespace qeltor::service
