// What the end-to-end run asks of the service manager and the hosted server, one check a call:
//   ServiceCheck forget | installed <srvany.exe> | running <heartbeat> | stopped <heartbeat> | removed
//              | arguments <AppParameters> | without-application | ended-by-itself <code> | refused
//              | forced | hold <seconds>
// Prints one line saying what it checked and whether it held; exits 0 only when it held.
#include <windows.h>

#include <tlhelp32.h>

#include <functional>
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
    const qeltor::win32::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!snapshot || ::Process32FirstW(snapshot.get(), &entry) == FALSE) {
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
    const Beat first = FirstBeat(heartbeat);
    const bool advances = first.count > 0 && WaitUntil([&] {
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

// The service came to a stop, however it got there, with exit codes that `codes` accepts
// (`expected` says which); srvany reports STOPPED only once its job is empty, so nothing of the
// server may be left by then. With `heartbeat`, the server was asked to end by WM_CLOSE.
int Stopped(const std::string& expected, const std::function<bool(const SERVICE_STATUS&)>& codes,
            const std::wstring& heartbeat = {}) {
    const bool stopped = WaitForState(kService, SERVICE_STOPPED);
    const std::optional<SERVICE_STATUS> status = QueryStatus(kService);
    const std::optional<bool> left = ServerProcessLeft();
    std::string seen =
        std::string("service ") + (stopped ? "STOPPED" : "not STOPPED") + ", exit codes " + ExitCodes(status) +
        " (expected " + expected + "), " +
        (!left ? "the processes could not be listed" : (*left ? "a server process left" : "no server process left"));
    bool asked = true;
    if (!heartbeat.empty()) {
        const std::string ended = ReadText(heartbeat + L".ended");
        asked = ended == "close";
        seen += ", the server ended by '" + ended + "' (expected 'close')";
    }
    return Report(stopped && status && codes(*status) && left.has_value() && !*left && asked, seen);
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

int Removed() {
    const bool gone = WaitUntil([] { return !ServiceExists(kService); });
    const bool source = MachineKeyExists(kEventSourceKey);
    return Report(gone && !source, std::string(gone ? "no service of that name" : "the service still exists") +
                                       (source ? ", its event source is still registered" : ", no event source"));
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
    const auto clean = [](const SERVICE_STATUS& status) { return status.dwWin32ExitCode == NO_ERROR; };
    if (command == L"stopped" && argc == 3) {
        return Stopped("0/any", clean, argument);
    }
    if (command == L"hold" && argc == 3) {  // as an open Services console holds it while it is removed
        const auto held = HoldAndDelete(kService);
        Report(static_cast<bool>(held), "the service is marked for deletion while held open");
        ::Sleep(static_cast<DWORD>(std::stoul(argument)) * 1000);
        return held ? 0 : 1;
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
    // A server that ended by itself hands its code on, so that the recovery actions see a failure.
    if (command == L"ended-by-itself" && argc == 3) {
        const DWORD code = std::stoul(argument);
        return Stopped(std::to_string(ERROR_SERVICE_SPECIFIC_ERROR) + "/" + std::to_string(code),
                       [code](const SERVICE_STATUS& status) {
                           return status.dwWin32ExitCode == ERROR_SERVICE_SPECIFIC_ERROR &&
                                  status.dwServiceSpecificExitCode == code;
                       });
    }
    // A refused start stops again with an error code.
    if (command == L"refused") {
        return Stopped("an error", [](const SERVICE_STATUS& status) { return status.dwWin32ExitCode != NO_ERROR; });
    }
    // A server that ignored every request to end is ended, and the service still stops cleanly, so
    // that recovery does not restart a service that was asked to stop.
    if (command == L"forced") {
        return Stopped("0/any", clean);
    }
    std::cerr << "usage: ServiceCheck forget | installed <srvany.exe> | running <heartbeat> | stopped <heartbeat> | "
                 "removed | arguments <AppParameters> | without-application | ended-by-itself <code> | refused | "
                 "forced\n";
    return 2;
}
