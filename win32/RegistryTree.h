#pragma once

#include <windows.h>

#include <string>

namespace qeltor::win32 {

// Why a copy stopped where the registry itself raised no error: a key that is a link to another
// key, which a copy would follow (into itself, with no end), or a tree deeper than Windows lets one
// be.
inline constexpr DWORD kRegistryLinkMet = ERROR_CANT_RESOLVE_FILENAME;
inline constexpr DWORD kTreeTooDeep = ERROR_FILENAME_EXCED_RANGE;

// Where a tree copy stopped: which key could not be read or written, as a path below its root.
struct TreeCopyFailure {
    bool inSource = true;  // the key under `fromKey`; otherwise the one under `toKey`
    std::wstring key;
};

// Copies every value and subkey of `fromRoot\fromKey` into `toRoot\toKey`, creating it: values of
// the same name are overwritten, others there are kept. All or nothing as far as the registry lets
// it be: the whole tree is first copied into a fresh key beside `toKey`, and every key of `toKey`
// that the merge would write to is opened for writing, before anything of `toKey` is changed.
// Values are copied as stored, byte for byte. Links are never followed. `toKey`, when the copy
// creates it, and the fresh key get permissions of their own: full control for the system and
// Administrators, nothing for others. ERROR_SUCCESS, or the registry's error (or kRegistryLinkMet,
// kTreeTooDeep) with `failure` filled.
DWORD CopyRegistryTreeWhole(HKEY fromRoot, const std::wstring& fromKey, HKEY toRoot, const std::wstring& toKey,
                            TreeCopyFailure& failure);

// Deletes the key beside `toRoot\toKey` that a copy into it that was ended midway left behind.
void DiscardStagedCopy(HKEY toRoot, const std::wstring& toKey);

}  // namespace qeltor::win32
