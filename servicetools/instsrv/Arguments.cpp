#include "servicetools/instsrv/Arguments.h"

#include "core/CommandLine.h"

#include <algorithm>

namespace qeltor::service {
namespace {

bool IsRemove(const std::wstring& word) {
    return EqualIgnoringCase(word, L"remove");
}

}  // namespace

InstsrvCommand ParseInstsrvArguments(const std::vector<std::wstring>& arguments) {
    InstsrvCommand command;
    if (arguments.size() < 2 || arguments.size() > 3 ||
        std::ranges::any_of(arguments, [](const std::wstring& argument) { return argument.empty(); })) {
        return command;
    }
    // "remove", "stop" and "start" are words, not programs: a program would be a path ending in
    // .exe. A third argument names the program the service must run to be acted on; only
    // "remove" goes without one.
    using Action = InstsrvCommand::Action;
    const bool remove = IsRemove(arguments[1]);
    if (arguments.size() == 3) {
        const auto is = [&](const wchar_t* word) { return EqualIgnoringCase(arguments[1], word); };
        command.action = remove           ? Action::RemoveIfItRuns
                         : is(L"stop")    ? Action::StopForSetup
                         : is(L"start")   ? Action::StartAfterSetup
                         : is(L"restore") ? Action::RestoreRemoved
                                          : Action::ShowUsage;
        if (command.action == Action::ShowUsage) {
            return command;
        }
    } else {
        command.action = remove ? Action::Remove : Action::Install;
    }
    command.serviceName = arguments[0];
    if (command.action != Action::Remove) {
        command.program = WithoutQuotes(arguments.back());
    }
    return command;
}

std::wstring QuotedImagePath(const std::wstring& program) {
    return Quoted(WithoutQuotes(program));
}

}  // namespace qeltor::service
