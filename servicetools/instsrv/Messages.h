#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/PermissionRules.h"

// Every line instsrv.exe prints, as one table of whole sentences with %1-style inserts, and the
// parts that go into them. Plain C++, so the tests render the same table.
namespace qeltor::service::messages {

enum class Id : std::uint8_t {
    Usage,  // the command lines it takes, one per line
    // %1 the system's reason.
    CannotOpenManager,
    // %1 the service's name, %2 the system's reason.
    CannotOpenService,
    CannotOpenToUpdate,
    CannotReadWhatItRuns,
    CannotSetAutomatic,
    CannotCreate,
    CannotRemove,
    CannotStartAgain,
    CannotPutBack,
    CannotPutBackParameters,
    // %1 the service's name.
    ExistsAlready,
    Created,          // %2 the image path
    UpToDate,         // %2 the command line it runs
    BroughtUpToDate,  // %2 the command line it runs, %3 what was changed
    Removed,
    RemovedBeforeGoesAtRestart,
    NotStoppedGoesAtRestart,
    NoSuchService,
    RunsAnother,  // %2 the command line it runs, %3 the program asked for
    NotStoppedForSetup,
    StoppedForSetup,
    StartedAgain,
    NothingToRestore,
    PutBack,
    NotKeptAside,  // %2 the system's reason
    // %1 what the system does not take, %2 the system's reason.
    RecoveryNotTaken,
    PreshutdownNotTaken,  // %1 the timeout in milliseconds
    // Why a program cannot be a service's: %1 the program; each is followed by NoServiceCreated.
    ProgramBeingWritten,
    ProgramUnreadable,  // %2 the system's reason
    NotAWindowsProgram,
    DosProgram,
    LibraryProgram,
    DriverProgram,
    OtherMachineProgram,
    PathNotJudged,
    ProgramUnusable,  // %2 the system's reason
    FolderNotProgram,
    NoServiceCreated,
    // Who could take over the computer through the program: %1 the path.
    PermissionsUnreadable,  // %2 the system's reason
    Changeable,             // %2 the account, %3 what it can do, %4 what to do
    FolderAboveChangeable,  // %2 the program's folder, %3 the account, %4 what it can do
    // The service's event source.
    NoMessageFile,          // %1 the file
    AnotherProgramsSource,  // %1 the source, %2 the file it names
    SourceNotRegistered,    // %1 the system's reason
    SourceNotDeleted,       // %1 the key, %2 the system's reason
    // Parts of an insert: what to do about a changeable program.
    MoveOrFix,
    MoveFromRoot,
    // Parts of an insert: a setting the system does not take, or what was brought up to date.
    RestartActions,
    FailureFlag,
    EitherOf,  // %1 one, %2 the other
    StartsAutomatically,
    RestartsAfterFailure,
    PreshutdownIs,  // %1 the timeout, %2 the one before, in milliseconds
    EventSourceNamesSrvany,
    // Parts of an insert: what an account may do, in the order of permissions::Way.
    WayWrites,
    WayAddsToFolder,
    WayDeletesWhatIsIn,
    WayDeletes,
    WayChangesPermissions,
    WayTakesOwnership,
    WayRepoints,
    WayOwns,
    WayNoPermissions,
    // Parts of an insert: the words around the system's text, where it has none, what an insert in
    // it names where nothing is named, and the text with its code (%1 the text, %2 the code).
    UnknownError,
    TheFile,
    SystemReason,
};

inline constexpr std::size_t kMessageCount = static_cast<std::size_t>(Id::SystemReason) + 1;
// The ids from here on are parts of an insert, not lines of their own.
inline constexpr Id kFirstInsertPart = Id::MoveOrFix;

// The text of `id` with each %N replaced by its Nth insert.
std::wstring Render(Id id, const std::vector<std::wstring>& inserts = {});

// The part that says `way`: "can write to it".
Id Phrase(permissions::Way way);

}  // namespace qeltor::service::messages
