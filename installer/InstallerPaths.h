#pragma once

#include <string>

namespace qeltor {

// What the start-up checks find and the registration uses. Owned by the main window.
struct InstallerPaths {
    std::wstring ProgramFolder;  // folder of the program, always ending in a backslash
    std::wstring ServerExePath;  // the monitoring server's executable, exactly as stored
    std::wstring ServerFolder;   // ServerExePath up to and including its last backslash, or empty
};

}  // namespace qeltor
