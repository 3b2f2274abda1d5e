#pragma once

#include "installer/Messages.h"
#include "platform/Platform.h"

#include <optional>
#include <string>

namespace qeltor {

// A drive letter, a colon and a separator, or \\server\share\...: a path that means the same
// from every current folder. Windows takes '/' as a separator as well.
bool IsFullPath(const std::wstring& path);

// The drive letter a path starts with, in upper case, or nothing when it names none (a share).
std::optional<wchar_t> DriveLetterOf(const std::wstring& path);

// Why a service could never start the server at `path`, or nothing when it could.
std::optional<messages::Message> ServerPathRefusal(Platform& platform, const std::wstring& path);

}  // namespace qeltor
