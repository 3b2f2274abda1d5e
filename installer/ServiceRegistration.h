#pragma once

#include "installer/Form.h"
#include "installer/InstallerPaths.h"
#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace qeltor {

// `"<folder>instsrv.exe" "Qeltor Monitoring Server" "<folder>srvany.exe"`
std::wstring BuildInstsrvCommandLine(const InstallerPaths& paths);

// How long the registration waits for instsrv.exe to end before it looks at the service.
inline constexpr std::uint32_t kInstsrvPatienceMs = 30000;

// Starts instsrv.exe, writes the service's parameters, waits for instsrv.exe and checks with
// the service manager that the service runs this folder's srvany.exe from the next start of
// Windows on; then reports success and unloads the main window. Anything else is shown in a
// critical message instead, with the reason and what to do, leaves the window open and nothing
// half-written that this run created; then this returns false.
bool RegisterService(Platform& platform, Form& form, const InstallerPaths& paths);

// How a registration turned out, as a script acting on it needs to know.
enum class Outcome : std::uint8_t {
    Registered,
    Refused,        // refused, or failed, before anything was started or written
    PutBack,        // failed after starting instsrv.exe; nothing of this run is left
    SomethingLeft,  // failed, and what could not be put back is named in the message
};

// RegisterService, telling which way it turned out. One registration at a time on this machine:
// another one's end is waited for first, the window answering.
Outcome Register(Platform& platform, Form& form, const InstallerPaths& paths);

// The click: RegisterService for the server whose path was read at start-up, unless the stored
// path has changed since, which it refuses with nothing started or written (the settings that the
// click copies would be the new server's).
bool RegisterStoredServer(Platform& platform, Form& form, const InstallerPaths& paths);

}  // namespace qeltor
