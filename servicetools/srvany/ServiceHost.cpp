#include "servicetools/srvany/ServiceHost.h"

#include <string>
#include <variant>

#include "servicetools/common/StopTimes.h"
#include "servicetools/srvany/EventLog.h"
#include "servicetools/srvany/GracefulEnd.h"
#include "servicetools/srvany/JobProcess.h"
#include "servicetools/srvany/LaunchPlan.h"
#include "servicetools/srvany/ParameterReader.h"
#include "servicetools/srvany/StatusReporter.h"
#include "win32/ErrorText.h"
#include "win32/Handles.h"

namespace qeltor::service {
namespace {

constexpr DWORD kGraceStepMs = 250;
// A program stopped right after its start may not have set up its handlers yet: the first
// requests wait until it has run this long, within the grace period.
constexpr ULONGLONG kSettleMs = 1000;

// Set by the control handler, on the dispatcher's thread, when the service is to stop.
struct StopSignal {
    win32::UniqueHandle event{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    DWORD creationError = event ? ERROR_SUCCESS : ::GetLastError();
};

DWORD WINAPI HandleControl(DWORD control, DWORD /*eventType*/, void* /*eventData*/, void* context) {
    switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
        case SERVICE_CONTROL_PRESHUTDOWN:
            ::SetEvent(static_cast<StopSignal*>(context)->event.get());
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE:
            return NO_ERROR;
        default:
            return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

std::variant<JobProcess, HostFailure> StartApplication(const std::wstring& serviceName) {
    auto parameters = ReadHostParameters(serviceName);
    if (auto* failure = std::get_if<HostFailure>(&parameters)) {
        return *failure;
    }
    auto plan = MakeLaunchPlan(std::get<HostParameters>(parameters));
    if (auto* failure = std::get_if<HostFailure>(&plan)) {
        return *failure;
    }
    return JobProcess::Start(std::get<LaunchPlan>(plan));
}

// Asks every process of the job to end, once each, and gives them, together, the grace period,
// in steps so that the service manager sees the stop progress. Halfway through, a console waits
// no longer for a process asked by its window. Returns how many were still running when it was
// over and had to be ended. `ranMs`: how long the application had run when the stop came.
DWORD EndApplication(const JobProcess& application, ULONGLONG ranMs, StatusReporter& status) {
    status.StopPending(kGracePeriodMs + kTerminatePatienceMs);
    Asked asked;
    for (DWORD waited = 0; waited < kGracePeriodMs && application.ActiveCount() != 0; waited += kGraceStepMs) {
        if (ranMs + waited >= kSettleMs) {
            AskToEnd(application.ProcessIds(), application.ProcessId(), waited >= kGracePeriodMs / 2, asked);
        }
        ::Sleep(kGraceStepMs);
        status.StopPending(kGracePeriodMs - waited + kTerminatePatienceMs);
    }
    const DWORD left = application.ActiveCount();
    status.StopPending(kTerminatePatienceMs);
    application.TerminateAll(kTerminatePatienceMs);
    return left;
}

ServiceExit Supervise(const JobProcess& application, HANDLE stop, StatusReporter& status, const EventLog& log) {
    const ULONGLONG started = ::GetTickCount64();
    const HANDLE waits[] = {application.Process(), stop};
    const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    const DWORD waitError = woken == WAIT_FAILED ? ::GetLastError() : ERROR_SUCCESS;
    if (woken == WAIT_OBJECT_0) {
        const DWORD code = application.ExitCode();
        log.ApplicationEnded(application.Plan().application, code, ::GetTickCount64() - started);
        // Whatever the application started and left behind goes with it.
        status.StopPending(kTerminatePatienceMs);
        application.TerminateAll(kTerminatePatienceMs);
        return ExitForApplication(code);
    }
    // Asked to stop, the service stops cleanly even when something had to be ended, so that its
    // recovery actions do not restart it.
    const DWORD ended = EndApplication(application, ::GetTickCount64() - started, status);
    if (ended != 0) {
        log.StopEndedProcesses(application.Plan().application, ended, kGracePeriodMs / 1000);
    }
    // A wait that failed is no request to stop: the service fails, and its recovery applies.
    return woken == WAIT_OBJECT_0 + 1 ? ServiceExit{} : ServiceExit{waitError, 0};
}

}  // namespace

void WINAPI HostServiceMain(DWORD argc, wchar_t** argv) {
    const std::wstring name = argc > 0 && argv[0] != nullptr ? argv[0] : L"";
    StopSignal stop;
    SERVICE_STATUS_HANDLE handle = ::RegisterServiceCtrlHandlerExW(name.c_str(), HandleControl, &stop);
    if (handle == nullptr) {
        return;
    }
    StatusReporter status(handle);
    const EventLog log(name);
    if (!stop.event) {
        log.ApplicationNotStarted(L"The service cannot create the event that tells it to stop: " +
                                  win32::ErrorText(stop.creationError));
        status.Stopped(ServiceExit{stop.creationError, 0});
        return;
    }
    status.StartPending();
    auto started = StartApplication(name);
    if (auto* failure = std::get_if<HostFailure>(&started)) {
        log.ApplicationNotStarted(failure->message);
        status.Stopped(ServiceExit{failure->error, 0});
        return;
    }
    // Only now is there something running to speak of.
    status.Running();
    const auto& application = std::get<JobProcess>(started);
    log.ApplicationStarted(application.Plan().application, application.ProcessId(), application.Plan().directory);
    status.Stopped(Supervise(application, stop.event.get(), status, log));
}

}  // namespace qeltor::service
