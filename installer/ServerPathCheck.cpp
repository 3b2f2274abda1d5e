#include "installer/ServerPathCheck.h"

#include "core/Decimal.h"
#include "core/Paths.h"

namespace qeltor {
std::optional<messages::Message> ServerPathRefusal(Platform& platform, const std::wstring& path) {
    using messages::Id;
    if (!IsFullyQualified(path)) {
        return messages::Message{Id::NotAFullPath, {path}};
    }
    // The service starts the server without long-path support, so the path and its NUL must fit.
    if (path.size() >= kMaxPath) {
        return messages::Message{Id::PathTooLong, {path, DecimalText(path.size()), DecimalText(kMaxPath)}};
    }
    bool is64Bit = false;
    const OsStatus program = platform.CheckWindowsProgram(path, is64Bit);
    if (program != kOsSuccess) {
        return messages::Message{Id::NotAProgram, {path, platform.ErrorText(program)}};
    }
    if (is64Bit && !platform.IsWindows64Bit()) {
        return messages::Message{Id::SixtyFourBitOnThirtyTwo, {path, platform.ErrorText(kOsBadExeFormat)}};
    }
    return std::nullopt;
}

}  // namespace qeltor
