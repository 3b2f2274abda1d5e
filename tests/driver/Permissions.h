#pragma once

// The permissions of the files and folders the tests lay out.
#include <windows.h>

#include <filesystem>
#include <string>

namespace qeltor::driver {

// Gives Everyone (S-1-1-0) the right to change `path` (write, add, delete, change its permissions),
// or only to read and run it, in place of whatever Everyone had; the other entries stay. Wine keeps
// this as the Unix mode's o+w, or its absence. The error, or ERROR_SUCCESS.
DWORD LetEveryoneChange(const std::filesystem::path& path, bool change);

// Gives the registry key `root\path` an empty DACL, which lets nobody read it, or none at all,
// which lets everybody do everything. The error, or ERROR_SUCCESS.
DWORD LockKey(HKEY root, const std::wstring& path, bool locked);

}  // namespace qeltor::driver
