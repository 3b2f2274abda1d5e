#pragma once

#include <string>

#include "core/SystemNumbers.h"

// How numbers read in the service's events.
namespace qeltor::service {

// "7"; a crash's code also in hex, the way it is looked up: "3221225477 (0xC0000005)".
std::wstring ExitCodeText(Dword exitCode);

// The two largest units that matter: "45 s", "3 min 20 s", "2 h 5 min", "3 d 4 h".
std::wstring DurationText(Qword milliseconds);

}  // namespace qeltor::service
