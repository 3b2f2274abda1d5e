#include "servicetools/srvany/StatusReporter.h"

namespace qeltor::service {
namespace {

constexpr DWORD kStartHintMs = 5000;

}  // namespace

void StatusReporter::StartPending() {
    Report(SERVICE_START_PENDING, kStartHintMs);
}

void StatusReporter::Running() {
    Report(SERVICE_RUNNING, 0);
}

void StatusReporter::StopPending(DWORD waitHintMs) {
    Report(SERVICE_STOP_PENDING, waitHintMs);
}

void StatusReporter::Stopped(ServiceExit exit) {
    Report(SERVICE_STOPPED, 0, exit);
}

void StatusReporter::Report(DWORD state, DWORD waitHintMs, ServiceExit exit) {
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_PRESHUTDOWN : 0;
    status.dwWin32ExitCode = exit.win32ExitCode;
    status.dwServiceSpecificExitCode = exit.serviceSpecificExitCode;
    status.dwCheckPoint = pending ? ++checkpoint_ : 0;
    status.dwWaitHint = waitHintMs;
    if (!pending) {
        checkpoint_ = 0;
    }
    ::SetServiceStatus(handle_, &status);
}

}  // namespace qeltor::service
