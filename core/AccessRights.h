#pragma once

#include <cstdint>
#include <vector>

// What a file's or folder's permissions give some groups, as the system reads them. Plain C++, so
// the installer's decision and the native tests use it too.
namespace qeltor {

// The access rights that change a file or folder; Windows' values, checked against its headers
// where they are read.
inline constexpr std::uint32_t kRightWriteData = 0x2;       // FILE_WRITE_DATA; on a folder FILE_ADD_FILE
inline constexpr std::uint32_t kRightAppendData = 0x4;      // FILE_APPEND_DATA; on a folder FILE_ADD_SUBDIRECTORY
inline constexpr std::uint32_t kRightDeleteChild = 0x40;    // FILE_DELETE_CHILD, a folder's
inline constexpr std::uint32_t kRightDelete = 0x10000;      // DELETE
inline constexpr std::uint32_t kRightWriteDac = 0x40000;    // WRITE_DAC: change the permissions
inline constexpr std::uint32_t kRightWriteOwner = 0x80000;  // WRITE_OWNER: take ownership
inline constexpr std::uint32_t kRightGenericAll = 0x10000000;
inline constexpr std::uint32_t kRightGenericWrite = 0x40000000;

struct AccessRights {
    bool isFolder = false;
    bool nullDacl = false;             // no permissions at all: everyone may do everything
    std::vector<std::uint32_t> masks;  // the rights of each group asked for, in the order asked; all
                                       // rights for each when there are no permissions
};

}  // namespace qeltor
