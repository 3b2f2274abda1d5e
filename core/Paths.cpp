#include "core/Paths.h"

#include "core/CommandLine.h"

#include <algorithm>

namespace qeltor {
namespace {

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// \\server\share\ with a name on each side of the middle separator. "\\?\" and "\\.\" name
// no server: they reach past the path rules to devices, and are not read here.
bool IsSharePath(const std::wstring& path) {
    if (path.size() < 2 || !IsPathSeparator(path[0]) || !IsPathSeparator(path[1])) {
        return false;
    }
    const auto shareStart = path.find_first_of(L"\\/", 2);
    const std::wstring server = path.substr(2, shareStart - 2);
    if (shareStart == std::wstring::npos || server.empty() || server == L"?" || server == L".") {
        return false;
    }
    const auto shareEnd = path.find_first_of(L"\\/", shareStart + 1);
    return shareEnd != std::wstring::npos && shareEnd > shareStart + 1;
}

}  // namespace

bool IsPathSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

std::wstring WhatItNames(const std::wstring& path) {
    if (!path.starts_with(L"\\\\?\\")) {
        return path;
    }
    if (EqualIgnoringCase(path.substr(4, 4), L"UNC\\")) {
        return L"\\" + path.substr(7);
    }
    return DriveLetterOf(path.substr(4)) ? path.substr(4) : path;
}

bool LiesWithin(const std::wstring& path, const std::wstring& folder) {
    const auto same = [](wchar_t a, wchar_t b) {
        return (IsPathSeparator(a) && IsPathSeparator(b)) || EqualIgnoringCase({a}, {b});
    };
    return !folder.empty() && IsPathSeparator(folder.back()) && path.size() > folder.size() &&
           std::equal(folder.begin(), folder.end(), path.begin(), same);
}

bool IsOnShare(const std::wstring& path) {
    return IsSharePath(path);
}

bool IsFullyQualified(const std::wstring& path) {
    const std::wstring named = WhatItNames(path);
    const bool onDrive = DriveLetterOf(named) && named.size() >= 3 && IsPathSeparator(named[2]);
    return onDrive || IsSharePath(named);
}

bool HasRootPrefix(const std::wstring& path) {
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

std::wstring UpToLastSeparator(const std::wstring& path) {
    const auto last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? std::wstring{} : path.substr(0, last + 1);
}

bool IsRootFolder(const std::wstring& folder) {
    const bool driveRoot = folder.size() == 3 && DriveLetterOf(folder) && IsPathSeparator(folder[2]);
    if (driveRoot || !IsSharePath(folder)) {
        return driveRoot;
    }
    const auto shareEnd = folder.find_first_of(L"\\/", folder.find_first_of(L"\\/", 2) + 1);
    return shareEnd == folder.size() - 1;
}

std::optional<std::wstring> FolderAbove(const std::wstring& folder) {
    if (folder.size() < 2 || IsRootFolder(folder)) {
        return std::nullopt;
    }
    std::wstring above = UpToLastSeparator(folder.substr(0, folder.size() - 1));
    if (above.empty()) {
        return std::nullopt;
    }
    return above;
}

std::wstring WorkingFolderOf(const std::wstring& path) {
    std::wstring folder = path.substr(0, path.find_last_of(L"\\/"));
    if (folder.size() == 2 && folder[1] == L':') {
        folder += L'\\';
    }
    return folder;
}

}  // namespace qeltor
