#pragma once

#include <string>
#include <vector>

namespace qeltor {

// `text` with each %NAME% that `block` holds (as "NAME=value" entries, the way an environment
// block lists them; names in either case) replaced by its value. A name the block does not hold
// stays as it is, %-signs and all, as ExpandEnvironmentStringsW leaves it.
std::wstring ExpandWith(const std::wstring& text, const std::vector<std::wstring>& block);

}  // namespace qeltor
