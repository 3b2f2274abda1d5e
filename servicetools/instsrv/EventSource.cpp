#include "servicetools/instsrv/EventSource.h"

#include <windows.h>

#include "core/Paths.h"
#include "core/Registration.h"
#include "servicetools/common/Console.h"
#include "win32/ErrorText.h"
#include "win32/Handles.h"
#include "win32/Narrow.h"
#include "win32/ProgramPath.h"
#include "win32/RegistryKey.h"

namespace qeltor::service {
namespace {

constexpr DWORD kAllEventTypes = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
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

}  // namespace

void RegisterServiceEventSource(const std::wstring& name) {
    const std::wstring messageFile = UpToLastBackslash(win32::ProgramPath()) + L"srvany.exe";
    constexpr wchar_t kWithout[] = L" Event Viewer shows the service's events without their descriptions.";
    if (!IsFile(messageFile)) {
        PrintErrorLine(L"There is no " + messageFile + L" to register as the file of the service's event texts." +
                       kWithout);
        return;
    }
    const DWORD status = WriteSource(name, messageFile);
    if (status != ERROR_SUCCESS) {
        PrintErrorLine(L"Cannot register the service as an event source: " + win32::ErrorText(status) + L"." +
                       kWithout);
    }
}

void RemoveServiceEventSource(const std::wstring& name) {
    const auto status =
        static_cast<DWORD>(::RegDeleteTreeW(HKEY_LOCAL_MACHINE, registration::EventSourceKey(name).c_str()));
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        PrintErrorLine(L"Cannot delete HKLM\\" + registration::EventSourceKey(name) + L": " + win32::ErrorText(status));
    }
}

}  // namespace qeltor::service
