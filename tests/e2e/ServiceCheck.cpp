// What the end-to-end run asks of the service manager and the hosted server, one check a call:
//   ServiceCheck forget | installed <srvany.exe> | running <heartbeat> | stopped <heartbeat> | removed
//              | arguments <AppParameters> | without-application | ended-by-itself <code> | refused
//              | forced
// Prints one line saying what it checked and whether it held; exits 0 only when it held.
#include <windows.h>

#include <tlhelp32.h>

#include <iostream>
#include <string>
#include <vector>

#include "Programs.h"
#include "Registry.h"
#include "Services.h"

namespace {

using namespace qeltor::driver;

const std::wstring kService = L"Qeltor Monitoring Server";
const std::wstring kParametersKey = ParametersKey(kService);
const std::wstring kEventSourceKey = EventSourceKey(kService);
constexpr wchar_t kServerExe[] = L"Monitor.exe";

int Report(bool held, const std::string& what) {
    std::cout << (held ? "held: " : "FAILED: ") << what << "\n";
    return held ? 0 : 1;
}

// Whether any process of the server's exe (the stand-in or a child copy) still runs; nothing
// when the processes could not be listed, which must not pass for "none left".
std::optional<bool> ServerProcessLeft() {
    const qeltor::win32::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (snapshot.get() == INVALID_HANDLE_VALUE || ::Process32FirstW(snapshot.get(), &entry) == FALSE) {
        return std::nullopt;
    }
    do {
        if (::lstrcmpiW(entry.szExeFile, kServerExe) == 0) {
            return true;
        }
    } while (::Process32NextW(snapshot.get(), &entry) != FALSE);
    return ::GetLastError() == ERROR_NO_MORE_FILES ? std::optional(false) : std::nullopt;
}

int Installed(const std::wstring& srvany) {
    std::optional<ServiceConfig> config;
    WaitUntil([&] { return (config = QueryConfig(kService)).has_value(); });
    const std::wstring expected = L"\"" + srvany + L"\"";
    // Event Viewer reads the texts of the service's events from the same srvany.exe.
    const std::wstring messages = ReadMachineText(kEventSourceKey, L"EventMessageFile").value_or(L"(none)");
    return Report(
        config && config->program == expected && config->startType == SERVICE_AUTO_START && messages == srvany,
        "service program " + (config ? Utf8(config->program) : "(no such service)") + ", expected " + Utf8(expected) +
            "; start type " + (config ? std::to_string(config->startType) : "-") +
            ", expected 2 (automatic); event messages in " + Utf8(messages));
}

int Running(const std::wstring& heartbeat) {
    const bool running = WaitForState(kService, SERVICE_RUNNING);
    Beat first;
    const bool beats = WaitUntil([&] { return (first = ReadBeat(heartbeat)).count > 0; });
    const bool advances = beats && WaitUntil([&] {
                              const Beat now = ReadBeat(heartbeat);
                              return now.processId == first.processId && now.count > first.count;
                          });
    return Report(running && advances, std::string("service ") + (running ? "RUNNING" : "not RUNNING") +
                                           ", server pid " + std::to_string(first.processId) + ", heartbeat " +
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
    std::optional<bool> serverLeft;

    [[nodiscard]] bool NoneLeft() const { return serverLeft.has_value() && !*serverLeft; }
    [[nodiscard]] std::string Describe(const std::string& expectedCodes) const {
        const char* left = !serverLeft   ? "the processes could not be listed"
                           : *serverLeft ? "a server process left"
                                         : "no server process left";
        return std::string("service ") + (stopped ? "STOPPED" : "not STOPPED") + ", exit codes " + ExitCodes(status) +
               " (expected " + expectedCodes + "), " + left;
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
    return Report(seen.stopped && clean && seen.NoneLeft() && ended == "close",
                  seen.Describe("0/any") + ", the server ended by '" + ended + "' (expected 'close')");
}

// Changes one value under Parameters the way an administrator would with regedit; an empty
// `value` deletes it.
int ChangeParameter(const wchar_t* name, const std::wstring& value) {
    const auto key = OpenKey(HKEY_LOCAL_MACHINE, kParametersKey, KEY_SET_VALUE);
    const std::vector<BYTE> bytes = WideSz(value);
    LSTATUS status = ERROR_SUCCESS;
    if (key) {
        status = value.empty()
                     ? ::RegDeleteValueW(key.get(), name)
                     : ::RegSetValueExW(key.get(), name, 0, REG_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    return Report(key && status == ERROR_SUCCESS,
                  (value.empty() ? "deleted " : "set ") + Utf8(name) +
                      (value.empty() ? "" : " to '" + Utf8(value) + "'") +
                      (key ? " (status " + std::to_string(status) + ")" : " (the Parameters key cannot be opened)"));
}

// The server ended by itself with `code`: the service stops and hands the code on, so that the
// recovery actions see a failure.
int EndedByItself(DWORD code) {
    const StopSeen seen = WaitForStop();
    const bool handed = seen.status && seen.status->dwWin32ExitCode == ERROR_SERVICE_SPECIFIC_ERROR &&
                        seen.status->dwServiceSpecificExitCode == code;
    return Report(seen.stopped && handed && seen.NoneLeft(),
                  seen.Describe(std::to_string(ERROR_SERVICE_SPECIFIC_ERROR) + "/" + std::to_string(code)));
}

// The start was refused: stopped again, with an error code, and nothing running.
int Refused() {
    const StopSeen seen = WaitForStop();
    const bool failed = seen.status && seen.status->dwWin32ExitCode != NO_ERROR;
    return Report(seen.stopped && failed && seen.NoneLeft(), seen.Describe("an error"));
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
    return Report(seen.stopped && clean && seen.NoneLeft(), seen.Describe("0/any"));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const std::wstring argument = argc > 2 ? argv[2] : L"";
    if (command == L"forget") {  // what an earlier test may have left under this name
        DeleteServiceIfPresent(kService);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, ServiceKey(kService).c_str());
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
