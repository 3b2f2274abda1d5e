// Runs the real QeltorService.exe under Wine: each case prepares a program folder and the
// stored server path, presses the button when the window shows, answers the message boxes
// and then looks at what the program started and wrote.
// Usage: InstallerWineTest <QeltorService.exe> <folder with the tool stand-ins>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "Codes.h"
#include "InstallCase.h"
#include "Permissions.h"
#include "Registry.h"
#include "Services.h"
#include "Window.h"
#include "core/PermissionRules.h"
#include "win32/Handles.h"
#include "win32/ReadSecurity.h"

using namespace qeltor::wine_case;
using qeltor::driver::Outcome;
using qeltor::driver::WindowAction;
using qeltor::messages::Id;
using qeltor::messages::Render;

namespace {

// Stands for what only the system words: its reason, or what the message adds.
const std::wstring kSystemSays = L"\x1";

template <typename... Inserts>
qeltor::messages::Message Says(Id id, const Inserts&... inserts) {
    return {id, {std::wstring(inserts)...}};
}
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
        return BoxText(outcome.boxes[0], L"hand");
    }

    // A refused run, besides, leaves nothing started or written.
    static std::wstring RefusalText(const Outcome& outcome, bool atStartUp) {
        ExpectNothingDone();
        return FailureText(outcome, atStartUp);
    }

    // The values under the service's Parameters key, as stored.
    static std::map<std::wstring, qeltor::driver::RegValue> ParameterValues() {
        std::map<std::wstring, qeltor::driver::RegValue> values;
        const auto key = qeltor::driver::OpenKey(HKEY_LOCAL_MACHINE, qeltor::driver::ParametersKey(kService));
        for (const wchar_t* name : {L"Application", L"AppDirectory", L"AppParameters"}) {
            if (auto value = key ? qeltor::driver::ReadValue(key.get(), name) : std::nullopt) {
                values[name] = *value;
            }
        }
        return values;
    }

    // `expected` whole, or where it holds kSystemSays, what comes before and after that.
    static void ExpectText(const std::wstring& text, const std::wstring& expected) {
        const std::size_t at = expected.find(kSystemSays);
        const auto around = [&] {
            return text.starts_with(expected.substr(0, at)) && text.ends_with(expected.substr(at + 1));
        };
        EXPECT_TRUE(at == std::wstring::npos ? text == expected : around()) << text;
    }

    // One information box with the success message, and the program ends by itself.
    static void ExpectSuccess(const Outcome& outcome) {
        EXPECT_TRUE(outcome.windowShown);
        EXPECT_FALSE(outcome.closedByDriver);  // it closes itself after the message
        EXPECT_EQ(outcome.exitCode, 0U);
        ASSERT_EQ(outcome.boxes.size(), 1U);
        EXPECT_EQ(BoxText(outcome.boxes[0], L"asterisk"), kSuccessMessage);
    }
};

// A value that only the service's account holds is kept beside the copied settings.
TEST_F(InstallerTest, RegistersTheServerAsService) {
    const std::wstring own = std::wstring(kServiceSettings) + L"\\m";
    const std::vector<BYTE> note = qeltor::driver::WideSz(L"the service's own");
    const LSTATUS seeded =
        RegSetKeyValueW(HKEY_USERS, own.c_str(), L"servicenote", REG_SZ, note.data(), static_cast<DWORD>(note.size()));
    ASSERT_EQ(static_cast<DWORD>(seeded), qeltor::driver::kErrorSuccess);
    LayOut(Instsrv::Program, true, kMonitor);
    ExpectSuccess(RunProgram());
    ExpectServiceRegistered();
    const auto key = qeltor::driver::OpenKey(HKEY_USERS, own);
    ASSERT_TRUE(key);
    const auto kept = qeltor::driver::ReadValue(key.get(), L"servicenote");
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->bytes, note);
}

// Values an administrator set by hand after the first click stay, byte for byte, and are named.
TEST_F(InstallerTest, ASecondClickKeepsWhatTheAdministratorSet) {
    LayOut(Instsrv::Program, true, kMonitor);
    ExpectSuccess(RunProgram());
    qeltor::driver::WriteParameters(kService, std::nullopt, L"D:\\QeltorData", L"--port 9000 --config D:\\qeltor.ini");
    const auto handSet = ParameterValues();
    const Outcome second = RunProgram();
    ASSERT_EQ(second.boxes.size(), 1U);
    const std::wstring text = BoxText(second.boxes[0], L"asterisk");
    const std::wstring kept =
        L"AppDirectory is \"D:\\QeltorData\"; AppParameters is \"--port 9000 --config D:\\qeltor.ini\"";
    ExpectText(text, Render({Says(Id::Success), Says(Id::ValuesKept, kept)}));
    EXPECT_EQ(ParameterValues(), handSet);
}

// After the server moved, a second click replaces what the first one wrote, as it always has.
TEST_F(InstallerTest, ASecondClickAfterTheServerMovedReplacesWhatTheFirstWrote) {
    LayOut(Instsrv::Program, true, kMonitor);
    ExpectSuccess(RunProgram());
    std::filesystem::create_directories(L"D:\\Srv\\Moved");
    std::filesystem::copy_file(kMonitor, L"D:\\Srv\\Moved\\Monitor.exe",
                               std::filesystem::copy_options::overwrite_existing);
    LayOut(Instsrv::Missing, false, L"D:\\Srv\\Moved\\Monitor.exe");
    ExpectSuccess(RunProgram());
    const auto values = ParameterValues();
    EXPECT_EQ(values.at(L"Application").bytes, qeltor::driver::WideSz(L"D:\\Srv\\Moved\\Monitor.exe"));
    EXPECT_EQ(values.at(L"AppDirectory").bytes, qeltor::driver::WideSz(L"D:\\Srv\\Moved\\"));
    EXPECT_TRUE(values.at(L"AppParameters").bytes.empty());
}

// Values deleted while instsrv.exe runs are found missing when read back: no success.
TEST_F(InstallerTest, ValuesDeletedWhileInstsrvRunsAreNoSuccess) {
    LayOut(Instsrv::Program, true, kMonitor);
    std::ofstream(kFolder / L"instsrv-deletes-parameters.txt") << "2 s";
    const std::wstring text = FailureText(RunProgram(), false);
    ExpectText(text, Render({Id::ValuesChangedMeanwhile, {L"Application is missing" + kSystemSays}}));
    EXPECT_FALSE(ServiceSettingsExist());
}

// A settings key that cannot be read leaves the service account's earlier settings exactly as they were.
TEST_F(InstallerTest, SettingsThatCannotAllBeReadAreNotCopiedAtAll) {
    const std::wstring own = std::wstring(kServiceSettings) + L"\\m";
    const std::vector<BYTE> note = qeltor::driver::WideSz(L"the service's own");
    ASSERT_EQ(static_cast<DWORD>(RegSetKeyValueW(HKEY_USERS, own.c_str(), L"servicenote", REG_SZ, note.data(),
                                                 static_cast<DWORD>(note.size()))),
              qeltor::driver::kErrorSuccess);
    const std::wstring locked = L"Software\\VB and VBA Program Settings\\mxqeltor\\zlocked";
    ASSERT_EQ(static_cast<DWORD>(RegSetKeyValueW(HKEY_CURRENT_USER, locked.c_str(), L"x", REG_SZ, note.data(),
                                                 static_cast<DWORD>(note.size()))),
              qeltor::driver::kErrorSuccess);
    ASSERT_EQ(qeltor::driver::LockKey(HKEY_CURRENT_USER, locked, true), qeltor::driver::kErrorSuccess);
    const auto readable = qeltor::driver::OpenKey(HKEY_CURRENT_USER, locked, KEY_READ);
    ASSERT_FALSE(readable) << "the key can still be read";
    LayOut(Instsrv::Program, true, kMonitor);
    const std::wstring text = FailureText(RunProgram(), false);
    ExpectText(text, Render({Id::SettingsKeyUnreadable, {kSystemSays, L"HKEY_CURRENT_USER\\" + locked}}));
    const auto key = qeltor::driver::OpenKey(HKEY_USERS, own);
    ASSERT_TRUE(key);
    EXPECT_FALSE(qeltor::driver::ReadValue(key.get(), L"exepath").has_value());
    EXPECT_EQ(qeltor::driver::ReadValue(key.get(), L"servicenote")->bytes, note);
    EXPECT_FALSE(
        qeltor::driver::OpenKey(HKEY_USERS, L".DEFAULT\\Software\\VB and VBA Program Settings\\mxqeltor\\zlocked"));
    EXPECT_EQ(qeltor::driver::LockKey(HKEY_CURRENT_USER, locked, false), qeltor::driver::kErrorSuccess);
}

// A link among the settings that leads back to them: a copy that followed it would never end.
TEST_F(InstallerTest, SettingsWithALinkAreRefusedInSecondsAndNothingIsCopied) {
    LayOut(Instsrv::Program, true, kMonitor);
    const std::wstring tree = L"Software\\VB and VBA Program Settings\\mxqeltor";
    const std::wstring link = tree + L"\\loop";
    HKEY created = nullptr;
    // Outside the assertion: its macro would hide where the headers' flags come from from the lint.
    const auto made =
        static_cast<DWORD>(RegCreateKeyExW(HKEY_CURRENT_USER, link.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                                           KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &created, nullptr));
    ASSERT_EQ(made, qeltor::driver::kErrorSuccess);
    const qeltor::win32::UniqueRegKey linkKey(created);
    const std::wstring target = L"\\Registry\\User\\" + qeltor::win32::CurrentUserSid() + L"\\" + tree;
    ASSERT_EQ(static_cast<DWORD>(RegSetValueExW(linkKey.get(), L"SymbolicLinkValue", 0, REG_LINK,
                                                reinterpret_cast<const BYTE*>(target.data()),
                                                static_cast<DWORD>(target.size() * sizeof(wchar_t)))),
              qeltor::driver::kErrorSuccess);
    const ULONGLONG began = ::GetTickCount64();
    const std::wstring text = FailureText(RunProgram(), false);
    EXPECT_LT(::GetTickCount64() - began, 20000U);
    EXPECT_EQ(text, Render({Id::SettingsHoldALink, {L"HKEY_CURRENT_USER\\" + link}}));
    EXPECT_FALSE(ServiceSettingsExist());
    EXPECT_FALSE(
        qeltor::driver::OpenKey(HKEY_USERS, std::wstring(kServiceSettings) + L" (being copied by QeltorService)"));
    // Deleted as itself: a delete through the link would take the settings it names.
    EXPECT_EQ(static_cast<DWORD>(RegDeleteKeyW(linkKey.get(), L"")), qeltor::driver::kErrorSuccess);
}

// Two copies of the kit clicked together: one registers, the other waits for it and then finds
// the first one's service; either way the service keeps the values it was registered with.
TEST_F(InstallerTest, TwoKitsClickedTogetherLeaveOneWholeService) {
    LayOut(Instsrv::Program, true, kMonitor);
    const std::filesystem::path second = L"C:\\Qeltor Test Two";
    std::filesystem::remove_all(second);
    std::filesystem::create_directories(second);
    for (const auto& file : std::filesystem::directory_iterator(kProgram.parent_path())) {
        std::filesystem::copy_file(file.path(), second / file.path().filename());
    }
    Outcome other;
    std::thread click([&] {
        other = qeltor::driver::RunProgram(second / L"QeltorService.exe", kPatienceMs, WindowAction::ClickButton);
    });
    const Outcome outcome = RunProgram();
    click.join();
    std::filesystem::remove_all(second);
    EXPECT_TRUE(other.problem.empty()) << other.problem;
    ASSERT_EQ(outcome.boxes.size(), 1U);
    ASSERT_EQ(other.boxes.size(), 1U);
    const int successes = static_cast<int>(outcome.boxes[0].text == kSuccessMessage) +
                          static_cast<int>(other.boxes[0].text == kSuccessMessage);
    EXPECT_LE(successes, 1) << "two windows said the service is theirs";
    const auto values = ParameterValues();
    ASSERT_TRUE(values.contains(L"Application"));
    EXPECT_EQ(values.at(L"Application").bytes, qeltor::driver::WideSz(kMonitor));
    EXPECT_TRUE(values.contains(L"AppDirectory") && values.contains(L"AppParameters"));
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
    ExpectText(text, Render({Id::NotCreated, {L"1"}}) + kSystemSays);
    EXPECT_TRUE(CommandLineRecorded());
    ExpectNoServiceLeft();
    EXPECT_FALSE(ServiceSettingsExist());
}

// While a slow instsrv.exe runs the window answers; a close asked for meanwhile waits until the
// registration is over and its box answered, and then the window closes by itself.
TEST_F(InstallerTest, WindowAnswersWhileInstsrvRunsAndClosesAfterTheBox) {
    LayOut(Instsrv::SlowFailing, true, kMonitor);
    const Outcome outcome = RunProgram(WindowAction::ClickProbeAndClose);
    EXPECT_GE(outcome.probesAnswered, 3);
    EXPECT_EQ(outcome.probesMissed, 0);
    ASSERT_EQ(outcome.boxes.size(), 1U);
    ExpectText(BoxText(outcome.boxes[0], L"hand"), Render({Id::NotCreated, {L"1"}}) + kSystemSays);
    EXPECT_FALSE(outcome.closedByDriver);
    EXPECT_EQ(outcome.exitCode, 0U);
}

// Thousands of permissions read beside the server: the window keeps answering meanwhile.
TEST_F(InstallerTest, WindowAnswersWhileItJudgesAFolderOf5000Files) {
    for (int i = 0; i < 5000; ++i) {
        std::ofstream(std::filesystem::path(L"D:\\Srv") / (std::to_wstring(i) + L".dat")) << i;
    }
    LayOut(Instsrv::Program, true, kMonitor);
    const Outcome outcome = RunProgram(WindowAction::ClickProbeAndClose);
    EXPECT_GE(outcome.probesAnswered, 1);
    EXPECT_EQ(outcome.probesMissed, 0);
    EXPECT_LT(outcome.slowestProbeMs, 100U);  // judged on the window's own thread: 300 ms and more
    ASSERT_EQ(outcome.boxes.size(), 1U);
    EXPECT_EQ(BoxText(outcome.boxes[0], L"asterisk"), kSuccessMessage);
    // The settings copied for the service's account are the administrators' alone.
    EXPECT_EQ(qeltor::driver::KeyDacl(HKEY_USERS, kServiceSettings), L"D:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)");
}

// A server in the administrator's own profile could be replaced by their unelevated programs.
TEST_F(InstallerTest, RefusesAServerInTheProfile) {
    std::wstring profile(MAX_PATH, L'\0');
    profile.resize(GetEnvironmentVariableW(L"USERPROFILE", profile.data(), MAX_PATH));
    ASSERT_FALSE(profile.empty());
    const std::filesystem::path server = std::filesystem::path(profile) / L"Qeltor Server" / L"Monitor.exe";
    std::filesystem::create_directories(server.parent_path());
    std::filesystem::copy_file(kMonitor, server, std::filesystem::copy_options::overwrite_existing);
    LayOut(Instsrv::Program, true, server.c_str());
    ExpectText(RefusalText(RunProgram(), false), Render(Says(Id::ServerInProfile, server.wstring(), kSystemSays)));
    std::filesystem::remove_all(server.parent_path());
}

// A service that is there and that a click cannot finish is refused before anything is started
// or written: the administrator's values under it stay exactly as they were.
struct ExistingService {
    const char* name;
    const wchar_t* image;
    DWORD startType;
    bool markedForDeletion;
    qeltor::messages::Message says;
};

void PrintTo(const ExistingService& service, std::ostream* out) {
    *out << service.name;
}

class ExistingServiceTest : public InstallerTest, public testing::WithParamInterface<ExistingService> {};

TEST_P(ExistingServiceTest, IsRefusedWithItsValuesLeftAsTheyWere) {
    const ExistingService& existing = GetParam();
    ASSERT_EQ(qeltor::driver::CreateOwnService(kService, existing.image, existing.startType),
              qeltor::driver::kErrorSuccess);
    qeltor::driver::WriteParameters(kService, L"C:\\OldServer\\Monitor.exe", std::nullopt, L"/port 9000");
    const auto earlier = ParameterValues();
    ASSERT_EQ(earlier.size(), 2U);
    qeltor::win32::UniqueServiceHandle held;
    if (existing.markedForDeletion) {
        held = qeltor::driver::HoldAndDelete(kService);
        ASSERT_TRUE(held);
    }
    LayOut(Instsrv::Program, true, kMonitor);
    const std::wstring text = FailureText(RunProgram(), false);
    ExpectText(text, Render(existing.says));
    EXPECT_FALSE(CommandLineRecorded());
    EXPECT_EQ(ParameterValues(), earlier);
    EXPECT_TRUE(qeltor::driver::ServiceExists(kService));
}

INSTANTIATE_TEST_SUITE_P(
    Installer, ExistingServiceTest,
    testing::Values(ExistingService{"OfAProgramThatIsGone", L"\"C:\\Old Kit\\srvany.exe\"", SERVICE_AUTO_START, false,
                                    Says(Id::RunsAnotherProgram, L"\"C:\\Old Kit\\srvany.exe\"", kFolder.wstring())},
                    ExistingService{"OursSetToStartManually", L"\"C:\\Qeltor Test\\srvany.exe\"", SERVICE_DEMAND_START,
                                    false, Says(Id::StartsManually)},
                    ExistingService{"OursMarkedForDeletion", L"\"C:\\Qeltor Test\\srvany.exe\"", SERVICE_AUTO_START,
                                    true, Says(Id::MarkedForDeletion)},
                    ExistingService{"OursUnquotedWithASpace", L"C:\\Qeltor Test\\srvany.exe", SERVICE_AUTO_START, false,
                                    Says(Id::UnquotedPath, L"C:\\Qeltor Test\\srvany.exe", L"C:\\Qeltor",
                                         L"C:\\Qeltor Test\\srvany.exe")}),
    [](const testing::TestParamInfo<ExistingService>& param) { return std::string(param.param.name); });
// Whoever can change what the service runs, a folder above it, or a file beside the server could
// run code as the system: the click is refused while Everyone may, and succeeds once only the owner may.
TEST_F(InstallerTest, RefusesWhatEveryoneCanChangeUntilThatIsUndone) {
    using qeltor::permissions::FixCommands;
    const std::wstring instsrv = (kFolder / L"instsrv.exe").wstring();
    const std::vector<std::wstring> everyone = {L"S-1-1-0"};
    const std::vector<std::pair<std::wstring, qeltor::messages::Message>> rows = {
        {L"D:\\Srv\\",
         {Id::ChangeableByUsers,
          {L"D:\\Srv\\", L"Everyone", L"can add files and folders to it", FixCommands(L"D:\\Srv\\", true, everyone)}}},
        {L"D:\\", {Id::FolderAboveChangeable, {L"D:\\", L"D:\\Srv\\", L"Everyone", L"can delete what is in it"}}},
        {kServerNotes,
         {Id::ChangeableByUsers,
          {kServerNotes, L"Everyone", L"can write to it", FixCommands(kServerNotes, false, everyone)}}},
        {instsrv,
         {Id::ChangeableByUsers, {instsrv, L"Everyone", L"can write to it", FixCommands(instsrv, false, everyone)}}},
    };
    LayOut(Instsrv::Program, true, kMonitor);
    for (const auto& [path, says] : rows) {
        SCOPED_TRACE(std::string(path.begin(), path.end()));
        ASSERT_EQ(qeltor::driver::LetEveryoneChange(path, true), qeltor::driver::kErrorSuccess);
        EXPECT_EQ(RefusalText(RunProgram(), false), Render(says));
        EXPECT_FALSE(CommandLineRecorded());
        EXPECT_FALSE(qeltor::driver::ServiceExists(kService));
        ASSERT_EQ(qeltor::driver::LetEveryoneChange(path, false), qeltor::driver::kErrorSuccess);
    }
    ExpectSuccess(RunProgram());
    ExpectServiceRegistered();
}

struct Refusal {
    const char* name;
    Instsrv instsrv;
    bool srvany;
    const wchar_t* serverPath;
    bool atStartUp;
    qeltor::messages::Message says;
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
    *out << refusal.name;
}

class RefusalTest : public InstallerTest, public testing::WithParamInterface<Refusal> {};

// A missing piece ends the program at start-up; a path the service could never start, or a tool
// that does not start, is refused at the click. Either way nothing is started or written.
TEST_P(RefusalTest, RefusesAndDoesNothing) {
    const Refusal& refusal = GetParam();
    LayOut(refusal.instsrv, refusal.srvany, refusal.serverPath);
    const std::wstring text = RefusalText(RunProgram(), refusal.atStartUp);
    ExpectText(text, Render(refusal.says));
}

INSTANTIATE_TEST_SUITE_P(
    Installer, RefusalTest,
    testing::Values(
        Refusal{"NoToolsAtAll", Instsrv::Missing, false, kMonitor, true, Says(Id::MissingInstsrv)},
        Refusal{"InstsrvIsAFolder", Instsrv::Folder, true, kMonitor, true, Says(Id::MissingInstsrv)},
        Refusal{"NoSrvany", Instsrv::Program, false, kMonitor, true, Says(Id::MissingSrvany)},
        Refusal{"NoStoredServer", Instsrv::Program, true, nullptr, true, Says(Id::MissingServer)},
        Refusal{"ServerIsAFolder", Instsrv::Program, true, L"D:\\Srv", true, Says(Id::MissingServer)},
        Refusal{"ServerMissing", Instsrv::Program, true, L"D:\\Srv\\Absent.exe", true, Says(Id::MissingServer)},
        Refusal{"ServerAsWildcard", Instsrv::Program, true, L"D:\\Srv\\*.exe", true, Says(Id::MissingServer)},
        Refusal{"RelativePath", Instsrv::Program, true, L"..\\apps\\Monitor.exe", false,
                Says(Id::NotAFullPath, L"..\\apps\\Monitor.exe")},
        Refusal{"NotAProgram", Instsrv::Program, true, kServerNotes, false,
                Says(Id::NotAProgram, kServerNotes, kSystemSays)},
        Refusal{"InstsrvCannotStart", Instsrv::TextFile, true, kMonitor, false,
                Says(Id::CannotStart, L"C:\\Qeltor Test\\instsrv.exe", kSystemSays)},
        Refusal{"ServerOnANetworkDrive", Instsrv::Program, true, kNetworkMonitor, false,
                Says(Id::ServerOnNetworkDrive, kNetworkMonitor, L"N")}),
    [](const testing::TestParamInfo<Refusal>& param) { return std::string(param.param.name); });

TEST_F(InstallerTest, RefusesAServerPathOutsideTheAnsiCodePage) {
    BOOL lossy = FALSE;
    char ansi[64];
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, kCyrillicServer, -1, ansi, sizeof ansi, nullptr, &lossy);
    ASSERT_NE(lossy, FALSE) << "code page " << GetACP() << " holds the path; this case needs one that does not";

    LayOut(Instsrv::Program, true, kCyrillicServer);
    const std::wstring text = RefusalText(RunProgram(), false);
    EXPECT_EQ(text, Render({Id::Unrepresentable, {kCyrillicServer}}));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!TakeArguments(argc, argv, 0, "InstallerWineTest <QeltorService.exe> <stand-in folder>")) {
        return 2;
    }
    return RUN_ALL_TESTS();
}
