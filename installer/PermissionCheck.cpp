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

    // A folder that holds what the service runs, and each folder above it up to the root.
    Refusal Folder(const std::wstring& folder, Id atRoot = Id::ChangeableByUsers) {
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

    // Every file and folder directly in the server's folder: the server may load any of them.
    Refusal Beside(const std::wstring& folder) {
        std::vector<std::wstring> names;
        if (const OsStatus listed = platform_.ListFolder(folder, kMostBesideServer, names); listed != kOsSuccess) {
            return Message{Id::PermissionsUnreadable, {folder, platform_.ErrorText(listed)}};
        }
        if (names.size() > kMostBesideServer) {
            return Message{Id::TooManyBesideServer, {folder, DecimalText(kMostBesideServer)}};
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
        return Message{id,
                       {path, NameOf(changer->sid), how, permissions::FixCommands(path, security.isFolder, changers)}};
    }

    Refusal Read(const std::wstring& path, ObjectSecurity& security) {
        const OsStatus read = platform_.ReadSecurity(path, security);
        if (read != kOsSuccess) {
            return Message{Id::PermissionsUnreadable, {path, platform_.ErrorText(read)}};
        }
        return std::nullopt;
    }

    std::wstring NameOf(const std::wstring& sid) {
        return sid.empty() ? L"an access entry of a kind this program cannot read" : platform_.AccountName(sid);
    }

    Platform& platform_;
    permissions::Administrators administrators_;
};

}  // namespace

std::optional<messages::Message> PermissionRefusal(Platform& platform, const InstallerPaths& paths) {
    Judge judge(platform);
    for (const auto& [tool, missing] :
         {std::pair{texts::kSrvanyExe, Id::MissingSrvany}, std::pair{texts::kInstsrvExe, Id::MissingInstsrv}}) {
        if (auto refusal = judge.Program(paths.ProgramFolder + tool)) {
            // Gone since start-up: said in start-up's words, not as permissions that cannot be read.
            const bool gone =
                refusal->id == Id::PermissionsUnreadable && platform.rtcDir(paths.ProgramFolder + tool).empty();
            return gone ? Message{missing, {}} : refusal;
        }
    }
    if (auto refusal = judge.Folder(paths.ProgramFolder, Id::KitRootChangeableByUsers)) {
        return refusal;
    }
    if (auto refusal = judge.Program(paths.ServerExePath)) {
        return refusal;
    }
    // Judged where the server really lies: a '/' ends its folder as well as a '\'.
    const std::wstring folder = UpToLastSeparator(paths.ServerExePath);
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

}  // namespace qeltor
