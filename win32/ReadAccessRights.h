#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/AccessRights.h"

namespace qeltor::win32 {

// The rights the permissions of the file or folder at `path` give each of `sids` (SIDs as text,
// "S-1-1-0"), and whether it is a folder: ERROR_SUCCESS with `read` filled, or why they cannot be
// read. Each SID gets what the entries naming it allow and do not deny first, as an access check
// reads them; membership of one group in another is not followed.
DWORD ReadAccessRights(const std::wstring& path, const std::vector<std::wstring>& sids, AccessRights& read);

}  // namespace qeltor::win32
