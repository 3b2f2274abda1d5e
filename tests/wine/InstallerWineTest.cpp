// Runs the real QeltorService.exe under Wine: each case prepares a program folder and the
// stored server path, presses the button when the window shows, answers the message boxes
// and then looks at what the program started and wrote.
// Usage: InstallerWineTest <QeltorService.exe> <folder with the tool stand-ins>
#include <gtest/gtest.h>

#include <iostream>
#include <string>

#include "Codes.h"
#include "InstallCase.h"
#include "Services.h"
#include "Window.h"

using namespace qeltor::wine_case;
using qeltor::driver::Outcome;
using qeltor::driver::WindowAction;

namespace {

const wchar_t kServerMissing[] = L"Can't find our Monitoring Server files.";
// "Сервер": Cyrillic has no place in the Western code pages.
const wchar_t kCyrillicServer[] = L"D:\\Srv\\\x0421\x0435\x0440\x0432\x0435\x0440.exe";
// What "..\apps\Monitor.exe" names from the program's folder.
const wchar_t kAppsServer[] = L"C:\\apps\\Monitor.exe";

// Runs the prepared copy, pressing its button once the window shows, and fails the test on a
// start failure or a hang.
Outcome RunProgram(WindowAction action = WindowAction::ClickButton) {
    Outcome outcome = qeltor::driver::RunProgram(kProgram, kPatienceMs, action);
    if (!outcome.problem.empty()) {
        ADD_FAILURE() << outcome.problem;
    }
    return outcome;
}

class InstallerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartAfresh());
        std::filesystem::remove_all(std::filesystem::path(kAppsServer).parent_path());
        std::filesystem::create_directories(std::filesystem::path(kAppsServer).parent_path());
        for (const wchar_t* copy : {kCyrillicServer, kAppsServer}) {
            std::filesystem::copy_file(kMonitor, copy);
        }
    }

    // A failed run shows one critical box; gives the box's text. A failed start-up check ends
    // the program before its window shows; a failed registration leaves the window open until
    // it is closed.
    static std::wstring FailureText(const Outcome& outcome, bool atStartUp) {
        EXPECT_EQ(outcome.windowShown, !atStartUp);
        EXPECT_EQ(outcome.closedByDriver, !atStartUp);
        EXPECT_EQ(outcome.exitCode, atStartUp ? 1U : 0U);
        EXPECT_EQ(outcome.boxes.size(), 1U);
        if (outcome.boxes.empty()) {
            return {};
        }
        EXPECT_EQ(outcome.boxes[0].caption, L"QeltorService");
        EXPECT_EQ(outcome.boxes[0].icon, L"hand");
        return outcome.boxes[0].text;
    }

    // A refused run, besides, leaves nothing started or written.
    static std::wstring RefusalText(const Outcome& outcome, bool atStartUp) {
        ExpectNothingDone();
        return FailureText(outcome, atStartUp);
    }

    // One information box with the success message, and the program ends by itself.
    static void ExpectSuccess(const Outcome& outcome) {
        EXPECT_TRUE(outcome.windowShown);
        EXPECT_FALSE(outcome.closedByDriver);  // it closes itself after the message
        EXPECT_EQ(outcome.exitCode, 0U);
        ASSERT_EQ(outcome.boxes.size(), 1U);
        EXPECT_EQ(outcome.boxes[0].caption, L"QeltorService");
        EXPECT_EQ(outcome.boxes[0].icon, L"asterisk");
        EXPECT_EQ(outcome.boxes[0].text, kSuccessMessage);
    }
};

TEST_F(InstallerTest, RegistersTheServerAsService) {
    LayOut(Instsrv::Program, true, kMonitor);
    ExpectSuccess(RunProgram());
    ExpectServiceRegistered();
}

// The second run finds the service there already, its own: instsrv.exe says so and fails, and the
// service is still what it should be.
TEST_F(InstallerTest, RunsAgainOverItsOwnService) {
    LayOut(Instsrv::Program, true, kMonitor);
    ExpectSuccess(RunProgram());
    ForgetRecordedCommandLine();
    ExpectSuccess(RunProgram());
    ExpectServiceRegistered();
}

// Both clicks reach the button before it can be disabled: the second finds it busy. The record
// of the stand-in would hold a second command line, and a second box would show.
TEST_F(InstallerTest, AQueuedSecondClickDoesNothing) {
    LayOut(Instsrv::Program, true, kMonitor);
    ExpectSuccess(RunProgram(WindowAction::ClickButtonTwice));
    ExpectServiceRegistered();
}

TEST_F(InstallerTest, InstsrvThatCreatesNothingIsReportedAndItsValuesRemoved) {
    LayOut(Instsrv::Failing, true, kMonitor);
    const std::wstring text = FailureText(RunProgram(), false);
    EXPECT_TRUE(
        text.starts_with(L"instsrv.exe did not create the service \"Qeltor Monitoring Server\": it ended "
                         L"with exit code 1."))
        << text;
    EXPECT_TRUE(CommandLineRecorded());
    ExpectNoServiceLeft();
}

TEST_F(InstallerTest, ServiceOfAProgramThatIsGoneIsNamedAndLeftAlone) {
    const std::wstring gone = L"\"C:\\Old Kit\\srvany.exe\"";
    ASSERT_EQ(qeltor::driver::CreateAutoService(kService, gone), qeltor::driver::kErrorSuccess);
    LayOut(Instsrv::Program, true, kMonitor);
    const std::wstring text = FailureText(RunProgram(), false);
    EXPECT_NE(text.find(L"exists already and runs another program: " + gone), std::wstring::npos) << text;
    EXPECT_NE(
        text.find(L"run instsrv.exe \"Qeltor Monitoring Server\" remove in a command prompt run as administrator"),
        std::wstring::npos)
        << text;
    EXPECT_TRUE(qeltor::driver::ServiceExists(kService));
}

struct ClickRefusal {
    const char* name;
    const wchar_t* serverPath;
    const wchar_t* says;
};

void PrintTo(const ClickRefusal& refusal, std::ostream* out) {
    *out << refusal.name;
}

class ClickRefusalTest : public InstallerTest, public testing::WithParamInterface<ClickRefusal> {};

// Paths the service could never start are refused at the click, before anything is started.
TEST_P(ClickRefusalTest, RefusesAPathTheServiceCouldNeverStart) {
    const ClickRefusal& refusal = GetParam();
    LayOut(Instsrv::Program, true, refusal.serverPath);
    const std::wstring text = RefusalText(RunProgram(), false);
    EXPECT_NE(text.find(L"\"" + std::wstring(refusal.serverPath) + L"\""), std::wstring::npos) << text;
    EXPECT_NE(text.find(refusal.says), std::wstring::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Installer, ClickRefusalTest,
    testing::Values(ClickRefusal{"RelativePath", L"..\\apps\\Monitor.exe", L"is not a full path"},
                    ClickRefusal{"NotAProgram", kServerNotes, L"is not a program that Windows can start"}),
    [](const testing::TestParamInfo<ClickRefusal>& param) { return std::string(param.param.name); });

struct StartupFailure {
    const char* name;
    Instsrv instsrv;
    bool srvany;
    const wchar_t* serverPath;
    const wchar_t* message;
};

void PrintTo(const StartupFailure& failure, std::ostream* out) {
    *out << failure.name;
}

class StartupCheckTest : public InstallerTest, public testing::WithParamInterface<StartupFailure> {};

TEST_P(StartupCheckTest, RefusesWithTheFirstMissingPiece) {
    const StartupFailure& failure = GetParam();
    LayOut(failure.instsrv, failure.srvany, failure.serverPath);
    EXPECT_EQ(RefusalText(RunProgram(), true), failure.message);
}

INSTANTIATE_TEST_SUITE_P(
    Installer, StartupCheckTest,
    testing::Values(StartupFailure{"NoToolsAtAll", Instsrv::Missing, false, kMonitor, L"Can't find instsrv.exe"},
                    StartupFailure{"InstsrvIsAFolder", Instsrv::Folder, true, kMonitor, L"Can't find instsrv.exe"},
                    StartupFailure{"NoSrvany", Instsrv::Program, false, kMonitor, L"Can't find srvany.exe"},
                    StartupFailure{"NoStoredServer", Instsrv::Program, true, nullptr, kServerMissing},
                    StartupFailure{"ServerIsAFolder", Instsrv::Program, true, L"D:\\Srv", kServerMissing},
                    StartupFailure{"ServerMissing", Instsrv::Program, true, L"D:\\Srv\\Absent.exe", kServerMissing},
                    StartupFailure{"ServerAsWildcard", Instsrv::Program, true, L"D:\\Srv\\*.exe", kServerMissing}),
    [](const testing::TestParamInfo<StartupFailure>& param) { return std::string(param.param.name); });

TEST_F(InstallerTest, ReportsAnInstsrvThatCannotStart) {
    LayOut(Instsrv::TextFile, true, kMonitor);
    const std::wstring text = RefusalText(RunProgram(), false);
    EXPECT_TRUE(text.starts_with(L"Can't start C:\\Qeltor Test\\instsrv.exe: ")) << text;
}

TEST_F(InstallerTest, RefusesAServerPathOutsideTheAnsiCodePage) {
    BOOL lossy = FALSE;
    char ansi[64];
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, kCyrillicServer, -1, ansi, sizeof ansi, nullptr, &lossy);
    ASSERT_NE(lossy, FALSE) << "code page " << GetACP() << " holds the path; this case needs one that does not";

    LayOut(Instsrv::Program, true, kCyrillicServer);
    const std::wstring text = RefusalText(RunProgram(), false);
    EXPECT_NE(text.find(kCyrillicServer), std::wstring::npos) << text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc == 3) {
        SetBuildOutputs(argv[1], argv[2]);
    } else if (!GTEST_FLAG_GET(list_tests)) {
        std::cerr << "usage: InstallerWineTest <QeltorService.exe> <stand-in folder>\n";
        return 2;
    }
    return RUN_ALL_TESTS();
}
