#include "Programs.h"

#include <fstream>
#include <sstream>

#include "Waiting.h"

namespace qeltor::driver {
namespace {

using win32::UniqueHandle;

constexpr DWORD kNotRun = ~DWORD{0};

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char chunk[512];
    DWORD read = 0;
    while (::ReadFile(pipe, chunk, sizeof(chunk), &read, nullptr) != FALSE && read > 0) {
        text.append(chunk, read);
    }
    return text;
}

}  // namespace

Started Start(const std::filesystem::path& exe, const std::wstring& arguments, HANDLE output) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (output != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    const BOOL inherit = output != nullptr ? TRUE : FALSE;
    const DWORD flags = output != nullptr ? CREATE_NO_WINDOW : 0;
    const std::wstring folder = exe.parent_path().wstring();
    PROCESS_INFORMATION started{};
    if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, inherit, flags, nullptr, folder.c_str(),
                         &startup, &started) == FALSE) {
        return {nullptr, 0, ::GetLastError()};
    }
    ::CloseHandle(started.hThread);
    return {UniqueHandle(started.hProcess), started.dwProcessId, 0};
}

ToolRun RunTool(const std::filesystem::path& program, const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (::CreatePipe(&readEnd, &writeEnd, &inherit, 0) == FALSE) {
        return {kNotRun, "no pipe"};
    }
    const UniqueHandle reader(readEnd);
    UniqueHandle writer(writeEnd);
    ::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    const Started tool = Start(program, arguments, writer.get());
    writer.reset();  // the pipe ends when the tool's copy closes
    if (!tool.process) {
        return {kNotRun, "not started"};
    }
    ToolRun run{STILL_ACTIVE, ReadAll(reader.get())};
    ::WaitForSingleObject(tool.process.get(), kPatienceMs);
    ::GetExitCodeProcess(tool.process.get(), &run.exitCode);
    return run;
}

std::string ReadText(const std::filesystem::path& file) {
    const std::ifstream stream(file, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

Beat ReadBeat(const std::filesystem::path& heartbeat) {
    std::istringstream text(ReadText(heartbeat));
    Beat beat;
    text >> beat.processId >> beat.count;
    return beat;
}

Beat FirstBeat(const std::filesystem::path& heartbeat) {
    Beat beat;
    WaitUntil([&] { return (beat = ReadBeat(heartbeat)).count > 0; });
    return beat;
}

}  // namespace qeltor::driver
