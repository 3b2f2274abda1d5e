#pragma once

#include <optional>
#include <string>
#include <vector>

#include "servicetools/srvany/LaunchPlan.h"

namespace qeltor::service {

// The registry's name for a value type, "REG_DWORD"; "type 42" for one it does not name.
std::wstring RegistryTypeName(Dword type);

// A Parameters value is text: REG_SZ, or REG_EXPAND_SZ with %variables% to expand. Anything
// else is refused with a message that names the type found.
std::optional<HostFailure> RefuseNonText(const std::wstring& valueName, Dword type);

// The lines of a REG_MULTI_SZ's data (UTF-16, each line ended by a NUL, the list by one more);
// data that lacks its final NULs ends with its last line all the same.
std::vector<std::wstring> MultiStringLines(const std::wstring& data);

}  // namespace qeltor::service
