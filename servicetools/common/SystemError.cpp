#include "servicetools/common/SystemError.h"

#include "platform/Win32Handles.h"

namespace qeltor::service {

std::wstring ErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD length = ::FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const win32::UniqueLocalMemory<wchar_t> owner(buffer);
    std::wstring text = length == 0 ? std::wstring() : std::wstring(buffer, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        text = L"Error " + std::to_wstring(error);
    }
    return text;
}

}  // namespace qeltor::service
