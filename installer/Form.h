#pragma once

#include "core/FunctionRef.h"
#include "platform/Platform.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qeltor {

// What the installer asks of the window it runs in: the window owns the message boxes, closes
// itself, ends the program, and keeps answering while the installer waits.
class Form {
public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    Form(Form&&) = delete;
    Form& operator=(Form&&) = delete;
    virtual ~Form() = default;

    // Modal message box captioned with the application title, owned by the window once it shows.
    virtual void rtcMsgBox(const std::wstring& text, unsigned style) = 0;

    // Closes the main window, which ends the program.
    virtual void Unload() = 0;

    // Ends the program at once. The real window never returns; callers still return right after
    // it so that nothing of theirs runs when a fake does.
    virtual void EndProgram(int exitCode) = 0;

    // Waits at most `timeoutMs` for `program` to end while the window keeps answering: its exit
    // code, or nothing when it is still running then.
    virtual std::optional<std::uint32_t> WaitForProgram(StartedProgram& program, std::uint32_t timeoutMs) = 0;

    // Waits at most `timeoutMs` for the system object `signal` (a handle, as a number) while the
    // window keeps answering: whether it was signalled. A lock that a program left behind as it
    // ended counts as signalled; a lock waited for is held from then on.
    virtual bool WaitForSignal(std::uintptr_t signal, std::uint32_t timeoutMs) = 0;

    // Runs `work` to its end while the window keeps answering.
    virtual void KeepAnsweringWhile(FunctionRef<void()> work) = 0;
};

}  // namespace qeltor
