#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// Owners for the Win32 handles our programs and their tests open, so that none leaks on an
// early return.
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

struct ServiceHandleCloser {
    void operator()(SC_HANDLE handle) const noexcept { ::CloseServiceHandle(handle); }
};
using UniqueServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceHandleCloser>;

struct EventSourceDeregisterer {
    void operator()(HANDLE source) const noexcept { ::DeregisterEventSource(source); }
};
using UniqueEventSource = std::unique_ptr<void, EventSourceDeregisterer>;

struct LocalMemoryFreer {
    void operator()(void* memory) const noexcept { ::LocalFree(memory); }
};
template <typename T>
using UniqueLocalMemory = std::unique_ptr<T, LocalMemoryFreer>;

struct FontDeleter {
    void operator()(HFONT font) const noexcept { ::DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

struct IconDestroyer {
    void operator()(HICON icon) const noexcept { ::DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

}  // namespace qeltor::win32
