#include "ProgramDriver.h"

#include <algorithm>
#include <set>
#include <utility>

namespace qeltor::driver {
namespace {

constexpr DWORD kPollMs = 50;
constexpr ULONGLONG kPatienceAfterBoxMs = 500;
constexpr wchar_t kMainTitle[] = L"Set Monitoring Server as Service";
constexpr wchar_t kButtonText[] = L"Set Run as Service";

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// RGB pixels of whatever `paint` draws on a fresh 32-bit top-down bitmap.
template <typename Paint>
std::vector<DWORD> Pixels(int width, int height, Paint paint) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::vector<DWORD> rgb;
    if (bits != nullptr) {
        paint(dc);
        GdiFlush();
        const auto* first = static_cast<const DWORD*>(bits);
        rgb.assign(first, first + static_cast<ptrdiff_t>(width) * height);
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    for (DWORD& pixel : rgb) {
        pixel &= 0xFFFFFFU;
    }
    return rgb;
}

// A message box's icon handle belongs to the showing process and means nothing
// here, so the icon is recognised by its pixels on the screen instead.
std::wstring ShownIcon(HWND box, ULONGLONG deadline) {
    HWND icon = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            icon = child;
        }
    }
    if (icon == nullptr) {
        return L"none";
    }
    RECT rect{};
    GetWindowRect(icon, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const std::pair<LPCWSTR, const wchar_t*> candidates[] = {{IDI_HAND, L"hand"},
                                                             {IDI_ASTERISK, L"asterisk"},
                                                             {IDI_EXCLAMATION, L"exclamation"},
                                                             {IDI_QUESTION, L"question"}};
    do {
        const std::vector<DWORD> seen = Pixels(width, height, [&](HDC dc) {
            HDC screen = GetDC(nullptr);
            BitBlt(dc, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
            ReleaseDC(nullptr, screen);
        });
        for (const auto& candidate : candidates) {
            // Icons are drawn with transparency: the reference goes on the box's own background.
            const std::vector<DWORD> drawn = Pixels(width, height, [&](HDC dc) {
                const DWORD background = seen.empty() ? 0 : seen.front();
                HBRUSH brush =
                    CreateSolidBrush(RGB(GetBValue(background), GetGValue(background), GetRValue(background)));
                const RECT all{0, 0, width, height};
                FillRect(dc, &all, brush);
                DeleteObject(brush);
                DrawIconEx(dc, 0, 0, LoadIconW(nullptr, candidate.first), width, height, 0, nullptr, DI_NORMAL);
            });
            if (!seen.empty() && drawn == seen) {
                return candidate.second;
            }
        }
        Sleep(kPollMs);  // not painted yet
    } while (GetTickCount64() < deadline);
    return L"unrecognised";
}

// A message box of `processId` that has not been answered yet, or null.
HWND UnansweredBox(DWORD processId, const std::set<HWND>& answered) {
    for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window) != FALSE && !answered.contains(window)) {
            return window;
        }
    }
    return nullptr;
}

}  // namespace

// CMake hands over Unix paths; Wine shows the Unix root as drive Z:.
std::filesystem::path WindowsPath(std::wstring path) {
    if (path.starts_with(L'/')) {
        path.insert(0, L"Z:");
    }
    std::ranges::replace(path, L'/', L'\\');
    return path;
}

HWND MainWindow(DWORD processId) {
    for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, kMainTitle); window != nullptr;
         window = FindWindowExW(nullptr, window, nullptr, kMainTitle)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window) != FALSE) {
            return window;
        }
    }
    return nullptr;
}

Outcome RunProgram(const std::filesystem::path& exe, ULONGLONG patienceMs, WindowAction action) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    Outcome outcome;
    const std::wstring folder = exe.parent_path().wstring();
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                       &info) == FALSE) {
        outcome.problem = "CreateProcessW failed: " + std::to_string(GetLastError());
        return outcome;
    }
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    const ULONGLONG deadline = GetTickCount64() + patienceMs;
    std::set<HWND> answered;
    bool acted = false;
    ULONGLONG lastAnswer = 0;
    while (WaitForSingleObject(process.get(), kPollMs) == WAIT_TIMEOUT) {
        if (GetTickCount64() > deadline) {
            outcome.problem = "still running after " + std::to_string(patienceMs) + " ms";
            TerminateProcess(process.get(), 999);
            WaitForSingleObject(process.get(), 5000);
            break;
        }
        if (HWND box = UnansweredBox(info.dwProcessId, answered); box != nullptr) {
            answered.insert(box);
            // The message text is the static control with id 0xFFFF, on Windows and in Wine.
            outcome.boxes.push_back({WindowText(box), WindowText(GetDlgItem(box, 0xFFFF)), ShownIcon(box, deadline)});
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            lastAnswer = GetTickCount64();
            continue;
        }
        HWND main = MainWindow(info.dwProcessId);
        if (main == nullptr || IsWindowEnabled(main) == FALSE) {
            continue;  // not shown yet, or behind a message box
        }
        outcome.windowShown = true;
        if (!acted && action != WindowAction::Close) {
            HWND button = FindWindowExW(main, nullptr, L"Button", kButtonText);
            PostMessageW(button, BM_CLICK, 0, 0);
            if (action == WindowAction::ClickButtonTwice) {
                PostMessageW(button, BM_CLICK, 0, 0);
            }
            acted = true;
        } else if (!outcome.closedByDriver &&
                   (action == WindowAction::Close ||
                    (lastAnswer != 0 && kPatienceAfterBoxMs < GetTickCount64() - lastAnswer))) {
            // Still open after its answer, or never meant to be used: close it as a person would.
            PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
            outcome.closedByDriver = true;
        }
    }
    GetExitCodeProcess(process.get(), &outcome.exitCode);
    return outcome;
}

std::optional<ShownBox> AnswerBox(DWORD processId, ULONGLONG deadline) {
    for (;;) {
        if (HWND box = UnansweredBox(processId, {}); box != nullptr) {
            ShownBox shown{WindowText(box), WindowText(GetDlgItem(box, 0xFFFF)), ShownIcon(box, deadline)};
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return shown;
        }
        if (GetTickCount64() >= deadline) {
            return std::nullopt;
        }
        Sleep(kPollMs);
    }
}

std::vector<DWORD> DrawnPixels(int width, int height, const std::function<void(HDC)>& paint) {
    return Pixels(width, height, paint);
}

std::vector<DWORD> ScreenPixels(const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    return Pixels(width, height, [&](HDC dc) {
        HDC screen = GetDC(nullptr);
        BitBlt(dc, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
}

}  // namespace qeltor::driver
