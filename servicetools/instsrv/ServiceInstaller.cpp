#include "servicetools/instsrv/ServiceInstaller.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "core/CommandLine.h"
#include "core/Decimal.h"
#include "core/JudgePlan.h"
#include "core/Paths.h"
#include "core/PermissionRules.h"
#include "core/StopTimes.h"
#include "servicetools/common/Console.h"
#include "servicetools/instsrv/Arguments.h"
#include "servicetools/instsrv/EventSource.h"
#include "servicetools/instsrv/Messages.h"
#include "servicetools/instsrv/ProgramImage.h"
#include "servicetools/instsrv/Recovery.h"
#include "servicetools/instsrv/SystemReason.h"
#include "win32/GrowingBuffer.h"
#include "win32/Handles.h"
#include "win32/Narrow.h"
#include "win32/ReadSecurity.h"
#include "win32/RegistryKey.h"
#include "win32/ServiceConfig.h"

namespace qeltor::service {

namespace {

using messages::Id;
using messages::Render;

constexpr int kFailed = 1;
constexpr ULONGLONG kStopPatienceMs = 30000;
constexpr DWORD kStopPollMs = 100;

int Fail(Id what, DWORD error) {
    PrintErrorLine(Render(what, {SystemReason(error)}));
    return kFailed;
}

// `what` names the service `name`, then the system's reason.
int Fail(Id what, const std::wstring& name, DWORD error) {
    PrintErrorLine(Render(what, {name, SystemReason(error)}));
    return kFailed;
}

int ExistsAlready(const std::wstring& name) {
    PrintErrorLine(Render(Id::ExistsAlready, {name}));
    return kFailed;
}

DWORD ResolvedFromCurrentFolderOnce(const void* path, void* data, DWORD room, DWORD& size) {
    return win32::LengthAnswer(
        ::GetFullPathNameW(static_cast<const std::wstring*>(path)->c_str(), room, static_cast<wchar_t*>(data), nullptr),
        room, size);
}

// The full path `path` names from this process's current folder and drive (GetFullPathNameW), or `path` itself
// when that fails. The service manager runs the image path from its own folder, so a relative one would not do.
std::wstring ResolvedFromCurrentFolder(const std::wstring& path) {
    std::wstring full;
    return win32::FillGrowing(full, MAX_PATH, ResolvedFromCurrentFolderOnce, &path) == ERROR_SUCCESS && !full.empty()
               ? full
               : path;
}

// The processors whose programs this Windows runs: its own, and x86 through WOW64.
std::vector<std::uint16_t> MachinesThisWindowsRuns() {
    SYSTEM_INFO system{};
    ::GetNativeSystemInfo(&system);
    switch (system.wProcessorArchitecture) {  // NOLINT(cppcoreguidelines-pro-type-union-access): as Windows fills it
        case PROCESSOR_ARCHITECTURE_AMD64:
            return {IMAGE_FILE_MACHINE_I386, IMAGE_FILE_MACHINE_AMD64};
        case PROCESSOR_ARCHITECTURE_ARM64:
            return {IMAGE_FILE_MACHINE_I386, IMAGE_FILE_MACHINE_AMD64, IMAGE_FILE_MACHINE_ARM64};
        default:
            return {IMAGE_FILE_MACHINE_I386};
    }
}

// Why `program` cannot be started as a service's program, read from its first bytes; nothing when
// it can. Opened without sharing writes, so a file still being written is not taken half-done.
std::optional<std::wstring> ImageProblem(const std::wstring& program) {
    const win32::UniqueFileHandle file(::CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
            return Render(Id::ProgramBeingWritten, {program});
        }
        return Render(Id::ProgramUnreadable, {program, SystemReason(error, program)});
    }
    std::vector<std::uint8_t> head(kImageHeadBytes);
    DWORD read = 0;
    if (::ReadFile(file.get(), head.data(), win32::DwordOf(head.size()), &read, nullptr) == FALSE) {
        return Render(Id::ProgramUnreadable, {program, SystemReason(::GetLastError(), program)});
    }
    head.resize(read);
    switch (JudgeProgramImage(head, MachinesThisWindowsRuns())) {
        case ProgramImage::Program:
            return std::nullopt;
        case ProgramImage::NotAnImage:
            return Render(Id::NotAWindowsProgram, {program});
        case ProgramImage::DosProgram:
            return Render(Id::DosProgram, {program});
        case ProgramImage::Library:
            return Render(Id::LibraryProgram, {program});
        case ProgramImage::NotRunnable:
            return Render(Id::DriverProgram, {program});
        case ProgramImage::OtherMachine:
            return Render(Id::OtherMachineProgram, {program});
    }
    return std::nullopt;
}

// Whether the service's command line runs `program`: the same file, wherever either path leads.
bool RunsTheProgram(const std::wstring& stored, const std::wstring& program) {
    return RunsSameProgram(stored, program, [](const std::wstring& path, std::wstring& final) {
        return win32::FinalPath(path, final) == ERROR_SUCCESS;
    });
}

// A service for a program that is not there, or that Windows cannot start, could never start:
// better no service at all.
std::optional<std::wstring> ProgramProblem(const std::wstring& program) {
    const std::wstring advice = L" " + Render(Id::NoServiceCreated);
    // Paths in the \\?\ and \\.\ forms pass by the checks of paths that the permissions rest on.
    if (program.starts_with(L"\\\\?\\") || program.starts_with(L"\\\\.\\")) {
        return Render(Id::PathNotJudged, {program}) + advice;
    }
    const DWORD attributes = ::GetFileAttributesW(program.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return Render(Id::ProgramUnusable, {program, SystemReason(::GetLastError(), program)}) + advice;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Render(Id::FolderNotProgram, {program}) + advice;
    }
    if (auto problem = ImageProblem(program)) {
        return *problem + advice;
    }
    return std::nullopt;
}

// Whoever can change the program, its folder or a folder above runs code as the system. A general
// tool may be asked for such a service all the same: it says so, once, and creates it.
class UserChangeWarning {
public:
    // False once it has warned, or when it cannot tell.
    bool Judge(const std::wstring& path, permissions::Role role, const std::wstring& below = {}) {
        ObjectSecurity security;
        if (const DWORD read = win32::ReadSecurity(path, security); read != ERROR_SUCCESS) {
            PrintErrorLine(Render(Id::PermissionsUnreadable, {path, SystemReason(read, path)}));
            return false;
        }
        const auto changer = permissions::FindChanger(security, role, administrators_);
        if (!changer) {
            return true;
        }
        const std::wstring account = win32::AccountName(changer->sid);
        const std::wstring how = Render(messages::Phrase(changer->way));
        if (role == permissions::Role::Above) {
            PrintErrorLine(Render(Id::FolderAboveChangeable, {path, below, account, how}));
            return false;
        }
        // The commands take several lines, so README.txt gives them; /T on a drive's root would
        // reach every file of the drive.
        const std::wstring next = Render(IsRootFolder(path) ? Id::MoveFromRoot : Id::MoveOrFix);
        PrintErrorLine(Render(Id::Changeable, {path, account, how, next}));
        return false;
    }

private:
    permissions::Administrators administrators_{win32::CurrentUserSid()};
};

void WarnIfUsersCanChange(const std::wstring& program) {
    UserChangeWarning warning;
    // The program, its folder and those above; a warning, or permissions that cannot be read, end it.
    for (const permissions::Step& step : permissions::JudgePlan({}, {}, program, permissions::Reach::Folders)) {
        const auto role =
            step.judged == permissions::Judged::Above ? permissions::Role::Above : permissions::Role::Runs;
        if (!warning.Judge(step.path, role, step.below)) {
            return;
        }
    }
}

bool Exists(SC_HANDLE manager, const std::wstring& name) {
    return static_cast<bool>(win32::UniqueServiceHandle(::OpenServiceW(manager, name.c_str(), SERVICE_QUERY_STATUS)));
}

// A system may take the failure actions without keeping them (Wine does): reading them back
// tells. ERROR_SUCCESS when they are there as `recovery` has them.
DWORD ActionsKept(SC_HANDLE service, const Recovery& recovery) {
    std::string buffer;
    if (const DWORD read = win32::ReadServiceSetting(service, SERVICE_CONFIG_FAILURE_ACTIONS,
                                                     sizeof(SERVICE_FAILURE_ACTIONSW), buffer);
        read != ERROR_SUCCESS) {
        return read;
    }
    SERVICE_FAILURE_ACTIONSW stored{};
    std::memcpy(&stored, buffer.data(), sizeof(stored));
    if (stored.cActions != recovery.restartDelaysMs.size() || stored.lpsaActions == nullptr ||
        stored.dwResetPeriod != recovery.resetPeriodSeconds) {
        return ERROR_INVALID_DATA;
    }
    for (DWORD i = 0; i < stored.cActions; ++i) {
        SC_ACTION action{};
        std::memcpy(&action, stored.lpsaActions + i, sizeof(action));
        if (action.Type != SC_ACTION_RESTART || action.Delay != recovery.restartDelaysMs.at(i)) {
            return ERROR_INVALID_DATA;
        }
    }
    return ERROR_SUCCESS;
}

// Restarts after a failure; what the system does not keep is said on one line, and the service
// works without it.
bool SetRecovery(SC_HANDLE service) {
    const Recovery recovery = DefaultRecovery();
    std::array<SC_ACTION, std::tuple_size_v<decltype(recovery.restartDelaysMs)>> restarts{};
    std::ranges::transform(recovery.restartDelaysMs, restarts.begin(), [](Dword delay) {
        return SC_ACTION{SC_ACTION_RESTART, delay};
    });
    const DWORD count = win32::DwordOf(restarts.size());
    SERVICE_FAILURE_ACTIONSW actions{recovery.resetPeriodSeconds, nullptr, nullptr, count, restarts.data()};
    SERVICE_FAILURE_ACTIONS_FLAG flag{recovery.onNonCrashFailures ? TRUE : FALSE};
    std::vector<std::wstring> refused;
    DWORD error = ::ChangeServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS, &actions) != FALSE
                      ? ActionsKept(service, recovery)
                      : ::GetLastError();
    if (error != ERROR_SUCCESS) {
        refused.push_back(Render(Id::RestartActions));
    }
    if (::ChangeServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &flag) == FALSE) {
        error = error == ERROR_SUCCESS ? ::GetLastError() : error;
        refused.push_back(Render(Id::FailureFlag));
    }
    if (refused.empty()) {
        return true;
    }
    const std::wstring what = refused.size() == 1 ? refused[0] : Render(Id::EitherOf, {refused[0], refused[1]});
    PrintErrorLine(Render(Id::RecoveryNotTaken, {what, SystemReason(error)}));
    return false;
}

// Whether the service restarts after a failure as DefaultRecovery() has it.
bool RecoveryAsSet(SC_HANDLE service) {
    const Recovery recovery = DefaultRecovery();
    SERVICE_FAILURE_ACTIONS_FLAG flag{};
    DWORD needed = 0;
    return ActionsKept(service, recovery) == ERROR_SUCCESS &&
           ::QueryServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, reinterpret_cast<BYTE*>(&flag),
                                  sizeof(flag), &needed) != FALSE &&
           (flag.fFailureActionsOnNonCrashFailures != FALSE) == recovery.onNonCrashFailures;
}

DWORD PreshutdownTimeoutKept(SC_HANDLE service) {
    DWORD timeout = 0;
    const DWORD read = win32::ReadPreshutdownTimeout(service, timeout);
    return read != ERROR_SUCCESS || timeout == kPreshutdownTimeoutMs ? read : ERROR_INVALID_DATA;
}

// At a shutdown of Windows the service manager waits this long for the service's whole stop
// before it stops the rest; like recovery, a system that does not keep it is told on one line.
bool SetPreshutdownTimeout(SC_HANDLE service) {
    SERVICE_PRESHUTDOWN_INFO info{kPreshutdownTimeoutMs};
    const DWORD error = ::ChangeServiceConfig2W(service, SERVICE_CONFIG_PRESHUTDOWN_INFO, &info) != FALSE
                            ? PreshutdownTimeoutKept(service)
                            : ::GetLastError();
    if (error != ERROR_SUCCESS) {
        PrintErrorLine(Render(Id::PreshutdownNotTaken, {DecimalText(kPreshutdownTimeoutMs), SystemReason(error)}));
    }
    return error == ERROR_SUCCESS;
}

DWORD CurrentState(SC_HANDLE service) {
    SERVICE_STATUS status{};
    if (::QueryServiceStatus(service, &status) == FALSE) {
        return 0;
    }
    return status.dwCurrentState;
}

bool StopAndWait(SC_HANDLE service) {
    if (CurrentState(service) == SERVICE_STOPPED) {
        return true;
    }
    SERVICE_STATUS status{};
    ::ControlService(service, SERVICE_CONTROL_STOP, &status);
    const ULONGLONG deadline = ::GetTickCount64() + kStopPatienceMs;
    while (CurrentState(service) != SERVICE_STOPPED) {
        if (::GetTickCount64() >= deadline) {
            return false;
        }
        ::Sleep(kStopPollMs);
    }
    return true;
}

// The command line the service manager runs for the service, as stored.
DWORD ImagePath(SC_HANDLE service, std::wstring& stored) {
    DWORD startType = 0;
    return win32::ReadServiceConfig(service, stored, startType);
}

// A service made by an older instsrv.exe for the same program gets what a new one gets: it starts
// automatically, restarts after a failure, has the preshutdown timeout of the whole stop and its
// event source. Says what it changed; one of another program is left as it is.
int BringUpToDate(SC_HANDLE manager, const std::wstring& name, const std::wstring& program) {
    const win32::UniqueServiceHandle service(
        ::OpenServiceW(manager, name.c_str(), SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG | SERVICE_QUERY_STATUS));
    if (!service) {
        return Fail(Id::CannotOpenToUpdate, name, ::GetLastError());
    }
    std::wstring stored;
    DWORD startType = 0;
    if (const DWORD error = win32::ReadServiceConfig(service.get(), stored, startType); error != ERROR_SUCCESS) {
        return Fail(Id::CannotReadWhatItRuns, name, error);
    }
    if (!RunsTheProgram(stored, ResolvedFromCurrentFolder(program))) {
        return ExistsAlready(name);
    }
    std::vector<std::wstring> changed;
    if (startType != SERVICE_AUTO_START) {
        if (::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_AUTO_START, SERVICE_NO_CHANGE, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) == FALSE) {
            return Fail(Id::CannotSetAutomatic, name, ::GetLastError());
        }
        changed.push_back(Render(Id::StartsAutomatically));
    }
    if (!RecoveryAsSet(service.get()) && SetRecovery(service.get())) {
        changed.push_back(Render(Id::RestartsAfterFailure));
    }
    DWORD timeout = 0;
    if (win32::ReadPreshutdownTimeout(service.get(), timeout) != ERROR_SUCCESS || timeout != kPreshutdownTimeoutMs) {
        const std::wstring was = DecimalText(timeout);
        if (SetPreshutdownTimeout(service.get())) {
            changed.push_back(Render(Id::PreshutdownIs, {DecimalText(kPreshutdownTimeoutMs), was}));
        }
    }
    if (!ServiceEventSourceIsCurrent(name)) {
        RegisterServiceEventSource(name);
        if (ServiceEventSourceIsCurrent(name)) {
            changed.push_back(Render(Id::EventSourceNamesSrvany));
        }
    }
    std::wstring list;
    for (const std::wstring& change : changed) {
        list += (list.empty() ? L"" : L"; ") + change;
    }
    PrintLine(changed.empty() ? Render(Id::UpToDate, {name, stored})
                              : Render(Id::BroughtUpToDate, {name, stored, list}));
    WarnIfUsersCanChange(ResolvedFromCurrentFolder(program));
    return 0;
}

// What instsrv.exe returns when the service goes only at the next restart of Windows: Windows'
// ERROR_SUCCESS_REBOOT_REQUIRED, which the package logs.
constexpr int kGoesAtRestart = 3010;

int GoesAtRestart(const std::wstring& name, Id why) {
    PrintLine(Render(why, {name}));
    return kGoesAtRestart;
}

// Deletes the service and the event source of its name that names `program`, its program.
int StopAndDelete(SC_HANDLE service, const std::wstring& name, const std::wstring& program) {
    // A running service would only be marked for deletion; stop it first so that it really goes.
    // One that does not stop in time, or is marked already, goes all the same, at the latest when
    // Windows restarts.
    const bool stopped = StopAndWait(service);
    if (::DeleteService(service) == FALSE) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_SERVICE_MARKED_FOR_DELETE) {
            return Fail(Id::CannotRemove, name, error);
        }
        RemoveServiceEventSource(name, program);
        return GoesAtRestart(name, Id::RemovedBeforeGoesAtRestart);
    }
    RemoveServiceEventSource(name, program);
    if (!stopped) {
        return GoesAtRestart(name, Id::NotStoppedGoesAtRestart);
    }
    PrintLine(Render(Id::Removed, {name}));
    return 0;
}

// The value in the service's key that tells StartAfterSetup that the package stopped it.
constexpr wchar_t kStoppedForSetup[] = L"StoppedForSetup";

std::wstring ServiceKey(const std::wstring& name) {
    return L"SYSTEM\\CurrentControlSet\\Services\\" + name;
}

// Where a removal keeps the service's key until the package's removal is over, so that its
// rollback can put the service back as it was.
constexpr wchar_t kRemovedServices[] = L"SOFTWARE\\Qeltor Service\\Removed services";
constexpr wchar_t kWasRunning[] = L"WasRunning";

std::wstring SavedKey(const std::wstring& name) {
    return std::wstring(kRemovedServices) + L"\\" + name;
}

void ForgetSaved(const std::wstring& name) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, SavedKey(name).c_str());
    // The folders above go once empty; RegDeleteKeyW leaves one that still holds a key.
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kRemovedServices);
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Qeltor Service");
}

// Copies the service's key, its Parameters with it, aside; a failure is said on one line.
void SaveForRollback(SC_HANDLE service, const std::wstring& name) {
    ForgetSaved(name);
    win32::UniqueRegKey from;
    win32::UniqueRegKey to;
    DWORD status = win32::OpenRegistryKey(HKEY_LOCAL_MACHINE, ServiceKey(name), KEY_READ, from);
    if (status == ERROR_SUCCESS) {
        status = win32::CreateRegistryKey(HKEY_LOCAL_MACHINE, SavedKey(name), KEY_ALL_ACCESS, to);
    }
    if (status == ERROR_SUCCESS) {
        status = static_cast<DWORD>(::RegCopyTreeW(from.get(), nullptr, to.get()));
    }
    const DWORD running = CurrentState(service) == SERVICE_STOPPED ? 0 : 1;
    if (status == ERROR_SUCCESS) {
        status = static_cast<DWORD>(::RegSetValueExW(to.get(), kWasRunning, 0, REG_DWORD,
                                                     reinterpret_cast<const BYTE*>(&running), sizeof(running)));
    }
    if (status != ERROR_SUCCESS) {
        PrintErrorLine(Render(Id::NotKeptAside, {name, SystemReason(status)}));
    }
}

}  // namespace

int InstallService(const std::wstring& name, const std::wstring& program) {
    const win32::UniqueServiceHandle manager(
        ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
    if (!manager) {
        return Fail(Id::CannotOpenManager, ::GetLastError());
    }
    // An existing service is brought up to date when it runs this program, else left as it is.
    if (Exists(manager.get(), name)) {
        return BringUpToDate(manager.get(), name, program);
    }
    const std::wstring fullPath = ResolvedFromCurrentFolder(program);
    if (const auto problem = ProgramProblem(fullPath)) {
        PrintErrorLine(*problem);
        return kFailed;
    }
    const std::wstring imagePath = QuotedImagePath(fullPath);
    const win32::UniqueServiceHandle service(::CreateServiceW(
        manager.get(), name.c_str(), name.c_str(),
        SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG | SERVICE_START, SERVICE_WIN32_OWN_PROCESS,
        SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, imagePath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) {
        const DWORD error = ::GetLastError();
        return error == ERROR_SERVICE_EXISTS ? BringUpToDate(manager.get(), name, program)
                                             : Fail(Id::CannotCreate, name, error);
    }
    PrintLine(Render(Id::Created, {name, imagePath}));
    WarnIfUsersCanChange(fullPath);
    SetRecovery(service.get());
    SetPreshutdownTimeout(service.get());
    RegisterServiceEventSource(name);
    return 0;
}

int RemoveService(const std::wstring& name) {
    const win32::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        return Fail(Id::CannotOpenManager, ::GetLastError());
    }
    const win32::UniqueServiceHandle service(::OpenServiceW(
        manager.get(), name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG | DELETE));
    if (!service) {
        return Fail(Id::CannotOpenService, name, ::GetLastError());
    }
    std::wstring stored;
    if (ImagePath(service.get(), stored) != ERROR_SUCCESS) {
        stored.clear();  // the event source then stays: it cannot be told whose it is
    }
    return StopAndDelete(service.get(), name, ProgramOf(stored));
}

// Opens the service when it runs `program`; null, with the exit code in `result`, otherwise.
win32::UniqueServiceHandle OpenIfItRuns(const std::wstring& name, const std::wstring& program, DWORD access,
                                        int& result) {
    result = 0;
    const win32::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        result = Fail(Id::CannotOpenManager, ::GetLastError());
        return {};
    }
    win32::UniqueServiceHandle service(::OpenServiceW(manager.get(), name.c_str(), access | SERVICE_QUERY_CONFIG));
    std::wstring stored;
    if (!service) {
        const DWORD error = ::GetLastError();
        result = error == ERROR_SERVICE_DOES_NOT_EXIST ? 0 : Fail(Id::CannotOpenService, name, error);
    } else if (const DWORD error = ImagePath(service.get(), stored); error != ERROR_SUCCESS) {
        result = Fail(Id::CannotReadWhatItRuns, name, error);
        service.reset();
    } else if (!RunsTheProgram(stored, ResolvedFromCurrentFolder(program))) {
        service.reset();
    }
    return service;
}

int StopForSetup(const std::wstring& name, const std::wstring& program) {
    int result = 0;
    const auto service = OpenIfItRuns(name, program, SERVICE_STOP | SERVICE_QUERY_STATUS, result);
    if (!service || CurrentState(service.get()) == SERVICE_STOPPED) {
        return result;
    }
    // Noted first, so that a stop that outlasts the wait is still followed by a start.
    const DWORD one = 1;
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, ServiceKey(name).c_str(), kStoppedForSetup, REG_DWORD, &one, sizeof(one));
    if (!StopAndWait(service.get())) {
        PrintErrorLine(Render(Id::NotStoppedForSetup, {name}));
        return kFailed;
    }
    PrintLine(Render(Id::StoppedForSetup, {name}));
    return 0;
}

int StartAfterSetup(const std::wstring& name, const std::wstring& program) {
    int result = 0;
    const auto service = OpenIfItRuns(name, program, SERVICE_START, result);
    if (!service ||
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, ServiceKey(name).c_str(), kStoppedForSetup) != ERROR_SUCCESS) {
        return result;
    }
    if (::StartServiceW(service.get(), 0, nullptr) == FALSE && ::GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        return Fail(Id::CannotStartAgain, name, ::GetLastError());
    }
    PrintLine(Render(Id::StartedAgain, {name}));
    return 0;
}

int RemoveServiceIfItRuns(const std::wstring& name, const std::wstring& program) {
    const win32::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        return Fail(Id::CannotOpenManager, ::GetLastError());
    }
    const win32::UniqueServiceHandle service(::OpenServiceW(
        manager.get(), name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG | DELETE));
    if (!service && ::GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) {
        PrintLine(Render(Id::NoSuchService, {name}));
        return 0;
    }
    if (!service && ::GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE) {
        return GoesAtRestart(name, Id::RemovedBeforeGoesAtRestart);
    }
    if (!service) {
        return Fail(Id::CannotOpenService, name, ::GetLastError());
    }
    std::wstring stored;
    if (const DWORD error = ImagePath(service.get(), stored); error != ERROR_SUCCESS) {
        return Fail(Id::CannotReadWhatItRuns, name, error);
    }
    // Another program's service of that name is not ours to remove, nor is its event source.
    if (!RunsTheProgram(stored, ResolvedFromCurrentFolder(program))) {
        PrintLine(Render(Id::RunsAnother, {name, stored, program}));
        return 0;
    }
    SaveForRollback(service.get(), name);
    return StopAndDelete(service.get(), name, ResolvedFromCurrentFolder(program));
}

int RestoreRemovedService(const std::wstring& name, const std::wstring& program) {
    win32::UniqueRegKey saved;
    if (win32::OpenRegistryKey(HKEY_LOCAL_MACHINE, SavedKey(name), KEY_READ, saved) != ERROR_SUCCESS) {
        PrintLine(Render(Id::NothingToRestore, {name}));
        return 0;
    }
    DWORD start = SERVICE_AUTO_START;
    DWORD running = 0;
    DWORD size = sizeof(start);
    ::RegGetValueW(saved.get(), nullptr, L"Start", RRF_RT_REG_DWORD, nullptr, &start, &size);
    size = sizeof(running);
    ::RegGetValueW(saved.get(), nullptr, kWasRunning, RRF_RT_REG_DWORD, nullptr, &running, &size);
    const win32::UniqueServiceHandle manager(
        ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
    if (!manager) {
        return Fail(Id::CannotOpenManager, ::GetLastError());
    }
    const std::wstring imagePath = QuotedImagePath(ResolvedFromCurrentFolder(program));
    const win32::UniqueServiceHandle service(::CreateServiceW(
        manager.get(), name.c_str(), name.c_str(),
        SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG | SERVICE_START, SERVICE_WIN32_OWN_PROCESS,
        start, SERVICE_ERROR_NORMAL, imagePath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) {
        return Fail(Id::CannotPutBack, name, ::GetLastError());
    }
    win32::UniqueRegKey parameters;
    DWORD status =
        win32::CreateRegistryKey(HKEY_LOCAL_MACHINE, ServiceKey(name) + L"\\Parameters", KEY_ALL_ACCESS, parameters);
    if (status == ERROR_SUCCESS) {
        status = static_cast<DWORD>(::RegCopyTreeW(saved.get(), L"Parameters", parameters.get()));
    }
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        return Fail(Id::CannotPutBackParameters, name, status);
    }
    SetRecovery(service.get());
    SetPreshutdownTimeout(service.get());
    // Run from the package's own copy, this instsrv.exe lies elsewhere: the texts are the program's.
    RegisterServiceEventSource(name, ResolvedFromCurrentFolder(program));
    saved.reset();
    ForgetSaved(name);
    if (running != 0) {
        ::StartServiceW(service.get(), 0, nullptr);
    }
    PrintLine(Render(Id::PutBack, {name}));
    return 0;
}

}  // namespace qeltor::service
