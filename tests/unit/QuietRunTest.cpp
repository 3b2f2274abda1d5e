// The program without its window: one run of each way it can end, what it says and its exit code,
// with no message box; and its command line.
#include "FakePlatform.h"
#include "installer/Messages.h"
#include "installer/QuietRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace qeltor::testing {
namespace {

using messages::Id;
const std::wstring kServer = L"D:\\Srv\\Monitor.exe";

struct QuietRow {
    const char* name;
    std::function<void(FakePlatform&)> world;  // what differs from a machine the run registers
    int exitCode;
    messages::Messages says;  // how the text begins
};

const QuietRow kRows[] = {
    {"Registered", [](FakePlatform&) {}, 0, {{Id::Success, {}}}},
    {"StartupCheck",
     [](FakePlatform& fake) { fake.files.erase(L"C:\\Tools\\srvany.exe"); },
     1,
     {{Id::MissingSrvany, {}}}},
    {"RefusedBeforeAnything",
     [](FakePlatform& fake) {
         fake.services[L"Qeltor Monitoring Server"] = {L"C:\\Other\\other.exe", 2};
     },
     3,
     {{Id::RunsAnotherProgram, {L"C:\\Other\\other.exe", L"C:\\Tools\\"}}}},
    {"PutBack",
     [](FakePlatform& fake) {
         fake.services[L"Qeltor Monitoring Server"] = {L"\"C:\\Tools\\srvany.exe\"", 2};
         fake.setValueStatus["AppDirectory"] = 5;
     },
     4,
     {{Id::CannotWriteValue, {L"AppDirectory", L"system error 5."}}, {Id::WrittenValuesRemoved, {}}}},
    {"SomethingLeft",
     [](FakePlatform& fake) {
         fake.setValueStatus["Application"] = 5;
         fake.removeStatus = 5;
     },
     5,
     {{Id::CannotWriteValue, {L"Application", L"system error 5."}},
      {Id::CreatedServiceLeft, {L"system error 5.", L"C:\\Tools\\"}}}},
    // As the system, the running account's hive is the service's: nothing is copied onto itself.
    {"RunAsTheSystem",
     [](FakePlatform& fake) { fake.currentUser = L"S-1-5-18"; },
     0,
     {{Id::Success, {}}, {Id::SettingsAreTheServicesOwn, {}}}},
};

class QuietRunTest : public ::testing::TestWithParam<QuietRow> {};

TEST_P(QuietRunTest, EndsWithTheCodeOfItsOutcomeAndShowsNothing) {
    FakePlatform fake;
    fake.AddInstallerTools();
    fake.files.insert(kServer);
    GetParam().world(fake);
    const QuietOutcome outcome = RunQuietly(fake, kServer);
    EXPECT_EQ(outcome.exitCode, GetParam().exitCode);
    EXPECT_EQ(outcome.text, messages::Render(GetParam().says));
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_FALSE(fake.ended);
    EXPECT_EQ(std::ranges::count(fake.calls, L"CopyTree"), GetParam().exitCode == 0 && fake.currentUser != L"S-1-5-18");
}

INSTANTIATE_TEST_SUITE_P(Quiet, QuietRunTest, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(QuietCommandLine, ReadsTheQuietWayAndRefusesWhatItDoesNotKnow) {
    const Request full = ReadCommandLine(
        LR"("C:\Program Files\Kit\QeltorService.exe" /QUIET /server "C:\Program Files\Q\M.exe" -log C:\q.log)");
    EXPECT_TRUE(full.quiet);
    EXPECT_EQ(full.server, L"C:\\Program Files\\Q\\M.exe");
    EXPECT_EQ(full.log, L"C:\\q.log");
    EXPECT_FALSE(full.notUnderstood);
    EXPECT_FALSE(ReadCommandLine(L"QeltorService.exe").quiet);
    EXPECT_FALSE(ReadCommandLine(L"\"C:\\Kit\\QeltorService.exe\"  ").notUnderstood);
    EXPECT_EQ(ReadCommandLine(L"QeltorService.exe /quiet /serve x").notUnderstood, L"/serve");
    EXPECT_EQ(ReadCommandLine(L"QeltorService.exe /quiet /server").notUnderstood, L"/server");
    EXPECT_EQ(ReadCommandLine(L"QeltorService.exe /server C:\\M.exe").notUnderstood, L"/server");
    EXPECT_EQ(WrongCommandLine(L"/serve").exitCode, 87);
}

}  // namespace
}  // namespace qeltor::testing
