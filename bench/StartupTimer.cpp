// Times how long programs take from CreateProcessW until a visible top-level window of theirs
// with a given title exists, taking turns between them, and prints each one's median, min
// and max. The first program named is the floor the others are compared with.
//
// Usage: StartupTimer.exe [--rounds N] [--warmup N] [--detect poll|idle] [--look-ms N] [--target R]
//                         [--each 1] <label> <exe> <title> [<label> <exe> <title>...]
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <iomanip>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kShowPatienceMs = 20000;
constexpr DWORD kClosePatienceMs = 10000;
constexpr int kLabelWidth = 40;
constexpr int kNumberWidth = 11;

struct Options {
    int rounds = 15;
    int warmup = 1;
    // Wine 8 passes no WinEvents of other processes to an out-of-context hook, so the window
    // is looked for every lookMs. With "idle", the timer first waits until the program waits
    // for input (our programs do so right after showing and painting their window) and takes
    // that moment when the window is there: start to ready, first paint included.
    bool poll = true;
    DWORD lookMs = 1;
    double target = 1.2;
    bool each = false;
};

struct Program {
    std::wstring label;
    std::wstring exe;
    std::wstring title;
    std::vector<double> samples;  // milliseconds, measured rounds only
    int failures = 0;
    int seenByLooking = 0;  // "idle" starts whose window was not there yet when the program went idle
};

std::string Utf8(const std::wstring& text) {
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

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
double TimeOneStart(Program& program, const Options& options) {
    std::wstring commandLine = L"\"" + program.exe + L"\"";
    const std::wstring folder = FolderOf(program.exe);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    const std::string label = Utf8(program.label);

    const LONGLONG begin = Now();
    if (::CreateProcessW(program.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         folder.empty() ? nullptr : folder.c_str(), &startup, &started) == FALSE) {
        std::cerr << "  " << label << ": CreateProcessW failed, error " << ::GetLastError() << "\n";
        return -1.0;
    }
    HWND shown = nullptr;
    double elapsed = -1.0;
    if (!options.poll && ::WaitForInputIdle(started.hProcess, kShowPatienceMs) == 0) {
        const LONGLONG idle = Now();
        shown = FindShownWindow(started.dwProcessId, program.title);
        if (shown != nullptr) {
            elapsed = Milliseconds(idle - begin);
        } else {
            ++program.seenByLooking;
        }
    }
    const ULONGLONG deadline = ::GetTickCount64() + kShowPatienceMs;
    while (shown == nullptr) {
        shown = FindShownWindow(started.dwProcessId, program.title);
        if (shown != nullptr) {
            elapsed = Milliseconds(Now() - begin);
            break;
        }
        // The wait doubles as the pause between looks, and notices a program that ended.
        if (::WaitForSingleObject(started.hProcess, options.lookMs) == WAIT_OBJECT_0) {
            DWORD code = 0;
            ::GetExitCodeProcess(started.hProcess, &code);
            std::cerr << "  " << label << ": ended (exit code " << code << ") without showing \"" << Utf8(program.title)
                      << "\"\n";
            break;
        }
        if (::GetTickCount64() > deadline) {
            std::cerr << "  " << label << ": no window \"" << Utf8(program.title) << "\" after " << kShowPatienceMs
                      << " ms\n";
            break;
        }
    }

    if (shown != nullptr) {
        ::PostMessageW(shown, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(started.hProcess, kClosePatienceMs) != WAIT_OBJECT_0) {
        std::cerr << "  " << label << ": still running after close, ended by force\n";
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
    std::cerr << "usage: StartupTimer.exe [--rounds N] [--warmup N] [--detect poll|idle] [--look-ms N] [--target R]\n"
                 "                        [--each 1] <label> <exe> <title> [<label> <exe> <title>...]\n";
    return 64;
}

bool ParseArguments(const std::vector<std::wstring>& args, Options& options, std::vector<Program>& programs) {
    for (std::size_t i = 0; i < args.size();) {
        if (args[i].rfind(L"--", 0) == 0 && i + 1 < args.size()) {
            const std::wstring& name = args[i];
            const std::wstring& value = args[i + 1];
            if (name == L"--rounds") {
                options.rounds = std::max(1, _wtoi(value.c_str()));
            } else if (name == L"--warmup") {
                options.warmup = std::max(0, _wtoi(value.c_str()));
            } else if (name == L"--detect" && (value == L"idle" || value == L"poll")) {
                options.poll = value == L"poll";
            } else if (name == L"--look-ms") {
                options.lookMs = static_cast<DWORD>(std::max(1, _wtoi(value.c_str())));
            } else if (name == L"--target") {
                options.target = _wtof(value.c_str());
            } else if (name == L"--each") {
                options.each = value != L"0";
            } else {
                return false;
            }
            i += 2;
        } else if (i + 3 <= args.size()) {
            programs.push_back({args[i], args[i + 1], args[i + 2], {}, 0, 0});
            i += 3;
        } else {
            return false;
        }
    }
    return !programs.empty();
}

void PrintTable(const std::vector<Program>& programs) {
    std::cout << "\n"
              << std::left << std::setw(kLabelWidth) << "program (start to visible window)" << std::right
              << std::setw(6) << "runs" << std::setw(kNumberWidth) << "median ms" << std::setw(kNumberWidth) << "min ms"
              << std::setw(kNumberWidth) << "max ms"
              << "\n";
    std::cout << std::fixed << std::setprecision(1);
    for (const Program& program : programs) {
        std::cout << std::left << std::setw(kLabelWidth) << Utf8(program.label) << std::right << std::setw(6)
                  << program.samples.size();
        if (program.samples.empty()) {
            std::cout << std::setw(kNumberWidth) << "-" << std::setw(kNumberWidth) << "-" << std::setw(kNumberWidth)
                      << "-"
                      << "\n";
            continue;
        }
        const auto [low, high] = std::minmax_element(program.samples.begin(), program.samples.end());
        std::cout << std::setw(kNumberWidth) << Median(program.samples) << std::setw(kNumberWidth) << *low
                  << std::setw(kNumberWidth) << *high << "\n";
    }
    for (const Program& program : programs) {
        if (program.seenByLooking > 0) {
            std::cout << "note: " << program.seenByLooking << " starts of " << Utf8(program.label)
                      << " went idle before the window showed; it was looked for instead\n";
        }
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    std::vector<Program> programs;
    if (!ParseArguments(std::vector<std::wstring>(argv + 1, argv + argc), options, programs)) {
        return Usage();
    }

    std::cout << options.warmup << " warm-up and " << options.rounds
              << " measured starts of each program, taking turns\n";
    if (options.poll) {
        std::cout << "the window is looked for every " << options.lookMs << " ms\n";
    } else {
        std::cout << "the window is checked for when the program first waits for input (first paint included)\n";
    }
    std::cout << std::flush;
    for (int round = 0; round < options.warmup + options.rounds; ++round) {
        const bool measured = round >= options.warmup;
        // Every other round runs them the other way round, so that none always goes first.
        for (std::size_t k = 0; k < programs.size(); ++k) {
            Program& program = programs[round % 2 == 0 ? k : programs.size() - 1 - k];
            const double elapsed = TimeOneStart(program, options);
            if (options.each) {
                std::cout << "  round " << std::setw(2) << round + 1 << (measured ? "  " : "w ") << std::left
                          << std::setw(kLabelWidth) << Utf8(program.label) << std::right << std::fixed
                          << std::setprecision(1) << std::setw(8) << elapsed << " ms" << std::endl;
            }
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
    PrintTable(programs);

    const bool allMeasured = std::all_of(programs.begin(), programs.end(), [](const Program& program) {
        return program.failures == 0 && !program.samples.empty();
    });
    if (!allMeasured) {
        std::cout << "\nsome starts failed (see above): no ratio" << std::endl;
        return 1;
    }
    const double floor = Median(programs.front().samples);
    bool withinTarget = true;
    std::cout << "\n" << std::setprecision(2);
    for (std::size_t k = 1; k < programs.size(); ++k) {
        const double ratio = Median(programs[k].samples) / floor;
        std::cout << "ratio median(" << Utf8(programs[k].label) << ") / median(" << Utf8(programs.front().label)
                  << "): " << ratio;
        // Only the program right after the floor is held to the target; further rows help find
        // where the time goes.
        if (k == 1) {
            withinTarget = ratio <= options.target;
            std::cout << "  (target <= " << options.target << ": " << (withinTarget ? "met" : "MISSED") << ")";
        }
        std::cout << "\n";
    }
    std::cout << std::flush;
    return withinTarget ? 0 : 2;
}
