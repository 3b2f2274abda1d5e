#include "servicetools/common/Console.h"

#include <windows.h>

#include "win32/Utf8.h"

#include <string>

namespace qeltor::service {
namespace {

void WriteLine(DWORD stream, std::wstring_view text) {
    HANDLE output = ::GetStdHandle(stream);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) {
        return;
    }
    std::wstring line(text);
    line += L"\r\n";
    DWORD mode = 0;
    DWORD written = 0;
    // A real console takes UTF-16 as is; anything else gets UTF-8, which terminals and editors read.
    if (::GetConsoleMode(output, &mode) != FALSE) {
        ::WriteConsoleW(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const std::string utf8 = win32::Utf8(line);
    ::WriteFile(output, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

void PrintLine(std::wstring_view text) {
    WriteLine(STD_OUTPUT_HANDLE, text);
}

void PrintErrorLine(std::wstring_view text) {
    WriteLine(STD_ERROR_HANDLE, text);
}

}  // namespace qeltor::service
