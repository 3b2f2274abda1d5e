#include "installer/DriveCheck.h"

#include "installer/RegistrationMessages.h"

namespace qeltor {
namespace {

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

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

std::optional<wchar_t> DriveLetterOf(const std::wstring& path) {
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':') {
        return static_cast<wchar_t>(path[0] >= L'a' ? path[0] - L'a' + L'A' : path[0]);
    }
    return std::nullopt;
}

std::optional<std::wstring> DriveRefusal(Platform& platform, const InstallerPaths& paths) {
    if (auto refusal = RefusalFor(platform, L"the monitoring server's executable", paths.ServerExePath, false)) {
        return refusal;
    }
    return RefusalFor(platform, L"this kit's folder", paths.ProgramFolder, true);
}

}  // namespace qeltor
