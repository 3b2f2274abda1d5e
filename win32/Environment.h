#pragma once

#include <windows.h>

#include <string>

namespace qeltor::win32 {

// `text` with each %NAME% replaced by this process's variable of that name, however long it
// grows; a name the process does not know stays as written. ERROR_SUCCESS, or why Windows cannot
// expand it. core/Environment's ExpandWith reads text the same way for another environment block.
DWORD ExpandEnvironment(const std::wstring& text, std::wstring& expanded);

}  // namespace qeltor::win32
