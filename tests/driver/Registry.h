#pragma once

// The registry as the tests write and read it: values as stored, byte for byte, and the keys
// of a service.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "win32/Handles.h"

namespace qeltor::driver {

// SYSTEM\CurrentControlSet\Services\<service>, its Parameters key, and its event source.
std::wstring ServiceKey(const std::wstring& service);
std::wstring ParametersKey(const std::wstring& service);
std::wstring EventSourceKey(const std::wstring& service);

// Null when the key cannot be opened so.
win32::UniqueRegKey OpenKey(HKEY root, const std::wstring& path, REGSAM access = KEY_QUERY_VALUE);

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const RegValue&) const = default;
};
std::optional<RegValue> ReadValue(HKEY key, const wchar_t* name);

// The DACL of the key `root\path` in SDDL ("D:P(A;CI;KA;;;SY)"), or empty when it cannot be read.
std::wstring KeyDacl(HKEY root, const std::wstring& path);

// UTF-16LE bytes of `text` and then a NUL, the way REG_SZ data is held.
std::vector<BYTE> WideSz(std::wstring text);

// A value under HKEY_LOCAL_MACHINE\<key> as stored (a REG_EXPAND_SZ is not expanded); nullopt
// when it is not there or not of that kind.
std::optional<std::wstring> ReadMachineText(const std::wstring& key, const wchar_t* name);
std::optional<DWORD> ReadMachineNumber(const std::wstring& key, const wchar_t* name);
bool MachineKeyExists(const std::wstring& key);

// Writes the string values under the service's Parameters key, with `type`; nullopt leaves a
// value out and an empty string is stored with 0 bytes, as QeltorService does.
void WriteParameters(const std::wstring& service, const std::optional<std::wstring>& application,
                     const std::optional<std::wstring>& directory, const std::optional<std::wstring>& arguments,
                     DWORD type = REG_SZ);

}  // namespace qeltor::driver
