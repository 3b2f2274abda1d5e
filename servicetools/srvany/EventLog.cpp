#include "servicetools/srvany/EventLog.h"

#include <vector>

#include "EventMessages.h"
#include "core/Decimal.h"
#include "servicetools/srvany/EventText.h"

namespace qeltor::service {

EventLog::EventLog(const std::wstring& source) : source_(::RegisterEventSourceW(nullptr, source.c_str())) {}

void EventLog::ApplicationStarted(const std::wstring& application, DWORD processId, const std::wstring& folder) const {
    Report(EVENTLOG_INFORMATION_TYPE, MSG_APPLICATION_STARTED, {application, DecimalText(processId), folder});
}

void EventLog::ApplicationEnded(const std::wstring& application, DWORD exitCode, ULONGLONG ranMs) const {
    Report(EVENTLOG_ERROR_TYPE, MSG_APPLICATION_ENDED, {application, ExitCodeText(exitCode), DurationText(ranMs)});
}

void EventLog::ApplicationNotStarted(const std::wstring& reason) const {
    Report(EVENTLOG_ERROR_TYPE, MSG_APPLICATION_NOT_STARTED, {reason});
}

void EventLog::StopEndedProcesses(const std::wstring& application, DWORD processes, DWORD graceSeconds) const {
    Report(EVENTLOG_WARNING_TYPE, MSG_STOP_ENDED_PROCESSES,
           {application, DecimalText(processes), DecimalText(graceSeconds)});
}

void EventLog::Report(WORD type, DWORD eventId, std::initializer_list<std::wstring> inserts) const {
    if (!source_) {
        return;  // nowhere to write to; the service's exit code still tells
    }
    std::vector<const wchar_t*> strings;
    for (const std::wstring& insert : inserts) {
        strings.push_back(insert.c_str());
    }
    ::ReportEventW(source_.get(), type, 0, eventId, nullptr, static_cast<WORD>(strings.size()), 0, strings.data(),
                   nullptr);
}

}  // namespace qeltor::service
