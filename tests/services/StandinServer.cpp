// A stand-in for the monitored server, for srvany to host:
//   StandinServer [<heartbeat file>] [--child | --helper <ms> | --dialog-child | --children <n>]
//                 [--no-window] [--stubborn] [--dialog] [--ctrl-c-left-off] [--ready <ms>] [--save <ms>]
//                 [--beat <ms>] [--exit <code>] [--hidden-window] [--respawn] [--consoles <n>]
// It rewrites the heartbeat file ("<pid> <beat>") every 100 ms (heartbeat.txt in the current
// folder by default) and adds each request to end it gets to "<heartbeat file>.ended" ("close",
// "ctrl"), so that a request made twice shows. It ends with 0 when asked: with its window shown, on
// WM_CLOSE only, like a windowed program; with --no-window, on Ctrl+C or Ctrl+Break; with
// --stubborn, never, and it notes nothing; with --dialog, never either: WM_CLOSE asks "Save
// changes?" in a message box that nobody in a service answers. With --save it first takes that
// long to save its work, then writes "saved" into "<heartbeat file>.saved". With --exit it ends
// by itself after a few beats. With --ready it takes that long to start before it listens for
// requests to end. --ctrl-c-left-off leaves Ctrl+C as it found it (ignored, where it was started in
// a process group of its own), where every other mode turns it on.
// --child starts a stubborn copy of it, which only the end of its job can stop; --helper a
// windowed copy that takes <ms> to save ("<heartbeat file>.child.saved"); --dialog-child a
// --dialog copy; --children <n> copies without a window that take as long to save as it does
// ("<heartbeat file>.1" to ".<n>"), each beating every 5 s (--beat <ms>) so that hundreds of
// them leave the machine free; --consoles <n> --stubborn ones, each on a console of its own. The
// others share its console. --hidden-window keeps its window hidden and ends on a Ctrl event too;
// --respawn starts a --no-window copy ("<heartbeat file>.again") once asked.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kBeatMs = 100;
constexpr int kBeatsBeforeExit = 3;

struct Options {
    std::wstring heartbeat = L"heartbeat.txt";
    bool child = false;
    bool window = true;
    bool hidden = false;
    bool respawn = false;
    DWORD childFlags = 0;
    bool stubborn = false;
    bool dialog = false;
    bool dialogChild = false;
    bool ctrlCLeftOff = false;
    int children = 0;
    DWORD beatMs = kBeatMs;
    int exitCode = -1;
    int helperSaveMs = -1;
    DWORD saveMs = 0;
    DWORD readyMs = 0;
};

HANDLE g_quit = nullptr;
std::wstring g_endedFile;

void RecordRequest(const char* request) {
    std::ofstream(std::filesystem::path(g_endedFile), std::ios::app) << request;
}

void RecordEnd(const char* reason) {
    RecordRequest(reason);
    ::SetEvent(g_quit);
}

// Windowed, it notes a Ctrl event but does not end on it; stubborn, it swallows it unnoted.
bool g_windowed = false;
bool g_stubborn = false;
bool g_dialog = false;

BOOL WINAPI OnCtrl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    if (g_windowed) {
        RecordRequest("ctrl");
    } else if (!g_stubborn) {
        RecordEnd("ctrl");
    }
    return TRUE;
}

LRESULT CALLBACK OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE && g_dialog) {
        RecordRequest("close");
        ::MessageBoxW(window, L"Save changes?", L"Stand-in server", MB_YESNOCANCEL | MB_ICONQUESTION);
        return 0;
    }
    if (message == WM_CLOSE) {
        RecordEnd("close");
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

Options Parse(const std::vector<std::wstring>& arguments) {
    Options options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == L"--child") {
            options.child = true;
        } else if (arguments[i] == L"--no-window") {
            options.window = false;
        } else if (arguments[i] == L"--hidden-window") {
            options.hidden = true;
        } else if (arguments[i] == L"--respawn") {
            options.respawn = true;
        } else if (arguments[i] == L"--stubborn") {
            options.window = false;
            options.stubborn = true;
        } else if (arguments[i] == L"--dialog") {
            options.dialog = true;
        } else if (arguments[i] == L"--dialog-child") {
            options.dialogChild = true;
        } else if (arguments[i] == L"--ctrl-c-left-off") {
            options.ctrlCLeftOff = true;
        } else if (arguments[i] == L"--beat" && i + 1 < arguments.size()) {
            options.beatMs = static_cast<DWORD>(std::stoul(arguments[++i]));
        } else if ((arguments[i] == L"--children" || arguments[i] == L"--consoles") && i + 1 < arguments.size()) {
            options.childFlags = arguments[i] == L"--consoles" ? CREATE_NEW_CONSOLE : 0;
            options.children = std::stoi(arguments[++i]);
        } else if (arguments[i] == L"--exit" && i + 1 < arguments.size()) {
            options.exitCode = std::stoi(arguments[++i]);
        } else if (arguments[i] == L"--helper" && i + 1 < arguments.size()) {
            options.helperSaveMs = std::stoi(arguments[++i]);
        } else if (arguments[i] == L"--ready" && i + 1 < arguments.size()) {
            options.readyMs = static_cast<DWORD>(std::stoul(arguments[++i]));
        } else if (arguments[i] == L"--save" && i + 1 < arguments.size()) {
            options.saveMs = static_cast<DWORD>(std::stoul(arguments[++i]));
        } else {
            options.heartbeat = arguments[i];
        }
    }
    return options;
}

// The child is a copy of this program; being started from inside the job, it joins it.
void StartChild(const std::wstring& heartbeat, const std::wstring& options, DWORD flags = 0) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" \"" + heartbeat + L"\" " + options;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup,
                         &started) != FALSE) {
        ::CloseHandle(started.hThread);
        ::CloseHandle(started.hProcess);
    }
}

// Hundreds of processes started one after the other take minutes under Wine: several threads
// start them at once.
constexpr int kStarters = 4;
constexpr DWORD kChildBeatMs = 5000;

struct Starter {
    const Options* options = nullptr;
    int first = 0;
};

DWORD WINAPI StartChildren(void* context) {
    const Starter& starter = *static_cast<const Starter*>(context);
    for (int child = starter.first; child <= starter.options->children; child += kStarters) {
        StartChild(starter.options->heartbeat + L"." + std::to_wstring(child),
                   (starter.options->childFlags != 0 ? L"--stubborn --beat " : L"--no-window --beat ") +
                       std::to_wstring(kChildBeatMs) + L" --save " + std::to_wstring(starter.options->saveMs),
                   starter.options->childFlags);
    }
    return 0;
}

void StartManyChildren(const Options& options) {
    Starter starters[kStarters];
    HANDLE threads[kStarters] = {};
    for (int i = 0; i < kStarters; ++i) {
        starters[i] = Starter{&options, i + 1};
        threads[i] = ::CreateThread(nullptr, 0, StartChildren, &starters[i], 0, nullptr);
    }
    for (HANDLE thread : threads) {
        if (thread != nullptr) {
            ::WaitForSingleObject(thread, INFINITE);
            ::CloseHandle(thread);
        }
    }
}

void CreateCloseableWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = OnMessage;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QeltorStandinServer";
    ::RegisterClassW(&windowClass);
    ::CreateWindowExW(0, windowClass.lpszClassName, L"Stand-in server", WS_OVERLAPPED | (g_windowed ? WS_VISIBLE : 0),
                      0, 0, 100, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Options options = Parse(std::vector<std::wstring>(argv + 1, argv + argc));
    g_quit = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_endedFile = options.heartbeat + L".ended";
    g_windowed = options.window && !options.hidden;
    g_stubborn = options.stubborn;
    g_dialog = options.dialog;
    ::Sleep(options.readyMs);
    if (!options.ctrlCLeftOff) {
        ::SetConsoleCtrlHandler(nullptr, FALSE);  // a new process group starts with Ctrl+C ignored
    }
    ::SetConsoleCtrlHandler(OnCtrl, TRUE);
    if (options.window) {
        CreateCloseableWindow();
    }
    if (options.child) {
        StartChild(options.heartbeat + L".child", L"--stubborn");
    }
    if (options.helperSaveMs >= 0) {
        StartChild(options.heartbeat + L".child", L"--save " + std::to_wstring(options.helperSaveMs));
    }
    if (options.dialogChild) {
        StartChild(options.heartbeat + L".child", L"--dialog");
    }
    if (options.children > 0) {
        StartManyChildren(options);
    }
    for (int beat = 1;; ++beat) {
        std::ofstream(std::filesystem::path(options.heartbeat)) << ::GetCurrentProcessId() << ' ' << beat;
        if (options.exitCode >= 0 && beat >= kBeatsBeforeExit) {
            return options.exitCode;
        }
        if (::MsgWaitForMultipleObjects(1, &g_quit, FALSE, options.beatMs, QS_ALLINPUT) == WAIT_OBJECT_0) {
            if (options.respawn) {
                StartChild(options.heartbeat + L".again", L"--no-window");
            }
            if (options.saveMs > 0) {
                ::Sleep(options.saveMs);
                std::ofstream(std::filesystem::path(options.heartbeat + L".saved")) << "saved";
            }
            return 0;
        }
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
            ::DispatchMessageW(&message);
        }
    }
}
