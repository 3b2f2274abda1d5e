#pragma once

#include "win32/ErrorText.h"

namespace qeltor {

// What QeltorService.exe says around the system's reasons, from its message table.
win32::ErrorWords ErrorWordsOfTable();

}  // namespace qeltor
