// Which accounts make a file or folder that a service runs changeable by someone who is no
// administrator, who is named, and that the commands advised leave it to administrators.
#include "core/PermissionRules.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

namespace qeltor::permissions {
namespace {

constexpr std::uint32_t kReadAndRun = 0x1200a9;  // what Wine gives others of a mode without o+w
constexpr std::uint32_t kWineWrites = 0x1301ff;  // and with o+w
constexpr std::uint32_t kModify = 0x1301bf;      // "Modify", as C:\ gives Authenticated Users
constexpr std::uint32_t kFull = 0x1f01ff;
constexpr std::uint32_t kAttributes = 0x110;  // FILE_WRITE_ATTRIBUTES | FILE_WRITE_EA
constexpr const wchar_t* kMe = L"S-1-5-21-9-9-9-500";
constexpr const wchar_t* kUser = L"S-1-5-21-9-9-9-1001";
constexpr const wchar_t* kAuthenticatedUsers = L"S-1-5-11";

// Rights by group, each an allow entry: Everyone, Authenticated Users, Users, INTERACTIVE, Guests.
using Masks = std::array<std::uint32_t, 5>;
constexpr std::array<const wchar_t*, 5> kGroups{L"S-1-1-0", kAuthenticatedUsers, L"S-1-5-32-545", L"S-1-5-4",
                                                L"S-1-5-32-546"};

struct Row {  // NOLINT(clang-analyzer-optin.performance.Padding): fields in the order a row reads
    const char* name;
    bool isFolder;
    Masks masks;
    const wchar_t* changer;  // null: nobody who is no administrator can change it
    Way way = {};
    // NOLINTNEXTLINE(readability-redundant-member-init): GCC asks it of rows that leave it out
    std::vector<AccessEntry> more = {};  // after the groups' entries
    const wchar_t* owner = L"S-1-5-32-544";
    Role role = Role::Runs;
    bool administratorsHoldNoEntry = false;
};

AccessEntry Allow(const wchar_t* sid, std::uint32_t mask) {
    return {true, false, sid, mask};
}

const std::vector<AccessEntry> kAdministratorsFull = {{true, true, L"S-1-5-32-544", kFull},
                                                      {true, true, L"S-1-5-18", kFull}};
constexpr const wchar_t* kAu = kAuthenticatedUsers;
constexpr const wchar_t* kTi = kTrustedInstallerSid;
constexpr const wchar_t* kDomainUsers = L"S-1-5-21-9-9-9-513";
constexpr Masks kUsersRead = {0, 0, kReadAndRun, 0, 0};

const Row kRows[] = {
    {"FileReadAndRunOnly", false, {kReadAndRun, kReadAndRun, kReadAndRun, kReadAndRun, kReadAndRun}, nullptr},
    {"FileOthersWritable", false, {kWineWrites, 0, 0, 0, 0}, L"S-1-1-0", Way::Writes},
    {"FileAppend", false, {0, 0, kRightAppendData, 0, 0}, L"S-1-5-32-545", Way::Writes},
    {"FileGenericWrite", false, {0, 0, 0, kRightGenericWrite, 0}, L"S-1-5-4", Way::Writes},
    {"FileGenericAll", false, {0, 0, 0, 0, kRightGenericAll}, L"S-1-5-32-546", Way::Writes},
    {"FileDelete", false, {0, kRightDelete, 0, 0, 0}, kAu, Way::Deletes},
    {"FilePermissions", false, {0, 0, 0, kRightWriteDac, 0}, L"S-1-5-4", Way::ChangesPermissions},
    {"FileOwner", false, {0, 0, 0, 0, kRightWriteOwner}, L"S-1-5-32-546", Way::TakesOwnership},
    {"FileAttributesOnly", false, {kAttributes, 0, 0, 0, 0}, nullptr},
    {"FileDeleteChildMeansNothing", false, {0, 0, kRightDeleteChild, 0, 0}, nullptr},
    {"FolderReadAndRunOnly", true, {kReadAndRun, 0, kReadAndRun, 0, 0}, nullptr},
    {"FolderModify", true, {0, kModify, 0, 0, 0}, kAu, Way::AddsToFolder},
    {"FolderAddFile", true, {0, 0, kRightWriteData, 0, 0}, L"S-1-5-32-545", Way::AddsToFolder},
    {"FolderAddSubfolder", true, {0, 0, kRightAppendData, 0, 0}, L"S-1-5-32-545", Way::AddsToFolder},
    {"FolderDeleteChild", true, {0, 0, 0, kRightDeleteChild, 0}, L"S-1-5-4", Way::DeletesWhatIsIn},
    {"FolderDelete", true, {kRightDelete, 0, 0, 0, 0}, L"S-1-1-0", Way::Deletes},
    {"FolderPermissions", true, {0, 0, 0, 0, kRightWriteDac}, L"S-1-5-32-546", Way::ChangesPermissions},
    {"FirstGroupIsNamed", true, {kReadAndRun, kRightWriteOwner, kModify, 0, 0}, kAu, Way::TakesOwnership},
    // Any account that is no administrator counts, whatever group it is; a deny narrows only its own.
    {"NamedUserWithModify", true, {}, kUser, Way::AddsToFolder, {Allow(kUser, kModify)}},
    {"DomainUsersWrite", false, {}, kDomainUsers, Way::Writes, {Allow(kDomainUsers, kRightWriteData)}},
    {"PowerUsersModify", false, {}, L"S-1-5-32-547", Way::Writes, {Allow(L"S-1-5-32-547", kModify)}},
    {"DenyForEveryone", false, {0, kWineWrites, 0, 0, 0}, kAu, Way::Writes, {{false, false, L"S-1-1-0", kFull}}},
    {"DenyFirst", false, {}, nullptr, {}, {{false, false, kUser, kFull}, Allow(kUser, kWineWrites)}},
    {"CreatorOwnerIsInNoToken", true, {}, nullptr, {}, {Allow(L"S-1-3-0", kFull)}},
    // The owner may always change the permissions, unless OWNER RIGHTS says what it may do.
    {"OwnedByAUser", false, {}, kUser, Way::Owns, {}, kUser},
    {"OwnerRightsNarrowTheOwner", false, {}, nullptr, {}, {Allow(kOwnerRightsSid, kReadAndRun)}, kUser},
    {"OwnerRightsGrantingWrites", false, {}, kUser, Way::Writes, {Allow(kOwnerRightsSid, kModify)}, kUser},
    {"OwnedByTheAdministratorRunningIt", true, {}, nullptr, {}, {Allow(kMe, kFull)}, kMe},
    // Windows' defaults: C:\ lets users add folders, which matters only to what lies in it itself.
    {"DriveRootAbove", true, kUsersRead, nullptr, {}, {Allow(kAu, kRightAppendData)}, kTi, Role::Above},
    {"DriveRootHoldingTheKit", true, kUsersRead, kAu, Way::AddsToFolder, {Allow(kAu, kRightAppendData)}, kTi},
    {"ProgramFiles", true, kUsersRead, nullptr, {}, {Allow(kTi, kFull), Allow(L"S-1-15-2-1", kReadAndRun)}, kTi},
    // An entry whose SID cannot be read; a file only a user owns and may change.
    {"UnreadableSid", false, {}, L"", Way::Writes, {Allow(L"", kModify)}},
    {"AdministratorsLockedOut", false, {}, kUser, Way::Writes, {Allow(kUser, kFull)}, kUser, Role::Runs, true},
    {"FolderAboveUsersRename", true, {0, kModify, 0, 0, 0}, kAu, Way::Deletes, {}, kTi, Role::Above},
    {"FolderAboveUsersRenameWhatIsIn",
     true,
     {0, 0, 0, kRightDeleteChild, 0},
     L"S-1-5-4",
     Way::DeletesWhatIsIn,
     {},
     kTi,
     Role::Above},
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

ObjectSecurity SecurityOf(const Row& row) {
    ObjectSecurity object{row.isFolder, false, row.owner,
                          row.administratorsHoldNoEntry ? std::vector<AccessEntry>{} : kAdministratorsFull};
    for (std::size_t group = 0; group < kGroups.size(); ++group) {
        if (row.masks.at(group) != 0) {
            object.entries.push_back({true, true, kGroups.at(group), row.masks.at(group)});
        }
    }
    object.entries.insert(object.entries.end(), row.more.begin(), row.more.end());
    return object;
}

// What each line of the advice does, as icacls and takeown are documented: takeown /A gives it to
// Administrators; icacls changes nothing of an object its administrators neither own nor may
// change the permissions of; /setowner sets the owner, /reset removes the explicit entries,
// /remove:g the accounts' allow entries, /inheritance:r the inherited ones, /grant:r replaces an
// account's explicit allow entries. Quotes only hold an argument together.
ObjectSecurity Apply(ObjectSecurity object, const std::wstring& commands, const Administrators& administrators) {
    std::wistringstream words(commands);
    std::wstring option;
    bool lockedOut = false;
    for (std::wstring word; words >> word;) {
        std::erase(word, L'"');
        if (word == L"icacls" || word == L"takeown") {
            lockedOut = word == L"icacls" && AdministratorsLockedOut(object, administrators);
        }
        option = word.starts_with(L'/') ? word : option;
        const std::wstring sid = word.substr(1, word.find(L':') - 1);
        if (word == L"/A") {
            object.owner = kAdministratorsSid;
        } else if (lockedOut) {
            continue;
        } else if (word == L"/reset") {
            std::erase_if(object.entries, [](const AccessEntry& entry) { return !entry.inherited; });
        } else if (word == L"/inheritance:r") {
            std::erase_if(object.entries, [](const AccessEntry& entry) { return entry.inherited; });
        } else if (option == L"/setowner" && word.starts_with(L'*')) {
            object.owner = sid;
        } else if ((option == L"/remove:g" || option == L"/grant:r") && word.starts_with(L'*')) {
            std::erase_if(object.entries, [&](const AccessEntry& entry) {
                return entry.allows && entry.sid == sid && (option == L"/remove:g" || !entry.inherited);
            });
        }
        if (option == L"/grant:r" && word.starts_with(L'*')) {
            object.entries.push_back({true, false, sid, word.ends_with(L"RX") ? kReadAndRun : kFull});
            object.nullDacl = false;
        }
    }
    return object;
}

class PermissionRulesTest : public ::testing::TestWithParam<Row> {};

TEST_P(PermissionRulesTest, NamesTheFirstAccountThatCanChangeItAndTheAdviceLeavesNone) {
    const Row& row = GetParam();
    const Administrators administrators(kMe);
    const ObjectSecurity object = SecurityOf(row);
    const auto changer = FindChanger(object, row.role, administrators);
    ASSERT_EQ(changer.has_value(), row.changer != nullptr);
    if (changer) {
        EXPECT_EQ(changer->sid, row.changer);
        EXPECT_EQ(changer->way, row.way);
        const std::wstring advice = FixCommands(L"C:\\Kit\\x", row.isFolder, Changers(object, row.role, administrators),
                                                AdministratorsLockedOut(object, administrators));
        EXPECT_FALSE(FindChanger(Apply(object, advice, administrators), Role::Runs, administrators)) << advice;
    }
}

INSTANTIATE_TEST_SUITE_P(Permissions, PermissionRulesTest, ::testing::ValuesIn(kRows),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(PermissionRules, NoPermissionsAtAllLetEveryoneChangeIt) {
    for (const bool isFolder : {false, true}) {
        const ObjectSecurity object{isFolder, true, L"S-1-5-32-544", {}};
        const auto changer = FindChanger(object, Role::Runs, Administrators(kMe));
        ASSERT_TRUE(changer.has_value());
        EXPECT_EQ(changer->sid, L"S-1-1-0");
        EXPECT_EQ(changer->way, Way::NoPermissions);
        EXPECT_FALSE(FindChanger(Apply(object, FixCommands(L"D:\\x", isFolder, {}), Administrators(kMe)), Role::Runs,
                                 Administrators(kMe)));
    }
}

// A backslash before the closing quote would escape it.
TEST(PermissionRules, CommandsQuoteThePathSoThatItEndsThere) {
    EXPECT_EQ(FixCommands(L"C:\\Qeltor Server\\", true, {kAuthenticatedUsers, kUser}),
              L"icacls \"C:\\Qeltor Server\" /setowner *S-1-5-32-544 /T /C\r\n"
              L"icacls \"C:\\Qeltor Server\" /remove:g *S-1-5-11 *S-1-5-21-9-9-9-1001 /T /C\r\n"
              L"icacls \"C:\\Qeltor Server\" /inheritance:r /grant:r \"*S-1-5-32-544:(OI)(CI)F\" "
              L"\"*S-1-5-18:(OI)(CI)F\" \"*S-1-5-32-545:(OI)(CI)RX\"");
    // Administrators locked out take it first; an entry without a SID goes with all explicit ones.
    EXPECT_TRUE(
        FixCommands(L"C:\\Srv\\", true, {kUser, L""}, true)
            .starts_with(L"takeown /F \"C:\\Srv\" /A /R /D Y\r\nicacls \"C:\\Srv\" /setowner *S-1-5-32-544 /T /C\r\n"
                         L"icacls \"C:\\Srv\" /reset"));
    EXPECT_EQ(FixCommands(L"D:\\", true, {}).substr(0, 14), L"icacls \"D:\\\\\" ");
    EXPECT_EQ(FixCommands(L"C:\\Kit\\srvany.exe", false, {}),
              L"icacls \"C:\\Kit\\srvany.exe\" /setowner *S-1-5-32-544 /C\r\n"
              L"icacls \"C:\\Kit\\srvany.exe\" /inheritance:r /grant:r *S-1-5-32-544:F *S-1-5-18:F "
              L"*S-1-5-32-545:RX");
}

}  // namespace
}  // namespace qeltor::permissions
