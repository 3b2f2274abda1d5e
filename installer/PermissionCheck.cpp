#include "installer/PermissionCheck.h"

#include "core/CommandLine.h"
#include "core/Decimal.h"
#include "core/Paths.h"
#include "core/PermissionRules.h"
#include "installer/InstallerTexts.h"

#include <utility>

namespace qeltor {
namespace {

using messages::Id;
using messages::Message;
using permissions::Role;
using Refusal = std::optional<Message>;

class Judge {
public:
    explicit Judge(Platform& platform) : platform_(platform), administrators_(platform.CurrentUserSid()) {}

    // A path in a user's profile, as given or where it really leads: the user's own programs,
    // which run without administrator rights, may change it.
    [[nodiscard]] bool InProfile(const std::wstring& path, const std::wstring& profiles) {
        std::wstring final;
        return LiesWithin(path, profiles) ||
               (platform_.FinalPath(path, final) == kOsSuccess && LiesWithin(final, profiles));
    }

    // A program the service runs, and where it really lies when a link leads elsewhere.
    Refusal Program(const std::wstring& path) {
        if (auto refusal = WhatRuns(path)) {
            return refusal;
        }
        std::wstring final;
        if (platform_.FinalPath(path, final) != kOsSuccess || SamePath(final, path)) {
            return std::nullopt;  // one that cannot be opened is judged by what its path shows
        }
        if (auto refusal = WhatRuns(final)) {
            return refusal;
        }
        return Folder(UpToLastSeparator(final));
    }

    // A folder that holds what the service runs, and each folder above it up to the root. A root
    // is never advised icacls: /T there would reach the whole drive.
    Refusal Folder(const std::wstring& folder, Id atRoot = Id::RootChangeableByUsers) {
        if (auto refusal = WhatRuns(folder, IsRootFolder(folder) ? atRoot : Id::ChangeableByUsers)) {
            return refusal;
        }
        for (auto above = FolderAbove(folder); above; above = FolderAbove(*above)) {
            ObjectSecurity security;
            if (auto refusal = Read(*above, security)) {
                return refusal;
            }
            if (const auto changer = permissions::FindChanger(security, Role::Above, administrators_)) {
                return Message{Id::FolderAboveChangeable,
                               {*above, folder, NameOf(changer->sid), permissions::Describe(changer->way)}};
            }
        }
        return std::nullopt;
    }

    // Every file and folder directly in the server's folder, or the kit's: the program may load any
    // of them.
    Refusal Beside(const std::wstring& folder, Id tooMany = Id::TooManyBesideServer) {
        std::vector<std::wstring> names;
        if (const OsStatus listed = platform_.ListFolder(folder, kMostBesideServer, names); listed != kOsSuccess) {
            return Message{Id::PermissionsUnreadable, {folder, platform_.ErrorText(listed)}};
        }
        if (names.size() > kMostBesideServer) {
            return Message{tooMany, {folder, DecimalText(kMostBesideServer)}};
        }
        for (const std::wstring& name : names) {
            if (auto refusal = WhatRuns(folder + name)) {
                return refusal;
            }
        }
        return std::nullopt;
    }

private:
    Refusal WhatRuns(const std::wstring& path, Id id = Id::ChangeableByUsers) {
        ObjectSecurity security;
        if (auto refusal = Read(path, security)) {
            return refusal;
        }
        const auto changer = permissions::FindChanger(security, Role::Runs, administrators_);
        if (!changer) {
            return std::nullopt;
        }
        const std::wstring how = permissions::Describe(changer->way);
        if (id != Id::ChangeableByUsers) {
            return Message{id, {path, NameOf(changer->sid), how}};
        }
        const auto changers = permissions::Changers(security, Role::Runs, administrators_);
        const bool takeOwnership = permissions::AdministratorsLockedOut(security, administrators_);
        return Message{id,
                       {path, NameOf(changer->sid), how,
                        permissions::FixCommands(path, security.isFolder, changers, takeOwnership)}};
    }

    // The permissions of what `path` leads to; where `path` is itself a link, the link is judged
    // first: whoever may delete or re-point it decides what lies there.
    Refusal Read(const std::wstring& path, ObjectSecurity& security) {
        const OsStatus read = platform_.ReadSecurity(path, security);
        // Taking it makes its permissions readable; the next click advises the rest. Never a root's.
        if (read == kOsAccessDenied && !IsRootFolder(path)) {
            const std::wstring named(path, 0, path.find_last_not_of(L"\\/") + 1);
            return Message{Id::PermissionsDenied,
                           {path, platform_.ErrorText(read), L"takeown /F \"" + named + L"\" /A"}};
        }
        if (read != kOsSuccess) {
            return Message{Id::PermissionsUnreadable, {path, platform_.ErrorText(read)}};
        }
        if (!security.isLink) {
            return std::nullopt;
        }
        ObjectSecurity link;
        if (const OsStatus linkRead = platform_.ReadLinkSecurity(path, link); linkRead != kOsSuccess) {
            return Message{Id::PermissionsUnreadable, {path, platform_.ErrorText(linkRead)}};
        }
        if (const auto changer = permissions::FindChanger(link, Role::Link, administrators_)) {
            return Message{Id::LinkChangeable, {path, NameOf(changer->sid), permissions::Describe(changer->way)}};
        }
        return std::nullopt;
    }

    std::wstring NameOf(const std::wstring& sid) {
        return sid.empty() ? messages::Render({Id::UnknownAccount, {}}) : platform_.AccountName(sid);
    }

    Platform& platform_;
    permissions::Administrators administrators_;
};

bool IsMissing(OsStatus status) {
    return status == kOsFileNotFound || status == kOsPathNotFound;
}

}  // namespace

std::optional<messages::Message> PermissionRefusal(Platform& platform, const InstallerPaths& paths) {
    Judge judge(platform);
    const std::wstring kit = WhatItNames(paths.ProgramFolder);
    const std::wstring server = WhatItNames(paths.ServerExePath);
    // The profiles' folder where it really lies; compared with where the others really lie.
    if (const std::wstring profiles = platform.ProfilesFolder(); !profiles.empty()) {
        if (judge.InProfile(server, profiles)) {
            return Message{Id::ServerInProfile, {paths.ServerExePath, profiles}};
        }
        if (judge.InProfile(kit, profiles)) {
            return Message{Id::KitInProfile, {paths.ProgramFolder, profiles}};
        }
    }
    for (const auto& [tool, missing] :
         {std::pair{texts::kSrvanyExe, Id::MissingSrvany}, std::pair{texts::kInstsrvExe, Id::MissingInstsrv}}) {
        if (auto refusal = judge.Program(kit + tool)) {
            // Gone since start-up: said in start-up's words, not as permissions that cannot be read.
            const bool unreadable = refusal->id == Id::PermissionsUnreadable || refusal->id == Id::PermissionsDenied;
            const bool gone = unreadable && platform.rtcDir(paths.ProgramFolder + tool).empty();
            return gone ? Message{missing, {}} : refusal;
        }
    }
    if (auto refusal = judge.Folder(kit, Id::KitRootChangeableByUsers)) {
        return refusal;
    }
    // What lies beside srvany.exe is in its application folder, where Windows looks for its DLLs.
    if (auto refusal = judge.Beside(kit, Id::TooManyInKitFolder)) {
        return refusal;
    }
    if (auto refusal = judge.Program(server)) {
        return refusal;
    }
    // Judged where the server really lies: a '/' ends its folder as well as a '\'.
    const std::wstring folder = UpToLastSeparator(server);
    if (folder.empty()) {
        return std::nullopt;
    }
    if (IsRootFolder(folder) && DriveLetterOf(folder)) {
        return Message{Id::ServerAtDriveRoot, {paths.ServerExePath, std::wstring(1, *DriveLetterOf(folder))}};
    }
    if (auto refusal = judge.Folder(folder)) {
        return refusal;
    }
    return judge.Beside(folder);
}

std::optional<messages::Message> KeptFolderRefusal(Platform& platform, const std::wstring& folder) {
    const std::wstring named = WhatItNames(folder);
    if (!IsFullyQualified(named)) {
        return std::nullopt;  // the service starts the server in no such folder
    }
    const std::wstring folderNamed = IsPathSeparator(named.back()) ? named : named + L'\\';
    Judge judge(platform);
    if (const std::wstring profiles = platform.ProfilesFolder();
        !profiles.empty() && judge.InProfile(folderNamed, profiles)) {
        return Message{Id::KeptFolderInProfile, {folder, profiles}};
    }
    // A folder not there yet is made by whoever may add to the nearest folder above that is.
    std::wstring judged = folderNamed;
    for (ObjectSecurity probe; IsMissing(platform.ReadSecurity(judged, probe));) {
        const auto above = FolderAbove(judged);
        if (!above) {
            break;
        }
        judged = *above;
    }
    return judge.Folder(judged);
}

}  // namespace qeltor
