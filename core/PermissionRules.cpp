#include "core/PermissionRules.h"

#include <algorithm>
#include <array>

namespace qeltor::permissions {
namespace {

struct WayRights {
    std::uint32_t rights;
    Way way;
};

constexpr std::uint32_t kWrites = kRightWriteData | kRightAppendData | kRightGenericWrite | kRightGenericAll;
constexpr std::uint32_t kDeletesChildren = kRightDeleteChild | kRightGenericAll;
constexpr std::uint32_t kDeletes = kRightDelete | kRightGenericAll;
constexpr std::uint32_t kOwnsPermissions = kRightWriteDac | kRightGenericAll;
constexpr std::uint32_t kTakesOwnership = kRightWriteOwner | kRightGenericAll;

// On a folder, writing data means adding a file and appending means adding a subfolder; deleting
// a child lets a program be renamed away and replaced.
constexpr std::array<WayRights, 4> kFileWays{{{kWrites, Way::Writes},
                                              {kDeletes, Way::Deletes},
                                              {kOwnsPermissions, Way::ChangesPermissions},
                                              {kTakesOwnership, Way::TakesOwnership}}};
constexpr std::array<WayRights, 5> kFolderWays{{{kWrites, Way::AddsToFolder},
                                                {kDeletesChildren, Way::DeletesWhatIsIn},
                                                {kDeletes, Way::Deletes},
                                                {kOwnsPermissions, Way::ChangesPermissions},
                                                {kTakesOwnership, Way::TakesOwnership}}};
// Adding to a folder above changes nothing of what the service runs: C:\ lets every user add.
constexpr std::array<WayRights, 4> kAboveWays{{{kDeletesChildren, Way::DeletesWhatIsIn},
                                               {kDeletes, Way::Deletes},
                                               {kOwnsPermissions, Way::ChangesPermissions},
                                               {kTakesOwnership, Way::TakesOwnership}}};

// A link is re-pointed by setting its reparse data, which takes writing its data or its attributes.
constexpr std::array<WayRights, 4> kLinkWays{{{kWrites | kRightWriteAttributes, Way::Repoints},
                                              {kDeletes, Way::Deletes},
                                              {kOwnsPermissions, Way::ChangesPermissions},
                                              {kTakesOwnership, Way::TakesOwnership}}};

template <std::size_t Count>
std::optional<Way> FirstWay(const std::array<WayRights, Count>& ways, std::uint32_t mask) {
    const auto* found = std::ranges::find_if(ways, [mask](const WayRights& way) { return (mask & way.rights) != 0; });
    return found == ways.end() ? std::nullopt : std::optional<Way>(found->way);
}

std::optional<Way> WayOf(std::uint32_t mask, bool isFolder, Role role) {
    if (role == Role::Above) {
        return FirstWay(kAboveWays, mask);
    }
    if (role == Role::Link) {
        return FirstWay(kLinkWays, mask);
    }
    return isFolder ? FirstWay(kFolderWays, mask) : FirstWay(kFileWays, mask);
}

// CREATOR OWNER and CREATOR GROUP stand in for whoever creates something inside a folder; on the
// object itself they are in nobody's token. OWNER RIGHTS is its owner, judged with the owner.
bool NamesSomeoneElse(const std::wstring& sid) {
    return sid == L"S-1-3-0" || sid == L"S-1-3-1" || sid == kOwnerRightsSid;
}

// What the entries give `sid`, as an access check reads them: the first entry to decide a right
// decides it. Only entries that name `sid` itself are read; a deny entry for a group may not
// apply to every account in it, and may only narrow.
std::uint32_t RightsOf(const ObjectSecurity& object, const std::wstring& sid) {
    std::uint32_t allowed = 0;
    std::uint32_t denied = 0;
    for (const AccessEntry& entry : object.entries) {
        if (entry.sid != sid) {
            continue;
        }
        if (entry.allows) {
            allowed |= entry.mask & ~denied;
        } else {
            denied |= entry.mask & ~allowed;
        }
    }
    return allowed;
}

// The owner may always change the permissions, unless an OWNER RIGHTS entry says what it may do.
std::optional<Way> OwnersWay(const ObjectSecurity& object, Role role) {
    const bool ownerRightsSaid =
        std::ranges::any_of(object.entries, [](const AccessEntry& entry) { return entry.sid == kOwnerRightsSid; });
    if (!ownerRightsSaid) {
        return Way::Owns;
    }
    return WayOf(RightsOf(object, kOwnerRightsSid), object.isFolder, role);
}

// How the account of an allow entry can change the object, when it is no administrator.
std::optional<Way> ChangerWay(const ObjectSecurity& object, const AccessEntry& entry, Role role,
                              const Administrators& administrators) {
    if (!entry.allows || NamesSomeoneElse(entry.sid) || administrators.Include(entry.sid)) {
        return std::nullopt;
    }
    return WayOf(RightsOf(object, entry.sid), object.isFolder, role);
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

bool Administrators::Include(const std::wstring& sid) const {
    return sid == kSystemSid || sid == kAdministratorsSid || sid == kTrustedInstallerSid ||
           (!currentUser_.empty() && sid == currentUser_);
}

std::optional<Changer> FindChanger(const ObjectSecurity& object, Role role, const Administrators& administrators) {
    if (object.nullDacl) {
        return Changer{kEveryoneSid, Way::NoPermissions};
    }
    for (const AccessEntry& entry : object.entries) {
        if (const auto way = ChangerWay(object, entry, role, administrators)) {
            return Changer{entry.sid, *way};
        }
    }
    if (!object.owner.empty() && !administrators.Include(object.owner)) {
        if (const auto way = OwnersWay(object, role)) {
            return Changer{object.owner, *way};
        }
    }
    return std::nullopt;
}

std::vector<std::wstring> Changers(const ObjectSecurity& object, Role role, const Administrators& administrators) {
    std::vector<std::wstring> sids;
    for (const AccessEntry& entry : object.entries) {
        if (ChangerWay(object, entry, role, administrators) && std::ranges::find(sids, entry.sid) == sids.end()) {
            sids.push_back(entry.sid);
        }
    }
    return sids;
}

std::vector<std::wstring> KeyReaders(const ObjectSecurity& key, const Administrators& administrators) {
    // Whoever may change its permissions or owner may grant themselves the reading.
    constexpr std::uint32_t kReads =
        kRightQueryValue | kRightGenericRead | kRightGenericAll | kOwnsPermissions | kTakesOwnership;
    std::vector<std::wstring> sids;
    const auto add = [&](const std::wstring& sid) {
        if (!administrators.Include(sid) && std::ranges::find(sids, sid) == sids.end()) {
            sids.push_back(sid);
        }
    };
    if (key.nullDacl) {
        add(kEveryoneSid);
    }
    for (const AccessEntry& entry : key.entries) {
        if (entry.allows && !NamesSomeoneElse(entry.sid) && (RightsOf(key, entry.sid) & kReads) != 0) {
            add(entry.sid);
        }
    }
    if (!key.owner.empty()) {
        add(key.owner);
    }
    return sids;
}

bool AdministratorsLockedOut(const ObjectSecurity& object, const Administrators& administrators) {
    if (object.nullDacl || administrators.Include(object.owner)) {
        return false;
    }
    const auto mayChange = [&](const std::wstring& sid) {
        return (RightsOf(object, sid) & kOwnsPermissions) != 0 && administrators.Include(sid);
    };
    return std::ranges::none_of(object.entries, [&](const AccessEntry& entry) { return mayChange(entry.sid); });
}

std::wstring FixCommands(const std::wstring& path, bool isFolder, const std::vector<std::wstring>& changers,
                         bool takeOwnership) {
    // /T reaches what a folder holds; on a file it would reach files of the same name below.
    const std::wstring icacls = L"icacls " + IcaclsPath(path);
    const wchar_t* tree = isFolder ? L" /T /C\r\n" : L" /C\r\n";
    std::wstring commands;
    if (takeOwnership) {
        commands.append(L"takeown /F ").append(IcaclsPath(path)).append(isFolder ? L" /A /R /D Y\r\n" : L" /A\r\n");
    }
    commands.append(icacls).append(L" /setowner *").append(kAdministratorsSid).append(tree);
    if (std::ranges::find(changers, std::wstring()) != changers.end()) {
        // An account without a SID to name: every explicit entry goes, then the grants below.
        commands.append(icacls).append(L" /reset").append(tree);
    } else if (!changers.empty()) {
        commands.append(icacls).append(L" /remove:g");
        for (const std::wstring& sid : changers) {
            commands.append(L" *").append(sid);
        }
        commands.append(tree);
    }
    // What a folder holds inherits these entries once the old ones are gone. A grant with
    // parentheses is quoted, as PowerShell would read them as an expression.
    const wchar_t* quote = isFolder ? L"\"" : L"";
    commands.append(icacls).append(L" /inheritance:r /grant:r");
    for (const auto& [sid, rights] :
         {std::pair{kAdministratorsSid, L"F"}, std::pair{kSystemSid, L"F"}, std::pair{L"S-1-5-32-545", L"RX"}}) {
        commands.append(L" ").append(quote).append(L"*").append(sid).append(L":");
        commands.append(isFolder ? L"(OI)(CI)" : L"").append(rights).append(quote);
    }
    return commands;
}

}  // namespace qeltor::permissions
