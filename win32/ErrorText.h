#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qeltor::win32 {

// The system's own text for a Win32 error code, with its code, for the window and the service
// tools alike: "Bad EXE format for C:\Monitor.exe. (error 193)". An insert in the text names
// `subject`, or "the file" when there is none to name.
std::wstring ErrorText(DWORD error, std::wstring_view subject = {});

}  // namespace qeltor::win32
