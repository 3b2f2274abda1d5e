#include "servicetools/srvany/ServiceHost.h"

#include <algorithm>
#include <string>
#include <variant>
#include <vector>

#include "core/StopTimes.h"
#include "servicetools/srvany/EventLog.h"
#include "servicetools/srvany/GracefulEnd.h"
#include "servicetools/srvany/JobProcess.h"
#include "servicetools/srvany/LaunchPlan.h"
#include "servicetools/srvany/MessageText.h"
#include "servicetools/srvany/ParameterReader.h"
#include "servicetools/srvany/StatusReporter.h"
#include "win32/Handles.h"

namespace qeltor::service {
namespace {

constexpr DWORD kGraceStepMs = 250;
// How often the host notes the job's processes while the application runs, so that a process is
// known by its first second's end, however the wall clock is set meanwhile.
constexpr DWORD kWatchStepMs = 500;

// Set by the control handler, on the dispatcher's thread, when the service is to stop.
struct StopSignal {
    win32::UniqueHandle event{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    DWORD creationError = event ? ERROR_SUCCESS : ::GetLastError();
    // The tick of the first request, written before the event is set and read once it is.
    ULONGLONG requested = 0;
};

DWORD WINAPI HandleControl(DWORD control, DWORD /*eventType*/, void* /*eventData*/, void* context) {
    switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
        case SERVICE_CONTROL_PRESHUTDOWN: {
            auto& stop = *static_cast<StopSignal*>(context);
            if (::WaitForSingleObject(stop.event.get(), 0) == WAIT_TIMEOUT) {
                stop.requested = ::GetTickCount64();
            }
            ::SetEvent(stop.event.get());
            return NO_ERROR;
        }
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

// Asks every process of the job to end, once each, those that join it meanwhile too, and gives
// them, together, the grace period from `requested` by the clock, in steps so that the service
// manager sees the stop progress. Halfway through, a console waits no longer for a process asked by
// its window. Returns how many were still running when it was over and had to be ended, by the
// end of the stop at the latest.
DWORD EndApplication(const JobProcess& application, ULONGLONG requested, FirstSeen& seen, StatusReporter& status) {
    const StopDeadlines deadlines = DeadlinesFrom(requested);
    Asked asked;
    for (ULONGLONG now = ::GetTickCount64(); now < deadlines.graceEnds && application.ActiveCount() != 0;
         now = ::GetTickCount64()) {
        status.StopPending(TimeLeft(now, deadlines.stopEnds));
        const std::vector<DWORD> processes = application.ProcessIds();
        seen.Note(processes, now);
        AskToEnd(processes, seen, now >= deadlines.insist, deadlines.graceEnds, asked);
        ::Sleep(std::min(kGraceStepMs, TimeLeft(::GetTickCount64(), deadlines.graceEnds)));
    }
    const DWORD left = application.ActiveCount() != 0 ? application.ApplicationProcessCount() : 0;
    const DWORD patience = TimeLeft(::GetTickCount64(), deadlines.stopEnds);
    status.StopPending(patience);
    application.TerminateAll(patience);
    return left;
}

ServiceExit Supervise(const JobProcess& application, const StopSignal& stop, StatusReporter& status,
                      const EventLog& log) {
    const ULONGLONG started = ::GetTickCount64();
    const HANDLE waits[] = {application.Process(), stop.event.get()};
    FirstSeen seen;
    DWORD woken = WAIT_TIMEOUT;
    while (woken == WAIT_TIMEOUT) {
        seen.Note(application.ProcessIds(), ::GetTickCount64());
        woken = ::WaitForMultipleObjects(2, waits, FALSE, kWatchStepMs);
    }
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
    const bool requested = woken == WAIT_OBJECT_0 + 1;
    const DWORD ended = EndApplication(application, requested ? stop.requested : ::GetTickCount64(), seen, status);
    if (ended != 0) {
        log.StopEndedProcesses(application.Plan().application, ended, kGracePeriodMs / 1000);
    }
    // A wait that failed is no request to stop: the service fails, and its recovery applies.
    return requested ? ServiceExit{} : ServiceExit{waitError, 0};
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
        log.ApplicationNotStarted(MessageText(Reason::NoStopEvent, {SystemReason(stop.creationError)}));
        status.Stopped(ServiceExit{stop.creationError, 0});
        return;
    }
    status.StartPending();
    auto started = StartApplication(name);
    if (auto* failure = std::get_if<HostFailure>(&started)) {
        log.ApplicationNotStarted(MessageText(failure->reason, failure->inserts));
        status.Stopped(ServiceExit{failure->error, 0});
        return;
    }
    // Only now is there something running to speak of.
    status.Running();
    const auto& application = std::get<JobProcess>(started);
    log.ApplicationStarted(application.Plan().application, application.ProcessId(), application.Plan().directory);
    status.Stopped(Supervise(application, stop, status, log));
}

}  // namespace qeltor::service
