#include "servicetools/srvany/MessageText.h"

#include <windows.h>

#include "EventMessages.h"
#include "win32/ErrorText.h"
#include "win32/Handles.h"

namespace qeltor::service {
namespace {

constexpr bool Is(Reason reason, DWORD id) {
    return static_cast<DWORD>(reason) == id;
}
static_assert(
    Is(Reason::ApplicationNotSet, MSG_APPLICATION_NOT_SET) && Is(Reason::ApplicationQuoted, MSG_APPLICATION_QUOTED) &&
        Is(Reason::ApplicationNotFullPath, MSG_APPLICATION_NOT_FULL_PATH) &&
        Is(Reason::DirectoryNotFullPath, MSG_DIRECTORY_NOT_FULL_PATH) &&
        Is(Reason::EnvironmentLineWithoutValue, MSG_ENVIRONMENT_LINE_WITHOUT_VALUE) &&
        Is(Reason::ValueNotText, MSG_VALUE_NOT_TEXT) && Is(Reason::EnvironmentNotLines, MSG_ENVIRONMENT_NOT_LINES) &&
        Is(Reason::CannotExpandValue, MSG_CANNOT_EXPAND_VALUE) && Is(Reason::CannotReadValue, MSG_CANNOT_READ_VALUE) &&
        Is(Reason::CannotOpenParameters, MSG_CANNOT_OPEN_PARAMETERS) && Is(Reason::NoFolder, MSG_NO_FOLDER) &&
        Is(Reason::FolderIsAFile, MSG_FOLDER_IS_A_FILE) && Is(Reason::CannotSetVariable, MSG_CANNOT_SET_VARIABLE) &&
        Is(Reason::CannotCreateJob, MSG_CANNOT_CREATE_JOB) && Is(Reason::CannotStart, MSG_CANNOT_START) &&
        Is(Reason::CannotJoinJob, MSG_CANNOT_JOIN_JOB) && Is(Reason::NoStopEvent, MSG_NO_STOP_EVENT) &&
        Is(Reason::Usage, MSG_USAGE) && Is(Reason::NoServiceManager, MSG_NO_SERVICE_MANAGER) &&
        Is(Reason::UnknownError, MSG_UNKNOWN_ERROR) && Is(Reason::TheFile, MSG_THE_FILE) &&
        Is(Reason::SystemReason, MSG_SYSTEM_REASON),
    "each reason has its ID in the message table");

}  // namespace

std::wstring MessageText(Reason reason, const std::vector<std::wstring>& inserts) {
    std::vector<DWORD_PTR> arguments;
    arguments.reserve(inserts.size());
    for (const std::wstring& insert : inserts) {
        arguments.push_back(reinterpret_cast<DWORD_PTR>(insert.c_str()));
    }
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY;
    const DWORD length =
        ::FormatMessageW(flags, ::GetModuleHandleW(nullptr), static_cast<DWORD>(reason), 0,
                         reinterpret_cast<wchar_t*>(&buffer), 0, reinterpret_cast<va_list*>(arguments.data()));
    const win32::UniqueLocalMemory<wchar_t> owner(buffer);
    // The table's lines end in a line feed, which FormatMessageW may pass on alone.
    std::wstring text;
    for (DWORD at = 0; at < length; ++at) {
        const wchar_t c = buffer[at];
        text += c == L'\n' && (text.empty() || text.back() != L'\r') ? std::wstring(L"\r\n") : std::wstring(1, c);
    }
    if (text.ends_with(L"\r\n")) {
        text.resize(text.size() - 2);
    }
    return text;
}

std::wstring SystemReason(Dword error, std::wstring_view subject) {
    // Each %N given as itself keeps the inserts for ErrorText to fill.
    const win32::ErrorWords words{MessageText(Reason::UnknownError), MessageText(Reason::TheFile),
                                  MessageText(Reason::SystemReason, {L"%1", L"%2"})};
    return win32::ErrorText(error, subject, words);
}

}  // namespace qeltor::service
