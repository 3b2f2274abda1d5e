#include "installer/ServiceCheck.h"

#include "core/CommandLine.h"

namespace qeltor {

bool RunsOurProgram(Platform& platform, const std::wstring& stored, const std::wstring& program) {
    return RunsSameProgram(stored, program, [&](const std::wstring& path, std::wstring& final) {
        return platform.FinalPath(path, final) == kOsSuccess;
    });
}

ServiceState JudgeService(Platform& platform, OsStatus queried, const ServiceConfig& config,
                          const std::wstring& program) {
    if (queried == kOsServiceDoesNotExist) {
        return ServiceState::Missing;
    }
    if (queried != kOsSuccess) {
        return ServiceState::Unknown;
    }
    // Checked first: Windows reports such a service as disabled, and no setting of it lasts.
    if (config.markedForDeletion) {
        return ServiceState::MarkedForDeletion;
    }
    if (IsAmbiguous(config.programPath) && SamePath(config.programPath, program)) {
        return ServiceState::UnquotedPath;
    }
    if (!RunsOurProgram(platform, config.programPath, program)) {
        return ServiceState::RunsAnotherProgram;
    }
    return config.startType == kServiceAutoStart ? ServiceState::Ready : ServiceState::NotAutomatic;
}

}  // namespace qeltor
