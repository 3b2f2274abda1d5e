#include "core/PermissionRules.h"

#include <algorithm>

namespace qeltor::permissions {
namespace {

struct Way {
    std::uint32_t rights;
    const wchar_t* how;
};

constexpr std::uint32_t kWrites = kRightWriteData | kRightAppendData | kRightGenericWrite | kRightGenericAll;
constexpr std::uint32_t kDeletes = kRightDelete | kRightGenericAll;
constexpr std::uint32_t kOwnsPermissions = kRightWriteDac | kRightGenericAll;
constexpr std::uint32_t kTakesOwnership = kRightWriteOwner | kRightGenericAll;

// On a folder, writing data means adding a file and appending means adding a subfolder; deleting
// a child lets a program be renamed away and replaced.
constexpr std::array<Way, 4> kFileWays{{{kWrites, L"can write to it"},
                                        {kDeletes, L"can delete it"},
                                        {kOwnsPermissions, L"can change its permissions"},
                                        {kTakesOwnership, L"can take ownership of it"}}};
constexpr std::array<Way, 5> kFolderWays{{{kWrites, L"can add files and folders to it"},
                                          {kRightDeleteChild | kRightGenericAll, L"can delete what is in it"},
                                          {kDeletes, L"can delete it"},
                                          {kOwnsPermissions, L"can change its permissions"},
                                          {kTakesOwnership, L"can take ownership of it"}}};

const wchar_t* WayOf(std::uint32_t mask, bool isFolder) {
    const auto matches = [mask](const Way& way) { return (mask & way.rights) != 0; };
    if (isFolder) {
        const auto* found = std::ranges::find_if(kFolderWays, matches);
        return found == kFolderWays.end() ? nullptr : found->how;
    }
    const auto* found = std::ranges::find_if(kFileWays, matches);
    return found == kFileWays.end() ? nullptr : found->how;
}

// icacls reads a quoted argument as the command line rules say: a backslash before the closing
// quote escapes it. A folder loses its final backslash, a drive's root keeps it doubled.
std::wstring IcaclsPath(std::wstring path) {
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) {
        path.pop_back();
    }
    if (path.ends_with(L':')) {
        path += L"\\\\";
    }
    return L'"' + path + L'"';
}

}  // namespace

std::vector<std::wstring> UserGroupSids() {
    std::vector<std::wstring> sids;
    sids.reserve(kUserGroups.size());
    for (const UserGroup& group : kUserGroups) {
        sids.emplace_back(group.sid);
    }
    return sids;
}

std::optional<Changer> FindChanger(const AccessRights& rights) {
    if (rights.nullDacl) {
        return Changer{kUserGroups[0].name,
                       L"can change it, since it has no permissions at all (as on a drive formatted FAT32 or exFAT)"};
    }
    const size_t count = std::min(rights.masks.size(), kUserGroups.size());
    for (size_t index = 0; index < count; ++index) {
        if (const wchar_t* how = WayOf(rights.masks[index], rights.isFolder)) {
            return Changer{kUserGroups[index].name, how};
        }
    }
    return std::nullopt;
}

std::wstring FixCommand(const std::wstring& path, bool isFolder) {
    const std::wstring inherit = isFolder ? L"(OI)(CI)" : L"";
    return L"icacls " + IcaclsPath(path) + L" /inheritance:r /grant:r *S-1-5-32-544:" + inherit + L"F *S-1-5-18:" +
           inherit + L"F *S-1-5-32-545:" + inherit + L"RX";
}

}  // namespace qeltor::permissions
