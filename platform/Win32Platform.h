#pragma once

#include "platform/Platform.h"
#include "win32/ErrorText.h"

namespace qeltor {

// The installer's operations on the real Windows.
class Win32Platform final : public Platform {
public:
    // The system's reasons are said in `errorWords`, which outlive the platform.
    explicit Win32Platform(const win32::ErrorWords& errorWords) : errorWords_(&errorWords) {}

    std::wstring AppPath() override;
    std::wstring rtcDir(const std::wstring& path) override;
    std::wstring rtcGetSetting(const std::wstring& application, const std::wstring& section, const std::wstring& key,
                               const std::wstring& fallback) override;
    OsStatus rtcShell(const std::wstring& commandLine, unsigned windowStyle,
                      std::unique_ptr<StartedProgram>& started) override;
    std::optional<std::uint32_t> WaitForEnd(StartedProgram& program, std::uint32_t timeoutMs) override;
    bool WaitForObject(std::uintptr_t signal, std::uint32_t timeoutMs) override;
    OsStatus QueryService(const std::wstring& serviceName, ServiceConfig& config) override;
    OsStatus RemoveService(const std::wstring& serviceName) override;
    OsStatus CheckWindowsProgram(const std::wstring& path, bool& is64Bit) override;
    bool IsWindows64Bit() override;
    DriveKind KindOfDrive(wchar_t drive) override;
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
    OsStatus ReadSecurity(const std::wstring& path, ObjectSecurity& security) override;
    std::wstring AccountName(const std::wstring& sid) override;
    std::wstring CurrentUserSid() override;
    OsStatus ListFolder(const std::wstring& path, std::size_t limit, std::vector<std::wstring>& names) override;
    OsStatus FinalPath(const std::wstring& path, std::wstring& final) override;
    OsStatus ReadLinkSecurity(const std::wstring& path, ObjectSecurity& security) override;
    std::wstring ProfilesFolder() override;
    OsStatus ReadKeySecurity(RegKey root, const std::wstring& subKey, ObjectSecurity& security) override;

private:
    const win32::ErrorWords* errorWords_;
};

}  // namespace qeltor
