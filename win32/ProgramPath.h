#pragma once

#include <string>

namespace qeltor::win32 {

// The full path of the running program's file, however long; the empty text when Windows cannot
// tell.
std::wstring ProgramPath();

}  // namespace qeltor::win32
