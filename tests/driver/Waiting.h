#pragma once

// Paths as the Wine tests are handed them, and the one way they wait for something.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

namespace qeltor::driver {

// How long a check waits for what the system does for it.
inline constexpr DWORD kPatienceMs = 20000;

// A Unix path as Wine shows it (the Unix root is drive Z:); Windows paths pass unchanged.
std::filesystem::path WindowsPath(std::wstring path);

// Checks `condition` every 50 ms until it holds or `patienceMs` pass; whether it held. With no
// patience it checks once.
bool WaitUntil(const std::function<bool()>& condition, DWORD patienceMs = kPatienceMs);

}  // namespace qeltor::driver
