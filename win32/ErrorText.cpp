#include "win32/ErrorText.h"

#include "core/Decimal.h"
#include "core/MessageInserts.h"
#include "win32/Handles.h"

namespace qeltor::win32 {

std::wstring SystemText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD length = ::FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const win32::UniqueLocalMemory<wchar_t> owner(buffer);
    std::wstring text = length == 0 ? std::wstring() : std::wstring(buffer, length);
    text.erase(text.find_last_not_of(L" \r\n") + 1);
    return text;
}

std::wstring ErrorText(DWORD error, std::wstring_view subject, const ErrorWords& words) {
    const std::wstring text = SystemText(error);
    const std::wstring_view named = subject.empty() ? std::wstring_view(words.subject) : subject;
    return FillInserts(words.withCode, {FillInserts(text.empty() ? words.unknown : text, named), DecimalText(error)});
}

}  // namespace qeltor::win32
