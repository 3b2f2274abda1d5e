#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qeltor::service {

// The system's text for `error` with its code, in instsrv.exe's words from its table: "Access is
// denied. (error 5)". An insert in the text names `subject`, or "the file" when there is none.
std::wstring SystemReason(DWORD error, std::wstring_view subject = {});

}  // namespace qeltor::service
