#pragma once

#include "installer/InstallerPaths.h"
#include "installer/Messages.h"
#include "platform/Platform.h"

#include <optional>
#include <string>

namespace qeltor {

// Why the service must not be registered because users who are no administrators can change what
// it runs as the system: srvany.exe, the kit's folder, the server's executable or its folder, in
// that order; or nothing when none of them can be changed so.
std::optional<messages::Message> PermissionRefusal(Platform& platform, const InstallerPaths& paths);

}  // namespace qeltor
