#include "servicetools/srvany/LaunchPlan.h"

namespace qeltor::service {
namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// "C:\..." or "\\server\share\...": anything else would be looked up relative to the host's own
// current folder, which is the system folder for a service.
bool IsFullPath(const std::wstring& path) {
    const bool drive = path.size() >= 3 && path[1] == L':' && IsSeparator(path[2]);
    const bool unc = path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]);
    return drive || unc;
}

// The folder a program runs in when none is given: cut at its last separator of either kind,
// unlike the server folder the installer stores, which is cut at the last backslash only.
std::wstring WorkingFolderOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    std::wstring folder = path.substr(0, separator);
    // The root of a drive keeps its backslash: "C:" alone means that drive's current folder.
    if (folder.size() == 2 && folder[1] == L':') {
        folder += L'\\';
    }
    return folder;
}

HostFailure Failure(DWORD error, const std::wstring& message) {
    return HostFailure{error, message};
}

}  // namespace

std::variant<LaunchPlan, HostFailure> MakeLaunchPlan(const HostParameters& parameters) {
    const std::wstring application = parameters.application.value_or(L"");
    if (application.empty()) {
        return Failure(ERROR_FILE_NOT_FOUND, L"The Parameters value Application, the program to run, is not set.");
    }
    if (application.find(L'"') != std::wstring::npos) {
        return Failure(ERROR_INVALID_NAME, L"The Application path must not contain quotes: " + application);
    }
    if (!IsFullPath(application)) {
        return Failure(ERROR_BAD_PATHNAME, L"The Application path must be a full path: " + application);
    }
    LaunchPlan plan;
    plan.application = application;
    plan.commandLine = L"\"" + application + L"\"";
    const std::wstring arguments = parameters.arguments.value_or(L"");
    if (!arguments.empty()) {
        plan.commandLine += L" " + arguments;
    }
    const std::wstring directory = parameters.directory.value_or(L"");
    if (!directory.empty() && !IsFullPath(directory)) {
        return Failure(ERROR_BAD_PATHNAME, L"The AppDirectory folder is not a full path: " + directory);
    }
    plan.directory = directory.empty() ? WorkingFolderOf(application) : directory;
    return plan;
}

ServiceExit ExitForApplication(DWORD applicationExitCode) {
    if (applicationExitCode == 0) {
        return {};
    }
    return ServiceExit{ERROR_SERVICE_SPECIFIC_ERROR, applicationExitCode};
}

}  // namespace qeltor::service
