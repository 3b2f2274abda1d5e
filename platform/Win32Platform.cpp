#include "platform/Win32Platform.h"

#include "platform/AnsiCodePage.h"
#include "win32/ErrorText.h"
#include "win32/Handles.h"
#include "win32/ReadAccessRights.h"
#include "win32/RegistryText.h"

#include <algorithm>
#include <vector>

namespace qeltor {

// The installer's copies of Windows' values, checked against the headers.
static_assert(kMsgBoxCritical == MB_ICONERROR && kMsgBoxInformation == MB_ICONINFORMATION);
static_assert(kShellNormalNoFocus == SW_SHOWNOACTIVATE);
static_assert(kRegSz == REG_SZ);
static_assert(kOsFileNotFound == ERROR_FILE_NOT_FOUND && kOsBadExeFormat == ERROR_BAD_EXE_FORMAT &&
              kOsServiceDoesNotExist == ERROR_SERVICE_DOES_NOT_EXIST);
static_assert(kServiceAutoStart == SERVICE_AUTO_START && kServiceDemandStart == SERVICE_DEMAND_START &&
              kServiceDisabled == SERVICE_DISABLED);

namespace {

constexpr wchar_t kApplicationTitle[] = L"QeltorService";
// Where the runtime's per-user settings live; the companion server stores its path there.
constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings\\";

std::wstring ModuleFileName() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return {buffer.data(), length};
        }
        buffer.resize(buffer.size() * 2);  // truncated: a long path
    }
}

std::wstring NamePart(const std::wstring& path) {
    const auto separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

// The program a command line names: its first token, quoted or not. Handing it to
// CreateProcessW by itself means the program is taken from exactly that path, never searched for.
std::wstring ProgramOf(const std::wstring& commandLine) {
    if (commandLine.starts_with(L'"')) {
        return commandLine.substr(1, commandLine.find(L'"', 1) - 1);
    }
    return commandLine.substr(0, commandLine.find(L' '));
}

HKEY ToHkey(RegKey key) {
    // The predefined root is sign-extended in HKEY_LOCAL_MACHINE; spell it as Windows does.
    return key == kHkeyLocalMachine ? HKEY_LOCAL_MACHINE : reinterpret_cast<HKEY>(key);
}

}  // namespace

std::wstring Win32Platform::AppPath() {
    const std::wstring file = ModuleFileName();
    return file.substr(0, file.size() - NamePart(file).size());
}

std::wstring Win32Platform::rtcDir(const std::wstring& path) {
    // An exact probe: no pattern matching, and only plain files count.
    if (path.empty() || path.find_first_of(L"*?") != std::wstring::npos) {
        return {};
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kNotPlain) != 0) {
        return {};
    }
    return NamePart(path);
}

std::wstring Win32Platform::rtcGetSetting(const std::wstring& application, const std::wstring& section,
                                          const std::wstring& key, const std::wstring& fallback) {
    const std::wstring path = kSettingsRoot + application + L"\\" + section;
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return fallback;
    }
    const win32::UniqueRegKey owner(opened);
    std::wstring text;
    DWORD type = 0;
    return win32::ReadRegistryText(opened, key.c_str(), {REG_SZ}, text, type) == ERROR_SUCCESS ? text : fallback;
}

OsStatus Win32Platform::rtcShell(const std::wstring& commandLine, unsigned windowStyle) {
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION started{};
    const std::wstring program = ProgramOf(commandLine);
    if (::CreateProcessW(program.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &started) == FALSE) {
        return ::GetLastError();
    }
    started_.reset(started.hProcess);
    const win32::UniqueHandle thread(started.hThread);
    return kOsSuccess;
}

std::optional<std::uint32_t> Win32Platform::WaitForStartedProgram(std::uint32_t timeoutMs) {
    DWORD exitCode = 0;
    if (!started_ || ::WaitForSingleObject(started_.get(), timeoutMs) != WAIT_OBJECT_0 ||
        ::GetExitCodeProcess(started_.get(), &exitCode) == FALSE) {
        return std::nullopt;
    }
    started_.reset();
    return exitCode;
}

OsStatus Win32Platform::QueryService(const std::wstring& serviceName, ServiceConfig& config) {
    const win32::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        return ::GetLastError();
    }
    const win32::UniqueServiceHandle service(::OpenServiceW(manager.get(), serviceName.c_str(), SERVICE_QUERY_CONFIG));
    if (!service) {
        return ::GetLastError();
    }
    DWORD needed = 0;
    ::QueryServiceConfigW(service.get(), nullptr, 0, &needed);
    std::vector<BYTE> buffer(std::max<DWORD>(needed, sizeof(QUERY_SERVICE_CONFIGW)));
    auto* queried = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (::QueryServiceConfigW(service.get(), queried, static_cast<DWORD>(buffer.size()), &needed) == FALSE) {
        return ::GetLastError();
    }
    config.programPath = queried->lpBinaryPathName != nullptr ? queried->lpBinaryPathName : L"";
    config.startType = queried->dwStartType;
    return kOsSuccess;
}

OsStatus Win32Platform::RemoveService(const std::wstring& serviceName) {
    const win32::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        return ::GetLastError();
    }
    const win32::UniqueServiceHandle service(::OpenServiceW(manager.get(), serviceName.c_str(), DELETE));
    if (!service || ::DeleteService(service.get()) == FALSE) {
        return ::GetLastError();
    }
    return kOsSuccess;
}

OsStatus Win32Platform::CheckWindowsProgram(const std::wstring& path) {
    DWORD type = 0;
    if (::GetBinaryTypeW(path.c_str(), &type) == FALSE) {
        const DWORD error = ::GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_BAD_EXE_FORMAT;
    }
    // DOS and 16-bit programs are binaries too, but no service can run them.
    return type == SCS_32BIT_BINARY || type == SCS_64BIT_BINARY ? kOsSuccess : ERROR_BAD_EXE_FORMAT;
}

void Win32Platform::rtcMsgBox(const std::wstring& text, unsigned style) {
    ::MessageBoxW(owner_, text.c_str(), kApplicationTitle, style);
}

void Win32Platform::EndProgram(int exitCode) {
    ::ExitProcess(static_cast<UINT>(exitCode));
}

void Win32Platform::Unload() {
    if (unload_) {
        unload_();
    }
}

std::optional<std::string> Win32Platform::ToAnsiCodePage(const std::wstring& text) {
    return ToExactAnsi(text);
}

std::wstring Win32Platform::ErrorText(OsStatus status) {
    return win32::ErrorText(status);
}

OsStatus Win32Platform::RegCreateKeyA(RegKey root, const std::string& subKey, RegKey& result) {
    HKEY created = nullptr;
    const LSTATUS status = ::RegCreateKeyA(ToHkey(root), subKey.c_str(), &created);
    result = reinterpret_cast<RegKey>(created);
    return static_cast<OsStatus>(status);
}

OsStatus Win32Platform::RegSetValueExA(RegKey key, const std::string& valueName, std::uint32_t reserved,
                                       std::uint32_t type, const std::string& data, std::uint32_t byteCount) {
    return static_cast<OsStatus>(::RegSetValueExA(ToHkey(key), valueName.c_str(), reserved, type,
                                                  reinterpret_cast<const BYTE*>(data.c_str()), byteCount));
}

OsStatus Win32Platform::RegCloseKey(RegKey key) {
    return static_cast<OsStatus>(::RegCloseKey(ToHkey(key)));
}

OsStatus Win32Platform::DeleteRegistryKey(RegKey root, const std::wstring& subKey, KeyDeletion how) {
    HKEY opened = nullptr;
    LSTATUS status = ::RegOpenKeyExW(ToHkey(root), subKey.c_str(), 0, KEY_QUERY_VALUE, &opened);
    if (status != ERROR_SUCCESS) {
        return static_cast<OsStatus>(status);
    }
    const win32::UniqueRegKey key(opened);
    DWORD subkeys = 0;
    DWORD values = 0;
    status = ::RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        return static_cast<OsStatus>(status);
    }
    if (subkeys != 0 || (how == KeyDeletion::OnlyIfEmpty && values != 0)) {
        return ERROR_DIR_NOT_EMPTY;
    }
    return static_cast<OsStatus>(::RegDeleteKeyW(ToHkey(root), subKey.c_str()));
}

OsStatus Win32Platform::ReadAccessRights(const std::wstring& path, const std::vector<std::wstring>& sids,
                                         AccessRights& rights) {
    return win32::ReadAccessRights(path, sids, rights);
}

}  // namespace qeltor
