#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qeltor {

// A system text read with its inserts ignored still holds "%1" (or "%1!s!") where the system
// would name the subject, as in "Bad EXE format for %1.". Each such insert becomes `subject`,
// or "the file" when the caller has none.
std::wstring FillInserts(std::wstring_view text, std::wstring_view subject);

// Each insert %N in `text` becomes inserts[N - 1], or nothing when there are fewer inserts.
std::wstring FillInserts(std::wstring_view text, const std::vector<std::wstring>& inserts);

}  // namespace qeltor
