#pragma once

#include <string>
#include <string_view>

namespace qeltor::win32 {

// `text` in UTF-8, for output that is no console: pipes, files, a Unix terminal under Wine.
std::string Utf8(std::wstring_view text);

}  // namespace qeltor::win32
