#include "servicetools/srvany/EventLog.h"

#include <windows.h>

namespace qeltor::service {

EventLog::EventLog(const std::wstring& source) : source_(::RegisterEventSourceW(nullptr, source.c_str())) {}

void EventLog::ReportError(const std::wstring& message) const {
    if (!source_) {
        return;  // nowhere to write to; the service's exit code still tells
    }
    constexpr DWORD kEventId = 1;
    const wchar_t* strings[] = {message.c_str()};
    ::ReportEventW(source_.get(), EVENTLOG_ERROR_TYPE, 0, kEventId, nullptr, 1, 0, strings, nullptr);
}

}  // namespace qeltor::service
