#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The permissions of a file or folder as the system stores them: its owner and the entries of its
// access list, with accounts as SIDs in text ("S-1-1-0"). Plain C++, so the decision and the native
// tests use it too.
namespace qeltor {

// The access rights that change a file or folder; Windows' values, checked against its headers
// where they are read.
inline constexpr std::uint32_t kRightWriteData = 0x2;          // FILE_WRITE_DATA; on a folder FILE_ADD_FILE
inline constexpr std::uint32_t kRightAppendData = 0x4;         // FILE_APPEND_DATA; on a folder FILE_ADD_SUBDIRECTORY
inline constexpr std::uint32_t kRightDeleteChild = 0x40;       // FILE_DELETE_CHILD, a folder's
inline constexpr std::uint32_t kRightWriteAttributes = 0x100;  // FILE_WRITE_ATTRIBUTES
inline constexpr std::uint32_t kRightDelete = 0x10000;         // DELETE
inline constexpr std::uint32_t kRightWriteDac = 0x40000;       // WRITE_DAC: change the permissions
inline constexpr std::uint32_t kRightWriteOwner = 0x80000;     // WRITE_OWNER: take ownership
inline constexpr std::uint32_t kRightGenericAll = 0x10000000;
inline constexpr std::uint32_t kRightGenericWrite = 0x40000000;
// A registry key's: read its values.
inline constexpr std::uint32_t kRightQueryValue = 0x1;  // KEY_QUERY_VALUE
inline constexpr std::uint32_t kRightGenericRead = 0x80000000;

struct AccessEntry {
    bool allows = true;      // an entry that allows, of any kind; false: a plain deny entry
    bool inherited = false;  // inherited from the folder above
    std::wstring sid;        // empty when the entry names no SID that could be read
    std::uint32_t mask = 0;
};

struct ObjectSecurity {
    bool isFolder = false;
    bool nullDacl = false;             // no permissions at all: everyone may do everything
    std::wstring owner;                // empty when it has none
    std::vector<AccessEntry> entries;  // in their order; inherit-only ones left out, as they apply
                                       // only to what is created inside a folder later
    bool isLink = false;               // a junction, symbolic link or mount point (a reparse point)
};

}  // namespace qeltor
