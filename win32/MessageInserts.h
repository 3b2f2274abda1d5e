#pragma once

#include <string>
#include <string_view>

namespace qeltor {

// A system text read with its inserts ignored still holds "%1" (or "%1!s!") where the system
// would name the subject, as in "Bad EXE format for %1.". Each such insert becomes `subject`,
// or "the file" when the caller has none.
std::wstring FillInserts(std::wstring_view text, std::wstring_view subject);

}  // namespace qeltor
