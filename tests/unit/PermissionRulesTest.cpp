// Which rights of which group make a file or folder that a service runs changeable by users who
// are no administrators, who is named, and the command that takes those rights away.
#include "core/PermissionRules.h"

#include <gtest/gtest.h>

#include <array>

namespace qeltor::permissions {
namespace {

constexpr std::uint32_t kReadAndRun = 0x1200a9;  // what Wine gives others of a mode without o+w
constexpr std::uint32_t kWineWrites = 0x1301ff;  // and with o+w
constexpr std::uint32_t kModify = 0x1301bf;      // "Modify", as C:\ gives Authenticated Users
constexpr std::uint32_t kAttributes = 0x110;     // FILE_WRITE_ATTRIBUTES | FILE_WRITE_EA

// Rights by group: Everyone, Authenticated Users, Users, INTERACTIVE, Guests.
using Masks = std::array<std::uint32_t, 5>;

struct Row {
    const char* name;
    bool isFolder;
    Masks masks;
    const wchar_t* group;  // null: nobody of those groups can change it
    const wchar_t* how = L"";
};

const Row kRows[] = {
    {"FileReadAndRunOnly", false, {kReadAndRun, kReadAndRun, kReadAndRun, kReadAndRun, kReadAndRun}, nullptr},
    {"FileOthersWritable", false, {kWineWrites, 0, 0, 0, 0}, L"Everyone", L"can write to it"},
    {"FileAppend", false, {0, 0, kRightAppendData, 0, 0}, L"Users", L"can write to it"},
    {"FileGenericWrite", false, {0, 0, 0, kRightGenericWrite, 0}, L"INTERACTIVE", L"can write to it"},
    {"FileGenericAll", false, {0, 0, 0, 0, kRightGenericAll}, L"Guests", L"can write to it"},
    {"FileDelete", false, {0, kRightDelete, 0, 0, 0}, L"Authenticated Users", L"can delete it"},
    {"FilePermissions", false, {0, 0, 0, kRightWriteDac, 0}, L"INTERACTIVE", L"can change its permissions"},
    {"FileOwner", false, {0, 0, 0, 0, kRightWriteOwner}, L"Guests", L"can take ownership of it"},
    {"FileAttributesOnly", false, {kAttributes, 0, 0, 0, 0}, nullptr},
    {"FileDeleteChildMeansNothing", false, {0, 0, kRightDeleteChild, 0, 0}, nullptr},
    {"FolderReadAndRunOnly", true, {kReadAndRun, 0, kReadAndRun, 0, 0}, nullptr},
    {"FolderModify", true, {0, kModify, 0, 0, 0}, L"Authenticated Users", L"can add files and folders to it"},
    {"FolderAddFile", true, {0, 0, kRightWriteData, 0, 0}, L"Users", L"can add files and folders to it"},
    {"FolderAddSubfolder", true, {0, 0, kRightAppendData, 0, 0}, L"Users", L"can add files and folders to it"},
    {"FolderDeleteChild", true, {0, 0, 0, kRightDeleteChild, 0}, L"INTERACTIVE", L"can delete what is in it"},
    {"FolderDelete", true, {kRightDelete, 0, 0, 0, 0}, L"Everyone", L"can delete it"},
    {"FolderPermissions", true, {0, 0, 0, 0, kRightWriteDac}, L"Guests", L"can change its permissions"},
    {"FirstGroupIsNamed",
     true,
     {kReadAndRun, kRightWriteOwner, kModify, 0, 0},
     L"Authenticated Users",
     L"can take ownership of it"},
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

class PermissionRulesTest : public ::testing::TestWithParam<Row> {};

TEST_P(PermissionRulesTest, NamesTheFirstGroupThatCanChangeIt) {
    const Row& row = GetParam();
    const AccessRights rights{row.isFolder, false, {row.masks.begin(), row.masks.end()}};
    const auto changer = FindChanger(rights);
    ASSERT_EQ(changer.has_value(), row.group != nullptr);
    if (changer) {
        EXPECT_EQ(changer->group, row.group);
        EXPECT_EQ(changer->how, row.how);
    }
}

INSTANTIATE_TEST_SUITE_P(Permissions, PermissionRulesTest, ::testing::ValuesIn(kRows),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(PermissionRules, NoPermissionsAtAllLetEveryoneChangeIt) {
    for (const bool isFolder : {false, true}) {
        const auto changer = FindChanger(AccessRights{isFolder, true, {}});
        ASSERT_TRUE(changer.has_value());
        EXPECT_EQ(changer->group, L"Everyone");
        EXPECT_NE(changer->how.find(L"no permissions at all"), std::wstring::npos);
    }
}

TEST(PermissionRules, GroupsAreReadByTheirSids) {
    EXPECT_EQ(UserGroupSids(),
              (std::vector<std::wstring>{L"S-1-1-0", L"S-1-5-11", L"S-1-5-32-545", L"S-1-5-4", L"S-1-5-32-546"}));
}

// A backslash before the closing quote would escape it.
TEST(PermissionRules, CommandQuotesThePathSoThatItEndsThere) {
    EXPECT_EQ(FixCommand(L"C:\\Qeltor Server\\", true),
              L"icacls \"C:\\Qeltor Server\" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F "
              L"*S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX");
    EXPECT_EQ(FixCommand(L"D:\\", true).substr(0, 14), L"icacls \"D:\\\\\" ");
    EXPECT_EQ(FixCommand(L"C:\\Kit\\srvany.exe", false),
              L"icacls \"C:\\Kit\\srvany.exe\" /inheritance:r /grant:r *S-1-5-32-544:F *S-1-5-18:F "
              L"*S-1-5-32-545:RX");
}

}  // namespace
}  // namespace qeltor::permissions
