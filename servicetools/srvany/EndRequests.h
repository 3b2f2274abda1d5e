#pragma once

#include <windows.h>

#include <vector>

// Whom the host asks to end, and how, when the service stops: each process of the job once, the
// way it understands. A process with windows gets WM_CLOSE, as from a user closing them; one
// without gets the console's Ctrl+Break (Ctrl+C where that cannot be sent).
namespace qeltor::service {

struct TopLevelWindow {
    HWND handle = nullptr;
    DWORD processId = 0;
    bool visible = false;
    bool owned = false;
    bool ownerVisible = false;
    bool inputMethod = false;  // the system's IME windows, which any thread with a window has
};

// The windows of `processId` to close: the visible ones that no visible window owns (an owned
// window goes with its owner). A program that shows none has its first hidden unowned window
// closed instead, the one a program that runs hidden keeps. Empty: ask it on its console.
std::vector<HWND> WindowsToClose(const std::vector<TopLevelWindow>& windows, DWORD processId);

// Who is on a console when the host looks at it, for ConsoleGroupsToSignal.
struct ConsoleAttendance {
    std::vector<DWORD> attached;       // the processes attached to the console, the host among them
    std::vector<DWORD> toAsk;          // job processes to be asked now on their console
    std::vector<DWORD> askedByWindow;  // job processes asked by WM_CLOSE before
};

// The process groups to signal on one console: the application's alone, which it leads and its
// children join. Never the id of any other process: an id that leads no group reaches every
// process on the console, each once per id sent. The event goes out only when each process
// attached (but the host) is a job process to be asked now, so that nothing outside the job is
// asked at all. A process asked by WM_CLOSE keeps the console waiting while it may still be
// ending, but only until `insist` (half the grace period is over): a second request to a process
// stuck in a dialog is better than no request to the others beside it.
std::vector<DWORD> ConsoleGroupsToSignal(const ConsoleAttendance& console, DWORD host, DWORD application, bool insist);

}  // namespace qeltor::service
