#pragma once

// The system's codes the checks compare with, typed once here: MinGW's winerror.h gives them a
// lower-case suffix, which the linter rejects inside the test macros.
#include <windows.h>

namespace qeltor::driver {

enum Code : DWORD {
    kErrorSuccess = ERROR_SUCCESS,
    kNoError = NO_ERROR,
    kErrorBadPathname = ERROR_BAD_PATHNAME,
    kErrorInvalidName = ERROR_INVALID_NAME,
    kErrorServiceSpecificError = ERROR_SERVICE_SPECIFIC_ERROR,
    kStillRunning = WAIT_TIMEOUT,
};

}  // namespace qeltor::driver
