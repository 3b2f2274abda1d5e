#include "installer/RegistrationMessages.h"

#include "installer/InstallerTexts.h"
#include "installer/PermissionRules.h"
#include "installer/StoredText.h"
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

// "A", "A and B", "A, B and C".
std::wstring Listed(const std::vector<std::wstring>& names) {
    std::wstring list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        list += (i == 0 ? L"" : i + 1 == names.size() ? L" and " : L", ") + names[i];
    }
    return list;
}

// A value as the user would recognise it in the Registry Editor.
std::wstring Shown(const StoredValue& value) {
    const auto text = TextOf(value);
    if (!text) {
        return L"a value of type " + DecimalText(value.type);
    }
    return Quoted(*text) + (value.type == kRegExpandSz ? L" (REG_EXPAND_SZ)" : L"");
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

std::wstring PathTooLong(const std::wstring& path, std::size_t limit) {
    return L"Can't register the service: the path " + Quoted(path) + L" is " + DecimalText(path.size()) +
           L" characters long, and the service can start a program only from a path shorter than " +
           DecimalText(limit) + L" characters." + kParagraph +
           L"Install the monitoring server in a folder with a shorter path and run it once, then run QeltorService "
           L"again.";
}

std::wstring SixtyFourBitOnThirtyTwo(const std::wstring& path, const std::wstring& reason) {
    return L"Can't register the service: " + Quoted(path) +
           L" is a 64-bit program, and this Windows is 32-bit, so the service could not start it. The system "
           L"says: " +
           reason + kParagraph +
           L"Install the 32-bit edition of the monitoring server and run it once, then run QeltorService again.";
}

std::wstring CannotReadValues(const std::wstring& reason) {
    return std::wstring(L"Can't read the values under ") + texts::kParametersKeyShownAs + L": " + reason + kParagraph +
           L"Nothing was started or written.";
}

std::wstring OnDriveTheServiceLacks(const std::wstring& what, const std::wstring& path, wchar_t drive, DriveKind kind,
                                    bool isKitFolder) {
    const std::wstring letter{drive, L':'};
    const bool mapped = kind == DriveKind::Network || kind == DriveKind::Subst;
    const std::wstring where = kind == DriveKind::Network ? L"a network drive (" + letter + L")"
                               : kind == DriveKind::Subst ? L"a drive made with subst (" + letter + L")"
                               : kind == DriveKind::CdRom ? L"a CD or DVD drive (" + letter + L")"
                                                          : L"a removable drive (" + letter + L")";
    const std::wstring why = mapped ? L"A service starts without the drive letters that a user's logon maps, so it "
                                      L"would not find it."
                                    : L"The service could start it only while that medium happens to be inserted.";
    const std::wstring fix =
        isKitFolder ? L"Unpack QeltorService to a folder on a local drive, such as C:\\Program Files\\QeltorService, "
                      L"and run it from there."
                    : L"Copy the monitoring server to a folder on a local drive (or run it from its share, "
                      L"\\\\server\\share\\...), run it once from there, then run QeltorService again.";
    return L"Can't register the service: " + what + L" " + Quoted(path) + L" is on " + where + L". " + why +
           kParagraph + fix;
}

std::wstring SettingsNotCopied(const std::wstring& reason, const std::wstring& failedKey) {
    const std::wstring where = failedKey.empty() ? std::wstring{}
                                                 : L" The key that could not be copied is " + failedKey +
                                                       L"; nothing was copied, and the settings that the service's "
                                                       L"account had are left as they were.";
    return TheService() +
           L" is registered and runs the monitoring server from the next start of Windows, but the server's settings "
           L"could not be copied for the account the service runs as: " +
           reason + where + kParagraph + L"As a service the server reads its settings from HKEY_USERS\\" +
           texts::kServiceSettingsTree +
           L", not from yours. Press the button again, or run in a command prompt run as "
           L"administrator:\r\nreg copy \"HKCU\\" +
           texts::kSettingsTree + L"\" \"HKU\\" + texts::kServiceSettingsTree + L"\" /s /f";
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

std::wstring MarkedForDeletion() {
    return TheService() +
           L" is marked for deletion: it was removed while a program such as the Services console or Event Viewer "
           L"held it open, and it goes once they are closed; no setting made to it would last." +
           kParagraph +
           L"Close the Services console, Event Viewer and any other program that shows services, or restart "
           L"Windows, then run QeltorService again.";
}

std::wstring UnquotedPath(const std::wstring& stored, const std::wstring& program) {
    const std::wstring firstWord = stored.substr(0, stored.find(L' '));
    return TheService() + L" runs " + stored +
           L" without quotes around the path. Since the path holds a space, Windows may start " + firstWord +
           L".exe instead, with the rest as its arguments. It was left unchanged." + kParagraph +
           L"To quote the path, run sc config " + Quoted(texts::kServiceName) + L" binPath= \"\\\"" + program +
           L"\\\"\" in a command prompt run as administrator, then run QeltorService again.";
}

std::wstring RemovedMeanwhile(bool createdByInstsrv) {
    const wchar_t* how = createdByInstsrv ? L" was created by instsrv.exe, which ended with exit code 0"
                                          : L" was there when the button was pressed";
    return TheService() + how +
           L", but now the service manager has no such service: something else removed it in the meantime." +
           kParagraph +
           L"Look in the Services console (services.msc) for what removes it, then press the button again.";
}

std::wstring CannotQuery(const std::wstring& reason) {
    return L"Can't check the service " + Quoted(texts::kServiceName) + L" with the service manager: " + reason +
           kParagraph + L"Look at the service in the Services console (services.msc).";
}

std::wstring ValuesChangedMeanwhile(const std::vector<ValueFound>& wrong) {
    std::wstring found;
    for (const auto& value : wrong) {
        found += (found.empty() ? L"" : L"; ") + std::wstring(value.name) +
                 (value.found ? L" holds " + Shown(*value.found) : std::wstring(L" is missing"));
    }
    return TheService() + L" is registered, but its values under " + texts::kParametersKeyShownAs +
           L" are not as QeltorService wrote them: " + found +
           L". Something else changed the service while QeltorService was registering it, so the service would not "
           L"start the monitoring server as it should." +
           kParagraph +
           L"Find the program that changes the service (a deployment tool or a script, for example), then press the "
           L"button again.";
}

std::wstring CannotReadValuesBack(const std::wstring& reason) {
    return TheService() + L" is registered, but its values under " + texts::kParametersKeyShownAs +
           L" could not be read back, so it is not known whether the service will start the monitoring server: " +
           reason + kParagraph + L"Press the button again.";
}

std::wstring CreatedByAnotherProgram(const std::wstring& program, const std::wstring& programFolder,
                                     const std::wstring& written) {
    return L"Another program created the service " + Quoted(texts::kServiceName) +
           L" while QeltorService was registering it, and the service runs that program: " + program +
           L". It does not run the monitoring server through this folder's srvany.exe." + written + kParagraph +
           L"To replace it, " + RemoveCommand(programFolder) + L", then run QeltorService again.";
}

std::wstring ValuesKept(const std::vector<ValueFound>& kept) {
    if (kept.empty()) {
        return {};
    }
    std::wstring values;
    for (const auto& value : kept) {
        values += (values.empty() ? L"" : L"; ") + std::wstring(value.name) + L" is " + Shown(*value.found);
    }
    return kParagraph + std::wstring(L"These values under ") + texts::kParametersKeyShownAs +
           L" were set by hand and were kept as they are: " + values +
           L". To have QeltorService write one of them again, delete that value, then run QeltorService again.";
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

std::wstring EarlierValuesPutBack() {
    return kParagraph + std::wstring(L"The values under ") + texts::kParametersKeyShownAs +
           L" were put back as they were before the button was pressed.";
}

std::wstring EarlierValuesNotPutBack(const std::wstring& reason) {
    return kParagraph + std::wstring(L"The values under ") + texts::kParametersKeyShownAs +
           L" could not be put back as they were before the button was pressed: " + reason;
}

std::wstring ChangedValuesLeft(const std::vector<std::wstring>& names) {
    if (names.empty()) {
        return {};
    }
    const bool one = names.size() == 1;
    return L" Except " + Listed(names) + L": something else changed " + (one ? L"it" : L"them") +
           L" after QeltorService wrote " + (one ? L"it" : L"them") + L", so " + (one ? L"it was" : L"they were") +
           L" left as " + (one ? L"it is." : L"they are.");
}

std::wstring WrittenIntoAnotherProgramsService(const std::vector<std::wstring>& names,
                                               const std::vector<std::wstring>& changed, const std::wstring& failure) {
    const std::wstring wrote = kParagraph + std::wstring(L"QeltorService had written ") + Listed(names) + L" under " +
                               texts::kParametersKeyShownAs + L"; ";
    if (!failure.empty()) {
        return wrote + L"they could not be removed again: " + failure;
    }
    if (changed.size() == names.size()) {
        return wrote + L"something else changed them after that, so they were left as they are.";
    }
    return wrote + L"they were removed again." + ChangedValuesLeft(changed);
}

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
