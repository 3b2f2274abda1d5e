#include "win32/ProgramPath.h"

#include <windows.h>

#include "win32/GrowingBuffer.h"

namespace qeltor::win32 {
namespace {

// A path that fills the room is cut short, and Windows does not say by how much.
DWORD ProgramPathOnce(const void* /*context*/, void* data, DWORD room, DWORD& size) {
    return LengthAnswer(::GetModuleFileNameW(nullptr, static_cast<wchar_t*>(data), room), room, size);
}

}  // namespace

std::wstring ProgramPath() {
    std::wstring path;
    return FillGrowing(path, MAX_PATH, ProgramPathOnce, nullptr) == ERROR_SUCCESS ? path : std::wstring();
}

}  // namespace qeltor::win32
