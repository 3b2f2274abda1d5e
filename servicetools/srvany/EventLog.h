#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "win32/Handles.h"

namespace qeltor::service {

// The Application event log, with the service's name as the source. Each kind of event has its
// own ID in srvany.exe's message table (EventMessages.mc); what varies goes in as inserts.
class EventLog {
public:
    explicit EventLog(const std::wstring& source);

    void ApplicationStarted(const std::wstring& application, DWORD processId, const std::wstring& folder) const;
    void ApplicationEnded(const std::wstring& application, DWORD exitCode, ULONGLONG ranMs) const;
    void ApplicationNotStarted(const std::wstring& reason) const;
    void StopEndedProcesses(const std::wstring& application, DWORD processes, DWORD graceSeconds) const;

private:
    void Report(WORD type, DWORD eventId, std::initializer_list<std::wstring> inserts) const;

    win32::UniqueEventSource source_;
};

}  // namespace qeltor::service
