#include "InstallCase.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <vector>

#include "Programs.h"
#include "Registry.h"
#include "Services.h"

namespace fs = std::filesystem;

namespace qeltor::wine_case {
namespace {

const fs::path kCommandLineFile = kFolder / L"instsrv-commandline.bin";
constexpr wchar_t kSettingKey[] = L"Software\\VB and VBA Program Settings\\mxqeltor\\m";
// MinGW spells it with a lowercase suffix, which the linter rejects inside the test macros.
constexpr LONG kRegOk = ERROR_SUCCESS;

fs::path g_product;
fs::path g_standins;

// A value as stored, and its size as the A function reports it, as that is how it was written.
void ExpectValue(HKEY key, const wchar_t* name, const std::vector<BYTE>& data, DWORD ansiSize) {
    SCOPED_TRACE(driver::Utf8(name));
    const auto stored = driver::ReadValue(key, name);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->type, DWORD{REG_SZ});
    EXPECT_EQ(stored->bytes, data);
    DWORD ansiStored = 0;
    EXPECT_EQ(RegQueryValueExA(key, driver::Utf8(name).c_str(), nullptr, nullptr, nullptr, &ansiStored), kRegOk);
    EXPECT_EQ(ansiStored, ansiSize);
}

}  // namespace

bool TakeArguments(int& argc, wchar_t** argv, int more, const char* usage) {
    testing::InitGoogleTest(&argc, argv);
    if (argc == 3 + more) {
        g_product = driver::WindowsPath(argv[1]);
        g_standins = driver::WindowsPath(argv[2]);
    } else if (!GTEST_FLAG_GET(list_tests)) {
        std::cerr << "usage: " << usage << "\n";
        return false;
    }
    return true;
}

std::wstring BoxText(const driver::ShownBox& box, const wchar_t* icon) {
    EXPECT_EQ(box.caption, L"QeltorService");
    EXPECT_EQ(box.icon, icon);
    return box.text;
}

void StartAfresh() {
    driver::DeleteServiceIfPresent(kService);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, driver::ServiceKey(kService).c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\mxqeltor");
    RegDeleteTreeW(HKEY_USERS, kServiceSettings);
    fs::remove_all(kFolder);
    fs::create_directories(kFolder);
    fs::copy_file(g_product, kProgram);

    ASSERT_EQ(GetDriveTypeW(L"D:\\"), DRIVE_FIXED) << "drive D: is not mapped; run under scripts/wine-session.sh";
    fs::remove_all(L"D:\\Srv");
    fs::create_directories(L"D:\\Srv");
    fs::copy_file(g_standins / L"srvany.exe", kMonitor);  // any program will do
    std::ofstream(fs::path(kServerNotes)) << "not a program";

    ASSERT_EQ(GetDriveTypeW(L"N:\\"), DRIVE_REMOTE)
        << "drive N: is no network drive; run under scripts/wine-session.sh";
    fs::remove_all(L"N:\\Srv");
    fs::create_directories(L"N:\\Srv");
    fs::copy_file(g_standins / L"srvany.exe", kNetworkMonitor);
}

void LayOut(Instsrv instsrv, bool srvany, const wchar_t* serverPath) {
    const fs::path tool = kFolder / L"instsrv.exe";
    if (instsrv == Instsrv::Program || instsrv == Instsrv::Failing || instsrv == Instsrv::SlowFailing) {
        fs::copy_file(g_standins / L"instsrv.exe", tool);
    }
    if (instsrv == Instsrv::SlowFailing) {
        std::ofstream(kFolder / L"instsrv-slow.txt") << "4 s";
    }
    if (instsrv == Instsrv::Failing || instsrv == Instsrv::SlowFailing) {
        std::ofstream(kFolder / L"instsrv-fails.txt") << "exit 1";
    } else if (instsrv == Instsrv::Folder) {
        fs::create_directory(tool);
    } else if (instsrv == Instsrv::TextFile) {
        std::ofstream(tool) << "not a program\r\n";
    }
    if (srvany) {
        fs::copy_file(g_standins / L"srvany.exe", kFolder / L"srvany.exe");
    }
    if (serverPath != nullptr) {
        const std::vector<BYTE> data = driver::WideSz(serverPath);
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingKey, L"exepath", REG_SZ, data.data(),
                                  static_cast<DWORD>(data.size())),
                  kRegOk);
    }
}

// The program does not wait for the stand-in, which keeps its record unshared until it has
// closed it: only then can it be read, and then it is complete.
std::optional<std::string> RecordedCommandLine(DWORD patienceMs) {
    std::string bytes;
    if (!driver::WaitUntil([&] { return !(bytes = driver::ReadText(kCommandLineFile)).empty(); }, patienceMs)) {
        return std::nullopt;
    }
    return bytes;
}

bool CommandLineRecorded() {
    return fs::exists(kCommandLineFile);
}

void ForgetRecordedCommandLine() {
    fs::remove(kCommandLineFile);
}

void ExpectServiceRegistered() {
    const std::wstring expected =
        L"\"C:\\Qeltor Test\\instsrv.exe\" \"Qeltor Monitoring Server\" \"C:\\Qeltor Test\\srvany.exe\"";
    const auto* first = reinterpret_cast<const char*>(expected.data());
    EXPECT_EQ(RecordedCommandLine(), std::string(first, expected.size() * sizeof(wchar_t)));

    const auto key = driver::OpenKey(HKEY_LOCAL_MACHINE, driver::ParametersKey(kService));
    ASSERT_TRUE(key);
    ExpectValue(key.get(), L"Application", driver::WideSz(kMonitor), 19);
    ExpectValue(key.get(), L"AppDirectory", driver::WideSz(L"D:\\Srv\\"), 8);
    ExpectValue(key.get(), L"AppParameters", {}, 0);

    // The server's settings, copied for the account the service runs as.
    const auto settings = driver::OpenKey(HKEY_USERS, std::wstring(kServiceSettings) + L"\\m");
    ASSERT_TRUE(settings);
    const auto exePath = driver::ReadValue(settings.get(), L"exepath");
    ASSERT_TRUE(exePath.has_value());
    EXPECT_EQ(exePath->bytes, driver::WideSz(kMonitor));
}

void ExpectNothingDone() {
    ExpectNoServiceLeft();
    EXPECT_FALSE(CommandLineRecorded());
    EXPECT_FALSE(ServiceSettingsExist());
}

bool ServiceSettingsExist() {
    return static_cast<bool>(driver::OpenKey(HKEY_USERS, kServiceSettings));
}

void ExpectNoServiceLeft() {
    EXPECT_FALSE(driver::OpenKey(HKEY_LOCAL_MACHINE, driver::ServiceKey(kService)));
    EXPECT_FALSE(driver::ServiceExists(kService));
}

}  // namespace qeltor::wine_case
