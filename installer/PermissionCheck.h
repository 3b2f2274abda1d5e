#pragma once

#include "installer/InstallerPaths.h"
#include "installer/Messages.h"
#include "platform/Platform.h"

#include <cstddef>
#include <optional>
#include <string>

namespace qeltor {

// How many entries of the server's folder are judged at most; past that the click refuses.
inline constexpr std::size_t kMostBesideServer = 10000;

// Why the service must not be registered because accounts that are no administrators can change
// what it runs as the system, or nothing. Judged in this order: srvany.exe and instsrv.exe, the
// kit's folder and those above it, the server's executable, the folder it really lies in and those
// above, then what lies beside the server; a program reached through a link is judged where it
// really lies as well.
// A server or kit in a user's profile is refused before that: the user's own programs, which run
// without administrator rights, could change them.
std::optional<messages::Message> PermissionRefusal(Platform& platform, const InstallerPaths& paths);

// Why a kept AppDirectory, the server's current folder where it looks for DLLs, must not be used:
// judged as the server's folder is, itself and the folders above.
std::optional<messages::Message> KeptFolderRefusal(Platform& platform, const std::wstring& folder);

}  // namespace qeltor
