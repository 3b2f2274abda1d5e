#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/AccessRights.h"

// Whether users who are no administrators can change a file or folder that a service runs, and
// the command that leaves it to administrators. Plain C++: the installer refuses such a service,
// instsrv.exe warns; each words it in its own message.
namespace qeltor::permissions {

struct UserGroup {
    const wchar_t* sid;
    const wchar_t* name;
};

// Groups that hold users who need not be administrators, in the order a message names them.
inline constexpr std::array<UserGroup, 5> kUserGroups{{{L"S-1-1-0", L"Everyone"},
                                                       {L"S-1-5-11", L"Authenticated Users"},
                                                       {L"S-1-5-32-545", L"Users"},
                                                       {L"S-1-5-4", L"INTERACTIVE"},
                                                       {L"S-1-5-32-546", L"Guests"}}};

// The SIDs of kUserGroups, in their order, as the permissions are read for them.
std::vector<std::wstring> UserGroupSids();

// Who can change the object, and how: "Authenticated Users", "can write to it".
struct Changer {
    std::wstring group;
    std::wstring how;
};

// The first of kUserGroups whose rights (`rights.masks`, in that order) change the object, with
// the first way it can; nothing when none can. On a file: writing or appending data, deleting it,
// changing its permissions or owner; on a folder: adding a file or subfolder, deleting what is in
// it or the folder itself, changing its permissions or owner. Reading and running do not count.
std::optional<Changer> FindChanger(const AccessRights& rights);

// The icacls command that leaves `path` to administrators, in every language of Windows (the
// groups by their SIDs): administrators and the system get full control, users read and run.
std::wstring FixCommand(const std::wstring& path, bool isFolder);

}  // namespace qeltor::permissions
