#pragma once

#include <windows.h>

#include <string>

namespace qeltor::service {

// The system's own text for a Win32 error code, without the trailing line break.
std::wstring ErrorText(DWORD error);

}  // namespace qeltor::service
