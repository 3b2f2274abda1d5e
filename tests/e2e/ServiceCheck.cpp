// What the end-to-end run asks of the service manager and the hosted server, one check a call:
//   ServiceCheck forget | installed <srvany.exe> | running <heartbeat> | stopped <heartbeat> | removed
//              | arguments <AppParameters> | without-application | ended-by-itself <code> | refused
//              | forced
// Prints one line saying what it checked and whether it held; exits 0 only when it held.
#include <windows.h>

#include <tlhelp32.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "ServiceDriver.h"
#include "win32/Handles.h"

namespace {

using namespace qeltor::service_test;

const std::wstring kService = L"Qeltor Monitoring Server";
const std::wstring kServiceKey = L"SYSTEM\\CurrentControlSet\\Services\\" + kService;
const std::wstring kParametersKey = kServiceKey + L"\\Parameters";
const std::wstring kEventSourceKey = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + kService;
constexpr wchar_t kServerExe[] = L"Monitor.exe";

int Report(bool held, const std::string& what) {
    std::cout << (held ? "held: " : "FAILED: ") << what << "\n";
    return held ? 0 : 1;
}

std::string Narrow(const std::wstring& text) {
    return {text.begin(), text.end()};  // paths here are ASCII
}

// The service's program and start type, as the service manager reports them.
std::optional<std::pair<std::wstring, DWORD>> Config() {
    const qeltor::win32::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const qeltor::win32::UniqueServiceHandle service(
        ::OpenServiceW(manager.get(), kService.c_str(), SERVICE_QUERY_CONFIG));
    std::vector<BYTE> buffer(8192);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    DWORD needed = 0;
    if (!service || ::QueryServiceConfigW(service.get(), config, static_cast<DWORD>(buffer.size()), &needed) == FALSE) {
        return std::nullopt;
    }
    return std::pair{std::wstring(config->lpBinaryPathName), config->dwStartType};
}

// "<pid> <beat>" as the stand-in last wrote it; zeros while there is none.
std::pair<DWORD, int> Beat(const std::wstring& heartbeat) {
    std::istringstream text(ReadText(heartbeat));
    std::pair<DWORD, int> beat{0, 0};
    text >> beat.first >> beat.second;
    return beat;
}

// Whether any process of the server's exe (the stand-in or a child copy) still runs.
bool ServerProcessLeft() {
    const qeltor::win32::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more != FALSE;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (::lstrcmpiW(entry.szExeFile, kServerExe) == 0) {
            return true;
        }
    }
    return false;
}

int Installed(const std::wstring& srvany) {
    std::optional<std::pair<std::wstring, DWORD>> config;
    WaitUntil([&] { return (config = Config()).has_value(); });
    const std::wstring expected = L"\"" + srvany + L"\"";
    // Event Viewer reads the texts of the service's events from the same srvany.exe.
    const std::wstring messages = ReadMachineText(kEventSourceKey, L"EventMessageFile").value_or(L"(none)");
    return Report(config && config->first == expected && config->second == SERVICE_AUTO_START && messages == srvany,
                  "service program " + (config ? Narrow(config->first) : "(no such service)") + ", expected " +
                      Narrow(expected) + "; start type " + (config ? std::to_string(config->second) : "-") +
                      ", expected 2 (automatic); event messages in " + Narrow(messages));
}

int Running(const std::wstring& heartbeat) {
    const bool running = WaitForState(kService, SERVICE_RUNNING);
    std::pair<DWORD, int> first{};
    const bool beats = WaitUntil([&] { return (first = Beat(heartbeat)).second > 0; });
    const bool advances = beats && WaitUntil([&] {
                              const auto now = Beat(heartbeat);
                              return now.first == first.first && now.second > first.second;
                          });
    return Report(running && advances, std::string("service ") + (running ? "RUNNING" : "not RUNNING") +
                                           ", server pid " + std::to_string(first.first) + ", heartbeat " +
                                           (advances ? "advancing" : "not advancing"));
}

std::string ExitCodes(const std::optional<SERVICE_STATUS>& status) {
    return status ? std::to_string(status->dwWin32ExitCode) + "/" + std::to_string(status->dwServiceSpecificExitCode)
                  : "-";
}

// What is seen once the service has come to a stop, however it got there.
struct StopSeen {
    bool stopped = false;
    std::optional<SERVICE_STATUS> status;
    bool serverLeft = false;

    [[nodiscard]] std::string Describe(const std::string& expectedCodes) const {
        return std::string("service ") + (stopped ? "STOPPED" : "not STOPPED") + ", exit codes " + ExitCodes(status) +
               " (expected " + expectedCodes + "), " +
               (serverLeft ? "a server process left" : "no server process left");
    }
};

StopSeen WaitForStop() {
    StopSeen seen;
    seen.stopped = WaitForState(kService, SERVICE_STOPPED);
    seen.status = QueryStatus(kService);
    // srvany reports STOPPED only once its job is empty, so nothing may be left by now.
    seen.serverLeft = ServerProcessLeft();
    return seen;
}

int Stopped(const std::wstring& heartbeat) {
    const StopSeen seen = WaitForStop();
    const bool clean = seen.status && seen.status->dwWin32ExitCode == NO_ERROR;
    const std::string ended = ReadText(heartbeat + L".ended");
    return Report(seen.stopped && clean && !seen.serverLeft && ended == "close",
                  seen.Describe("0/any") + ", the server ended by '" + ended + "' (expected 'close')");
}

// Changes one value under Parameters the way an administrator would with regedit; an empty
// `value` deletes it.
int ChangeParameter(const wchar_t* name, const std::wstring& value) {
    HKEY opened = nullptr;
    LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kParametersKey.c_str(), 0, KEY_SET_VALUE, &opened);
    const qeltor::win32::UniqueRegKey key(opened);
    const auto bytes = static_cast<DWORD>(value.size() + 1) * static_cast<DWORD>(sizeof(wchar_t));
    if (status == ERROR_SUCCESS) {
        status = value.empty() ? ::RegDeleteValueW(key.get(), name)
                               : ::RegSetValueExW(key.get(), name, 0, REG_SZ,
                                                  reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    }
    return Report(status == ERROR_SUCCESS, (value.empty() ? "deleted " : "set ") + Narrow(name) +
                                               (value.empty() ? "" : " to '" + Narrow(value) + "'") + " (status " +
                                               std::to_string(status) + ")");
}

// The server ended by itself with `code`: the service stops and hands the code on, so that the
// recovery actions see a failure.
int EndedByItself(DWORD code) {
    const StopSeen seen = WaitForStop();
    const bool handed = seen.status && seen.status->dwWin32ExitCode == ERROR_SERVICE_SPECIFIC_ERROR &&
                        seen.status->dwServiceSpecificExitCode == code;
    return Report(seen.stopped && handed && !seen.serverLeft,
                  seen.Describe(std::to_string(ERROR_SERVICE_SPECIFIC_ERROR) + "/" + std::to_string(code)));
}

// The start was refused: stopped again, with an error code, and nothing running.
int Refused() {
    const StopSeen seen = WaitForStop();
    const bool failed = seen.status && seen.status->dwWin32ExitCode != NO_ERROR;
    return Report(seen.stopped && failed && !seen.serverLeft, seen.Describe("an error"));
}

int Removed() {
    const bool gone = WaitUntil([] { return !ServiceExists(kService); });
    const bool source = MachineKeyExists(kEventSourceKey);
    return Report(gone && !source, std::string(gone ? "no service of that name" : "the service still exists") +
                                       (source ? ", its event source is still registered" : ", no event source"));
}

// The server ignored every request to end: the service still stops cleanly, so that recovery
// does not restart a service that was asked to stop, and nothing of the server is left.
int Forced() {
    const StopSeen seen = WaitForStop();
    const bool clean = seen.status && seen.status->dwWin32ExitCode == NO_ERROR;
    return Report(seen.stopped && clean && !seen.serverLeft, seen.Describe("0/any"));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const std::wstring argument = argc > 2 ? argv[2] : L"";
    if (command == L"forget") {  // what an earlier test may have left under this name
        DeleteServiceIfPresent(kService);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kServiceKey.c_str());
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kEventSourceKey.c_str());
        return Removed();
    }
    if (command == L"installed" && argc == 3) {
        return Installed(argument);
    }
    if (command == L"running" && argc == 3) {
        return Running(argument);
    }
    if (command == L"stopped" && argc == 3) {
        return Stopped(argument);
    }
    if (command == L"removed") {
        return Removed();
    }
    if (command == L"arguments" && argc == 3 && !argument.empty()) {
        return ChangeParameter(L"AppParameters", argument);
    }
    if (command == L"without-application") {
        return ChangeParameter(L"Application", L"");
    }
    if (command == L"ended-by-itself" && argc == 3) {
        return EndedByItself(static_cast<DWORD>(std::stoul(argument)));
    }
    if (command == L"refused") {
        return Refused();
    }
    if (command == L"forced") {
        return Forced();
    }
    std::cerr << "usage: ServiceCheck forget | installed <srvany.exe> | running <heartbeat> | stopped <heartbeat> | "
                 "removed | arguments <AppParameters> | without-application | ended-by-itself <code> | refused | "
                 "forced\n";
    return 2;
}
