// Times how long programs take from CreateProcessW until a visible top-level window of theirs
// with a given title exists, taking turns between them, and prints each one's median, min
// and max. The first program named is the floor the others are compared with.
//
// Usage: StartupTimer.exe [--rounds N] [--warmup N] [--target R] <label> <exe> <title> ...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPollMs = 1;
constexpr ULONGLONG kShowPatienceMs = 20000;
constexpr DWORD kClosePatienceMs = 10000;

struct Program {
    std::wstring label;
    std::wstring exe;
    std::wstring title;
    std::vector<double> samples;  // milliseconds, measured rounds only
    int failures = 0;
};

struct Search {
    DWORD processId;
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || ::IsWindowVisible(window) == FALSE) {
        return TRUE;
    }
    // Read from the window manager's copy: no message to a process that may be busy.
    wchar_t text[256] = {};
    ::InternalGetWindowText(window, text, static_cast<int>(std::size(text)));
    if (*search->title != text) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND FindShownWindow(DWORD processId, const std::wstring& title) {
    Search search{processId, &title, nullptr};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring FolderOf(const std::wstring& path) {
    const auto last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? std::wstring{} : path.substr(0, last);
}

double Milliseconds(LONGLONG ticks) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER value{};
        ::QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency);
}

LONGLONG Now() {
    LARGE_INTEGER value{};
    ::QueryPerformanceCounter(&value);
    return value.QuadPart;
}

// One start: the time until the window shows, or a negative value when it never did.
double TimeOneStart(const Program& program) {
    std::wstring commandLine = L"\"" + program.exe + L"\"";
    const std::wstring folder = FolderOf(program.exe);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};

    const LONGLONG begin = Now();
    if (::CreateProcessW(program.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         folder.empty() ? nullptr : folder.c_str(), &startup, &started) == FALSE) {
        std::fwprintf(stderr, L"  %ls: CreateProcessW failed, error %lu\n", program.label.c_str(), ::GetLastError());
        return -1.0;
    }
    HWND shown = nullptr;
    double elapsed = -1.0;
    const ULONGLONG deadline = ::GetTickCount64() + kShowPatienceMs;
    for (;;) {
        shown = FindShownWindow(started.dwProcessId, program.title);
        if (shown != nullptr) {
            elapsed = Milliseconds(Now() - begin);
            break;
        }
        // The wait doubles as the pause between looks, and notices a program that ended.
        if (::WaitForSingleObject(started.hProcess, kPollMs) == WAIT_OBJECT_0) {
            DWORD code = 0;
            ::GetExitCodeProcess(started.hProcess, &code);
            std::fwprintf(stderr, L"  %ls: ended (exit code %lu) without showing \"%ls\"\n", program.label.c_str(),
                          code, program.title.c_str());
            break;
        }
        if (::GetTickCount64() > deadline) {
            std::fwprintf(stderr, L"  %ls: no window \"%ls\" after %llu ms\n", program.label.c_str(),
                          program.title.c_str(), kShowPatienceMs);
            break;
        }
    }

    if (shown != nullptr) {
        ::PostMessageW(shown, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(started.hProcess, kClosePatienceMs) != WAIT_OBJECT_0) {
        std::fwprintf(stderr, L"  %ls: still running after close, ended by force\n", program.label.c_str());
        ::TerminateProcess(started.hProcess, 1);
        ::WaitForSingleObject(started.hProcess, INFINITE);
    }
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

int Usage() {
    std::fwprintf(stderr,
                  L"usage: StartupTimer.exe [--rounds N] [--warmup N] [--target R] <label> <exe> <title> "
                  L"[<label> <exe> <title>...]\n");
    return 64;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int rounds = 15;
    int warmup = 1;
    double target = 1.2;
    std::vector<Program> programs;
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size();) {
        if (args[i].rfind(L"--", 0) == 0 && i + 1 < args.size()) {
            const std::wstring& value = args[i + 1];
            if (args[i] == L"--rounds") {
                rounds = std::max(1, _wtoi(value.c_str()));
            } else if (args[i] == L"--warmup") {
                warmup = std::max(0, _wtoi(value.c_str()));
            } else if (args[i] == L"--target") {
                target = _wtof(value.c_str());
            } else {
                return Usage();
            }
            i += 2;
        } else if (i + 3 <= args.size()) {
            programs.push_back({args[i], args[i + 1], args[i + 2], {}, 0});
            i += 3;
        } else {
            return Usage();
        }
    }
    if (programs.empty()) {
        return Usage();
    }

    std::wprintf(L"%d warm-up and %d measured starts of each program, taking turns\n", warmup, rounds);
    std::fflush(stdout);
    for (int round = 0; round < warmup + rounds; ++round) {
        const bool measured = round >= warmup;
        // Every other round runs them the other way round, so that none always goes first.
        for (std::size_t k = 0; k < programs.size(); ++k) {
            Program& program = programs[round % 2 == 0 ? k : programs.size() - 1 - k];
            const double elapsed = TimeOneStart(program);
            if (!measured) {
                continue;
            }
            if (elapsed < 0) {
                ++program.failures;
            } else {
                program.samples.push_back(elapsed);
            }
        }
    }

    std::wprintf(L"\n%-40ls %5ls %10ls %10ls %10ls\n", L"program (start to visible window)", L"runs", L"median ms",
                 L"min ms", L"max ms");
    for (const Program& program : programs) {
        if (program.samples.empty()) {
            std::wprintf(L"%-40ls %5d %10ls %10ls %10ls\n", program.label.c_str(), 0, L"-", L"-", L"-");
            continue;
        }
        const auto [low, high] = std::minmax_element(program.samples.begin(), program.samples.end());
        std::wprintf(L"%-40ls %5zu %10.1f %10.1f %10.1f\n", program.label.c_str(), program.samples.size(),
                     Median(program.samples), *low, *high);
    }

    bool allMeasured = true;
    bool withinTarget = true;
    for (const Program& program : programs) {
        allMeasured = allMeasured && program.failures == 0 && !program.samples.empty();
    }
    if (allMeasured) {
        const double floor = Median(programs.front().samples);
        std::wprintf(L"\n");
        for (std::size_t k = 1; k < programs.size(); ++k) {
            const double ratio = Median(programs[k].samples) / floor;
            const bool within = ratio <= target;
            // Only the program right after the floor is held to the target; further rows are for
            // finding where the time goes.
            if (k == 1) {
                withinTarget = within;
            }
            std::wprintf(L"ratio median(%ls) / median(%ls): %.2f", programs[k].label.c_str(),
                         programs.front().label.c_str(), ratio);
            if (k == 1) {
                std::wprintf(L"  (target <= %.2f: %ls)", target, within ? L"met" : L"MISSED");
            }
            std::wprintf(L"\n");
        }
    } else {
        std::wprintf(L"\nsome starts failed (see above): no ratio\n");
    }
    std::fflush(stdout);
    if (!allMeasured) {
        return 1;
    }
    return withinTarget ? 0 : 2;
}
