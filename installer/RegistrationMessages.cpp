#include "installer/RegistrationMessages.h"

#include "installer/InstallerTexts.h"
#include "installer/PermissionRules.h"
#include "platform/Platform.h"
#include "win32/Decimal.h"

namespace qeltor::messages {
namespace {

constexpr const wchar_t* kParagraph = L"\r\n\r\n";

std::wstring Quoted(const std::wstring& text) {
    return L'"' + text + L'"';
}

std::wstring TheService() {
    return L"The service " + Quoted(texts::kServiceName);
}

// The one command that takes the service away, run where the administrator finds our instsrv.exe.
std::wstring RemoveCommand(const std::wstring& programFolder) {
    return L"run instsrv.exe " + Quoted(texts::kServiceName) +
           L" remove in a command prompt run as administrator, in the folder " + programFolder;
}

std::wstring FixTheStoredPath() {
    return std::wstring(L"Set the value exepath under ") + texts::kSettingShownAs +
           L" to the full path of the monitoring server's executable, then run QeltorService again.";
}

}  // namespace

std::wstring Unrepresentable(const std::wstring& path) {
    return L"Can't register the service: the path " + Quoted(path) +
           L" holds characters that this system's ANSI code page cannot represent, so the "
           L"service would not find it.";
}

std::wstring NotAFullPath(const std::wstring& path) {
    return L"Can't register the service: the path " + Quoted(path) +
           L" is not a full path, so the service, which starts in the system folder, would not find it. A full "
           L"path starts with a drive letter, a colon and a backslash (C:\\...) or names a share "
           L"(\\\\server\\share\\...)." +
           kParagraph + FixTheStoredPath();
}

std::wstring NotAProgram(const std::wstring& path, const std::wstring& reason) {
    return L"Can't register the service: " + Quoted(path) +
           L" is not a program that Windows can start, so the service could not run it. The system says: " + reason +
           kParagraph + FixTheStoredPath();
}

std::wstring CannotStart(const std::wstring& program, const std::wstring& reason) {
    return L"Can't start " + program + L": " + reason;
}

std::wstring CannotCreateKey(const std::wstring& reason) {
    return std::wstring(L"Can't create the registry key ") + texts::kParametersKeyShownAs + L": " + reason;
}

std::wstring CannotWriteValue(const std::wstring& name, const std::wstring& reason) {
    return L"Can't write the registry value " + name + L" under " + texts::kParametersKeyShownAs + L": " + reason;
}

std::wstring InstsrvStillRunning(std::uint32_t seconds) {
    return L"instsrv.exe has not finished after " + DecimalText(seconds) +
           L" seconds, so it is not known whether it created the service " + Quoted(texts::kServiceName) + L"." +
           kParagraph +
           L"Look at the service in the Services console (services.msc). Once instsrv.exe has ended, press the "
           L"button again.";
}

std::wstring NotCreated(std::uint32_t exitCode) {
    return L"instsrv.exe did not create the service " + Quoted(texts::kServiceName) + L": it ended with exit code " +
           DecimalText(exitCode) + L"." + kParagraph +
           L"Make sure that QeltorService runs as an administrator, then press the button again. instsrv.exe "
           L"says why it fails when you run it in a command prompt run as administrator.";
}

std::wstring RunsAnotherProgram(const std::wstring& program, const std::wstring& programFolder) {
    return TheService() + L" exists already and runs another program: " + program +
           L". It was left unchanged, so it does not run the monitoring server through this folder's srvany.exe." +
           kParagraph + L"To replace it, " + RemoveCommand(programFolder) + L", then run QeltorService again.";
}

std::wstring NotAutomatic(std::uint32_t startType) {
    const wchar_t* how = startType == kServiceDisabled      ? L" is disabled"
                         : startType == kServiceDemandStart ? L" is set to start manually"
                                                            : L" does not start automatically";
    return TheService() + how + L", so it will not start with Windows." + kParagraph +
           L"Set its startup type to Automatic in the Services console (services.msc), or run sc config " +
           Quoted(texts::kServiceName) + L" start= auto in a command prompt run as administrator.";
}

std::wstring CannotQuery(const std::wstring& reason) {
    return L"Can't check the service " + Quoted(texts::kServiceName) + L" with the service manager: " + reason +
           kParagraph + L"Look at the service in the Services console (services.msc).";
}

std::wstring WrittenValuesRemoved() {
    return std::wstring(kParagraph) + L"The values written for the service were removed again.";
}

std::wstring WrittenValuesLeft(const std::wstring& reason) {
    return kParagraph + std::wstring(L"The values written under ") + texts::kParametersKeyShownAs +
           L" could not be removed again: " + reason;
}

std::wstring CreatedServiceRemoved() {
    return kParagraph + TheService() +
           L" that instsrv.exe had just created was removed again, so nothing is left half-written.";
}

std::wstring CreatedServiceLeft(const std::wstring& reason, const std::wstring& programFolder) {
    return kParagraph + TheService() + L" that instsrv.exe had just created could not be removed again: " + reason +
           L" To remove it, " + RemoveCommand(programFolder) + L".";
}

std::wstring CreatedServiceUnknown(std::uint32_t seconds, const std::wstring& programFolder) {
    return kParagraph + std::wstring(L"instsrv.exe has not finished after ") + DecimalText(seconds) +
           L" seconds, so a service it creates is left as it is. To remove it, " + RemoveCommand(programFolder) + L".";
}

}  // namespace qeltor::messages

namespace qeltor::messages {

std::wstring ChangeableByUsers(const std::wstring& path, const permissions::Changer& changer, bool isFolder) {
    return L"Can't register the service: " + permissions::ChangeableText(path, changer) + kParagraph +
           permissions::FixWords() + L":\r\n" + permissions::FixCommand(path, isFolder) + kParagraph +
           L"Then press the button again.";
}

std::wstring PermissionsUnreadable(const std::wstring& path, const std::wstring& reason) {
    return L"Can't register the service: the permissions of " + Quoted(path) +
           L" cannot be read, so it is not known whether users who are no administrators can change what the "
           L"service runs with full control of this computer. The system says: " +
           reason + kParagraph +
           L"Make sure that QeltorService runs as an administrator and that administrators may read these "
           L"permissions, then press the button again.";
}

}  // namespace qeltor::messages
