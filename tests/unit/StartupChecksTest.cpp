#include "FakePlatform.h"
#include "installer/Messages.h"
#include "installer/StartupChecks.h"

#include <gtest/gtest.h>

namespace qeltor::testing {
namespace {

using Calls = std::vector<std::wstring>;
const std::wstring kSettingRead = L"GetSetting mxqeltor m exepath []";

class StartupChecksTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake.AddInstallerTools();
        fake.files.insert(L"D:\\Srv\\Monitor.exe");
        fake.StoreExePath(L"D:\\Srv\\Monitor.exe");
    }

    bool Run() { return RunStartupChecks(fake, fake, paths); }

    void ResetRecord() {
        fake.calls.clear();
        fake.boxes.clear();
        fake.ended = false;
    }

    // One critical message, then the end of the program, and nothing after it.
    void ExpectStoppedWith(messages::Id message) {
        EXPECT_FALSE(Run());
        ASSERT_EQ(fake.boxes.size(), 1U);
        EXPECT_EQ(fake.boxes[0].text, messages::Render({message, {}}));
        EXPECT_EQ(fake.boxes[0].style, 16U);
        EXPECT_TRUE(fake.ended);
        EXPECT_EQ(fake.exitCode, kExitStartupCheckFailed);
        ASSERT_GE(fake.calls.size(), 2U);
        EXPECT_EQ(fake.calls.back(), L"End");
        EXPECT_EQ(fake.calls[fake.calls.size() - 2], L"MsgBox 16");
        EXPECT_TRUE(fake.shellCommands.empty());
        EXPECT_TRUE(fake.createdKeys.empty());
    }

    FakePlatform fake;
    InstallerPaths paths;
};

TEST_F(StartupChecksTest, PassingChecksProbeInOrderAndFillThePaths) {
    EXPECT_TRUE(Run());
    EXPECT_EQ(fake.calls, (Calls{L"AppPath", L"Dir C:\\Tools\\instsrv.exe", L"Dir C:\\Tools\\srvany.exe", kSettingRead,
                                 L"Dir D:\\Srv\\Monitor.exe"}));
    EXPECT_EQ(paths.ProgramFolder, L"C:\\Tools\\");
    EXPECT_EQ(paths.ServerExePath, L"D:\\Srv\\Monitor.exe");
    EXPECT_EQ(paths.ServerFolder, L"D:\\Srv\\");
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_FALSE(fake.ended);
}

// What a copy ended midway left goes at the next start, unless a registration running now makes it.
TEST_F(StartupChecksTest, AnUnfinishedSettingsCopyGoesUnlessARegistrationRuns) {
    for (const bool running : {true, false}) {
        fake.unfinishedCopy = true;
        fake.lockedByAnother = running;
        EXPECT_TRUE(Run());
        EXPECT_EQ(fake.unfinishedCopy, running);
        EXPECT_FALSE(fake.lockHeld);
    }
}

TEST_F(StartupChecksTest, FirstMissingToolIsTheOnlyOneReported) {
    fake.files.clear();
    ExpectStoppedWith(messages::Id::MissingInstsrv);
    EXPECT_EQ(fake.calls, (Calls{L"AppPath", L"Dir C:\\Tools\\instsrv.exe", L"MsgBox 16", L"End"}));
}

TEST_F(StartupChecksTest, MissingServiceHostStopsBeforeTheSettingIsRead) {
    fake.files.erase(L"C:\\Tools\\srvany.exe");
    ExpectStoppedWith(messages::Id::MissingSrvany);
    EXPECT_EQ(fake.calls,
              (Calls{L"AppPath", L"Dir C:\\Tools\\instsrv.exe", L"Dir C:\\Tools\\srvany.exe", L"MsgBox 16", L"End"}));
}

TEST_F(StartupChecksTest, NothingStoredFailsEvenWhenTheEmptyProbeFindsAFile) {
    fake.settings.clear();
    fake.currentFolderFiles = {L"readme.txt"};
    ExpectStoppedWith(messages::Id::MissingServer);
    // The probe of the empty path is still made, before the emptiness test.
    EXPECT_EQ(fake.calls[4], L"Dir ");
}

TEST_F(StartupChecksTest, StoredPathThatNamesNoFileFails) {
    for (const std::wstring stored : {L"D:\\Srv\\Gone.exe", L"D:\\Srv\\", L"D:\\Srv"}) {
        SCOPED_TRACE(stored);
        fake.StoreExePath(stored);
        ResetRecord();
        ExpectStoppedWith(messages::Id::MissingServer);
    }
}

TEST_F(StartupChecksTest, WildcardsNeverPassForAFileTheyHappenToMatch) {
    for (const std::wstring stored : {L"D:\\Srv\\*.exe", L"D:\\Srv\\Monitor.ex?", L"D:\\Srv\\*"}) {
        SCOPED_TRACE(stored);
        fake.StoreExePath(stored);
        ASSERT_EQ(fake.rtcDir(stored), L"Monitor.exe");  // the pattern does match a file
        ResetRecord();
        ExpectStoppedWith(messages::Id::MissingServer);
    }
}

TEST_F(StartupChecksTest, ProgramFolderGetsExactlyOneTrailingSeparator) {
    fake.appPath = L"D:\\";
    fake.AddInstallerTools();
    EXPECT_TRUE(Run());
    EXPECT_EQ(paths.ProgramFolder, L"D:\\");
    EXPECT_EQ(fake.calls[1], L"Dir D:\\instsrv.exe");
}

TEST_F(StartupChecksTest, ServerFolderIsCutAtTheLastBackslashOnly) {
    struct Case {
        std::wstring stored;
        std::wstring folder;
    };
    const std::vector<Case> cases = {
        {L"D:/Srv/Monitor.exe", L""},
        {L"D:\\Srv/bin/Monitor.exe", L"D:\\"},
        {L"Monitor.exe", L""},
        {L"\\\\host\\share\\Monitor.exe", L"\\\\host\\share\\"},
        {L" D:\\Srv\\Monitor.exe ", L" D:\\Srv\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        fake.files.insert(c.stored);
        fake.StoreExePath(c.stored);
        EXPECT_TRUE(Run());
        EXPECT_EQ(paths.ServerExePath, c.stored);  // kept exactly as stored
        EXPECT_EQ(paths.ServerFolder, c.folder);
    }
}

}  // namespace
}  // namespace qeltor::testing
