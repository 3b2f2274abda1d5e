#include "servicetools/srvany/ParameterReader.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "servicetools/srvany/ValueType.h"
#include "win32/ErrorText.h"
#include "win32/Handles.h"

namespace qeltor::service {
namespace {

using TextValue = std::variant<std::optional<std::wstring>, HostFailure>;

HostFailure Failure(const std::wstring& what, DWORD error) {
    return HostFailure{error, what + L": " + win32::ErrorText(error)};
}

// With the service's own environment, as the service manager gives it; a variable it does not
// know stays as written, and the path checks that follow say what is wrong with it.
TextValue Expanded(const wchar_t* name, const std::wstring& text) {
    std::wstring expanded(text.size() + 1, L'\0');
    for (;;) {
        const DWORD needed =
            ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (needed == 0) {
            return Failure(std::wstring(L"Cannot expand the Parameters value ") + name, ::GetLastError());
        }
        if (needed <= expanded.size()) {
            expanded.resize(needed - 1);
            return std::optional<std::wstring>(expanded);
        }
        expanded.resize(needed);
    }
}

// RegQueryValueExW neither adds a missing terminator nor minds a 0-byte string, so the length
// comes from the byte count and stops at the first NUL.
TextValue ReadText(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD bytes = 0;
    LSTATUS status = ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) {
        return std::optional<std::wstring>();
    }
    if (status != ERROR_SUCCESS) {
        return Failure(std::wstring(L"Cannot read the Parameters value ") + name, static_cast<DWORD>(status));
    }
    if (auto refused = RefuseNonText(name, type)) {
        return *refused;
    }
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    const size_t room = buffer.size() * sizeof(wchar_t);
    auto capacity = static_cast<DWORD>(room);
    status = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &capacity);
    if (status != ERROR_SUCCESS) {
        return Failure(std::wstring(L"Cannot read the Parameters value ") + name, static_cast<DWORD>(status));
    }
    const size_t stored = capacity / sizeof(wchar_t);
    std::wstring text(buffer.data(), stored < buffer.size() ? stored : buffer.size());
    text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
    if (type == REG_EXPAND_SZ) {
        return Expanded(name, text);
    }
    return std::optional<std::wstring>(text);
}

}  // namespace

std::variant<HostParameters, HostFailure> ReadHostParameters(const std::wstring& serviceName) {
    const std::wstring path = L"SYSTEM\\CurrentControlSet\\Services\\" + serviceName + L"\\Parameters";
    HKEY opened = nullptr;
    const LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &opened);
    if (status == ERROR_FILE_NOT_FOUND) {
        return HostParameters{};
    }
    if (status != ERROR_SUCCESS) {
        return Failure(L"Cannot open HKLM\\" + path, static_cast<DWORD>(status));
    }
    const win32::UniqueRegKey key(opened);
    HostParameters parameters;
    struct Field {
        const wchar_t* name;
        std::optional<std::wstring>* target;
    };
    const Field fields[] = {{L"Application", &parameters.application},
                            {L"AppDirectory", &parameters.directory},
                            {L"AppParameters", &parameters.arguments}};
    for (const Field& field : fields) {
        auto value = ReadText(key.get(), field.name);
        if (auto* failure = std::get_if<HostFailure>(&value)) {
            return *failure;
        }
        *field.target = std::get<std::optional<std::wstring>>(std::move(value));
    }
    return parameters;
}

}  // namespace qeltor::service
