#include "installer/PermissionCheck.h"

#include "core/PermissionRules.h"
#include "installer/InstallerTexts.h"

namespace qeltor {

std::optional<messages::Message> PermissionRefusal(Platform& platform, const InstallerPaths& paths) {
    const std::wstring looked[] = {paths.ProgramFolder + texts::kSrvanyExe, paths.ProgramFolder, paths.ServerExePath,
                                   paths.ServerFolder};
    const std::vector<std::wstring> sids = permissions::UserGroupSids();
    for (const std::wstring& path : looked) {
        if (path.empty()) {
            continue;  // a server path with no backslash has no folder of its own
        }
        AccessRights rights;
        const OsStatus read = platform.ReadAccessRights(path, sids, rights);
        if (read != kOsSuccess) {
            return messages::Message{messages::Id::PermissionsUnreadable, {path, platform.ErrorText(read)}};
        }
        if (const auto changer = permissions::FindChanger(rights)) {
            return messages::Message{
                messages::Id::ChangeableByUsers,
                {path, changer->group, changer->how, permissions::FixCommand(path, rights.isFolder)}};
        }
    }
    return std::nullopt;
}

}  // namespace qeltor
