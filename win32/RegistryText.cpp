#include "win32/RegistryText.h"

#include <algorithm>
#include <cstring>

#include "win32/GrowingBuffer.h"

namespace qeltor::win32 {
namespace {

struct ValueRead {
    HKEY key;
    const wchar_t* name;
    DWORD* type;
};

// A value larger than the room, or grown since the last try, answers ERROR_MORE_DATA with its size;
// asked without a buffer, it answers success with its size.
DWORD ReadValueOnce(const void* context, void* data, DWORD room, DWORD& size) {
    const auto& read = *static_cast<const ValueRead*>(context);
    size = room;
    const auto status = static_cast<DWORD>(
        ::RegQueryValueExW(read.key, read.name, nullptr, read.type, static_cast<BYTE*>(data), &size));
    return status == ERROR_SUCCESS && size > room ? ERROR_MORE_DATA : status;
}

}  // namespace

DWORD ReadRegistryBytes(HKEY key, const wchar_t* name, DWORD& type, std::string& bytes) {
    const ValueRead read{key, name, &type};
    return FillGrowing(bytes, 0, ReadValueOnce, &read);
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
