#pragma once

#include <cstdint>
#include <string>

namespace qeltor {

// `value` in decimal digits. std::to_wstring formats through the C library's printf, which would
// add a fifth of a program's size for a few numbers in messages; std::to_string does not.
// Plain C++, so the installer's messages use it too.
inline std::wstring DecimalText(std::uint64_t value) {
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

}  // namespace qeltor
