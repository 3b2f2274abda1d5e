#pragma once

#include <optional>
#include <string>

namespace qeltor {

// `text` in the system's ANSI code page, or nothing when the conversion would not give
// the same text back (a character replaced by '?' or by a look-alike).
std::optional<std::string> ToExactAnsi(const std::wstring& text);

}  // namespace qeltor
