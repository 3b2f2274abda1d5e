#include "Waiting.h"

#include <algorithm>

namespace qeltor::driver {

// CMake hands over Unix paths.
std::filesystem::path WindowsPath(std::wstring path) {
    if (path.starts_with(L'/')) {
        path.insert(0, L"Z:");
    }
    std::ranges::replace(path, L'/', L'\\');
    return path;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD patienceMs) {
    const ULONGLONG deadline = ::GetTickCount64() + patienceMs;
    while (!condition()) {
        if (::GetTickCount64() >= deadline) {
            return false;
        }
        ::Sleep(50);
    }
    return true;
}

}  // namespace qeltor::driver
