#include "installer/Messages.h"

#include "core/MessageInserts.h"

#include <algorithm>
#include <array>

namespace qeltor::messages {
namespace {

// How an entry follows what comes before it in a box: it begins the text, or it is added as a
// paragraph, or as a sentence of the paragraph before it.
enum class Join : std::uint8_t { Start, Paragraph, Sentence };

// A failure says what failed, with the system's reason where there is one, in `text`, and what to
// do next in a paragraph of its own, `next`. Plain ASCII, kept in single bytes: the table is the
// largest text of the program.
struct Entry {
    Id id;
    Join join;
    const char* text;
    const char* next;
};

// The stored path of the server cannot be a service's program.
constexpr const char* kFixStoredPath =
    "Set the value exepath under HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\mxqeltor\\m to the "
    "full path of the monitoring server's executable, then run QeltorService again.";

// The server lies where a service does not reach it.
constexpr const char* kMoveServer =
    "Copy the monitoring server to a folder of its own on a local drive, such as one under C:\\Program Files, "
    "run it once from there, then run QeltorService again.";

// The kit lies where a service does not reach it.
constexpr const char* kMoveKit =
    "Unpack QeltorService to a folder on a local drive, such as C:\\Program Files\\QeltorService, and run it "
    "from there.";

// The kit lies where users' programs could change it.
constexpr const char* kInstallKit =
    "Install QeltorService with its package, or unpack it to a folder of its own under C:\\Program Files, and "
    "run it from there.";

// The server lies where what is beside it cannot be kept to administrators.
constexpr const char* kMoveServerToOwnFolder =
    "Move the monitoring server into a folder of its own that only administrators can change, such as one "
    "under C:\\Program Files, run it once from there, then run QeltorService again.";

// Another program's service has the service's name.
constexpr const char* kReplaceService =
    "To replace it, run instsrv.exe \"Qeltor Monitoring Server\" remove in a command prompt run as "
    "administrator, in the folder %2, then run QeltorService again.";

// The service does not start with Windows.
constexpr const char* kSetAutomatic =
    "Set its startup type to Automatic in the Services console (services.msc), or run sc config \"Qeltor "
    "Monitoring Server\" start= auto in a command prompt run as administrator.";

// The service went away while the click ran.
constexpr const char* kFindWhatRemovesIt =
    "Look in the Services console (services.msc) for what removes it, then press the button again.";

// The server's settings were not copied for the service's account.
constexpr const char* kCopySettingsByHand =
    "As a service the server reads its settings from HKEY_USERS\\.DEFAULT\\Software\\VB and VBA Program "
    "Settings\\mxqeltor, not from yours. Press the button again, or run in a command prompt run as "
    "administrator:\r\nreg copy \"HKCU\\Software\\VB and VBA Program Settings\\mxqeltor\" "
    "\"HKU\\.DEFAULT\\Software\\VB and VBA Program Settings\\mxqeltor\" /s /f";

constexpr std::array<Entry, kMessageCount> kTable{{
    {Id::MissingInstsrv, Join::Start, "Can't find instsrv.exe", nullptr},
    {Id::MissingSrvany, Join::Start, "Can't find srvany.exe", nullptr},
    {Id::MissingServer, Join::Start, "Can't find our Monitoring Server files.", nullptr},
    {Id::WindowNotOpened, Join::Start, "Can't open the window of QeltorService: %1 Nothing was changed.", nullptr},

    {Id::Success, Join::Start,
     "Run as service successfully. Please restart your Windows,the monitoring server will run as a service "
     "called 'Qeltor Monitoring Server'.\r\nIf you need view the interface of monitoring server, you should "
     "stop the service first through your Windows Control Panel, then run the executable file manually.",
     nullptr},
    {Id::ValuesKept, Join::Paragraph,
     "These values under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring "
     "Server\\Parameters were set by hand and were kept as they are: %1. To have QeltorService write one of "
     "them again, delete that value, then run QeltorService again.",
     nullptr},
    {Id::PreshutdownShort, Join::Paragraph,
     "At a shutdown of Windows the service manager waits only %1 ms for the service, not the %2 ms its stop may "
     "take; README.txt says how to set it.",
     nullptr},
    {Id::ExpandableApplicationReplaced, Join::Paragraph,
     "Application was \"%1\" (REG_EXPAND_SZ), which the service expands to \"%2\", not the server's path; it "
     "was replaced.",
     nullptr},
    {Id::SettingsReadableByOthers, Join::Paragraph,
     "The service account's copy of the server's settings was there before and keeps its permissions: %1 may "
     "read it.",
     nullptr},
    {Id::SettingsAreTheServicesOwn, Join::Paragraph,
     "QeltorService runs as the system, the account the service runs as, so the server's settings under "
     "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\mxqeltor are already the ones the service reads; "
     "nothing was copied.",
     nullptr},
    {Id::NoSettingsToCopy, Join::Paragraph,
     "The account that ran QeltorService holds no settings of the monitoring server under "
     "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\mxqeltor, so none were copied for the "
     "service's account; the server starts as a service with the settings under HKEY_USERS\\.DEFAULT.",
     nullptr},
    {Id::Usage, Join::Start, "QeltorService did not understand its command line at %1. Nothing was started or written.",
     "Run it without arguments for its window, or as:\r\nQeltorService.exe /quiet [/server \"<full path of the "
     "monitoring server's executable>\"] [/log \"<file>\"]\r\n/quiet registers the service without a window, "
     "/server names the server (otherwise the running account's stored exepath is used), /log appends the "
     "outcome to a file. The exit codes are listed in README.txt."},
    {Id::LogNotWritten, Join::Paragraph, "Can't write the log file \"%1\": %2",
     "The outcome above is not in that file. Give /log a file in a folder that the account running "
     "QeltorService can write to."},

    {Id::ServerPathChanged, Join::Start,
     "The monitoring server's path stored for you has changed since QeltorService started: it was \"%1\" and is "
     "now \"%2\". Nothing was started or written.",
     "Run QeltorService again, so that it registers the server that the setting names now."},
    {Id::Unrepresentable, Join::Start,
     "Can't register the service: the path \"%1\" holds characters that this system's ANSI code page cannot "
     "represent, so the service would not find it.",
     nullptr},
    {Id::NotAFullPath, Join::Start,
     "Can't register the service: the path \"%1\" is not a full path, so the service, which starts in the "
     "system folder, would not find it. A full path starts with a drive letter, a colon and a backslash "
     "(C:\\...) or names a share (\\\\server\\share\\...).",
     kFixStoredPath},
    {Id::NotAProgram, Join::Start,
     "Can't register the service: \"%1\" is not a program that Windows can start, so the service could not run "
     "it. The system says: %2",
     kFixStoredPath},
    {Id::PathTooLong, Join::Start,
     "Can't register the service: the path \"%1\" is %2 characters long, and the service can start a program "
     "only from a path shorter than %3 characters.",
     "Install the monitoring server in a folder with a shorter path and run it once, then run QeltorService "
     "again."},
    {Id::SixtyFourBitOnThirtyTwo, Join::Start,
     "Can't register the service: \"%1\" is a 64-bit program, and this Windows is 32-bit, so the service could "
     "not start it. The system says: %2",
     "Install the 32-bit edition of the monitoring server and run it once, then run QeltorService again."},
    {Id::ServerOnNetworkDrive, Join::Start,
     "Can't register the service: the monitoring server's executable \"%1\" is on a network drive (%2:). A "
     "service starts without the drive letters that a user's logon maps, so it would not find it.",
     kMoveServer},
    {Id::ServerOnSubstDrive, Join::Start,
     "Can't register the service: the monitoring server's executable \"%1\" is on a drive made with subst "
     "(%2:). A service starts without the drive letters that a user's logon maps, so it would not find it.",
     kMoveServer},
    {Id::ServerOnRemovableDrive, Join::Start,
     "Can't register the service: the monitoring server's executable \"%1\" is on a removable drive (%2:). The "
     "service could start it only while that medium happens to be inserted.",
     kMoveServer},
    {Id::ServerOnCdDrive, Join::Start,
     "Can't register the service: the monitoring server's executable \"%1\" is on a CD or DVD drive (%2:). The "
     "service could start it only while that medium happens to be inserted.",
     kMoveServer},
    {Id::KitOnNetworkDrive, Join::Start,
     "Can't register the service: this kit's folder \"%1\" is on a network drive (%2:). A service starts "
     "without the drive letters that a user's logon maps, so it would not find it.",
     kMoveKit},
    {Id::KitOnSubstDrive, Join::Start,
     "Can't register the service: this kit's folder \"%1\" is on a drive made with subst (%2:). A service "
     "starts without the drive letters that a user's logon maps, so it would not find it.",
     kMoveKit},
    {Id::KitOnRemovableDrive, Join::Start,
     "Can't register the service: this kit's folder \"%1\" is on a removable drive (%2:). The service could "
     "start it only while that medium happens to be inserted.",
     kMoveKit},
    {Id::KitOnCdDrive, Join::Start,
     "Can't register the service: this kit's folder \"%1\" is on a CD or DVD drive (%2:). The service could "
     "start it only while that medium happens to be inserted.",
     kMoveKit},
    {Id::KitOnShare, Join::Start,
     "Can't register the service: this kit's folder \"%1\" is on a network share. Windows starts the "
     "service's srvany.exe from there at every start, as the computer's account and maybe before the network "
     "is up, so the service might never start.",
     kMoveKit},
    {Id::ServerOnShare, Join::Start,
     "Can't register the service: the monitoring server's executable \"%1\" is on a network share. The service "
     "would fetch it over the network at every start, from a computer whose administrators are not this one's, "
     "and someone on the network could answer in its place.",
     kMoveServer},
    {Id::ServerOnDetachableDisk, Join::Start,
     "Can't register the service: the monitoring server's executable \"%1\" is on a removable drive (%2:, %3). "
     "The service could start it only while that disk is attached.",
     kMoveServer},
    {Id::KitOnDetachableDisk, Join::Start,
     "Can't register the service: this kit's folder \"%1\" is on a removable drive (%2:, %3). The service could "
     "start it only while that disk is attached.",
     kMoveKit},
    {Id::ServerInProfile, Join::Start,
     "Can't register the service: the monitoring server's executable \"%1\" lies in a user's profile folder "
     "(under %2). Programs that run as that user without administrator rights could replace it, and the "
     "service would run it with full control of this computer.",
     kMoveServerToOwnFolder},
    {Id::KitInProfile, Join::Start,
     "Can't register the service: this kit's folder \"%1\" lies in a user's profile folder (under %2). Programs "
     "that run as that user without administrator rights could replace its srvany.exe, which the service would "
     "run with full control of this computer.",
     kInstallKit},
    {Id::KeptFolderInProfile, Join::Start,
     "Can't register the service: the monitoring server's folder \"%1\" (its AppDirectory, set by hand) lies "
     "in a user's profile folder (under %2). Programs that run as that user without administrator rights could "
     "put DLLs there that the server would load with full control of this computer.",
     "Delete the value AppDirectory under the service's Parameters key, or set it to a folder under "
     "C:\\Program Files, then press the button again."},
    {Id::ChangeableByUsers, Join::Start,
     "Can't register the service: users who are no administrators can change \"%1\": %2 %3. The service runs "
     "it with full control of this computer at every start of Windows, so any of them could take over this "
     "computer.",
     "Move it to a folder that only administrators can change, such as one under C:\\Program Files, or run "
     "these one after the other in a command prompt or PowerShell run as administrator:\r\n%4\r\n\r\nThen press "
     "the button again."},
    {Id::FolderAboveChangeable, Join::Start,
     "Can't register the service: users who are no administrators can change \"%1\", a folder above \"%2\": "
     "%3 %4. Whoever can rename it or what it holds can put a folder of their own in its place, whose "
     "programs the service would run with full control of this computer at every start of Windows.",
     "Move what \"%2\" holds (the monitoring server, or this kit) into a folder under C:\\Program Files, "
     "which only administrators can change, and run it once from there; then run QeltorService again."},
    {Id::KitRootChangeableByUsers, Join::Start,
     "Can't register the service: users who are no administrators can change \"%1\", the root of the drive "
     "that holds this kit: %2 %3. The service would run srvany.exe from there with full control of this "
     "computer at every start of Windows, so any of them could take over this computer.",
     "Unpack QeltorService to a folder of its own under C:\\Program Files, which only administrators can "
     "change, and run it from there."},
    {Id::ServerAtDriveRoot, Join::Start,
     "Can't register the service: the monitoring server's executable \"%1\" lies directly in the root of "
     "drive %2:. What lies beside a program may be loaded with it, so the service would run whatever any "
     "user puts on that drive with full control of this computer.",
     kMoveServerToOwnFolder},
    {Id::RootChangeableByUsers, Join::Start,
     "Can't register the service: users who are no administrators can change \"%1\", the root of a drive that "
     "holds what the service runs: %2 %3.",
     "Move the program into a folder of its own under C:\\Program Files and run it once from there; then run "
     "QeltorService again. Leave the permissions of the drive's root as they are."},
    {Id::LinkChangeable, Join::Start,
     "Can't register the service: users who are no administrators can change the link \"%1\" on the way to "
     "what the service runs: %2 %3. They could put a folder of their own in its place.",
     "Move the monitoring server, or this kit, into a folder under C:\\Program Files that is no link, and run "
     "it once from there; then run QeltorService again."},
    {Id::TooManyBesideServer, Join::Start,
     "Can't register the service: the folder of the monitoring server's executable, \"%1\", holds more than "
     "%2 files and folders, too many to check that users who are no administrators can change none of them. "
     "The server may load what lies beside it, with full control of this computer.",
     kMoveServerToOwnFolder},
    {Id::TooManyInKitFolder, Join::Start,
     "Can't register the service: this kit's folder \"%1\" holds more than %2 files and folders, too many to "
     "check each.",
     kInstallKit},
    {Id::PermissionsUnreadable, Join::Start,
     "Can't register the service: the permissions of \"%1\" cannot be read, so it is not known whether users "
     "who are no administrators can change what the service runs with full control of this computer. The "
     "system says: %2",
     "Make sure that QeltorService runs as an administrator and that administrators may read these "
     "permissions, then press the button again."},

    {Id::PermissionsDenied, Join::Start,
     "Can't register the service: the permissions of \"%1\" cannot be read, so it is not known who can change "
     "it. The system says: %2",
     "Give it to Administrators by running this in a command prompt or PowerShell run as administrator, then "
     "press the button again:\r\n%3"},

    {Id::RunsAnotherProgram, Join::Start,
     "The service \"Qeltor Monitoring Server\" exists already and runs another program: %1. It was left "
     "unchanged, so it does not run the monitoring server through this folder's srvany.exe.",
     kReplaceService},
    {Id::Disabled, Join::Start,
     "The service \"Qeltor Monitoring Server\" is disabled, so it will not start with Windows.", kSetAutomatic},
    {Id::StartsManually, Join::Start,
     "The service \"Qeltor Monitoring Server\" is set to start manually, so it will not start with Windows.",
     kSetAutomatic},
    {Id::NotAutomatic, Join::Start,
     "The service \"Qeltor Monitoring Server\" does not start automatically, so it will not start with Windows.",
     kSetAutomatic},
    {Id::MarkedForDeletion, Join::Start,
     "The service \"Qeltor Monitoring Server\" is marked for deletion: it was removed while a program such as "
     "the Services console or Event Viewer held it open, and it goes once they are closed; no setting made to "
     "it would last.",
     "Close the Services console, Event Viewer and any other program that shows services, or restart Windows, "
     "then run QeltorService again."},
    {Id::UnquotedPath, Join::Start,
     "The service \"Qeltor Monitoring Server\" runs %1 without quotes around the path. Since the path holds a "
     "space, Windows may start %2.exe instead, with the rest as its arguments. It was left unchanged.",
     "To quote the path, run sc config \"Qeltor Monitoring Server\" binPath= \"\\\"%3\\\"\" in a command "
     "prompt run as administrator, then run QeltorService again."},
    {Id::CannotQuery, Join::Start, "Can't check the service \"Qeltor Monitoring Server\" with the service manager: %1",
     "Look at the service in the Services console (services.msc)."},
    {Id::CannotReadValues, Join::Start,
     "Can't read the values under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring "
     "Server\\Parameters: %1",
     "Nothing was started or written."},
    {Id::AnotherRegistrationRunning, Join::Start,
     "Another registration of the service \"Qeltor Monitoring Server\" is running on this computer, from this or "
     "another copy of QeltorService, and has not ended within %1 seconds. Nothing was started or written.",
     "Wait until it has ended, then press the button again."},
    {Id::CannotTellOtherRegistration, Join::Start,
     "Can't tell whether another registration of the service \"Qeltor Monitoring Server\" is running on this "
     "computer: %1 Nothing was started or written.",
     "Restart Windows, then run QeltorService again."},

    {Id::CannotStart, Join::Start, "Can't start %1: %2", nullptr},
    {Id::CannotCreateKey, Join::Start,
     "Can't create the registry key HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring "
     "Server\\Parameters: %1",
     nullptr},
    {Id::CannotWriteValue, Join::Start,
     "Can't write the registry value %1 under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor "
     "Monitoring Server\\Parameters: %2",
     nullptr},
    {Id::InstsrvStillRunning, Join::Start,
     "instsrv.exe has not finished after %1 seconds, so it is not known whether it created the service "
     "\"Qeltor Monitoring Server\".",
     "Look at the service in the Services console (services.msc). Once instsrv.exe has ended, press the button "
     "again."},
    {Id::NotCreated, Join::Start,
     "instsrv.exe did not create the service \"Qeltor Monitoring Server\": it ended with exit code %1.",
     "Make sure that QeltorService runs as an administrator, then press the button again. instsrv.exe says why "
     "it fails when you run it in a command prompt run as administrator."},
    {Id::RemovedAfterCreation, Join::Start,
     "The service \"Qeltor Monitoring Server\" was created by instsrv.exe, which ended with exit code 0, but "
     "now the service manager has no such service: something else removed it in the meantime.",
     kFindWhatRemovesIt},
    {Id::RemovedAfterClick, Join::Start,
     "The service \"Qeltor Monitoring Server\" was there when the button was pressed, but now the service "
     "manager has no such service: something else removed it in the meantime.",
     kFindWhatRemovesIt},
    {Id::ValuesChangedMeanwhile, Join::Start,
     "The service \"Qeltor Monitoring Server\" is registered, but its values under "
     "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring Server\\Parameters are not as "
     "QeltorService wrote them: %1. Something else changed the service while QeltorService was registering it, "
     "so the service would not start the monitoring server as it should.",
     "Find the program that changes the service (a deployment tool or a script, for example), then press the "
     "button again."},
    {Id::CannotReadValuesBack, Join::Start,
     "The service \"Qeltor Monitoring Server\" is registered, but its values under "
     "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring Server\\Parameters could not "
     "be read back, so it is not known whether the service will start the monitoring server: %1",
     "Press the button again."},
    {Id::CreatedByAnotherProgram, Join::Start,
     "Another program created the service \"Qeltor Monitoring Server\" while QeltorService was registering it, "
     "and the service runs that program: %1. It does not run the monitoring server through this folder's "
     "srvany.exe.%3",
     kReplaceService},
    {Id::SettingsNotCopied, Join::Start,
     "The service \"Qeltor Monitoring Server\" is registered and runs the monitoring server from the next "
     "start of Windows, but the server's settings could not be copied for the account the service runs as: %1",
     kCopySettingsByHand},
    {Id::SettingsNotCopiedFromKey, Join::Start,
     "The service \"Qeltor Monitoring Server\" is registered and runs the monitoring server from the next "
     "start of Windows, but the server's settings could not be copied for the account the service runs as: %1 "
     "The key that could not be copied is %2; nothing was copied, and the settings that the service's account "
     "had are left as they were.",
     kCopySettingsByHand},
    {Id::SettingsHoldALink, Join::Start,
     "The service \"Qeltor Monitoring Server\" is registered and runs the monitoring server from the next "
     "start of Windows, but the server's settings were not copied for the account the service runs as: the key %1 "
     "is a link to another key, which a copy would follow out of the server's settings. Nothing was copied, and "
     "the settings that the service's account had are left as they were.",
     "Delete the link %1, or put a key with the values the server needs in its place, then press the button "
     "again."},
    {Id::SettingsTooDeep, Join::Start,
     "The service \"Qeltor Monitoring Server\" is registered and runs the monitoring server from the next "
     "start of Windows, but the server's settings were not copied for the account the service runs as: below %1 "
     "they go deeper than the 512 levels of keys that Windows allows. Nothing was copied, and the settings that "
     "the service's account had are left as they were.",
     "Delete the keys below %1 that the monitoring server does not use, then press the button again."},

    {Id::SettingsKeyUnreadable, Join::Start,
     "The service \"Qeltor Monitoring Server\" is registered and runs the monitoring server from the next "
     "start of Windows, but the server's settings could not be copied for the account the service runs as: %1 "
     "Administrators may not read the key %2; nothing was copied.",
     "Give Administrators read access to that key in the Registry Editor, then press the button again (reg copy "
     "would stop there too)."},

    {Id::WrittenValuesRemoved, Join::Paragraph, "The values written for the service were removed again.", nullptr},
    {Id::WrittenValuesLeft, Join::Paragraph,
     "The values written under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring "
     "Server\\Parameters could not be removed again: %1",
     nullptr},
    {Id::CreatedServiceRemoved, Join::Paragraph,
     "The service \"Qeltor Monitoring Server\" that instsrv.exe had just created was removed again, so nothing "
     "is left half-written.",
     nullptr},
    {Id::CreatedServiceLeft, Join::Paragraph,
     "The service \"Qeltor Monitoring Server\" that instsrv.exe had just created could not be removed again: "
     "%1 To remove it, run instsrv.exe \"Qeltor Monitoring Server\" remove in a command prompt run as "
     "administrator, in the folder %2.",
     nullptr},
    {Id::CreatedServiceUnknown, Join::Paragraph,
     "instsrv.exe has not finished after %1 seconds, so a service it creates is left as it is. To remove it, "
     "run instsrv.exe \"Qeltor Monitoring Server\" remove in a command prompt run as administrator, in the "
     "folder %2.",
     nullptr},
    {Id::EarlierValuesPutBack, Join::Paragraph,
     "The values under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring "
     "Server\\Parameters were put back as they were before the button was pressed.",
     nullptr},
    {Id::EarlierValuesNotPutBack, Join::Paragraph,
     "The values under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring "
     "Server\\Parameters could not be put back as they were before the button was pressed: %1",
     nullptr},
    {Id::ChangedValueLeft, Join::Sentence,
     "Except %1: something else changed it after QeltorService wrote it, so it was left as it is.", nullptr},
    {Id::ChangedValuesLeft, Join::Sentence,
     "Except %1: something else changed them after QeltorService wrote them, so they were left as they are.", nullptr},
    {Id::WrittenValuesTakenBack, Join::Paragraph,
     "QeltorService had written %1 under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor "
     "Monitoring Server\\Parameters; they were removed again.",
     nullptr},
    {Id::WrittenValuesAllChanged, Join::Paragraph,
     "QeltorService had written %1 under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor "
     "Monitoring Server\\Parameters; something else changed them after that, so they were left as they are.",
     nullptr},
    {Id::WrittenValuesNotTakenBack, Join::Paragraph,
     "QeltorService had written %1 under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Qeltor "
     "Monitoring Server\\Parameters; they could not be removed again: %2",
     nullptr},

    {Id::ValueIs, Join::Start, "%1 is %2", nullptr},
    {Id::ValueHolds, Join::Start, "%1 holds %2", nullptr},
    {Id::ValueMissing, Join::Start, "%1 is missing", nullptr},
    {Id::TextValue, Join::Start, "\"%1\"", nullptr},
    {Id::ExpandTextValue, Join::Start, "\"%1\" (REG_EXPAND_SZ)", nullptr},
    {Id::ValueOfType, Join::Start, "a value of type %1", nullptr},
    {Id::LogHeading, Join::Start, "%1 QeltorService.exe /quiet ended with exit code %2.", nullptr},
    {Id::UnknownAccount, Join::Start, "an unknown account", nullptr},
    {Id::BusUsb, Join::Start, "USB", nullptr},
    {Id::BusSd, Join::Start, "SD card", nullptr},
    {Id::BusMmc, Join::Start, "MMC card", nullptr},
    {Id::BusFireWire, Join::Start, "FireWire", nullptr},
    {Id::BusVirtual, Join::Start, "VHD file", nullptr},

    {Id::BoxCaption, Join::Start, "QeltorService", nullptr},
    {Id::FormCaption, Join::Start, "Set Monitoring Server as Service", nullptr},
    {Id::ButtonText, Join::Start, "Set Run as Service", nullptr},
    {Id::Notice, Join::Start, "Copyright \u00a9 2026 Qeltor", nullptr},
    {Id::BlockReason, Join::Start, "Registering the Qeltor Monitoring Server service", nullptr},

    {Id::CanWrite, Join::Start, "can write to it", nullptr},
    {Id::CanAddToFolder, Join::Start, "can add files and folders to it", nullptr},
    {Id::CanDeleteWhatIsIn, Join::Start, "can delete what is in it", nullptr},
    {Id::CanDelete, Join::Start, "can delete it", nullptr},
    {Id::CanChangePermissions, Join::Start, "can change its permissions", nullptr},
    {Id::CanTakeOwnership, Join::Start, "can take ownership of it", nullptr},
    {Id::CanRepoint, Join::Start, "can point it elsewhere", nullptr},
    {Id::OwnsIt, Join::Start, "owns it, so it can always change its permissions", nullptr},
    {Id::HasNoPermissions, Join::Start,
     "can change it, since it has no permissions at all (as on a drive formatted FAT32 or exFAT)", nullptr},

    {Id::SystemReason, Join::Start, "%1 (error %2)", nullptr},
    {Id::UnknownError, Join::Start, "Unknown error.", nullptr},
    {Id::TheFile, Join::Start, "the file", nullptr},
    {Id::ListedNext, Join::Start, "%1, %2", nullptr},
    {Id::ListedLast, Join::Start, "%1 and %2", nullptr},
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

// The table is kept in the program packed: each message's text, then its paragraph of what to do
// (when it has one), each of the pieces below, which recur across the table, stored as one byte of
// a value no text holds; computed here at compile time, so that only the packed bytes and where
// each message starts are in the program. The pieces are only a dictionary: a text that holds
// none of them is stored as it is.
constexpr std::array<const char*, 154> kPhrases{
    R"(HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\Qeltor Monitoring Server\Parameters)",
    "Can't register the service: ",
    "\"Qeltor Monitoring Server\"",
    R"(such as one under C:\Program Files, run it once from there, then run QeltorService again.)",
    R"(Unpack QeltorService to a folder on a local drive, such as C:\Program Files\QeltorService, and run it from )",
    "service ",
    "the monitoring server",
    "QeltorService",
    "in a command prompt run as administrator",
    "administrators can change",
    "with full control of this computer",
    "then press the button again",
    "from the next start of Windows, but the server's settings ",
    "folder ",
    "without the drive letters that a user's logon maps, so it would not find it.",
    "the Services console (services.msc)",
    "was copied, and the settings that the service's account had are left as they were.",
    "start it only while that medium happens to be inserted.",
    R"(under HKEY_CURRENT_USER\Software\VB and VBA Program )",
    "%2). Programs that run as that user without administrator rights could ",
    "its own on a local drive, ",
    "instsrv.exe",
    "Nothing was started or written.",
    "executable \"%1\" is on a ",
    R"(its settings from HKEY_USERS\.DEFAULT\Software\VB and VBA Program Settings\mxqeltor, not from yours. Press the)",
    R"(C:\Program Files)",
    "then run ",
    "copied for the account the ",
    R"(and VBA Program Settings\mxqeltor" )",
    "is registered and runs ",
    "under ",
    "again.",
    "Windows",
    "start ",
    "Set its startup type to Automatic in ",
    "and run it ",
    "drive ",
    "has no such service: something else removed it in the meantime.",
    "who are no ",
    "program",
    "could not be ",
    "holds more than %2 files and folders, too many to check ",
    "so it is not known ",
    "The system says: %2",
    "in a command prompt or PowerShell run as administrator",
    "the button ",
    "Can't ",
    "values ",
    "lies in a user's profile ",
    "srvany.exe",
    "executable",
    "something else changed ",
    "so any of them could take over this computer.",
    "so the ",
    "server ",
    "its own ",
    "permissions",
    "ended with exit code ",
    "run sc config ",
    "they were ",
    "in the ",
    "from there",
    "with its package, or unpack it to a ",
    "kit's ",
    "is on a ",
    "holds ",
    "has not finished after %1 seconds, ",
    "in its place",
    "only while that disk is attached.",
    "at every ",
    "remove ",
    "of the ",
    "into a ",
    "as they are",
    "account",
    "so it will not ",
    "settings",
    "running ",
    "had written %1 ",
    "created ",
    "Administrators ",
    "which ",
    "full path",
    "does not ",
    "again, ",
    "runs as an administrator",
    "of \"%1\" cannot be read, ",
    "the network ",
    "start= auto ",
    "is registered, but its ",
    R"(copy "HKCU\Software\VB )",
    "through this folder's ",
    "nothing ",
    "another ",
    "Set the value exepath ",
    "Install ",
    "for what removes it, ",
    "It was left unchanged",
    "Delete the ",
    "with subst (%2:). A ",
    "was registering it, ",
    "the Services console",
    "service's ",
    "path \"%1\" ",
    "To replace it, run ",
    "with the ",
    "would ",
    "there ",
    "after ",
    "%2 %3.",
    "\"%1\", ",
    "the path",
    "removed ",
    "computer",
    "administrators ",
    "Nothing ",
    "Make sure that ",
    "registers the ",
    "left as it is.",
    "the registry ",
    "pressed",
    "it was ",
    "changed",
    "Event Viewer ",
    "lies beside ",
    "but now the ",
    "Look at the ",
    "AppDirectory",
    "wrote ",
    "window",
    "put a ",
    "monitoring ",
    "it to ",
    "has ended, ",
    "copied",
    "as: %1",
    "Monitoring ",
    "Except %1: ",
    "%1 is ",
    "their own ",
    "characters",
    "what the ",
    "had just ",
    "below %1 ",
    "arguments",
    "%3). The ",
    "without ",
    "the key ",
    "such as ",
    "shorter ",
    "setting ",
    "outcome ",
    "or this ",
    "for the ",
};

// The byte that stands for piece `index`: one that no text holds, below a space but never a tab,
// line feed or carriage return, or above plain ASCII.
constexpr char PhraseCode(std::size_t index) {
    return static_cast<char>(index < 8 ? index + 1 : index < 26 ? index + 6 : index - 26 + 0x80);
}
static_assert(kPhrases.size() <= 26 + 0x80, "each piece has a byte of its own");

// The piece that `code` stands for, or kPhrases.size() for a byte of text.
constexpr std::size_t PieceOf(unsigned char code) {
    const std::size_t index = code >= 0x80              ? code - 0x80 + 26
                              : code >= 14 && code < 32 ? code - 6
                              : code >= 1 && code <= 8  ? code - 1
                                                        : kPhrases.size();
    return index < kPhrases.size() ? index : kPhrases.size();
}

constexpr std::size_t Length(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

// The pieces by their first byte, each group in the pieces' order: only those that start with a
// text's byte are tried there, which keeps packing the table within what a compiler evaluates.
struct PiecesByFirstByte {
    std::array<std::uint8_t, kPhrases.size()> piece{};
    std::array<std::uint16_t, 257> begin{};
};

constexpr PiecesByFirstByte SortPieces() {
    PiecesByFirstByte sorted;
    std::size_t at = 0;
    for (std::size_t byte = 0; byte < 256; ++byte) {
        sorted.begin[byte] = static_cast<std::uint16_t>(at);
        for (std::size_t piece = 0; piece < kPhrases.size(); ++piece) {
            if (static_cast<unsigned char>(kPhrases[piece][0]) == byte) {
                sorted.piece[at++] = static_cast<std::uint8_t>(piece);
            }
        }
    }
    sorted.begin[256] = static_cast<std::uint16_t>(at);
    return sorted;
}

constexpr PiecesByFirstByte kByFirstByte = SortPieces();

// The piece that starts at `text`, or kPhrases.size() for none.
constexpr std::size_t PhraseAt(const char* text) {
    const auto first = static_cast<unsigned char>(*text);
    for (std::size_t i = kByFirstByte.begin[first]; i < kByFirstByte.begin[first + 1]; ++i) {
        const char* phrase = kPhrases[kByFirstByte.piece[i]];
        std::size_t at = 1;
        while (phrase[at] != '\0' && text[at] == phrase[at]) {
            ++at;
        }
        if (phrase[at] == '\0') {
            return kByFirstByte.piece[i];
        }
    }
    return kPhrases.size();
}

// A character from U+0080 to U+00FF, written in the table as UTF-8 (two bytes), is kept as this
// byte followed by the character's own: no text holds it, and no piece stands for it.
constexpr char kLatin1 = '\v';

// Whether `text` starts with such a character.
constexpr bool StartsLatin1(const char* text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    return (lead == 0xc2 || lead == 0xc3) && (static_cast<unsigned char>(text[1]) & 0xc0U) == 0x80;
}

// Packs `text` and its NUL at `into` (when not null), and says how many bytes that takes.
constexpr std::size_t Pack(const char* text, char* into) {
    std::size_t packed = 0;
    for (std::size_t at = 0;; ++packed) {
        if (StartsLatin1(text + at)) {
            const auto lead = static_cast<unsigned char>(text[at]);
            const auto next = static_cast<unsigned char>(text[at + 1]);
            if (into != nullptr) {
                into[packed] = kLatin1;
                into[packed + 1] = static_cast<char>(((lead & 0x03U) << 6U) | (next & 0x3fU));
            }
            ++packed;
            at += 2;
            continue;
        }
        const std::size_t phrase = text[at] == '\0' ? kPhrases.size() : PhraseAt(text + at);
        const char c = phrase < kPhrases.size() ? PhraseCode(phrase) : text[at];
        if (into != nullptr) {
            into[packed] = c;
        }
        if (c == '\0') {
            return packed + 1;
        }
        at += phrase < kPhrases.size() ? Length(kPhrases[phrase]) : 1;
    }
}

constexpr std::size_t PackedSize() {
    std::size_t size = 0;
    for (const Entry& entry : kTable) {
        size += Pack(entry.text, nullptr) + (entry.next == nullptr ? 0 : Pack(entry.next, nullptr));
    }
    return size;
}

struct PackedTable {
    std::array<char, PackedSize()> bytes{};
    std::array<std::uint16_t, kMessageCount> text{};
    std::array<std::uint16_t, kMessageCount> next{};  // 0: none, as no text is at 0 but the first
    std::array<Join, kMessageCount> join{};
};

constexpr PackedTable PackTable() {
    PackedTable table;
    std::size_t at = 0;
    for (std::size_t id = 0; id < kMessageCount; ++id) {
        const Entry& entry = kTable.at(id);
        table.join.at(id) = entry.join;
        table.text.at(id) = static_cast<std::uint16_t>(at);
        at += Pack(entry.text, table.bytes.data() + at);
        if (entry.next != nullptr) {
            table.next.at(id) = static_cast<std::uint16_t>(at);
            at += Pack(entry.next, table.bytes.data() + at);
        }
    }
    return table;
}

constexpr std::size_t PiecesSize() {
    std::size_t size = 0;
    for (const char* piece : kPhrases) {
        size += Length(piece) + 1;
    }
    return size;
}

// The pieces one after the other, each with its NUL, and where each starts: what the program keeps
// of them.
struct PackedPieces {
    std::array<char, PiecesSize()> bytes{};
    std::array<std::uint16_t, kPhrases.size()> start{};
};

constexpr PackedPieces PackPieces() {
    PackedPieces pieces;
    std::size_t at = 0;
    for (std::size_t index = 0; index < kPhrases.size(); ++index) {
        pieces.start.at(index) = static_cast<std::uint16_t>(at);
        for (const char* c = kPhrases.at(index); *c != '\0'; ++c) {
            pieces.bytes.at(at++) = *c;
        }
        pieces.bytes.at(at++) = '\0';
    }
    return pieces;
}

constexpr PackedPieces kPieces = PackPieces();

// Whether a text of the table holds a byte that stands for a piece, or for a character beyond ASCII.
constexpr bool HoldsACode(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) {
        if (StartsLatin1(c)) {
            ++c;
        } else if (*c == kLatin1 || PieceOf(static_cast<unsigned char>(*c)) < kPhrases.size()) {
            return true;
        }
    }
    return false;
}
static_assert(std::ranges::none_of(kTable,
                                   [](const Entry& entry) {
                                       return HoldsACode(entry.text) ||
                                              (entry.next != nullptr && HoldsACode(entry.next));
                                   }),
              "the texts are plain ASCII without control bytes but tab, line feed and carriage return, and "
              "characters up to U+00FF in UTF-8");

constexpr PackedTable kPacked = PackTable();
static_assert(kPacked.bytes.size() < 0x10000, "where each message starts fits in 16 bits");

constexpr const char* kParagraph = "\r\n\r\n";

void WidenPlain(const char* text, std::wstring& into) {
    for (const char* c = text; *c != '\0'; ++c) {
        into += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    }
}

void Widen(const char* text, std::wstring& into) {
    for (const char* c = text; *c != '\0'; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (*c == kLatin1) {
            into += static_cast<wchar_t>(static_cast<unsigned char>(*++c));
        } else if (const std::size_t piece = PieceOf(byte); piece < kPhrases.size()) {
            WidenPlain(kPieces.bytes.data() + kPieces.start.at(piece), into);
        } else {
            into += static_cast<wchar_t>(byte);
        }
    }
}

}  // namespace

Message::Message(Id which, std::initializer_list<std::wstring_view> parts) : id(which) {
    inserts.reserve(parts.size());
    for (const std::wstring_view part : parts) {
        inserts.emplace_back(part);
    }
}

std::wstring Text(Id id) {
    const auto at = static_cast<std::size_t>(id);
    std::wstring text;
    Widen(kPacked.bytes.data() + kPacked.text.at(at), text);
    if (kPacked.next.at(at) != 0) {
        Widen(kParagraph, text);
        Widen(kPacked.bytes.data() + kPacked.next.at(at), text);
    }
    return text;
}

std::wstring Render(const Message& message) {
    return FillInserts(Text(message.id), message.inserts);
}

std::wstring Render(const Messages& messages) {
    std::wstring text;
    for (const Message& message : messages) {
        const Join join = kPacked.join.at(static_cast<std::size_t>(message.id));
        Widen(join == Join::Paragraph ? kParagraph : join == Join::Sentence ? " " : "", text);
        text += Render(message);
    }
    return text;
}

std::wstring Listed(const std::vector<std::wstring>& names) {
    std::wstring list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        list = i == 0 ? names[i] : Render({i + 1 == names.size() ? Id::ListedLast : Id::ListedNext, {list, names[i]}});
    }
    return list;
}

}  // namespace qeltor::messages
