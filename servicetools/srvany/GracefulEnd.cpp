#include "servicetools/srvany/GracefulEnd.h"

#include <algorithm>
#include <string_view>

#include "servicetools/srvany/EndRequests.h"
#include "win32/Handles.h"

namespace qeltor::service {
namespace {

// A process started this short a time ago may not have set up its handlers yet.
constexpr ULONGLONG kSettleMs = 1000;
constexpr ULONGLONG kFileTimeUnitsPerMs = 10000;

struct WindowSearch {
    const std::vector<DWORD>* processIds;
    std::vector<TopLevelWindow> found;
};

// Input-method windows, and a console's own window (Windows' class, then Wine's), which the
// console's host process owns: under Wine that process is in the job.
bool IsSystemWindow(HWND window) {
    wchar_t name[32] = {};
    const int length = ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    const std::wstring_view className(name, length > 0 ? static_cast<size_t>(length) : 0);
    return className == L"IME" || className == L"MSCTFIME UI" || className == L"ConsoleWindowClass" ||
           className == L"WineConsoleClass";
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (std::find(search.processIds->begin(), search.processIds->end(), owner) == search.processIds->end()) {
        return TRUE;
    }
    HWND ownerWindow = ::GetWindow(window, GW_OWNER);
    search.found.push_back(TopLevelWindow{window, owner, ::IsWindowVisible(window) != FALSE, ownerWindow != nullptr,
                                          ownerWindow != nullptr && ::IsWindowVisible(ownerWindow) != FALSE,
                                          IsSystemWindow(window)});
    return TRUE;
}

std::vector<TopLevelWindow> TopLevelWindowsOf(const std::vector<DWORD>& processIds) {
    WindowSearch search{&processIds, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// While the host sits on the application's console, a Ctrl event must not end the host. It stays
// installed, once: an event may still be on its way after the host has left the console.
BOOL WINAPI IgnoreCtrl(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? TRUE : FALSE;
}

// Only the service's own thread ends the application, so a plain flag will do; a guarded static
// would bring the exception machinery into the program.
void IgnoreCtrlEvents() {
    static bool installed = false;
    if (!installed) {
        installed = ::SetConsoleCtrlHandler(IgnoreCtrl, TRUE) != FALSE;
    }
}

std::vector<DWORD> ProcessesOnConsole() {
    std::vector<DWORD> ids(64);
    for (;;) {
        const DWORD count = ::GetConsoleProcessList(ids.data(), static_cast<DWORD>(ids.size()));
        if (count <= ids.size()) {
            ids.resize(count);
            return ids;
        }
        ids.resize(count);
    }
}

// Ctrl+Break, since a new process group starts with Ctrl+C ignored. The Ctrl+C after it asks no
// process twice: it is sent only where Ctrl+Break fails, Windows documents that a Ctrl+C sent to
// a nonzero group reaches none of it, and Wine 8, where GenerateConsoleCtrlEvent fails for
// Ctrl+Break, delivers the Ctrl+C to a program that has turned Ctrl+C back on. Each system asks
// once.
void SignalGroup(DWORD group) {
    if (::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, group) == FALSE) {
        ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, group);
    }
}

bool Contains(const std::vector<DWORD>& ids, DWORD id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

ULONGLONG Value(const FILETIME& time) {
    return (ULONGLONG{time.dwHighDateTime} << 32U) | time.dwLowDateTime;
}

// Whether the process has run for kSettleMs; yes when that cannot be told.
bool Settled(DWORD processId) {
    const win32::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!process || ::GetProcessTimes(process.get(), &created, &exited, &kernel, &user) == FALSE) {
        return true;
    }
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return Value(now) >= Value(created) + kSettleMs * kFileTimeUnitsPerMs;
}

struct ConsoleAnswers {
    std::vector<DWORD> reached;         // the events went to them
    std::vector<DWORD> withoutConsole;  // they have none to be asked on
};

// A service has no console of its own: it borrows each console in turn, for as long as the
// events take.
ConsoleAnswers AskOnConsoles(const std::vector<DWORD>& toAsk, DWORD applicationId, bool insist, ULONGLONG graceEnds,
                             const Asked& asked) {
    IgnoreCtrlEvents();
    const DWORD host = ::GetCurrentProcessId();
    std::vector<DWORD> visited;
    ConsoleAnswers answers;
    for (const DWORD process : toAsk) {
        if (::GetTickCount64() >= graceEnds) {
            break;
        }
        if (Contains(visited, process)) {
            continue;
        }
        ::FreeConsole();
        if (::AttachConsole(process) == FALSE) {
            // Any other error: it has ended, or its console is not there yet.
            if (::GetLastError() == ERROR_INVALID_HANDLE) {
                answers.withoutConsole.push_back(process);
            }
            continue;
        }
        const ConsoleAttendance console{ProcessesOnConsole(), toAsk, asked.byWindow, asked.onConsole};
        visited.insert(visited.end(), console.attached.begin(), console.attached.end());
        const std::vector<DWORD> groups = ConsoleGroupsToSignal(console, host, applicationId, insist);
        for (const DWORD group : groups) {
            SignalGroup(group);
        }
        for (const DWORD attached : groups.empty() ? std::vector<DWORD>{} : console.attached) {
            if (Contains(toAsk, attached)) {
                answers.reached.push_back(attached);
            }
        }
        ::FreeConsole();
    }
    return answers;
}

}  // namespace

void AskToEnd(const std::vector<DWORD>& processIds, DWORD applicationId, bool insist, ULONGLONG graceEnds,
              Asked& asked) {
    std::vector<DWORD> notAsked;
    for (const DWORD process : processIds) {
        if (!Contains(asked.byWindow, process) && !Contains(asked.onConsole, process) && Settled(process)) {
            notAsked.push_back(process);
        }
    }
    if (notAsked.empty()) {
        return;
    }
    const std::vector<TopLevelWindow> windows = TopLevelWindowsOf(notAsked);
    const auto closeWindows = [&](DWORD process, bool hasConsole) {
        const std::vector<WindowHandle> toClose = WindowsToClose(windows, process, hasConsole);
        for (WindowHandle window : toClose) {
            ::PostMessageW(static_cast<HWND>(window), WM_CLOSE, 0, 0);
        }
        if (!toClose.empty()) {
            asked.byWindow.push_back(process);
        }
        return !toClose.empty();
    };
    // Windows on show are closed whether the process has a console or not. The others are tried on
    // their consoles first; only a process found to have none has its hidden window closed.
    std::vector<DWORD> onConsole;
    for (const DWORD process : notAsked) {
        if (!closeWindows(process, true)) {
            onConsole.push_back(process);
        }
    }
    const ConsoleAnswers answers = AskOnConsoles(onConsole, applicationId, insist, graceEnds, asked);
    asked.onConsole.insert(asked.onConsole.end(), answers.reached.begin(), answers.reached.end());
    for (const DWORD process : answers.withoutConsole) {
        closeWindows(process, false);
    }
}

}  // namespace qeltor::service
