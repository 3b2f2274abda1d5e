#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qeltor::win32 {

// `text` in UTF-8, for output that is no console: pipes, files, a Unix terminal under Wine.
std::string Utf8(std::wstring_view text);

// Writes `text` to `output`: as it is to a real console, which takes UTF-16, in UTF-8 to a file or
// a pipe.
void WriteText(HANDLE output, std::wstring_view text);

}  // namespace qeltor::win32
