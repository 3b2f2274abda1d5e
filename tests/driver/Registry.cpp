#include "Registry.h"

#include "win32/RegistryKey.h"

#include <sddl.h>

#include <array>

namespace qeltor::driver {

std::wstring ServiceKey(const std::wstring& service) {
    return L"SYSTEM\\CurrentControlSet\\Services\\" + service;
}

std::wstring ParametersKey(const std::wstring& service) {
    return ServiceKey(service) + L"\\Parameters";
}

std::wstring EventSourceKey(const std::wstring& service) {
    return ServiceKey(L"EventLog\\Application\\" + service);
}

win32::UniqueRegKey OpenKey(HKEY root, const std::wstring& path, REGSAM access) {
    win32::UniqueRegKey key;
    win32::OpenRegistryKey(root, path, access, key);
    return key;
}

std::optional<RegValue> ReadValue(HKEY key, const wchar_t* name) {
    RegValue value{REG_NONE, std::vector<BYTE>(2048)};
    auto size = static_cast<DWORD>(value.bytes.size());
    if (::RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.bytes.resize(size);
    return value;
}

std::vector<BYTE> WideSz(std::wstring text) {
    text.push_back(L'\0');
    const auto* first = reinterpret_cast<const BYTE*>(text.data());
    return {first, first + text.size() * sizeof(wchar_t)};
}

std::optional<std::wstring> ReadMachineText(const std::wstring& key, const wchar_t* name) {
    constexpr DWORD kAsStored = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    std::vector<wchar_t> text(1024, L'\0');
    auto bytes = static_cast<DWORD>(text.size()) * static_cast<DWORD>(sizeof(wchar_t));
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, kAsStored, nullptr, text.data(), &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text.data());
}

std::optional<DWORD> ReadMachineNumber(const std::wstring& key, const wchar_t* name) {
    DWORD number = 0;
    DWORD bytes = sizeof(number);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &number, &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return number;
}

bool MachineKeyExists(const std::wstring& key) {
    return static_cast<bool>(OpenKey(HKEY_LOCAL_MACHINE, key, KEY_READ));
}

void WriteParameters(const std::wstring& service, const std::optional<std::wstring>& application,
                     const std::optional<std::wstring>& directory, const std::optional<std::wstring>& arguments,
                     DWORD type) {
    win32::UniqueRegKey key;
    win32::CreateRegistryKey(HKEY_LOCAL_MACHINE, ParametersKey(service), KEY_SET_VALUE, key);
    const std::pair<const wchar_t*, const std::optional<std::wstring>*> values[] = {
        {L"Application", &application}, {L"AppDirectory", &directory}, {L"AppParameters", &arguments}};
    for (const auto& [name, value] : values) {
        if (value->has_value()) {
            const std::vector<BYTE> bytes = WideSz(**value);
            const auto size = static_cast<DWORD>((*value)->empty() ? 0 : bytes.size());
            ::RegSetValueExW(key.get(), name, 0, type, bytes.data(), size);
        }
    }
}

std::wstring KeyDacl(HKEY root, const std::wstring& path) {
    const auto key = OpenKey(root, path, READ_CONTROL);
    std::array<BYTE, 1024> descriptor{};
    DWORD size = sizeof(descriptor);
    wchar_t* text = nullptr;
    if (!key || RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor.data(), &size) != ERROR_SUCCESS ||
        ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                             DACL_SECURITY_INFORMATION, &text, nullptr) == FALSE) {
        return {};
    }
    const win32::UniqueLocalMemory<wchar_t> textOwner(text);
    return text;
}

}  // namespace qeltor::driver
