#include "installer/QuietRun.h"

#include "core/CommandLine.h"
#include "core/Decimal.h"
#include "installer/InstallerPaths.h"
#include "installer/Messages.h"
#include "installer/ServiceRegistration.h"
#include "installer/StartupChecks.h"

#include <cstddef>
#include <vector>

namespace qeltor {
namespace {

// The arguments of `commandLine` as the C runtime splits them: blanks separate outside quotes, a
// quote toggles quoting, 2n backslashes before a quote give n and the quote toggles, 2n+1 give n
// and a quote; other backslashes stay as they are. The program's name is taken up to its closing
// quote, as Windows does.
std::vector<std::wstring> SplitArguments(const std::wstring& commandLine) {
    std::vector<std::wstring> arguments;
    std::size_t at = 0;
    const auto blank = [&] { return commandLine[at] == L' ' || commandLine[at] == L'\t'; };
    while (at < commandLine.size()) {
        while (at < commandLine.size() && blank()) {
            ++at;
        }
        if (at == commandLine.size()) {
            break;
        }
        std::wstring argument;
        bool quoted = false;
        const bool programName = arguments.empty();
        while (at < commandLine.size() && (quoted || !blank())) {
            std::size_t backslashes = 0;
            while (!programName && at < commandLine.size() && commandLine[at] == L'\\') {
                ++backslashes;
                ++at;
            }
            if (at < commandLine.size() && commandLine[at] == L'"') {
                argument.append(backslashes / 2, L'\\');
                if (backslashes % 2 == 0) {
                    quoted = !quoted;
                } else {
                    argument += L'"';
                }
                ++at;
            } else {
                argument.append(backslashes, L'\\');
                if (backslashes == 0 && at < commandLine.size()) {
                    argument += commandLine[at++];
                }
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

bool IsOption(const std::wstring& argument, const wchar_t* name) {
    return argument.size() > 1 && (argument[0] == L'/' || argument[0] == L'-') &&
           EqualIgnoringCase(argument.substr(1), name);
}

int ExitCodeOf(Outcome outcome) {
    switch (outcome) {
        case Outcome::Registered:
            return kExitRegistered;
        case Outcome::Refused:
            return kExitRefused;
        case Outcome::PutBack:
            return kExitPutBack;
        case Outcome::SomethingLeft:
            break;
    }
    return kExitSomethingLeft;
}

}  // namespace

Request ReadCommandLine(const std::wstring& commandLine) {
    const std::vector<std::wstring> arguments = SplitArguments(commandLine);
    Request request;
    for (std::size_t i = 1; i < arguments.size() && !request.notUnderstood; ++i) {
        const std::wstring& argument = arguments[i];
        std::optional<std::wstring>* const value = IsOption(argument, L"server") ? &request.server
                                                   : IsOption(argument, L"log")  ? &request.log
                                                                                 : nullptr;
        if (IsOption(argument, L"quiet") && !request.quiet) {
            request.quiet = true;
        } else if (value != nullptr && !value->has_value() && i + 1 < arguments.size() && !arguments[i + 1].empty()) {
            *value = arguments[++i];
        } else {
            request.notUnderstood = argument;
        }
    }
    if (!request.notUnderstood && !request.quiet && (request.server || request.log)) {
        request.notUnderstood = arguments[1];  // the options belong to the quiet way only
    }
    return request;
}

void QuietForm::rtcMsgBox(const std::wstring& text, unsigned /*style*/) {
    text_ += (text_.empty() ? L"" : L"\r\n\r\n") + text;
}

std::optional<std::uint32_t> QuietForm::WaitForProgram(StartedProgram& program, std::uint32_t timeoutMs) {
    return platform_.WaitForEnd(program, timeoutMs);
}

QuietOutcome RunQuietly(Platform& platform, const std::optional<std::wstring>& server) {
    QuietForm form(platform);
    InstallerPaths paths;
    if (!RunStartupChecks(platform, form, paths, server)) {
        return {form.Ended().value_or(kExitStartupCheckFailed), form.Text()};
    }
    return {ExitCodeOf(Register(platform, form, paths)), form.Text()};
}

QuietOutcome WrongCommandLine(const std::wstring& argument) {
    return {kExitWrongCommandLine, messages::Render({messages::Id::Usage, {Quoted(argument)}})};
}

std::wstring LogRecord(const std::wstring& localTime, int exitCode, const std::wstring& text) {
    return messages::Render({messages::Id::LogHeading, {localTime, DecimalText(static_cast<unsigned>(exitCode))}}) +
           L"\r\n" + text + L"\r\n\r\n";
}

}  // namespace qeltor
