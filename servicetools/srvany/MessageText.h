#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "servicetools/srvany/Reasons.h"

namespace qeltor::service {

// The text of `reason` in this program's message table, each %N replaced by its Nth insert, its
// lines ended by CR LF and the last one without.
std::wstring MessageText(Reason reason, const std::vector<std::wstring>& inserts = {});

// The system's text for `error` with its code, in this program's words: "Access is denied. (error
// 5)". An insert in the text names `subject`, or "the file" when there is none.
std::wstring SystemReason(Dword error, std::wstring_view subject = {});

}  // namespace qeltor::service
