#include "servicetools/srvany/GracefulEnd.h"

#include <algorithm>
#include <string_view>

#include "servicetools/srvany/EndRequests.h"

namespace qeltor::service {
namespace {

struct WindowSearch {
    const std::vector<DWORD>* processIds;
    std::vector<TopLevelWindow> found;
};

bool IsInputMethod(HWND window) {
    wchar_t name[32] = {};
    const int length = ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    const std::wstring_view className(name, length > 0 ? static_cast<size_t>(length) : 0);
    return className == L"IME" || className == L"MSCTFIME UI";
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
                                          IsInputMethod(window)});
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

// Ctrl+Break, since a new process group starts with Ctrl+C ignored; where Ctrl+Break cannot be
// sent (Wine), Ctrl+C still reaches a program that has turned Ctrl+C back on.
void SignalGroup(DWORD group) {
    if (::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, group) == FALSE) {
        ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, group);
    }
}

bool Contains(const std::vector<DWORD>& ids, DWORD id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// A service has no console of its own: it borrows each console in turn, for as long as the
// events take. Returns the processes the events went to.
std::vector<DWORD> AskOnConsoles(const std::vector<DWORD>& toAsk, DWORD applicationId, bool insist,
                                 const std::vector<DWORD>& askedByWindow) {
    IgnoreCtrlEvents();
    const DWORD host = ::GetCurrentProcessId();
    std::vector<DWORD> visited;
    std::vector<DWORD> reached;
    for (const DWORD process : toAsk) {
        if (Contains(visited, process)) {
            continue;
        }
        ::FreeConsole();
        if (::AttachConsole(process) == FALSE) {
            continue;  // no console, at least not yet
        }
        const ConsoleAttendance console{ProcessesOnConsole(), toAsk, askedByWindow};
        visited.insert(visited.end(), console.attached.begin(), console.attached.end());
        const std::vector<DWORD> groups = ConsoleGroupsToSignal(console, host, applicationId, insist);
        for (const DWORD group : groups) {
            SignalGroup(group);
        }
        for (const DWORD attached : groups.empty() ? std::vector<DWORD>{} : console.attached) {
            if (Contains(toAsk, attached)) {
                reached.push_back(attached);
            }
        }
        ::FreeConsole();
    }
    return reached;
}

}  // namespace

void AskToEnd(const std::vector<DWORD>& processIds, DWORD applicationId, bool insist, Asked& asked) {
    std::vector<DWORD> notAsked;
    for (const DWORD process : processIds) {
        if (!Contains(asked.processes, process)) {
            notAsked.push_back(process);
        }
    }
    if (notAsked.empty()) {
        return;
    }
    const std::vector<TopLevelWindow> windows = TopLevelWindowsOf(notAsked);
    std::vector<DWORD> onConsole;
    for (const DWORD process : notAsked) {
        const std::vector<HWND> toClose = WindowsToClose(windows, process);
        for (HWND window : toClose) {
            ::PostMessageW(window, WM_CLOSE, 0, 0);
        }
        if (toClose.empty()) {
            onConsole.push_back(process);
        } else {
            asked.processes.push_back(process);
            asked.byWindow.push_back(process);
        }
    }
    const std::vector<DWORD> signalled = AskOnConsoles(onConsole, applicationId, insist, asked.byWindow);
    asked.processes.insert(asked.processes.end(), signalled.begin(), signalled.end());
}

}  // namespace qeltor::service
