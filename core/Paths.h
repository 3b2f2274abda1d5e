#pragma once

#include <optional>
#include <string>

// How paths are read, the same way wherever the kit reads one. Windows takes '/' as a separator
// as well as '\'.
namespace qeltor {

bool IsPathSeparator(wchar_t c);

// What a long-path form names: "\\?\C:\x" is "C:\x" and "\\?\UNC\server\share\x" is
// "\\server\share\x". Any other path is given back as it is.
std::wstring WhatItNames(const std::wstring& path);

// Whether `path` lies inside `folder` (which ends with a separator), at any depth, compared as
// Windows compares paths: letters in either case, '/' as '\'.
bool LiesWithin(const std::wstring& path, const std::wstring& folder);

// A \\server\share\... path: what lies on a share, reached over the network.
bool IsOnShare(const std::wstring& path);

// Three notions of a full path: IsFullyQualified and HasRootPrefix judge a path as it is given;
// instsrv.exe's ResolvedFromCurrentFolder makes one, as its current folder and drive read it.

// Whether `path` means the same from every current folder: X:\..., \\server\share\..., or either behind \\?\.
bool IsFullyQualified(const std::wstring& path);

// Whether `path` starts with "X:" and a separator or with two separators, whatever follows: not read from the
// current folder. The service host's rule, laxer than IsFullyQualified, as it has always been.
bool HasRootPrefix(const std::wstring& path);

// The drive letter a path starts with, in upper case, or nothing when it names none (a share).
std::optional<wchar_t> DriveLetterOf(const std::wstring& path);

// The part after the last separator of either kind: the file's own name.
std::wstring NameOf(const std::wstring& path);

// Everything up to and including the last backslash; nothing when there is none. This is how the
// server's folder is stored, so a '/' never ends it.
std::wstring UpToLastBackslash(const std::wstring& path);

// Everything up to and including the last separator of either kind: the folder a file really
// lies in. Nothing when there is none.
std::wstring UpToLastSeparator(const std::wstring& path);

// The root of a drive (C:\) or of a share (\\server\share\): no folder lies above it.
bool IsRootFolder(const std::wstring& folder);

// The folder that holds `folder` (which ends with a separator), or nothing at a root.
std::optional<std::wstring> FolderAbove(const std::wstring& folder);

// The folder a program runs in when none is given: cut before its last separator of either kind.
// The root of a drive keeps its backslash, since "C:" alone means that drive's current folder.
std::wstring WorkingFolderOf(const std::wstring& path);

}  // namespace qeltor
