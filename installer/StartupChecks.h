#pragma once

#include "installer/Form.h"
#include "installer/InstallerPaths.h"
#include "platform/Platform.h"

#include <optional>
#include <string>

namespace qeltor {

// Exit code of a run that stopped at a failed start-up check.
inline constexpr int kExitStartupCheckFailed = 1;

// Runs the checks in order and fills `paths`. The first failing check shows its
// critical message and ends the program; then this returns false and `paths` stays incomplete.
// `server`, when given, names the server's executable in place of the stored setting.
bool RunStartupChecks(Platform& platform, Form& form, InstallerPaths& paths,
                      const std::optional<std::wstring>& server = std::nullopt);

// `folder` with a backslash appended unless it already ends in one.
std::wstring WithTrailingSeparator(std::wstring folder);

}  // namespace qeltor
