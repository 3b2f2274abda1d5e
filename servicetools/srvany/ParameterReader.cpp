#include "servicetools/srvany/ParameterReader.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/Registration.h"
#include "servicetools/srvany/MessageText.h"
#include "servicetools/srvany/ValueType.h"
#include "win32/Environment.h"
#include "win32/Handles.h"
#include "win32/RegistryKey.h"
#include "win32/RegistryText.h"

namespace qeltor::service {
namespace {

using TextValue = std::variant<std::optional<std::wstring>, HostFailure>;

// `what` names the value or the key, then the system's reason.
HostFailure Failure(Reason reason, const std::wstring& what, DWORD error) {
    return HostFailure{error, reason, {what, SystemReason(error)}};
}

// With the service's own environment, as the service manager gives it; a variable it does not
// know stays as written, and the path checks that follow say what is wrong with it.
TextValue Expanded(const wchar_t* name, const std::wstring& text) {
    std::wstring expanded;
    if (const DWORD error = win32::ExpandEnvironment(text, expanded); error != ERROR_SUCCESS) {
        return Failure(Reason::CannotExpandValue, name, error);
    }
    return std::optional<std::wstring>(expanded);
}

TextValue ReadText(HKEY key, const wchar_t* name) {
    std::wstring text;
    DWORD type = 0;
    const DWORD status = win32::ReadRegistryText(key, name, {REG_SZ, REG_EXPAND_SZ}, text, type);
    if (status == ERROR_FILE_NOT_FOUND) {
        return std::optional<std::wstring>();
    }
    if (auto refused = status == win32::kWrongValueType ? RefuseNonText(name, type) : std::nullopt) {
        return *refused;
    }
    if (status != ERROR_SUCCESS) {
        return Failure(Reason::CannotReadValue, name, status);
    }
    if (type == REG_EXPAND_SZ) {
        return Expanded(name, text);
    }
    return std::optional<std::wstring>(text);
}

// AppEnvironment's lines: none when it is not there.
std::variant<std::vector<std::wstring>, HostFailure> ReadEnvironmentLines(HKEY key) {
    DWORD type = 0;
    std::string bytes;
    const DWORD status = win32::ReadRegistryBytes(key, registration::kAppEnvironmentValue, type, bytes);
    if (status == ERROR_FILE_NOT_FOUND) {
        return std::vector<std::wstring>();
    }
    if (status != ERROR_SUCCESS) {
        return Failure(Reason::CannotReadValue, registration::kAppEnvironmentValue, status);
    }
    if (type != REG_MULTI_SZ) {
        return HostFailure{ERROR_INVALID_DATA, Reason::EnvironmentNotLines, {RegistryTypeName(type)}};
    }
    std::wstring data(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(data.data(), bytes.data(), data.size() * sizeof(wchar_t));
    return MultiStringLines(data);
}

}  // namespace

std::variant<HostParameters, HostFailure> ReadHostParameters(const std::wstring& serviceName) {
    const std::wstring path = registration::ParametersKey(serviceName);
    win32::UniqueRegKey key;
    const DWORD status = win32::OpenRegistryKey(HKEY_LOCAL_MACHINE, path, KEY_QUERY_VALUE, key);
    if (status == ERROR_FILE_NOT_FOUND) {
        return HostParameters{};
    }
    if (status != ERROR_SUCCESS) {
        return Failure(Reason::CannotOpenParameters, path, status);
    }
    HostParameters parameters;
    struct Field {
        const wchar_t* name;
        std::optional<std::wstring>* target;
    };
    const Field fields[] = {{registration::kApplicationValue, &parameters.application},
                            {registration::kAppDirectoryValue, &parameters.directory},
                            {registration::kAppParametersValue, &parameters.arguments}};
    for (const Field& field : fields) {
        auto value = ReadText(key.get(), field.name);
        if (auto* failure = std::get_if<HostFailure>(&value)) {
            return *failure;
        }
        *field.target = std::get<std::optional<std::wstring>>(std::move(value));
    }
    auto environment = ReadEnvironmentLines(key.get());
    if (auto* failure = std::get_if<HostFailure>(&environment)) {
        return *failure;
    }
    parameters.environment = std::get<std::vector<std::wstring>>(std::move(environment));
    return parameters;
}

}  // namespace qeltor::service
