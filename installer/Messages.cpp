#include "installer/Messages.h"

#include "win32/MessageInserts.h"

#include <array>

namespace qeltor::messages {
namespace {

struct Entry {
    Id id;
    // Plain ASCII, kept in single bytes: the table is the largest text of the program.
    const char* text;
};

// Each failure says what failed, then the system's reason where there is one, then in a paragraph
// of its own what to do next. What is added to a failure begins with its own separator.
constexpr std::array<Entry, kMessageCount> kTable{{
    {Id::MissingInstsrv, "Can't find instsrv.exe"},
    {Id::MissingSrvany, "Can't find srvany.exe"},
    {Id::MissingServer, "Can't find our Monitoring Server files."},
    {Id::WindowNotOpened, "Can't open the window of QeltorService: %1 Nothing was changed."},

    {Id::Success,
     "Run as service successfully. Please restart your Windows,the monitoring server will run as a service called "
     "'Qeltor Monitoring Server'.\r\nIf you need view the interface of monitoring server, you should stop the "
     "service first through your Windows Control Panel, then run the executable file manually."},
    {Id::ValuesKept,
     "\r\n\r\nThese values under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring "
     "Server\\Parameters were set by hand and were kept as they are: %1. To have QeltorService write one of them "
     "again, delete that value, then run QeltorService again."},

    {Id::Unrepresentable,
     "Can't register the service: the path \"%1\" holds characters that this system's ANSI code page cannot "
     "represent, so the service would not find it."},
    {Id::NotAFullPath,
     "Can't register the service: the path \"%1\" is not a full path, so the service, which starts in the system "
     "folder, would not find it. A full path starts with a drive letter, a colon and a backslash (C:\\...) or names "
     "a share (\\\\server\\share\\...).\r\n\r\nSet the value exepath under HKEY_CURRENT_USER\\Software\\VB and VBA "
     "Program Settings\\mxqeltor\\m to the full path of the monitoring server's executable, then run QeltorService "
     "again."},
    {Id::NotAProgram,
     "Can't register the service: \"%1\" is not a program that Windows can start, so the service could not run it. "
     "The system says: %2\r\n\r\nSet the value exepath under HKEY_CURRENT_USER\\Software\\VB and VBA Program "
     "Settings\\mxqeltor\\m to the full path of the monitoring server's executable, then run QeltorService again."},
    {Id::PathTooLong,
     "Can't register the service: the path \"%1\" is %2 characters long, and the service can start a program only "
     "from a path shorter than %3 characters.\r\n\r\nInstall the monitoring server in a folder with a shorter path "
     "and run it once, then run QeltorService again."},
    {Id::SixtyFourBitOnThirtyTwo,
     "Can't register the service: \"%1\" is a 64-bit program, and this Windows is 32-bit, so the service could not "
     "start it. The system says: %2\r\n\r\nInstall the 32-bit edition of the monitoring server and run it once, then "
     "run QeltorService again."},

    {Id::ServerOnNetworkDrive,
     "Can't register the service: the monitoring server's executable \"%1\" is on a network drive (%2:). A service "
     "starts without the drive letters that a user's logon maps, so it would not find it.\r\n\r\nCopy the monitoring "
     "server to a folder on a local drive (or run it from its share, \\\\server\\share\\...), run it once from there, "
     "then run QeltorService again."},
    {Id::ServerOnSubstDrive,
     "Can't register the service: the monitoring server's executable \"%1\" is on a drive made with subst (%2:). A "
     "service starts without the drive letters that a user's logon maps, so it would not find it.\r\n\r\nCopy the "
     "monitoring server to a folder on a local drive (or run it from its share, \\\\server\\share\\...), run it once "
     "from there, then run QeltorService again."},
    {Id::ServerOnRemovableDrive,
     "Can't register the service: the monitoring server's executable \"%1\" is on a removable drive (%2:). The "
     "service could start it only while that medium happens to be inserted.\r\n\r\nCopy the monitoring server to a "
     "folder on a local drive (or run it from its share, \\\\server\\share\\...), run it once from there, then run "
     "QeltorService again."},
    {Id::ServerOnCdDrive,
     "Can't register the service: the monitoring server's executable \"%1\" is on a CD or DVD drive (%2:). The "
     "service could start it only while that medium happens to be inserted.\r\n\r\nCopy the monitoring server to a "
     "folder on a local drive (or run it from its share, \\\\server\\share\\...), run it once from there, then run "
     "QeltorService again."},
    {Id::KitOnNetworkDrive,
     "Can't register the service: this kit's folder \"%1\" is on a network drive (%2:). A service starts without the "
     "drive letters that a user's logon maps, so it would not find it.\r\n\r\nUnpack QeltorService to a folder on a "
     "local drive, such as C:\\Program Files\\QeltorService, and run it from there."},
    {Id::KitOnSubstDrive,
     "Can't register the service: this kit's folder \"%1\" is on a drive made with subst (%2:). A service starts "
     "without the drive letters that a user's logon maps, so it would not find it.\r\n\r\nUnpack QeltorService to a "
     "folder on a local drive, such as C:\\Program Files\\QeltorService, and run it from there."},
    {Id::KitOnRemovableDrive,
     "Can't register the service: this kit's folder \"%1\" is on a removable drive (%2:). The service could start it "
     "only while that medium happens to be inserted.\r\n\r\nUnpack QeltorService to a folder on a local drive, such "
     "as C:\\Program Files\\QeltorService, and run it from there."},
    {Id::KitOnCdDrive,
     "Can't register the service: this kit's folder \"%1\" is on a CD or DVD drive (%2:). The service could start it "
     "only while that medium happens to be inserted.\r\n\r\nUnpack QeltorService to a folder on a local drive, such "
     "as C:\\Program Files\\QeltorService, and run it from there."},
    {Id::ChangeableByUsers,
     "Can't register the service: users who are no administrators can change \"%1\": %2 %3. The service runs it with "
     "full control of this computer at every start of Windows, so any of them could take over this computer.\r\n\r\n"
     "Move it to a folder that only administrators can change, such as one under C:\\Program Files, or run this in a "
     "command prompt run as administrator:\r\n%4\r\n\r\nThen press the button again."},
    {Id::PermissionsUnreadable,
     "Can't register the service: the permissions of \"%1\" cannot be read, so it is not known whether users who are "
     "no administrators can change what the service runs with full control of this computer. The system says: "
     "%2\r\n\r\nMake sure that QeltorService runs as an administrator and that administrators may read these "
     "permissions, then press the button again."},

    {Id::RunsAnotherProgram,
     "The service \"Qeltor Monitoring Server\" exists already and runs another program: %1. It was left unchanged, "
     "so it does not run the monitoring server through this folder's srvany.exe.\r\n\r\nTo replace it, run "
     "instsrv.exe \"Qeltor Monitoring Server\" remove in a command prompt run as administrator, in the folder %2, "
     "then run QeltorService again."},
    {Id::Disabled,
     "The service \"Qeltor Monitoring Server\" is disabled, so it will not start with Windows.\r\n\r\nSet its "
     "startup type to Automatic in the Services console (services.msc), or run sc config \"Qeltor Monitoring "
     "Server\" start= auto in a command prompt run as administrator."},
    {Id::StartsManually,
     "The service \"Qeltor Monitoring Server\" is set to start manually, so it will not start with Windows.\r\n\r\n"
     "Set its startup type to Automatic in the Services console (services.msc), or run sc config \"Qeltor "
     "Monitoring Server\" start= auto in a command prompt run as administrator."},
    {Id::NotAutomatic,
     "The service \"Qeltor Monitoring Server\" does not start automatically, so it will not start with "
     "Windows.\r\n\r\nSet its startup type to Automatic in the Services console (services.msc), or run sc config "
     "\"Qeltor Monitoring Server\" start= auto in a command prompt run as administrator."},
    {Id::MarkedForDeletion,
     "The service \"Qeltor Monitoring Server\" is marked for deletion: it was removed while a program such as the "
     "Services console or Event Viewer held it open, and it goes once they are closed; no setting made to it would "
     "last.\r\n\r\nClose the Services console, Event Viewer and any other program that shows services, or restart "
     "Windows, then run QeltorService again."},
    {Id::UnquotedPath,
     "The service \"Qeltor Monitoring Server\" runs %1 without quotes around the path. Since the path holds a space, "
     "Windows may start %2.exe instead, with the rest as its arguments. It was left unchanged.\r\n\r\nTo quote the "
     "path, run sc config \"Qeltor Monitoring Server\" binPath= \"\\\"%3\\\"\" in a command prompt run as "
     "administrator, then run QeltorService again."},
    {Id::CannotQuery,
     "Can't check the service \"Qeltor Monitoring Server\" with the service manager: %1\r\n\r\nLook at the service "
     "in the Services console (services.msc)."},
    {Id::CannotReadValues,
     "Can't read the values under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring "
     "Server\\Parameters: %1\r\n\r\nNothing was started or written."},

    {Id::CannotStart, "Can't start %1: %2"},
    {Id::CannotCreateKey,
     "Can't create the registry key HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring "
     "Server\\Parameters: %1"},
    {Id::CannotWriteValue,
     "Can't write the registry value %1 under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor "
     "Monitoring Server\\Parameters: %2"},
    {Id::InstsrvStillRunning,
     "instsrv.exe has not finished after %1 seconds, so it is not known whether it created the service \"Qeltor "
     "Monitoring Server\".\r\n\r\nLook at the service in the Services console (services.msc). Once instsrv.exe has "
     "ended, press the button again."},
    {Id::NotCreated,
     "instsrv.exe did not create the service \"Qeltor Monitoring Server\": it ended with exit code %1.\r\n\r\nMake "
     "sure that QeltorService runs as an administrator, then press the button again. instsrv.exe says why it fails "
     "when you run it in a command prompt run as administrator."},
    {Id::RemovedAfterCreation,
     "The service \"Qeltor Monitoring Server\" was created by instsrv.exe, which ended with exit code 0, but now the "
     "service manager has no such service: something else removed it in the meantime.\r\n\r\nLook in the Services "
     "console (services.msc) for what removes it, then press the button again."},
    {Id::RemovedAfterClick,
     "The service \"Qeltor Monitoring Server\" was there when the button was pressed, but now the service manager "
     "has no such service: something else removed it in the meantime.\r\n\r\nLook in the Services console "
     "(services.msc) for what removes it, then press the button again."},
    {Id::ValuesChangedMeanwhile,
     "The service \"Qeltor Monitoring Server\" is registered, but its values under "
     "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring Server\\Parameters are not as "
     "QeltorService wrote them: %1. Something else changed the service while QeltorService was registering it, so "
     "the service would not start the monitoring server as it should.\r\n\r\nFind the program that changes the "
     "service (a deployment tool or a script, for example), then press the button again."},
    {Id::CannotReadValuesBack,
     "The service \"Qeltor Monitoring Server\" is registered, but its values under "
     "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring Server\\Parameters could not be "
     "read back, so it is not known whether the service will start the monitoring server: %1\r\n\r\nPress the "
     "button again."},
    {Id::CreatedByAnotherProgram,
     "Another program created the service \"Qeltor Monitoring Server\" while QeltorService was registering it, and "
     "the service runs that program: %1. It does not run the monitoring server through this folder's "
     "srvany.exe.%3\r\n\r\nTo replace it, run instsrv.exe \"Qeltor Monitoring Server\" remove in a command prompt "
     "run as administrator, in the folder %2, then run QeltorService again."},
    {Id::SettingsNotCopied,
     "The service \"Qeltor Monitoring Server\" is registered and runs the monitoring server from the next start of "
     "Windows, but the server's settings could not be copied for the account the service runs as: %1\r\n\r\nAs a "
     "service the server reads its settings from HKEY_USERS\\.DEFAULT\\Software\\VB and VBA Program "
     "Settings\\mxqeltor, not from yours. Press the button again, or run in a command prompt run as "
     "administrator:\r\nreg copy \"HKCU\\Software\\VB and VBA Program Settings\\mxqeltor\" \"HKU\\.DEFAULT\\Software"
     "\\VB and VBA Program Settings\\mxqeltor\" /s /f"},
    {Id::SettingsNotCopiedFromKey,
     "The service \"Qeltor Monitoring Server\" is registered and runs the monitoring server from the next start of "
     "Windows, but the server's settings could not be copied for the account the service runs as: %1 The key that "
     "could not be copied is %2; nothing was copied, and the settings that the service's account had are left as "
     "they were.\r\n\r\nAs a service the server reads its settings from HKEY_USERS\\.DEFAULT\\Software\\VB and VBA "
     "Program Settings\\mxqeltor, not from yours. Press the button again, or run in a command prompt run as "
     "administrator:\r\nreg copy \"HKCU\\Software\\VB and VBA Program Settings\\mxqeltor\" \"HKU\\.DEFAULT\\Software"
     "\\VB and VBA Program Settings\\mxqeltor\" /s /f"},

    {Id::WrittenValuesRemoved, "\r\n\r\nThe values written for the service were removed again."},
    {Id::WrittenValuesLeft,
     "\r\n\r\nThe values written under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring "
     "Server\\Parameters could not be removed again: %1"},
    {Id::CreatedServiceRemoved,
     "\r\n\r\nThe service \"Qeltor Monitoring Server\" that instsrv.exe had just created was removed again, so "
     "nothing is left half-written."},
    {Id::CreatedServiceLeft,
     "\r\n\r\nThe service \"Qeltor Monitoring Server\" that instsrv.exe had just created could not be removed again: "
     "%1 To remove it, run instsrv.exe \"Qeltor Monitoring Server\" remove in a command prompt run as administrator, "
     "in the folder %2."},
    {Id::CreatedServiceUnknown,
     "\r\n\r\ninstsrv.exe has not finished after %1 seconds, so a service it creates is left as it is. To remove it, "
     "run instsrv.exe \"Qeltor Monitoring Server\" remove in a command prompt run as administrator, in the folder "
     "%2."},
    {Id::EarlierValuesPutBack,
     "\r\n\r\nThe values under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring "
     "Server\\Parameters were put back as they were before the button was pressed."},
    {Id::EarlierValuesNotPutBack,
     "\r\n\r\nThe values under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring "
     "Server\\Parameters could not be put back as they were before the button was pressed: %1"},
    {Id::ChangedValueLeft,
     " Except %1: something else changed it after QeltorService wrote it, so it was left as it is."},
    {Id::ChangedValuesLeft,
     " Except %1: something else changed them after QeltorService wrote them, so they were left as they are."},
    {Id::WrittenValuesTakenBack,
     "\r\n\r\nQeltorService had written %1 under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor "
     "Monitoring Server\\Parameters; they were removed again."},
    {Id::WrittenValuesAllChanged,
     "\r\n\r\nQeltorService had written %1 under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor "
     "Monitoring Server\\Parameters; something else changed them after that, so they were left as they are."},
    {Id::WrittenValuesNotTakenBack,
     "\r\n\r\nQeltorService had written %1 under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor "
     "Monitoring Server\\Parameters; they could not be removed again: %2"},

    {Id::ValueIs, "%1 is %2"},
    {Id::ValueHolds, "%1 holds %2"},
    {Id::ValueMissing, "%1 is missing"},
    {Id::TextValue, "\"%1\""},
    {Id::ExpandTextValue, "\"%1\" (REG_EXPAND_SZ)"},
    {Id::ValueOfType, "a value of type %1"},
}};

constexpr bool InIdOrder() {
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        if (static_cast<std::size_t>(kTable.at(i).id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(InIdOrder(), "the table lists each message at the place of its id");

}  // namespace

std::wstring Render(const Message& message) {
    std::wstring text;
    for (const char* c = kTable.at(static_cast<std::size_t>(message.id)).text; *c != '\0'; ++c) {
        text += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    }
    return FillInserts(text, message.inserts);
}

std::wstring Render(const Messages& messages) {
    std::wstring text;
    for (const Message& message : messages) {
        text += Render(message);
    }
    return text;
}

std::wstring Listed(const std::vector<std::wstring>& names) {
    std::wstring list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        list += (i == 0 ? L"" : i + 1 == names.size() ? L" and " : L", ") + names[i];
    }
    return list;
}

}  // namespace qeltor::messages
