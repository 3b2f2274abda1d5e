#include "installer/ServiceRegistration.h"

#include "installer/InstallerTexts.h"

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

std::wstring UnrepresentableMessage(const std::wstring& text) {
    return L"Can't register the service: the path \"" + text +
           L"\" holds characters that this system's ANSI code page cannot represent, so the "
           L"service would not find it.";
}

// `text` converted, or nothing after telling the user why it cannot be.
std::optional<std::string> ConvertOrReport(Platform& platform, const std::wstring& text) {
    auto converted = platform.ToAnsiCodePage(text);
    if (!converted) {
        platform.rtcMsgBox(UnrepresentableMessage(text), kMsgBoxCritical);
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
    ~OpenRegKey() { Close(); }

    RegKey& Handle() { return key_; }

    void Close() {
        if (key_ != kNullRegKey) {
            platform_.RegCloseKey(key_);
            key_ = kNullRegKey;
        }
    }

private:
    Platform& platform_;
    RegKey key_ = kNullRegKey;
};

bool ReportFailure(Platform& platform, const std::wstring& what, OsStatus status) {
    platform.rtcMsgBox(what + L": " + platform.ErrorText(status), kMsgBoxCritical);
    return false;
}

bool WriteParameters(Platform& platform, const AnsiParameters& parameters) {
    OpenRegKey key(platform);
    const OsStatus created = platform.RegCreateKeyA(kHkeyLocalMachine, parameters.keyPath, key.Handle());
    if (created != kOsSuccess) {
        key.Close();
        return ReportFailure(platform, std::wstring(L"Can't create the registry key ") + texts::kParametersKeyShownAs,
                             created);
    }
    for (const auto& value : parameters.values) {
        const OsStatus written =
            platform.RegSetValueExA(key.Handle(), value.nameBytes, 0, kRegSz, value.data, value.byteCount);
        if (written != kOsSuccess) {
            key.Close();
            return ReportFailure(platform,
                                 std::wstring(L"Can't write the registry value ") + value.name + L" under " +
                                     texts::kParametersKeyShownAs,
                                 written);
        }
    }
    key.Close();
    return true;
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

    const OsStatus started = platform.rtcShell(BuildInstsrvCommandLine(paths), kShellNormalNoFocus);
    if (started != kOsSuccess) {
        return ReportFailure(platform, L"Can't start " + paths.ProgramFolder + texts::kInstsrvExe, started);
    }

    if (!WriteParameters(platform, *parameters)) {
        return false;
    }

    platform.rtcMsgBox(SuccessMessage(), kMsgBoxInformation);
    platform.Unload();
    return true;
}

}  // namespace qeltor
