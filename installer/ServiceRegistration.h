#pragma once

#include "installer/InstallerPaths.h"
#include "platform/Platform.h"

#include <string>

namespace qeltor {

// `"<folder>instsrv.exe" "Qeltor Monitoring Server" "<folder>srvany.exe"`
std::wstring BuildInstsrvCommandLine(const InstallerPaths& paths);

// The success message: its two parts joined by CR LF.
std::wstring SuccessMessage();

// Starts instsrv.exe, writes the service's parameters, reports success and unloads the
// main window. Any failure is shown in a critical message instead, with the reason,
// and leaves the window open; then this returns false.
bool RegisterService(Platform& platform, const InstallerPaths& paths);

}  // namespace qeltor
