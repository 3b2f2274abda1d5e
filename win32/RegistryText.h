#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace qeltor::win32 {

// Windows' answer for a value whose type the caller does not take.
inline constexpr DWORD kWrongValueType = ERROR_DATATYPE_MISMATCH;

// The value `name` of `key` exactly as stored: its type and its bytes. ERROR_FILE_NOT_FOUND when
// there is no such value, or the registry's own error.
DWORD ReadRegistryBytes(HKEY key, const wchar_t* name, DWORD& type, std::string& bytes);

// The text of the value `name` of `key` when its type is one of `accepted`: up to its first NUL,
// whether or not the data holds one, with `type` the type stored. Otherwise ERROR_FILE_NOT_FOUND
// when there is no such value, kWrongValueType (with `type` the type found) when it is of another
// type, or the registry's own error.
DWORD ReadRegistryText(HKEY key, const wchar_t* name, std::initializer_list<DWORD> accepted, std::wstring& text,
                       DWORD& type);

}  // namespace qeltor::win32
