#include "win32/Utf8.h"

#include "win32/Narrow.h"

namespace qeltor::win32 {

std::string Utf8(std::wstring_view text) {
    const auto length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

void WriteText(HANDLE output, std::wstring_view text) {
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(output, &mode) != FALSE) {
        ::WriteConsoleW(output, text.data(), DwordOf(text.size()), &written, nullptr);
        return;
    }
    const std::string utf8 = Utf8(text);
    ::WriteFile(output, utf8.data(), DwordOf(utf8.size()), &written, nullptr);
}

}  // namespace qeltor::win32
