#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "core/AccessRights.h"

// What the permission checks read from the system: a file's or folder's owner and access
// entries, account names, the running account, a folder's contents and where a path really leads.
namespace qeltor::win32 {

// The owner and access entries of the file or folder at `path`, and whether it is a folder:
// ERROR_SUCCESS with `read` filled, or why they cannot be read.
DWORD ReadSecurity(const std::wstring& path, ObjectSecurity& read);

// The owner and access entries of the link (junction, symbolic link, mount point) at `path` itself,
// not of what it leads to; `read.isFolder` is left as it is.
DWORD ReadLinkSecurity(const std::wstring& path, ObjectSecurity& read);

// The same of the registry key `root\path`.
DWORD ReadKeySecurity(HKEY root, const std::wstring& path, ObjectSecurity& read);

// "DOMAIN\name" for the SID text `sid`, "name" where the domain is empty; `sid` itself when
// Windows has no name for it.
std::wstring AccountName(const std::wstring& sid);

// The SID of the account this program runs as, as text; empty when it cannot be read.
std::wstring CurrentUserSid();

// The names in the folder `path`, without "." and "..": at most `limit` + 1 of them, so that the
// caller sees whether there are more than `limit`.
DWORD ListFolder(const std::wstring& path, std::size_t limit, std::vector<std::wstring>& names);

// Where `path` leads once links and junctions are followed, as "C:\..." or "\\server\share\...";
// a folder written with a final backslash keeps it.
DWORD FinalPath(const std::wstring& path, std::wstring& final);

}  // namespace qeltor::win32
