#include "servicetools/instsrv/ProgramImage.h"

#include <algorithm>

namespace qeltor::service {
namespace {

// The offsets and flags of the image format that the judgement reads.
constexpr std::size_t kNewHeaderOffset = 0x3C;  // e_lfanew in the DOS header
constexpr std::size_t kMachineOffset = 4;       // after "PE\0\0"
constexpr std::size_t kCharacteristicsOffset = 22;
constexpr std::size_t kOptionalHeaderOffset = 24;
constexpr std::size_t kSubsystemOffset = 68;  // the same in PE32 and PE32+ optional headers
constexpr std::uint16_t kExecutableImage = 0x0002;
constexpr std::uint16_t kDll = 0x2000;
constexpr std::uint16_t kSubsystemWindowsGui = 2;
constexpr std::uint16_t kSubsystemWindowsCui = 3;

std::uint32_t Little(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = count; i > 0; --i) {
        value = (value << 8U) | bytes[at + i - 1];
    }
    return value;
}

}  // namespace

ProgramImage JudgeProgramImage(std::span<const std::uint8_t> head, const std::vector<std::uint16_t>& machines) {
    if (head.size() < kNewHeaderOffset + 4 || head[0] != 'M' || head[1] != 'Z') {
        return ProgramImage::NotAnImage;
    }
    const std::size_t pe = Little(head, kNewHeaderOffset, 4);
    if (pe > head.size() - 4 || head[pe] != 'P' || head[pe + 1] != 'E' || head[pe + 2] != 0 || head[pe + 3] != 0) {
        return ProgramImage::DosProgram;
    }
    if (pe + kOptionalHeaderOffset + kSubsystemOffset + 2 > head.size()) {
        return ProgramImage::NotAnImage;
    }
    const auto characteristics = static_cast<std::uint16_t>(Little(head, pe + kCharacteristicsOffset, 2));
    if ((characteristics & kDll) != 0 || (characteristics & kExecutableImage) == 0) {
        return ProgramImage::Library;
    }
    const auto subsystem = static_cast<std::uint16_t>(Little(head, pe + kOptionalHeaderOffset + kSubsystemOffset, 2));
    if (subsystem != kSubsystemWindowsGui && subsystem != kSubsystemWindowsCui) {
        return ProgramImage::NotRunnable;
    }
    const auto machine = static_cast<std::uint16_t>(Little(head, pe + kMachineOffset, 2));
    return std::ranges::find(machines, machine) != machines.end() ? ProgramImage::Program : ProgramImage::OtherMachine;
}

}  // namespace qeltor::service
