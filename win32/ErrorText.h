#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qeltor::win32 {

// The words a program puts around the system's text: the text where the system has none, what an
// insert in it names where the caller names nothing, and the text with its code (%1 the text, %2
// the code).
struct ErrorWords {
    std::wstring unknown;
    std::wstring subject;
    std::wstring withCode;
};

// The system's own text for a Win32 error code without the line break that ends it; empty where
// the system has none.
std::wstring SystemText(DWORD error);

// The system's own text for a Win32 error code, with its code, in `words`: "Bad EXE format for
// C:\Monitor.exe. (error 193)". An insert in the text names `subject`, or words.subject when there
// is none to name.
std::wstring ErrorText(DWORD error, std::wstring_view subject, const ErrorWords& words);

}  // namespace qeltor::win32
