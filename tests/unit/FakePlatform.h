#pragma once

#include "installer/Form.h"
#include "platform/Platform.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace qeltor::testing {

// An in-memory Windows: a set of plain files, one stored setting, a registry that records
// every call, and a code page like the Western one (or a Chinese-style double-byte one).
class FakePlatform : public Platform, public Form {
public:
    struct RegWrite {
        RegKey key;
        std::string name;
        std::uint32_t reserved;
        std::uint32_t type;
        std::string stored;  // the bytes the call stores: the first byteCount bytes handed over
        std::uint32_t byteCount;
    };
    struct Box {
        std::wstring text;
        unsigned style;
    };
    // What the started instsrv.exe does: creates the service unless it exists (exit code 0, or 1
    // when it exists), fails outright (exit code 1), or never ends. Or, while it runs, something
    // else takes the service it created away again, or sets the existing one to disabled.
    enum class Instsrv { Creates, Fails, Hangs, CreatesThenGone, Disables };
    using Values = std::map<std::string, StoredValue>;

    // The world the installer sees.
    std::wstring appPath = L"C:\\Tools";
    std::set<std::wstring> files;
    std::vector<std::wstring> currentFolderFiles;   // what a probe of the empty text finds
    std::map<std::wstring, std::wstring> settings;  // "application\section\key" -> value
    bool doubleByteCodePage = false;
    bool windows64 = true;                // programs named *64.exe are 64-bit ones
    std::map<wchar_t, DriveKind> drives;  // by upper-case letter; the others are local
    OsStatus copyStatus = kOsSuccess;
    std::wstring copyFailedKey;                        // the key a failing copy names
    std::map<std::wstring, std::wstring> environment;  // the system's: what %NAME% expands to for the service
    std::function<void(FakePlatform&)> duringWait;     // what something else does while instsrv.exe runs
    OsStatus shellStatus = kOsSuccess;
    OsStatus createKeyStatus = kOsSuccess;
    std::map<std::string, OsStatus> setValueStatus;  // by value name
    Instsrv instsrv = Instsrv::Creates;
    std::map<std::wstring, ServiceConfig> services;  // the service manager's, by name
    OsStatus queryStatus = kOsSuccess;               // a failing service manager
    OsStatus removeStatus = kOsSuccess;
    OsStatus restoreStatus = kOsSuccess;
    std::map<std::string, Values> registry;  // keys under HKEY_LOCAL_MACHINE, with their values
    // The permissions of each path; one not here is owned by Administrators, who have full
    // control with the system, users read and run. A status here is why they cannot be read.
    std::map<std::wstring, ObjectSecurity> security;
    std::map<std::wstring, OsStatus> accessStatus;
    std::map<std::wstring, std::vector<std::wstring>> folderNames;  // what ListFolder finds; else nothing
    std::map<std::wstring, std::wstring> finalPaths;                // where links lead; else the path itself
    std::map<std::wstring, ObjectSecurity> links;                   // the links on the way, as objects themselves
    std::wstring profilesFolder = L"C:\\Users\\";
    std::map<std::wstring, ObjectSecurity> keySecurity;  // keys under HKEY_USERS that are there already
    std::wstring currentUser = L"S-1-5-21-7-7-7-500";
    bool lockedByAnother = false;  // another registration holds the machine's lock throughout
    bool lockHeld = false;         // while the installer holds it
    bool unfinishedCopy = false;   // an ended copy's staged key lies beside the service's settings

    // What the installer did.
    std::vector<std::wstring> calls;
    std::vector<Box> boxes;
    std::vector<std::wstring> shellCommands;
    std::vector<RegWrite> writes;
    std::vector<std::string> createdKeys;
    std::vector<RegKey> closedKeys;
    std::vector<std::wstring> copiedTrees;  // "<root> <key> -> <root> <key>" of each copy made
    bool ended = false;
    int exitCode = 0;
    bool unloaded = false;

    static constexpr RegKey kOpenedKey = 0x1234;

    void AddInstallerTools() {
        files.insert(WithSeparator(appPath) + L"instsrv.exe");
        files.insert(WithSeparator(appPath) + L"srvany.exe");
    }
    void StoreExePath(const std::wstring& value) { settings[L"mxqeltor\\m\\exepath"] = value; }

    std::wstring AppPath() override;
    std::wstring rtcDir(const std::wstring& path) override;
    std::wstring rtcGetSetting(const std::wstring& application, const std::wstring& section, const std::wstring& key,
                               const std::wstring& fallback) override;
    OsStatus rtcShell(const std::wstring& commandLine, unsigned windowStyle,
                      std::unique_ptr<StartedProgram>& started) override;
    std::optional<std::uint32_t> WaitForProgram(StartedProgram& program, std::uint32_t timeoutMs) override;
    bool WaitForSignal(std::uintptr_t signal, std::uint32_t timeoutMs) override;
    bool WaitForObject(std::uintptr_t signal, std::uint32_t timeoutMs) override {
        return WaitForSignal(signal, timeoutMs);
    }
    std::optional<std::uint32_t> WaitForEnd(StartedProgram& program, std::uint32_t timeoutMs) override {
        return WaitForProgram(program, timeoutMs);
    }
    void KeepAnsweringWhile(FunctionRef<void()> work) override;
    OsStatus QueryService(const std::wstring& serviceName, ServiceConfig& config) override;
    OsStatus RemoveService(const std::wstring& serviceName) override;
    OsStatus CheckWindowsProgram(const std::wstring& path, bool& is64Bit) override;
    bool IsWindows64Bit() override;
    DriveKind KindOfDrive(wchar_t drive) override;
    void rtcMsgBox(const std::wstring& text, unsigned style) override;
    void EndProgram(int code) override;
    void Unload() override;
    std::optional<std::string> ToAnsiCodePage(const std::wstring& text) override;
    std::wstring ErrorText(OsStatus status) override;
    OsStatus RegCreateKeyA(RegKey root, const std::string& subKey, RegKey& result) override;
    OsStatus RegSetValueExA(RegKey key, const std::string& valueName, std::uint32_t reserved, std::uint32_t type,
                            const std::string& data, std::uint32_t byteCount) override;
    OsStatus RegCloseKey(RegKey key) override;
    OsStatus DeleteRegistryKey(RegKey root, const std::wstring& subKey, KeyDeletion how) override;
    OsStatus ReadRegistryValues(RegKey root, const std::wstring& subKey, const std::vector<std::wstring>& names,
                                StoredValues& values) override;
    OsStatus CopyRegistryTree(RegKey fromRoot, const std::wstring& fromKey, RegKey toRoot, const std::wstring& toKey,
                              std::wstring& failedKey) override;
    void DiscardUnfinishedCopy(RegKey toRoot, const std::wstring& toKey) override;
    OsStatus OpenRegistrationLock(std::unique_ptr<MachineLock>& lock) override;
    std::vector<std::wstring> SystemEnvironment() override;
    OsStatus RestoreRegistryValue(RegKey root, const std::wstring& subKey, const std::wstring& name,
                                  const std::optional<StoredValue>& value) override;
    OsStatus ReadSecurity(const std::wstring& path, ObjectSecurity& read) override;
    std::wstring AccountName(const std::wstring& sid) override;
    std::wstring CurrentUserSid() override { return currentUser; }
    OsStatus ListFolder(const std::wstring& path, std::size_t limit, std::vector<std::wstring>& names) override;
    OsStatus FinalPath(const std::wstring& path, std::wstring& final) override;
    OsStatus ReadLinkSecurity(const std::wstring& path, ObjectSecurity& read) override;
    std::wstring ProfilesFolder() override { return profilesFolder; }
    OsStatus ReadKeySecurity(RegKey root, const std::wstring& subKey, ObjectSecurity& read) override;

    // What Windows gives a file or folder that only administrators can change.
    static ObjectSecurity AdministratorsOnly(bool isFolder);

    static std::wstring WithSeparator(const std::wstring& folder) {
        return !folder.empty() && folder.back() == L'\\' ? folder : folder + L'\\';
    }
    // The emulated code page's bytes for one character, or nothing when it has none.
    [[nodiscard]] std::optional<std::string> AnsiBytesOf(wchar_t c) const;

private:
    void RunInstsrv(const std::wstring& commandLine);
    [[nodiscard]] bool HasSubkeys(const std::string& path) const;

    std::string openedKey_;
    std::map<std::string, std::wstring> converted_;  // the text each converted byte string came from
    std::optional<std::uint32_t> instsrvExitCode_;
    std::uintptr_t started_ = 0;  // how many programs rtcShell has started
};

std::wstring Widen(const std::string& ascii);
std::string Narrow(const std::wstring& ascii);

}  // namespace qeltor::testing
