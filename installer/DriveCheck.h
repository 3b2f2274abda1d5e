#pragma once

#include "installer/InstallerPaths.h"
#include "installer/Messages.h"
#include "platform/Platform.h"

#include <optional>
#include <string>

namespace qeltor {

// Why the service could not reach the server's executable or this kit's folder, or nothing when
// it could: a network or subst drive exists only in a user's logon, removable media only while
// they are inserted. A share is reached as the computer's account, so it is accepted.
std::optional<messages::Message> DriveRefusal(Platform& platform, const InstallerPaths& paths);

}  // namespace qeltor
