#pragma once

#include "platform/Platform.h"
#include "win32/Handles.h"

#include <windows.h>

#include <functional>

namespace qeltor {

// The installer's operations on the real Windows.
class Win32Platform final : public Platform {
public:
    // Message boxes are owned by this window once it exists.
    void SetOwnerWindow(HWND owner) { owner_ = owner; }
    // What closing the main window means to whoever created it.
    void SetUnloadHandler(std::function<void()> unload) { unload_ = std::move(unload); }

    std::wstring AppPath() override;
    std::wstring rtcDir(const std::wstring& path) override;
    std::wstring rtcGetSetting(const std::wstring& application, const std::wstring& section, const std::wstring& key,
                               const std::wstring& fallback) override;
    OsStatus rtcShell(const std::wstring& commandLine, unsigned windowStyle) override;
    std::optional<std::uint32_t> WaitForStartedProgram(std::uint32_t timeoutMs) override;
    OsStatus QueryService(const std::wstring& serviceName, ServiceConfig& config) override;
    OsStatus RemoveService(const std::wstring& serviceName) override;
    OsStatus CheckWindowsProgram(const std::wstring& path, bool& is64Bit) override;
    bool IsWindows64Bit() override;
    DriveKind KindOfDrive(wchar_t drive) override;
    void rtcMsgBox(const std::wstring& text, unsigned style) override;
    [[noreturn]] void EndProgram(int exitCode) override;
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
    std::wstring ExpandEnvironment(const std::wstring& text) override;
    OsStatus RestoreRegistryValue(RegKey root, const std::wstring& subKey, const std::wstring& name,
                                  const std::optional<StoredValue>& value) override;
    OsStatus ReadAccessRights(const std::wstring& path, const std::vector<std::wstring>& sids,
                              AccessRights& rights) override;

private:
    HWND owner_ = nullptr;
    std::function<void()> unload_;
    win32::UniqueHandle started_;  // the program rtcShell last started, until it is waited for
};

}  // namespace qeltor
