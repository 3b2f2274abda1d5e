#include "window/QuietConsole.h"

#include "installer/Messages.h"
#include "platform/Win32Platform.h"
#include "win32/ErrorText.h"
#include "win32/Handles.h"
#include "win32/Narrow.h"
#include "win32/Utf8.h"
#include "window/ErrorWords.h"

#include <windows.h>

#include <array>
#include <string>

namespace qeltor {
namespace {

// "2026-12-08 22:14:05", as this computer's clock shows it.
std::wstring LocalTime() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    std::array<wchar_t, 32> date{};
    std::array<wchar_t, 32> time{};
    ::GetDateFormatW(LOCALE_INVARIANT, 0, &now, L"yyyy-MM-dd", date.data(), static_cast<int>(date.size()));
    ::GetTimeFormatW(LOCALE_INVARIANT, 0, &now, L"HH:mm:ss", time.data(), static_cast<int>(time.size()));
    return std::wstring(date.data()) + L' ' + time.data();
}

// Appends `record` in UTF-8 with one write, so that runs on several machines sharing one file
// do not interleave their lines; ERROR_SUCCESS or why not.
DWORD AppendToLog(const std::wstring& path, const std::wstring& record) {
    const win32::UniqueFileHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return ::GetLastError();
    }
    const std::string bytes = win32::Utf8(record);
    DWORD written = 0;
    if (::WriteFile(file.get(), bytes.data(), win32::DwordOf(bytes.size()), &written, nullptr) == FALSE) {
        return ::GetLastError();
    }
    return written == bytes.size() ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

// Says `text` where the program's output goes: the file or pipe it was handed, or else the console
// of the program that started it. Started from no console, it says nothing.
void Say(const std::wstring& text) {
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output != nullptr && output != INVALID_HANDLE_VALUE && ::GetFileType(output) != FILE_TYPE_UNKNOWN) {
        win32::WriteText(output, text + L"\r\n");
        return;
    }
    if (::AttachConsole(ATTACH_PARENT_PROCESS) == FALSE) {
        return;
    }
    const win32::UniqueFileHandle console(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                                        nullptr));
    if (console) {
        win32::WriteText(console.get(), L"\r\n" + text + L"\r\n");  // after the prompt the console shows already
    }
}

}  // namespace

int RunWithoutWindow(const Request& request) {
    if (request.notUnderstood) {
        const QuietOutcome wrong = WrongCommandLine(*request.notUnderstood);
        Say(wrong.text);
        return wrong.exitCode;
    }
    const win32::ErrorWords errorWords = ErrorWordsOfTable();
    Win32Platform platform(errorWords);
    const QuietOutcome outcome = RunQuietly(platform, request.server);
    std::wstring said = outcome.text;
    int exitCode = outcome.exitCode;
    if (request.log) {
        const DWORD logged = AppendToLog(*request.log, LogRecord(LocalTime(), outcome.exitCode, outcome.text));
        if (logged != ERROR_SUCCESS) {
            said += messages::Render(messages::Messages{
                {messages::Id::LogNotWritten, {*request.log, win32::ErrorText(logged, *request.log, errorWords)}}});
            exitCode = exitCode == kExitRegistered ? kExitLogNotWritten : exitCode;
        }
    }
    Say(said);
    return exitCode;
}

}  // namespace qeltor
