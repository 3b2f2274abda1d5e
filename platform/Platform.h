#pragma once

#include "win32/AccessRights.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qeltor {

// A Win32 status code: 0 means success, anything else is a system error code.
using OsStatus = std::uint32_t;
inline constexpr OsStatus kOsSuccess = 0;

// A registry key handle as the A functions see it; 0 is the null handle.
using RegKey = std::uintptr_t;
inline constexpr RegKey kNullRegKey = 0;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002U;
inline constexpr std::uint32_t kRegSz = 1;

// Message box styles the installer uses.
inline constexpr unsigned kMsgBoxCritical = 16;
inline constexpr unsigned kMsgBoxInformation = 64;

// Window style for a started program: normal size and position, not activated.
inline constexpr unsigned kShellNormalNoFocus = 4;

// Status codes the installer tells apart.
inline constexpr OsStatus kOsFileNotFound = 2;
inline constexpr OsStatus kOsBadExeFormat = 193;
inline constexpr OsStatus kOsServiceDoesNotExist = 1060;

// Service start types, as the service manager reports them.
inline constexpr std::uint32_t kServiceAutoStart = 2;
inline constexpr std::uint32_t kServiceDemandStart = 3;
inline constexpr std::uint32_t kServiceDisabled = 4;

// What the service manager holds for a service.
struct ServiceConfig {
    std::wstring programPath;  // the command line it runs, as stored
    std::uint32_t startType = 0;
};

// How much a key may hold for DeleteRegistryKey to delete it; a key with subkeys is never deleted.
enum class KeyDeletion {
    WithItsValues,
    OnlyIfEmpty,
};

// Everything the installer logic does outside its own memory goes through here,
// so the logic runs the same against Windows and against the unit tests' fake.
class Platform {
public:
    Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
    Platform(Platform&&) = delete;
    Platform& operator=(Platform&&) = delete;
    virtual ~Platform() = default;

    // Folder of the running program; it may or may not end in a backslash.
    virtual std::wstring AppPath() = 0;

    // Probe with attributes 0: the file-name part of a plain file at `path`,
    // or the empty text when there is none.
    virtual std::wstring rtcDir(const std::wstring& path) = 0;

    // The per-user setting application/section/key, or `fallback` when none is stored.
    virtual std::wstring rtcGetSetting(const std::wstring& application, const std::wstring& section,
                                       const std::wstring& key, const std::wstring& fallback) = 0;

    // Starts the program named by `commandLine` without waiting for it.
    virtual OsStatus rtcShell(const std::wstring& commandLine, unsigned windowStyle) = 0;

    // Waits at most `timeoutMs` for the program the last successful rtcShell started: its exit
    // code, or nothing when it is still running then.
    virtual std::optional<std::uint32_t> WaitForStartedProgram(std::uint32_t timeoutMs) = 0;

    // kOsSuccess with `config` filled, kOsServiceDoesNotExist, or why the manager could not tell.
    virtual OsStatus QueryService(const std::wstring& serviceName, ServiceConfig& config) = 0;

    // Deletes a service that is not running.
    virtual OsStatus RemoveService(const std::wstring& serviceName) = 0;

    // kOsSuccess when `path` is a program Windows can start; otherwise why not.
    virtual OsStatus CheckWindowsProgram(const std::wstring& path) = 0;

    // Modal message box captioned with the application title.
    virtual void rtcMsgBox(const std::wstring& text, unsigned style) = 0;

    // Ends the program at once. The real platform never returns; callers still
    // return right after it so that nothing of theirs runs when a fake does.
    virtual void EndProgram(int exitCode) = 0;

    // Closes the main window, which ends the program.
    virtual void Unload() = 0;

    // Text in the system's ANSI code page, or nothing when a character of it
    // has no exact counterpart there.
    virtual std::optional<std::string> ToAnsiCodePage(const std::wstring& text) = 0;

    // The system's own description of a status code, for messages to the user.
    virtual std::wstring ErrorText(OsStatus status) = 0;

    // The advapi32 A functions, on text already in the ANSI code page.
    // `data` is handed over with its terminating NUL; `byteCount` says how much of it is stored.
    virtual OsStatus RegCreateKeyA(RegKey root, const std::string& subKey, RegKey& result) = 0;
    virtual OsStatus RegSetValueExA(RegKey key, const std::string& valueName, std::uint32_t reserved,
                                    std::uint32_t type, const std::string& data, std::uint32_t byteCount) = 0;
    virtual OsStatus RegCloseKey(RegKey key) = 0;

    // Deletes `subKey` under `root` as `how` allows; kOsFileNotFound when it is not there.
    virtual OsStatus DeleteRegistryKey(RegKey root, const std::wstring& subKey, KeyDeletion how) = 0;

    // kOsSuccess with what the permissions of the file or folder at `path` give each of `sids`
    // (SIDs as text, "S-1-1-0") and whether it is a folder; otherwise why they cannot be read.
    virtual OsStatus ReadAccessRights(const std::wstring& path, const std::vector<std::wstring>& sids,
                                      AccessRights& rights) = 0;
};

}  // namespace qeltor
