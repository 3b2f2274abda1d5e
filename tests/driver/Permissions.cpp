#include "Permissions.h"

#include <aclapi.h>
#include <sddl.h>

#include "win32/Handles.h"

namespace qeltor::driver {

DWORD LetEveryoneChange(const std::filesystem::path& path, bool change) {
    PSID everyone = nullptr;
    if (::ConvertStringSidToSidW(L"S-1-1-0", &everyone) == FALSE) {
        return ::GetLastError();
    }
    const win32::UniqueLocalMemory<void> everyoneOwner(everyone);
    ACL* dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD status = ::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                           &dacl, nullptr, &descriptor);
    const win32::UniqueLocalMemory<void> descriptorOwner(descriptor);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    constexpr DWORD kReadAndRun = FILE_GENERIC_READ | FILE_EXECUTE;
    EXPLICIT_ACCESS_W access{};
    access.grfAccessPermissions = change ? kReadAndRun | FILE_GENERIC_WRITE | DELETE | WRITE_DAC : kReadAndRun;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    ::BuildTrusteeWithSidW(&access.Trustee, everyone);
    ACL* changed = nullptr;
    status = ::SetEntriesInAclW(1, &access, dacl, &changed);
    const win32::UniqueLocalMemory<ACL> changedOwner(changed);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    std::wstring name = path.wstring();
    return ::SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, changed,
                                   nullptr);
}

DWORD LockKey(HKEY root, const std::wstring& path, bool locked) {
    ACL empty{};
    if (::InitializeAcl(&empty, sizeof empty, ACL_REVISION) == FALSE) {
        return ::GetLastError();
    }
    std::wstring name = (root == HKEY_CURRENT_USER ? L"CURRENT_USER\\" : L"MACHINE\\") + path;
    return ::SetNamedSecurityInfoW(name.data(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                   locked ? &empty : nullptr, nullptr);
}

}  // namespace qeltor::driver
