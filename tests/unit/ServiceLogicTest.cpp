// The service tools' decisions, without the service manager.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/MessageInserts.h"
#include "core/StopTimes.h"
#include "core/SystemNumbers.h"
#include "servicetools/instsrv/Arguments.h"
#include "servicetools/instsrv/Messages.h"
#include "servicetools/instsrv/ProgramImage.h"
#include "servicetools/instsrv/Recovery.h"
#include "servicetools/srvany/EndRequests.h"
#include "servicetools/srvany/EventText.h"
#include "servicetools/srvany/LaunchPlan.h"
#include "servicetools/srvany/ValueType.h"
#include "tests/unit/ReadmeTable.h"

namespace {

using namespace qeltor;  // Windows' numbers: kErrorBadPathname, kRegSz, ...
using namespace qeltor::service;
using qeltor::service::HostFailure;
using qeltor::service::HostParameters;
using qeltor::service::InstsrvCommand;
using qeltor::service::LaunchPlan;

LaunchPlan PlanFor(const HostParameters& parameters) {
    auto plan = qeltor::service::MakeLaunchPlan(parameters);
    EXPECT_TRUE(std::holds_alternative<LaunchPlan>(plan));
    return std::holds_alternative<LaunchPlan>(plan) ? std::get<LaunchPlan>(plan) : LaunchPlan{};
}

std::string ReadSource(const std::string& name) {
    std::ostringstream text;
    text << std::ifstream(std::string(QELTOR_SOURCE_DIR) + "/" + name, std::ios::binary).rdbuf();
    return text.str();
}

// srvany.exe's texts as its message table holds them, by message ID: each one's lines joined by CR LF.
std::map<qeltor::Dword, std::wstring> TableTexts() {
    std::istringstream file(ReadSource("servicetools/srvany/EventMessages.mc"));
    std::map<qeltor::Dword, std::wstring> texts;
    std::wstring* text = nullptr;
    qeltor::Dword id = 0;
    for (std::string line; std::getline(file, line);) {
        if (text != nullptr && line != ".") {
            *text += (text->empty() ? L"" : L"\r\n") + std::wstring(line.begin(), line.end());
        } else if (line.starts_with("MessageId=")) {
            id = static_cast<qeltor::Dword>(std::stoul(line.substr(line.find('=') + 1)));
        }
        text = line.starts_with("Language=") ? &texts[id] : line == "." ? nullptr : text;
    }
    return texts;
}

// A failure as its event says it.
struct Failure {
    qeltor::Dword error = kNoError;
    std::wstring message;
};

Failure Rendered(const HostFailure& failure) {
    return {failure.error,
            qeltor::FillInserts(TableTexts()[static_cast<qeltor::Dword>(failure.reason)], failure.inserts)};
}

std::optional<Failure> Rendered(const std::optional<HostFailure>& failure) {
    return failure ? std::optional(Rendered(*failure)) : std::nullopt;
}

Failure FailureFor(const HostParameters& parameters) {
    auto plan = qeltor::service::MakeLaunchPlan(parameters);
    EXPECT_TRUE(std::holds_alternative<HostFailure>(plan));
    return Rendered(std::holds_alternative<HostFailure>(plan) ? std::get<HostFailure>(plan) : HostFailure{});
}

TEST(LaunchPlan, RunsInTheApplicationsFolderWhenNoneIsGiven) {
    for (const auto& directory : {std::optional<std::wstring>(), std::optional<std::wstring>(L"")}) {
        const LaunchPlan plan = PlanFor({L"D:\\Srv Tools\\Monitor.exe", directory, L""});
        EXPECT_EQ(plan.directory, L"D:\\Srv Tools");
        EXPECT_EQ(plan.commandLine, L"\"D:\\Srv Tools\\Monitor.exe\"");
        EXPECT_EQ(plan.application, L"D:\\Srv Tools\\Monitor.exe");
    }
    EXPECT_EQ(PlanFor({L"C:\\Monitor.exe", {}, {}}).directory, L"C:\\");
}

TEST(LaunchPlan, PassesArgumentsAndTheGivenFolder) {
    const LaunchPlan plan = PlanFor({L"\\\\host\\share\\Monitor.exe", L"E:\\Work", L"-port 81 \"a b\""});
    EXPECT_EQ(plan.commandLine, L"\"\\\\host\\share\\Monitor.exe\" -port 81 \"a b\"");
    EXPECT_EQ(plan.directory, L"E:\\Work");
}

TEST(LaunchPlan, AddsAppEnvironmentsLinesAndRefusesOneWithoutAValue) {
    constexpr wchar_t kStored[] = L"A=1\0=C:=C:\\Srv\0EMPTY=\0";  // and the NUL that ends the list
    HostParameters parameters{L"C:\\Srv\\Monitor.exe", {}, {}, MultiStringLines({kStored, std::size(kStored)})};
    using Variables = std::vector<std::pair<std::wstring, std::wstring>>;
    EXPECT_EQ(PlanFor(parameters).environment, (Variables{{L"A", L"1"}, {L"=C:", L"C:\\Srv"}, {L"EMPTY", L""}}));
    parameters.environment.emplace_back(L"NOVALUE");
    const Failure failure = FailureFor(parameters);
    EXPECT_EQ(failure.error, kErrorInvalidData);
    EXPECT_NE(failure.message.find(L"\"NOVALUE\""), std::wstring::npos) << failure.message;
}

TEST(LaunchPlan, RefusesAMissingRelativeOrQuotedApplication) {
    for (const auto& application : {std::optional<std::wstring>(), std::optional<std::wstring>(L"")}) {
        const Failure failure = FailureFor({application, L"C:\\", L""});
        EXPECT_NE(failure.error, kNoError);
        EXPECT_NE(failure.message.find(L"Application"), std::wstring::npos);
    }
    EXPECT_EQ(FailureFor({L"Monitor.exe", L"C:\\Srv", L""}).error, kErrorBadPathname);
    EXPECT_EQ(FailureFor({L"\"C:\\Srv\\Monitor.exe\"", {}, {}}).error, kErrorInvalidName);
    // A relative folder would be taken in the system folder, where the service starts.
    const Failure folder = FailureFor({L"C:\\Srv\\Monitor.exe", L"drivers", L""});
    EXPECT_EQ(folder.error, kErrorBadPathname);
    EXPECT_NE(folder.message.find(L"AppDirectory folder is not a full path: drivers"), std::wstring::npos)
        << folder.message;
}

TEST(ServiceExit, OnlyAFailingApplicationGivesAServiceSpecificError) {
    const auto clean = qeltor::service::ExitForApplication(0);
    EXPECT_EQ(clean.win32ExitCode, kNoError);
    EXPECT_EQ(clean.serviceSpecificExitCode, 0U);
    const auto failed = qeltor::service::ExitForApplication(3);
    EXPECT_EQ(failed.win32ExitCode, kErrorServiceSpecificError);
    EXPECT_EQ(failed.serviceSpecificExitCode, 3U);
}

TEST(InstsrvArguments, InstallRemoveOrUsage) {
    const auto install = qeltor::service::ParseInstsrvArguments({L"My Service", L"C:\\A B\\srvany.exe"});
    EXPECT_EQ(install.action, InstsrvCommand::Action::Install);
    EXPECT_EQ(install.serviceName, L"My Service");
    EXPECT_EQ(install.program, L"C:\\A B\\srvany.exe");
    EXPECT_EQ(qeltor::service::ParseInstsrvArguments({L"My Service", L"REMOVE"}).action,
              InstsrvCommand::Action::Remove);
    const auto removeIf =
        qeltor::service::ParseInstsrvArguments({L"My Service", L"remove", L"\"C:\\A B\\srvany.exe\""});
    EXPECT_EQ(removeIf.action, InstsrvCommand::Action::RemoveIfItRuns);
    EXPECT_EQ(removeIf.program, L"C:\\A B\\srvany.exe");
    EXPECT_EQ(qeltor::service::ParseInstsrvArguments({L"S", L"Stop", L"C:\\s.exe"}).action,
              InstsrvCommand::Action::StopForSetup);
    EXPECT_EQ(qeltor::service::ParseInstsrvArguments({L"S", L"start", L"C:\\s.exe"}).action,
              InstsrvCommand::Action::StartAfterSetup);
    EXPECT_EQ(qeltor::service::ParseInstsrvArguments({L"S", L"restore", L"C:\\s.exe"}).action,
              InstsrvCommand::Action::RestoreRemoved);
    for (const auto& arguments : std::vector<std::vector<std::wstring>>{
             {}, {L"x"}, {L"x", L"y", L"z"}, {L"", L"y"}, {L"x", L"remove", L""}, {L"x", L"remove", L"y", L"z"}}) {
        EXPECT_EQ(qeltor::service::ParseInstsrvArguments(arguments).action, InstsrvCommand::Action::ShowUsage);
    }
    EXPECT_EQ(qeltor::service::QuotedImagePath(L"C:\\A B\\srvany.exe"), L"\"C:\\A B\\srvany.exe\"");
    EXPECT_EQ(qeltor::service::QuotedImagePath(L"\"C:\\x.exe\""), L"\"C:\\x.exe\"");
    // A program handed over in quotes is the path inside them, quoted once in the image path.
    const auto quoted = qeltor::service::ParseInstsrvArguments({L"My Service", L"\"C:\\A B\\srvany.exe\""});
    EXPECT_EQ(quoted.program, L"C:\\A B\\srvany.exe");
    EXPECT_EQ(qeltor::service::QuotedImagePath(quoted.program), L"\"C:\\A B\\srvany.exe\"");
}

TEST(Recovery, RestartsAfterOneTwoThenEveryFiveMinutesAndForgetsAfterADay) {
    const qeltor::service::Recovery recovery = qeltor::service::DefaultRecovery();
    EXPECT_EQ(recovery.resetPeriodSeconds, 86400U);
    EXPECT_EQ(recovery.restartDelaysMs, (std::array<qeltor::Dword, 3>{60000, 120000, 300000}));
    EXPECT_TRUE(recovery.onNonCrashFailures);
}

// At a shutdown of Windows the service manager waits the preshutdown timeout for a service, then
// stops the others, which the application may need while it saves.
TEST(StopTimes, TheWholeStopFitsThePreshutdownTimeout) {
    using namespace qeltor::service;
    EXPECT_GT(kPreshutdownTimeoutMs, kGracePeriodMs + kTerminatePatienceMs);
    EXPECT_GT(kPreshutdownTimeoutMs, 10000U);   // Windows' own default since Windows 10 1703
    EXPECT_LE(kPreshutdownTimeoutMs, 180000U);  // its default before: no shutdown held longer for us
}

TEST(ParameterTypes, OnlyStringsAreTakenAndAnyOtherTypeIsNamed) {
    EXPECT_FALSE(qeltor::service::RefuseNonText(L"Application", kRegSz).has_value());
    EXPECT_FALSE(qeltor::service::RefuseNonText(L"Application", kRegExpandSz).has_value());
    for (const auto& [type, name] : {std::pair<qeltor::Dword, std::wstring>{kRegDword, L"REG_DWORD"},
                                     {kRegMultiSz, L"REG_MULTI_SZ"},
                                     {42, L"type 42"}}) {
        const auto refused = Rendered(qeltor::service::RefuseNonText(L"AppDirectory", type));
        ASSERT_TRUE(refused.has_value());
        EXPECT_NE(refused->message.find(L"AppDirectory is of type " + name + L";"), std::wstring::npos)
            << refused->message;
    }
}

TEST(EndRequests, EachProcessIsAskedOnceTheWayItUnderstands) {
    using qeltor::service::TopLevelWindow;
    using qeltor::service::WindowHandle;
    const auto window = [](std::uintptr_t id) { return reinterpret_cast<WindowHandle>(id); };
    // Process 1 shows a main window with an owned dialog; 2 only hidden windows; 3 only an IME window;
    // 4 forms owned by a hidden window, as some runtimes make; 5 only its console's window.
    const std::vector<TopLevelWindow> windows = {
        {window(10), 1, true, false, false, false},  {window(11), 1, true, true, true, false},
        {window(12), 1, false, false, false, true},  {window(20), 2, false, false, false, false},
        {window(21), 2, false, false, false, false}, {window(30), 3, false, false, false, true},
        {window(40), 4, false, false, false, false}, {window(41), 4, true, true, false, false},
        {window(42), 4, true, true, false, false},   {window(50), 5, true, false, false, true}};
    EXPECT_EQ(qeltor::service::WindowsToClose(windows, 1, true), std::vector<WindowHandle>{window(10)});
    EXPECT_EQ(qeltor::service::WindowsToClose(windows, 2, false), std::vector<WindowHandle>{window(20)});
    EXPECT_TRUE(qeltor::service::WindowsToClose(windows, 2, true).empty());  // asked on its console
    EXPECT_TRUE(qeltor::service::WindowsToClose(windows, 3, false).empty());
    EXPECT_EQ(qeltor::service::WindowsToClose(windows, 4, true), (std::vector<WindowHandle>{window(41), window(42)}));
    EXPECT_TRUE(qeltor::service::WindowsToClose(windows, 5, false).empty());
    EXPECT_TRUE(qeltor::service::WindowsToClose(windows, 6, false).empty());
    // A console's host process is the console's, not the application's.
    EXPECT_TRUE(qeltor::service::IsConsoleHost(L"C:\\windows\\System32\\CONHOST.EXE"));
    EXPECT_FALSE(qeltor::service::IsConsoleHost(L"C:\\Qeltor Server\\myconhost.exe"));
}

TEST(EndRequests, AConsoleIsSignalledOnlyWhenNobodyOnItIsAskedOtherwise) {
    constexpr qeltor::Dword kHost = 9;
    // More processes than a job's first list of ids had room for, all on one console.
    std::vector<qeltor::Dword> many{kHost};
    for (qeltor::Dword id = 100; id < 400; ++id) {
        many.push_back(id);
    }
    const struct {
        std::vector<qeltor::Dword> attached;
        std::vector<qeltor::Dword> toAsk;
        std::vector<qeltor::Dword> askedByWindow;
        bool insist;
        bool signal;
        // NOLINTNEXTLINE(readability-redundant-member-init): GCC asks it of rows that leave it out
        std::vector<qeltor::Dword> onConsole = {};
    } rows[] = {{{kHost, 1, 2}, {1, 2}, {}, false, true},  // the children share its console
                {{kHost, 3}, {1, 3}, {}, false, true},     // the application gone, its child still there
                {{kHost, 1, 2}, {2}, {1}, false, false},   // 1 has a window: a console event would ask it twice
                // ... unless half the grace period is over and it is still there
                {{kHost, 1, 2}, {2}, {1}, true, true},
                {{kHost, 2}, {2}, {1}, false, true},       // once 1 has gone, at once
                {{kHost, 1, 7}, {1}, {}, false, false},    // 7 is no process of the job
                {{kHost, 1, 7}, {1}, {}, true, false},     // ... not even halfway through
                {{kHost, 1, 2}, {}, {1, 2}, true, false},  // nobody left to ask there
                {{kHost}, {1}, {}, false, false},
                {many, many, {}, false, true},
                {{kHost, 1, 2}, {2}, {}, false, true, {1}}};  // 2 joined since 1 was asked: 1 gets it again
    for (const auto& row : rows) {
        const qeltor::service::ConsoleAttendance console{row.attached, row.toAsk, row.askedByWindow, row.onConsole};
        EXPECT_EQ(qeltor::service::SignalConsole(console, kHost, row.insist), row.signal)
            << row.attached.size() << " attached, insisting " << row.insist;
    }
}

// Ctrl+Break first, Ctrl+C only where it cannot be sent; a console that takes neither: each process
// is asked by its hidden window, and one without is left for a later try; never by two ways.
TEST(EndRequests, WhoIsAskedByWhatOnAConsole) {
    using qeltor::service::ConsoleEvent;
    const auto window = [](std::uintptr_t id) { return reinterpret_cast<qeltor::service::WindowHandle>(id); };
    const std::vector<qeltor::service::TopLevelWindow> windows = {{window(10), 1, false, false, false, false},
                                                                  {window(20), 2, false, false, false, true}};
    std::vector<ConsoleEvent> tried;
    const auto failing = [&](ConsoleEvent event) {
        tried.push_back(event);
        return false;
    };
    EXPECT_EQ(qeltor::service::SendFirstEvent(failing), ConsoleEvent::None);
    EXPECT_EQ(tried, (std::vector<ConsoleEvent>{ConsoleEvent::CtrlBreak, ConsoleEvent::CtrlC}));
    EXPECT_EQ(qeltor::service::SendFirstEvent([](ConsoleEvent event) { return event == ConsoleEvent::CtrlC; }),
              ConsoleEvent::CtrlC);
    const auto none = qeltor::service::AskOnConsole(windows, {1, 2, 3}, ConsoleEvent::None);
    EXPECT_EQ(none.toClose, std::vector<qeltor::service::WindowHandle>{window(10)});
    EXPECT_EQ(none.byWindow, std::vector<qeltor::Dword>{1});
    EXPECT_TRUE(none.byEvent.empty());  // 2's only window is the system's, 3 has none
    const auto sent = qeltor::service::AskOnConsole(windows, {1, 2}, ConsoleEvent::CtrlBreak);
    EXPECT_TRUE(sent.toClose.empty());
    EXPECT_EQ(sent.byEvent, (std::vector<qeltor::Dword>{1, 2}));
}

// Only the tick count counts: a process is asked a second after the host first saw it, however the
// clock was set meanwhile, and at once when the stop insists.
TEST(EndRequests, AProcessSettlesASecondAfterItWasFirstSeen) {
    constexpr qeltor::Qword kTick = 5000000;
    qeltor::service::FirstSeen seen;
    seen.Note({1, 2}, kTick);
    seen.Note({1, 2, 3}, kTick + 600);  // 1 and 2 keep their first sighting
    EXPECT_FALSE(seen.Settled(1, kTick + 999, false));
    EXPECT_TRUE(seen.Settled(1, kTick + 1000, false));
    EXPECT_FALSE(seen.Settled(3, kTick + 1000, false));
    EXPECT_TRUE(seen.Settled(3, kTick + 1000, true));
    EXPECT_FALSE(seen.Settled(1, kTick - 3600000, false));  // a tick read before the note is no age
    EXPECT_FALSE(seen.Settled(4, kTick + 99999, false));    // never seen
    seen.Note({2}, kTick + 2000);
    seen.Note({1, 2}, kTick + 2100);  // 1 went, and its id came back: a new process
    EXPECT_FALSE(seen.Settled(1, kTick + 3000, false));
    EXPECT_TRUE(seen.Settled(2, kTick + 3000, false));
}

TEST(EventTexts, ExitCodesAndRunningTimesReadAsAnAdministratorLooksThemUp) {
    EXPECT_EQ(qeltor::service::ExitCodeText(7), L"7");
    EXPECT_EQ(qeltor::service::ExitCodeText(0xC0000005), L"3221225477 (0xC0000005)");
    const std::pair<qeltor::Qword, const wchar_t*> durations[] = {
        {999, L"0 s"}, {59999, L"59 s"}, {200000, L"3 min 20 s"}, {7500000, L"2 h 5 min"}, {273600000, L"3 d 4 h"}};
    for (const auto& [milliseconds, text] : durations) {
        EXPECT_EQ(qeltor::service::DurationText(milliseconds), text);
    }
}

// A file's first bytes with a Windows header at 0x80 for `machine`, with those flags and subsystem.
std::vector<std::uint8_t> ImageHead(std::uint16_t machine, std::uint16_t flags, std::uint16_t subsystem) {
    std::vector<std::uint8_t> head(512);
    const auto put = [&](std::size_t at, std::uint16_t value) {
        head[at] = static_cast<std::uint8_t>(value & 0xFFU);
        head[at + 1] = static_cast<std::uint8_t>(value >> 8U);
    };
    head[0] = 'M', head[1] = 'Z', head[0x3C] = 0x80, head[0x80] = 'P', head[0x81] = 'E';
    put(0x84, machine), put(0x80 + 22, flags), put(0x80 + 24 + 68, subsystem);
    return head;
}

TEST(ProgramImage, TakesOnlyAWindowsProgramForAProcessorThisWindowsRuns) {
    using qeltor::service::ProgramImage;
    const std::vector<std::uint16_t> x64 = {0x14C, 0x8664};
    const std::string text = "@echo off\r\n";
    std::vector<std::uint8_t> dos = ImageHead(0x14C, 0x0102, 3);
    dos[0x3C] = 0;  // no Windows header after the DOS one
    std::vector<std::uint8_t> cut = ImageHead(0x14C, 0x0102, 2);
    cut.resize(0x90);  // the Windows header starts, but ends before its subsystem
    const struct {
        std::vector<std::uint8_t> head;
        ProgramImage expected;
    } rows[] = {
        {ImageHead(0x14C, 0x0102, 2), ProgramImage::Program},
        {ImageHead(0x8664, 0x0022, 3), ProgramImage::Program},
        {ImageHead(0xAA64, 0x0022, 2), ProgramImage::OtherMachine},
        {ImageHead(0x14C, 0x2102, 2), ProgramImage::Library},
        {ImageHead(0x8664, 0x0022, 1), ProgramImage::NotRunnable},
        {std::vector<std::uint8_t>(text.begin(), text.end()), ProgramImage::NotAnImage},
        {dos, ProgramImage::DosProgram},
        {cut, ProgramImage::NotAnImage},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(qeltor::service::JudgeProgramImage(row.head, x64), row.expected) << &row - rows;
    }
}

// Every text of instsrv.exe's table and of srvany.exe's message table with the inserts <1> to <4>,
// line breaks shown as \r and \n. On a difference the rendering is left in servicetools.rendered.txt.
TEST(ToolTexts, RenderAsCheckedIn) {
    namespace messages = qeltor::service::messages;
    const std::vector<std::wstring> inserts{L"<1>", L"<2>", L"<3>", L"<4>"};
    std::string rendered;
    const auto add = [&rendered](const std::string& heading, const std::wstring& text) {
        rendered += "[" + heading + "]\n";
        for (const wchar_t c : text) {
            rendered += c == L'\r' ? "\\r" : c == L'\n' ? "\\n\n" : std::string(1, static_cast<char>(c));
        }
        rendered += "\n\n";
    };
    for (std::size_t id = 0; id < messages::kMessageCount; ++id) {
        add("instsrv " + std::to_string(id), messages::Render(static_cast<messages::Id>(id), inserts));
    }
    for (const auto& [id, text] : TableTexts()) {
        add("srvany " + std::to_string(id), qeltor::FillInserts(text, inserts));
    }
    EXPECT_EQ(rendered, ReadSource("tests/unit/servicetools.golden.txt"));
    if (HasFailure()) {
        std::ofstream("servicetools.rendered.txt", std::ios::binary) << rendered;
    }
}

// README.md's table of the tools' texts names each by its beginning ("A / B" names two), "…"
// standing for any text.
TEST(ToolTexts, ReadmeNamesEachText) {
    namespace messages = qeltor::service::messages;
    std::vector<std::wstring> texts;
    texts.reserve(messages::kMessageCount);
    for (std::size_t id = 0; id < static_cast<std::size_t>(messages::kFirstInsertPart); ++id) {
        texts.push_back(messages::Render(static_cast<messages::Id>(id)));
    }
    for (const auto& [id, text] : TableTexts()) {
        texts.push_back(qeltor::FillInserts(text, std::vector<std::wstring>{}));
    }
    const auto beginnings = qeltor::testing::ReadmeBeginnings(ReadSource("README.md"), "| Tool's text begins |");
    for (const std::wstring& wide : texts) {
        const std::string text(wide.begin(), wide.end());
        EXPECT_TRUE(qeltor::testing::NamedBy(text, beginnings)) << text;
    }
}

}  // namespace
