#pragma once

#include "installer/InstallerPaths.h"
#include "installer/Messages.h"
#include "platform/Platform.h"

#include <cstddef>
#include <optional>

namespace qeltor {

// How many entries of the server's folder are judged at most; past that the click refuses.
inline constexpr std::size_t kMostBesideServer = 10000;

// Why the service must not be registered because accounts that are no administrators can change
// what it runs as the system, or nothing. Judged in this order: srvany.exe and instsrv.exe, the
// kit's folder and those above it, the server's executable, the folder it really lies in and those
// above, then what lies beside the server; a program reached through a link is judged where it
// really lies as well.
std::optional<messages::Message> PermissionRefusal(Platform& platform, const InstallerPaths& paths);

}  // namespace qeltor
