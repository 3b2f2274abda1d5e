#include "installer/PermissionCheck.h"

#include "core/CommandLine.h"
#include "core/Decimal.h"
#include "core/JudgePlan.h"
#include "core/Paths.h"
#include "core/PermissionRules.h"
#include "installer/InstallerTexts.h"

#include <utility>

namespace qeltor {
namespace {

using messages::Id;
using messages::Message;
using permissions::Judged;
using permissions::Role;
using Refusal = std::optional<Message>;

static_assert(static_cast<int>(Id::HasNoPermissions) - static_cast<int>(Id::CanWrite) ==
                  static_cast<int>(permissions::Way::NoPermissions),
              "the table says each way an account may change something, in the ways' order");

// What an account may do, as the table says it: "can write to it".
std::wstring Said(permissions::Way way) {
    return messages::Text(static_cast<Id>(static_cast<int>(Id::CanWrite) + static_cast<int>(way)));
}

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

    // One step of a plan.
    Refusal Take(const permissions::Step& step) {
        switch (step.judged) {
            case Judged::Program:
                return Program(step.path);
            case Judged::Beside:
                return Beside(step.path, step.ofKit ? Id::TooManyInKitFolder : Id::TooManyBesideServer);
            case Judged::Folder:
            case Judged::Above:
                return FolderStep(step);
        }
        return std::nullopt;
    }

    // A folder that holds what the service runs, and each folder above it up to the root.
    Refusal Folder(const std::wstring& folder) {
        for (const permissions::Step& step : permissions::FolderPlan(folder)) {
            if (auto refusal = FolderStep(step)) {
                return refusal;
            }
        }
        return std::nullopt;
    }

private:
    // Every file and folder directly in the server's folder, or the kit's: the program may load any
    // of them.
    Refusal Beside(const std::wstring& folder, Id tooMany) {
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

    // A folder that holds what the service runs, or one above it. A root is never advised icacls:
    // /T there would reach the whole drive.
    Refusal FolderStep(const permissions::Step& step) {
        if (step.judged == Judged::Above) {
            return Above(step.path, step.below);
        }
        const Id atRoot = step.ofKit ? Id::KitRootChangeableByUsers : Id::RootChangeableByUsers;
        return WhatRuns(step.path, IsRootFolder(step.path) ? atRoot : Id::ChangeableByUsers);
    }

    // A folder above one that holds what the service runs: whoever may rename what it holds or take
    // it could put a folder of their own in place of `below`.
    Refusal Above(const std::wstring& above, const std::wstring& below) {
        ObjectSecurity security;
        if (auto refusal = Read(above, security)) {
            return refusal;
        }
        if (const auto changer = permissions::FindChanger(security, Role::Above, administrators_)) {
            return Message{Id::FolderAboveChangeable, {above, below, NameOf(changer->sid), Said(changer->way)}};
        }
        return std::nullopt;
    }

    Refusal WhatRuns(const std::wstring& path, Id id = Id::ChangeableByUsers) {
        ObjectSecurity security;
        if (auto refusal = Read(path, security)) {
            return refusal;
        }
        const auto changer = permissions::FindChanger(security, Role::Runs, administrators_);
        if (!changer) {
            return std::nullopt;
        }
        const std::wstring how = Said(changer->way);
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
            return Message{Id::LinkChangeable, {path, NameOf(changer->sid), Said(changer->way)}};
        }
        return std::nullopt;
    }

    std::wstring NameOf(const std::wstring& sid) {
        return sid.empty() ? messages::Text(Id::UnknownAccount) : platform_.AccountName(sid);
    }

    Platform& platform_;
    permissions::Administrators administrators_;
};

// A refusal for srvany.exe or instsrv.exe at `tool`: gone since start-up, it is said in start-up's
// words, not as permissions that cannot be read.
Message ToolRefusal(Platform& platform, const std::wstring& tool, const Message& refusal) {
    const bool unreadable = refusal.id == Id::PermissionsUnreadable || refusal.id == Id::PermissionsDenied;
    if (!unreadable || !platform.rtcDir(tool).empty()) {
        return refusal;
    }
    return Message{NameOf(tool) == texts::kSrvanyExe ? Id::MissingSrvany : Id::MissingInstsrv, {}};
}

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
    // What lies beside srvany.exe is in its application folder, where Windows looks for its DLLs.
    const auto plan =
        JudgePlan(kit, {texts::kSrvanyExe, texts::kInstsrvExe}, server, permissions::Reach::WhatTheyMayLoad);
    for (const permissions::Step& step : plan) {
        // A server at a drive's root is refused as such, before the root's permissions are read.
        const auto drive = DriveLetterOf(step.path);
        if (step.judged == Judged::Folder && !step.ofKit && IsRootFolder(step.path) && drive) {
            return Message{Id::ServerAtDriveRoot, {paths.ServerExePath, std::wstring(1, *drive)}};
        }
        auto refusal = judge.Take(step);
        if (refusal && step.judged == Judged::Program && step.ofKit) {
            return ToolRefusal(platform, paths.ProgramFolder + NameOf(step.path), *refusal);
        }
        if (refusal) {
            return refusal;
        }
    }
    return std::nullopt;
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
