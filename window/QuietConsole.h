#pragma once

#include "installer/QuietRun.h"

namespace qeltor {

// The program without its window: the registration through a QuietForm, its outcome said on the
// console the program was started from and appended to the /log file. The exit code.
int RunWithoutWindow(const Request& request);

}  // namespace qeltor
