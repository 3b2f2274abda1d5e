#pragma once

#include <string>
#include <variant>

#include "servicetools/srvany/LaunchPlan.h"

namespace qeltor::service {

// Reads Application, AppDirectory and AppParameters (REG_SZ, or REG_EXPAND_SZ expanded) from
// HKLM\SYSTEM\CurrentControlSet\Services\<service>\Parameters. A missing key or value is no
// failure here: the plan decides what is required.
std::variant<HostParameters, HostFailure> ReadHostParameters(const std::wstring& serviceName);

}  // namespace qeltor::service
