#include "installer/ParameterWrites.h"

#include "core/CommandLine.h"
#include "core/Environment.h"
#include "core/Paths.h"
#include "core/Registration.h"
#include "installer/InstallerTexts.h"
#include "installer/StoredText.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace qeltor {
namespace {

// In the order they are written.
constexpr std::array<const wchar_t*, kParameterCount> kParameterNames{
    registration::kApplicationValue, registration::kAppDirectoryValue, registration::kAppParametersValue};

// Converts `text` into `converted`; or gives the refusal that names it.
std::optional<messages::Message> Convert(Platform& platform, const std::wstring& text, std::string& converted) {
    auto bytes = platform.ToAnsiCodePage(text);
    if (!bytes) {
        return messages::Message{messages::Id::Unrepresentable, {text}};
    }
    converted = std::move(*bytes);
    return std::nullopt;
}

enum class Terminator { Nul, None };

// Paths are stored with their NUL; the empty arguments are stored with no byte at all.
std::optional<messages::Message> ConvertValue(Platform& platform, const wchar_t* name, const std::wstring& data,
                                              Terminator terminator, RegistryValue& value) {
    value.name = name;
    if (auto refusal = Convert(platform, name, value.nameBytes)) {
        return refusal;
    }
    if (auto refusal = Convert(platform, data, value.data)) {
        return refusal;
    }
    const bool withNul = terminator == Terminator::Nul;
    value.byteCount = withNul ? static_cast<std::uint32_t>(value.data.size() + 1) : 0U;
    value.meant = StoredText(data, withNul);
    return std::nullopt;
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

std::vector<std::wstring> Names() {
    return {kParameterNames.begin(), kParameterNames.end()};
}

// The values as they are now; none when the key is gone.
OsStatus ReadCurrentValues(Platform& platform, StoredValues& current) {
    const OsStatus read = platform.ReadRegistryValues(
        kHkeyLocalMachine, registration::ParametersKey(texts::kServiceName), Names(), current);
    return read == kOsFileNotFound ? kOsSuccess : read;
}

// What taking back the written values came to: why it could not be done, or the names of the
// values it left because something else changed them after they were written.
struct TakenBack {
    OsStatus failure = kOsSuccess;
    std::vector<std::wstring> changed;
};

// Each written value that still holds what was written goes back to its earlier value, or away
// when there was none; a key that did not exist before goes once it is empty.
TakenBack TakeBack(Platform& platform, const AnsiParameters& parameters, const EarlierParameters& earlier,
                   const WriteOutcome& written) {
    StoredValues current;
    const OsStatus read = ReadCurrentValues(platform, current);
    if (read != kOsSuccess) {
        return {read, {}};
    }
    TakenBack taken;
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        const RegistryValue& value = parameters.values.at(i);
        if (!written.written.at(i)) {
            continue;
        }
        const StoredValue* now = current.Find(value.name);
        if (now == nullptr || !HoldsTheSame(*now, value.meant)) {
            taken.changed.emplace_back(value.name);
            continue;
        }
        const StoredValue* before = earlier.values.Find(value.name);
        const auto restore = before == nullptr ? std::nullopt : std::optional<StoredValue>(*before);
        const OsStatus restored = platform.RestoreRegistryValue(
            kHkeyLocalMachine, registration::ParametersKey(texts::kServiceName), value.name, restore);
        if (restored != kOsSuccess) {
            return {restored, {}};
        }
    }
    if (!earlier.keyExisted) {
        platform.DeleteRegistryKey(kHkeyLocalMachine, registration::ParametersKey(texts::kServiceName),
                                   KeyDeletion::OnlyIfEmpty);
    }
    return taken;
}

// The written values that were left as they are, since something else changed them after the click
// wrote them.
messages::Message ChangedValuesLeft(const std::vector<std::wstring>& names) {
    return {names.size() == 1 ? messages::Id::ChangedValueLeft : messages::Id::ChangedValuesLeft,
            {messages::Listed(names)}};
}

}  // namespace

std::optional<messages::Message> ConvertParameters(Platform& platform, const InstallerPaths& paths,
                                                   AnsiParameters& parameters) {
    auto& [application, appDirectory, appParameters] = parameters.values;
    if (auto refusal = ConvertValue(platform, registration::kApplicationValue, paths.ServerExePath, Terminator::Nul,
                                    application)) {
        return refusal;
    }
    if (auto refusal = ConvertValue(platform, registration::kAppDirectoryValue, paths.ServerFolder, Terminator::Nul,
                                    appDirectory)) {
        return refusal;
    }
    if (auto refusal = ConvertValue(platform, registration::kAppParametersValue, std::wstring{}, Terminator::None,
                                    appParameters)) {
        return refusal;
    }
    return Convert(platform, registration::ParametersKey(texts::kServiceName), parameters.keyPath);
}

WriteOutcome WriteParameters(Platform& platform, const AnsiParameters& parameters) {
    OpenRegKey key(platform);
    const OsStatus created = platform.RegCreateKeyA(kHkeyLocalMachine, parameters.keyPath, key.Handle());
    if (created != kOsSuccess) {
        return {{}, messages::Message{messages::Id::CannotCreateKey, {platform.ErrorText(created)}}};
    }
    WriteOutcome outcome;
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        const RegistryValue& value = parameters.values.at(i);
        if (value.kept) {
            continue;
        }
        const OsStatus written =
            platform.RegSetValueExA(key.Handle(), value.nameBytes, 0, kRegSz, value.data, value.byteCount);
        if (written != kOsSuccess) {
            outcome.failure =
                messages::Message{messages::Id::CannotWriteValue, {value.name, platform.ErrorText(written)}};
            return outcome;
        }
        outcome.written.at(i) = true;
    }
    return outcome;
}

OsStatus ReadEarlierParameters(Platform& platform, EarlierParameters& earlier) {
    const OsStatus read = platform.ReadRegistryValues(
        kHkeyLocalMachine, registration::ParametersKey(texts::kServiceName), Names(), earlier.values);
    earlier.keyExisted = read == kOsSuccess;
    return read == kOsFileNotFound ? kOsSuccess : read;
}

void KeepAdministratorsValues(Platform& platform, AnsiParameters& parameters, const EarlierParameters& earlier,
                              const InstallerPaths& paths) {
    const auto earlierValue = [&](const wchar_t* name) {
        const StoredValue* found = earlier.values.Find(name);
        return found == nullptr ? std::nullopt : std::optional<StoredValue>(*found);
    };
    const auto keep = [](RegistryValue& value, const StoredValue& administrators) {
        value.kept = true;
        value.meant = administrators;
    };
    auto& [application, appDirectory, appParameters] = parameters.values;
    const auto earlierApplication = earlierValue(registration::kApplicationValue);
    const auto earlierText = earlierApplication ? TextOf(*earlierApplication) : std::nullopt;
    // Expanded as srvany.exe will expand it, in the system's environment: the administrator's own
    // %USERPROFILE%, %APPDATA% or %TEMP% are not the service's.
    if (earlierText && earlierApplication->type == kRegExpandSz) {
        const std::wstring expanded = ExpandWith(*earlierText, platform.SystemEnvironment());
        if (SamePath(expanded, paths.ServerExePath)) {
            keep(application, *earlierApplication);
        } else {
            parameters.replaced =
                messages::Message{messages::Id::ExpandableApplicationReplaced, {*earlierText, expanded}};
        }
    }
    if (const auto directory = earlierValue(registration::kAppDirectoryValue)) {
        const bool clickWritten =
            directory->type == kRegSz && (TextOf(*directory) == paths.ServerFolder ||
                                          (earlierText && TextOf(*directory) == UpToLastBackslash(*earlierText)));
        if (!clickWritten) {
            keep(appDirectory, *directory);
        }
    }
    if (const auto arguments = earlierValue(registration::kAppParametersValue)) {
        if (arguments->type != kRegSz || !TextOf(*arguments)->empty()) {
            keep(appParameters, *arguments);
        }
    }
}

OsStatus FindValuesNotAsMeant(Platform& platform, const AnsiParameters& parameters, std::vector<ValueFound>& wrong) {
    StoredValues current;
    const OsStatus read = ReadCurrentValues(platform, current);
    if (read != kOsSuccess) {
        return read;
    }
    for (const auto& value : parameters.values) {
        const StoredValue* found = current.Find(value.name);
        if (found == nullptr) {
            wrong.push_back({value.name, std::nullopt});
        } else if (!HoldsTheSame(*found, value.meant)) {
            wrong.push_back({value.name, *found});
        }
    }
    return kOsSuccess;
}

messages::Messages RemoveWrittenValues(Platform& platform, bool serviceKeyIsOurs) {
    const OsStatus removed = platform.DeleteRegistryKey(
        kHkeyLocalMachine, registration::ParametersKey(texts::kServiceName), KeyDeletion::WithItsValues);
    if (serviceKeyIsOurs) {
        platform.DeleteRegistryKey(kHkeyLocalMachine, registration::ServiceKey(texts::kServiceName),
                                   KeyDeletion::OnlyIfEmpty);
    }
    if (removed == kOsFileNotFound) {
        return {};  // nothing had been written
    }
    if (removed != kOsSuccess) {
        return {{messages::Id::WrittenValuesLeft, {platform.ErrorText(removed)}}};
    }
    return {{messages::Id::WrittenValuesRemoved, {}}};
}

messages::Messages PutBackEarlierValues(Platform& platform, const AnsiParameters& parameters,
                                        const EarlierParameters& earlier, const WriteOutcome& written) {
    if (std::ranges::none_of(written.written, [](bool wrote) { return wrote; })) {
        return earlier.keyExisted ? messages::Messages{} : RemoveWrittenValues(platform, false);
    }
    const TakenBack taken = TakeBack(platform, parameters, earlier, written);
    if (taken.failure != kOsSuccess) {
        return {{messages::Id::EarlierValuesNotPutBack, {platform.ErrorText(taken.failure)}}};
    }
    messages::Messages back{
        {earlier.keyExisted ? messages::Id::EarlierValuesPutBack : messages::Id::WrittenValuesRemoved, {}}};
    if (!taken.changed.empty()) {
        back.push_back(ChangedValuesLeft(taken.changed));
    }
    return back;
}

messages::Messages TakeBackFromAnotherProgramsService(Platform& platform, const AnsiParameters& parameters,
                                                      const EarlierParameters& earlier, const WriteOutcome& written) {
    std::vector<std::wstring> names;
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (written.written.at(i)) {
            names.emplace_back(parameters.values.at(i).name);
        }
    }
    if (names.empty()) {
        return {};
    }
    const TakenBack taken = TakeBack(platform, parameters, earlier, written);
    const std::wstring listed = messages::Listed(names);
    if (taken.failure != kOsSuccess) {
        return {{messages::Id::WrittenValuesNotTakenBack, {listed, platform.ErrorText(taken.failure)}}};
    }
    if (taken.changed.size() == names.size()) {
        return {{messages::Id::WrittenValuesAllChanged, {listed}}};
    }
    messages::Messages back{{messages::Id::WrittenValuesTakenBack, {listed}}};
    if (!taken.changed.empty()) {
        back.push_back(ChangedValuesLeft(taken.changed));
    }
    return back;
}

}  // namespace qeltor
