#pragma once

#include "installer/Form.h"
#include "platform/Platform.h"

#include <optional>
#include <string>

namespace qeltor {

// Exit codes of QeltorService.exe, one for each way a run can turn out (the start-up checks' own
// is kExitStartupCheckFailed, 1). README.txt lists them for administrators.
inline constexpr int kExitRegistered = 0;
inline constexpr int kExitNoWindow = 2;
inline constexpr int kExitRefused = 3;
inline constexpr int kExitPutBack = 4;
inline constexpr int kExitSomethingLeft = 5;
inline constexpr int kExitLogNotWritten = 6;
inline constexpr int kExitWrongCommandLine = 87;  // ERROR_INVALID_PARAMETER, as Windows' own tools

// What the command line asks for: the window (no arguments), or the quiet way with its options.
// `notUnderstood` names the first argument that is neither.
struct Request {
    bool quiet = false;
    std::optional<std::wstring> server;
    std::optional<std::wstring> log;
    std::optional<std::wstring> notUnderstood;
};

// Reads the program's whole command line, its own name first, split as Windows programs split it.
Request ReadCommandLine(const std::wstring& commandLine);

// The installer's Form without a window: what a message box would show is kept as the outcome's
// text, closing and ending only note that the run is over, and waits answer nothing meanwhile.
class QuietForm final : public Form {
public:
    explicit QuietForm(Platform& platform) : platform_(platform) {}

    void rtcMsgBox(const std::wstring& text, unsigned style) override;
    void Unload() override {}
    void EndProgram(int exitCode) override { ended_ = exitCode; }
    std::optional<std::uint32_t> WaitForProgram(StartedProgram& program, std::uint32_t timeoutMs) override;
    bool WaitForSignal(std::uintptr_t signal, std::uint32_t timeoutMs) override {
        return platform_.WaitForObject(signal, timeoutMs);
    }
    void KeepAnsweringWhile(FunctionRef<void()> work) override { work(); }

    [[nodiscard]] const std::wstring& Text() const { return text_; }
    [[nodiscard]] std::optional<int> Ended() const { return ended_; }

private:
    Platform& platform_;
    std::wstring text_;
    std::optional<int> ended_;
};

// How a run without the window turned out: its exit code and what it says.
struct QuietOutcome {
    int exitCode = kExitRegistered;
    std::wstring text;
};

// The start-up checks and the registration, exactly as the window runs them, through a QuietForm.
QuietOutcome RunQuietly(Platform& platform, const std::optional<std::wstring>& server);

// The usage text for a command line not understood at `argument`.
QuietOutcome WrongCommandLine(const std::wstring& argument);

// One record of the log: the local time and the exit code on its first line, then the text, then
// an empty line.
std::wstring LogRecord(const std::wstring& localTime, int exitCode, const std::wstring& text);

}  // namespace qeltor
