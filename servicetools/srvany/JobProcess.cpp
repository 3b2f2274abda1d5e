#include "servicetools/srvany/JobProcess.h"

#include <cstddef>
#include <cstring>
#include <utility>

#include "servicetools/srvany/EndRequests.h"
#include "servicetools/srvany/MessageText.h"
#include "win32/GrowingBuffer.h"
#include "win32/Narrow.h"

namespace qeltor::service {
namespace {

constexpr DWORD kGonePollMs = 50;

// The system's reason comes after `inserts`; `subject` is what its text may name, such as the
// program in "Bad EXE format for %1.".
HostFailure Failure(Reason reason, std::vector<std::wstring> inserts, DWORD error, const std::wstring& subject = {}) {
    inserts.push_back(SystemReason(error, subject));
    return HostFailure{error, reason, std::move(inserts)};
}

win32::UniqueHandle CreateKillingJob() {
    win32::UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (!job) {
        return job;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits)) == FALSE) {
        job.reset();
    }
    return job;
}

// The full path of a process's program; empty when it cannot be read.
std::wstring ImagePath(DWORD processId) {
    const win32::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    std::wstring path(MAX_PATH, L'\0');
    DWORD size = win32::DwordOf(path.size());
    if (!process || ::QueryFullProcessImageNameW(process.get(), 0, path.data(), &size) == FALSE) {
        return {};
    }
    path.resize(size);
    return path;
}

constexpr size_t kListHeader = offsetof(JOBOBJECT_BASIC_PROCESS_ID_LIST, ProcessIdList);

// Room for the ids of `count` processes and a few more.
size_t ListBytes(DWORD count) {
    constexpr DWORD kSpare = 16;
    return kListHeader + (count + kSpare) * sizeof(ULONG_PTR);
}

// A job that grows past the room between the count and the list answers ERROR_MORE_DATA with its
// new count, and the list is taken again.
DWORD ListOnce(const void* job, void* data, DWORD room, DWORD& size) {
    const DWORD error = win32::WholeAnswer(
        ::QueryInformationJobObject(*static_cast<const HANDLE*>(job), JobObjectBasicProcessIdList, data, room, nullptr),
        room, size);
    if (error == ERROR_SUCCESS) {
        return error;
    }
    JOBOBJECT_BASIC_PROCESS_ID_LIST header{};
    std::memcpy(&header, data, kListHeader);
    size = error == ERROR_MORE_DATA ? win32::DwordOf(ListBytes(header.NumberOfAssignedProcesses)) : 0;
    return error;
}

}  // namespace

JobProcess::JobProcess(win32::UniqueHandle job, win32::UniqueHandle process, DWORD processId, LaunchPlan plan)
    : job_(std::move(job)), process_(std::move(process)), processId_(processId), plan_(std::move(plan)) {}

std::variant<JobProcess, HostFailure> JobProcess::Start(const LaunchPlan& plan) {
    const DWORD attributes = ::GetFileAttributesW(plan.directory.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return HostFailure{ERROR_DIRECTORY, Reason::NoFolder, {plan.directory}};
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return HostFailure{ERROR_DIRECTORY, Reason::FolderIsAFile, {plan.directory}};
    }
    // The application inherits the host's environment, with AppEnvironment's variables added.
    for (const auto& [name, value] : plan.environment) {
        if (::SetEnvironmentVariableW(name.c_str(), value.c_str()) == FALSE) {
            return Failure(Reason::CannotSetVariable, {name}, ::GetLastError());
        }
    }
    win32::UniqueHandle job = CreateKillingJob();
    if (!job) {
        return Failure(Reason::CannotCreateJob, {}, ::GetLastError());
    }
    // Suspended until it is in the job, so that nothing it starts can escape. On a console of its own
    // the Ctrl events of a stop, sent to every process there (group 0), reach it and what it starts
    // there, and nothing else. No process group of its own: Windows ignores CREATE_NEW_PROCESS_GROUP
    // beside CREATE_NEW_CONSOLE, and where a group is made (Wine), it starts with Ctrl+C ignored and
    // outside the host's group, which Wine takes for group 0.
    const DWORD flags = CREATE_SUSPENDED | CREATE_NEW_CONSOLE | CREATE_UNICODE_ENVIRONMENT;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    std::wstring commandLine = plan.commandLine;
    if (::CreateProcessW(plan.application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                         plan.directory.c_str(), &startup, &started) == FALSE) {
        return Failure(Reason::CannotStart, {plan.commandLine, plan.directory}, ::GetLastError(), plan.application);
    }
    win32::UniqueHandle process(started.hProcess);
    const win32::UniqueHandle thread(started.hThread);
    if (::AssignProcessToJobObject(job.get(), process.get()) == FALSE) {
        const DWORD error = ::GetLastError();
        ::TerminateProcess(process.get(), error);
        return Failure(Reason::CannotJoinJob, {}, error);
    }
    ::ResumeThread(thread.get());
    return JobProcess(std::move(job), std::move(process), started.dwProcessId, plan);
}

DWORD JobProcess::ExitCode() const {
    DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

std::vector<DWORD> JobProcess::ProcessIds() const {
    std::string buffer;
    HANDLE job = job_.get();
    if (win32::FillGrowing(buffer, ListBytes(ActiveCount()), ListOnce, &job) == ERROR_SUCCESS) {
        JOBOBJECT_BASIC_PROCESS_ID_LIST header{};
        std::memcpy(&header, buffer.data(), kListHeader);
        const size_t room = (buffer.size() - kListHeader) / sizeof(ULONG_PTR);
        std::vector<DWORD> ids;
        for (size_t id = 0; id < header.NumberOfProcessIdsInList && id < room; ++id) {
            ULONG_PTR value = 0;
            std::memcpy(&value, buffer.data() + kListHeader + id * sizeof(ULONG_PTR), sizeof(value));
            ids.push_back(static_cast<DWORD>(value));
        }
        if (!ids.empty()) {
            return ids;
        }
    }
    return {processId_};
}

DWORD JobProcess::ApplicationProcessCount() const {
    DWORD count = 0;
    for (const DWORD id : ProcessIds()) {
        count += IsConsoleHost(ImagePath(id)) ? 0 : 1;
    }
    return count;
}

DWORD JobProcess::ActiveCount() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (::QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &accounting, sizeof(accounting),
                                    nullptr) == FALSE) {
        return ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT ? 1 : 0;
    }
    return accounting.ActiveProcesses;
}

void JobProcess::TerminateAll(DWORD patienceMs) const {
    ::TerminateJobObject(job_.get(), ERROR_PROCESS_ABORTED);
    const ULONGLONG deadline = ::GetTickCount64() + patienceMs;
    while (ActiveCount() != 0 && ::GetTickCount64() < deadline) {
        ::Sleep(kGonePollMs);
    }
}

}  // namespace qeltor::service
