#pragma once

#include "installer/InstallerPaths.h"
#include "installer/Messages.h"
#include "platform/Platform.h"

#include <optional>
#include <string>

namespace qeltor {

// Why the service could not reach the server's executable or this kit's folder, or nothing when
// it could: a network or subst drive exists only in a user's logon, removable media and disks on
// a bus that unplugs only while they are attached. A share is refused for both: the server would
// be fetched over the network at every start, from a computer whose administrators are not ours.
std::optional<messages::Message> DriveRefusal(Platform& platform, const InstallerPaths& paths);

}  // namespace qeltor
