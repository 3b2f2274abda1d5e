#include "servicetools/srvany/GracefulEnd.h"

#include <algorithm>

namespace qeltor::service {
namespace {

BOOL CALLBACK CloseWindowOfJob(HWND window, LPARAM context) {
    const auto& processIds = *reinterpret_cast<const std::vector<DWORD>*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (std::find(processIds.begin(), processIds.end(), owner) != processIds.end()) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

// While we sit on the application's console, a stray Ctrl event must not end the service host.
BOOL WINAPI IgnoreCtrl(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? TRUE : FALSE;
}

// A service has no console of its own: borrow the application's for as long as the event takes.
// The application leads its own process group, which ignores Ctrl+C, so Ctrl+Break it is; where
// Ctrl+Break cannot be sent (Wine), Ctrl+C still reaches a program that listens for it.
void SendCtrlBreak(DWORD consoleProcessId) {
    ::FreeConsole();
    if (::AttachConsole(consoleProcessId) == FALSE) {
        return;  // a windowed application has no console
    }
    ::SetConsoleCtrlHandler(IgnoreCtrl, TRUE);
    if (::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, consoleProcessId) == FALSE) {
        ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, consoleProcessId);
    }
    ::FreeConsole();
}

}  // namespace

void AskToEnd(const std::vector<DWORD>& processIds, DWORD consoleProcessId) {
    ::EnumWindows(CloseWindowOfJob, reinterpret_cast<LPARAM>(&processIds));
    SendCtrlBreak(consoleProcessId);
}

}  // namespace qeltor::service
