#include "FakePlatform.h"

#include "installer/StoredText.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qeltor::testing {
namespace {

bool HasWildcard(const std::wstring& text) {
    return text.find_first_of(L"*?") != std::wstring::npos;
}

bool GlobMatches(const wchar_t* pattern, const wchar_t* name) {  // NOLINT(misc-no-recursion): bounded by the pattern
    if (*pattern == L'\0') {
        return *name == L'\0';
    }
    if (*pattern == L'*') {
        return GlobMatches(pattern + 1, name) || (*name != L'\0' && GlobMatches(pattern, name + 1));
    }
    return *name != L'\0' && (*pattern == L'?' || *pattern == *name) && GlobMatches(pattern + 1, name + 1);
}

std::wstring NamePart(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::wstring Widen(const std::string& ascii) {
    return {ascii.begin(), ascii.end()};
}

std::string Narrow(const std::wstring& ascii) {
    std::string narrow;
    for (const wchar_t c : ascii) {
        narrow += static_cast<char>(c);
    }
    return narrow;
}

std::wstring FakePlatform::AppPath() {
    calls.emplace_back(L"AppPath");
    return appPath;
}

// Like the runtime's probe: a pattern in the last part of the path matches any file of that folder.
std::wstring FakePlatform::rtcDir(const std::wstring& path) {
    calls.push_back(L"Dir " + path);
    if (path.empty()) {
        return currentFolderFiles.empty() ? std::wstring{} : currentFolderFiles.front();
    }
    if (!HasWildcard(path)) {
        return files.contains(path) ? NamePart(path) : std::wstring{};
    }
    const auto folder = path.substr(0, path.size() - NamePart(path).size());
    for (const auto& file : files) {
        if (file.rfind(folder, 0) == 0 && file.find(L'\\', folder.size()) == std::wstring::npos &&
            GlobMatches(NamePart(path).c_str(), NamePart(file).c_str())) {
            return NamePart(file);
        }
    }
    return {};
}

std::wstring FakePlatform::rtcGetSetting(const std::wstring& application, const std::wstring& section,
                                         const std::wstring& key, const std::wstring& fallback) {
    calls.push_back(L"GetSetting " + application + L" " + section + L" " + key + L" [" + fallback + L"]");
    const auto found = settings.find(application + L"\\" + section + L"\\" + key);
    return found == settings.end() ? fallback : found->second;
}

namespace {

// The instsrv.exe the fake ran, numbered by its start; it has ended once the wait asks.
class FakeProgram : public StartedProgram {
public:
    FakeProgram(std::uintptr_t number, std::optional<std::uint32_t> exitCode) : number_(number), exitCode_(exitCode) {}
    [[nodiscard]] std::uintptr_t EndSignal() const override { return number_; }
    std::optional<std::uint32_t> ExitCode() override { return exitCode_; }

private:
    std::uintptr_t number_;
    std::optional<std::uint32_t> exitCode_;
};

}  // namespace

OsStatus FakePlatform::rtcShell(const std::wstring& commandLine, unsigned windowStyle,
                                std::unique_ptr<StartedProgram>& started) {
    calls.push_back(L"Shell " + std::to_wstring(windowStyle));
    if (shellStatus == kOsSuccess) {
        shellCommands.push_back(commandLine);
        RunInstsrv(commandLine);
        started = std::make_unique<FakeProgram>(++started_, instsrvExitCode_);
    }
    return shellStatus;
}

// Like our instsrv.exe: the service for the program in the last quoted token, with the event
// source registered beside it.
void FakePlatform::RunInstsrv(const std::wstring& commandLine) {
    const std::wstring name = L"Qeltor Monitoring Server";
    instsrvExitCode_ = 1;
    if (instsrv == Instsrv::Hangs) {
        instsrvExitCode_.reset();
    }
    if (instsrv == Instsrv::Disables && services.contains(name)) {
        services[name].startType = kServiceDisabled;
    }
    if (instsrv == Instsrv::CreatesThenGone) {
        instsrvExitCode_ = 0;
    }
    if (instsrv != Instsrv::Creates || services.contains(name)) {
        return;
    }
    const auto programStart = commandLine.rfind(L'"', commandLine.size() - 2);
    services[name] = {commandLine.substr(programStart), 2};
    registry[Narrow(L"SYSTEM\\CurrentControlSet\\Services\\" + name)]["ImagePath"] = {kRegSz, "set"};
    registry[Narrow(L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + name)]["TypesSupported"] = {4,
                                                                                                                  "7"};
    instsrvExitCode_ = 0;
}

// Only the program this run started can be waited for.
std::optional<std::uint32_t> FakePlatform::WaitForProgram(StartedProgram& program, std::uint32_t timeoutMs) {
    calls.push_back(L"Wait " + std::to_wstring(timeoutMs));
    EXPECT_EQ(program.EndSignal(), started_);
    if (duringWait) {
        duringWait(*this);
    }
    return program.ExitCode();
}

namespace {

// The machine's lock, held by the fake's flag from the wait that takes it until it goes.
class FakeLock final : public MachineLock {
public:
    explicit FakeLock(bool& held) : held_(held) {}
    FakeLock(const FakeLock&) = delete;
    FakeLock& operator=(const FakeLock&) = delete;
    FakeLock(FakeLock&&) = delete;
    FakeLock& operator=(FakeLock&&) = delete;
    ~FakeLock() override { held_ = false; }
    [[nodiscard]] std::uintptr_t FreeSignal() const override { return kLockSignal; }
    static constexpr std::uintptr_t kLockSignal = 0x10C;

private:
    bool& held_;
};

}  // namespace

bool FakePlatform::WaitForSignal(std::uintptr_t signal, std::uint32_t /*timeoutMs*/) {
    EXPECT_EQ(signal, FakeLock::kLockSignal);
    lockHeld = !lockedByAnother;
    return lockHeld;
}

OsStatus FakePlatform::OpenRegistrationLock(std::unique_ptr<MachineLock>& lock) {
    lock = std::make_unique<FakeLock>(lockHeld);
    return kOsSuccess;
}

void FakePlatform::DiscardUnfinishedCopy(RegKey toRoot, const std::wstring& toKey) {
    EXPECT_EQ(toRoot, kHkeyUsers);
    EXPECT_EQ(toKey, L".DEFAULT\\Software\\VB and VBA Program Settings\\mxqeltor");
    unfinishedCopy = false;
}

void FakePlatform::KeepAnsweringWhile(FunctionRef<void()> work) {
    work();
}

OsStatus FakePlatform::QueryService(const std::wstring& serviceName, ServiceConfig& config) {
    calls.emplace_back(L"QueryService");
    if (queryStatus != kOsSuccess) {
        return queryStatus;
    }
    const auto found = services.find(serviceName);
    if (found == services.end()) {
        return kOsServiceDoesNotExist;
    }
    config = found->second;
    return kOsSuccess;
}

// As the service manager does, the service's whole key goes with it.
OsStatus FakePlatform::RemoveService(const std::wstring& serviceName) {
    calls.emplace_back(L"RemoveService");
    if (removeStatus != kOsSuccess) {
        return removeStatus;
    }
    services.erase(serviceName);
    const std::string key = Narrow(L"SYSTEM\\CurrentControlSet\\Services\\" + serviceName);
    std::erase_if(registry,
                  [&](const auto& entry) { return entry.first == key || entry.first.starts_with(key + "\\"); });
    return kOsSuccess;
}

// Programs here are the files named .exe.
OsStatus FakePlatform::CheckWindowsProgram(const std::wstring& path, bool& is64Bit) {
    calls.push_back(L"CheckProgram " + path);
    is64Bit = path.ends_with(L"64.exe");
    return path.ends_with(L".exe") ? kOsSuccess : kOsBadExeFormat;
}

bool FakePlatform::IsWindows64Bit() {
    return windows64;
}

DriveKind FakePlatform::KindOfDrive(wchar_t drive) {
    calls.push_back(std::wstring(L"Drive ") + drive);
    const auto found = drives.find(drive);
    return found == drives.end() ? DriveKind::Local : found->second;
}

void FakePlatform::rtcMsgBox(const std::wstring& text, unsigned style) {
    calls.push_back(L"MsgBox " + std::to_wstring(style));
    EXPECT_FALSE(lockHeld) << "a message box may stay open for long: the lock goes before it";
    boxes.push_back({text, style});
}

void FakePlatform::EndProgram(int code) {
    calls.emplace_back(L"End");
    ended = true;
    exitCode = code;
}

void FakePlatform::Unload() {
    calls.emplace_back(L"Unload");
    unloaded = true;
}

std::optional<std::string> FakePlatform::AnsiBytesOf(wchar_t c) const {
    if (c < 0x80) {
        return std::string(1, static_cast<char>(c));
    }
    if (doubleByteCodePage) {
        if (c < 0x4E00 || c > 0x9FFF) {
            return std::nullopt;
        }
        return std::string{static_cast<char>(0x81 + ((c - 0x4E00) >> 8)), static_cast<char>(0x40 + (c & 0x3F))};
    }
    if (c >= 0xA0 && c <= 0xFF) {
        return std::string(1, static_cast<char>(c));
    }
    // A few of the Western code page's own characters in 0x80..0x9F.
    static const std::map<wchar_t, char> kWesternExtras = {
        {L'\u20AC', '\x80'}, {L'\u0152', '\x8C'}, {L'\u2019', '\x92'}, {L'\u2122', '\x99'}};
    const auto extra = kWesternExtras.find(c);
    return extra == kWesternExtras.end() ? std::nullopt : std::optional<std::string>(std::string(1, extra->second));
}

std::optional<std::string> FakePlatform::ToAnsiCodePage(const std::wstring& text) {
    std::string converted;
    for (const wchar_t c : text) {
        const auto bytes = AnsiBytesOf(c);
        if (!bytes) {
            return std::nullopt;
        }
        converted += *bytes;
    }
    converted_[converted] = text;
    return converted;
}

std::wstring FakePlatform::ErrorText(OsStatus status) {
    return L"system error " + std::to_wstring(status) + L".";
}

OsStatus FakePlatform::RegCreateKeyA(RegKey root, const std::string& subKey, RegKey& result) {
    calls.push_back(L"RegCreateKeyA " + std::to_wstring(root));
    createdKeys.push_back(subKey);
    if (createKeyStatus == kOsSuccess) {
        result = kOpenedKey;
        openedKey_ = subKey;
        for (auto separator = subKey.find('\\'); separator != std::string::npos;
             separator = subKey.find('\\', separator + 1)) {
            registry[subKey.substr(0, separator)];
        }
        registry[subKey];
    }
    return createKeyStatus;
}

OsStatus FakePlatform::RegSetValueExA(RegKey key, const std::string& valueName, std::uint32_t reserved,
                                      std::uint32_t type, const std::string& data, std::uint32_t byteCount) {
    calls.push_back(L"RegSetValueExA " + Widen(valueName));
    // The call reads byteCount bytes of the data and its NUL; more would read past the buffer.
    EXPECT_LE(byteCount, data.size() + 1) << "byte count overruns the data of " << valueName;
    const auto found = setValueStatus.find(valueName);
    const OsStatus status = found == setValueStatus.end() ? kOsSuccess : found->second;
    if (key == kOpenedKey && status == kOsSuccess) {
        writes.push_back({key, valueName, reserved, type,
                          std::string(data.c_str(), data.size() + 1).substr(0, byteCount), byteCount});
        // Windows keeps text in UTF-16, as the W functions read it back.
        const auto text = converted_.find(data);
        registry[openedKey_][valueName] = text == converted_.end() ? StoredValue{type, writes.back().stored}
                                                                   : StoredText(text->second, byteCount != 0);
    }
    return key == kOpenedKey ? status : 6;  // ERROR_INVALID_HANDLE
}

OsStatus FakePlatform::RegCloseKey(RegKey key) {
    calls.emplace_back(L"RegCloseKey");
    closedKeys.push_back(key);
    return kOsSuccess;
}

bool FakePlatform::HasSubkeys(const std::string& path) const {
    const auto next = registry.lower_bound(path + "\\");
    return next != registry.end() && next->first.starts_with(path + "\\");
}

OsStatus FakePlatform::DeleteRegistryKey(RegKey root, const std::wstring& subKey, KeyDeletion how) {
    calls.push_back(L"DeleteKey " + subKey);
    const std::string path = Narrow(subKey);
    const auto found = registry.find(path);
    if (root != kHkeyLocalMachine || found == registry.end()) {
        return kOsFileNotFound;
    }
    if (HasSubkeys(path) || (how == KeyDeletion::OnlyIfEmpty && !found->second.empty())) {
        return 5;  // ERROR_ACCESS_DENIED, as for a key with subkeys
    }
    registry.erase(found);
    return kOsSuccess;
}

OsStatus FakePlatform::ReadRegistryValues(RegKey root, const std::wstring& subKey,
                                          const std::vector<std::wstring>& names, StoredValues& values) {
    calls.push_back(L"ReadValues " + subKey);
    const auto found = registry.find(Narrow(subKey));
    if (root != kHkeyLocalMachine || found == registry.end()) {
        return kOsFileNotFound;
    }
    for (const auto& name : names) {
        const auto value = found->second.find(Narrow(name));
        if (value != found->second.end()) {
            values.Set(name, value->second);
        }
    }
    return kOsSuccess;
}

OsStatus FakePlatform::CopyRegistryTree(RegKey fromRoot, const std::wstring& fromKey, RegKey toRoot,
                                        const std::wstring& toKey, std::wstring& failedKey) {
    calls.emplace_back(L"CopyTree");
    EXPECT_TRUE(lockHeld) << "the settings are copied under the machine's registration lock";
    failedKey = copyFailedKey;
    if (copyStatus == kOsSuccess) {
        copiedTrees.push_back(std::to_wstring(fromRoot) + L" " + fromKey + L" -> " + std::to_wstring(toRoot) + L" " +
                              toKey);
    }
    return copyStatus;
}

std::vector<std::wstring> FakePlatform::SystemEnvironment() {
    std::vector<std::wstring> block;
    block.reserve(environment.size());
    for (const auto& [name, value] : environment) {
        block.push_back(name + L'=' + value);
    }
    return block;
}

OsStatus FakePlatform::RestoreRegistryValue(RegKey root, const std::wstring& subKey, const std::wstring& name,
                                            const std::optional<StoredValue>& value) {
    calls.push_back(L"RestoreValue " + name);
    const auto found = registry.find(Narrow(subKey));
    if (restoreStatus != kOsSuccess || root != kHkeyLocalMachine || found == registry.end()) {
        return restoreStatus != kOsSuccess ? restoreStatus : kOsFileNotFound;
    }
    if (value) {
        found->second[Narrow(name)] = *value;
    } else {
        found->second.erase(Narrow(name));
    }
    return kOsSuccess;
}

ObjectSecurity FakePlatform::AdministratorsOnly(bool isFolder) {
    return {isFolder,
            false,
            L"S-1-5-32-544",
            {{true, true, L"S-1-5-32-544", 0x1f01ff},
             {true, true, L"S-1-5-18", 0x1f01ff},
             {true, true, L"S-1-5-32-545", 0x1200a9}}};
}

OsStatus FakePlatform::ReadSecurity(const std::wstring& path, ObjectSecurity& read) {
    calls.push_back(L"Rights " + path);
    if (const auto status = accessStatus.find(path); status != accessStatus.end()) {
        return status->second;
    }
    const auto found = security.find(path);
    read = found == security.end() ? AdministratorsOnly(path.ends_with(L'\\') || path.ends_with(L'/')) : found->second;
    read.isLink = links.contains(path);
    return kOsSuccess;
}

OsStatus FakePlatform::ReadKeySecurity(RegKey root, const std::wstring& subKey, ObjectSecurity& read) {
    const auto found = keySecurity.find(subKey);
    if (root != kHkeyUsers || found == keySecurity.end()) {
        return kOsFileNotFound;
    }
    read = found->second;
    return kOsSuccess;
}

OsStatus FakePlatform::ReadLinkSecurity(const std::wstring& path, ObjectSecurity& read) {
    calls.push_back(L"LinkRights " + path);
    read = links.at(path);
    return kOsSuccess;
}

// Names as an English Windows gives them, the domain left out.
std::wstring FakePlatform::AccountName(const std::wstring& sid) {
    static const std::map<std::wstring, std::wstring> kNames{
        {L"S-1-1-0", L"Everyone"}, {L"S-1-5-11", L"Authenticated Users"}, {L"S-1-5-32-545", L"Users"}};
    const auto found = kNames.find(sid);
    return found == kNames.end() ? sid : found->second;
}

OsStatus FakePlatform::ListFolder(const std::wstring& path, std::size_t limit, std::vector<std::wstring>& names) {
    calls.push_back(L"List " + path);
    const auto found = folderNames.find(path);
    names = found == folderNames.end() ? std::vector<std::wstring>{} : found->second;
    names.resize(std::min(names.size(), limit + 1));
    return kOsSuccess;
}

OsStatus FakePlatform::FinalPath(const std::wstring& path, std::wstring& final) {
    const auto found = finalPaths.find(path);
    final = found == finalPaths.end() ? path : found->second;
    return kOsSuccess;
}

}  // namespace qeltor::testing
