// What the user is told after a click, and what the click leaves in the service manager and the
// registry, for each way the service can turn out.
#include "FakePlatform.h"
#include "core/CommandLine.h"
#include "core/Environment.h"
#include "core/Paths.h"
#include "core/PermissionRules.h"
#include "installer/Messages.h"
#include "installer/ServiceRegistration.h"
#include "installer/StoredText.h"

#include <gtest/gtest.h>

namespace qeltor::testing {
namespace {

const std::wstring kService = L"Qeltor Monitoring Server";
const std::string kServiceKey = R"(SYSTEM\CurrentControlSet\Services\Qeltor Monitoring Server)";
const std::string kParametersKey = kServiceKey + R"(\Parameters)";
const std::string kEventSourceKey =
    R"(SYSTEM\CurrentControlSet\Services\EventLog\Application\Qeltor Monitoring Server)";
const std::wstring kOurs = L"\"C:\\Tools\\srvany.exe\"";
const std::wstring kSpacedFolder = L"C:\\Program Files\\Qeltor Kit\\";

// What the Parameters key holds afterwards: nothing, exactly what was there before the click, or
// what the click writes.
// what the click writes beside the values it keeps, or something else.
enum class Parameters { None, Earlier, Written, Other };

struct Left {
    bool service;
    Parameters parameters;
    bool eventSource;
    bool operator==(const Left&) const = default;
};

StoredValue Text(std::uint32_t type, const std::wstring& text) {
    StoredValue value = StoredText(text, true);
    value.type = type;
    return value;
}

// An administrator's values under a service that was there before: one of another type, one the
// click does not write, and none for AppDirectory.
const FakePlatform::Values kEarlierValues = {{"Application", Text(1, L"C:\\OldServer\\Monitor.exe")},
                                             {"AppParameters", Text(2, L"/port 9000")},
                                             {"AppEnvironment", {7, std::string("A=1\0\0", 5)}}};
// Set by hand, all three: kept. %SRV% is D:\Srv.
const FakePlatform::Values kHandSetValues = {{"Application", Text(2, L"%SRV%\\Monitor.exe")},
                                             {"AppDirectory", Text(1, L"D:\\QeltorData")},
                                             {"AppParameters", Text(1, L"--port 9000 --config D:\\qeltor.ini")}};
// The administrator's own profile, as a script of theirs wrote it: the service's is another.
const FakePlatform::Values kProfileValues = {{"Application", Text(2, L"%USERPROFILE%\\Monitor.exe")}};
// What a first click wrote for a server that has moved since: replaced.
const FakePlatform::Values kClickWrittenValues = {{"Application", Text(1, L"C:\\OldSrv\\Monitor.exe")},
                                                  {"AppDirectory", Text(1, L"C:\\OldSrv\\")},
                                                  {"AppParameters", {1, ""}}};

using Instsrv = FakePlatform::Instsrv;
using messages::Id;
const messages::Messages kSuccess = {{Id::Success, {}}};
const std::wstring kServer = L"D:\\Srv\\Monitor.exe";
const std::wstring kUsers = L"Authenticated Users";
const std::wstring kAdds = L"can add files and folders to it";
const std::vector<std::wstring> kUsersSid = {L"S-1-5-11"};

// Each row gives what differs from a click that registers kServer with instsrv.exe run. GCC asks
// "= {}" of the members a row may leave out.
// NOLINTBEGIN(readability-redundant-member-init)
struct Outcome {  // NOLINT(clang-analyzer-optin.performance.Padding): fields in the order a row reads
    const char* name;
    std::wstring folder = L"C:\\Tools\\";
    std::wstring serverPath = kServer;
    bool windows64 = true;
    std::map<wchar_t, DriveKind> drives = {};
    std::optional<ServiceConfig> before = std::nullopt;  // the service as it was before the click
    Instsrv instsrv = Instsrv::Creates;
    unsigned style = 0;
    const char* failingValue = nullptr;  // a registry write that fails, if any
    messages::Messages says;             // a part of the message
    bool started = true;                 // instsrv.exe was run
    Left left = {};
    const wchar_t* changeable = nullptr;                    // a path that Authenticated Users may modify
    std::vector<std::wstring> beside = {};                  // what lies in the server's folder
    const wchar_t* linkTo = nullptr;                        // where a link at the server's path leads
    const wchar_t* unreadable = nullptr;                    // a path whose permissions cannot be read
    const FakePlatform::Values* earlier = &kEarlierValues;  // the Parameters values of a service there before
    const char* kept = nullptr;                             // the values the click leaves as they were
    void (*duringWait)(FakePlatform&) = nullptr;            // what something else does while instsrv.exe runs
    bool lockedByAnother = false;                           // another registration holds the machine's lock
    void (*setUp)(FakePlatform&) = nullptr;                 // more of the world the click sees
};
// NOLINTEND(readability-redundant-member-init)

void PrintTo(const Outcome& outcome, std::ostream* out) {
    *out << outcome.name;
}

constexpr auto kNone = Parameters::None;
constexpr auto kEarlier = Parameters::Earlier;
constexpr auto kWritten = Parameters::Written;

// A refusal before anything is started or written.
Outcome Refused(Outcome outcome) {
    outcome.style = 16;
    outcome.started = false;
    outcome.left = {false, kNone, false};
    return outcome;
}

const Outcome kOutcomes[] = {
    {.name = "Created", .style = 64, .says = kSuccess, .left = {true, kWritten, true}},
    Refused(
        {.name = "SrvanyGoneSinceStartUp", .says = {{Id::MissingSrvany, {}}}, .unreadable = L"C:\\Tools\\srvany.exe"}),
    Refused({.name = "AnotherRegistrationRunning",
             .says = {{Id::AnotherRegistrationRunning, {L"30"}}},
             .lockedByAnother = true}),
    {.name = "NotCreated",
     .instsrv = Instsrv::Fails,
     .style = 16,
     .says = {{Id::NotCreated, {L"1"}}},
     .left = {false, kNone, false}},
    {.name = "CreatedThenRemovedBySomethingElse",
     .instsrv = Instsrv::CreatesThenGone,
     .style = 16,
     .says = {{Id::RemovedAfterCreation, {}}},
     .left = {false, kNone, false}},
    {.name = "ExistsWithOurProgram",
     .before = ServiceConfig{kOurs, 2},
     .style = 64,
     .says = {{Id::Success, {}}, {Id::ValuesKept, {L"AppParameters is \"/port 9000\" (REG_EXPAND_SZ)"}}},
     .left = {true, kWritten, false},
     .kept = "AppParameters"},
    {.name = "HandSetValuesKept",
     .before = ServiceConfig{kOurs, 2},
     .style = 64,
     .says = {{Id::ValuesKept,
               {L"Application is \"%SRV%\\Monitor.exe\" (REG_EXPAND_SZ); AppDirectory is \"D:\\QeltorData\"; "
                L"AppParameters is \"--port 9000 --config D:\\qeltor.ini\""}}},
     .left = {true, kEarlier, false},
     .earlier = &kHandSetValues},
    {.name = "ClickWrittenValuesReplaced",
     .before = ServiceConfig{kOurs, 2},
     .style = 64,
     .says = kSuccess,
     .left = {true, kWritten, false},
     .earlier = &kClickWrittenValues},
    {.name = "ParametersDeletedDuringTheWait",
     .style = 16,
     .says = {{Id::ValuesChangedMeanwhile,
               {L"Application is missing; AppDirectory is missing; AppParameters is missing"}}},
     .left = {true, kNone, true},
     .duringWait = [](FakePlatform& fake) { fake.registry.erase(kParametersKey); }},
    {.name = "AnotherProgramsServiceCreatedDuringTheWait",
     .instsrv = Instsrv::Fails,
     .style = 16,
     .says = {{Id::CreatedByAnotherProgram,
               {L"\"C:\\Other\\host.exe\"", L"C:\\Tools\\",
                messages::Render(messages::Messages{
                    {Id::WrittenValuesTakenBack, {L"Application, AppDirectory and AppParameters"}}})}}},
     .left = {true, kNone, false},
     .duringWait =
         [](FakePlatform& fake) {
             fake.services[kService] = {L"\"C:\\Other\\host.exe\"", 2};
         }},
    {.name = "NewerValueLeftByThePutBack",
     .before = ServiceConfig{kOurs, 2},
     .instsrv = Instsrv::Disables,
     .style = 16,
     .says = {{Id::EarlierValuesPutBack, {}}, {Id::ChangedValueLeft, {L"AppDirectory"}}},
     .left = {true, Parameters::Other, false},
     .duringWait = [](FakePlatform& fake) { fake.registry[kParametersKey]["AppDirectory"] = Text(1, L"E:\\New"); }},
    {.name = "OursInOtherCaseUnquoted",
     .before = ServiceConfig{L"c:\\TOOLS\\srvany.EXE", 2},
     .style = 64,
     .says = kSuccess,
     .left = {true, kWritten, false},
     .kept = "AppParameters"},
    // Ours by where the path really lies: its 8.3 name, and a folder whose name differs in a letter's case.
    {.name = "OursByItsShortName",
     .before = ServiceConfig{L"C:\\TOOLS\\SRVANY~1.EXE", 2},
     .style = 64,
     .says = kSuccess,
     .left = {true, kWritten, false},
     .kept = "AppParameters"},
    {.name = "OursInAFolderNamedInOtherCase",
     .folder = L"C:\\Über\\",
     .before = ServiceConfig{L"\"C:\\über\\srvany.exe\"", 2},
     .style = 64,
     .says = kSuccess,
     .left = {true, kWritten, false},
     .kept = "AppParameters"},
    {.name = "OursWithAShortPreshutdownTimeout",
     .before = ServiceConfig{kOurs, 2, false, 10000},
     .style = 64,
     .says = {{Id::PreshutdownShort, {L"10000", L"20000"}}},
     .left = {true, kWritten, false},
     .kept = "AppParameters"},
    {.name = "ExpandableApplicationReplacedAsTheServiceExpandsIt",
     .before = ServiceConfig{kOurs, 2},
     .style = 64,
     .says = {{Id::ExpandableApplicationReplaced,
               {L"%USERPROFILE%\\Monitor.exe", L"C:\\Windows\\system32\\config\\systemprofile\\Monitor.exe"}}},
     .left = {true, kWritten, false},
     .earlier = &kProfileValues},
    {.name = "ExistsWithAnotherProgram",
     .before = ServiceConfig{L"\"D:\\Old Kit\\srvany.exe\"", 2},
     .style = 16,
     .says = {{Id::RunsAnotherProgram, {L"\"D:\\Old Kit\\srvany.exe\"", L"C:\\Tools\\"}}},
     .started = false,
     .left = {true, kEarlier, false}},
    {.name = "OursWithAnExtraArgument",
     .before = ServiceConfig{kOurs + L" -x", 2},
     .style = 16,
     .says = {{Id::RunsAnotherProgram, {kOurs + L" -x", L"C:\\Tools\\"}}},
     .started = false,
     .left = {true, kEarlier, false}},
    {.name = "Disabled",
     .before = ServiceConfig{kOurs, 4},
     .style = 16,
     .says = {{Id::Disabled, {}}},
     .started = false,
     .left = {true, kEarlier, false}},
    {.name = "ManualStart",
     .before = ServiceConfig{kOurs, 3},
     .style = 16,
     .says = {{Id::StartsManually, {}}},
     .started = false,
     .left = {true, kEarlier, false}},
    {.name = "MarkedForDeletion",
     .before = ServiceConfig{kOurs, 2, true},
     .style = 16,
     .says = {{Id::MarkedForDeletion, {}}},
     .started = false,
     .left = {true, kEarlier, false}},
    {.name = "OursUnquotedWithASpace",
     .folder = kSpacedFolder,
     .before = ServiceConfig{L"C:\\Program Files\\Qeltor Kit\\srvany.exe", 2},
     .style = 16,
     .says = {{Id::UnquotedPath,
               {L"C:\\Program Files\\Qeltor Kit\\srvany.exe", L"C:\\Program", kSpacedFolder + L"srvany.exe"}}},
     .started = false,
     .left = {true, kEarlier, false}},
    {.name = "OursQuotedWithASpace",
     .folder = kSpacedFolder,
     .before = ServiceConfig{L"\"C:\\Program Files\\Qeltor Kit\\srvany.exe\"", 2},
     .style = 64,
     .says = kSuccess,
     .left = {true, kWritten, false},
     .kept = "AppParameters"},
    {.name = "DisabledWhileInstsrvRan",
     .before = ServiceConfig{kOurs, 2},
     .instsrv = Instsrv::Disables,
     .style = 16,
     .says = {{Id::Disabled, {}}, {Id::EarlierValuesPutBack, {}}},
     .left = {true, kEarlier, false}},
    {.name = "WriteFailedAfterCreation",
     .style = 16,
     .failingValue = "AppDirectory",
     .says = {{Id::CannotWriteValue, {L"AppDirectory", L"system error 5."}}, {Id::CreatedServiceRemoved, {}}},
     .left = {false, kNone, false}},
    {.name = "WriteFailedOnAnOlderService",
     .before = ServiceConfig{kOurs, 2},
     .style = 16,
     .failingValue = "AppDirectory",
     .says = {{Id::CannotWriteValue, {L"AppDirectory", L"system error 5."}}},
     .left = {true, kEarlier, false}},
    {.name = "WriteFailedAndNotCreated",
     .instsrv = Instsrv::Fails,
     .style = 16,
     .failingValue = "AppParameters",
     .says = {{Id::WrittenValuesRemoved, {}}},
     .left = {false, kNone, false}},
    {.name = "InstsrvNeverEnds",
     .instsrv = Instsrv::Hangs,
     .style = 16,
     .says = {{Id::InstsrvStillRunning, {L"30"}}},
     .left = {false, kWritten, false}},
    {.name = "RelativePath",
     .serverPath = L"..\\apps\\Monitor.exe",
     .style = 16,
     .says = {{Id::NotAFullPath, {L"..\\apps\\Monitor.exe"}}},
     .started = false,
     .left = {false, kNone, false}},
    // Read as the path it names; only that is judged.
    {.name = "DevicePath",
     .serverPath = L"\\\\?\\D:\\Srv\\Monitor.exe",
     .style = 64,
     .says = kSuccess,
     .left = {true, kWritten, true}},
    {.name = "DriveRelativePath",
     .serverPath = L"D:Monitor.exe",
     .style = 16,
     .says = {{Id::NotAFullPath, {L"D:Monitor.exe"}}},
     .started = false,
     .left = {false, kNone, false}},
    {.name = "NotAProgram",
     .serverPath = L"D:\\Srv\\notes.txt",
     .style = 16,
     .says = {{Id::NotAProgram, {L"D:\\Srv\\notes.txt", L"system error 193."}}},
     .started = false,
     .left = {false, kNone, false}},
    {.name = "SixtyFourBitOnThirtyTwo",
     .serverPath = L"D:\\Srv\\Monitor64.exe",
     .windows64 = false,
     .style = 16,
     .says = {{Id::SixtyFourBitOnThirtyTwo, {L"D:\\Srv\\Monitor64.exe", L"system error 193."}}},
     .started = false,
     .left = {false, kNone, false}},
    {.name = "SixtyFourBitOnSixtyFour",
     .serverPath = L"D:\\Srv\\Monitor64.exe",
     .style = 64,
     .says = kSuccess,
     .left = {true, kWritten, true}},
    {.name = "PathOfMaxPathCharacters",
     .serverPath = L"D:\\" + std::wstring(253, L'x') + L".exe",
     .style = 16,
     .says = {{Id::PathTooLong, {L"D:\\" + std::wstring(253, L'x') + L".exe", L"260", L"260"}}},
     .started = false,
     .left = {false, kNone, false}},
    {.name = "PathJustShortEnough",
     .serverPath = L"D:\\S\\" + std::wstring(250, L'x') + L".exe",
     .style = 64,
     .says = kSuccess,
     .left = {true, kWritten, true}},
    {.name = "ServerOnANetworkDrive",
     .drives = {{L'D', DriveKind::Network}},
     .style = 16,
     .says = {{Id::ServerOnNetworkDrive, {kServer, L"D"}}},
     .started = false,
     .left = {false, kNone, false}},
    {.name = "ServerOnASubstDrive",
     .drives = {{L'D', DriveKind::Subst}},
     .style = 16,
     .says = {{Id::ServerOnSubstDrive, {kServer, L"D"}}},
     .started = false,
     .left = {false, kNone, false}},
    {.name = "ServerOnARemovableDrive",
     .drives = {{L'D', DriveKind::Removable}},
     .style = 16,
     .says = {{Id::ServerOnRemovableDrive, {kServer, L"D"}}},
     .started = false,
     .left = {false, kNone, false}},
    {.name = "ServerOnACd",
     .drives = {{L'D', DriveKind::CdRom}},
     .style = 16,
     .says = {{Id::ServerOnCdDrive, {kServer, L"D"}}},
     .started = false,
     .left = {false, kNone, false}},
    {.name = "KitOnANetworkDrive",
     .drives = {{L'C', DriveKind::Network}},
     .style = 16,
     .says = {{Id::KitOnNetworkDrive, {L"C:\\Tools\\", L"C"}}},
     .started = false,
     .left = {false, kNone, false}},
    {.name = "KitOnASubstDrive",
     .drives = {{L'C', DriveKind::Subst}},
     .style = 16,
     .says = {{Id::KitOnSubstDrive, {L"C:\\Tools\\", L"C"}}},
     .started = false,
     .left = {false, kNone, false}},
    {.name = "SlashesAndShares",
     .serverPath = L"C:/Srv/Monitor.exe",
     .style = 64,
     .says = kSuccess,
     .left = {true, kWritten, true}},
    Refused({.name = "Share",
             .serverPath = L"\\\\host\\share\\Monitor.exe",
             .says = {{Id::ServerOnShare, {L"\\\\host\\share\\Monitor.exe"}}}}),
    {.name = "SrvanyChangeableByUsers",
     .style = 16,
     .says =
         {{Id::ChangeableByUsers,
           {L"C:\\Tools\\srvany.exe", L"Authenticated Users", L"can write to it",
            L"icacls \"C:\\Tools\\srvany.exe\" /setowner *S-1-5-32-544 /C\r\n"
            L"icacls \"C:\\Tools\\srvany.exe\" /remove:g *S-1-5-11 /C\r\n"
            L"icacls \"C:\\Tools\\srvany.exe\" /inheritance:r /grant:r *S-1-5-32-544:F *S-1-5-18:F *S-1-5-32-545:RX"}}},
     .started = false,
     .left = {false, kNone, false},
     .changeable = L"C:\\Tools\\srvany.exe"},
    {.name = "KitFolderChangeableByUsers",
     .style = 16,
     .says = {{Id::ChangeableByUsers,
               {L"C:\\Tools\\", kUsers, kAdds, permissions::FixCommands(L"C:\\Tools\\", true, kUsersSid)}}},
     .started = false,
     .left = {false, kNone, false},
     .changeable = L"C:\\Tools\\"},
    {.name = "ServerChangeableByUsers",
     .style = 16,
     .says = {{Id::ChangeableByUsers,
               {kServer, kUsers, L"can write to it", permissions::FixCommands(kServer, false, kUsersSid)}}},
     .started = false,
     .left = {false, kNone, false},
     .changeable = L"D:\\Srv\\Monitor.exe"},
    {.name = "ServerFolderChangeableByUsers",
     .style = 16,
     .says = {{Id::ChangeableByUsers,
               {L"D:\\Srv\\", kUsers, kAdds,
                L"icacls \"D:\\Srv\" /setowner *S-1-5-32-544 /T /C\r\n"
                L"icacls \"D:\\Srv\" /remove:g *S-1-5-11 /T /C\r\n"
                L"icacls \"D:\\Srv\" /inheritance:r /grant:r \"*S-1-5-32-544:(OI)(CI)F\" \"*S-1-5-18:(OI)(CI)F\" "
                L"\"*S-1-5-32-545:(OI)(CI)RX\""}}},
     .started = false,
     .left = {false, kNone, false},
     .changeable = L"D:\\Srv\\"},
    {.name = "ChangeableFolderOfAnOlderService",
     .before = ServiceConfig{kOurs, 2},
     .style = 16,
     .says = {{Id::ChangeableByUsers,
               {L"D:\\Srv\\", kUsers, kAdds, permissions::FixCommands(L"D:\\Srv\\", true, kUsersSid)}}},
     .started = false,
     .left = {true, kEarlier, false},
     .changeable = L"D:\\Srv\\"},
    Refused({.name = "FolderAboveUsersCanRename",
             .says = {{Id::FolderAboveChangeable, {L"D:\\", L"D:\\Srv\\", kUsers, L"can delete it"}}},
             .changeable = L"D:\\"}),
    Refused({.name = "WritableFileBesideServer",
             .says = {{Id::ChangeableByUsers,
                       {L"D:\\Srv\\x.dll", kUsers, L"can write to it",
                        permissions::FixCommands(L"D:\\Srv\\x.dll", false, kUsersSid)}}},
             .changeable = L"D:\\Srv\\x.dll",
             .beside = {L"Monitor.exe", L"x.dll"}}),
    Refused({.name = "ServerLinkedIntoAFolderUsersChange",
             .says = {{Id::ChangeableByUsers,
                       {L"E:\\Open\\", kUsers, kAdds, permissions::FixCommands(L"E:\\Open\\", true, kUsersSid)}}},
             .changeable = L"E:\\Open\\",
             .linkTo = L"E:\\Open\\Monitor.exe"}),
    Refused({.name = "TooManyBesideServer",
             .says = {{Id::TooManyBesideServer, {L"D:\\Srv\\", L"10000"}}},
             .beside = std::vector<std::wstring>(10001, L"x.dll")}),
    Refused({.name = "ServerAtDriveRoot",
             .serverPath = L"D:\\Monitor.exe",
             .says = {{Id::ServerAtDriveRoot, {L"D:\\Monitor.exe", L"D"}}}}),
    {.name = "KitAtARootOnlyAdministratorsChange",
     .folder = L"E:\\",
     .style = 64,
     .says = kSuccess,
     .left = {true, kWritten, true}},
    Refused({.name = "KitAtARootUsersChange",
             .folder = L"C:\\",
             .says = {{Id::KitRootChangeableByUsers, {L"C:\\", kUsers, kAdds}}},
             .changeable = L"C:\\"}),
    Refused({.name = "ServerInTheProfile",
             .serverPath = L"C:\\Users\\admin\\Qeltor\\Monitor.exe",
             .says = {{Id::ServerInProfile, {L"C:\\Users\\admin\\Qeltor\\Monitor.exe", L"C:\\Users\\"}}}}),
    Refused({.name = "KitInDownloads",
             .folder = L"c:\\users\\admin\\Downloads\\Kit\\",
             .says = {{Id::KitInProfile, {L"c:\\users\\admin\\Downloads\\Kit\\", L"C:\\Users\\"}}}}),
    Refused({.name = "ServerLinkedIntoTheProfile",
             .says = {{Id::ServerInProfile, {kServer, L"C:\\Users\\"}}},
             .linkTo = L"C:\\Users\\admin\\Monitor.exe"}),
    Refused({.name = "ServerOnAShare",
             .serverPath = L"\\\\?\\UNC\\host\\share\\Monitor.exe",
             .says = {{Id::ServerOnShare, {L"\\\\?\\UNC\\host\\share\\Monitor.exe"}}}}),
    Refused({.name = "UsbDisk",
             .drives = {{L'D', DriveKind::UsbDisk}},
             .says = {{Id::ServerOnDetachableDisk, {kServer, L"D", L"USB"}}}}),
    Refused({.name = "Vhd",
             .drives = {{L'C', DriveKind::VirtualDisk}},
             .says = {{Id::KitOnDetachableDisk, {L"C:\\Tools\\", L"C", L"VHD file"}}}}),
    Refused({.name = "JunctionUsersCanDelete",
             .says = {{Id::LinkChangeable, {L"D:\\Srv\\", kUsers, L"can delete it"}}},
             .setUp =
                 [](FakePlatform& fake) {
                     fake.links[L"D:\\Srv\\"] = {true, false, L"", {{true, false, L"S-1-5-11", 0x10000}}};
                 }}),
    Refused({.name = "DllUsersCanWriteInTheKitFolder",
             .says = {{Id::ChangeableByUsers,
                       {L"C:\\Tools\\x.dll", kUsers, L"can write to it",
                        permissions::FixCommands(L"C:\\Tools\\x.dll", false, kUsersSid)}}},
             .changeable = L"C:\\Tools\\x.dll",
             .setUp =
                 [](FakePlatform& fake) {
                     fake.folderNames[L"C:\\Tools\\"] = {L"srvany.exe", L"x.dll"};
                 }}),
    Refused({.name = "ServerLinkedToARoot",
             .says = {{Id::RootChangeableByUsers, {L"E:\\", kUsers, kAdds}}},
             .changeable = L"E:\\",
             .linkTo = L"E:\\Monitor.exe"}),
    Refused({.name = "UnreadableSid",
             .says = {{Id::ChangeableByUsers,
                       {kServer, L"an unknown account", L"can write to it",
                        permissions::FixCommands(kServer, false, {L""})}}},
             .setUp =
                 [](FakePlatform& fake) {
                     fake.security[kServer] = {false, false, L"S-1-5-32-544", {{true, false, L"", 0x2}}};
                 }}),
    {.name = "KeptAppDirectoryUsersCanWrite",
     .before = ServiceConfig{kOurs, 2},
     .style = 16,
     .says = {{Id::ChangeableByUsers,
               {L"D:\\QeltorData\\", kUsers, kAdds, permissions::FixCommands(L"D:\\QeltorData\\", true, kUsersSid)}}},
     .started = false,
     .left = {true, kEarlier, false},
     .changeable = L"D:\\QeltorData\\",
     .earlier = &kHandSetValues},
    Refused({.name = "KitOnAShare", .folder = L"\\\\host\\kit\\", .says = {{Id::KitOnShare, {L"\\\\host\\kit\\"}}}}),
    {.name = "PermissionsUnreadable",
     .style = 16,
     .says = {{Id::PermissionsDenied, {kServer, L"system error 5.", L"takeown /F \"D:\\Srv\\Monitor.exe\" /A"}}},
     .started = false,
     .left = {false, kNone, false},
     .unreadable = L"D:\\Srv\\Monitor.exe"},
};

class RegistrationOutcomeTest : public ::testing::TestWithParam<Outcome> {};

// What the Parameters key holds: nothing, the earlier values exactly, or the written ones beside
// those the row keeps.
Parameters ParametersLeft(const FakePlatform& fake, const InstallerPaths& paths, const Outcome& outcome) {
    const auto found = fake.registry.find(kParametersKey);
    if (found == fake.registry.end()) {
        return Parameters::None;
    }
    if (outcome.before && found->second == *outcome.earlier) {
        return Parameters::Earlier;
    }
    const FakePlatform::Values written = {{"Application", StoredText(paths.ServerExePath, true)},
                                          {"AppDirectory", StoredText(paths.ServerFolder, true)},
                                          {"AppParameters", {1, ""}}};
    for (const auto& [name, value] : written) {
        const bool kept = outcome.kept != nullptr && name == outcome.kept;
        const auto& expected = kept ? outcome.earlier->at(name) : value;
        if (!found->second.contains(name) || found->second.at(name) != expected) {
            return Parameters::Other;
        }
    }
    return Parameters::Written;
}

TEST_P(RegistrationOutcomeTest, TellsTheTruthAndLeavesNothingHalfWritten) {
    const Outcome& outcome = GetParam();
    FakePlatform fake;
    fake.appPath = outcome.folder;
    fake.instsrv = outcome.instsrv;
    fake.windows64 = outcome.windows64;
    fake.drives = outcome.drives;
    fake.environment[L"SRV"] = L"D:\\Srv";
    fake.environment[L"USERPROFILE"] = L"C:\\Windows\\system32\\config\\systemprofile";
    fake.duringWait = outcome.duringWait;
    fake.lockedByAnother = outcome.lockedByAnother;
    if (outcome.before) {
        fake.services[kService] = *outcome.before;
        fake.registry[kServiceKey]["ImagePath"] = {2, "set"};
        fake.registry[kParametersKey] = *outcome.earlier;
    }
    if (outcome.failingValue != nullptr) {
        fake.setValueStatus[outcome.failingValue] = 5;
    }
    if (outcome.changeable != nullptr) {
        const std::wstring path = outcome.changeable;
        fake.security[path] = FakePlatform::AdministratorsOnly(path.ends_with(L'\\'));
        fake.security[path].entries.push_back({true, true, L"S-1-5-11", 0x1301bf});
    }
    fake.folderNames[UpToLastSeparator(outcome.serverPath)] = outcome.beside;
    fake.finalPaths[L"C:\\TOOLS\\SRVANY~1.EXE"] = L"C:\\Tools\\srvany.exe";
    fake.finalPaths[L"C:\\über\\srvany.exe"] = L"C:\\Über\\srvany.exe";
    if (outcome.linkTo != nullptr) {
        fake.finalPaths[outcome.serverPath] = outcome.linkTo;
    }
    if (outcome.unreadable != nullptr) {
        fake.accessStatus[outcome.unreadable] = 5;
    }
    if (outcome.setUp != nullptr) {
        outcome.setUp(fake);
    }
    const InstallerPaths paths{outcome.folder, outcome.serverPath,
                               outcome.serverPath.substr(0, outcome.serverPath.rfind(L'\\') + 1)};

    const qeltor::Outcome registered = Register(fake, fake, paths);

    ASSERT_EQ(fake.boxes.size(), 1U);
    EXPECT_EQ(fake.boxes[0].style, outcome.style);
    EXPECT_NE(fake.boxes[0].text.find(messages::Render(outcome.says)), std::wstring::npos) << fake.boxes[0].text;
    EXPECT_EQ(fake.unloaded, outcome.style == 64);
    // A success that keeps no value (leaving the earlier ones keeps them all) adds nothing to the
    // message, unless it replaced one that the service would have read otherwise.
    if (outcome.style == 64 && outcome.kept == nullptr && outcome.left.parameters != kEarlier) {
        EXPECT_EQ(fake.boxes[0].text,
                  messages::Render(kSuccess) + (outcome.says == kSuccess ? L"" : messages::Render(outcome.says)));
    }
    EXPECT_EQ(fake.copiedTrees.size(), outcome.style == 64 ? 1U : 0U) << "the settings are copied on success only";
    EXPECT_EQ(fake.shellCommands.size(), outcome.started ? 1U : 0U);
    if (!outcome.started) {
        EXPECT_TRUE(fake.createdKeys.empty());
    }
    const Left left{fake.services.contains(kService), ParametersLeft(fake, paths, outcome),
                    fake.registry.contains(kEventSourceKey)};
    EXPECT_EQ(left, outcome.left) << "service " << left.service << ", parameters " << static_cast<int>(left.parameters)
                                  << ", event source " << left.eventSource;
    // What a script is told: a failure after starting instsrv.exe put everything back only when
    // the service and its values are as they were; another program's service is none of this run's.
    const bool ours = left.service && RunsProgram(fake.services[kService].programPath, outcome.folder + L"srvany.exe");
    const bool asBefore = Left{ours, left.parameters, left.eventSource} ==
                          Left{outcome.before.has_value(), outcome.before ? kEarlier : kNone, false};
    EXPECT_EQ(registered, outcome.style == 64 ? qeltor::Outcome::Registered
                          : !outcome.started  ? qeltor::Outcome::Refused
                          : asBefore          ? qeltor::Outcome::PutBack
                                              : qeltor::Outcome::SomethingLeft);
    // A service key that belongs to no service is never left behind by a failed run.
    if (!left.service && left.parameters == kNone) {
        EXPECT_FALSE(fake.registry.contains(kServiceKey));
    }
    // A service that was there before the click stays as it was.
    if (outcome.before) {
        ASSERT_TRUE(fake.services.contains(kService));
        EXPECT_EQ(fake.services[kService].programPath, outcome.before->programPath);
    }
}

INSTANTIATE_TEST_SUITE_P(Registration, RegistrationOutcomeTest, ::testing::ValuesIn(kOutcomes),
                         [](const auto& param) { return std::string(param.param.name); });

// %NAME% as ExpandEnvironmentStringsW reads it: names in either case, an unknown one left as it is.
TEST(RegistrationOutcomeTest, ExpandsWithTheEnvironmentItIsGiven) {
    EXPECT_EQ(ExpandWith(L"%srv%\\a;%X%;50%;%SRV%%", {L"=C:=C:\\", L"SRV=D:\\Srv"}), L"D:\\Srv\\a;%X%;50%;D:\\Srv%");
}

TEST(RegistrationOutcomeTest, ServiceKeyThatHoldsMoreThanOurValuesIsKept) {
    FakePlatform fake;
    fake.instsrv = FakePlatform::Instsrv::Fails;
    fake.registry[kServiceKey]["Description"] = {1, "an administrator's own"};
    const InstallerPaths paths{L"C:\\Tools\\", kServer, L"D:\\Srv\\"};
    EXPECT_FALSE(RegisterService(fake, fake, paths));
    EXPECT_FALSE(fake.registry.contains(kParametersKey));
    EXPECT_TRUE(fake.registry.contains(kServiceKey));
}

TEST(RegistrationOutcomeTest, ServiceThatCannotBeRemovedAgainIsNamedWithTheWayToRemoveIt) {
    FakePlatform fake;
    fake.setValueStatus["Application"] = 5;
    fake.removeStatus = 1072;  // marked for deletion
    const InstallerPaths paths{L"C:\\Tools\\", kServer, L"D:\\Srv\\"};
    EXPECT_FALSE(RegisterService(fake, fake, paths));
    ASSERT_EQ(fake.boxes.size(), 1U);
    EXPECT_TRUE(fake.boxes[0].text.ends_with(
        messages::Render({Id::CreatedServiceLeft, {L"system error 1072.", L"C:\\Tools\\"}})))
        << fake.boxes[0].text;
}

TEST(RegistrationOutcomeTest, ServiceManagerThatCannotAnswerIsReportedAndNothingStartedOrWritten) {
    FakePlatform fake;
    fake.queryStatus = 5;
    const InstallerPaths paths{L"C:\\Tools\\", kServer, L"D:\\Srv\\"};
    EXPECT_FALSE(RegisterService(fake, fake, paths));
    ASSERT_EQ(fake.boxes.size(), 1U);
    EXPECT_EQ(fake.boxes[0].text, messages::Render({Id::CannotQuery, {L"system error 5."}}));
    EXPECT_TRUE(fake.shellCommands.empty());
    EXPECT_FALSE(fake.registry.contains(kParametersKey));
}

// The service stays registered; a second click copies again.
TEST(RegistrationOutcomeTest, SettingsThatCannotBeCopiedAreReportedWithTheCommandThatCopiesThem) {
    FakePlatform fake;
    fake.copyStatus = 5;
    const InstallerPaths paths{L"C:\\Tools\\", kServer, L"D:\\Srv\\"};
    // A key of the user's that cannot be read gets no reg copy, which would stop there too.
    for (const auto& [key, id] : {std::pair{L"HKEY_USERS\\.DEFAULT\\x", Id::SettingsNotCopiedFromKey},
                                  std::pair{L"HKEY_CURRENT_USER\\Software\\x", Id::SettingsKeyUnreadable}}) {
        fake.copyFailedKey = key;
        fake.boxes.clear();
        EXPECT_FALSE(RegisterService(fake, fake, paths));
        ASSERT_EQ(fake.boxes.size(), 1U);
        EXPECT_EQ(fake.boxes[0].style, 16U);
        EXPECT_EQ(fake.boxes[0].text, messages::Render({id, {L"system error 5.", key}}));
        EXPECT_TRUE(fake.services.contains(kService));
        EXPECT_FALSE(fake.unloaded);
    }

    fake.copyStatus = kOsSuccess;
    fake.boxes.clear();
    EXPECT_TRUE(RegisterService(fake, fake, paths));
    EXPECT_EQ(fake.copiedTrees.size(), 1U);
}

// A link is never followed (it could lead back into the tree, without end), nor a tree walked
// deeper than Windows allows; either is named, and nothing is copied.
TEST(RegistrationOutcomeTest, SettingsWithALinkOrTooDeepAreNamedAndNotCopied) {
    for (const auto& [status, id] :
         {std::pair{kOsRegistryLink, Id::SettingsHoldALink}, std::pair{kOsTreeTooDeep, Id::SettingsTooDeep}}) {
        FakePlatform fake;
        fake.copyStatus = status;
        fake.copyFailedKey = L"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\mxqeltor\\loop";
        EXPECT_FALSE(RegisterService(fake, fake, InstallerPaths{L"C:\\Tools\\", kServer, L"D:\\Srv\\"}));
        ASSERT_EQ(fake.boxes.size(), 1U);
        EXPECT_EQ(fake.boxes[0].text, messages::Render({id, {fake.copyFailedKey}}));
        EXPECT_TRUE(fake.copiedTrees.empty());
    }
}

// The settings the click copies would be the new server's: it registers neither.
TEST(RegistrationOutcomeTest, AServerPathChangedSinceStartUpIsRefusedWithNothingDone) {
    FakePlatform fake;
    fake.StoreExePath(L"E:\\New\\Monitor.exe");
    const InstallerPaths paths{L"C:\\Tools\\", kServer, L"D:\\Srv\\"};
    EXPECT_FALSE(RegisterStoredServer(fake, fake, paths));
    ASSERT_EQ(fake.boxes.size(), 1U);
    EXPECT_EQ(fake.boxes[0].text, messages::Render({Id::ServerPathChanged, {kServer, L"E:\\New\\Monitor.exe"}}));
    EXPECT_TRUE(fake.shellCommands.empty());
    EXPECT_TRUE(fake.createdKeys.empty());
    fake.StoreExePath(kServer);
    EXPECT_TRUE(RegisterStoredServer(fake, fake, paths));
}

// Settings the service's account had keep their permissions; who else may read them is named.
TEST(RegistrationOutcomeTest, SettingsThatOthersMayReadAreNamedOnSuccess) {
    FakePlatform fake;
    fake.keySecurity[L".DEFAULT\\Software\\VB and VBA Program Settings\\mxqeltor"] = {
        true, false, L"S-1-5-32-544", {{true, false, L"S-1-5-32-545", 0x20019}, {true, false, L"S-1-5-18", 0xf003f}}};
    EXPECT_TRUE(RegisterService(fake, fake, {L"C:\\Tools\\", kServer, L"D:\\Srv\\"}));
    ASSERT_EQ(fake.boxes.size(), 1U);
    EXPECT_EQ(fake.boxes[0].text, messages::Render({{Id::Success, {}}, {Id::SettingsReadableByOthers, {L"Users"}}}));
}

TEST(RegistrationOutcomeTest, EarlierValuesThatCannotBePutBackAreNamedWithTheReason) {
    FakePlatform fake;
    fake.services[kService] = ServiceConfig{kOurs, 2};
    fake.registry[kParametersKey] = kEarlierValues;
    fake.setValueStatus["AppDirectory"] = 5;
    fake.restoreStatus = 5;
    EXPECT_FALSE(RegisterService(fake, fake, InstallerPaths{L"C:\\Tools\\", kServer, L"D:\\Srv\\"}));
    ASSERT_EQ(fake.boxes.size(), 1U);
    EXPECT_TRUE(fake.boxes[0].text.ends_with(messages::Render({Id::EarlierValuesNotPutBack, {L"system error 5."}})))
        << fake.boxes[0].text;
}

}  // namespace
}  // namespace qeltor::testing
