#pragma once

#include <windows.h>

#include <variant>
#include <vector>

#include "servicetools/srvany/LaunchPlan.h"
#include "win32/Handles.h"

namespace qeltor::service {

// The application and everything it starts, held in one job that ends them all when closed.
class JobProcess {
public:
    static std::variant<JobProcess, HostFailure> Start(const LaunchPlan& plan);

    [[nodiscard]] HANDLE Process() const { return process_.get(); }
    [[nodiscard]] DWORD ProcessId() const { return processId_; }
    [[nodiscard]] const LaunchPlan& Plan() const { return plan_; }
    [[nodiscard]] DWORD ExitCode() const;
    // How many processes of the job still run; the application alone when the job cannot tell.
    [[nodiscard]] DWORD ActiveCount() const;
    // The ids of the processes still in the job, however many; the application's own when the job
    // cannot tell.
    [[nodiscard]] std::vector<DWORD> ProcessIds() const;
    // How many of them the application started: the console hosts that come with its consoles
    // are not its own.
    [[nodiscard]] DWORD ApplicationProcessCount() const;
    // Ends every process in the job and waits, within `patienceMs`, for them to be gone.
    void TerminateAll(DWORD patienceMs) const;

private:
    JobProcess(win32::UniqueHandle job, win32::UniqueHandle process, DWORD processId, LaunchPlan plan);

    win32::UniqueHandle job_;
    win32::UniqueHandle process_;
    DWORD processId_ = 0;
    LaunchPlan plan_;
};

}  // namespace qeltor::service
