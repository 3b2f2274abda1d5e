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

// The process groups to signal on one console, given the processes attached to it. A console
// event reaches every process of a group on that console, so it is sent only when each of them
// (but the host itself) is a job process to be asked this way: nobody is asked twice, nothing
// outside the job is asked at all. The groups are those each process may lead, and the
// application's, which it leads and which its children join.
std::vector<DWORD> ConsoleGroupsToSignal(const std::vector<DWORD>& attached, DWORD host, DWORD application,
                                         const std::vector<DWORD>& askedOnConsole);

}  // namespace qeltor::service
