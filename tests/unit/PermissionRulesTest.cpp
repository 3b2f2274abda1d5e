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

struct Row {
    const char* name;
    bool isFolder;
    Masks masks;
    const wchar_t* changer;  // null: nobody who is no administrator can change it
    const wchar_t* how = L"";
    std::vector<AccessEntry> more = {};  // after the groups' entries
    const wchar_t* owner = L"S-1-5-32-544";
    Role role = Role::Runs;
};

const std::vector<AccessEntry> kAdministratorsFull = {{true, true, L"S-1-5-32-544", kFull},
                                                      {true, true, L"S-1-5-18", kFull}};

const Row kRows[] = {
    {"FileReadAndRunOnly", false, {kReadAndRun, kReadAndRun, kReadAndRun, kReadAndRun, kReadAndRun}, nullptr},
    {"FileOthersWritable", false, {kWineWrites, 0, 0, 0, 0}, L"S-1-1-0", L"can write to it"},
    {"FileAppend", false, {0, 0, kRightAppendData, 0, 0}, L"S-1-5-32-545", L"can write to it"},
    {"FileGenericWrite", false, {0, 0, 0, kRightGenericWrite, 0}, L"S-1-5-4", L"can write to it"},
    {"FileGenericAll", false, {0, 0, 0, 0, kRightGenericAll}, L"S-1-5-32-546", L"can write to it"},
    {"FileDelete", false, {0, kRightDelete, 0, 0, 0}, kAuthenticatedUsers, L"can delete it"},
    {"FilePermissions", false, {0, 0, 0, kRightWriteDac, 0}, L"S-1-5-4", L"can change its permissions"},
    {"FileOwner", false, {0, 0, 0, 0, kRightWriteOwner}, L"S-1-5-32-546", L"can take ownership of it"},
    {"FileAttributesOnly", false, {kAttributes, 0, 0, 0, 0}, nullptr},
    {"FileDeleteChildMeansNothing", false, {0, 0, kRightDeleteChild, 0, 0}, nullptr},
    {"FolderReadAndRunOnly", true, {kReadAndRun, 0, kReadAndRun, 0, 0}, nullptr},
    {"FolderModify", true, {0, kModify, 0, 0, 0}, kAuthenticatedUsers, L"can add files and folders to it"},
    {"FolderAddFile", true, {0, 0, kRightWriteData, 0, 0}, L"S-1-5-32-545", L"can add files and folders to it"},
    {"FolderAddSubfolder", true, {0, 0, kRightAppendData, 0, 0}, L"S-1-5-32-545", L"can add files and folders to it"},
    {"FolderDeleteChild", true, {0, 0, 0, kRightDeleteChild, 0}, L"S-1-5-4", L"can delete what is in it"},
    {"FolderDelete", true, {kRightDelete, 0, 0, 0, 0}, L"S-1-1-0", L"can delete it"},
    {"FolderPermissions", true, {0, 0, 0, 0, kRightWriteDac}, L"S-1-5-32-546", L"can change its permissions"},
    {"FirstGroupIsNamed",
     true,
     {kReadAndRun, kRightWriteOwner, kModify, 0, 0},
     kAuthenticatedUsers,
     L"can take ownership of it"},
    // Any account that is no administrator counts, whatever group it is.
    {"NamedUserWithModify", true, {}, kUser, L"can add files and folders to it", {{true, false, kUser, kModify}}},
    {"DomainUsersWrite",
     false,
     {},
     L"S-1-5-21-9-9-9-513",
     L"can write to it",
     {{true, true, L"S-1-5-21-9-9-9-513", kRightWriteData}}},
    {"PowerUsersModify", false, {}, L"S-1-5-32-547", L"can write to it", {{true, true, L"S-1-5-32-547", kModify}}},
    {"ADenyOnlyNarrowsItsOwnAccount",
     false,
     {0, kWineWrites, 0, 0, 0},
     kAuthenticatedUsers,
     L"can write to it",
     {{false, false, L"S-1-1-0", kWineWrites}}},
    {"ADenyFirstTakesTheRightAway",
     false,
     {},
     nullptr,
     L"",
     {{false, false, kUser, kWineWrites}, {true, true, kUser, kWineWrites}}},
    {"CreatorOwnerIsInNoToken", true, {}, nullptr, L"", {{true, false, L"S-1-3-0", kFull}}},
    // The owner may always change the permissions, unless OWNER RIGHTS says what it may do.
    {"OwnedByAUser", false, {}, kUser, L"owns it, so it can always change its permissions", {}, kUser},
    {"OwnerRightsNarrowTheOwner", false, {}, nullptr, L"", {{true, false, kOwnerRightsSid, kReadAndRun}}, kUser},
    {"OwnerRightsGrantingWrites",
     false,
     {},
     kUser,
     L"can write to it",
     {{true, false, kOwnerRightsSid, kModify}},
     kUser},
    {"OwnedByTheAdministratorRunningIt", true, {}, nullptr, L"", {{true, false, kMe, kFull}}, kMe},
    // Windows' defaults: C:\ lets users add folders, which matters only to what lies in it itself.
    {"DriveRootAsAFolderAbove",
     true,
     {0, 0, kReadAndRun, 0, 0},
     nullptr,
     L"",
     {{true, false, kAuthenticatedUsers, kRightAppendData}},
     kTrustedInstallerSid,
     Role::Above},
    {"DriveRootHoldingTheKit",
     true,
     {0, 0, kReadAndRun, 0, 0},
     kAuthenticatedUsers,
     L"can add files and folders to it",
     {{true, false, kAuthenticatedUsers, kRightAppendData}},
     kTrustedInstallerSid},
    {"ProgramFiles",
     true,
     {0, 0, kReadAndRun, 0, 0},
     nullptr,
     L"",
     {{true, false, kTrustedInstallerSid, kFull}, {true, false, L"S-1-15-2-1", kReadAndRun}},
     kTrustedInstallerSid},
    {"FolderAboveUsersCanRename",
     true,
     {0, kModify, 0, 0, 0},
     kAuthenticatedUsers,
     L"can delete it",
     {},
     L"S-1-5-32-544",
     Role::Above},
    {"FolderAboveUsersCanRenameWhatIsIn",
     true,
     {0, 0, 0, kRightDeleteChild, 0},
     L"S-1-5-4",
     L"can delete what is in it",
     {},
     L"S-1-5-32-544",
     Role::Above},
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

ObjectSecurity SecurityOf(const Row& row) {
    ObjectSecurity object{row.isFolder, false, row.owner, kAdministratorsFull};
    for (std::size_t group = 0; group < kGroups.size(); ++group) {
        if (row.masks.at(group) != 0) {
            object.entries.push_back({true, true, kGroups.at(group), row.masks.at(group)});
        }
    }
    object.entries.insert(object.entries.end(), row.more.begin(), row.more.end());
    return object;
}

// What each line of the advice does, as icacls is documented: /setowner sets the owner,
// /remove:g removes the accounts' allow entries, /inheritance:r the inherited ones, /grant:r
// replaces an account's explicit allow entries.
ObjectSecurity Apply(ObjectSecurity object, const std::wstring& commands) {
    std::wistringstream words(commands);
    std::wstring option;
    for (std::wstring word; words >> word;) {
        option = word.starts_with(L'/') ? word : option;
        const std::wstring sid = word.substr(1, word.find(L':') - 1);
        if (word == L"/inheritance:r") {
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
        EXPECT_EQ(Describe(changer->way), std::wstring(row.how));
        const std::wstring advice =
            FixCommands(L"C:\\Kit\\x", row.isFolder, Changers(object, row.role, administrators));
        EXPECT_FALSE(FindChanger(Apply(object, advice), Role::Runs, administrators)) << advice;
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
        EXPECT_NE(std::wstring(Describe(changer->way)).find(L"no permissions at all"), std::wstring::npos);
        EXPECT_FALSE(FindChanger(Apply(object, FixCommands(L"D:\\x", isFolder, {})), Role::Runs, Administrators(kMe)));
    }
}

// A backslash before the closing quote would escape it.
TEST(PermissionRules, CommandsQuoteThePathSoThatItEndsThere) {
    EXPECT_EQ(FixCommands(L"C:\\Qeltor Server\\", true, {kAuthenticatedUsers, kUser}),
              L"icacls \"C:\\Qeltor Server\" /setowner *S-1-5-32-544 /T /C\r\n"
              L"icacls \"C:\\Qeltor Server\" /remove:g *S-1-5-11 *S-1-5-21-9-9-9-1001 /T /C\r\n"
              L"icacls \"C:\\Qeltor Server\" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F "
              L"*S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX");
    EXPECT_EQ(FixCommands(L"D:\\", true, {}).substr(0, 14), L"icacls \"D:\\\\\" ");
    EXPECT_EQ(FixCommands(L"C:\\Kit\\srvany.exe", false, {}),
              L"icacls \"C:\\Kit\\srvany.exe\" /setowner *S-1-5-32-544 /C\r\n"
              L"icacls \"C:\\Kit\\srvany.exe\" /inheritance:r /grant:r *S-1-5-32-544:F *S-1-5-18:F "
              L"*S-1-5-32-545:RX");
}

}  // namespace
}  // namespace qeltor::permissions
