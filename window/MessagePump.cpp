#include "window/MessagePump.h"

#include "win32/Handles.h"

#include <optional>

namespace qeltor::pump {
namespace {

void Dispatch(MSG& message, HWND dialog) {
    if (dialog == nullptr || ::IsDialogMessageW(dialog, &message) == FALSE) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

DWORD WINAPI RunWork(void* work) {
    (*static_cast<const FunctionRef<void()>*>(work))();
    return 0;
}

}  // namespace

int Run(HWND dialog) {
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        Dispatch(message, dialog);
    }
    return static_cast<int>(message.wParam);
}

bool WaitFor(HANDLE object, DWORD timeoutMs, HWND dialog) {
    const DWORD start = ::GetTickCount();
    std::optional<WPARAM> quit;
    bool signalled = false;
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;  // unsigned: right across the counter's wrap
        const DWORD left = timeoutMs == INFINITE ? INFINITE : elapsed < timeoutMs ? timeoutMs - elapsed : 0;
        const DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &object, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke != WAIT_OBJECT_0 + 1) {
            // A mutex whose holder ended without releasing it is handed over abandoned.
            signalled = woke == WAIT_OBJECT_0 || woke == WAIT_ABANDONED_0;
            break;
        }
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
            if (message.message == WM_QUIT) {
                quit = message.wParam;
            } else {
                Dispatch(message, dialog);
            }
        }
    }
    if (quit) {
        ::PostQuitMessage(static_cast<int>(*quit));
    }
    return signalled;
}

void KeepAnsweringWhile(FunctionRef<void()> work, HWND dialog) {
    // The thread only reads `work`, which outlives it: this waits for the thread to end.
    void* parameter = const_cast<FunctionRef<void()>*>(&work);  // NOLINT(cppcoreguidelines-pro-type-const-cast)
    const win32::UniqueHandle thread(::CreateThread(nullptr, 0, &RunWork, parameter, 0, nullptr));
    if (!thread) {
        work();
        return;
    }
    WaitFor(thread.get(), INFINITE, dialog);
}

}  // namespace qeltor::pump
