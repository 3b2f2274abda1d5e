#pragma once

// Drives a program of ours from outside, as a person would: reads and confirms the message
// boxes it shows, acts on its main window and waits for it to end.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Waiting.h"

namespace qeltor::driver {

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
    std::string problem;     // why the run could not be watched to its end, if it could not
    int probesAnswered = 0;  // with ClickProbeAndClose: how often the window answered before a box showed
    int probesMissed = 0;    // and how often it did not within 2 s
    // And how long the slowest answer took.
    ULONGLONG slowestProbeMs = 0;
};

// What to do with the main window once it shows: press its button (twice in a row, as an
// impatient double click would), or close it untouched. Or press it, then, until a message box
// shows, keep sending it a message that a window answering its queue returns at once, and ask it
// once to close.
enum class WindowAction { ClickButton, ClickButtonTwice, Close, ClickProbeAndClose };

// Starts `exe` in its own folder, confirms each message box it shows, acts on the main window,
// closes it when it is still open half a second after a message was answered, and returns once
// the program has ended, or after `patienceMs`, when it is killed.
Outcome RunProgram(const std::filesystem::path& exe, DWORD patienceMs, WindowAction action,
                   const std::wstring& arguments = {});

// The main window of `processId` once it is visible, or null.
HWND MainWindow(DWORD processId);

// Waits up to `patienceMs` for a message box of `processId`, reads it and confirms it;
// nothing if none showed by then.
std::optional<ShownBox> AnswerBox(DWORD processId, DWORD patienceMs = kPatienceMs);

std::wstring WindowText(HWND window);

}  // namespace qeltor::driver
