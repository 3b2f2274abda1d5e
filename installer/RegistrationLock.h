#pragma once

#include "installer/Form.h"
#include "installer/Messages.h"
#include "platform/Platform.h"

#include <memory>
#include <optional>

// One registration at a time on this machine: two clicks at once, from two copies of the kit or
// two sessions, would each take the other's values for their own.
namespace qeltor {

// Waits, the window answering, until no other registration holds the machine's lock, and takes
// it into `lock`; or says why the click cannot go on (nothing is started or written then).
std::optional<messages::Message> TakeRegistrationLock(Platform& platform, Form& form,
                                                      std::unique_ptr<MachineLock>& lock);

// Removes what a settings copy that was ended midway (the program ended while it ran) left beside
// the service account's settings, unless a registration running now is making it.
void DiscardUnfinishedSettingsCopy(Platform& platform);

// The window as a locked registration reports through it: the lock goes before the first message
// box, since what it guards is over once the outcome is known, and a box may stay open for long.
class LockReleasingForm final : public Form {
public:
    LockReleasingForm(Form& form, std::unique_ptr<MachineLock>& lock) : form_(form), lock_(lock) {}

    void rtcMsgBox(const std::wstring& text, unsigned style) override {
        lock_.reset();
        form_.rtcMsgBox(text, style);
    }
    void Unload() override { form_.Unload(); }
    void EndProgram(int exitCode) override { form_.EndProgram(exitCode); }
    std::optional<std::uint32_t> WaitForProgram(StartedProgram& program, std::uint32_t timeoutMs) override {
        return form_.WaitForProgram(program, timeoutMs);
    }
    bool WaitForSignal(std::uintptr_t signal, std::uint32_t timeoutMs) override {
        return form_.WaitForSignal(signal, timeoutMs);
    }
    void KeepAnsweringWhile(FunctionRef<void()> work) override { form_.KeepAnsweringWhile(work); }

private:
    Form& form_;
    std::unique_ptr<MachineLock>& lock_;
};

}  // namespace qeltor
