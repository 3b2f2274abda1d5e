#include "win32/RegistryKey.h"

namespace qeltor::win32 {

DWORD OpenRegistryKey(HKEY root, const std::wstring& path, REGSAM access, UniqueRegKey& key, DWORD options) {
    HKEY opened = nullptr;
    const auto status = static_cast<DWORD>(::RegOpenKeyExW(root, path.c_str(), options, access, &opened));
    key.reset(status == ERROR_SUCCESS ? opened : nullptr);
    return status;
}

DWORD CreateRegistryKey(HKEY root, const std::wstring& path, REGSAM access, UniqueRegKey& key) {
    HKEY created = nullptr;
    const auto status =
        static_cast<DWORD>(::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, access, nullptr, &created, nullptr));
    key.reset(status == ERROR_SUCCESS ? created : nullptr);
    return status;
}

}  // namespace qeltor::win32
