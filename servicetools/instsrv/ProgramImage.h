#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Whether a file can be a service's program, read from its first bytes: the service manager
// starts only a Windows executable image, not a batch file, a DOS program or a DLL.
namespace qeltor::service {

enum class ProgramImage {
    Program,       // an executable image for a processor this Windows runs
    NotAnImage,    // no MZ header: text, a batch file, a shortcut
    DosProgram,    // MZ without a Windows header
    Library,       // a DLL
    NotRunnable,   // a driver or firmware image: no Windows subsystem
    OtherMachine,  // an image for a processor this Windows does not run
};

// How many bytes from the file's start the judgement needs at most; fewer when the file is
// shorter.
inline constexpr std::size_t kImageHeadBytes = 4096;

// Judges the first bytes of a file; `machines` are the IMAGE_FILE_MACHINE_* values this Windows
// runs. A Windows header that lies beyond `head` counts as none.
ProgramImage JudgeProgramImage(std::span<const std::uint8_t> head, const std::vector<std::uint16_t>& machines);

}  // namespace qeltor::service
