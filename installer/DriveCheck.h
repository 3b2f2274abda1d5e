#pragma once

#include "installer/InstallerPaths.h"
#include "installer/Messages.h"
#include "platform/Platform.h"

#include <optional>
#include <string>

namespace qeltor {

// Why the service could not reach the server's executable or this kit's folder, or nothing when
// it could: a network or subst drive exists only in a user's logon, removable media only while
// they are inserted. The server on a share is accepted, as the computer's account reaches it; the
// kit's srvany.exe is needed before any share may be.
std::optional<messages::Message> DriveRefusal(Platform& platform, const InstallerPaths& paths);

}  // namespace qeltor
