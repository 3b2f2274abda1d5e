#include "win32/Environment.h"

#include "win32/GrowingBuffer.h"

namespace qeltor::win32 {
namespace {

// ExpandEnvironmentStringsW counts the NUL in what it needs, whether or not that fits.
DWORD ExpandOnce(const void* context, void* data, DWORD room, DWORD& size) {
    const auto& text = *static_cast<const std::wstring*>(context);
    const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), static_cast<wchar_t*>(data), room);
    if (needed == 0) {
        return ::GetLastError();
    }
    if (needed > room) {
        size = needed;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    size = needed - 1;
    return ERROR_SUCCESS;
}

}  // namespace

DWORD ExpandEnvironment(const std::wstring& text, std::wstring& expanded) {
    return FillGrowing(expanded, text.size() + 1, ExpandOnce, &text);
}

}  // namespace qeltor::win32
