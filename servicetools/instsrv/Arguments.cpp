#include "servicetools/instsrv/Arguments.h"

#include <windows.h>

namespace qeltor::service {
namespace {

// A caller that quotes the path itself hands it over with its quotes; the path is what is inside.
std::wstring Unquoted(const std::wstring& program) {
    if (program.size() >= 2 && program.front() == L'"' && program.back() == L'"') {
        return program.substr(1, program.size() - 2);
    }
    return program;
}

}  // namespace

InstsrvCommand ParseInstsrvArguments(const std::vector<std::wstring>& arguments) {
    InstsrvCommand command;
    if (arguments.size() != 2 || arguments[0].empty() || arguments[1].empty()) {
        return command;
    }
    command.serviceName = arguments[0];
    // "remove" is a word, not a program: a program would be a path ending in .exe.
    const bool remove = ::CompareStringOrdinal(arguments[1].c_str(), -1, L"remove", -1, TRUE) == CSTR_EQUAL;
    command.action = remove ? InstsrvCommand::Action::Remove : InstsrvCommand::Action::Install;
    if (!remove) {
        command.program = Unquoted(arguments[1]);
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
