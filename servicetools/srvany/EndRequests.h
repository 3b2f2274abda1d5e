#pragma once

#include <string_view>
#include <vector>

#include "core/SystemNumbers.h"

// Whom the host asks to end, and how, when the service stops: each process of the job once, the
// way it understands. A process with a window on show gets WM_CLOSE, as from a user closing it; one
// on a console gets the console's Ctrl+Break (Ctrl+C where that cannot be sent), hidden windows or
// not; a hidden window is closed only in a process that has no console to be asked on.
namespace qeltor::service {

// A window as the host sees it: an HWND, kept opaque here.
using WindowHandle = void*;

struct TopLevelWindow {
    WindowHandle handle = nullptr;
    Dword processId = 0;
    bool visible = false;
    bool owned = false;
    bool ownerVisible = false;
    // The system's, not the program's: the IME windows any thread with a window has, and a
    // console's own window, whose closing ends every process on the console.
    bool system = false;
};

// The windows of `processId` to close: the visible ones that no visible window owns (an owned
// window goes with its owner). Hidden windows are a library's as often as the program's (GDI+,
// WSAAsyncSelect, a runtime's event window), and closing one only destroys it: a process with a
// console is asked there instead. Without a console, its first hidden unowned window is closed,
// the one a program that runs hidden keeps. Empty: ask it on its console, if it has one.
std::vector<WindowHandle> WindowsToClose(const std::vector<TopLevelWindow>& windows, Dword processId, bool hasConsole);

// Who is on a console when the host looks at it, for ConsoleGroupsToSignal.
struct ConsoleAttendance {
    std::vector<Dword> attached;        // the processes attached to the console, the host among them
    std::vector<Dword> toAsk;           // job processes to be asked now on their console
    std::vector<Dword> askedByWindow;   // job processes asked by WM_CLOSE before
    std::vector<Dword> askedOnConsole;  // job processes asked on a console before
};

// The process groups to signal on one console: the application's alone, which it leads and its
// children join. Never the id of any other process: an id that leads no group reaches every
// process on the console, each once per id sent. The event goes out only when each process
// attached (but the host) is a job process to be asked now or asked on a console before, so that
// nothing outside the job is asked at all. One asked there before gets the event again when a
// process that joined since is asked beside it: a group cannot be signalled a process at a time,
// and a worker restarted during the stop must not go unasked. A process asked by WM_CLOSE keeps
// the console waiting while it may still be ending, but only until `insist` (half the grace
// period is over): a second request to a process stuck in a dialog is better than no request to
// the others beside it.
std::vector<Dword> ConsoleGroupsToSignal(const ConsoleAttendance& console, Dword host, Dword application, bool insist);

// Whether `image`, the full path of a job process's program, is the console host (conhost.exe)
// that a console brings along (Wine starts it in the job): the console's, not the application's.
bool IsConsoleHost(std::wstring_view image);

}  // namespace qeltor::service
