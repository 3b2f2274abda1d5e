#include "win32/RegistryText.h"

#include <algorithm>
#include <vector>

namespace qeltor::win32 {

// RegQueryValueExW neither adds a missing terminator nor minds a 0-byte string, so the length
// comes from the byte count and stops at the first NUL. A value that grows between the size
// query and the read is read again.
DWORD ReadRegistryText(HKEY key, const wchar_t* name, std::initializer_list<DWORD> accepted, std::wstring& text,
                       DWORD& type) {
    DWORD bytes = 0;
    LSTATUS status = ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes);
    std::vector<wchar_t> buffer;
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        if (std::ranges::find(accepted, type) == accepted.end()) {
            return kWrongValueType;
        }
        buffer.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        const size_t capacity = buffer.size() * sizeof(wchar_t);
        bytes = static_cast<DWORD>(capacity);
        status = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
        if (status == ERROR_SUCCESS && std::ranges::find(accepted, type) != accepted.end()) {
            const size_t stored = std::min<size_t>(bytes / sizeof(wchar_t), buffer.size());
            text.assign(buffer.data(), stored);
            text.resize(std::min(text.find(L'\0'), text.size()));
            return ERROR_SUCCESS;
        }
    }
    return static_cast<DWORD>(status);
}

}  // namespace qeltor::win32
