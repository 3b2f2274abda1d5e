#pragma once

// What the service tool cases do from outside: run a tool and read its output, drive the
// service manager, write the Parameters values and wait, within a bound, for a condition.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace qeltor::service_test {

inline constexpr DWORD kPatienceMs = 20000;

struct ToolRun {
    DWORD exitCode = 0;
    std::string output;  // standard output and error, as written
};

// A Unix path from CMake as Wine shows it, under drive Z:.
std::wstring WindowsPath(const std::wstring& unixPath);

ToolRun RunTool(const std::filesystem::path& program, const std::wstring& arguments);

// Checks `condition` every 50 ms until it holds or `patienceMs` pass.
bool WaitUntil(const std::function<bool()>& condition, DWORD patienceMs = kPatienceMs);

std::optional<SERVICE_STATUS> QueryStatus(const std::wstring& service);
bool WaitForState(const std::wstring& service, DWORD state);
bool ServiceExists(const std::wstring& service);
DWORD StartNamedService(const std::wstring& service);
DWORD ControlNamedService(const std::wstring& service, DWORD control);
// Stops and deletes the service if it is there, whatever state it is in.
void DeleteServiceIfPresent(const std::wstring& service);

// Writes the string values under the service's Parameters key, with `type`; nullopt leaves a
// value out and an empty string is stored with 0 bytes, as QeltorService does.
void WriteParameters(const std::wstring& service, const std::optional<std::wstring>& application,
                     const std::optional<std::wstring>& directory, const std::optional<std::wstring>& arguments,
                     DWORD type = REG_SZ);

// A value under HKEY_LOCAL_MACHINE\<key> as stored (a REG_EXPAND_SZ is not expanded); nullopt
// when it is not there or not of that kind.
std::optional<std::wstring> ReadMachineText(const std::wstring& key, const wchar_t* name);
std::optional<DWORD> ReadMachineNumber(const std::wstring& key, const wchar_t* name);
bool MachineKeyExists(const std::wstring& key);

// "<pid> <beat>" from a stand-in's heartbeat file, once it has written one.
std::optional<DWORD> HeartbeatProcessId(const std::filesystem::path& heartbeat);
std::string ReadText(const std::filesystem::path& file);

// Whether the Application event log holds an error from `source` whose text contains `fragment`;
// nullopt when the log cannot be read at all (Wine keeps none).
std::optional<bool> ErrorLogged(const std::wstring& source, const std::wstring& fragment);

}  // namespace qeltor::service_test
