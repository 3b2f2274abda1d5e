#include "servicetools/instsrv/EventSource.h"

#include <windows.h>

#include "core/CommandLine.h"
#include "core/Paths.h"
#include "core/Registration.h"
#include "servicetools/common/Console.h"
#include "servicetools/instsrv/Messages.h"
#include "servicetools/instsrv/SystemReason.h"
#include "win32/Environment.h"
#include "win32/Handles.h"
#include "win32/Narrow.h"
#include "win32/ProgramPath.h"
#include "win32/RegistryKey.h"
#include "win32/RegistryText.h"

namespace qeltor::service {
namespace {

constexpr DWORD kAllEventTypes = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The message file the source `name` names, its variables expanded: ERROR_SUCCESS with the file,
// ERROR_FILE_NOT_FOUND when there is no such source, or why it cannot be read. A source without
// a message file names "".
DWORD MessageFileOf(const std::wstring& name, std::wstring& file) {
    win32::UniqueRegKey key;
    DWORD status = win32::OpenRegistryKey(HKEY_LOCAL_MACHINE, registration::EventSourceKey(name), KEY_QUERY_VALUE, key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    std::wstring stored;
    DWORD type = 0;
    status = win32::ReadRegistryText(key.get(), L"EventMessageFile", {REG_SZ, REG_EXPAND_SZ}, stored, type);
    if (status == ERROR_FILE_NOT_FOUND) {
        file.clear();
        return ERROR_SUCCESS;
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    // One that cannot be expanded within MAX_PATH characters is taken as stored.
    std::wstring expanded;
    const bool fits = win32::ExpandEnvironment(stored, expanded) == ERROR_SUCCESS && expanded.size() < MAX_PATH;
    file = fits ? expanded : stored;
    return ERROR_SUCCESS;
}

DWORD WriteSource(const std::wstring& name, const std::wstring& messageFile) {
    win32::UniqueRegKey key;
    DWORD status = win32::CreateRegistryKey(HKEY_LOCAL_MACHINE, registration::EventSourceKey(name), KEY_SET_VALUE, key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const DWORD bytes = win32::DwordOf((messageFile.size() + 1) * sizeof(wchar_t));
    status = static_cast<DWORD>(::RegSetValueExW(key.get(), L"EventMessageFile", 0, REG_EXPAND_SZ,
                                                 reinterpret_cast<const BYTE*>(messageFile.c_str()), bytes));
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const DWORD types = kAllEventTypes;
    return static_cast<DWORD>(::RegSetValueExW(key.get(), L"TypesSupported", 0, REG_DWORD,
                                               reinterpret_cast<const BYTE*>(&types), sizeof(types)));
}

// The file of event texts this instsrv.exe registers: the srvany.exe beside it.
std::wstring OurMessageFile() {
    return UpToLastBackslash(win32::ProgramPath()) + L"srvany.exe";
}

}  // namespace

bool ServiceEventSourceIsCurrent(const std::wstring& name) {
    std::wstring existing;
    return MessageFileOf(name, existing) == ERROR_SUCCESS && SamePath(existing, OurMessageFile());
}

void RegisterServiceEventSource(const std::wstring& name, const std::wstring& file) {
    const std::wstring messageFile = file.empty() ? OurMessageFile() : file;
    if (!IsFile(messageFile)) {
        PrintErrorLine(messages::Render(messages::Id::NoMessageFile, {messageFile}));
        return;
    }
    std::wstring existing;
    DWORD status = MessageFileOf(name, existing);
    if (status == ERROR_SUCCESS && !SamePath(existing, messageFile)) {
        PrintErrorLine(messages::Render(messages::Id::AnotherProgramsSource, {name, existing}));
        return;
    }
    status = status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? WriteSource(name, messageFile) : status;
    if (status != ERROR_SUCCESS) {
        PrintErrorLine(messages::Render(messages::Id::SourceNotRegistered, {SystemReason(status)}));
    }
}

void RemoveServiceEventSource(const std::wstring& name, const std::wstring& program) {
    std::wstring existing;
    if (MessageFileOf(name, existing) != ERROR_SUCCESS ||
        (!SamePath(existing, program) && !SamePath(existing, OurMessageFile()))) {
        return;
    }
    const auto status =
        static_cast<DWORD>(::RegDeleteTreeW(HKEY_LOCAL_MACHINE, registration::EventSourceKey(name).c_str()));
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        PrintErrorLine(messages::Render(messages::Id::SourceNotDeleted,
                                        {registration::EventSourceKey(name), SystemReason(status)}));
    }
}

}  // namespace qeltor::service
