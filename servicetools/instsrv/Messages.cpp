#include "servicetools/instsrv/Messages.h"

#include "core/MessageInserts.h"

#include <array>

namespace qeltor::service::messages {
namespace {

// Plain ASCII, kept in single bytes: the table is the largest text of the program.
struct Entry {
    Id id;
    const char* text;
};

constexpr std::array<Entry, kMessageCount> kTable{{
    {Id::Usage,
     "Creates or removes a Windows service.\r\n"
     "  instsrv <service name> <full path of the service program>\r\n"
     "      creates the service, started automatically at boot\r\n"
     "  instsrv <service name> remove\r\n"
     "      stops the service if it runs, then deletes it\r\n"
     "  instsrv <service name> remove <full path of the service program>\r\n"
     "      the same, only when the service runs that program\r\n"
     "  instsrv <service name> stop|start <full path of the service program>\r\n"
     "      stops it while an installer replaces its files, and starts it again after\r\n"
     "  instsrv <service name> restore <full path of the service program>\r\n"
     "      puts back the service that a removal for that program took"},
    {Id::CannotOpenManager, "Cannot open the service manager: %1"},
    {Id::CannotOpenService, "Cannot open the service \"%1\": %2"},
    {Id::CannotOpenToUpdate, "Cannot open the service \"%1\" to bring it up to date: %2"},
    {Id::CannotReadWhatItRuns, "Cannot read what the service \"%1\" runs: %2"},
    {Id::CannotSetAutomatic, "Cannot set the service \"%1\" to start automatically: %2"},
    {Id::CannotCreate, "Cannot create the service \"%1\": %2"},
    {Id::CannotRemove, "Cannot remove the service \"%1\": %2"},
    {Id::CannotStartAgain, "Cannot start the service \"%1\" again: %2"},
    {Id::CannotPutBack, "Cannot put back the service \"%1\": %2"},
    {Id::CannotPutBackParameters, "Cannot put back the Parameters of the service \"%1\": %2"},
    {Id::ExistsAlready, "The service \"%1\" exists already; it was left unchanged."},
    {Id::Created, "The service \"%1\" was created to run %2."},
    {Id::UpToDate, "The service \"%1\" exists already and runs %2; it is up to date, and nothing was changed."},
    {Id::BroughtUpToDate, "The service \"%1\" exists already and runs %2; brought up to date: %3."},
    {Id::Removed, "The service \"%1\" was removed."},
    {Id::RemovedBeforeGoesAtRestart,
     "The service \"%1\" was removed before, while a program such as the Services console held it open; it is marked "
     "for deletion and goes once nothing holds it open any more, at the latest at the next restart of Windows."},
    {Id::NotStoppedGoesAtRestart,
     "The service \"%1\" did not stop in time; it is marked for deletion and goes once nothing holds it open any "
     "more, at the latest at the next restart of Windows."},
    {Id::NoSuchService, "There is no service \"%1\"; nothing was removed."},
    {Id::RunsAnother, R"(The service "%1" runs %2, not "%3"; it was left unchanged.)"},
    {Id::NotStoppedForSetup,
     "The service \"%1\" did not stop in time; files it holds open are replaced at the next restart of Windows."},
    {Id::StoppedForSetup, "The service \"%1\" was stopped; it is started again once the files are replaced."},
    {Id::StartedAgain, "The service \"%1\" was started again."},
    {Id::NothingToRestore, "No removal of the service \"%1\" is to be undone."},
    {Id::PutBack, "The service \"%1\" was put back as it was before its removal."},
    {Id::NotKeptAside,
     "Warning: the settings of the service \"%1\" cannot be kept aside, so a rollback of this removal cannot put it "
     "back: %2"},
    {Id::RecoveryNotTaken,
     "This system does not take the service's recovery setting, %1: %2. The service is without it; README.txt says "
     "how to set it."},
    {Id::PreshutdownNotTaken,
     "This system does not take the service's preshutdown timeout of %1 ms: %2. The service is without it; "
     "README.txt says how to set it."},
    {Id::ProgramBeingWritten, "\"%1\" is being written by another program; wait until it is complete."},
    {Id::ProgramUnreadable, "Cannot read the program \"%1\": %2"},
    {Id::NotAWindowsProgram,
     "\"%1\" is not a Windows program: a service runs only a program (.exe), not a batch file, a script or a "
     "document."},
    {Id::DosProgram, "\"%1\" is a DOS program, which Windows cannot start as a service."},
    {Id::LibraryProgram, "\"%1\" is a library (DLL), not a program."},
    {Id::DriverProgram, "\"%1\" is a driver or firmware image, not a Windows program."},
    {Id::OtherMachineProgram, "\"%1\" is a program for another processor than this computer's."},
    {Id::PathNotJudged, R"(The path "%1" starts with \\?\ or \\.\, which instsrv cannot judge.)"},
    {Id::ProgramUnusable, "Cannot use the program \"%1\": %2"},
    {Id::FolderNotProgram, "\"%1\" is a folder, not a program."},
    {Id::NoServiceCreated, "No service was created; give the full path of an existing program."},
    {Id::PermissionsUnreadable,
     "Warning: the permissions of \"%1\" cannot be read, so it is not known whether users who are no administrators "
     "can change it: %2"},
    {Id::Changeable,
     "Warning: users who are no administrators can change \"%1\": %2 %3. The service runs it with full control of "
     "this computer at every start of Windows, so any of them could take over this computer. %4"},
    {Id::FolderAboveChangeable,
     "Warning: users who are no administrators can change \"%1\", a folder above \"%2\": %3 %4. Whoever can rename "
     "it or what it holds can put a folder of their own in its place, whose programs the service would run with "
     "full control of this computer. Move the program to a folder under C:\\Program Files."},
    {Id::NoMessageFile,
     "There is no %1 to register as the file of the service's event texts. Event Viewer shows the service's events "
     "without their descriptions."},
    {Id::AnotherProgramsSource,
     "The event source \"%1\" names \"%2\", another program's event texts; it was left as it is. Event Viewer shows "
     "the service's events without their descriptions."},
    {Id::SourceNotRegistered,
     "Cannot register the service as an event source: %1. Event Viewer shows the service's events without their "
     "descriptions."},
    {Id::SourceNotDeleted, "Cannot delete HKLM\\%1: %2"},
    {Id::MoveOrFix,
     "Move it to a folder that only administrators can change, such as one under C:\\Program Files, or run the "
     "commands that README.txt gives under \"Making a folder safe where it is\" in a command prompt or PowerShell "
     "run as administrator."},
    {Id::MoveFromRoot,
     "Move the program into a folder of its own under C:\\Program Files; do not change the permissions of the "
     "drive's root."},
    {Id::RestartActions, "its restart actions (sc failure)"},
    {Id::FailureFlag, "its failure-actions flag (sc failureflag)"},
    {Id::EitherOf, "%1 or %2"},
    {Id::StartsAutomatically, "it starts automatically"},
    {Id::RestartsAfterFailure, "it restarts after a failure"},
    {Id::PreshutdownIs, "its preshutdown timeout is %1 ms (it was %2 ms)"},
    {Id::EventSourceNamesSrvany, "its event source names this folder's srvany.exe"},
    {Id::WayWrites, "can write to it"},
    {Id::WayAddsToFolder, "can add files and folders to it"},
    {Id::WayDeletesWhatIsIn, "can delete what is in it"},
    {Id::WayDeletes, "can delete it"},
    {Id::WayChangesPermissions, "can change its permissions"},
    {Id::WayTakesOwnership, "can take ownership of it"},
    {Id::WayRepoints, "can point it elsewhere"},
    {Id::WayOwns, "owns it, so it can always change its permissions"},
    {Id::WayNoPermissions,
     "can change it, since it has no permissions at all (as on a drive formatted FAT32 or exFAT)"},
    {Id::UnknownError, "Unknown error."},
    {Id::TheFile, "the file"},
    {Id::SystemReason, "%1 (error %2)"},
}};

constexpr bool InIdOrder() {
    for (std::size_t id = 0; id < kTable.size(); ++id) {
        if (static_cast<std::size_t>(kTable.at(id).id) != id) {
            return false;
        }
    }
    return true;
}
static_assert(InIdOrder(), "each entry sits at its id");
static_assert(static_cast<std::size_t>(Id::WayNoPermissions) - static_cast<std::size_t>(Id::WayWrites) ==
                  static_cast<std::size_t>(permissions::Way::NoPermissions),
              "a phrase for each way, in its order");

}  // namespace

std::wstring Render(Id id, const std::vector<std::wstring>& inserts) {
    std::wstring text;
    for (const char* c = kTable.at(static_cast<std::size_t>(id)).text; *c != '\0'; ++c) {
        text += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    }
    return FillInserts(text, inserts);
}

Id Phrase(permissions::Way way) {
    return static_cast<Id>(static_cast<std::size_t>(Id::WayWrites) + static_cast<std::size_t>(way));
}

}  // namespace qeltor::service::messages
