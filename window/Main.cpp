#include "installer/ServiceRegistration.h"
#include "installer/StartupChecks.h"
#include "platform/Win32Platform.h"

#include <windows.h>

namespace {
// Exit code of a run whose registration failed and was reported.
constexpr int kExitRegistrationFailed = 2;
}  // namespace

// Checks, then registers straight away: the window that asks first comes next.
int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
    qeltor::Win32Platform platform;
    qeltor::InstallerPaths paths;
    if (!qeltor::RunStartupChecks(platform, paths)) {
        return qeltor::kExitStartupCheckFailed;
    }
    return qeltor::RegisterService(platform, paths) ? 0 : kExitRegistrationFailed;
}
