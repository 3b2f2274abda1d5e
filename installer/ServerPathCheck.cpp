#include "installer/ServerPathCheck.h"

#include "win32/Decimal.h"

namespace qeltor {
namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// \\server\share\ with a name on each side of the middle separator.
bool IsSharePath(const std::wstring& path) {
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) {
        return false;
    }
    const auto shareStart = path.find_first_of(L"\\/", 2);
    if (shareStart == std::wstring::npos || shareStart == 2) {
        return false;
    }
    const auto shareEnd = path.find_first_of(L"\\/", shareStart + 1);
    return shareEnd != std::wstring::npos && shareEnd > shareStart + 1;
}

}  // namespace

std::optional<wchar_t> DriveLetterOf(const std::wstring& path) {
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':') {
        return static_cast<wchar_t>(path[0] >= L'a' ? path[0] - L'a' + L'A' : path[0]);
    }
    return std::nullopt;
}

bool IsFullPath(const std::wstring& path) {
    const bool onDrive = DriveLetterOf(path) && path.size() >= 3 && IsSeparator(path[2]);
    return onDrive || IsSharePath(path);
}

std::optional<messages::Message> ServerPathRefusal(Platform& platform, const std::wstring& path) {
    using messages::Id;
    if (!IsFullPath(path)) {
        return messages::Message{Id::NotAFullPath, {path}};
    }
    // The service starts the server without long-path support, so the path and its NUL must fit.
    if (path.size() >= kMaxPath) {
        return messages::Message{Id::PathTooLong, {path, DecimalText(path.size()), DecimalText(kMaxPath)}};
    }
    bool is64Bit = false;
    const OsStatus program = platform.CheckWindowsProgram(path, is64Bit);
    if (program != kOsSuccess) {
        return messages::Message{Id::NotAProgram, {path, platform.ErrorText(program)}};
    }
    if (is64Bit && !platform.IsWindows64Bit()) {
        return messages::Message{Id::SixtyFourBitOnThirtyTwo, {path, platform.ErrorText(kOsBadExeFormat)}};
    }
    return std::nullopt;
}

}  // namespace qeltor
