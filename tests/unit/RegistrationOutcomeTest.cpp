// What the user is told after a click, and what the click leaves in the service manager and the
// registry, for each way the service can turn out.
#include "FakePlatform.h"
#include "installer/ServiceRegistration.h"

#include <gtest/gtest.h>

namespace qeltor::testing {
namespace {

const std::wstring kService = L"Qeltor Monitoring Server";
const std::string kServiceKey = R"(SYSTEM\CurrentControlSet\Services\Qeltor Monitoring Server)";
const std::string kParametersKey = kServiceKey + R"(\Parameters)";
const std::string kEventSourceKey =
    R"(SYSTEM\CurrentControlSet\Services\EventLog\Application\Qeltor Monitoring Server)";
const std::wstring kOurs = L"\"C:\\Tools\\srvany.exe\"";

struct Left {
    bool service;
    bool parameters;
    bool eventSource;
    bool operator==(const Left&) const = default;
};

using Instsrv = FakePlatform::Instsrv;
const std::wstring kSuccess = L"Run as service successfully.";
const std::wstring kServer = L"D:\\Srv\\Monitor.exe";

// Each row gives what differs from a click that registers kServer with instsrv.exe run.
struct Outcome {
    const char* name;
    std::wstring serverPath = kServer;
    std::optional<ServiceConfig> before = std::nullopt;  // the service as it was before the click
    Instsrv instsrv = Instsrv::Creates;
    unsigned style;
    const char* failingValue = nullptr;  // a registry write that fails, if any
    std::wstring says;                   // a part of the message
    bool started = true;                 // instsrv.exe was run
    Left left;
    const wchar_t* changeable = nullptr;  // a path that Authenticated Users may modify
    const wchar_t* unreadable = nullptr;  // a path whose permissions cannot be read
};

void PrintTo(const Outcome& outcome, std::ostream* out) {
    *out << outcome.name;
}

const Outcome kOutcomes[] = {
    {.name = "Created", .style = 64, .says = kSuccess, .left = {true, true, true}},
    {.name = "NotCreated",
     .instsrv = Instsrv::Fails,
     .style = 16,
     .says = L"instsrv.exe did not create the service \"Qeltor Monitoring Server\": it ended with exit code 1.",
     .left = {false, false, false}},
    {.name = "ExistsWithOurProgram",
     .before = ServiceConfig{kOurs, 2},
     .style = 64,
     .says = kSuccess,
     .left = {true, true, false}},
    {.name = "OursInOtherCaseUnquoted",
     .before = ServiceConfig{L"c:\\TOOLS\\srvany.EXE", 2},
     .style = 64,
     .says = kSuccess,
     .left = {true, true, false}},
    {.name = "ExistsWithAnotherProgram",
     .before = ServiceConfig{L"\"D:\\Old Kit\\srvany.exe\"", 2},
     .style = 16,
     .says =
         L"exists already and runs another program: \"D:\\Old Kit\\srvany.exe\". It was left unchanged, so it does not "
         L"run the monitoring server through this folder's srvany.exe.\r\n\r\nTo replace it, run instsrv.exe \"Qeltor "
         L"Monitoring Server\" remove in a command prompt run as administrator, in the folder C:\\Tools\\, then run "
         L"QeltorService again.",
     .left = {true, true, false}},
    {.name = "OursWithAnExtraArgument",
     .before = ServiceConfig{kOurs + L" -x", 2},
     .style = 16,
     .says = L"runs another program",
     .left = {true, true, false}},
    {.name = "Disabled",
     .before = ServiceConfig{kOurs, 4},
     .style = 16,
     .says = L"is disabled, so it will not start with Windows.",
     .left = {true, true, false}},
    {.name = "ManualStart",
     .before = ServiceConfig{kOurs, 3},
     .style = 16,
     .says = L"is set to start manually, so it will not start with Windows.",
     .left = {true, true, false}},
    {.name = "WriteFailedAfterCreation",
     .style = 16,
     .failingValue = "AppDirectory",
     .says = L"that instsrv.exe had just created was removed again",
     .left = {false, false, false}},
    {.name = "WriteFailedOnAnOlderService",
     .before = ServiceConfig{kOurs, 2},
     .style = 16,
     .failingValue = "AppDirectory",
     .says = L"Can't write the registry value AppDirectory",
     .left = {true, true, false}},
    {.name = "WriteFailedAndNotCreated",
     .instsrv = Instsrv::Fails,
     .style = 16,
     .failingValue = "AppParameters",
     .says = L"The values written for the service were removed again.",
     .left = {false, false, false}},
    {.name = "InstsrvNeverEnds",
     .instsrv = Instsrv::Hangs,
     .style = 16,
     .says = L"has not finished after 30 seconds",
     .left = {false, true, false}},
    {.name = "RelativePath",
     .serverPath = L"..\\apps\\Monitor.exe",
     .style = 16,
     .says = L"the path \"..\\apps\\Monitor.exe\" is not a full path",
     .started = false,
     .left = {false, false, false}},
    {.name = "DriveRelativePath",
     .serverPath = L"D:Monitor.exe",
     .style = 16,
     .says = L"is not a full path",
     .started = false,
     .left = {false, false, false}},
    {.name = "NotAProgram",
     .serverPath = L"D:\\Srv\\notes.txt",
     .style = 16,
     .says = L"\"D:\\Srv\\notes.txt\" is not a program that Windows can start, so the service could not run it. The "
             L"system says: system error 193.",
     .started = false,
     .left = {false, false, false}},
    {.name = "SlashesAndShares",
     .serverPath = L"C:/Srv/Monitor.exe",
     .style = 64,
     .says = kSuccess,
     .left = {true, true, true}},
    {.name = "Share",
     .serverPath = L"\\\\host\\share\\Monitor.exe",
     .style = 64,
     .says = kSuccess,
     .left = {true, true, true}},
    {.name = "SrvanyChangeableByUsers",
     .style = 16,
     .says = L"Can't register the service: users who are no administrators can change \"C:\\Tools\\srvany.exe\": "
             L"Authenticated Users can write to it. The service runs it with full control of this computer at every "
             L"start of Windows, so any of them could take over this computer.\r\n\r\nMove it to a folder that only "
             L"administrators can change, such as one under C:\\Program Files, or run this in a command prompt run "
             L"as administrator:\r\nicacls \"C:\\Tools\\srvany.exe\" /inheritance:r /grant:r *S-1-5-32-544:F "
             L"*S-1-5-18:F *S-1-5-32-545:RX\r\n\r\nThen press the button again.",
     .started = false,
     .left = {false, false, false},
     .changeable = L"C:\\Tools\\srvany.exe"},
    {.name = "KitFolderChangeableByUsers",
     .style = 16,
     .says = L"change \"C:\\Tools\\\": Authenticated Users can add files and folders to it.",
     .started = false,
     .left = {false, false, false},
     .changeable = L"C:\\Tools\\"},
    {.name = "ServerChangeableByUsers",
     .style = 16,
     .says = L"change \"D:\\Srv\\Monitor.exe\": Authenticated Users can write to it.",
     .started = false,
     .left = {false, false, false},
     .changeable = L"D:\\Srv\\Monitor.exe"},
    {.name = "ServerFolderChangeableByUsers",
     .style = 16,
     .says = L"icacls \"D:\\Srv\" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F "
             L"*S-1-5-32-545:(OI)(CI)RX",
     .started = false,
     .left = {false, false, false},
     .changeable = L"D:\\Srv\\"},
    {.name = "ChangeableFolderOfAnOlderService",
     .before = ServiceConfig{kOurs, 2},
     .style = 16,
     .says = L"Authenticated Users can add files and folders to it.",
     .started = false,
     .left = {true, false, false},
     .changeable = L"D:\\Srv\\"},
    {.name = "PermissionsUnreadable",
     .style = 16,
     .says = L"Can't register the service: the permissions of \"D:\\Srv\\Monitor.exe\" cannot be read, so it is "
             L"not known whether users who are no administrators can change what the service runs with full control "
             L"of this computer. The system says: system error 5.",
     .started = false,
     .left = {false, false, false},
     .unreadable = L"D:\\Srv\\Monitor.exe"},
};

class RegistrationOutcomeTest : public ::testing::TestWithParam<Outcome> {};

TEST_P(RegistrationOutcomeTest, TellsTheTruthAndLeavesNothingHalfWritten) {
    const Outcome& outcome = GetParam();
    FakePlatform fake;
    fake.instsrv = outcome.instsrv;
    if (outcome.before) {
        fake.services[kService] = *outcome.before;
        fake.registry[kServiceKey]["ImagePath"] = "set";
    }
    if (outcome.failingValue != nullptr) {
        fake.setValueStatus[outcome.failingValue] = 5;
    }
    if (outcome.changeable != nullptr) {
        const std::wstring path = outcome.changeable;
        fake.accessRights[path] = {path.ends_with(L'\\'), false, {0x1200a9, 0x1301bf, 0x1200a9, 0, 0}};
    }
    if (outcome.unreadable != nullptr) {
        fake.accessStatus[outcome.unreadable] = 5;
    }
    const InstallerPaths paths{L"C:\\Tools\\", outcome.serverPath,
                               outcome.serverPath.substr(0, outcome.serverPath.rfind(L'\\') + 1)};

    EXPECT_EQ(RegisterService(fake, paths), outcome.style == 64);

    ASSERT_EQ(fake.boxes.size(), 1U);
    EXPECT_EQ(fake.boxes[0].style, outcome.style);
    EXPECT_NE(fake.boxes[0].text.find(outcome.says), std::wstring::npos) << fake.boxes[0].text;
    EXPECT_EQ(fake.unloaded, outcome.style == 64);
    EXPECT_EQ(fake.shellCommands.size(), outcome.started ? 1U : 0U);
    const Left left{fake.services.contains(kService), fake.registry.contains(kParametersKey),
                    fake.registry.contains(kEventSourceKey)};
    EXPECT_EQ(left, outcome.left) << "service " << left.service << ", parameters " << left.parameters
                                  << ", event source " << left.eventSource;
    // A service key that belongs to no service is never left behind by a failed run.
    if (!left.service && !left.parameters) {
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

TEST(RegistrationOutcomeTest, ServiceKeyThatHoldsMoreThanOurValuesIsKept) {
    FakePlatform fake;
    fake.instsrv = FakePlatform::Instsrv::Fails;
    fake.registry[kServiceKey]["Description"] = "an administrator's own";
    const InstallerPaths paths{L"C:\\Tools\\", kServer, L"D:\\Srv\\"};
    EXPECT_FALSE(RegisterService(fake, paths));
    EXPECT_FALSE(fake.registry.contains(kParametersKey));
    EXPECT_TRUE(fake.registry.contains(kServiceKey));
}

TEST(RegistrationOutcomeTest, ServiceThatCannotBeRemovedAgainIsNamedWithTheWayToRemoveIt) {
    FakePlatform fake;
    fake.setValueStatus["Application"] = 5;
    fake.removeStatus = 1072;  // marked for deletion
    const InstallerPaths paths{L"C:\\Tools\\", kServer, L"D:\\Srv\\"};
    EXPECT_FALSE(RegisterService(fake, paths));
    ASSERT_EQ(fake.boxes.size(), 1U);
    EXPECT_NE(fake.boxes[0].text.find(L"could not be removed again: system error 1072. To remove it, run instsrv.exe "
                                      L"\"Qeltor Monitoring Server\" remove"),
              std::wstring::npos)
        << fake.boxes[0].text;
}

TEST(RegistrationOutcomeTest, ServiceManagerThatCannotAnswerIsReportedAndNothingRemoved) {
    FakePlatform fake;
    fake.queryStatus = 5;
    const InstallerPaths paths{L"C:\\Tools\\", kServer, L"D:\\Srv\\"};
    EXPECT_FALSE(RegisterService(fake, paths));
    ASSERT_EQ(fake.boxes.size(), 1U);
    EXPECT_NE(fake.boxes[0].text.find(L"Can't check the service \"Qeltor Monitoring Server\" with the service "
                                      L"manager: system error 5."),
              std::wstring::npos)
        << fake.boxes[0].text;
    EXPECT_TRUE(fake.registry.contains(kParametersKey));
}

}  // namespace
}  // namespace qeltor::testing
