// Where plain code's copies of Windows' numbers meet the headers: each copy in core/SystemNumbers.h
// is checked here, once, for every program that links the toolkit. The registry's roots are the
// exception: the headers spell them as pointers, which no constant expression compares, so the
// platform maps each to its header's name.
#include "core/SystemNumbers.h"

#include <windows.h>

#include <type_traits>

#include "win32/RegistryTree.h"

namespace qeltor {

static_assert(std::is_same_v<Dword, DWORD> && std::is_same_v<Qword, ULONGLONG>);
static_assert(kOsSuccess == ERROR_SUCCESS && kNoError == NO_ERROR);
static_assert(kOsFileNotFound == ERROR_FILE_NOT_FOUND && kOsPathNotFound == ERROR_PATH_NOT_FOUND &&
              kOsAccessDenied == ERROR_ACCESS_DENIED && kOsBadExeFormat == ERROR_BAD_EXE_FORMAT &&
              kOsServiceDoesNotExist == ERROR_SERVICE_DOES_NOT_EXIST);
static_assert(kErrorInvalidData == ERROR_INVALID_DATA && kErrorInvalidName == ERROR_INVALID_NAME &&
              kErrorBadPathname == ERROR_BAD_PATHNAME && kErrorServiceSpecificError == ERROR_SERVICE_SPECIFIC_ERROR);
static_assert(kOsRegistryLink == win32::kRegistryLinkMet && kOsTreeTooDeep == win32::kTreeTooDeep);
static_assert(kRegNone == REG_NONE && kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ && kRegBinary == REG_BINARY &&
              kRegDword == REG_DWORD && kRegDwordBigEndian == REG_DWORD_BIG_ENDIAN && kRegLink == REG_LINK &&
              kRegMultiSz == REG_MULTI_SZ && kRegQword == REG_QWORD);
static_assert(kMsgBoxCritical == MB_ICONERROR && kMsgBoxInformation == MB_ICONINFORMATION);
static_assert(kShellNormalNoFocus == SW_SHOWNOACTIVATE);
static_assert(kMaxPath == MAX_PATH);
static_assert(kServiceAutoStart == SERVICE_AUTO_START && kServiceDemandStart == SERVICE_DEMAND_START &&
              kServiceDisabled == SERVICE_DISABLED);
// On a folder the same bits are FILE_ADD_FILE and FILE_ADD_SUBDIRECTORY.
static_assert(kRightWriteData == FILE_WRITE_DATA && kRightAppendData == FILE_APPEND_DATA);
static_assert(kRightDeleteChild == FILE_DELETE_CHILD && kRightDelete == DELETE &&
              kRightWriteAttributes == FILE_WRITE_ATTRIBUTES);
static_assert(kRightWriteDac == WRITE_DAC && kRightWriteOwner == WRITE_OWNER);
static_assert(kRightGenericAll == GENERIC_ALL && kRightGenericWrite == GENERIC_WRITE);
static_assert(kRightQueryValue == KEY_QUERY_VALUE && kRightGenericRead == GENERIC_READ);

}  // namespace qeltor
