#include "servicetools/srvany/LaunchPlan.h"

#include "core/CommandLine.h"
#include "core/Paths.h"

namespace qeltor::service {
namespace {

HostFailure Failure(Dword error, Reason reason, const std::wstring& insert = {}) {
    return HostFailure{error, reason, {insert}};
}

}  // namespace

std::variant<LaunchPlan, HostFailure> MakeLaunchPlan(const HostParameters& parameters) {
    const std::wstring application = parameters.application.value_or(L"");
    if (application.empty()) {
        return Failure(kOsFileNotFound, Reason::ApplicationNotSet);
    }
    if (application.find(L'"') != std::wstring::npos) {
        return Failure(kErrorInvalidName, Reason::ApplicationQuoted, application);
    }
    if (!HasRootPrefix(application)) {
        return Failure(kErrorBadPathname, Reason::ApplicationNotFullPath, application);
    }
    LaunchPlan plan;
    plan.application = application;
    plan.commandLine = Quoted(application);
    const std::wstring arguments = parameters.arguments.value_or(L"");
    if (!arguments.empty()) {
        plan.commandLine += L" " + arguments;
    }
    const std::wstring directory = parameters.directory.value_or(L"");
    if (!directory.empty() && !HasRootPrefix(directory)) {
        return Failure(kErrorBadPathname, Reason::DirectoryNotFullPath, directory);
    }
    plan.directory = directory.empty() ? WorkingFolderOf(application) : directory;
    for (const std::wstring& line : parameters.environment) {
        const std::size_t equals = line.find(L'=', 1);  // a name may start with '=', as Windows' own do
        if (line.empty()) {
            continue;
        }
        if (equals == std::wstring::npos) {
            return Failure(kErrorInvalidData, Reason::EnvironmentLineWithoutValue, line);
        }
        plan.environment.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return plan;
}

ServiceExit ExitForApplication(Dword applicationExitCode) {
    if (applicationExitCode == 0) {
        return {};
    }
    return ServiceExit{kErrorServiceSpecificError, applicationExitCode};
}

}  // namespace qeltor::service
