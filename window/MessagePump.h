#pragma once

#include <windows.h>

#include "core/FunctionRef.h"

// The program's one message pump: the main loop, and the waits during a click that keep the
// window answering. Each hands a message to the dialog manager first, so that Tab moves among
// the window's controls.
namespace qeltor::pump {

// Handles messages until the quit message; its exit code.
int Run(HWND dialog);

// Waits at most `timeoutMs` (INFINITE: for as long as it takes) for `object` while handling
// messages; a quit message is kept for the main loop, which ends once the click is over.
// Whether `object` was signalled.
bool WaitFor(HANDLE object, DWORD timeoutMs, HWND dialog);

// Runs `work` on a thread of its own while handling messages, and returns once it is done; runs
// it on this thread when no thread can be started.
void KeepAnsweringWhile(FunctionRef<void()> work, HWND dialog);

}  // namespace qeltor::pump
