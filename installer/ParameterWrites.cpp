#include "installer/ParameterWrites.h"

#include "installer/InstallerTexts.h"
#include "installer/RegistrationMessages.h"

#include <utility>
#include <vector>

namespace qeltor {
namespace {

// In the order they are written.
constexpr std::array<const wchar_t*, kParameterCount> kParameterNames{
    texts::kApplicationValue, texts::kAppDirectoryValue, texts::kAppParametersValue};

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

}  // namespace

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

WriteOutcome WriteParameters(Platform& platform, const AnsiParameters& parameters) {
    OpenRegKey key(platform);
    const OsStatus created = platform.RegCreateKeyA(kHkeyLocalMachine, parameters.keyPath, key.Handle());
    if (created != kOsSuccess) {
        return {0, messages::CannotCreateKey(platform.ErrorText(created))};
    }
    WriteOutcome outcome;
    for (const auto& value : parameters.values) {
        const OsStatus written =
            platform.RegSetValueExA(key.Handle(), value.nameBytes, 0, kRegSz, value.data, value.byteCount);
        if (written != kOsSuccess) {
            outcome.failure = messages::CannotWriteValue(value.name, platform.ErrorText(written));
            return outcome;
        }
        ++outcome.written;
    }
    return outcome;
}

OsStatus ReadEarlierParameters(Platform& platform, EarlierParameters& earlier) {
    const std::vector<std::wstring> names(kParameterNames.begin(), kParameterNames.end());
    const OsStatus read = platform.ReadRegistryValues(kHkeyLocalMachine, texts::kParametersKey, names, earlier.values);
    earlier.keyExisted = read == kOsSuccess;
    return read == kOsFileNotFound ? kOsSuccess : read;
}

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

std::wstring PutBackEarlierValues(Platform& platform, const EarlierParameters& earlier, std::size_t written) {
    if (!earlier.keyExisted) {
        return RemoveWrittenValues(platform, false);
    }
    if (written == 0) {
        return {};
    }
    for (std::size_t i = 0; i < written; ++i) {
        const std::wstring name = kParameterNames.at(i);
        const auto found = earlier.values.find(name);
        const auto value = found == earlier.values.end() ? std::nullopt : std::optional<StoredValue>(found->second);
        const OsStatus restored = platform.RestoreRegistryValue(kHkeyLocalMachine, texts::kParametersKey, name, value);
        if (restored != kOsSuccess) {
            return messages::EarlierValuesNotPutBack(platform.ErrorText(restored));
        }
    }
    return messages::EarlierValuesPutBack();
}

}  // namespace qeltor
