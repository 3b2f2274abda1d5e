// The standard library reports a misuse or exhausted memory by throwing through these functions.
// Nothing in our programs catches such an exception, so the libstdc++ versions would only add its
// exception classes, a second string implementation and the unwinder to every program: about
// half its size. These end the program at once with a short note on the error output instead.
#include <windows.h>

#include <cstddef>
#include <cstdlib>

namespace {

[[noreturn]] void EndWith(const char* what) {
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(error, what, static_cast<DWORD>(::lstrlenA(what)), &written, nullptr);
    }
    ::OutputDebugStringA(what);
    std::abort();
}

}  // namespace

// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp,cert-dcl58-cpp): the library's own names
namespace std {

[[noreturn]] void __throw_bad_alloc() {
    EndWith("Out of memory.\r\n");
}
[[noreturn]] void __throw_bad_array_new_length() {
    EndWith("Out of memory: an array too large.\r\n");
}
[[noreturn]] void __throw_length_error(const char* /*what*/) {
    EndWith("A text or list grew beyond its limit.\r\n");
}
[[noreturn]] void __throw_logic_error(const char* /*what*/) {
    EndWith("Internal error: a library call was misused.\r\n");
}
[[noreturn]] void __throw_out_of_range(const char* /*what*/) {
    EndWith("Internal error: an index out of range.\r\n");
}
[[noreturn]] void __throw_out_of_range_fmt(const char* /*format*/, ...) {
    EndWith("Internal error: an index out of range.\r\n");
}
[[noreturn]] void __throw_invalid_argument(const char* /*what*/) {
    EndWith("Internal error: an invalid argument.\r\n");
}
[[noreturn]] void __throw_bad_function_call() {
    EndWith("Internal error: an empty function was called.\r\n");
}

}  // namespace std
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp,cert-dcl58-cpp)

// Ours for the same reason: the library's operator new throws std::bad_alloc itself.
// NOLINTBEGIN(cppcoreguidelines-no-malloc): this is where the memory that owners hold comes from
void* operator new(std::size_t size) {
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) {
        EndWith("Out of memory.\r\n");
    }
    return memory;
}

void* operator new[](std::size_t size) {
    return ::operator new(size);
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t /*size*/) noexcept {
    std::free(memory);
}

void operator delete[](void* memory) noexcept {
    std::free(memory);
}

void operator delete[](void* memory, std::size_t /*size*/) noexcept {
    std::free(memory);
}
// NOLINTEND(cppcoreguidelines-no-malloc)
