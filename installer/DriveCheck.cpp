#include "installer/DriveCheck.h"

#include "core/Paths.h"

#include <array>

namespace qeltor {
namespace {

using messages::Id;

// By DriveKind after Local: Network, Subst, Removable, CdRom.
constexpr std::array<Id, 4> kServerOn{Id::ServerOnNetworkDrive, Id::ServerOnSubstDrive, Id::ServerOnRemovableDrive,
                                      Id::ServerOnCdDrive};
constexpr std::array<Id, 4> kKitOn{Id::KitOnNetworkDrive, Id::KitOnSubstDrive, Id::KitOnRemovableDrive,
                                   Id::KitOnCdDrive};

std::optional<messages::Message> RefusalFor(Platform& platform, const std::array<Id, 4>& on, const std::wstring& path) {
    const auto drive = DriveLetterOf(path);
    if (!drive) {
        return std::nullopt;
    }
    const DriveKind kind = platform.KindOfDrive(*drive);
    if (kind == DriveKind::Local) {
        return std::nullopt;
    }
    return messages::Message{on.at(static_cast<std::size_t>(kind) - 1), {path, std::wstring(1, *drive)}};
}

}  // namespace

std::optional<messages::Message> DriveRefusal(Platform& platform, const InstallerPaths& paths) {
    if (auto refusal = RefusalFor(platform, kServerOn, paths.ServerExePath)) {
        return refusal;
    }
    // A share is reached as the computer's account, maybe before the network is up: the server may
    // wait for it, but the service manager starts srvany.exe at once.
    if (!DriveLetterOf(paths.ProgramFolder)) {
        return messages::Message{Id::KitOnShare, {paths.ProgramFolder}};
    }
    return RefusalFor(platform, kKitOn, paths.ProgramFolder);
}

}  // namespace qeltor
