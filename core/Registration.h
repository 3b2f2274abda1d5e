#pragma once

#include <string>

// What a service registered by the kit consists of, wherever it is created, read or undone: the
// service's own key, the Parameters key srvany.exe reads, and an event source of the service's
// name in the Application log. All under HKEY_LOCAL_MACHINE.
namespace qeltor::registration {

inline std::wstring ServiceKey(const std::wstring& service) {
    return L"SYSTEM\\CurrentControlSet\\Services\\" + service;
}

inline std::wstring ParametersKey(const std::wstring& service) {
    return ServiceKey(service) + L"\\Parameters";
}

inline std::wstring EventSourceKey(const std::wstring& service) {
    return L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + service;
}

// The values under the Parameters key: the program to run, the folder it runs in, its arguments.
inline constexpr const wchar_t* kApplicationValue = L"Application";
inline constexpr const wchar_t* kAppDirectoryValue = L"AppDirectory";
inline constexpr const wchar_t* kAppParametersValue = L"AppParameters";
// NAME=value lines (REG_MULTI_SZ) that the service host adds to the application's environment.
inline constexpr const wchar_t* kAppEnvironmentValue = L"AppEnvironment";

}  // namespace qeltor::registration
