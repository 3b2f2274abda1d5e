#include "FakePlatform.h"
#include "installer/Messages.h"
#include "installer/ServiceRegistration.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qeltor::testing {
namespace {

using Calls = std::vector<std::wstring>;
using namespace std::string_literals;

const std::string kParametersKey = R"(SYSTEM\CurrentControlSet\Services\Qeltor Monitoring Server\Parameters)";
const std::wstring kParametersKeyWide = LR"(SYSTEM\CurrentControlSet\Services\Qeltor Monitoring Server\Parameters)";

class ServiceRegistrationTest : public ::testing::Test {
protected:
    bool Run() { return RegisterService(fake, fake, paths); }

    void ExpectNothingStartedOrWritten() const {
        EXPECT_TRUE(fake.shellCommands.empty());
        EXPECT_TRUE(fake.createdKeys.empty());
        EXPECT_TRUE(fake.writes.empty());
    }

    // A single critical message and the window left open.
    void ExpectOnlyFailureReported(const messages::Message& failure) const {
        ASSERT_EQ(fake.boxes.size(), 1U);
        EXPECT_EQ(fake.boxes[0].style, 16U);
        EXPECT_TRUE(fake.boxes[0].text.starts_with(messages::Render(failure))) << fake.boxes[0].text;
        EXPECT_FALSE(fake.unloaded);
        EXPECT_FALSE(fake.ended);
    }

    FakePlatform fake;
    InstallerPaths paths{L"C:\\Program Files\\Tools\\", L"D:\\Srv\\Monitor.exe", L"D:\\Srv\\"};
};

TEST_F(ServiceRegistrationTest, CommandLineQuotesEachTokenAndKeepsSpacesInside) {
    EXPECT_EQ(BuildInstsrvCommandLine(paths),
              L"\"C:\\Program Files\\Tools\\instsrv.exe\" \"Qeltor Monitoring Server\" "
              L"\"C:\\Program Files\\Tools\\srvany.exe\"");
}

TEST_F(ServiceRegistrationTest, StartsTheToolThenWritesTheThreeValuesThenReportsAndUnloads) {
    EXPECT_TRUE(Run());

    EXPECT_EQ(fake.calls, (Calls{L"CheckProgram D:\\Srv\\Monitor.exe",
                                 L"Drive D",
                                 L"Drive C",
                                 L"Rights C:\\Program Files\\Tools\\srvany.exe",
                                 L"Rights C:\\Program Files\\Tools\\instsrv.exe",
                                 L"Rights C:\\Program Files\\Tools\\",
                                 L"Rights C:\\Program Files\\",
                                 L"Rights C:\\",
                                 L"List C:\\Program Files\\Tools\\",
                                 L"Rights D:\\Srv\\Monitor.exe",
                                 L"Rights D:\\Srv\\",
                                 L"Rights D:\\",
                                 L"List D:\\Srv\\",
                                 L"QueryService",
                                 L"ReadValues " + kParametersKeyWide,
                                 L"Shell 4",
                                 L"RegCreateKeyA 2147483650",
                                 L"RegSetValueExA Application",
                                 L"RegSetValueExA AppDirectory",
                                 L"RegSetValueExA AppParameters",
                                 L"RegCloseKey",
                                 L"Wait 30000",
                                 L"QueryService",
                                 L"ReadValues " + kParametersKeyWide,
                                 L"CopyTree",
                                 L"MsgBox 64",
                                 L"Unload"}));
    // The server's settings, for the account the service runs as.
    EXPECT_EQ(fake.copiedTrees,
              (std::vector<std::wstring>{L"2147483649 Software\\VB and VBA Program Settings\\mxqeltor -> 2147483651 "
                                         L".DEFAULT\\Software\\VB and VBA Program Settings\\mxqeltor"}));
    EXPECT_EQ(fake.shellCommands, (std::vector<std::wstring>{BuildInstsrvCommandLine(paths)}));
    EXPECT_EQ(fake.createdKeys, (std::vector<std::string>{kParametersKey}));

    ASSERT_EQ(fake.writes.size(), 3U);
    const auto expectWrite = [&](std::size_t i, const std::string& name, const std::string& stored) {
        SCOPED_TRACE(name);
        EXPECT_EQ(fake.writes[i].name, name);
        EXPECT_EQ(fake.writes[i].key, FakePlatform::kOpenedKey);
        EXPECT_EQ(fake.writes[i].reserved, 0U);
        EXPECT_EQ(fake.writes[i].type, 1U);
        EXPECT_EQ(fake.writes[i].stored, stored);
        EXPECT_EQ(fake.writes[i].byteCount, stored.size());
    };
    expectWrite(0, "Application", "D:\\Srv\\Monitor.exe\0"s);
    expectWrite(1, "AppDirectory", "D:\\Srv\\\0"s);
    expectWrite(2, "AppParameters", "");
    EXPECT_EQ(fake.writes[0].byteCount, 19U);
    EXPECT_EQ(fake.writes[1].byteCount, 8U);
    EXPECT_EQ(fake.closedKeys, (std::vector<RegKey>{FakePlatform::kOpenedKey}));

    ASSERT_EQ(fake.boxes.size(), 1U);
    EXPECT_EQ(fake.boxes[0].text,
              L"Run as service successfully. Please restart your Windows,the monitoring server will run as a "
              L"service called 'Qeltor Monitoring Server'.\r\nIf you need view the interface of monitoring "
              L"server, you should stop the service first through your Windows Control Panel, then run the "
              L"executable file manually.");
}

TEST_F(ServiceRegistrationTest, EmptyServerFolderIsStoredAsItsNulAlone) {
    paths.ServerExePath = L"C:/Srv/Monitor.exe";  // a full path, with no backslash to cut at
    paths.ServerFolder.clear();
    EXPECT_TRUE(Run());
    ASSERT_EQ(fake.writes.size(), 3U);
    EXPECT_EQ(fake.writes[1].stored, "\0"s);
    EXPECT_EQ(fake.writes[1].byteCount, 1U);
}

TEST_F(ServiceRegistrationTest, ByteCountsAreThoseOfTheConvertedText) {
    // Western code page: one byte for each accented letter and for the euro sign.
    paths.ServerExePath = L"D:\\Caf\u00e9\u20ac\\Monitor.exe";
    paths.ServerFolder = L"D:\\Caf\u00e9\u20ac\\";
    EXPECT_TRUE(Run());
    ASSERT_EQ(fake.writes.size(), 3U);
    EXPECT_EQ(fake.writes[0].stored, "D:\\Caf\xe9\x80\\Monitor.exe\0"s);
    EXPECT_EQ(fake.writes[1].byteCount, 10U);

    // Double-byte code page: two bytes for each Chinese character, so more bytes than characters.
    FakePlatform chinese;
    chinese.doubleByteCodePage = true;
    const InstallerPaths chinesePaths{L"C:\\Tools\\", L"D:\\\u76d1\u63a7\\Monitor.exe", L"D:\\\u76d1\u63a7\\"};
    EXPECT_TRUE(RegisterService(chinese, chinese, chinesePaths));
    ASSERT_EQ(chinese.writes.size(), 3U);
    EXPECT_EQ(chinese.writes[0].byteCount, chinesePaths.ServerExePath.size() + 2 + 1);
    EXPECT_EQ(chinese.writes[1].byteCount, chinesePaths.ServerFolder.size() + 2 + 1);
    EXPECT_EQ(chinese.writes[2].byteCount, 0U);
}

TEST_F(ServiceRegistrationTest, PathTheCodePageCannotHoldIsRefusedBeforeAnythingHappens) {
    paths.ServerExePath = L"D:\\\u0421\u0435\u0440\u0432\u0435\u0440\\Monitor.exe";
    paths.ServerFolder = L"D:\\\u0421\u0435\u0440\u0432\u0435\u0440\\";
    EXPECT_FALSE(Run());
    ExpectNothingStartedOrWritten();
    ExpectOnlyFailureReported({messages::Id::Unrepresentable, {paths.ServerExePath}});
}

TEST_F(ServiceRegistrationTest, FailedStartIsReportedAndTheRegistryLeftAlone) {
    fake.shellStatus = 2;  // file not found
    EXPECT_FALSE(Run());
    ExpectNothingStartedOrWritten();
    ExpectOnlyFailureReported(
        {messages::Id::CannotStart, {L"C:\\Program Files\\Tools\\instsrv.exe", L"system error 2."}});
}

TEST_F(ServiceRegistrationTest, KeyThatCannotBeCreatedIsReportedWithoutSuccess) {
    fake.createKeyStatus = 5;  // access denied
    EXPECT_FALSE(Run());
    EXPECT_TRUE(fake.writes.empty());
    EXPECT_TRUE(fake.closedKeys.empty());
    ExpectOnlyFailureReported({messages::Id::CannotCreateKey, {L"system error 5."}});
}

TEST_F(ServiceRegistrationTest, FailedWriteStopsTheWritesClosesTheKeyAndSaysWhich) {
    for (const std::string failing : {"Application", "AppDirectory", "AppParameters"}) {
        SCOPED_TRACE(failing);
        FakePlatform fresh;
        fresh.setValueStatus[failing] = 1021;  // cannot create a stable subkey under a volatile parent
        EXPECT_FALSE(RegisterService(fresh, fresh, paths));
        ASSERT_EQ(fresh.boxes.size(), 1U);
        EXPECT_EQ(fresh.boxes[0].style, 16U);
        EXPECT_TRUE(fresh.boxes[0].text.starts_with(
            messages::Render({messages::Id::CannotWriteValue, {Widen(failing), L"system error 1021."}})));
        EXPECT_EQ(fresh.closedKeys, (std::vector<RegKey>{FakePlatform::kOpenedKey}));
        // Nothing after the failing value is attempted, and the key is closed at once.
        const auto failed = std::ranges::find(fresh.calls, L"RegSetValueExA " + Widen(failing));
        ASSERT_NE(failed, fresh.calls.end());
        EXPECT_EQ(*std::next(failed), L"RegCloseKey");
        EXPECT_EQ(
            std::count_if(failed, fresh.calls.end(), [](const auto& call) { return call.starts_with(L"RegSet"); }), 1);
        EXPECT_EQ(fresh.calls.back(), L"MsgBox 16");
        EXPECT_FALSE(fresh.unloaded);
    }
}

}  // namespace
}  // namespace qeltor::testing
