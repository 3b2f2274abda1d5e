#include "servicetools/srvany/GracefulEnd.h"

#include <string_view>

#include "core/Lists.h"
#include "servicetools/srvany/EndRequests.h"
#include "win32/GrowingBuffer.h"

namespace qeltor::service {
namespace {

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
    if (!Contains(*search.processIds, owner)) {
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

// GetConsoleProcessList answers how many processes there are, whether or not they fit.
DWORD ListConsoleOnce(const void* /*context*/, void* data, DWORD room, DWORD& size) {
    size = ::GetConsoleProcessList(static_cast<DWORD*>(data), room);
    return size <= room ? ERROR_SUCCESS : ERROR_MORE_DATA;
}

std::vector<DWORD> ProcessesOnConsole() {
    std::vector<DWORD> ids;
    win32::FillGrowing(ids, 64, ListConsoleOnce, nullptr);
    return ids;
}

// Ctrl+Break to every process on the console (group 0), which no program can leave off; Ctrl+C
// only where Ctrl+Break cannot be sent (Wine 8 sends no Ctrl+Break).
ConsoleEvent SignalConsoleProcesses() {
    return SendFirstEvent([](ConsoleEvent event) {
        return ::GenerateConsoleCtrlEvent(event == ConsoleEvent::CtrlBreak ? CTRL_BREAK_EVENT : CTRL_C_EVENT, 0) !=
               FALSE;
    });
}

void Close(const std::vector<WindowHandle>& windows) {
    for (WindowHandle window : windows) {
        ::PostMessageW(static_cast<HWND>(window), WM_CLOSE, 0, 0);
    }
}

struct ConsoleAnswers {
    std::vector<DWORD> reached;         // an event went to them
    std::vector<DWORD> byWindow;        // their console took no event: their hidden window was closed
    std::vector<DWORD> withoutConsole;  // they have none to be asked on
};

// A service has no console of its own: it borrows each console in turn, for as long as the
// events take.
ConsoleAnswers AskOnConsoles(const std::vector<DWORD>& toAsk, const std::vector<TopLevelWindow>& windows, bool insist,
                             ULONGLONG graceEnds, const Asked& asked) {
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
        if (!SignalConsole(console, host, insist)) {
            ::FreeConsole();
            continue;
        }
        std::vector<DWORD> here;
        for (const DWORD attached : console.attached) {
            if (Contains(toAsk, attached)) {
                here.push_back(attached);
            }
        }
        const ConsoleAsks asks = AskOnConsole(windows, here, SignalConsoleProcesses());
        Close(asks.toClose);
        answers.reached.insert(answers.reached.end(), asks.byEvent.begin(), asks.byEvent.end());
        answers.byWindow.insert(answers.byWindow.end(), asks.byWindow.begin(), asks.byWindow.end());
        ::FreeConsole();
    }
    return answers;
}

}  // namespace

void AskToEnd(const std::vector<DWORD>& processIds, const FirstSeen& seen, bool insist, ULONGLONG graceEnds,
              Asked& asked) {
    const ULONGLONG now = ::GetTickCount64();
    std::vector<DWORD> notAsked;
    for (const DWORD process : processIds) {
        if (!Contains(asked.byWindow, process) && !Contains(asked.onConsole, process) &&
            seen.Settled(process, now, insist)) {
            notAsked.push_back(process);
        }
    }
    if (notAsked.empty()) {
        return;
    }
    const std::vector<TopLevelWindow> windows = TopLevelWindowsOf(notAsked);
    const auto closeWindows = [&](DWORD process, bool hasConsole) {
        const std::vector<WindowHandle> toClose = WindowsToClose(windows, process, hasConsole);
        Close(toClose);
        if (!toClose.empty()) {
            asked.byWindow.push_back(process);
        }
        return !toClose.empty();
    };
    // Windows on show are closed whether the process has a console or not. The others are tried on
    // their consoles first; only a process found to have none, or on a console that took no event,
    // has its hidden window closed.
    std::vector<DWORD> onConsole;
    for (const DWORD process : notAsked) {
        if (!closeWindows(process, true)) {
            onConsole.push_back(process);
        }
    }
    const ConsoleAnswers answers = AskOnConsoles(onConsole, windows, insist, graceEnds, asked);
    asked.onConsole.insert(asked.onConsole.end(), answers.reached.begin(), answers.reached.end());
    asked.byWindow.insert(asked.byWindow.end(), answers.byWindow.begin(), answers.byWindow.end());
    for (const DWORD process : answers.withoutConsole) {
        closeWindows(process, false);
    }
}

}  // namespace qeltor::service
