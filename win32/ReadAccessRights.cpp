#include "win32/ReadAccessRights.h"

#include <aclapi.h>
#include <sddl.h>

#include "win32/Handles.h"

namespace qeltor::win32 {

// On a folder the same bits are FILE_ADD_FILE and FILE_ADD_SUBDIRECTORY.
static_assert(kRightWriteData == FILE_WRITE_DATA && kRightAppendData == FILE_APPEND_DATA);
static_assert(kRightDeleteChild == FILE_DELETE_CHILD && kRightDelete == DELETE);
static_assert(kRightWriteDac == WRITE_DAC && kRightWriteOwner == WRITE_OWNER);
static_assert(kRightGenericAll == GENERIC_ALL && kRightGenericWrite == GENERIC_WRITE);

namespace {

// What a missing DACL gives everyone.
constexpr std::uint32_t kAllRights = GENERIC_ALL | STANDARD_RIGHTS_ALL | SPECIFIC_RIGHTS_ALL;

// An allow and a deny entry share their layout: header, mask, SID. Entries of other types
// (object and conditional entries) do not occur on files and are not read. An inherit-only entry
// is only for what is created inside a folder later, not for the folder itself.
// GetEffectiveRightsFromAclW would do this, but Wine's is a stub that fails, and on Windows it
// fails on an inherited deny entry and looks up group members, which may need a domain controller.
std::uint32_t RightsOf(ACL* dacl, PSID sid) {
    std::uint32_t allowed = 0;
    std::uint32_t denied = 0;
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        if (::GetAce(dacl, index, &entry) == FALSE) {
            continue;
        }
        auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        const bool allows = ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE;
        const bool denies = ace->Header.AceType == ACCESS_DENIED_ACE_TYPE;
        if ((!allows && !denies) || (ace->Header.AceFlags & INHERIT_ONLY_ACE) != 0 ||
            ::EqualSid(sid, &ace->SidStart) == FALSE) {
            continue;
        }
        // A right decided by an earlier entry stays as it was decided.
        if (allows) {
            allowed |= ace->Mask & ~denied;
        } else {
            denied |= ace->Mask & ~allowed;
        }
    }
    return allowed;
}

}  // namespace

DWORD ReadAccessRights(const std::wstring& path, const std::vector<std::wstring>& sids, AccessRights& read) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return ::GetLastError();
    }
    ACL* dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = ::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                                 nullptr, &dacl, nullptr, &descriptor);
    const UniqueLocalMemory<void> descriptorOwner(descriptor);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    read.isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    read.nullDacl = dacl == nullptr;
    read.masks.clear();
    for (const std::wstring& text : sids) {
        PSID sid = nullptr;
        if (::ConvertStringSidToSidW(text.c_str(), &sid) == FALSE) {
            return ::GetLastError();
        }
        const UniqueLocalMemory<void> sidOwner(sid);
        read.masks.push_back(dacl == nullptr ? kAllRights : RightsOf(dacl, sid));
    }
    return ERROR_SUCCESS;
}

}  // namespace qeltor::win32
