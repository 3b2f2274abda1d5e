// Runs the real QeltorService.exe under Wine: each case prepares a program folder and the
// stored server path, presses the button when the window shows, answers the message boxes
// and then looks at what the program started and wrote.
// Usage: InstallerWineTest <QeltorService.exe> <folder with the tool stand-ins>
#include "InstallCase.h"
#include "ProgramDriver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <string>

using namespace qeltor::wine_case;
using qeltor::driver::Outcome;

namespace {

const wchar_t kServerMissing[] = L"Can't find our Monitoring Server files.";
// "Сервер": Cyrillic has no place in the Western code pages.
const wchar_t kCyrillicServer[] = L"D:\\Srv\\\x0421\x0435\x0440\x0432\x0435\x0440.exe";

// Runs the prepared copy, pressing its button once the window shows, and fails the test on a
// start failure or a hang.
Outcome RunProgram() {
    Outcome outcome = qeltor::driver::RunProgram(kProgram, kPatienceMs, qeltor::driver::WindowAction::ClickButton);
    if (!outcome.problem.empty()) {
        ADD_FAILURE() << outcome.problem;
    }
    return outcome;
}

class InstallerTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        PrepareServerDrive();
        std::ofstream(std::filesystem::path(kCyrillicServer)) << "server";
    }

    void SetUp() override { StartAfresh(); }

    // A refused run shows one critical box and leaves nothing started or written; gives the
    // box's text. A failed start-up check ends the program before its window shows; a refused
    // registration leaves the window open until it is closed.
    static std::wstring RefusalText(const Outcome& outcome, bool atStartUp) {
        EXPECT_EQ(outcome.windowShown, !atStartUp);
        EXPECT_EQ(outcome.closedByDriver, !atStartUp);
        EXPECT_EQ(outcome.exitCode, atStartUp ? 1U : 0U);
        ExpectNothingDone();
        EXPECT_EQ(outcome.boxes.size(), 1U);
        if (outcome.boxes.empty()) {
            return {};
        }
        EXPECT_EQ(outcome.boxes[0].caption, L"QeltorService");
        EXPECT_EQ(outcome.boxes[0].icon, L"hand");
        return outcome.boxes[0].text;
    }
};

TEST_F(InstallerTest, RegistersTheServerAsService) {
    LayOut(Instsrv::Program, true, kMonitor);
    const Outcome outcome = RunProgram();

    EXPECT_TRUE(outcome.windowShown);
    EXPECT_FALSE(outcome.closedByDriver);  // it closes itself after the message
    EXPECT_EQ(outcome.exitCode, 0U);
    ASSERT_EQ(outcome.boxes.size(), 1U);
    EXPECT_EQ(outcome.boxes[0].caption, L"QeltorService");
    EXPECT_EQ(outcome.boxes[0].icon, L"asterisk");
    EXPECT_EQ(outcome.boxes[0].text, kSuccessMessage);
    ExpectServiceRegistered();
}

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
