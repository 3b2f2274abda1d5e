#pragma once

#include <string>
#include <vector>

// What the command line asks instsrv to do.
namespace qeltor::service {

struct InstsrvCommand {
    // StopForSetup and StartAfterSetup are the package's, around the replacing of the files;
    // RestoreRemoved its rollback of a removal.
    enum class Action { Install, Remove, RemoveIfItRuns, StopForSetup, StartAfterSetup, RestoreRemoved, ShowUsage };
    Action action = Action::ShowUsage;
    std::wstring serviceName;
    // Install: what the service is to run; the others: what it must run to be acted on. Without
    // the quotes it may have been given in.
    std::wstring program;
};

// `arguments` excludes the program's own name.
InstsrvCommand ParseInstsrvArguments(const std::vector<std::wstring>& arguments);

// The image path the service manager runs: quoted, so that a path with spaces stays one program.
std::wstring QuotedImagePath(const std::wstring& program);

}  // namespace qeltor::service
