#include "ServiceDriver.h"

#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "win32/Handles.h"

namespace qeltor::service_test {
namespace {

using win32::UniqueHandle;
using win32::UniqueServiceHandle;

constexpr DWORD kPollMs = 50;
constexpr DWORD kNotRun = ~DWORD{0};

// One connection for the whole run, so that GetLastError after OpenServiceW stays its own.
SC_HANDLE Manager() {
    static const UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    return manager.get();
}

UniqueServiceHandle OpenNamed(const std::wstring& service, DWORD access) {
    return UniqueServiceHandle(::OpenServiceW(Manager(), service.c_str(), access));
}

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char chunk[512];
    DWORD read = 0;
    while (::ReadFile(pipe, chunk, sizeof(chunk), &read, nullptr) != FALSE && read > 0) {
        text.append(chunk, read);
    }
    return text;
}

}  // namespace

std::wstring WindowsPath(const std::wstring& unixPath) {
    std::wstring path = unixPath;
    if (!path.empty() && path.front() == L'/') {
        path.insert(0, L"Z:");
    }
    for (wchar_t& c : path) {
        c = c == L'/' ? L'\\' : c;
    }
    return path;
}

ToolRun RunTool(const std::filesystem::path& program, const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (::CreatePipe(&readEnd, &writeEnd, &inherit, 0) == FALSE) {
        return {kNotRun, "no pipe"};
    }
    const UniqueHandle reader(readEnd);
    UniqueHandle writer(writeEnd);
    ::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writer.get();
    startup.hStdError = writer.get();
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
    PROCESS_INFORMATION started{};
    if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                         nullptr, &startup, &started) == FALSE) {
        return {kNotRun, "not started"};
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    writer.reset();  // the pipe ends when the tool's copy closes
    ToolRun run;
    run.output = ReadAll(reader.get());
    ::WaitForSingleObject(process.get(), kPatienceMs);
    run.exitCode = STILL_ACTIVE;
    ::GetExitCodeProcess(process.get(), &run.exitCode);
    return run;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD patienceMs) {
    const ULONGLONG deadline = ::GetTickCount64() + patienceMs;
    while (!condition()) {
        if (::GetTickCount64() >= deadline) {
            return false;
        }
        ::Sleep(kPollMs);
    }
    return true;
}

std::optional<SERVICE_STATUS> QueryStatus(const std::wstring& service) {
    const UniqueServiceHandle handle = OpenNamed(service, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (!handle || ::QueryServiceStatus(handle.get(), &status) == FALSE) {
        return std::nullopt;
    }
    return status;
}

bool WaitForState(const std::wstring& service, DWORD state) {
    return WaitUntil([&] {
        const auto status = QueryStatus(service);
        return status && status->dwCurrentState == state;
    });
}

bool ServiceExists(const std::wstring& service) {
    return static_cast<bool>(OpenNamed(service, SERVICE_QUERY_STATUS)) ||
           ::GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST;
}

DWORD StartNamedService(const std::wstring& service) {
    const UniqueServiceHandle handle = OpenNamed(service, SERVICE_START);
    if (!handle) {
        return ::GetLastError();
    }
    return ::StartServiceW(handle.get(), 0, nullptr) != FALSE ? ERROR_SUCCESS : ::GetLastError();
}

DWORD ControlNamedService(const std::wstring& service, DWORD control) {
    const UniqueServiceHandle handle = OpenNamed(service, SERVICE_STOP | SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (!handle) {
        return ::GetLastError();
    }
    return ::ControlService(handle.get(), control, &status) != FALSE ? ERROR_SUCCESS : ::GetLastError();
}

void DeleteServiceIfPresent(const std::wstring& service) {
    const UniqueServiceHandle handle = OpenNamed(service, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
    if (!handle) {
        return;
    }
    SERVICE_STATUS status{};
    ::ControlService(handle.get(), SERVICE_CONTROL_STOP, &status);
    WaitForState(service, SERVICE_STOPPED);
    ::DeleteService(handle.get());
}

void WriteParameters(const std::wstring& service, const std::optional<std::wstring>& application,
                     const std::optional<std::wstring>& directory, const std::optional<std::wstring>& arguments,
                     DWORD type) {
    const std::wstring path = L"SYSTEM\\CurrentControlSet\\Services\\" + service + L"\\Parameters";
    HKEY created = nullptr;
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr);
    const win32::UniqueRegKey key(created);
    const std::pair<const wchar_t*, const std::optional<std::wstring>*> values[] = {
        {L"Application", &application}, {L"AppDirectory", &directory}, {L"AppParameters", &arguments}};
    for (const auto& [name, value] : values) {
        if (value->has_value()) {
            const auto bytes = static_cast<DWORD>((*value)->empty() ? 0 : ((*value)->size() + 1) * sizeof(wchar_t));
            ::RegSetValueExW(key.get(), name, 0, type, reinterpret_cast<const BYTE*>((*value)->c_str()), bytes);
        }
    }
}

std::optional<std::wstring> ReadMachineText(const std::wstring& key, const wchar_t* name) {
    constexpr DWORD kAsStored = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    std::vector<wchar_t> text(1024, L'\0');
    auto bytes = static_cast<DWORD>(text.size()) * static_cast<DWORD>(sizeof(wchar_t));
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, kAsStored, nullptr, text.data(), &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text.data());
}

std::optional<DWORD> ReadMachineNumber(const std::wstring& key, const wchar_t* name) {
    DWORD number = 0;
    DWORD bytes = sizeof(number);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &number, &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return number;
}

bool MachineKeyExists(const std::wstring& key) {
    HKEY opened = nullptr;
    const bool exists = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS;
    const win32::UniqueRegKey owner(opened);
    return exists;
}

std::optional<DWORD> HeartbeatProcessId(const std::filesystem::path& heartbeat) {
    std::istringstream beat(ReadText(heartbeat));
    DWORD processId = 0;
    int count = 0;
    if (beat >> processId >> count && count > 0) {
        return processId;
    }
    return std::nullopt;
}

std::string ReadText(const std::filesystem::path& file) {
    const std::ifstream stream(file);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

namespace {

struct EventLogCloser {
    void operator()(HANDLE log) const noexcept { ::CloseEventLog(log); }
};

// A record's source name follows its fixed part; its strings start at StringOffset.
bool Matches(const BYTE* record, const std::wstring& source, const std::wstring& fragment) {
    EVENTLOGRECORD header{};
    std::memcpy(&header, record, sizeof(header));
    const auto* sourceName = reinterpret_cast<const wchar_t*>(record + sizeof(EVENTLOGRECORD));
    const auto* text = reinterpret_cast<const wchar_t*>(record + header.StringOffset);
    return header.EventType == EVENTLOG_ERROR_TYPE && source == sourceName && header.NumStrings > 0 &&
           std::wstring(text).find(fragment) != std::wstring::npos;
}

}  // namespace

std::optional<bool> ErrorLogged(const std::wstring& source, const std::wstring& fragment) {
    const std::unique_ptr<void, EventLogCloser> log(::OpenEventLogW(nullptr, L"Application"));
    DWORD records = 0;
    if (!log || ::GetNumberOfEventLogRecords(log.get(), &records) == FALSE || records == 0) {
        return std::nullopt;
    }
    std::vector<BYTE> buffer(0x10000);
    DWORD read = 0;
    DWORD needed = 0;
    const DWORD flags = EVENTLOG_BACKWARDS_READ | EVENTLOG_SEQUENTIAL_READ;
    while (::ReadEventLogW(log.get(), flags, 0, buffer.data(), static_cast<DWORD>(buffer.size()), &read, &needed) !=
           FALSE) {
        for (DWORD offset = 0; offset < read;) {
            const BYTE* record = buffer.data() + offset;
            if (Matches(record, source, fragment)) {
                return true;
            }
            DWORD length = 0;
            std::memcpy(&length, record, sizeof(length));
            offset += length == 0 ? read : length;
        }
    }
    return false;
}

}  // namespace qeltor::service_test
