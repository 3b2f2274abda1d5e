#include "platform/Win32Platform.h"

#include "core/CommandLine.h"
#include "core/Paths.h"
#include "platform/AnsiCodePage.h"
#include "win32/Environment.h"
#include "win32/ErrorText.h"
#include "win32/Handles.h"
#include "win32/Narrow.h"
#include "win32/ProgramPath.h"
#include "win32/ReadSecurity.h"
#include "win32/RegistryKey.h"
#include "win32/RegistryText.h"
#include "win32/RegistryTree.h"
#include "win32/ServiceConfig.h"

#include <winioctl.h>

#include <array>
#include <cstddef>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace qeltor {
namespace {

// Where the runtime's per-user settings live; the companion server stores its path there.
constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings\\";

HKEY ToHkey(RegKey key) {
    // The predefined roots are sign-extended in the headers; spell them as Windows does.
    switch (key) {
        case kHkeyCurrentUser:
            return HKEY_CURRENT_USER;
        case kHkeyLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case kHkeyUsers:
            return HKEY_USERS;
        default:
            return reinterpret_cast<HKEY>(key);
    }
}

}  // namespace

std::wstring Win32Platform::AppPath() {
    const std::wstring file = win32::ProgramPath();
    return file.substr(0, file.size() - NameOf(file).size());
}

std::wstring Win32Platform::rtcDir(const std::wstring& path) {
    // An exact probe: no pattern matching, and only plain files count.
    if (path.empty() || path.find_first_of(L"*?") != std::wstring::npos) {
        return {};
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kNotPlain) != 0) {
        return {};
    }
    return NameOf(path);
}

std::wstring Win32Platform::rtcGetSetting(const std::wstring& application, const std::wstring& section,
                                          const std::wstring& key, const std::wstring& fallback) {
    const std::wstring path = kSettingsRoot + application + L"\\" + section;
    win32::UniqueRegKey opened;
    if (win32::OpenRegistryKey(HKEY_CURRENT_USER, path, KEY_QUERY_VALUE, opened) != ERROR_SUCCESS) {
        return fallback;
    }
    std::wstring text;
    DWORD type = 0;
    return win32::ReadRegistryText(opened.get(), key.c_str(), {REG_SZ}, text, type) == ERROR_SUCCESS ? text : fallback;
}

namespace {

class Win32StartedProgram final : public StartedProgram {
public:
    explicit Win32StartedProgram(win32::UniqueHandle process) : process_(std::move(process)) {}
    [[nodiscard]] std::uintptr_t EndSignal() const override { return reinterpret_cast<std::uintptr_t>(process_.get()); }
    std::optional<std::uint32_t> ExitCode() override {
        DWORD exitCode = 0;
        if (::WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0 ||
            ::GetExitCodeProcess(process_.get(), &exitCode) == FALSE) {
            return std::nullopt;
        }
        return exitCode;
    }

private:
    win32::UniqueHandle process_;
};

}  // namespace

bool Win32Platform::WaitForObject(std::uintptr_t signal, std::uint32_t timeoutMs) {
    const DWORD woke =
        ::WaitForSingleObject(reinterpret_cast<HANDLE>(signal), timeoutMs);  // NOLINT(performance-no-int-to-ptr)
    return woke == WAIT_OBJECT_0 || woke == WAIT_ABANDONED;
}

std::optional<std::uint32_t> Win32Platform::WaitForEnd(StartedProgram& program, std::uint32_t timeoutMs) {
    auto* const ended = reinterpret_cast<HANDLE>(program.EndSignal());  // NOLINT(performance-no-int-to-ptr)
    return ::WaitForSingleObject(ended, timeoutMs) == WAIT_OBJECT_0 ? program.ExitCode() : std::nullopt;
}

OsStatus Win32Platform::rtcShell(const std::wstring& commandLine, unsigned windowStyle,
                                 std::unique_ptr<StartedProgram>& started) {
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION process{};
    const std::wstring program = ProgramOf(commandLine);
    if (::CreateProcessW(program.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &process) == FALSE) {
        return ::GetLastError();
    }
    started = std::make_unique<Win32StartedProgram>(win32::UniqueHandle(process.hProcess));
    const win32::UniqueHandle thread(process.hThread);
    return kOsSuccess;
}

namespace {

const wchar_t* RootName(RegKey root) {
    switch (root) {
        case kHkeyCurrentUser:
            return L"HKEY_CURRENT_USER\\";
        case kHkeyLocalMachine:
            return L"HKEY_LOCAL_MACHINE\\";
        default:
            return L"HKEY_USERS\\";
    }
}

}  // namespace

namespace {

// A service deleted while someone holds it open stays until they let go. Its configuration does
// not say so; a change that changes nothing is refused for it with its own error.
bool IsMarkedForDeletion(SC_HANDLE service) {
    return ::ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr, nullptr) == FALSE &&
           ::GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE;
}

}  // namespace

OsStatus Win32Platform::QueryService(const std::wstring& serviceName, ServiceConfig& config) {
    const win32::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        return ::GetLastError();
    }
    win32::UniqueServiceHandle service(
        ::OpenServiceW(manager.get(), serviceName.c_str(), SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG));
    const bool mayChange = static_cast<bool>(service);
    if (!service && ::GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE) {
        config = {{}, SERVICE_DISABLED, true};
        return kOsSuccess;
    }
    if (!service) {  // without the right to change it, whether it is marked stays unknown
        service.reset(::OpenServiceW(manager.get(), serviceName.c_str(), SERVICE_QUERY_CONFIG));
    }
    if (!service) {
        return ::GetLastError();
    }
    DWORD startType = 0;
    if (const DWORD read = win32::ReadServiceConfig(service.get(), config.programPath, startType);
        read != ERROR_SUCCESS) {
        return read;
    }
    config.startType = startType;
    config.markedForDeletion = mayChange && IsMarkedForDeletion(service.get());
    if (DWORD timeout = 0; win32::ReadPreshutdownTimeout(service.get(), timeout) == ERROR_SUCCESS) {
        config.preshutdownTimeoutMs = timeout;
    }
    return kOsSuccess;
}

OsStatus Win32Platform::RemoveService(const std::wstring& serviceName) {
    const win32::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        return ::GetLastError();
    }
    const win32::UniqueServiceHandle service(::OpenServiceW(manager.get(), serviceName.c_str(), DELETE));
    if (!service || ::DeleteService(service.get()) == FALSE) {
        return ::GetLastError();
    }
    return kOsSuccess;
}

OsStatus Win32Platform::CheckWindowsProgram(const std::wstring& path, bool& is64Bit) {
    DWORD type = 0;
    if (::GetBinaryTypeW(path.c_str(), &type) == FALSE) {
        const DWORD error = ::GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_BAD_EXE_FORMAT;
    }
    is64Bit = type == SCS_64BIT_BINARY;
    // DOS and 16-bit programs are binaries too, but no service can run them.
    return type == SCS_32BIT_BINARY || type == SCS_64BIT_BINARY ? kOsSuccess : ERROR_BAD_EXE_FORMAT;
}

namespace {

// A disk Windows calls fixed may hang on a bus that unplugs, or be a file mounted as a disk: the
// volume's device says which. No access is asked for; a bus that cannot be read is a local disk.
DriveKind KindOfBus(wchar_t drive) {
    const wchar_t volume[] = {L'\\', L'\\', L'.', L'\\', drive, L':', L'\0'};
    const win32::UniqueFileHandle device(
        ::CreateFileW(volume, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device) {
        return DriveKind::Local;
    }
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    // Room for the descriptor's fixed part and the texts that follow it; the bus is in the first.
    std::array<ULONG_PTR, 128> buffer{};
    DWORD returned = 0;
    if (::DeviceIoControl(device.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), buffer.data(),
                          win32::DwordOf(sizeof(buffer)), &returned, nullptr) == FALSE ||
        returned < offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof(STORAGE_BUS_TYPE)) {
        return DriveKind::Local;
    }
    switch (reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(buffer.data())->BusType) {
        case BusTypeUsb:
            return DriveKind::UsbDisk;
        case BusTypeSd:
            return DriveKind::SdCard;
        case BusTypeMmc:
            return DriveKind::MmcCard;
        case BusType1394:
            return DriveKind::FireWireDisk;
        case BusTypeFileBackedVirtual:
            return DriveKind::VirtualDisk;
        default:
            return DriveKind::Local;
    }
}

}  // namespace

// A subst drive's device is a path on another drive, \??\C:\....
DriveKind Win32Platform::KindOfDrive(wchar_t drive) {
    const wchar_t root[] = {drive, L':', L'\\', L'\0'};
    switch (::GetDriveTypeW(root)) {
        case DRIVE_REMOTE:
            return DriveKind::Network;
        case DRIVE_REMOVABLE:
            return DriveKind::Removable;
        case DRIVE_CDROM:
            return DriveKind::CdRom;
        default:
            break;
    }
    const wchar_t device[] = {drive, L':', L'\0'};
    std::vector<wchar_t> target(1024, L'\0');
    if (::QueryDosDeviceW(device, target.data(), win32::DwordOf(target.size())) != 0 &&
        std::wstring_view(target.data()).starts_with(L"\\??\\")) {
        return DriveKind::Subst;
    }
    return KindOfBus(drive);
}

// This program is 32-bit; the native system says what the machine itself runs.
bool Win32Platform::IsWindows64Bit() {
    SYSTEM_INFO system{};
    ::GetNativeSystemInfo(&system);
    const WORD architecture = system.wProcessorArchitecture;  // NOLINT(cppcoreguidelines-pro-type-union-access)
    return architecture == PROCESSOR_ARCHITECTURE_AMD64 || architecture == PROCESSOR_ARCHITECTURE_ARM64 ||
           architecture == PROCESSOR_ARCHITECTURE_IA64;
}

std::optional<std::string> Win32Platform::ToAnsiCodePage(const std::wstring& text) {
    return ToExactAnsi(text);
}

std::wstring Win32Platform::ErrorText(OsStatus status) {
    return win32::ErrorText(status, {}, *errorWords_);
}

OsStatus Win32Platform::RegCreateKeyA(RegKey root, const std::string& subKey, RegKey& result) {
    HKEY created = nullptr;
    const LSTATUS status = ::RegCreateKeyA(ToHkey(root), subKey.c_str(), &created);
    result = reinterpret_cast<RegKey>(created);
    return static_cast<OsStatus>(status);
}

OsStatus Win32Platform::RegSetValueExA(RegKey key, const std::string& valueName, std::uint32_t reserved,
                                       std::uint32_t type, const std::string& data, std::uint32_t byteCount) {
    return static_cast<OsStatus>(::RegSetValueExA(ToHkey(key), valueName.c_str(), reserved, type,
                                                  reinterpret_cast<const BYTE*>(data.c_str()), byteCount));
}

OsStatus Win32Platform::RegCloseKey(RegKey key) {
    return static_cast<OsStatus>(::RegCloseKey(ToHkey(key)));
}

OsStatus Win32Platform::DeleteRegistryKey(RegKey root, const std::wstring& subKey, KeyDeletion how) {
    win32::UniqueRegKey key;
    OsStatus status = win32::OpenRegistryKey(ToHkey(root), subKey, KEY_QUERY_VALUE, key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    DWORD subkeys = 0;
    DWORD values = 0;
    status = static_cast<OsStatus>(::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                                      &values, nullptr, nullptr, nullptr, nullptr));
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (subkeys != 0 || (how == KeyDeletion::OnlyIfEmpty && values != 0)) {
        return ERROR_DIR_NOT_EMPTY;
    }
    return static_cast<OsStatus>(::RegDeleteKeyW(ToHkey(root), subKey.c_str()));
}

OsStatus Win32Platform::ReadRegistryValues(RegKey root, const std::wstring& subKey,
                                           const std::vector<std::wstring>& names, StoredValues& values) {
    win32::UniqueRegKey key;
    const OsStatus status = win32::OpenRegistryKey(ToHkey(root), subKey, KEY_QUERY_VALUE, key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    for (const auto& name : names) {
        DWORD type = 0;
        std::string bytes;
        const DWORD read = win32::ReadRegistryBytes(key.get(), name.c_str(), type, bytes);
        if (read == ERROR_SUCCESS) {
            values.Set(name, {type, std::move(bytes)});
        } else if (read != ERROR_FILE_NOT_FOUND) {
            return read;
        }
    }
    return kOsSuccess;
}

OsStatus Win32Platform::CopyRegistryTree(RegKey fromRoot, const std::wstring& fromKey, RegKey toRoot,
                                         const std::wstring& toKey, std::wstring& failedKey) {
    win32::TreeCopyFailure failure;
    const OsStatus status = win32::CopyRegistryTreeWhole(ToHkey(fromRoot), fromKey, ToHkey(toRoot), toKey, failure);
    if (status != ERROR_SUCCESS) {
        failedKey =
            failure.inSource ? RootName(fromRoot) + fromKey + failure.key : RootName(toRoot) + toKey + failure.key;
    }
    return status;
}

void Win32Platform::DiscardUnfinishedCopy(RegKey toRoot, const std::wstring& toKey) {
    win32::DiscardStagedCopy(ToHkey(toRoot), toKey);
}

namespace {

// A named mutex in the global namespace, so that every session's clicks share it. A program that
// ends while holding it leaves it abandoned, which the next wait takes as free.
class Win32MachineLock final : public MachineLock {
public:
    explicit Win32MachineLock(win32::UniqueHandle mutex) : mutex_(std::move(mutex)) {}
    Win32MachineLock(const Win32MachineLock&) = delete;
    Win32MachineLock& operator=(const Win32MachineLock&) = delete;
    Win32MachineLock(Win32MachineLock&&) = delete;
    Win32MachineLock& operator=(Win32MachineLock&&) = delete;
    // Fails harmlessly (ERROR_NOT_OWNER) where the wait never took it.
    ~Win32MachineLock() override { ::ReleaseMutex(mutex_.get()); }
    [[nodiscard]] std::uintptr_t FreeSignal() const override { return reinterpret_cast<std::uintptr_t>(mutex_.get()); }

private:
    win32::UniqueHandle mutex_;
};

}  // namespace

OsStatus Win32Platform::OpenRegistrationLock(std::unique_ptr<MachineLock>& lock) {
    win32::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, L"Global\\QeltorService registration"));
    if (!mutex) {
        return ::GetLastError();
    }
    lock = std::make_unique<Win32MachineLock>(std::move(mutex));
    return kOsSuccess;
}

// CreateEnvironmentBlock without a token gives the system's variables alone.
std::vector<std::wstring> Win32Platform::SystemEnvironment() {
    void* block = nullptr;
    if (::CreateEnvironmentBlock(&block, nullptr, FALSE) == FALSE) {
        return {};
    }
    const win32::UniqueEnvironmentBlock owner(block);
    std::vector<std::wstring> entries;
    for (const auto* entry = static_cast<const wchar_t*>(block); *entry != L'\0'; entry += entries.back().size() + 1) {
        entries.emplace_back(entry);
    }
    return entries;
}

// The W functions store the bytes as they are: what was read is what is written back.
OsStatus Win32Platform::RestoreRegistryValue(RegKey root, const std::wstring& subKey, const std::wstring& name,
                                             const std::optional<StoredValue>& value) {
    win32::UniqueRegKey key;
    const OsStatus status = win32::OpenRegistryKey(ToHkey(root), subKey, KEY_SET_VALUE, key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (!value) {
        const LSTATUS deleted = ::RegDeleteValueW(key.get(), name.c_str());
        return deleted == ERROR_FILE_NOT_FOUND ? kOsSuccess : static_cast<OsStatus>(deleted);
    }
    return static_cast<OsStatus>(::RegSetValueExW(key.get(), name.c_str(), 0, value->type,
                                                  reinterpret_cast<const BYTE*>(value->bytes.data()),
                                                  win32::DwordOf(value->bytes.size())));
}

OsStatus Win32Platform::ReadSecurity(const std::wstring& path, ObjectSecurity& security) {
    return win32::ReadSecurity(path, security);
}

std::wstring Win32Platform::AccountName(const std::wstring& sid) {
    return win32::AccountName(sid);
}

std::wstring Win32Platform::CurrentUserSid() {
    return win32::CurrentUserSid();
}

OsStatus Win32Platform::ListFolder(const std::wstring& path, std::size_t limit, std::vector<std::wstring>& names) {
    return win32::ListFolder(path, limit, names);
}

OsStatus Win32Platform::FinalPath(const std::wstring& path, std::wstring& final) {
    return win32::FinalPath(path, final);
}

OsStatus Win32Platform::ReadLinkSecurity(const std::wstring& path, ObjectSecurity& security) {
    return win32::ReadLinkSecurity(path, security);
}

OsStatus Win32Platform::ReadKeySecurity(RegKey root, const std::wstring& subKey, ObjectSecurity& security) {
    return win32::ReadKeySecurity(ToHkey(root), subKey, security);
}

// FOLDERID_UserProfiles is ProfileList's ProfilesDirectory, stored as %SystemDrive%\Users; read
// from the registry's 64-bit view, where Windows keeps it, and followed where it really leads.
std::wstring Win32Platform::ProfilesFolder() {
    win32::UniqueRegKey key;
    if (win32::OpenRegistryKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                               KEY_QUERY_VALUE | KEY_WOW64_64KEY, key) != ERROR_SUCCESS) {
        return {};
    }
    std::wstring stored;
    DWORD type = 0;
    if (win32::ReadRegistryText(key.get(), L"ProfilesDirectory", {REG_SZ, REG_EXPAND_SZ}, stored, type) !=
        ERROR_SUCCESS) {
        return {};
    }
    // %SystemDrive%, as every process has it; a folder of MAX_PATH characters or more is none.
    std::wstring folder;
    if (win32::ExpandEnvironment(stored, folder) != ERROR_SUCCESS || folder.size() >= MAX_PATH) {
        return {};
    }
    if (!IsFullyQualified(folder)) {
        return {};
    }
    if (!IsPathSeparator(folder.back())) {
        folder += L'\\';
    }
    std::wstring final;
    return win32::FinalPath(folder, final) == ERROR_SUCCESS ? final : folder;
}

}  // namespace qeltor
