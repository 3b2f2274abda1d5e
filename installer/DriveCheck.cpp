#include "installer/DriveCheck.h"

#include "installer/RegistrationMessages.h"
#include "installer/ServerPathCheck.h"

namespace qeltor {
namespace {

std::optional<std::wstring> RefusalFor(Platform& platform, const wchar_t* what, const std::wstring& path,
                                       bool isKitFolder) {
    const auto drive = DriveLetterOf(path);
    if (!drive) {
        return std::nullopt;
    }
    const DriveKind kind = platform.KindOfDrive(*drive);
    if (kind == DriveKind::Local) {
        return std::nullopt;
    }
    return messages::OnDriveTheServiceLacks(what, path, *drive, kind, isKitFolder);
}

}  // namespace

std::optional<std::wstring> DriveRefusal(Platform& platform, const InstallerPaths& paths) {
    if (auto refusal = RefusalFor(platform, L"the monitoring server's executable", paths.ServerExePath, false)) {
        return refusal;
    }
    return RefusalFor(platform, L"this kit's folder", paths.ProgramFolder, true);
}

}  // namespace qeltor
