#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "core/SystemNumbers.h"
#include "servicetools/srvany/Reasons.h"

// The decisions of the service host, kept free of system calls so that they can be tested alone.
namespace qeltor::service {

// The values under the service's Parameters key; nullopt when a value is not there.
struct HostParameters {
    std::optional<std::wstring> application;
    std::optional<std::wstring> directory;
    std::optional<std::wstring> arguments;
    // AppEnvironment's lines, as stored. GCC asks "= {}" of a member that initializer lists leave out.
    std::vector<std::wstring> environment = {};  // NOLINT(readability-redundant-member-init)
};

// Why the host cannot go on: a Win32 error code for the service manager, and the sentence for the
// event log as its text's ID and inserts.
struct HostFailure {
    Dword error = kNoError;
    Reason reason = Reason::ApplicationNotSet;
    std::vector<std::wstring> inserts;
};

struct LaunchPlan {
    std::wstring application;
    std::wstring commandLine;
    std::wstring directory;
    std::vector<std::pair<std::wstring, std::wstring>> environment;  // added to the host's own, in order
};

std::variant<LaunchPlan, HostFailure> MakeLaunchPlan(const HostParameters& parameters);

// What the service reports once it has stopped.
struct ServiceExit {
    Dword win32ExitCode = kNoError;
    Dword serviceSpecificExitCode = 0;
};

// The application ended by itself: a failure shows as a service-specific error so that the
// service's recovery actions apply.
ServiceExit ExitForApplication(Dword applicationExitCode);

}  // namespace qeltor::service
