#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// Owners for the Win32 handles our programs and their tests open, so that none leaks on an
// early return. Each is released with the function Windows pairs with the one that opened it.
namespace qeltor::win32 {

template <auto Release>
struct ReleaseWith {
    template <typename Handle>
    void operator()(Handle handle) const noexcept {
        Release(handle);
    }
};

template <typename Handle, auto Release>
using Owner = std::unique_ptr<std::remove_pointer_t<Handle>, ReleaseWith<Release>>;

using UniqueRegKey = Owner<HKEY, ::RegCloseKey>;
using UniqueServiceHandle = Owner<SC_HANDLE, ::CloseServiceHandle>;
using UniqueEventSource = Owner<HANDLE, ::DeregisterEventSource>;
using UniqueEventLog = Owner<HANDLE, ::CloseEventLog>;
using UniqueModule = Owner<HMODULE, ::FreeLibrary>;
using UniqueFont = Owner<HFONT, ::DeleteObject>;
using UniqueIcon = Owner<HICON, ::DestroyIcon>;
template <typename T>
using UniqueLocalMemory = std::unique_ptr<T, ReleaseWith<::LocalFree>>;

// Kernel handles; some functions hand out INVALID_HANDLE_VALUE rather than null for none.
struct HandleCloser {
    void operator()(HANDLE handle) const noexcept {
        if (handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

}  // namespace qeltor::win32
