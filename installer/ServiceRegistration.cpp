#include "installer/ServiceRegistration.h"

#include "installer/DriveCheck.h"
#include "installer/InstallerTexts.h"
#include "installer/ParameterWrites.h"
#include "installer/PermissionCheck.h"
#include "installer/RegistrationMessages.h"
#include "installer/ServerPathCheck.h"
#include "installer/ServiceCheck.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace qeltor {
namespace {

std::wstring Quoted(const std::wstring& text) {
    return L'"' + text + L'"';
}

bool ReportFailure(Platform& platform, const std::wstring& message) {
    platform.rtcMsgBox(message, kMsgBoxCritical);
    return false;
}

std::wstring OurServiceHost(const InstallerPaths& paths) {
    return paths.ProgramFolder + texts::kSrvanyExe;
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

// Why a service in `state` is not one that a click can finish.
std::wstring WhyNotReady(Platform& platform, ServiceState state, OsStatus queried, const ServiceConfig& config,
                         const InstallerPaths& paths) {
    switch (state) {
        case ServiceState::RunsAnotherProgram:
            return messages::RunsAnotherProgram(config.programPath, paths.ProgramFolder);
        case ServiceState::NotAutomatic:
            return messages::NotAutomatic(config.startType);
        case ServiceState::MarkedForDeletion:
            return messages::MarkedForDeletion();
        case ServiceState::UnquotedPath:
            return messages::UnquotedPath(config.programPath, OurServiceHost(paths));
        default:
            return messages::CannotQuery(platform.ErrorText(queried));
    }
}

// What the click has to go on with: the service as it was, and the values it will overwrite.
struct Before {
    bool serviceIsNew = false;
    EarlierParameters parameters;
};

// Judges the service that is there before anything is started or written: only a missing one, or
// ours starting automatically, can be finished by this click. Anything else is refused.
std::optional<Before> JudgeBefore(Platform& platform, const InstallerPaths& paths) {
    ServiceConfig config;
    const OsStatus queried = platform.QueryService(texts::kServiceName, config);
    const ServiceState state = JudgeService(queried, config, OurServiceHost(paths));
    if (state != ServiceState::Ready && state != ServiceState::Missing) {
        ReportFailure(platform, WhyNotReady(platform, state, queried, config, paths));
        return std::nullopt;
    }
    Before before{state == ServiceState::Missing, {}};
    const OsStatus read = ReadEarlierParameters(platform, before.parameters);
    if (read != kOsSuccess) {
        ReportFailure(platform, messages::CannotReadValues(platform.ErrorText(read)));
        return std::nullopt;
    }
    return before;
}

// What a failed click adds about what it had written: a service that was there before gets its
// earlier values back; a new one is left as it is.
std::wstring TakeBack(Platform& platform, const Before& before, const AnsiParameters& parameters,
                      const WriteOutcome& written) {
    return before.serviceIsNew ? std::wstring{}
                               : PutBackEarlierValues(platform, parameters, before.parameters, written);
}

// The values the click kept, for the success message.
std::vector<ValueFound> KeptValues(const AnsiParameters& parameters) {
    std::vector<ValueFound> kept;
    for (const auto& value : parameters.values) {
        if (value.kept) {
            kept.push_back({value.name, value.meant});
        }
    }
    return kept;
}

// The service is ours and starts with Windows: its values are read back, since something else may
// have changed them while instsrv.exe ran, and the server's settings are copied for its account.
bool ReportReady(Platform& platform, const AnsiParameters& parameters) {
    std::vector<ValueFound> wrong;
    const OsStatus read = FindValuesNotAsMeant(platform, parameters, wrong);
    if (read != kOsSuccess) {
        return ReportFailure(platform, messages::CannotReadValuesBack(platform.ErrorText(read)));
    }
    if (!wrong.empty()) {
        return ReportFailure(platform, messages::ValuesChangedMeanwhile(wrong));
    }
    // As a service the server reads its settings from the service account's hive, not the user's.
    std::wstring failedKey;
    const OsStatus copied = platform.CopyRegistryTree(kHkeyCurrentUser, texts::kSettingsTree, kHkeyUsers,
                                                      texts::kServiceSettingsTree, failedKey);
    if (copied != kOsSuccess) {
        return ReportFailure(platform, messages::SettingsNotCopied(platform.ErrorText(copied), failedKey));
    }
    platform.rtcMsgBox(SuccessMessage() + messages::ValuesKept(KeptValues(parameters)), kMsgBoxInformation);
    platform.Unload();
    return true;
}

// Tells the user the outcome as the service manager sees it; true only for a service that will
// run the server from the next start of Windows on.
bool ReportService(Platform& platform, const InstallerPaths& paths, std::uint32_t instsrvExitCode, const Before& before,
                   const AnsiParameters& parameters, const WriteOutcome& written) {
    ServiceConfig config;
    const OsStatus queried = platform.QueryService(texts::kServiceName, config);
    const ServiceState state = JudgeService(queried, config, OurServiceHost(paths));
    if (state == ServiceState::Ready) {
        return ReportReady(platform, parameters);
    }
    if (state == ServiceState::Missing) {
        const bool notCreated = before.serviceIsNew && instsrvExitCode != 0;
        const std::wstring what =
            notCreated ? messages::NotCreated(instsrvExitCode) : messages::RemovedMeanwhile(before.serviceIsNew);
        return ReportFailure(platform, what + RemoveWrittenValues(platform, before.serviceIsNew));
    }
    if (state == ServiceState::RunsAnotherProgram && before.serviceIsNew) {
        const std::wstring taken = TakeBackFromAnotherProgramsService(platform, parameters, before.parameters, written);
        return ReportFailure(platform,
                             messages::CreatedByAnotherProgram(config.programPath, paths.ProgramFolder, taken));
    }
    return ReportFailure(platform, WhyNotReady(platform, state, queried, config, paths) +
                                       TakeBack(platform, before, parameters, written));
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
    auto parameters = ConvertParameters(platform, paths);
    if (!parameters) {
        return false;
    }
    if (const auto refusal = ServerPathRefusal(platform, paths.ServerExePath)) {
        return ReportFailure(platform, *refusal);
    }
    if (const auto refusal = DriveRefusal(platform, paths)) {
        return ReportFailure(platform, *refusal);
    }
    if (const auto refusal = PermissionRefusal(platform, paths)) {
        return ReportFailure(platform, *refusal);
    }
    const auto before = JudgeBefore(platform, paths);
    if (!before) {
        return false;
    }
    KeepAdministratorsValues(platform, *parameters, before->parameters, paths);

    const std::wstring instsrv = paths.ProgramFolder + texts::kInstsrvExe;
    const OsStatus started = platform.rtcShell(BuildInstsrvCommandLine(paths), kShellNormalNoFocus);
    if (started != kOsSuccess) {
        return ReportFailure(platform, messages::CannotStart(instsrv, platform.ErrorText(started)));
    }

    const WriteOutcome written = WriteParameters(platform, *parameters);
    const auto instsrvExitCode = platform.WaitForStartedProgram(kInstsrvPatienceMs);
    if (written.failure) {
        const std::wstring undone = before->serviceIsNew ? UndoNewService(platform, paths, instsrvExitCode.has_value())
                                                         : TakeBack(platform, *before, *parameters, written);
        return ReportFailure(platform, *written.failure + undone);
    }
    if (!instsrvExitCode) {
        return ReportFailure(platform, messages::InstsrvStillRunning(kInstsrvPatienceMs / 1000) +
                                           TakeBack(platform, *before, *parameters, written));
    }
    return ReportService(platform, paths, *instsrvExitCode, *before, *parameters, written);
}

}  // namespace qeltor
