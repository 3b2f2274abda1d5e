#pragma once

#include "installer/Messages.h"
#include "platform/Platform.h"

#include <optional>
#include <string>

namespace qeltor {

// Why a service could never start the server at `path`, or nothing when it could.
std::optional<messages::Message> ServerPathRefusal(Platform& platform, const std::wstring& path);

}  // namespace qeltor
