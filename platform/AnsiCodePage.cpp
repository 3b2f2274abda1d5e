#include "platform/AnsiCodePage.h"

#include <windows.h>

#include <climits>

namespace qeltor {
namespace {

std::wstring FromAnsi(const std::string& bytes) {
    const int length =
        ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                              length);
    }
    return text;
}

}  // namespace

std::optional<std::string> ToExactAnsi(const std::wstring& text) {
    if (text.empty()) {
        return std::string{};
    }
    if (text.size() > INT_MAX / 4) {
        return std::nullopt;
    }
    // No conversion flags: several code pages (UTF-8, GB18030, ...) refuse them. The round
    // trip below catches every replaced character whatever the code page.
    const int wideLength = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), wideLength, bytes.data(), length, nullptr, nullptr);
    if (FromAnsi(bytes) != text) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace qeltor
