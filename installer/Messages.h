#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Every message QeltorService.exe shows, as one table of whole sentences with %1-style inserts.
// A check says what it refuses as a Message (which one, and its inserts); Render alone makes text
// of it. Plain C++, so the tests render the same table.
namespace qeltor::messages {

enum class Id : std::uint8_t {
    // At start-up, before the window shows.
    MissingInstsrv,
    MissingSrvany,
    MissingServer,
    WindowNotOpened,  // %1 the system's reason
    // The click's success; ValuesKept is added to it when the click kept values set by hand, and
    // PreshutdownShort when the service manager keeps a preshutdown timeout shorter than the stop.
    Success,
    ValuesKept,                     // %1 the values kept
    PreshutdownShort,               // %1 the timeout kept, %2 the one the stop needs, in milliseconds
    ExpandableApplicationReplaced,  // %1 the REG_EXPAND_SZ value, %2 what the service expands it to
    SettingsReadableByOthers,       // %1 the accounts that may read the copied settings
    // Added to the success instead of the copy of the server's settings.
    SettingsAreTheServicesOwn,  // run as the system: its settings are the service's already
    NoSettingsToCopy,           // the running account holds no settings of the server
    // Without the window: a command line not understood, and a log file that cannot be written.
    Usage,          // %1 what was not understood
    LogNotWritten,  // %1 the file, %2 the system's reason
    // Refused before anything is started or written.
    ServerPathChanged,  // %1 the path read at start-up, %2 the one stored now
    // %1 is the path they are about.
    Unrepresentable,
    NotAFullPath,
    NotAProgram,              // %2 the system's reason
    PathTooLong,              // %2 its length, %3 the limit
    SixtyFourBitOnThirtyTwo,  // %2 the system's reason
    // %1 the path, %2 the drive letter.
    ServerOnNetworkDrive,
    ServerOnSubstDrive,
    ServerOnRemovableDrive,
    ServerOnCdDrive,
    KitOnNetworkDrive,
    KitOnSubstDrive,
    KitOnRemovableDrive,
    KitOnCdDrive,
    KitOnShare,
    ServerOnShare,
    ServerOnDetachableDisk,    // %2 the drive letter, %3 how it is attached
    KitOnDetachableDisk,       // %2 the drive letter, %3 how it is attached
    ServerInProfile,           // %2 the folder of the users' profiles
    KitInProfile,              // %2 the folder of the users' profiles
    KeptFolderInProfile,       // %2 the folder of the users' profiles
    ChangeableByUsers,         // %2 the account, %3 what it can do, %4 the commands that fix it
    FolderAboveChangeable,     // %2 the folder it holds, %3 the account, %4 what it can do
    KitRootChangeableByUsers,  // %2 the account, %3 what it can do
    ServerAtDriveRoot,         // %2 the drive letter
    RootChangeableByUsers,     // %2 the account, %3 what it can do
    LinkChangeable,            // %2 the account, %3 what it can do
    TooManyBesideServer,       // %1 the server's folder, %2 how many are looked at
    TooManyInKitFolder,        // %1 the kit's folder, %2 how many are looked at
    PermissionsUnreadable,     // %2 the system's reason
    PermissionsDenied,         // %2 the system's reason, %3 the command that gives it to administrators
    // The service that is there, before the click or once instsrv.exe has ended.
    RunsAnotherProgram,  // %1 the program, %2 this kit's folder
    Disabled,
    StartsManually,
    NotAutomatic,
    MarkedForDeletion,
    UnquotedPath,      // %1 the stored command line, %2 its first word, %3 our srvany.exe
    CannotQuery,       // %1 the system's reason
    CannotReadValues,  // %1 the system's reason
    // Another registration on this machine.
    AnotherRegistrationRunning,   // %1 seconds
    CannotTellOtherRegistration,  // %1 the system's reason
    // What the click did.
    CannotStart,               // %1 the program, %2 the system's reason
    CannotCreateKey,           // %1 the system's reason
    CannotWriteValue,          // %1 the value, %2 the system's reason
    InstsrvStillRunning,       // %1 seconds
    NotCreated,                // %1 instsrv.exe's exit code
    RemovedAfterCreation,      // instsrv.exe created the service, and it is gone
    RemovedAfterClick,         // the service was there before the click, and it is gone
    ValuesChangedMeanwhile,    // %1 the values found
    CannotReadValuesBack,      // %1 the system's reason
    CreatedByAnotherProgram,   // %1 the program, %2 this kit's folder, %3 what became of the values written
    SettingsNotCopied,         // %1 the system's reason
    SettingsNotCopiedFromKey,  // %1 the system's reason, %2 the key that could not be copied
    SettingsHoldALink,         // %1 the link
    SettingsTooDeep,           // %1 the key below which they go too deep
    SettingsKeyUnreadable,     // %1 the system's reason, %2 the key that could not be read
    // Added to a failure: what became of what the click had written.
    WrittenValuesRemoved,
    WrittenValuesLeft,  // %1 the system's reason
    CreatedServiceRemoved,
    CreatedServiceLeft,     // %1 the system's reason, %2 this kit's folder
    CreatedServiceUnknown,  // %1 seconds, %2 this kit's folder
    EarlierValuesPutBack,
    EarlierValuesNotPutBack,    // %1 the system's reason
    ChangedValueLeft,           // %1 the value
    ChangedValuesLeft,          // %1 the values
    WrittenValuesTakenBack,     // %1 the values
    WrittenValuesAllChanged,    // %1 the values
    WrittenValuesNotTakenBack,  // %1 the values, %2 the system's reason
    // Parts of an insert: a registry value as the Registry Editor shows it.
    ValueIs,          // %1 the name, %2 the value
    ValueHolds,       // %1 the name, %2 the value
    ValueMissing,     // %1 the name
    TextValue,        // %1 the text
    ExpandTextValue,  // %1 the text
    ValueOfType,      // %1 the type's number
    LogHeading,       // %1 the local time, %2 the exit code
    // Parts of an insert: an account, how a disk is attached.
    UnknownAccount,
    BusUsb,
    BusSd,
    BusMmc,
    BusFireWire,
    BusVirtual,
    // The window's own texts.
    BoxCaption,   // every message box's caption
    FormCaption,  // the window's title bar
    ButtonText,
    Notice,       // the strip at the bottom
    BlockReason,  // what Windows shows beside the window while it holds off a logoff or shutdown
    // Parts of an insert: what an account may do, one for each permissions::Way, in its order.
    CanWrite,
    CanAddToFolder,
    CanDeleteWhatIsIn,
    CanDelete,
    CanChangePermissions,
    CanTakeOwnership,
    CanRepoint,
    OwnsIt,
    HasNoPermissions,
    // Parts of an insert: the system's reason for a failure.
    SystemReason,  // %1 the system's own text, %2 the error code
    UnknownError,  // the system's text when it has none
    TheFile,       // what the system's text names where the caller names nothing
    // Parts of an insert: a list of names.
    ListedNext,  // %1 the names so far, %2 the next one
    ListedLast,  // %1 the names so far, %2 the last one
};

inline constexpr std::size_t kMessageCount = static_cast<std::size_t>(Id::ListedLast) + 1;
// The ids from here on are no messages of their own: parts of an insert, and the window's texts.
inline constexpr Id kFirstInsertPart = Id::ValueIs;

struct Message {
    Message() = default;
    // Copies each insert from a view of it, so that a caller builds no strings of its own to pass
    // them: a message is made at many places, and once here.
    Message(Id which, std::initializer_list<std::wstring_view> parts);
    Message(Id which, std::vector<std::wstring> parts) : id(which), inserts(std::move(parts)) {}

    Id id{};
    std::vector<std::wstring> inserts;
    bool operator==(const Message&) const = default;
};

// A message followed by what is added to it, shown as one.
using Messages = std::vector<Message>;

// The text of `id` as the table holds it, each %N left for the caller to fill: one without inserts,
// as the window shows it, or one that another part of the program fills.
std::wstring Text(Id id);
// The text of `message`: what failed and, in a paragraph of its own, what to do next, with each %N
// replaced by its Nth insert.
std::wstring Render(const Message& message);
// The messages one after the other, each added as its entry says: as a paragraph or a sentence.
std::wstring Render(const Messages& messages);

// "A", "A and B", "A, B and C".
std::wstring Listed(const std::vector<std::wstring>& names);

}  // namespace qeltor::messages
