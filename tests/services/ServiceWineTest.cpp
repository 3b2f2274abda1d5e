// instsrv.exe and srvany.exe against Wine's own service manager, hosting StandinServer.exe.
// Arguments: <instsrv.exe> <srvany.exe> <StandinServer.exe>, as Unix paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <utility>
#include <vector>

#include "Codes.h"
#include "EventMessages.h"
#include "Programs.h"
#include "Registry.h"
#include "Services.h"
#include "core/StopTimes.h"
#include "win32/GrowingBuffer.h"
#include "win32/Handles.h"
#include "win32/RegistryKey.h"

namespace {

using namespace qeltor::driver;
using qeltor::service::kGracePeriodMs;
using qeltor::win32::UniqueHandle;
namespace win32 = qeltor::win32;
namespace fs = std::filesystem;

// Folders with spaces, so that the quoting of every path is put to the test.
const fs::path kTools = L"C:\\Qeltor Service Tools";
const fs::path kWork = L"C:\\Qeltor Service Work";
const fs::path kSrvany = kTools / L"srvany.exe";
const std::wstring kStandin = (kTools / L"StandinServer.exe").wstring();
fs::path g_instsrv;

// Whether the stand-in whose heartbeat is `file` beats within the patience.
bool Beats(const fs::path& file) {
    return FirstBeat(file).count > 0;
}

// Opens the stand-in whose heartbeat is `file` once it beats, to watch it end.
UniqueHandle WatchStandin(const fs::path& file) {
    const Beat beat = FirstBeat(file);
    EXPECT_GT(beat.count, 0) << Utf8(file.wstring());
    return UniqueHandle(beat.processId != 0 ? ::OpenProcess(SYNCHRONIZE, FALSE, beat.processId) : nullptr);
}

// The host reports STOPPED only once its job counts no process; Wine may signal a process it
// killed a moment after that, on a busy machine. One still running a second later was left behind.
bool Ended(HANDLE process) {
    return process != nullptr && ::WaitForSingleObject(process, 1000) == WAIT_OBJECT_0;
}

// Each case has a service and a work folder of its own, named after it.
class ServiceCase : public testing::Test {
protected:
    void SetUp() override {
        const std::string test = testing::UnitTest::GetInstance()->current_test_info()->name();
        name_ = L"Qeltor Test " + std::wstring(test.begin(), test.end());
        std::ranges::replace(name_, L'/', L' ');  // a parameterised case's name holds one; no service name may
        Forget();
        fs::remove_all(kWork / name_);
        fs::create_directories(kWork / name_);
    }
    void TearDown() override { Forget(); }
    void Forget() const {
        DeleteServiceIfPresent(name_);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, EventSourceKey(name_).c_str());
    }

    [[nodiscard]] ToolRun Instsrv(const std::wstring& second) const {
        return RunTool(g_instsrv, L"\"" + name_ + L"\" \"" + second + L"\"");
    }
    void Install() const { ASSERT_EQ(Instsrv(kSrvany.wstring()).exitCode, 0U); }
    [[nodiscard]] fs::path Work(const wchar_t* file) const { return kWork / name_ / file; }
    // The stand-in's arguments: its heartbeat file in the case's folder, then `options`.
    [[nodiscard]] std::wstring Beating(const std::wstring& options) const {
        return L"\"" + Work(L"beat.txt").wstring() + L"\" " + options;
    }
    // Installs the service, writes its parameters and starts it.
    void Host(const std::wstring& application, const std::wstring& directory, const std::wstring& arguments,
              DWORD type = REG_SZ) const {
        Install();
        WriteParameters(name_, application, directory, arguments, type);
        ASSERT_EQ(StartNamedService(name_), kErrorSuccess);
    }

    std::wstring name_;
};

TEST_F(ServiceCase, InstsrvCreatesAnAutoStartServiceOnce) {
    const ToolRun first = Instsrv(kSrvany.wstring());
    EXPECT_EQ(first.exitCode, 0U) << first.output;
    EXPECT_NE(first.output.find("created"), std::string::npos) << first.output;

    const auto config = QueryConfig(name_);
    ASSERT_TRUE(config.has_value());
    EXPECT_EQ(config->type, DWORD{SERVICE_WIN32_OWN_PROCESS});
    EXPECT_EQ(config->startType, DWORD{SERVICE_AUTO_START});
    EXPECT_EQ(config->program, L"\"" + kSrvany.wstring() + L"\"");
    EXPECT_EQ(config->displayName, name_);
    // A shutdown waits for the whole stop (Wine's own default would be 180000 ms).
    EXPECT_EQ(QueryPreshutdownTimeout(name_), qeltor::service::kPreshutdownTimeoutMs);
    // Event Viewer finds the texts of the service's events in the srvany.exe beside instsrv.exe.
    EXPECT_EQ(ReadMachineText(EventSourceKey(name_), L"EventMessageFile"),
              (g_instsrv.parent_path() / L"srvany.exe").wstring());
    EXPECT_EQ(ReadMachineNumber(EventSourceKey(name_), L"TypesSupported"), 7U);

    // An existing service is left as it was, event source included.
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, EventSourceKey(name_).c_str());
    const ToolRun second = Instsrv((kTools / L"other.exe").wstring());
    EXPECT_NE(second.exitCode, 0U);
    EXPECT_NE(second.output.find("exists"), std::string::npos) << second.output;
    const auto unchanged = QueryConfig(name_);
    ASSERT_TRUE(unchanged.has_value());
    EXPECT_EQ(unchanged->program, L"\"" + kSrvany.wstring() + L"\"");
    EXPECT_FALSE(MachineKeyExists(EventSourceKey(name_)));

    // One for the same program, made by an older kit, is brought up to date and says how.
    ASSERT_TRUE(SetPreshutdownTimeout(name_, 10000));
    const ToolRun third = Instsrv(kSrvany.wstring());
    EXPECT_EQ(third.exitCode, 0U) << third.output;
    EXPECT_NE(third.output.find("(it was 10000 ms)"), std::string::npos) << third.output;
    EXPECT_EQ(QueryPreshutdownTimeout(name_), qeltor::service::kPreshutdownTimeoutMs);
    EXPECT_TRUE(MachineKeyExists(EventSourceKey(name_)));
}

TEST_F(ServiceCase, InstsrvTakesOnlyAProgramThatExists) {
    std::ofstream(Work(L"notes.txt")) << "not a program";
    const fs::path library = fs::path(L"C:\\windows\\system32\\kernel32.dll");
    for (const fs::path& unusable :
         {kTools / L"missing.exe", kTools, Work(L"notes.txt"), library, fs::path(L"\\\\?\\" + kSrvany.wstring())}) {
        const ToolRun refused = Instsrv(unusable.wstring());
        EXPECT_NE(refused.exitCode, 0U) << refused.output;
        EXPECT_NE(refused.output.find("\"" + unusable.string() + "\""), std::string::npos) << refused.output;
        EXPECT_FALSE(ServiceExists(name_));
        EXPECT_FALSE(MachineKeyExists(EventSourceKey(name_)));
    }
    // Handed over in quotes of its own, the program is the path inside them.
    const ToolRun quoted = RunTool(g_instsrv, L"\"" + name_ + L"\" \"\\\"" + kSrvany.wstring() + L"\\\"\"");
    EXPECT_EQ(quoted.exitCode, 0U) << quoted.output;
    EXPECT_NE(quoted.output.find("to run \"" + kSrvany.string() + "\"."), std::string::npos) << quoted.output;
}

TEST_F(ServiceCase, AnotherProgramsEventSourceIsLeftAlone) {
    const std::wstring theirs = L"C:\\Other\\their-messages.dll";
    win32::UniqueRegKey source;
    win32::CreateRegistryKey(HKEY_LOCAL_MACHINE, EventSourceKey(name_), KEY_SET_VALUE, source);
    const std::vector<BYTE> bytes = WideSz(theirs);
    ::RegSetValueExW(source.get(), L"EventMessageFile", 0, REG_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
    const ToolRun created = Instsrv(kSrvany.wstring());
    EXPECT_EQ(created.exitCode, 0U) << created.output;
    EXPECT_NE(created.output.find("left as it is"), std::string::npos) << created.output;
    EXPECT_EQ(Instsrv(L"remove").exitCode, 0U);
    EXPECT_EQ(ReadMachineText(EventSourceKey(name_), L"EventMessageFile"), theirs);
}

TEST_F(ServiceCase, InstsrvRemovesARunningService) {
    Host(kStandin, L"", Beating(L""));
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    // By its first beat the stand-in has the window through which it is asked to end.
    ASSERT_TRUE(Beats(Work(L"beat.txt")));
    const ToolRun removed = Instsrv(L"remove");
    EXPECT_EQ(removed.exitCode, 0U) << removed.output;
    EXPECT_TRUE(WaitUntil([&] { return !ServiceExists(name_); }));
    EXPECT_FALSE(MachineKeyExists(EventSourceKey(name_)));
    const ToolRun again = Instsrv(L"remove");
    EXPECT_NE(again.exitCode, 0U);
    EXPECT_NE(again.output.find("does not exist"), std::string::npos) << again.output;
}

// What the package's removal and its rollback run: the service comes back as it was, running.
TEST_F(ServiceCase, InstsrvPutsBackTheServiceItRemoved) {
    Host(kStandin, L"", Beating(L""));
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    const std::wstring program = L" \"" + kSrvany.wstring() + L"\"";
    EXPECT_EQ(RunTool(g_instsrv, L"\"" + name_ + L"\" remove" + program).exitCode, 0U);
    ASSERT_TRUE(WaitUntil([&] { return !ServiceExists(name_); }));
    const ToolRun restored = RunTool(g_instsrv, L"\"" + name_ + L"\" restore" + program);
    EXPECT_EQ(restored.exitCode, 0U) << restored.output;
    EXPECT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    EXPECT_EQ(ReadMachineText(ParametersKey(name_), L"Application"), kStandin);
    EXPECT_TRUE(MachineKeyExists(EventSourceKey(name_)));
    EXPECT_FALSE(MachineKeyExists(L"SOFTWARE\\Qeltor Service\\Removed services\\" + name_));  // nothing left aside
}

TEST_F(ServiceCase, ToolsExplainThemselvesWhenMisused) {
    const ToolRun usage = RunTool(g_instsrv, L"only-one-argument");
    EXPECT_NE(usage.exitCode, 0U);
    EXPECT_NE(usage.output.find("instsrv <service name>"), std::string::npos) << usage.output;
    const ToolRun direct = RunTool(kSrvany, L"");
    EXPECT_NE(direct.exitCode, 0U);
    EXPECT_NE(direct.output.find("service program"), std::string::npos) << direct.output;
}

// How long a stop took, from the request to STOPPED; printed, since Wine's timing is what the
// numbers in README.txt rest on.
DWORD TimedStop(const std::wstring& service) {
    const ULONGLONG began = ::GetTickCount64();
    EXPECT_EQ(ControlNamedService(service, SERVICE_CONTROL_STOP), kErrorSuccess);
    EXPECT_TRUE(WaitForState(service, SERVICE_STOPPED));
    const auto took = static_cast<DWORD>(::GetTickCount64() - began);
    std::cout << "The stop took " << took << " ms.\n";
    return took;
}

// A stop of the hosted server: each process of its job is asked once, the way it understands
// (the stand-ins note every request), and the service stops cleanly once the job is gone.
struct Stop {
    const char* name;
    const wchar_t* options;
    std::vector<const wchar_t*> processes;                      // their heartbeat files
    std::vector<std::pair<const wchar_t*, const char*>> notes;  // a file, what it holds after the stop
    bool graceRunsOut = false;  // something is still running when the grace period is over
};

void PrintTo(const Stop& stop, std::ostream* out) {
    *out << stop.name;
}

class StopTest : public ServiceCase, public testing::WithParamInterface<Stop> {};

TEST_P(StopTest, EndsTheWholeJob) {
    const Stop& stop = GetParam();
    Host(kStandin, L"", Beating(stop.options));
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    std::vector<UniqueHandle> processes;
    processes.reserve(stop.processes.size());
    for (const wchar_t* heartbeat : stop.processes) {
        processes.push_back(WatchStandin(Work(heartbeat)));
    }
    const DWORD took = TimedStop(name_);
    EXPECT_EQ(QueryStatus(name_)->dwWin32ExitCode, kNoError);
    for (const auto& [file, note] : stop.notes) {
        EXPECT_EQ(ReadText(Work(file)), note) << Utf8(file);
    }
    for (size_t i = 0; i < processes.size(); ++i) {
        EXPECT_TRUE(Ended(processes[i].get())) << Utf8(stop.processes[i]);
    }
    EXPECT_EQ(took >= kGracePeriodMs, stop.graceRunsOut) << took << " ms";
    EXPECT_LE(took, kGracePeriodMs + qeltor::service::kTerminatePatienceMs);  // by the clock, however long asking takes
}

INSTANTIATE_TEST_SUITE_P(
    Service, StopTest,
    testing::Values(
        Stop{"ClosesTheWindowAndEndsTheChild",
             L"--child",
             {L"beat.txt", L"beat.txt.child"},
             {{L"beat.txt.ended", "close"}},
             true},
        // The application ends at once, its helper needs 3 s to save its work: the
        // whole job gets the grace period.
        Stop{"WaitsForTheWholeJobAndAsksEachProcessOnce",
             L"--helper 3000",
             {L"beat.txt", L"beat.txt.child"},
             {{L"beat.txt.ended", "close"}, {L"beat.txt.child.ended", "close"}, {L"beat.txt.child.saved", "saved"}}},
        Stop{"SendsACtrlEventToAConsoleApplication", L"--no-window", {L"beat.txt"}, {{L"beat.txt.ended", "ctrl"}}},
        // Its child on its console asks "Save changes?" on WM_CLOSE and never ends: halfway
        // through the grace period the console is signalled anyway, the child a second time,
        // and the application has the time left to save.
        Stop{"AsksTheConsoleBesideAWindowStuckInADialog",
             L"--no-window --save 3000 --dialog-child",
             {L"beat.txt", L"beat.txt.child"},
             {{L"beat.txt.ended", "ctrl"}, {L"beat.txt.saved", "saved"}, {L"beat.txt.child.ended", "closectrl"}},
             true},
        // Stopped at once, a server that takes 400 ms to set up its handlers is asked once it
        // has run for a second.
        Stop{"AsksAServerStoppedRightAfterItsStart", L"--no-window --ready 400", {}, {{L"beat.txt.ended", "ctrl"}}},
        // Windows sends Ctrl+Break, which a program cannot leave off. Wine cannot send Ctrl+Break
        // (GenerateConsoleCtrlEvent fails for it); its Ctrl+C to group 0 goes to the host's process
        // group, which the application shares, starting in no group of its own, with Ctrl+C on.
        Stop{"AsksAServerThatLeavesCtrlCAsItFoundIt",
             L"--no-window --ctrl-c-left-off",
             {L"beat.txt"},
             {{L"beat.txt.ended", "ctrl"}}},
        // ... a server that runs with a hidden window too, and saves well within the grace period.
        Stop{"AsksAServerWithAHiddenWindowThatLeavesCtrlCAsItFoundIt",
             L"--hidden-window --ctrl-c-left-off --save 3000",
             {L"beat.txt"},
             {{L"beat.txt.ended", "ctrl"}, {L"beat.txt.saved", "saved"}}},
        // Libraries make hidden windows: a program with a console is asked there all the same.
        Stop{"AsksAConsoleServerWithAHiddenWindowOnItsConsole",
             L"--hidden-window --save 3000",
             {L"beat.txt"},
             {{L"beat.txt.ended", "ctrl"}, {L"beat.txt.saved", "saved"}}},
        // Started during the stop, as a supervisor restarts a worker: asked once, the server again.
        Stop{"AsksAWorkerRestartedDuringTheStop",
             L"--no-window --save 5000 --respawn",
             {L"beat.txt"},
             {{L"beat.txt.again.ended", "ctrl"}, {L"beat.txt.ended", "ctrlctrl"}, {L"beat.txt.saved", "saved"}}},
        // Each console costs the host time to ask; the stop keeps to the clock all the same.
        Stop{"StopsManyConsolesThatIgnoreCtrlByTheClock",
             L"--stubborn --consoles 40",
             {L"beat.txt", L"beat.txt.40"},
             {},
             true}),
    [](const testing::TestParamInfo<Stop>& param) { return std::string(param.param.name); });

// More processes than a job's first answer had room for: every one is asked on their console,
// and each has the time to save.
TEST_F(ServiceCase, AsksEveryProcessOfALargeJob) {
    constexpr int kChildren = 270;
    Host(kStandin, L"", Beating(L"--no-window --save 1000 --children " + std::to_wstring(kChildren)));
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    const auto beating = [&] {
        for (int child = kChildren; child >= 1; --child) {
            if (ReadBeat(Work((L"beat.txt." + std::to_wstring(child)).c_str())).count == 0) {
                return false;
            }
        }
        return true;
    };
    ASSERT_TRUE(WaitUntil(beating, 240000));  // 40 s alone, more than 90 s beside a build
    EXPECT_LT(TimedStop(name_), kGracePeriodMs);
    int asked = 0;
    int saved = 0;
    for (int child = 1; child <= kChildren; ++child) {
        const std::wstring heartbeat = L"beat.txt." + std::to_wstring(child);
        asked += ReadText(Work((heartbeat + L".ended").c_str())) == "ctrl" ? 1 : 0;
        saved += ReadText(Work((heartbeat + L".saved").c_str())) == "saved" ? 1 : 0;
    }
    EXPECT_EQ(asked, kChildren);  // each once
    EXPECT_EQ(saved, kChildren);
    EXPECT_EQ(ReadText(Work(L"beat.txt.saved")), "saved");
}

// Stopped 1.5 s after its start while it still starts its workers on its console: halfway through
// the grace period at the latest, the workers there are asked however young, and most save.
TEST_F(ServiceCase, AsksWorkersStillBeingStartedAtTheStop) {
    constexpr int kChildren = 270;
    Host(kStandin, L"", Beating(L"--no-window --save 1000 --children " + std::to_wstring(kChildren)));
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    ::Sleep(1500);
    TimedStop(name_);
    int started = 0;
    int saved = 0;
    for (int child = 1; child <= kChildren; ++child) {
        const std::wstring heartbeat = L"beat.txt." + std::to_wstring(child);
        started += ReadBeat(Work(heartbeat.c_str())).count > 0 ? 1 : 0;
        saved += ReadText(Work((heartbeat + L".saved").c_str())) == "saved" ? 1 : 0;
    }
    std::cout << saved << " of " << started << " workers saved.\n";
    EXPECT_GT(started, 0);
    EXPECT_GT(2 * saved, started);
}

TEST_F(ServiceCase, ApplicationExitCodeBecomesTheServiceExitCode) {
    Host(kStandin, L"", Beating(L"--exit 3"));
    ASSERT_TRUE(WaitForState(name_, SERVICE_STOPPED));
    const auto failed = QueryStatus(name_);
    EXPECT_EQ(failed->dwWin32ExitCode, kErrorServiceSpecificError);
    EXPECT_EQ(failed->dwServiceSpecificExitCode, 3U);

    WriteParameters(name_, kStandin, L"", Beating(L"--exit 0"));
    ASSERT_EQ(StartNamedService(name_), kErrorSuccess);
    ASSERT_TRUE(WaitForState(name_, SERVICE_STOPPED));
    EXPECT_EQ(QueryStatus(name_)->dwWin32ExitCode, kNoError);
}

TEST_F(ServiceCase, RunsInAppDirectoryWithZeroByteParameters) {
    Host(kStandin, (kWork / name_).wstring(), L"");
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    EXPECT_TRUE(Beats(Work(L"heartbeat.txt")));
}

// Administrators' scripts write paths with variables, as REG_EXPAND_SZ.
TEST_F(ServiceCase, ExpandableParametersAreExpandedInTheServicesEnvironment) {
    const std::wstring work = L"%SystemDrive%\\" + (kWork / name_).relative_path().wstring();
    Host(L"%SystemDrive%\\" + fs::path(kStandin).relative_path().wstring(), work, L"\"" + work + L"\\beat.txt\"",
         REG_EXPAND_SZ);
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    EXPECT_TRUE(Beats(Work(L"beat.txt")));
}

// AppEnvironment's NAME=value lines reach the program's environment.
TEST_F(ServiceCase, AppEnvironmentReachesTheProgram) {
    Install();
    const fs::path out = Work(L"environment.txt");
    WriteParameters(name_, L"C:\\windows\\system32\\cmd.exe", L"", L"/c echo %QELTOR_NOTE%>\"" + out.wstring() + L"\"");
    const wchar_t lines[] = L"QELTOR_NOTE=set for the service\0OTHER=1\0";
    ASSERT_EQ(static_cast<DWORD>(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, ParametersKey(name_).c_str(), L"AppEnvironment",
                                                   REG_MULTI_SZ, lines, sizeof(lines))),
              kErrorSuccess);
    ASSERT_EQ(StartNamedService(name_), kErrorSuccess);
    ASSERT_TRUE(WaitForState(name_, SERVICE_STOPPED));
    std::string line;
    std::getline(std::ifstream(out), line);
    EXPECT_EQ(line.substr(0, line.find_last_not_of("\r ") + 1), "set for the service");
}

TEST_F(ServiceCase, UnusableParametersFailTheStart) {
    Install();
    const struct {
        std::optional<std::wstring> application;
        std::wstring directory;
        DWORD type;
    } broken[] = {{kStandin, (kWork / name_ / L"missing").wstring(), REG_SZ},
                  {L"C:\\missing.exe", L"", REG_SZ},
                  {kStandin, L"", REG_BINARY}};
    for (const auto& [application, directory, type] : broken) {
        WriteParameters(name_, application, directory, L"", type);
        StartNamedService(name_);
        ASSERT_TRUE(WaitForState(name_, SERVICE_STOPPED));
        EXPECT_NE(QueryStatus(name_)->dwWin32ExitCode, kNoError);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, ParametersKey(name_).c_str());
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

// Event `id` with `inserts` as Event Viewer shows it, from srvany.exe's message table; empty when
// it does not format.
std::wstring FormatEvent(DWORD id, const std::vector<std::wstring>& inserts) {
    const qeltor::win32::UniqueModule module(::LoadLibraryExW(kSrvany.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) {
        return {};
    }
    std::vector<DWORD_PTR> arguments;
    arguments.reserve(inserts.size());
    for (const std::wstring& insert : inserts) {
        arguments.push_back(reinterpret_cast<DWORD_PTR>(insert.c_str()));
    }
    std::vector<wchar_t> text(2048, L'\0');
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module.get(), id, 0, text.data(),
                         static_cast<DWORD>(text.size()), reinterpret_cast<va_list*>(arguments.data()));
    return {text.data(), length};
}

// Each kind of event formats as Event Viewer would show it, every insert in its place and none
// left over.
TEST(EventMessages, EveryEventIdFormatsWithItsInserts) {
    const struct {
        DWORD id;
        std::vector<std::wstring> inserts;
    } events[] = {
        {MSG_APPLICATION_STARTED, {L"C:\\Qeltor Server\\Monitor.exe", L"1234", L"C:\\Qeltor Server"}},
        {MSG_APPLICATION_ENDED, {L"C:\\Qeltor Server\\Monitor.exe", L"3221225477 (0xC0000005)", L"2 h 5 min"}},
        {MSG_APPLICATION_NOT_STARTED, {L"The Parameters value Application, the program to run, is not set."}},
        {MSG_STOP_ENDED_PROCESSES, {L"C:\\Qeltor Server\\Monitor.exe", L"2", L"10"}},
        // Why the application could not start, and the console's texts.
        {MSG_APPLICATION_NOT_SET, {}},
        {MSG_APPLICATION_QUOTED, {L"\"C:\\Srv\\Monitor.exe\""}},
        {MSG_APPLICATION_NOT_FULL_PATH, {L"Monitor.exe"}},
        {MSG_DIRECTORY_NOT_FULL_PATH, {L"drivers"}},
        {MSG_ENVIRONMENT_LINE_WITHOUT_VALUE, {L"NOVALUE"}},
        {MSG_VALUE_NOT_TEXT, {L"AppDirectory", L"REG_DWORD"}},
        {MSG_ENVIRONMENT_NOT_LINES, {L"REG_SZ"}},
        {MSG_CANNOT_EXPAND_VALUE, {L"Application", L"Access is denied. (error 5)"}},
        {MSG_CANNOT_READ_VALUE, {L"AppParameters", L"Access is denied. (error 5)"}},
        {MSG_CANNOT_OPEN_PARAMETERS, {L"SYSTEM\\CurrentControlSet\\Services\\S\\Parameters", L"(error 5)"}},
        {MSG_NO_FOLDER, {L"C:\\Gone"}},
        {MSG_FOLDER_IS_A_FILE, {L"C:\\Srv\\Monitor.exe"}},
        {MSG_CANNOT_SET_VARIABLE, {L"=C:", L"(error 87)"}},
        {MSG_CANNOT_CREATE_JOB, {L"(error 8)"}},
        {MSG_CANNOT_START, {L"\"C:\\Srv\\Monitor.exe\" -port 81", L"C:\\Srv", L"(error 193)"}},
        {MSG_CANNOT_JOIN_JOB, {L"(error 5)"}},
        {MSG_NO_STOP_EVENT, {L"(error 8)"}},
        {MSG_USAGE, {}},
        {MSG_NO_SERVICE_MANAGER, {L"(error 1063)"}}};
    for (const auto& event : events) {
        SCOPED_TRACE(event.id & 0xFFFFU);
        const std::wstring message = FormatEvent(event.id, event.inserts);
        ASSERT_FALSE(message.empty()) << "it does not format from " << kSrvany.string();
        for (const std::wstring& insert : event.inserts) {
            EXPECT_NE(message.find(insert), std::wstring::npos);
        }
        EXPECT_EQ(message.find(L'%'), std::wstring::npos);
        std::wcout << L"Event " << (event.id & 0xFFFFU) << L": " << message;
    }
}

// A call that fills `needed` bytes once they fit, and says how many it needs, or only that the
// room is too small; one that needs none fails.
struct Call {
    DWORD needed;
    bool saysHowMany;
    int* tries;
};

DWORD FillWhenItFits(const void* context, void* data, DWORD room, DWORD& size) {
    const auto& call = *static_cast<const Call*>(context);
    ++*call.tries;
    if (call.needed == 0) {
        return ERROR_ACCESS_DENIED;
    }
    if (room < call.needed) {
        size = call.saysHowMany ? call.needed : room;
        return ERROR_MORE_DATA;
    }
    std::fill_n(static_cast<char*>(data), call.needed, 'x');
    size = call.needed;
    return ERROR_SUCCESS;
}

// The tools' buffers grow to what a call asks for, or more when it does not say, even from no
// room at all, and end cut to what was filled; any other failure ends the tries at once.
TEST(GrowingBuffer, GrowsUntilTheCallFits) {
    const struct {
        DWORD needed;
        bool saysHowMany;
        std::size_t room;
        DWORD status;
        int tries;
    } rows[] = {{300, true, 10, ERROR_SUCCESS, 2},
                {300, false, 10, ERROR_SUCCESS, 6},
                {5, false, 0, ERROR_SUCCESS, 4},
                {0, true, 10, ERROR_ACCESS_DENIED, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.needed << (row.saysHowMany ? " said" : " unsaid") << " from "
                                        << row.room);
        int tries = 0;
        const Call call{row.needed, row.saysHowMany, &tries};
        std::string buffer;
        EXPECT_EQ(win32::FillGrowing(buffer, row.room, FillWhenItFits, &call), row.status);
        EXPECT_EQ(tries, row.tries);
        // Cut to what was filled, or as the failing try left it.
        const bool fits = row.status == ERROR_SUCCESS;
        const std::size_t filled = fits ? row.needed : 0;
        EXPECT_EQ(buffer.size(), fits ? filled : row.room);
        EXPECT_EQ(static_cast<std::size_t>(std::ranges::count(buffer, 'x')), filled);
    }
}

// Lays out the tools under test where a user would put them: in a folder with a space.
void InstallTools(const std::wstring& instsrv, const std::wstring& srvany, const std::wstring& standin) {
    fs::create_directories(kTools);
    fs::copy_file(WindowsPath(srvany), kSrvany, fs::copy_options::update_existing);
    fs::copy_file(WindowsPath(standin), kStandin, fs::copy_options::update_existing);
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
