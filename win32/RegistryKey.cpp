#include "win32/RegistryKey.h"

namespace qeltor::win32 {

LSTATUS OpenRegistryKey(HKEY root, const std::wstring& path, REGSAM access, UniqueRegKey& key) {
    HKEY opened = nullptr;
    const LSTATUS status = ::RegOpenKeyExW(root, path.c_str(), 0, access, &opened);
    key.reset(status == ERROR_SUCCESS ? opened : nullptr);
    return status;
}

LSTATUS CreateRegistryKey(HKEY root, const std::wstring& path, REGSAM access, UniqueRegKey& key) {
    HKEY created = nullptr;
    const LSTATUS status = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, access, nullptr, &created, nullptr);
    key.reset(status == ERROR_SUCCESS ? created : nullptr);
    return status;
}

}  // namespace qeltor::win32
