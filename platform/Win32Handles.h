#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// Owners for the Win32 handles we open, so that none leaks on an early return.
namespace qeltor::win32 {

struct RegKeyCloser {
    void operator()(HKEY key) const noexcept { ::RegCloseKey(key); }
};
using UniqueRegKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyCloser>;

struct HandleCloser {
    void operator()(HANDLE handle) const noexcept {
        if (handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct LocalMemoryFreer {
    void operator()(void* memory) const noexcept { ::LocalFree(memory); }
};
template <typename T>
using UniqueLocalMemory = std::unique_ptr<T, LocalMemoryFreer>;

}  // namespace qeltor::win32
