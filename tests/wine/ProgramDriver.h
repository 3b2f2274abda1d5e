#pragma once

// Drives a program of ours from outside, as a person would: starts it, reads and confirms
// the message boxes it shows, and waits for it to end.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace qeltor::driver {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// A Unix path as Wine shows it (under drive Z:); Windows paths pass unchanged.
std::filesystem::path WindowsPath(std::wstring path);

struct ShownBox {
    std::wstring caption;
    std::wstring text;
    std::wstring icon;  // "hand", "asterisk", "exclamation", "question", "none" or "unrecognised"
};

struct Outcome {
    std::vector<ShownBox> boxes;
    bool windowShown = false;     // the main window appeared
    bool closedByDriver = false;  // it was still open after everything else, and was closed
    DWORD exitCode = STILL_ACTIVE;
    std::string problem;  // why the run could not be watched to its end, if it could not
};

// What to do with the main window once it shows: press its button (twice in a row, as an
// impatient double click would), or close it untouched.
enum class WindowAction { ClickButton, ClickButtonTwice, Close };

// Starts `exe` in its own folder, confirms each message box it shows, acts on the main window,
// closes it when it is still open half a second after a message was answered, and returns once
// the program has ended, or after `patienceMs`, when it is killed.
Outcome RunProgram(const std::filesystem::path& exe, ULONGLONG patienceMs, WindowAction action);

// The main window of `processId` once it is visible, or null.
HWND MainWindow(DWORD processId);

// Waits until `deadline` for a message box of `processId`, reads it and confirms it;
// nothing if none showed by then.
std::optional<ShownBox> AnswerBox(DWORD processId, ULONGLONG deadline);

// RGB pixels, rows from the top, of whatever `paint` draws on a fresh `width` x `height` bitmap.
std::vector<DWORD> DrawnPixels(int width, int height, const std::function<void(HDC)>& paint);

// RGB pixels, rows from the top, of what the screen shows in `rect`.
std::vector<DWORD> ScreenPixels(const RECT& rect);

}  // namespace qeltor::driver
