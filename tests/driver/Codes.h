#pragma once

// The Windows codes the checks compare with, typed once here: the Windows macros carry
// lower-case literal suffixes into the test macros, which the linter rejects.
#include <windows.h>

namespace qeltor::driver {

enum Code : DWORD {
    kErrorSuccess = ERROR_SUCCESS,
    kNoError = NO_ERROR,
    kErrorBadPathname = ERROR_BAD_PATHNAME,
    kErrorInvalidName = ERROR_INVALID_NAME,
    kErrorServiceSpecificError = ERROR_SERVICE_SPECIFIC_ERROR,
    kServiceWin32OwnProcess = SERVICE_WIN32_OWN_PROCESS,
    kServiceAutoStart = SERVICE_AUTO_START,
    kRegSz = REG_SZ,
    kRegExpandSz = REG_EXPAND_SZ,
    kRegBinary = REG_BINARY,
    kRegDword = REG_DWORD,
    kRegMultiSz = REG_MULTI_SZ,
    kStillRunning = WAIT_TIMEOUT,
};

}  // namespace qeltor::driver
