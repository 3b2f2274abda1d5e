#include "core/Paths.h"

namespace qeltor {
namespace {

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// \\server\share\ with a name on each side of the middle separator.
bool IsSharePath(const std::wstring& path) {
    if (path.size() < 2 || !IsPathSeparator(path[0]) || !IsPathSeparator(path[1])) {
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

bool IsPathSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool IsFullPath(const std::wstring& path) {
    const bool onDrive = DriveLetterOf(path) && path.size() >= 3 && IsPathSeparator(path[2]);
    return onDrive || IsSharePath(path);
}

bool StartsAtARoot(const std::wstring& path) {
    const bool drive = path.size() >= 3 && path[1] == L':' && IsPathSeparator(path[2]);
    const bool unc = path.size() >= 3 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
    return drive || unc;
}

std::optional<wchar_t> DriveLetterOf(const std::wstring& path) {
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':') {
        return static_cast<wchar_t>(path[0] >= L'a' ? path[0] - L'a' + L'A' : path[0]);
    }
    return std::nullopt;
}

std::wstring NameOf(const std::wstring& path) {
    const auto separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

std::wstring UpToLastBackslash(const std::wstring& path) {
    const auto last = path.rfind(L'\\');
    return last == std::wstring::npos ? std::wstring{} : path.substr(0, last + 1);
}

std::wstring WorkingFolderOf(const std::wstring& path) {
    std::wstring folder = path.substr(0, path.find_last_of(L"\\/"));
    if (folder.size() == 2 && folder[1] == L':') {
        folder += L'\\';
    }
    return folder;
}

}  // namespace qeltor
