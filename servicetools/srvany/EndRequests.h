#pragma once

#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "core/SystemNumbers.h"

// Whom the host asks to end, and how, when the service stops: each process of the job once, the
// way it understands. A process with a window on show gets WM_CLOSE, as from a user closing it; one
// on a console gets the console's Ctrl+Break (Ctrl+C where that cannot be sent), hidden windows or
// not; a hidden window is closed only in a process that has no console to be asked on, or whose
// console takes neither event.
namespace qeltor::service {

// A process may not have set up its handlers in its first second.
inline constexpr Qword kSettleMs = 1000;

// When the host first saw each process of the job, by the tick count: unlike a process's creation
// time against the wall clock, it does not move when the clock is set back or forward.
class FirstSeen {
public:
    // Notes `now` for each id not seen before, and forgets those no longer in `ids` (an id may be
    // given to a new process once its owner has gone).
    void Note(const std::vector<Dword>& ids, Qword now);
    // Whether `id` was first seen `kSettleMs` or more before `now`, or `insist` (half the grace
    // period is over: a process younger than a second is asked rather than ended unasked). An id
    // never noted, or a `now` before its note, has not settled.
    [[nodiscard]] bool Settled(Dword id, Qword now, bool insist) const;

private:
    std::vector<std::pair<Dword, Qword>> seen_;
};

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

// Whether to signal one console. The event goes to process group 0, every process attached to the
// console: whether the application leads a group of its own there is not promised, since Windows
// ignores CREATE_NEW_PROCESS_GROUP beside CREATE_NEW_CONSOLE. It goes out only when each process
// attached (but the host) is a job process to be asked now or asked on a console before, so that
// nothing outside the job is asked at all. One asked there before gets the event again when a
// process that joined since is asked beside it: a group cannot be signalled a process at a time,
// and a worker restarted during the stop must not go unasked. A process asked by WM_CLOSE keeps
// the console waiting while it may still be ending, but only until `insist` (half the grace
// period is over): a second request to a process stuck in a dialog is better than no request to
// the others beside it.
bool SignalConsole(const ConsoleAttendance& console, Dword host, bool insist);

// The events the host tries on a console, first Ctrl+Break, then Ctrl+C; None when neither could
// be sent.
enum class ConsoleEvent { CtrlBreak, CtrlC, None };

// Sends the first of the console's events that `send` (GenerateConsoleCtrlEvent to group 0) can
// send, and only that one, so that no process is asked twice.
template <typename Send>
ConsoleEvent SendFirstEvent(Send send) {
    for (const ConsoleEvent event : {ConsoleEvent::CtrlBreak, ConsoleEvent::CtrlC}) {
        if (send(event)) {
            return event;
        }
    }
    return ConsoleEvent::None;
}

// How the processes asked on one signalled console were asked, once `sent` is known.
struct ConsoleAsks {
    std::vector<Dword> byEvent;         // reached on the console
    std::vector<WindowHandle> toClose;  // no event could be sent: their hidden windows get WM_CLOSE
    std::vector<Dword> byWindow;        // the owners of `toClose`
};

// Each of `toAsk` by the one way that reaches it: the event sent, when one was; else its first
// hidden unowned window, as a server that runs hidden keeps. One with neither is not asked yet.
ConsoleAsks AskOnConsole(const std::vector<TopLevelWindow>& windows, const std::vector<Dword>& toAsk,
                         ConsoleEvent sent);

// Whether `image`, the full path of a job process's program, is the console host (conhost.exe)
// that a console brings along (Wine starts it in the job): the console's, not the application's.
bool IsConsoleHost(std::wstring_view image);

}  // namespace qeltor::service
