#include "servicetools/instsrv/Arguments.h"

#include <windows.h>

#include <algorithm>

namespace qeltor::service {
namespace {

// A caller that quotes the path itself hands it over with its quotes; the path is what is inside.
std::wstring Unquoted(const std::wstring& program) {
    if (program.size() >= 2 && program.front() == L'"' && program.back() == L'"') {
        return program.substr(1, program.size() - 2);
    }
    return program;
}

bool IsRemove(const std::wstring& word) {
    return ::CompareStringOrdinal(word.c_str(), -1, L"remove", -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

InstsrvCommand ParseInstsrvArguments(const std::vector<std::wstring>& arguments) {
    InstsrvCommand command;
    if (arguments.size() < 2 || arguments.size() > 3 ||
        std::ranges::any_of(arguments, [](const std::wstring& argument) { return argument.empty(); })) {
        return command;
    }
    // "remove" is a word, not a program: a program would be a path ending in .exe. A third
    // argument names the program the service must run to be removed.
    const bool remove = IsRemove(arguments[1]);
    if (arguments.size() == 3 && !remove) {
        return command;
    }
    using Action = InstsrvCommand::Action;
    command.action = arguments.size() == 3 ? Action::RemoveIfItRuns : (remove ? Action::Remove : Action::Install);
    command.serviceName = arguments[0];
    if (command.action != Action::Remove) {
        command.program = Unquoted(arguments.back());
    }
    return command;
}

std::wstring QuotedImagePath(const std::wstring& program) {
    if (program.size() >= 2 && program.front() == L'"' && program.back() == L'"') {
        return program;
    }
    return L"\"" + program + L"\"";
}

}  // namespace qeltor::service
