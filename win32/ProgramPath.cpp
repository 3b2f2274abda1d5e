#include "win32/ProgramPath.h"

#include <windows.h>

#include <vector>

#include "win32/Narrow.h"

namespace qeltor::win32 {

std::wstring ProgramPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), DwordOf(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return {buffer.data(), length};
        }
        buffer.resize(buffer.size() * 2);  // truncated: a long path
    }
}

}  // namespace qeltor::win32
