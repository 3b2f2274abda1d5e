#include "win32/RegistryText.h"

#include <algorithm>
#include <cstring>

namespace qeltor::win32 {

// A value that grows between the size query and the read answers ERROR_MORE_DATA with its new
// size, and is read again.
DWORD ReadRegistryBytes(HKEY key, const wchar_t* name, DWORD& type, std::string& bytes) {
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        bytes.resize(size);
        status = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
        if (status == ERROR_SUCCESS) {
            bytes.resize(size);
            return ERROR_SUCCESS;
        }
    }
    return static_cast<DWORD>(status);
}

// RegQueryValueExW neither adds a missing terminator nor minds a 0-byte string, so the length
// comes from the byte count and stops at the first NUL.
DWORD ReadRegistryText(HKEY key, const wchar_t* name, std::initializer_list<DWORD> accepted, std::wstring& text,
                       DWORD& type) {
    std::string bytes;
    const DWORD status = ReadRegistryBytes(key, name, type, bytes);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (std::ranges::find(accepted, type) == accepted.end()) {
        return kWrongValueType;
    }
    text.assign(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    text.resize(std::min(text.find(L'\0'), text.size()));
    return ERROR_SUCCESS;
}

}  // namespace qeltor::win32
