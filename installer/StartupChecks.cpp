#include "installer/StartupChecks.h"

#include "core/Paths.h"
#include "installer/InstallerTexts.h"
#include "installer/Messages.h"
#include "installer/RegistrationLock.h"

namespace qeltor {
namespace {

bool HasWildcard(const std::wstring& path) {
    return path.find_first_of(L"*?") != std::wstring::npos;
}

// The probe matches patterns, so a wildcard would pass for whatever file it happens to
// match; only a path that names one file exactly counts as found.
bool ProbeFindsFile(Platform& platform, const std::wstring& path) {
    const bool matched = !platform.rtcDir(path).empty();
    return matched && !HasWildcard(path);
}

bool FailWith(Form& form, messages::Id message) {
    form.rtcMsgBox(messages::Render({message, {}}), kMsgBoxCritical);
    form.EndProgram(kExitStartupCheckFailed);
    return false;
}

}  // namespace

std::wstring WithTrailingSeparator(std::wstring folder) {
    if (folder.empty() || folder.back() != texts::kFolderSeparator) {
        folder += texts::kFolderSeparator;
    }
    return folder;
}

bool RunStartupChecks(Platform& platform, Form& form, InstallerPaths& paths,
                      const std::optional<std::wstring>& server) {
    paths.ProgramFolder = WithTrailingSeparator(platform.AppPath());

    if (!ProbeFindsFile(platform, paths.ProgramFolder + texts::kInstsrvExe)) {
        return FailWith(form, messages::Id::MissingInstsrv);
    }
    if (!ProbeFindsFile(platform, paths.ProgramFolder + texts::kSrvanyExe)) {
        return FailWith(form, messages::Id::MissingSrvany);
    }

    paths.ServerExePath = server ? *server
                                 : platform.rtcGetSetting(texts::kSettingsApplication, texts::kSettingsSection,
                                                          texts::kSettingsKey, std::wstring{});
    // The probe comes first even for an empty path; an empty path fails whatever it finds.
    const bool serverFound = ProbeFindsFile(platform, paths.ServerExePath);
    if (!serverFound || paths.ServerExePath.empty()) {
        return FailWith(form, messages::Id::MissingServer);
    }

    paths.ServerFolder = UpToLastBackslash(paths.ServerExePath);
    DiscardUnfinishedSettingsCopy(platform);
    return true;
}

}  // namespace qeltor
