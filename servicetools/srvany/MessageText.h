#pragma once

#include <string>
#include <vector>

#include "servicetools/srvany/Reasons.h"

namespace qeltor::service {

// The text of `reason` in this program's message table, each %N replaced by its Nth insert, its
// lines ended by CR LF and the last one without.
std::wstring MessageText(Reason reason, const std::vector<std::wstring>& inserts = {});

}  // namespace qeltor::service
