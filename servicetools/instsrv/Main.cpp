#include <windows.h>

#include <string>
#include <vector>

#include "servicetools/common/Console.h"
#include "servicetools/instsrv/Arguments.h"
#include "servicetools/instsrv/ServiceInstaller.h"

namespace {

constexpr int kUsageExitCode = 2;

int ShowUsage() {
    using qeltor::service::PrintErrorLine;
    PrintErrorLine(L"Creates or removes a Windows service.");
    PrintErrorLine(L"  instsrv <service name> <full path of the service program>");
    PrintErrorLine(L"      creates the service, started automatically at boot");
    PrintErrorLine(L"  instsrv <service name> remove");
    PrintErrorLine(L"      stops the service if it runs, then deletes it");
    PrintErrorLine(L"  instsrv <service name> remove <full path of the service program>");
    PrintErrorLine(L"      the same, only when the service runs that program");
    PrintErrorLine(L"  instsrv <service name> stop|start <full path of the service program>");
    PrintErrorLine(L"      stops it while an installer replaces its files, and starts it again after");
    PrintErrorLine(L"  instsrv <service name> restore <full path of the service program>");
    PrintErrorLine(L"      puts back the service that a removal for that program took");
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
