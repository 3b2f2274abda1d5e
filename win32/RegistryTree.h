#pragma once

#include <windows.h>

#include <string>

namespace qeltor::win32 {

// Where a tree copy stopped: which key could not be read or written, as a path below its root.
struct TreeCopyFailure {
    bool inSource = true;  // the key under `fromKey`; otherwise the one under `toKey`
    std::wstring key;
};

// Copies every value and subkey of `fromRoot\fromKey` into `toRoot\toKey`, creating it: values of
// the same name are overwritten, others there are kept. All or nothing as far as the registry lets
// it be: the whole tree is first copied into a fresh key beside `toKey`, and every key of `toKey`
// that the merge would write to is opened for writing, before anything of `toKey` is changed.
// Values are copied as stored, byte for byte. ERROR_SUCCESS, or the registry's error with
// `failure` filled.
DWORD CopyRegistryTreeWhole(HKEY fromRoot, const std::wstring& fromKey, HKEY toRoot, const std::wstring& toKey,
                            TreeCopyFailure& failure);

}  // namespace qeltor::win32
