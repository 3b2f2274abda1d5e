#include "installer/DriveCheck.h"

#include "core/Paths.h"

#include <array>

namespace qeltor {
namespace {

using messages::Id;

// By DriveKind after Local: Network, Subst, Removable, CdRom; then the disks named by their bus.
constexpr std::array<Id, 4> kServerOn{Id::ServerOnNetworkDrive, Id::ServerOnSubstDrive, Id::ServerOnRemovableDrive,
                                      Id::ServerOnCdDrive};
constexpr std::array<Id, 4> kKitOn{Id::KitOnNetworkDrive, Id::KitOnSubstDrive, Id::KitOnRemovableDrive,
                                   Id::KitOnCdDrive};
constexpr std::array<Id, 5> kBuses{Id::BusUsb, Id::BusSd, Id::BusMmc, Id::BusFireWire, Id::BusVirtual};

std::optional<messages::Message> RefusalFor(Platform& platform, const std::array<Id, 4>& on, Id detachable,
                                            const std::wstring& path) {
    const auto drive = DriveLetterOf(WhatItNames(path));
    if (!drive) {
        return std::nullopt;
    }
    const DriveKind kind = platform.KindOfDrive(*drive);
    if (kind == DriveKind::Local) {
        return std::nullopt;
    }
    const std::wstring letter(1, *drive);
    const auto index = static_cast<std::size_t>(kind) - 1;
    if (index < on.size()) {
        return messages::Message{on.at(index), {path, letter}};
    }
    return messages::Message{detachable, {path, letter, messages::Render({kBuses.at(index - on.size()), {}})}};
}

}  // namespace

std::optional<messages::Message> DriveRefusal(Platform& platform, const InstallerPaths& paths) {
    if (IsOnShare(WhatItNames(paths.ServerExePath))) {
        return messages::Message{Id::ServerOnShare, {paths.ServerExePath}};
    }
    if (auto refusal = RefusalFor(platform, kServerOn, Id::ServerOnDetachableDisk, paths.ServerExePath)) {
        return refusal;
    }
    // A share is reached as the computer's account, maybe before the network is up: the service
    // manager starts srvany.exe at once.
    if (!DriveLetterOf(WhatItNames(paths.ProgramFolder))) {
        return messages::Message{Id::KitOnShare, {paths.ProgramFolder}};
    }
    return RefusalFor(platform, kKitOn, Id::KitOnDetachableDisk, paths.ProgramFolder);
}

}  // namespace qeltor
