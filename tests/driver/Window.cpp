#include "Window.h"

#include <algorithm>
#include <set>

#include "Programs.h"
#include "Screen.h"

namespace qeltor::driver {
namespace {

constexpr ULONGLONG kPatienceAfterBoxMs = 500;
constexpr UINT kProbePatienceMs = 2000;  // how long a window may take to answer before it counts as hung
constexpr wchar_t kMainTitle[] = L"Set Monitoring Server as Service";
constexpr wchar_t kButtonText[] = L"Set Run as Service";

// The first visible top-level window of `processId` with that class or title.
HWND WindowOf(DWORD processId, const wchar_t* className, const wchar_t* title, const std::set<HWND>& skip = {}) {
    for (HWND window = ::FindWindowExW(nullptr, nullptr, className, title); window != nullptr;
         window = ::FindWindowExW(nullptr, window, className, title)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId && ::IsWindowVisible(window) != FALSE && !skip.contains(window)) {
            return window;
        }
    }
    return nullptr;
}

// A message box's icon handle belongs to the showing process and means nothing here, so the
// icon is recognised by its pixels on the screen, once painted.
std::wstring ShownIcon(HWND box) {
    HWND icon = nullptr;
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            icon = child;
        }
    }
    if (icon == nullptr) {
        return L"none";
    }
    RECT rect{};
    ::GetWindowRect(icon, &rect);
    std::wstring seen;
    // Another program's box may lie over this one: each look raises it first.
    const auto look = [&] {
        ::SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return !(seen = StockIconAt(rect)).empty();
    };
    return WaitUntil(look) ? seen : L"unrecognised";
}

// Reads the box and confirms it. The message text is the static control with id 0xFFFF, on
// Windows and in Wine.
ShownBox Answer(HWND box) {
    ShownBox shown{WindowText(box), WindowText(::GetDlgItem(box, 0xFFFF)), ShownIcon(box)};
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    return shown;
}

// One look at a running program: a new message box is answered; otherwise the main window,
// once usable, gets the action, and is closed when it outlives an answered message.
class Watcher {
public:
    Watcher(DWORD processId, WindowAction action, Outcome& outcome)
        : processId_(processId), action_(action), outcome_(outcome) {}

    void Look() {
        if (HWND box = WindowOf(processId_, L"#32770", nullptr, answered_); box != nullptr) {
            answered_.insert(box);
            outcome_.boxes.push_back(Answer(box));
            lastAnswer_ = ::GetTickCount64();
            return;
        }
        HWND main = MainWindow(processId_);
        if (main == nullptr || ::IsWindowEnabled(main) == FALSE) {
            return;  // not shown yet, or behind a message box
        }
        outcome_.windowShown = true;
        if (!acted_ && action_ != WindowAction::Close) {
            HWND button = ::FindWindowExW(main, nullptr, L"Button", kButtonText);
            ::PostMessageW(button, BM_CLICK, 0, 0);
            if (action_ == WindowAction::ClickButtonTwice) {
                ::PostMessageW(button, BM_CLICK, 0, 0);
            }
            acted_ = true;
        } else if (action_ == WindowAction::ClickProbeAndClose && outcome_.boxes.empty()) {
            Probe(main);
        } else if (!outcome_.closedByDriver && (action_ == WindowAction::Close || AnswerOutlived())) {
            ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);  // as a person would
            outcome_.closedByDriver = true;
        }
    }

private:
    void Probe(HWND main) {
        DWORD_PTR result = 0;
        const ULONGLONG sent = ::GetTickCount64();
        if (::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kProbePatienceMs, &result) == 0) {
            ++outcome_.probesMissed;
            return;
        }
        ++outcome_.probesAnswered;
        outcome_.slowestProbeMs = std::max(outcome_.slowestProbeMs, ::GetTickCount64() - sent);
        if (!closeAsked_) {
            ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
            closeAsked_ = true;
        }
    }

    [[nodiscard]] bool AnswerOutlived() const {
        return lastAnswer_ != 0 && kPatienceAfterBoxMs < ::GetTickCount64() - lastAnswer_;
    }

    DWORD processId_;
    WindowAction action_;
    Outcome& outcome_;
    std::set<HWND> answered_;
    bool acted_ = false;
    bool closeAsked_ = false;
    ULONGLONG lastAnswer_ = 0;
};

}  // namespace

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

HWND MainWindow(DWORD processId) {
    return WindowOf(processId, nullptr, kMainTitle);
}

Outcome RunProgram(const std::filesystem::path& exe, DWORD patienceMs, WindowAction action,
                   const std::wstring& arguments) {
    Outcome outcome;
    const Started program = Start(exe, arguments);
    if (!program.process) {
        outcome.problem = "CreateProcessW failed: " + std::to_string(program.error);
        return outcome;
    }
    HANDLE process = program.process.get();
    Watcher watcher(program.id, action, outcome);
    const bool ended = WaitUntil(
        [&] {
            if (::WaitForSingleObject(process, 0) != WAIT_TIMEOUT) {
                return true;
            }
            watcher.Look();
            return false;
        },
        patienceMs);
    if (!ended) {
        outcome.problem = "still running after " + std::to_string(patienceMs) + " ms";
        ::TerminateProcess(process, 999);
        ::WaitForSingleObject(process, 5000);
    }
    ::GetExitCodeProcess(process, &outcome.exitCode);
    return outcome;
}

std::optional<ShownBox> AnswerBox(DWORD processId, DWORD patienceMs) {
    std::optional<ShownBox> shown;
    WaitUntil(
        [&] {
            if (HWND box = WindowOf(processId, L"#32770", nullptr); box != nullptr) {
                shown = Answer(box);
            }
            return shown.has_value();
        },
        patienceMs);
    return shown;
}

}  // namespace qeltor::driver
