// instsrv.exe and srvany.exe against Wine's own service manager, hosting StandinServer.exe.
// Arguments: <instsrv.exe> <srvany.exe> <StandinServer.exe>, as Unix paths.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "EventMessages.h"
#include "ServiceDriver.h"
#include "win32/Handles.h"

namespace {

// Typed once here: the Windows macros carry lower-case literal suffixes into the checks.
constexpr DWORD kErrorSuccess = ERROR_SUCCESS;
constexpr DWORD kNoError = NO_ERROR;
constexpr DWORD kErrorServiceSpecificError = ERROR_SERVICE_SPECIFIC_ERROR;
constexpr DWORD kServiceWin32OwnProcess = SERVICE_WIN32_OWN_PROCESS;
constexpr DWORD kServiceAutoStart = SERVICE_AUTO_START;
constexpr DWORD kRegSz = REG_SZ;
constexpr DWORD kRegExpandSz = REG_EXPAND_SZ;
constexpr DWORD kRegBinary = REG_BINARY;

using namespace qeltor::service_test;
namespace fs = std::filesystem;

// Folders with spaces, so that the quoting of every path is put to the test.
const fs::path kTools = L"C:\\Qeltor Service Tools";
const fs::path kWork = L"C:\\Qeltor Service Work";
fs::path g_instsrv;

class ServiceCase : public testing::Test {
protected:
    void SetUp() override {
        name_ = L"Qeltor Test ";
        const char* test = testing::UnitTest::GetInstance()->current_test_info()->name();
        name_.append(test, test + std::char_traits<char>::length(test));
        Forget();
        fs::remove_all(kWork / name_);
        fs::create_directories(kWork / name_);
    }
    void TearDown() override { Forget(); }
    void Forget() const {
        DeleteServiceIfPresent(name_);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, EventSourceKey().c_str());
    }

    [[nodiscard]] ToolRun Instsrv(const std::wstring& second) const {
        return RunTool(g_instsrv, L"\"" + name_ + L"\" \"" + second + L"\"");
    }
    void Install() const { ASSERT_EQ(Instsrv((kTools / L"srvany.exe").wstring()).exitCode, 0U); }
    [[nodiscard]] fs::path Work(const wchar_t* file) const { return kWork / name_ / file; }
    [[nodiscard]] std::wstring EventSourceKey() const {
        return L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + name_;
    }
    [[nodiscard]] static std::wstring Standin() { return (kTools / L"StandinServer.exe").wstring(); }
    void StartHosting(const std::wstring& arguments) const {
        Install();
        WriteParameters(name_, Standin(), L"", L"\"" + Work(L"beat.txt").wstring() + L"\" " + arguments);
        ASSERT_EQ(StartNamedService(name_), kErrorSuccess);
    }

    std::wstring name_;
};

// Opens the stand-in whose heartbeat is `file` once it beats, to watch it end.
qeltor::win32::UniqueHandle WatchStandin(const fs::path& file) {
    std::optional<DWORD> processId;
    EXPECT_TRUE(WaitUntil([&] { return (processId = HeartbeatProcessId(file)).has_value(); }));
    return qeltor::win32::UniqueHandle(processId ? ::OpenProcess(SYNCHRONIZE, FALSE, *processId) : nullptr);
}

// The host reports STOPPED only once the whole job is gone, so no waiting here.
bool Ended(HANDLE process) {
    return process != nullptr && ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

TEST_F(ServiceCase, InstsrvCreatesAnAutoStartServiceOnce) {
    const fs::path srvany = kTools / L"srvany.exe";
    const ToolRun first = Instsrv(srvany.wstring());
    EXPECT_EQ(first.exitCode, 0U) << first.output;
    EXPECT_NE(first.output.find("created"), std::string::npos) << first.output;

    const auto manager = qeltor::win32::UniqueServiceHandle(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const auto service =
        qeltor::win32::UniqueServiceHandle(::OpenServiceW(manager.get(), name_.c_str(), SERVICE_QUERY_CONFIG));
    ASSERT_TRUE(service);
    std::vector<BYTE> buffer(8192);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    DWORD needed = 0;
    ASSERT_TRUE(::QueryServiceConfigW(service.get(), config, static_cast<DWORD>(buffer.size()), &needed));
    EXPECT_EQ(config->dwServiceType, kServiceWin32OwnProcess);
    EXPECT_EQ(config->dwStartType, kServiceAutoStart);
    EXPECT_EQ(std::wstring(config->lpBinaryPathName), L"\"" + srvany.wstring() + L"\"");
    EXPECT_EQ(std::wstring(config->lpDisplayName), name_);
    // Event Viewer finds the texts of the service's events in the srvany.exe beside instsrv.exe.
    EXPECT_EQ(ReadMachineText(EventSourceKey(), L"EventMessageFile"),
              (g_instsrv.parent_path() / L"srvany.exe").wstring());
    EXPECT_EQ(ReadMachineNumber(EventSourceKey(), L"TypesSupported"), 7U);

    // An existing service is left as it was, event source included.
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, EventSourceKey().c_str());
    const ToolRun second = Instsrv((kTools / L"other.exe").wstring());
    EXPECT_NE(second.exitCode, 0U);
    EXPECT_NE(second.output.find("exists"), std::string::npos) << second.output;
    ASSERT_TRUE(::QueryServiceConfigW(service.get(), config, static_cast<DWORD>(buffer.size()), &needed));
    EXPECT_EQ(std::wstring(config->lpBinaryPathName), L"\"" + srvany.wstring() + L"\"");
    EXPECT_FALSE(MachineKeyExists(EventSourceKey()));
}

TEST_F(ServiceCase, InstsrvTakesOnlyAProgramThatExists) {
    for (const fs::path& unusable : {kTools / L"missing.exe", kTools}) {
        const ToolRun refused = Instsrv(unusable.wstring());
        EXPECT_NE(refused.exitCode, 0U) << refused.output;
        const std::string named = std::string(unusable.string());
        EXPECT_NE(refused.output.find("\"" + named + "\""), std::string::npos) << refused.output;
        EXPECT_FALSE(ServiceExists(name_));
        EXPECT_FALSE(MachineKeyExists(EventSourceKey()));
    }
    // Handed over in quotes of its own, the program is the path inside them.
    const fs::path srvany = kTools / L"srvany.exe";
    const ToolRun quoted = RunTool(g_instsrv, L"\"" + name_ + L"\" \"\\\"" + srvany.wstring() + L"\\\"\"");
    EXPECT_EQ(quoted.exitCode, 0U) << quoted.output;
    EXPECT_NE(quoted.output.find("to run \"" + srvany.string() + "\"."), std::string::npos) << quoted.output;
}

TEST_F(ServiceCase, InstsrvRemovesARunningService) {
    StartHosting(L"");
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    // By its first beat the stand-in has the window through which it is asked to end.
    ASSERT_TRUE(WaitUntil([&] { return HeartbeatProcessId(Work(L"beat.txt")).has_value(); }));
    const ToolRun removed = Instsrv(L"remove");
    EXPECT_EQ(removed.exitCode, 0U) << removed.output;
    EXPECT_TRUE(WaitUntil([&] { return !ServiceExists(name_); }));
    EXPECT_FALSE(MachineKeyExists(EventSourceKey()));
    const ToolRun again = Instsrv(L"remove");
    EXPECT_NE(again.exitCode, 0U);
    EXPECT_NE(again.output.find("does not exist"), std::string::npos) << again.output;
}

TEST_F(ServiceCase, ToolsExplainThemselvesWhenMisused) {
    const ToolRun usage = RunTool(g_instsrv, L"only-one-argument");
    EXPECT_NE(usage.exitCode, 0U);
    EXPECT_NE(usage.output.find("instsrv <service name>"), std::string::npos) << usage.output;
    const ToolRun direct = RunTool(kTools / L"srvany.exe", L"");
    EXPECT_NE(direct.exitCode, 0U);
    EXPECT_NE(direct.output.find("service program"), std::string::npos) << direct.output;
}

TEST_F(ServiceCase, StopClosesTheWindowAndEndsTheChild) {
    StartHosting(L"--child");
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    const auto standin = WatchStandin(Work(L"beat.txt"));
    const auto child = WatchStandin(Work(L"beat.txt.child"));
    ASSERT_EQ(ControlNamedService(name_, SERVICE_CONTROL_STOP), kErrorSuccess);
    ASSERT_TRUE(WaitForState(name_, SERVICE_STOPPED));
    EXPECT_EQ(QueryStatus(name_)->dwWin32ExitCode, kNoError);
    EXPECT_EQ(ReadText(Work(L"beat.txt.ended")), "close");
    EXPECT_TRUE(Ended(standin.get()));
    EXPECT_TRUE(Ended(child.get()));
}

// The application ends at once, its helper needs 3 s to save its work: the whole job gets the
// grace period, and each process is asked once (the stand-ins note every request).
TEST_F(ServiceCase, StopWaitsForTheWholeJobAndAsksEachProcessOnce) {
    StartHosting(L"--helper 3000");
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    const auto standin = WatchStandin(Work(L"beat.txt"));
    const auto helper = WatchStandin(Work(L"beat.txt.child"));
    ASSERT_EQ(ControlNamedService(name_, SERVICE_CONTROL_STOP), kErrorSuccess);
    ASSERT_TRUE(WaitForState(name_, SERVICE_STOPPED));
    EXPECT_EQ(QueryStatus(name_)->dwWin32ExitCode, kNoError);
    EXPECT_EQ(ReadText(Work(L"beat.txt.ended")), "close");
    EXPECT_EQ(ReadText(Work(L"beat.txt.child.ended")), "close");
    EXPECT_EQ(ReadText(Work(L"beat.txt.child.saved")), "saved");
    EXPECT_TRUE(Ended(standin.get()));
    EXPECT_TRUE(Ended(helper.get()));
}

TEST_F(ServiceCase, StopSendsACtrlEventToAConsoleApplication) {
    StartHosting(L"--no-window");
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    const auto standin = WatchStandin(Work(L"beat.txt"));
    ASSERT_EQ(ControlNamedService(name_, SERVICE_CONTROL_STOP), kErrorSuccess);
    ASSERT_TRUE(WaitForState(name_, SERVICE_STOPPED));
    EXPECT_EQ(ReadText(Work(L"beat.txt.ended")), "ctrl");
    EXPECT_TRUE(Ended(standin.get()));
}

TEST_F(ServiceCase, ApplicationExitCodeBecomesTheServiceExitCode) {
    StartHosting(L"--exit 3");
    ASSERT_TRUE(WaitForState(name_, SERVICE_STOPPED));
    const auto failed = QueryStatus(name_);
    EXPECT_EQ(failed->dwWin32ExitCode, kErrorServiceSpecificError);
    EXPECT_EQ(failed->dwServiceSpecificExitCode, 3U);

    WriteParameters(name_, Standin(), L"", L"\"" + Work(L"beat.txt").wstring() + L"\" --exit 0");
    ASSERT_EQ(StartNamedService(name_), kErrorSuccess);
    ASSERT_TRUE(WaitForState(name_, SERVICE_STOPPED));
    EXPECT_EQ(QueryStatus(name_)->dwWin32ExitCode, kNoError);
}

TEST_F(ServiceCase, RunsInAppDirectoryWithZeroByteParameters) {
    Install();
    WriteParameters(name_, Standin(), (kWork / name_).wstring(), L"");
    ASSERT_EQ(StartNamedService(name_), kErrorSuccess);
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    EXPECT_TRUE(WaitUntil([&] { return HeartbeatProcessId(Work(L"heartbeat.txt")).has_value(); }));
}

// Administrators' scripts write paths with variables, as REG_EXPAND_SZ.
TEST_F(ServiceCase, ExpandableParametersAreExpandedInTheServicesEnvironment) {
    Install();
    const std::wstring work = L"%SystemDrive%\\" + (kWork / name_).relative_path().wstring();
    WriteParameters(name_, L"%SystemDrive%\\" + fs::path(Standin()).relative_path().wstring(), work,
                    L"\"" + work + L"\\beat.txt\"", kRegExpandSz);
    ASSERT_EQ(StartNamedService(name_), kErrorSuccess);
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    EXPECT_TRUE(WaitUntil([&] { return HeartbeatProcessId(Work(L"beat.txt")).has_value(); }));
}

TEST_F(ServiceCase, UnusableParametersFailTheStart) {
    Install();
    const struct {
        std::optional<std::wstring> application;
        std::wstring directory;
        DWORD type;
    } broken[] = {{Standin(), (kWork / name_ / L"missing").wstring(), kRegSz},
                  {L"C:\\missing.exe", L"", kRegSz},
                  {Standin(), L"", kRegBinary}};
    for (const auto& [application, directory, type] : broken) {
        WriteParameters(name_, application, directory, L"", type);
        StartNamedService(name_);
        ASSERT_TRUE(WaitForState(name_, SERVICE_STOPPED));
        EXPECT_NE(QueryStatus(name_)->dwWin32ExitCode, kNoError);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE,
                         (L"SYSTEM\\CurrentControlSet\\Services\\" + name_ + L"\\Parameters").c_str());
    }
}

TEST_F(ServiceCase, MissingApplicationIsReportedInTheEventLog) {
    Install();
    WriteParameters(name_, std::nullopt, std::nullopt, std::nullopt);
    StartNamedService(name_);
    ASSERT_TRUE(WaitForState(name_, SERVICE_STOPPED));
    EXPECT_NE(QueryStatus(name_)->dwWin32ExitCode, kNoError);
    const std::optional<bool> logged = ErrorLogged(name_, L"Application");
    if (!logged.has_value()) {
        GTEST_SKIP() << "This system keeps no readable Application event log (Wine's is a stub).";
    }
    EXPECT_TRUE(*logged);
}

// Each kind of event formats from srvany.exe's message table as Event Viewer would show it, every
// insert in its place and none left over.
TEST(EventMessages, EveryEventIdFormatsWithItsInserts) {
    const auto module = std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&::FreeLibrary)>(
        ::LoadLibraryExW((kTools / L"srvany.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE), &::FreeLibrary);
    ASSERT_TRUE(module);
    const struct {
        DWORD id;
        std::vector<std::wstring> inserts;
    } events[] = {
        {MSG_APPLICATION_STARTED, {L"C:\\Qeltor Server\\Monitor.exe", L"1234", L"C:\\Qeltor Server"}},
        {MSG_APPLICATION_ENDED, {L"C:\\Qeltor Server\\Monitor.exe", L"3221225477 (0xC0000005)", L"2 h 5 min"}},
        {MSG_APPLICATION_NOT_STARTED, {L"The Parameters value Application, the program to run, is not set."}},
        {MSG_STOP_ENDED_PROCESSES, {L"C:\\Qeltor Server\\Monitor.exe", L"2", L"10"}}};
    for (const auto& event : events) {
        std::vector<DWORD_PTR> arguments;
        for (const std::wstring& insert : event.inserts) {
            arguments.push_back(reinterpret_cast<DWORD_PTR>(insert.c_str()));
        }
        std::vector<wchar_t> text(2048, L'\0');
        const DWORD flags = FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY;
        const DWORD length =
            ::FormatMessageW(flags, module.get(), event.id, 0, text.data(), static_cast<DWORD>(text.size()),
                             reinterpret_cast<va_list*>(arguments.data()));
        const std::wstring message(text.data(), length);
        ASSERT_NE(length, 0U) << "event " << (event.id & 0xFFFFU) << ": error " << ::GetLastError();
        for (const std::wstring& insert : event.inserts) {
            EXPECT_NE(message.find(insert), std::wstring::npos) << (event.id & 0xFFFFU);
        }
        EXPECT_EQ(message.find(L'%'), std::wstring::npos) << (event.id & 0xFFFFU);
        std::wcout << L"Event " << (event.id & 0xFFFFU) << L": " << message;
    }
}

// Lays out the tools under test where a user would put them: in a folder with a space.
void InstallTools(const std::wstring& instsrv, const std::wstring& srvany, const std::wstring& standin) {
    fs::create_directories(kTools);
    fs::copy_file(WindowsPath(srvany), kTools / L"srvany.exe", fs::copy_options::update_existing);
    fs::copy_file(WindowsPath(standin), kTools / L"StandinServer.exe", fs::copy_options::update_existing);
    g_instsrv = WindowsPath(instsrv);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc == 4) {
        InstallTools(argv[1], argv[2], argv[3]);
    }
    return RUN_ALL_TESTS();
}
