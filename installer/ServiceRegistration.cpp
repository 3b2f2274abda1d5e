#include "installer/ServiceRegistration.h"

#include "core/CommandLine.h"
#include "core/Decimal.h"
#include "core/Environment.h"
#include "core/PermissionRules.h"
#include "core/Registration.h"
#include "core/StopTimes.h"
#include "installer/DriveCheck.h"
#include "installer/InstallerTexts.h"
#include "installer/Messages.h"
#include "installer/ParameterWrites.h"
#include "installer/PermissionCheck.h"
#include "installer/RegistrationLock.h"
#include "installer/ServerPathCheck.h"
#include "installer/ServiceCheck.h"
#include "installer/StoredText.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace qeltor {
namespace {

// The system's own account, whose HKEY_CURRENT_USER is HKEY_USERS\.DEFAULT.
constexpr const wchar_t* kSystemSid = L"S-1-5-18";
// How a key of the running account's hive begins, written out in full.
constexpr const wchar_t* kCurrentUserRoot = L"HKEY_CURRENT_USER\\";

using messages::Id;
using messages::Message;
using messages::Messages;

// A failure and what is added to it, in one critical box.
bool ReportFailure(Form& form, const Message& failure, const Messages& added = {}) {
    form.rtcMsgBox(messages::Render(failure) + messages::Render(added), kMsgBoxCritical);
    return false;
}

// Refused, or failed, before anything was started or written.
Outcome Refuse(Form& form, const Message& failure) {
    ReportFailure(form, failure);
    return Outcome::Refused;
}

// Whether what is added to a failure names something of this run that stays.
bool NamesSomethingLeft(const Message& added) {
    switch (added.id) {
        case Id::WrittenValuesLeft:
        case Id::CreatedServiceLeft:
        case Id::CreatedServiceUnknown:
        case Id::EarlierValuesNotPutBack:
        case Id::ChangedValueLeft:
        case Id::ChangedValuesLeft:
        case Id::WrittenValuesAllChanged:
        case Id::WrittenValuesNotTakenBack:
            return true;
        default:
            return false;
    }
}

// Failed after instsrv.exe was started: everything was put back unless `added` names what stays,
// or `leftAsItIs` says that what this run made stays as it is.
Outcome Fail(Form& form, const Message& failure, const Messages& added, bool leftAsItIs = false) {
    ReportFailure(form, failure, added);
    return leftAsItIs || std::ranges::any_of(added, NamesSomethingLeft) ? Outcome::SomethingLeft : Outcome::PutBack;
}

std::wstring OurServiceHost(const InstallerPaths& paths) {
    return paths.ProgramFolder + texts::kSrvanyExe;
}

// After a failed write: a service that instsrv.exe created in this run goes again, with its event
// source, so that no service without its parameters is left behind. One that existed before stays.
Messages UndoNewService(Platform& platform, const InstallerPaths& paths, bool instsrvEnded, bool& leftAsItIs) {
    if (!instsrvEnded) {
        return {{Id::CreatedServiceUnknown, {DecimalText(kInstsrvPatienceMs / 1000), paths.ProgramFolder}}};
    }
    ServiceConfig config;
    const OsStatus queried = platform.QueryService(texts::kServiceName, config);
    if (queried == kOsServiceDoesNotExist) {
        return RemoveWrittenValues(platform, true);
    }
    if (queried != kOsSuccess || !RunsOurProgram(platform, config.programPath, OurServiceHost(paths))) {
        leftAsItIs = true;  // not known to be the one instsrv.exe made: not ours to take away
        return {};
    }
    const OsStatus removed = platform.RemoveService(texts::kServiceName);
    if (removed != kOsSuccess) {
        return {{Id::CreatedServiceLeft, {platform.ErrorText(removed), paths.ProgramFolder}}};
    }
    platform.DeleteRegistryKey(kHkeyLocalMachine, registration::EventSourceKey(texts::kServiceName),
                               KeyDeletion::WithItsValues);
    RemoveWrittenValues(platform, true);
    return {{Id::CreatedServiceRemoved, {}}};
}

// Why a service in `state` is not one that a click can finish.
Message WhyNotReady(Platform& platform, ServiceState state, OsStatus queried, const ServiceConfig& config,
                    const InstallerPaths& paths) {
    switch (state) {
        case ServiceState::RunsAnotherProgram:
            return {Id::RunsAnotherProgram, {config.programPath, paths.ProgramFolder}};
        case ServiceState::NotAutomatic:
            return {config.startType == kServiceDisabled      ? Id::Disabled
                    : config.startType == kServiceDemandStart ? Id::StartsManually
                                                              : Id::NotAutomatic,
                    {}};
        case ServiceState::MarkedForDeletion:
            return {Id::MarkedForDeletion, {}};
        case ServiceState::UnquotedPath:
            return {Id::UnquotedPath,
                    {config.programPath, config.programPath.substr(0, config.programPath.find(L' ')),
                     OurServiceHost(paths)}};
        default:
            return {Id::CannotQuery, {platform.ErrorText(queried)}};
    }
}

// The AppDirectory that the click keeps, as the service will use it; empty when it writes its own.
std::wstring KeptAppDirectory(Platform& platform, const AnsiParameters& parameters) {
    for (const auto& value : parameters.values) {
        if (value.kept && std::wstring(value.name) == registration::kAppDirectoryValue) {
            const auto text = TextOf(value.meant);
            if (text) {
                // As srvany.exe expands it, in the system's environment.
                return value.meant.type == kRegExpandSz ? ExpandWith(*text, platform.SystemEnvironment()) : *text;
            }
        }
    }
    return {};
}

// What the click has to go on with: the service as it was, and the values it will overwrite.
struct Before {
    bool serviceIsNew = false;
    EarlierParameters parameters;
};

// Judges the service that is there before anything is started or written: only a missing one, or
// ours starting automatically, can be finished by this click. Anything else is refused.
std::optional<Before> JudgeBefore(Platform& platform, Form& form, const InstallerPaths& paths) {
    ServiceConfig config;
    const OsStatus queried = platform.QueryService(texts::kServiceName, config);
    const ServiceState state = JudgeService(platform, queried, config, OurServiceHost(paths));
    if (state != ServiceState::Ready && state != ServiceState::Missing) {
        ReportFailure(form, WhyNotReady(platform, state, queried, config, paths));
        return std::nullopt;
    }
    Before before{state == ServiceState::Missing, {}};
    const OsStatus read = ReadEarlierParameters(platform, before.parameters);
    if (read != kOsSuccess) {
        ReportFailure(form, {Id::CannotReadValues, {platform.ErrorText(read)}});
        return std::nullopt;
    }
    return before;
}

// What a failed click adds about what it had written: a service that was there before gets its
// earlier values back; a new one is left as it is.
Messages TakeBack(Platform& platform, const Before& before, const AnsiParameters& parameters,
                  const WriteOutcome& written) {
    return before.serviceIsNew ? Messages{} : PutBackEarlierValues(platform, parameters, before.parameters, written);
}

// A value as the user would recognise it in the Registry Editor.
std::wstring Shown(const StoredValue& value) {
    const auto text = TextOf(value);
    if (!text) {
        return messages::Render({Id::ValueOfType, {DecimalText(value.type)}});
    }
    return messages::Render({value.type == kRegExpandSz ? Id::ExpandTextValue : Id::TextValue, {*text}});
}

// "Application is missing; AppDirectory holds "D:\Data"".
std::wstring FoundValues(const std::vector<ValueFound>& found) {
    std::wstring list;
    for (const auto& value : found) {
        const Message shown = value.found ? Message{Id::ValueHolds, {value.name, Shown(*value.found)}}
                                          : Message{Id::ValueMissing, {value.name}};
        list += (list.empty() ? L"" : L"; ") + messages::Render(shown);
    }
    return list;
}

// What the success message adds about the values the click kept; nothing when it kept none.
Messages KeptValues(const AnsiParameters& parameters) {
    std::wstring list;
    for (const auto& value : parameters.values) {
        if (value.kept) {
            list += (list.empty() ? L"" : L"; ") + messages::Render({Id::ValueIs, {value.name, Shown(value.meant)}});
        }
    }
    return list.empty() ? Messages{} : Messages{{Id::ValuesKept, {list}}};
}

// The service is ours and starts with Windows: its values are read back, since something else may
// have changed them while instsrv.exe ran, and the server's settings are copied for its account.
Outcome ReportReady(Platform& platform, Form& form, const AnsiParameters& parameters, const ServiceConfig& config) {
    std::vector<ValueFound> wrong;
    const OsStatus read = FindValuesNotAsMeant(platform, parameters, wrong);
    if (read != kOsSuccess) {
        return Fail(form, {Id::CannotReadValuesBack, {platform.ErrorText(read)}}, {}, true);
    }
    if (!wrong.empty()) {
        return Fail(form, {Id::ValuesChangedMeanwhile, {FoundValues(wrong)}}, {}, true);
    }
    // As a service the server reads its settings from the service account's hive, not the user's.
    // A large tree takes seconds: the window keeps answering meanwhile.
    // Run as the system, the running account's hive is that account's own: nothing to copy. A key
    // that is there already keeps its permissions: who else may read it is said.
    Messages copyNote;
    std::vector<std::wstring> readers;
    if (platform.CurrentUserSid() == kSystemSid) {
        copyNote.push_back({Id::SettingsAreTheServicesOwn, {}});
    } else {
        std::wstring failedKey;
        OsStatus copied = kOsSuccess;
        form.KeepAnsweringWhile([&] {
            ObjectSecurity earlier;
            if (platform.ReadKeySecurity(kHkeyUsers, texts::kServiceSettingsTree, earlier) == kOsSuccess) {
                readers = permissions::KeyReaders(earlier, permissions::Administrators(platform.CurrentUserSid()));
            }
            copied = platform.CopyRegistryTree(kHkeyCurrentUser, texts::kSettingsTree, kHkeyUsers,
                                               texts::kServiceSettingsTree, failedKey);
        });
        if (copied == kOsFileNotFound && failedKey == std::wstring(kCurrentUserRoot) + texts::kSettingsTree) {
            copyNote.push_back({Id::NoSettingsToCopy, {}});
        } else if (copied == kOsRegistryLink || copied == kOsTreeTooDeep) {
            return Fail(form, {copied == kOsRegistryLink ? Id::SettingsHoldALink : Id::SettingsTooDeep, {failedKey}},
                        {}, true);
        } else if (copied != kOsSuccess) {
            // reg copy would stop at a key of the user's that cannot be read, and copy only part.
            const Id id = failedKey.empty()                         ? Id::SettingsNotCopied
                          : failedKey.starts_with(kCurrentUserRoot) ? Id::SettingsKeyUnreadable
                                                                    : Id::SettingsNotCopiedFromKey;
            return Fail(form, {id, {platform.ErrorText(copied), failedKey}}, {}, true);
        }
    }
    // instsrv.exe sets the preshutdown timeout; a system that kept a shorter one is said so.
    const bool shortPreshutdown =
        config.preshutdownTimeoutMs && *config.preshutdownTimeoutMs < service::kPreshutdownTimeoutMs;
    Messages added = KeptValues(parameters);
    if (parameters.replaced) {
        added.push_back(*parameters.replaced);
    }
    if (shortPreshutdown) {
        added.push_back({Id::PreshutdownShort,
                         {DecimalText(*config.preshutdownTimeoutMs), DecimalText(service::kPreshutdownTimeoutMs)}});
    }
    added.insert(added.end(), copyNote.begin(), copyNote.end());
    if (!readers.empty()) {
        for (std::wstring& reader : readers) {
            reader = platform.AccountName(reader);
        }
        added.push_back({Id::SettingsReadableByOthers, {messages::Listed(readers)}});
    }
    form.rtcMsgBox(messages::Render({Id::Success, {}}) + messages::Render(added), kMsgBoxInformation);
    form.Unload();
    return Outcome::Registered;
}

// Tells the user the outcome as the service manager sees it; true only for a service that will
// run the server from the next start of Windows on.
Outcome ReportService(Platform& platform, Form& form, const InstallerPaths& paths, std::uint32_t instsrvExitCode,
                      const Before& before, const AnsiParameters& parameters, const WriteOutcome& written) {
    ServiceConfig config;
    const OsStatus queried = platform.QueryService(texts::kServiceName, config);
    const ServiceState state = JudgeService(platform, queried, config, OurServiceHost(paths));
    if (state == ServiceState::Ready) {
        return ReportReady(platform, form, parameters, config);
    }
    if (state == ServiceState::Missing) {
        const bool notCreated = before.serviceIsNew && instsrvExitCode != 0;
        const Message what = notCreated            ? Message{Id::NotCreated, {DecimalText(instsrvExitCode)}}
                             : before.serviceIsNew ? Message{Id::RemovedAfterCreation, {}}
                                                   : Message{Id::RemovedAfterClick, {}};
        return Fail(form, what, RemoveWrittenValues(platform, before.serviceIsNew));
    }
    if (state == ServiceState::RunsAnotherProgram && before.serviceIsNew) {
        const Messages taken = TakeBackFromAnotherProgramsService(platform, parameters, before.parameters, written);
        return Fail(form,
                    {Id::CreatedByAnotherProgram, {config.programPath, paths.ProgramFolder, messages::Render(taken)}},
                    {}, std::ranges::any_of(taken, NamesSomethingLeft));
    }
    return Fail(form, WhyNotReady(platform, state, queried, config, paths),
                TakeBack(platform, before, parameters, written), before.serviceIsNew);
}

}  // namespace

std::wstring BuildInstsrvCommandLine(const InstallerPaths& paths) {
    return Quoted(paths.ProgramFolder + texts::kInstsrvExe) + L' ' + Quoted(texts::kServiceName) + L' ' +
           Quoted(paths.ProgramFolder + texts::kSrvanyExe);
}

namespace {

// The registration itself, with the machine's registration lock held.
Outcome RegisterLocked(Platform& platform, Form& form, const InstallerPaths& paths) {
    AnsiParameters parameters;
    if (auto refusal = ConvertParameters(platform, paths, parameters)) {
        return Refuse(form, *refusal);
    }
    if (const auto refusal = ServerPathRefusal(platform, paths.ServerExePath)) {
        return Refuse(form, *refusal);
    }
    // Thousands of permissions may be read, maybe over a slow network: the window keeps answering.
    std::optional<Message> refusal;
    form.KeepAnsweringWhile([&] {
        refusal = DriveRefusal(platform, paths);
        if (!refusal) {
            refusal = PermissionRefusal(platform, paths);
        }
    });
    if (refusal) {
        return Refuse(form, *refusal);
    }
    const auto before = JudgeBefore(platform, form, paths);
    if (!before) {
        return Outcome::Refused;
    }
    KeepAdministratorsValues(platform, parameters, before->parameters, paths);
    form.KeepAnsweringWhile([&] { refusal = KeptFolderRefusal(platform, KeptAppDirectory(platform, parameters)); });
    if (refusal) {
        return Refuse(form, *refusal);
    }

    const std::wstring instsrv = paths.ProgramFolder + texts::kInstsrvExe;
    std::unique_ptr<StartedProgram> program;
    const OsStatus started = platform.rtcShell(BuildInstsrvCommandLine(paths), kShellNormalNoFocus, program);
    if (started != kOsSuccess) {
        return Refuse(form, {Id::CannotStart, {instsrv, platform.ErrorText(started)}});
    }

    const WriteOutcome written = WriteParameters(platform, parameters);
    const auto instsrvExitCode = form.WaitForProgram(*program, kInstsrvPatienceMs);
    if (written.failure) {
        bool leftAsItIs = false;
        const Messages undone = before->serviceIsNew
                                    ? UndoNewService(platform, paths, instsrvExitCode.has_value(), leftAsItIs)
                                    : TakeBack(platform, *before, parameters, written);
        return Fail(form, *written.failure, undone, leftAsItIs);
    }
    if (!instsrvExitCode) {
        return Fail(form, {Id::InstsrvStillRunning, {DecimalText(kInstsrvPatienceMs / 1000)}},
                    TakeBack(platform, *before, parameters, written), before->serviceIsNew);
    }
    return ReportService(platform, form, paths, *instsrvExitCode, *before, parameters, written);
}

}  // namespace

bool RegisterService(Platform& platform, Form& form, const InstallerPaths& paths) {
    return Register(platform, form, paths) == Outcome::Registered;
}

Outcome Register(Platform& platform, Form& form, const InstallerPaths& paths) {
    std::unique_ptr<MachineLock> lock;
    if (const auto refusal = TakeRegistrationLock(platform, form, lock)) {
        return Refuse(form, *refusal);
    }
    LockReleasingForm reporting(form, lock);
    return RegisterLocked(platform, reporting, paths);
}

bool RegisterStoredServer(Platform& platform, Form& form, const InstallerPaths& paths) {
    const std::wstring stored =
        platform.rtcGetSetting(texts::kSettingsApplication, texts::kSettingsSection, texts::kSettingsKey, {});
    if (stored != paths.ServerExePath) {
        return ReportFailure(form, {Id::ServerPathChanged, {paths.ServerExePath, stored}});
    }
    return RegisterService(platform, form, paths);
}

}  // namespace qeltor
