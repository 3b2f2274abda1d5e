#pragma once

#include <userenv.h>
#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

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
using UniqueEnvironmentBlock = std::unique_ptr<void, ReleaseWith<::DestroyEnvironmentBlock>>;
template <typename T>
using UniqueLocalMemory = std::unique_ptr<T, ReleaseWith<::LocalFree>>;

// Kernel handles whose "none" is null: processes, threads, events, jobs.
using UniqueHandle = Owner<HANDLE, ::CloseHandle>;

// Handles whose "none" is INVALID_HANDLE_VALUE: files, snapshots and searches. Null is never one.
template <auto Release>
class InvalidValueOwner {
public:
    InvalidValueOwner() = default;
    explicit InvalidValueOwner(HANDLE handle) : handle_(handle) {}
    InvalidValueOwner(const InvalidValueOwner&) = delete;
    InvalidValueOwner& operator=(const InvalidValueOwner&) = delete;
    InvalidValueOwner(InvalidValueOwner&& other) noexcept : handle_(other.release()) {}
    InvalidValueOwner& operator=(InvalidValueOwner&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~InvalidValueOwner() { reset(); }

    [[nodiscard]] HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (*this) {
            Release(handle_);
        }
        handle_ = handle;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

using UniqueFileHandle = InvalidValueOwner<::CloseHandle>;
using UniqueFindHandle = InvalidValueOwner<::FindClose>;

}  // namespace qeltor::win32
