// Runs the real QeltorService.exe under Wine: each case prepares a program folder
// and the stored server path, answers the message boxes the program shows and then
// looks at what it started and wrote.
// Usage: InstallerWineTest <QeltorService.exe> <folder with the tool stand-ins>
#include <windows.h>

#include <gtest/gtest.h>

#include "ProgramDriver.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace fs = std::filesystem;
using qeltor::driver::Outcome;
using qeltor::driver::UniqueHandle;
using qeltor::driver::UniqueKey;
using qeltor::driver::WindowsPath;

namespace {

fs::path g_product;
fs::path g_standins;

const fs::path kFolder = L"C:\\Qeltor Test\\";
const fs::path kCommandLineFile = kFolder / L"instsrv-commandline.bin";
const wchar_t kSettingKey[] = L"Software\\VB and VBA Program Settings\\mxqeltor\\m";
const wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring Server";
const std::wstring kParametersKey = std::wstring(kServiceKey) + L"\\Parameters";
const wchar_t kMonitor[] = L"D:\\Srv\\Monitor.exe";
const wchar_t kServerMissing[] = L"Can't find our Monitoring Server files.";
// "Сервер": Cyrillic has no place in the Western code pages.
const wchar_t kCyrillicServer[] = L"D:\\Srv\\\x0421\x0435\x0440\x0432\x0435\x0440.exe";
constexpr ULONGLONG kPatienceMs = 20000;
constexpr DWORD kPollMs = 50;
// MinGW spells it with a lowercase suffix, which the linter rejects inside the test macros.
constexpr LONG kRegOk = ERROR_SUCCESS;

// Runs the prepared copy, pressing its button once the window shows, and fails the test on a
// start failure or a hang.
Outcome RunProgram() {
    Outcome outcome = qeltor::driver::RunProgram(kFolder / L"QeltorService.exe", kPatienceMs,
                                                 qeltor::driver::WindowAction::ClickButton);
    if (!outcome.problem.empty()) {
        ADD_FAILURE() << outcome.problem;
    }
    return outcome;
}

// UTF-16LE bytes of `text` and then a NUL, the way REG_SZ data is held.
std::vector<BYTE> WideSz(std::wstring text) {
    text.push_back(L'\0');
    const auto* first = reinterpret_cast<const BYTE*>(text.data());
    return {first, first + text.size() * sizeof(wchar_t)};
}

// The instsrv stand-in is not waited for by the program; its record is complete
// once it has closed the file, which it keeps unshared until then.
std::optional<std::string> RecordedCommandLine() {
    const ULONGLONG deadline = GetTickCount64() + kPatienceMs;
    do {
        const UniqueHandle file(
            CreateFileW(kCommandLineFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (file.get() != INVALID_HANDLE_VALUE) {
            std::string bytes(GetFileSize(file.get(), nullptr), '\0');
            DWORD read = 0;
            ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
            bytes.resize(read);
            return bytes;
        }
        Sleep(kPollMs);
    } while (GetTickCount64() < deadline);
    return std::nullopt;
}

enum class Instsrv { Missing, Program, Folder, TextFile };

class InstallerTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(GetDriveTypeW(L"D:\\"), DRIVE_FIXED) << "drive D: is not mapped; run under scripts/wine-session.sh";
        fs::create_directories(L"D:\\Srv");
        std::ofstream(fs::path(kMonitor)) << "server";
        std::ofstream(fs::path(kCyrillicServer)) << "server";
    }

    void SetUp() override {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kServiceKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\mxqeltor");
        fs::remove_all(kFolder);
        fs::create_directories(kFolder);
        fs::copy_file(g_product, kFolder / L"QeltorService.exe");
    }

    static void Prepare(Instsrv instsrv, bool srvany, const wchar_t* serverPath) {
        const fs::path tool = kFolder / L"instsrv.exe";
        if (instsrv == Instsrv::Program) {
            fs::copy_file(g_standins / L"instsrv.exe", tool);
        } else if (instsrv == Instsrv::Folder) {
            fs::create_directory(tool);
        } else if (instsrv == Instsrv::TextFile) {
            std::ofstream(tool) << "not a program\r\n";
        }
        if (srvany) {
            fs::copy_file(g_standins / L"srvany.exe", kFolder / L"srvany.exe");
        }
        if (serverPath == nullptr) {
            return;
        }
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  kRegOk);
        const UniqueKey owned(key);
        const std::vector<BYTE> data = WideSz(serverPath);
        ASSERT_EQ(RegSetValueExW(key, L"exepath", 0, REG_SZ, data.data(), static_cast<DWORD>(data.size())), kRegOk);
    }

    // A refused run shows one critical box and leaves nothing started or written; gives the
    // box's text. A failed start-up check ends the program before its window shows; a refused
    // registration leaves the window open until it is closed.
    static std::wstring RefusalText(const Outcome& outcome, bool atStartUp) {
        EXPECT_EQ(outcome.windowShown, !atStartUp);
        EXPECT_EQ(outcome.closedByDriver, !atStartUp);
        EXPECT_EQ(outcome.exitCode, atStartUp ? 1U : 0U);
        HKEY key = nullptr;
        EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceKey, 0, KEY_QUERY_VALUE, &key), kRegOk);
        const UniqueKey owned(key);
        EXPECT_FALSE(fs::exists(kCommandLineFile));
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
    Prepare(Instsrv::Program, true, kMonitor);
    const Outcome outcome = RunProgram();

    EXPECT_TRUE(outcome.windowShown);
    EXPECT_FALSE(outcome.closedByDriver);  // it closes itself after the message
    EXPECT_EQ(outcome.exitCode, 0U);
    ASSERT_EQ(outcome.boxes.size(), 1U);
    EXPECT_EQ(outcome.boxes[0].caption, L"QeltorService");
    EXPECT_EQ(outcome.boxes[0].icon, L"asterisk");
    EXPECT_EQ(outcome.boxes[0].text,
              L"Run as service successfully. Please restart your Windows,the monitoring server will run "
              L"as a service called 'Qeltor Monitoring Server'.\r\nIf you need view the interface of "
              L"monitoring server, you should stop the service first through your Windows Control "
              L"Panel, then run the executable file manually.");

    const std::wstring expected =
        L"\"C:\\Qeltor Test\\instsrv.exe\" \"Qeltor Monitoring Server\" \"C:\\Qeltor Test\\srvany.exe\"";
    const auto* first = reinterpret_cast<const char*>(expected.data());
    EXPECT_EQ(RecordedCommandLine(), std::string(first, expected.size() * sizeof(wchar_t)));

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kParametersKey.c_str(), 0, KEY_QUERY_VALUE, &key), kRegOk);
    const UniqueKey owned(key);
    // Also what the A function reports, as that is how the values were written.
    const auto expectValue = [key](const wchar_t* name, const char* ansiName, const std::vector<BYTE>& data,
                                   DWORD ansiSize) {
        SCOPED_TRACE(ansiName);
        DWORD type = REG_NONE;
        std::vector<BYTE> stored(1024);
        auto size = static_cast<DWORD>(stored.size());
        EXPECT_EQ(RegQueryValueExW(key, name, nullptr, &type, stored.data(), &size), kRegOk);
        stored.resize(size);
        EXPECT_EQ(type, DWORD{REG_SZ});
        EXPECT_EQ(stored, data);
        DWORD ansiStored = 0;
        EXPECT_EQ(RegQueryValueExA(key, ansiName, nullptr, nullptr, nullptr, &ansiStored), kRegOk);
        EXPECT_EQ(ansiStored, ansiSize);
    };
    expectValue(L"Application", "Application", WideSz(kMonitor), 19);
    expectValue(L"AppDirectory", "AppDirectory", WideSz(L"D:\\Srv\\"), 8);
    expectValue(L"AppParameters", "AppParameters", {}, 0);
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
    Prepare(failure.instsrv, failure.srvany, failure.serverPath);
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
    Prepare(Instsrv::TextFile, true, kMonitor);
    const std::wstring text = RefusalText(RunProgram(), false);
    EXPECT_TRUE(text.starts_with(L"Can't start ")) << text;
}

TEST_F(InstallerTest, RefusesAServerPathOutsideTheAnsiCodePage) {
    BOOL lossy = FALSE;
    char ansi[64];
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, kCyrillicServer, -1, ansi, sizeof ansi, nullptr, &lossy);
    ASSERT_NE(lossy, FALSE) << "code page " << GetACP() << " holds the path; this case needs one that does not";

    Prepare(Instsrv::Program, true, kCyrillicServer);
    const std::wstring text = RefusalText(RunProgram(), false);
    EXPECT_NE(text.find(kCyrillicServer), std::wstring::npos) << text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc == 3) {
        g_product = WindowsPath(argv[1]);
        g_standins = WindowsPath(argv[2]);
    } else if (!GTEST_FLAG_GET(list_tests)) {
        std::cerr << "usage: InstallerWineTest <QeltorService.exe> <stand-in folder>\n";
        return 2;
    }
    return RUN_ALL_TESTS();
}
