#pragma once

#include "core/SystemNumbers.h"

// Windows' values that the host's decisions speak of, copied so that they stay plain C++; checked
// against the headers in ServiceHost.cpp.
namespace qeltor::service {

inline constexpr Dword kNoError = 0;
inline constexpr Dword kErrorFileNotFound = 2;
inline constexpr Dword kErrorInvalidData = 13;
inline constexpr Dword kErrorInvalidName = 123;
inline constexpr Dword kErrorBadPathname = 161;
inline constexpr Dword kErrorServiceSpecificError = 1066;

// The registry's value types.
inline constexpr Dword kRegNone = 0;
inline constexpr Dword kRegSz = 1;
inline constexpr Dword kRegExpandSz = 2;
inline constexpr Dword kRegBinary = 3;
inline constexpr Dword kRegDword = 4;
inline constexpr Dword kRegDwordBigEndian = 5;
inline constexpr Dword kRegLink = 6;
inline constexpr Dword kRegMultiSz = 7;
inline constexpr Dword kRegQword = 11;

}  // namespace qeltor::service
