#pragma once

#include "core/AccessRights.h"
#include "core/SystemNumbers.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qeltor {

// A Win32 error code, as win32/ returns them too: 0 (kOsSuccess) means success, anything else is
// a system error code. Those the installer tells apart are in core/SystemNumbers.h.
using OsStatus = Dword;

// A registry key handle as the A functions see it: 0 is the null handle, kHkeyCurrentUser and the
// other roots are Windows' own.
using RegKey = std::uintptr_t;
inline constexpr RegKey kNullRegKey = 0;

// What the service manager holds for a service.
struct ServiceConfig {
    std::wstring programPath;  // the command line it runs, as stored
    std::uint32_t startType = 0;
    bool markedForDeletion = false;  // deleted, and gone once the last handle to it is closed
    // How long a shutdown of Windows waits for its stop; unknown where it cannot be read.
    std::optional<std::uint32_t> preshutdownTimeoutMs = std::nullopt;
};

// Where a drive letter's files come from, as far as a service is concerned: a service has
// neither the letters a user's logon maps nor the media that happen to be inserted. A disk that
// Windows calls fixed may still be one that is unplugged: it is named by its bus.
enum class DriveKind { Local, Network, Subst, Removable, CdRom, UsbDisk, SdCard, MmcCard, FireWireDisk, VirtualDisk };

// A registry value exactly as stored: its type and its bytes.
struct StoredValue {
    std::uint32_t type = 0;
    std::string bytes;
    bool operator==(const StoredValue&) const = default;
};
// The values read from one key, by name. A key holds a few, so they are kept in the order read and
// looked up one by one, without a tree's code in the program.
class StoredValues {
public:
    // The value named `name`, or null when the key has none of that name.
    [[nodiscard]] const StoredValue* Find(const std::wstring& name) const {
        for (const auto& [held, value] : entries_) {
            if (held == name) {
                return &value;
            }
        }
        return nullptr;
    }
    // Sets the value named `name`, replacing one of that name.
    void Set(const std::wstring& name, StoredValue value) {
        for (auto& [held, stored] : entries_) {
            if (held == name) {
                stored = std::move(value);
                return;
            }
        }
        entries_.emplace_back(name, std::move(value));
    }

private:
    std::vector<std::pair<std::wstring, StoredValue>> entries_;
};

// A program that rtcShell started: what waiting on it needs.
class StartedProgram {
public:
    StartedProgram() = default;
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;
    StartedProgram(StartedProgram&&) = delete;
    StartedProgram& operator=(StartedProgram&&) = delete;
    virtual ~StartedProgram() = default;

    // The system's handle that is signalled when the program ends, as a number.
    [[nodiscard]] virtual std::uintptr_t EndSignal() const = 0;

    // Its exit code once it has ended; nothing while it runs.
    virtual std::optional<std::uint32_t> ExitCode() = 0;
};

// The lock that one registration on this machine holds at a time, whichever copy of the kit or
// whichever session runs it. Whoever waited for it holds it until it goes.
class MachineLock {
public:
    MachineLock() = default;
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;
    MachineLock(MachineLock&&) = delete;
    MachineLock& operator=(MachineLock&&) = delete;
    virtual ~MachineLock() = default;

    // The system's handle that is signalled while nobody holds the lock, as a number.
    [[nodiscard]] virtual std::uintptr_t FreeSignal() const = 0;
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

    // Starts the program named by `commandLine` without waiting for it; `started` is what waiting
    // on it needs.
    virtual OsStatus rtcShell(const std::wstring& commandLine, unsigned windowStyle,
                              std::unique_ptr<StartedProgram>& started) = 0;

    // Waits at most `timeoutMs` for `program` to end, answering nothing meanwhile: its exit code,
    // or nothing when it is still running then.
    virtual std::optional<std::uint32_t> WaitForEnd(StartedProgram& program, std::uint32_t timeoutMs) = 0;
    // Waits at most `timeoutMs` for the system object `signal` (a handle, as a number), answering
    // nothing meanwhile: whether it was signalled. A lock that a program left behind as it ended
    // counts as signalled; a lock waited for is held from then on.
    virtual bool WaitForObject(std::uintptr_t signal, std::uint32_t timeoutMs) = 0;
    // kOsSuccess with `config` filled, kOsServiceDoesNotExist, or why the manager could not tell.
    virtual OsStatus QueryService(const std::wstring& serviceName, ServiceConfig& config) = 0;

    // Deletes a service that is not running.
    virtual OsStatus RemoveService(const std::wstring& serviceName) = 0;

    // kOsSuccess when `path` is a program Windows can start, 32- or 64-bit as `is64Bit` says;
    // otherwise why not.
    virtual OsStatus CheckWindowsProgram(const std::wstring& path, bool& is64Bit) = 0;

    // Whether this Windows runs 64-bit programs.
    virtual bool IsWindows64Bit() = 0;

    // What kind of drive the letter `drive` names for the running user.
    virtual DriveKind KindOfDrive(wchar_t drive) = 0;

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

    // Those of the values `names` that `subKey` holds, exactly as stored; kOsFileNotFound when
    // the key is not there.
    virtual OsStatus ReadRegistryValues(RegKey root, const std::wstring& subKey, const std::vector<std::wstring>& names,
                                        StoredValues& values) = 0;

    // Copies every value and subkey of `fromKey` into `toKey`, creating it: values of the same name
    // are overwritten, others there are kept. All or nothing: the whole tree is read before `toKey`
    // is written to, and when it cannot be, `toKey` is left as it was and `failedKey` names the key
    // that could not be read (or written), as a full registry path. A registry link is never
    // followed: kOsRegistryLink names it; a tree deeper than Windows allows gives kOsTreeTooDeep.
    virtual OsStatus CopyRegistryTree(RegKey fromRoot, const std::wstring& fromKey, RegKey toRoot,
                                      const std::wstring& toKey, std::wstring& failedKey) = 0;

    // Deletes what a copy into `toKey` that was ended midway left beside it.
    virtual void DiscardUnfinishedCopy(RegKey toRoot, const std::wstring& toKey) = 0;

    // kOsSuccess with the machine's registration lock, not yet held; or why it cannot be had.
    virtual OsStatus OpenRegistrationLock(std::unique_ptr<MachineLock>& lock) = 0;

    // The system's environment variables as "NAME=value" entries, as a service that runs as the
    // system's account starts with them (not the running user's: %USERPROFILE%, %APPDATA% and
    // %TEMP% differ); empty when they cannot be read.
    virtual std::vector<std::wstring> SystemEnvironment() = 0;

    // Stores `value` under the name exactly as given, or deletes that value when it is nothing.
    virtual OsStatus RestoreRegistryValue(RegKey root, const std::wstring& subKey, const std::wstring& name,
                                          const std::optional<StoredValue>& value) = 0;
    // kOsSuccess with the owner and access entries of the file or folder at `path`, and whether
    // it is a folder; otherwise why they cannot be read.
    virtual OsStatus ReadSecurity(const std::wstring& path, ObjectSecurity& security) = 0;
    // The account of `sid` as Windows names it, "DOMAIN\name" (or "name" alone where it has no
    // domain); `sid` itself when it has no name.
    virtual std::wstring AccountName(const std::wstring& sid) = 0;
    // The SID of the account this program runs as.
    virtual std::wstring CurrentUserSid() = 0;
    // The names of what lies directly in the folder `path` (without "." and ".."), at most `limit`
    // of them and one more when there are more; kOsSuccess or why it cannot be listed.
    virtual OsStatus ListFolder(const std::wstring& path, std::size_t limit, std::vector<std::wstring>& names) = 0;
    // The owner and access entries of the link (junction, symbolic link, mount point) at `path`
    // itself, not of what it leads to.
    virtual OsStatus ReadLinkSecurity(const std::wstring& path, ObjectSecurity& security) = 0;
    // The owner and access entries of the registry key `subKey` under `root`; kOsFileNotFound when
    // it is not there.
    virtual OsStatus ReadKeySecurity(RegKey root, const std::wstring& subKey, ObjectSecurity& security) = 0;
    // The folder that holds the users' profiles (ProfileList's ProfilesDirectory), where links
    // lead, ending with a separator; empty when it cannot be read.
    virtual std::wstring ProfilesFolder() = 0;
    // Where the file or folder at `path` really lies once symbolic links and junctions are
    // followed, as a drive path ("C:\...") or a share path ("\\server\share\...").
    virtual OsStatus FinalPath(const std::wstring& path, std::wstring& final) = 0;
};

}  // namespace qeltor
