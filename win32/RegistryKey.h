#pragma once

#include <windows.h>

#include <string>

#include "win32/Handles.h"

// Opening a registry key into its owner, so that every way out of the code that uses it closes it.
namespace qeltor::win32 {

// Opens `root\path` with `access` into `key`: ERROR_SUCCESS, or the registry's error with `key` empty.
// With REG_OPTION_OPEN_LINK in `options`, a link key is opened as itself, not as what it names.
DWORD OpenRegistryKey(HKEY root, const std::wstring& path, REGSAM access, UniqueRegKey& key, DWORD options = 0);

// The same, creating the key and every missing key above it.
DWORD CreateRegistryKey(HKEY root, const std::wstring& path, REGSAM access, UniqueRegKey& key);

}  // namespace qeltor::win32
