#pragma once

// Fixed names of the installer; its messages are in installer/Messages.cpp. The tools, the service
// name, the registry key and the stored setting are shared with the companion server and the service
// tools: keep them as they are.
namespace qeltor::texts {

inline constexpr const wchar_t* kInstsrvExe = L"instsrv.exe";
inline constexpr const wchar_t* kSrvanyExe = L"srvany.exe";

inline constexpr const wchar_t* kSettingsApplication = L"mxqeltor";
inline constexpr const wchar_t* kSettingsSection = L"m";
inline constexpr const wchar_t* kSettingsKey = L"exepath";

inline constexpr wchar_t kFolderSeparator = L'\\';

inline constexpr const wchar_t* kServiceName = L"Qeltor Monitoring Server";
// The server's own settings, which it reads from the current user's hive: as a service that is the
// hive of LocalSystem, HKEY_USERS\.DEFAULT (also reached as HKEY_USERS\S-1-5-18 on Windows).
inline constexpr const wchar_t* kSettingsTree = L"Software\\VB and VBA Program Settings\\mxqeltor";
inline constexpr const wchar_t* kServiceSettingsTree = L".DEFAULT\\Software\\VB and VBA Program Settings\\mxqeltor";

}  // namespace qeltor::texts
