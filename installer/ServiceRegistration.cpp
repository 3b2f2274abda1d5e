#include "installer/ServiceRegistration.h"

#include "installer/InstallerTexts.h"
#include "installer/PermissionCheck.h"
#include "installer/RegistrationMessages.h"
#include "installer/ServerPathCheck.h"
#include "installer/ServiceCheck.h"

#include <array>
#include <optional>
#include <utility>

namespace qeltor {
namespace {

struct RegistryValue {
    const wchar_t* name;
    std::string nameBytes;
    std::string data;
    std::uint32_t byteCount;
};

// Everything the registry writes need, already in the ANSI code page, so that nothing is
// started or written when some text cannot be written faithfully.
struct AnsiParameters {
    std::string keyPath;
    std::array<RegistryValue, 3> values;
};

std::wstring Quoted(const std::wstring& text) {
    return L'"' + text + L'"';
}

// `text` converted, or nothing after telling the user why it cannot be.
std::optional<std::string> ConvertOrReport(Platform& platform, const std::wstring& text) {
    auto converted = platform.ToAnsiCodePage(text);
    if (!converted) {
        platform.rtcMsgBox(messages::Unrepresentable(text), kMsgBoxCritical);
    }
    return converted;
}

enum class Terminator { Nul, None };

// Paths are stored with their NUL; the empty arguments are stored with no byte at all.
std::optional<RegistryValue> ConvertValue(Platform& platform, const wchar_t* name, const std::wstring& data,
                                          Terminator terminator) {
    auto nameBytes = ConvertOrReport(platform, name);
    if (!nameBytes) {
        return std::nullopt;
    }
    auto dataBytes = ConvertOrReport(platform, data);
    if (!dataBytes) {
        return std::nullopt;
    }
    const auto byteCount = terminator == Terminator::Nul ? static_cast<std::uint32_t>(dataBytes->size() + 1) : 0U;
    return RegistryValue{name, std::move(*nameBytes), std::move(*dataBytes), byteCount};
}

std::optional<AnsiParameters> ConvertParameters(Platform& platform, const InstallerPaths& paths) {
    auto application = ConvertValue(platform, texts::kApplicationValue, paths.ServerExePath, Terminator::Nul);
    if (!application) {
        return std::nullopt;
    }
    auto appDirectory = ConvertValue(platform, texts::kAppDirectoryValue, paths.ServerFolder, Terminator::Nul);
    if (!appDirectory) {
        return std::nullopt;
    }
    auto appParameters = ConvertValue(platform, texts::kAppParametersValue, std::wstring{}, Terminator::None);
    auto keyPath = appParameters ? ConvertOrReport(platform, texts::kParametersKey) : std::nullopt;
    if (!keyPath) {
        return std::nullopt;
    }
    return AnsiParameters{std::move(*keyPath),
                          {std::move(*application), std::move(*appDirectory), std::move(*appParameters)}};
}

// Closes the key on every way out, so that a failed write does not leak it.
class OpenRegKey {
public:
    explicit OpenRegKey(Platform& platform) : platform_(platform) {}
    OpenRegKey(const OpenRegKey&) = delete;
    OpenRegKey& operator=(const OpenRegKey&) = delete;
    OpenRegKey(OpenRegKey&&) = delete;
    OpenRegKey& operator=(OpenRegKey&&) = delete;
    ~OpenRegKey() {
        if (key_ != kNullRegKey) {
            platform_.RegCloseKey(key_);
        }
    }

    RegKey& Handle() { return key_; }

private:
    Platform& platform_;
    RegKey key_ = kNullRegKey;
};

bool ReportFailure(Platform& platform, const std::wstring& message) {
    platform.rtcMsgBox(message, kMsgBoxCritical);
    return false;
}

// Why the values could not all be written, or nothing when they were. The key is closed by the
// time this returns, either way.
std::optional<std::wstring> WriteParameters(Platform& platform, const AnsiParameters& parameters) {
    OpenRegKey key(platform);
    const OsStatus created = platform.RegCreateKeyA(kHkeyLocalMachine, parameters.keyPath, key.Handle());
    if (created != kOsSuccess) {
        return messages::CannotCreateKey(platform.ErrorText(created));
    }
    for (const auto& value : parameters.values) {
        const OsStatus written =
            platform.RegSetValueExA(key.Handle(), value.nameBytes, 0, kRegSz, value.data, value.byteCount);
        if (written != kOsSuccess) {
            return messages::CannotWriteValue(value.name, platform.ErrorText(written));
        }
    }
    return std::nullopt;
}

std::wstring OurServiceHost(const InstallerPaths& paths) {
    return paths.ProgramFolder + texts::kSrvanyExe;
}

// Takes away the Parameters key this run wrote, and the service's own key when the service is
// not ours to keep and the key holds nothing else.
std::wstring RemoveWrittenValues(Platform& platform, bool serviceKeyIsOurs) {
    const OsStatus removed =
        platform.DeleteRegistryKey(kHkeyLocalMachine, texts::kParametersKey, KeyDeletion::WithItsValues);
    if (serviceKeyIsOurs) {
        platform.DeleteRegistryKey(kHkeyLocalMachine, texts::kServiceKey, KeyDeletion::OnlyIfEmpty);
    }
    if (removed == kOsFileNotFound) {
        return {};  // nothing had been written
    }
    return removed == kOsSuccess ? messages::WrittenValuesRemoved()
                                 : messages::WrittenValuesLeft(platform.ErrorText(removed));
}

// After a failed write: a service that instsrv.exe created in this run goes again, with its event
// source, so that no service without its parameters is left behind. One that existed before stays.
std::wstring UndoNewService(Platform& platform, const InstallerPaths& paths, bool instsrvEnded) {
    if (!instsrvEnded) {
        return messages::CreatedServiceUnknown(kInstsrvPatienceMs / 1000, paths.ProgramFolder);
    }
    ServiceConfig config;
    const OsStatus queried = platform.QueryService(texts::kServiceName, config);
    if (queried == kOsServiceDoesNotExist) {
        return RemoveWrittenValues(platform, true);
    }
    if (queried != kOsSuccess || !RunsProgram(config.programPath, OurServiceHost(paths))) {
        return {};  // not known to be the one instsrv.exe made: not ours to take away
    }
    const OsStatus removed = platform.RemoveService(texts::kServiceName);
    if (removed != kOsSuccess) {
        return messages::CreatedServiceLeft(platform.ErrorText(removed), paths.ProgramFolder);
    }
    platform.DeleteRegistryKey(kHkeyLocalMachine, texts::kEventSourceKey, KeyDeletion::WithItsValues);
    RemoveWrittenValues(platform, true);
    return messages::CreatedServiceRemoved();
}

// Tells the user the outcome as the service manager sees it; true only for a service that will
// run the server from the next start of Windows on.
bool ReportService(Platform& platform, const InstallerPaths& paths, std::uint32_t instsrvExitCode, bool serviceIsNew) {
    ServiceConfig config;
    const OsStatus queried = platform.QueryService(texts::kServiceName, config);
    switch (JudgeService(queried, config, OurServiceHost(paths))) {
        case ServiceState::Ready:
            platform.rtcMsgBox(SuccessMessage(), kMsgBoxInformation);
            platform.Unload();
            return true;
        case ServiceState::Missing:
            return ReportFailure(platform,
                                 messages::NotCreated(instsrvExitCode) + RemoveWrittenValues(platform, serviceIsNew));
        case ServiceState::RunsAnotherProgram:
            return ReportFailure(platform, messages::RunsAnotherProgram(config.programPath, paths.ProgramFolder));
        case ServiceState::NotAutomatic:
            return ReportFailure(platform, messages::NotAutomatic(config.startType));
        case ServiceState::Unknown:
            break;
    }
    return ReportFailure(platform, messages::CannotQuery(platform.ErrorText(queried)));
}

}  // namespace

std::wstring BuildInstsrvCommandLine(const InstallerPaths& paths) {
    return Quoted(paths.ProgramFolder + texts::kInstsrvExe) + L' ' + Quoted(texts::kServiceName) + L' ' +
           Quoted(paths.ProgramFolder + texts::kSrvanyExe);
}

std::wstring SuccessMessage() {
    return std::wstring(texts::kSuccessFirst) + L"\r\n" + texts::kSuccessSecond;
}

bool RegisterService(Platform& platform, const InstallerPaths& paths) {
    const auto parameters = ConvertParameters(platform, paths);
    if (!parameters) {
        return false;
    }
    if (const auto refusal = ServerPathRefusal(platform, paths.ServerExePath)) {
        return ReportFailure(platform, *refusal);
    }
    if (const auto refusal = PermissionRefusal(platform, paths)) {
        return ReportFailure(platform, *refusal);
    }
    // Only a service that is not there yet may be taken away again if this run fails; when the
    // manager cannot tell, it counts as there.
    ServiceConfig before;
    const bool serviceIsNew = platform.QueryService(texts::kServiceName, before) == kOsServiceDoesNotExist;

    const std::wstring instsrv = paths.ProgramFolder + texts::kInstsrvExe;
    const OsStatus started = platform.rtcShell(BuildInstsrvCommandLine(paths), kShellNormalNoFocus);
    if (started != kOsSuccess) {
        return ReportFailure(platform, messages::CannotStart(instsrv, platform.ErrorText(started)));
    }

    const auto writeFailure = WriteParameters(platform, *parameters);
    const auto instsrvExitCode = platform.WaitForStartedProgram(kInstsrvPatienceMs);
    if (writeFailure) {
        const std::wstring undone =
            serviceIsNew ? UndoNewService(platform, paths, instsrvExitCode.has_value()) : std::wstring{};
        return ReportFailure(platform, *writeFailure + undone);
    }
    if (!instsrvExitCode) {
        return ReportFailure(platform, messages::InstsrvStillRunning(kInstsrvPatienceMs / 1000));
    }
    return ReportService(platform, paths, *instsrvExitCode, serviceIsNew);
}

}  // namespace qeltor
