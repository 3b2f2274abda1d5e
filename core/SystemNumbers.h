#pragma once

#include <cstddef>
#include <cstdint>

// Windows' numbers that plain code speaks of, copied here so that it needs no <windows.h>, each
// once; win32/SystemNumbers.cpp checks every one against the headers.
namespace qeltor {

// The types in which Windows hands over numbers: its DWORD and ULONGLONG. Plain code holds process
// ids, error codes and ticks in them, so that they pass to and from the system unchanged.
using Dword = unsigned long;
using Qword = unsigned long long;

// Error codes (ERROR_SUCCESS and ERROR_..., NO_ERROR as a service's exit code).
inline constexpr Dword kOsSuccess = 0;
inline constexpr Dword kNoError = 0;
inline constexpr Dword kOsFileNotFound = 2;
inline constexpr Dword kOsPathNotFound = 3;
inline constexpr Dword kOsAccessDenied = 5;
inline constexpr Dword kErrorInvalidData = 13;
inline constexpr Dword kErrorInvalidName = 123;
inline constexpr Dword kErrorBadPathname = 161;
inline constexpr Dword kOsBadExeFormat = 193;
inline constexpr Dword kOsServiceDoesNotExist = 1060;
inline constexpr Dword kErrorServiceSpecificError = 1066;
// A settings copy met a registry link (ERROR_CANT_RESOLVE_FILENAME), or went deeper than Windows
// lets a tree go (ERROR_FILENAME_EXCED_RANGE).
inline constexpr Dword kOsRegistryLink = 1921;
inline constexpr Dword kOsTreeTooDeep = 206;

// The registry's value types.
inline constexpr Dword kRegNone = 0;
inline constexpr Dword kRegSz = 1;
inline constexpr Dword kRegExpandSz = 2;
inline constexpr Dword kRegBinary = 3;
inline constexpr Dword kRegDword = 4;
inline constexpr Dword kRegDwordBigEndian = 5;
inline constexpr Dword kRegLink = 6;
inline constexpr Dword kRegMultiSz = 7;
inline constexpr Dword kRegQword = 11;

// The registry's predefined roots, without the sign extension that the headers give them; the
// platform maps each to the headers' own.
inline constexpr std::uintptr_t kHkeyCurrentUser = 0x80000001U;
inline constexpr std::uintptr_t kHkeyLocalMachine = 0x80000002U;
inline constexpr std::uintptr_t kHkeyUsers = 0x80000003U;

// Message box styles the installer uses.
inline constexpr unsigned kMsgBoxCritical = 16;
inline constexpr unsigned kMsgBoxInformation = 64;

// Window style for a started program: normal size and position, not activated.
inline constexpr unsigned kShellNormalNoFocus = 4;

// The longest path, with its NUL, that a program can be started from without long-path support.
inline constexpr std::size_t kMaxPath = 260;

// Service start types, as the service manager reports them.
inline constexpr std::uint32_t kServiceAutoStart = 2;
inline constexpr std::uint32_t kServiceDemandStart = 3;
inline constexpr std::uint32_t kServiceDisabled = 4;

// The access rights that change a file or folder.
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

}  // namespace qeltor
