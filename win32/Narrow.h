#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdlib>

namespace qeltor::win32 {

// A size handed to Windows as a DWORD. Our sizes are buffers and texts far below 4 GiB; one that
// is not would be a fault in our code, and a silently cut size would let Windows read or write
// the wrong length, so the program stops instead.
inline DWORD DwordOf(std::size_t size) {
    const auto narrowed = static_cast<DWORD>(size);
    if (narrowed != size) {
        std::abort();
    }
    return narrowed;
}

}  // namespace qeltor::win32
