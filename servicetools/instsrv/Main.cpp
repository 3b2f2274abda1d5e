#include <windows.h>

#include <string>
#include <vector>

#include "servicetools/common/Console.h"
#include "servicetools/instsrv/Arguments.h"
#include "servicetools/instsrv/Messages.h"
#include "servicetools/instsrv/ServiceInstaller.h"

namespace {

constexpr int kUsageExitCode = 2;

int ShowUsage() {
    qeltor::service::PrintErrorLine(qeltor::service::messages::Render(qeltor::service::messages::Id::Usage));
    return kUsageExitCode;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::vector<std::wstring> arguments(argv + 1, argv + argc);
    const auto command = qeltor::service::ParseInstsrvArguments(arguments);
    switch (command.action) {
        case qeltor::service::InstsrvCommand::Action::Install:
            return qeltor::service::InstallService(command.serviceName, command.program);
        case qeltor::service::InstsrvCommand::Action::Remove:
            return qeltor::service::RemoveService(command.serviceName);
        case qeltor::service::InstsrvCommand::Action::RemoveIfItRuns:
            return qeltor::service::RemoveServiceIfItRuns(command.serviceName, command.program);
        case qeltor::service::InstsrvCommand::Action::StopForSetup:
            return qeltor::service::StopForSetup(command.serviceName, command.program);
        case qeltor::service::InstsrvCommand::Action::StartAfterSetup:
            return qeltor::service::StartAfterSetup(command.serviceName, command.program);
        case qeltor::service::InstsrvCommand::Action::RestoreRemoved:
            return qeltor::service::RestoreRemovedService(command.serviceName, command.program);
        case qeltor::service::InstsrvCommand::Action::ShowUsage:
            break;
    }
    return ShowUsage();
}
