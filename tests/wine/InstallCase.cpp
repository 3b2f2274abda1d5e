#include "InstallCase.h"

#include "ProgramDriver.h"
#include "ServiceDriver.h"
#include "win32/Handles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace qeltor::wine_case {
namespace {

const fs::path kCommandLineFile = kFolder / L"instsrv-commandline.bin";
constexpr wchar_t kSettingKey[] = L"Software\\VB and VBA Program Settings\\mxqeltor\\m";
constexpr DWORD kPollMs = 50;
// MinGW spells it with a lowercase suffix, which the linter rejects inside the test macros.
constexpr LONG kRegOk = ERROR_SUCCESS;

fs::path g_product;
fs::path g_standins;

// UTF-16LE bytes of `text` and then a NUL, the way REG_SZ data is held.
std::vector<BYTE> WideSz(std::wstring text) {
    text.push_back(L'\0');
    const auto* first = reinterpret_cast<const BYTE*>(text.data());
    return {first, first + text.size() * sizeof(wchar_t)};
}

// A value as stored, and its size as the A function reports it, as that is how it was written.
void ExpectValue(HKEY key, const wchar_t* name, const std::vector<BYTE>& data, DWORD ansiSize) {
    SCOPED_TRACE(std::string(name, name + wcslen(name)));
    DWORD type = REG_NONE;
    std::vector<BYTE> stored(1024);
    auto size = static_cast<DWORD>(stored.size());
    EXPECT_EQ(RegQueryValueExW(key, name, nullptr, &type, stored.data(), &size), kRegOk);
    stored.resize(size);
    EXPECT_EQ(type, DWORD{REG_SZ});
    EXPECT_EQ(stored, data);
    const std::string ansiName(name, name + wcslen(name));
    DWORD ansiStored = 0;
    EXPECT_EQ(RegQueryValueExA(key, ansiName.c_str(), nullptr, nullptr, nullptr, &ansiStored), kRegOk);
    EXPECT_EQ(ansiStored, ansiSize);
}

}  // namespace

void SetBuildOutputs(const std::wstring& product, const std::wstring& standins) {
    g_product = driver::WindowsPath(product);
    g_standins = driver::WindowsPath(standins);
}

void StartAfresh() {
    service_test::DeleteServiceIfPresent(kService);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kServiceKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\mxqeltor");
    fs::remove_all(kFolder);
    fs::create_directories(kFolder);
    fs::copy_file(g_product, kProgram);

    ASSERT_EQ(GetDriveTypeW(L"D:\\"), DRIVE_FIXED) << "drive D: is not mapped; run under scripts/wine-session.sh";
    fs::remove_all(L"D:\\Srv");
    fs::create_directories(L"D:\\Srv");
    fs::copy_file(g_standins / L"srvany.exe", kMonitor);  // any program will do
    std::ofstream(fs::path(kServerNotes)) << "not a program";
}

void LayOut(Instsrv instsrv, bool srvany, const wchar_t* serverPath) {
    const fs::path tool = kFolder / L"instsrv.exe";
    if (instsrv == Instsrv::Program || instsrv == Instsrv::Failing) {
        fs::copy_file(g_standins / L"instsrv.exe", tool);
    }
    if (instsrv == Instsrv::Failing) {
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
        const std::vector<BYTE> data = WideSz(serverPath);
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingKey, L"exepath", REG_SZ, data.data(),
                                  static_cast<DWORD>(data.size())),
                  kRegOk);
    }
}

// The program does not wait for the stand-in; its record is complete once it has closed the
// file, which it keeps unshared until then.
std::optional<std::string> RecordedCommandLine(ULONGLONG patienceMs) {
    const ULONGLONG deadline = GetTickCount64() + patienceMs;
    do {
        const driver::UniqueHandle file(
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

bool CommandLineRecorded() {
    return fs::exists(kCommandLineFile);
}

void ForgetRecordedCommandLine() {
    fs::remove(kCommandLineFile);
}

void CreateServiceFor(const std::wstring& imagePath) {
    const win32::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    const win32::UniqueServiceHandle service(CreateServiceW(
        manager.get(), kService, kService, SERVICE_QUERY_STATUS, SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
        SERVICE_ERROR_NORMAL, imagePath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(service) << "cannot create the service: error " << GetLastError();
}

void ExpectServiceRegistered() {
    const std::wstring expected =
        L"\"C:\\Qeltor Test\\instsrv.exe\" \"Qeltor Monitoring Server\" \"C:\\Qeltor Test\\srvany.exe\"";
    const auto* first = reinterpret_cast<const char*>(expected.data());
    EXPECT_EQ(RecordedCommandLine(), std::string(first, expected.size() * sizeof(wchar_t)));

    HKEY key = nullptr;
    const std::wstring parameters = std::wstring(kServiceKey) + L"\\Parameters";
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, parameters.c_str(), 0, KEY_QUERY_VALUE, &key), kRegOk);
    const driver::UniqueKey owned(key);
    ExpectValue(key, L"Application", WideSz(kMonitor), 19);
    ExpectValue(key, L"AppDirectory", WideSz(L"D:\\Srv\\"), 8);
    ExpectValue(key, L"AppParameters", {}, 0);
}

void ExpectNothingDone() {
    ExpectNoServiceLeft();
    EXPECT_FALSE(CommandLineRecorded());
}

void ExpectNoServiceLeft() {
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceKey, 0, KEY_QUERY_VALUE, &key), kRegOk);
    const driver::UniqueKey owned(key);
    EXPECT_FALSE(service_test::ServiceExists(kService));
}

}  // namespace qeltor::wine_case
