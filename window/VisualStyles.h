#pragma once

#include <windows.h>

namespace qeltor {

// Activates the common-controls 6 manifest of our resources for as long as it lives, so the
// controls are themed; the manifest Windows reads at start stays as it is. When the context
// cannot be made the controls simply keep the classic look.
class VisualStyles {
public:
    explicit VisualStyles(HINSTANCE instance);
    ~VisualStyles();
    VisualStyles(const VisualStyles&) = delete;
    VisualStyles& operator=(const VisualStyles&) = delete;
    VisualStyles(VisualStyles&&) = delete;
    VisualStyles& operator=(VisualStyles&&) = delete;

    [[nodiscard]] bool Active() const { return cookie_ != 0; }

private:
    HANDLE context_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};

}  // namespace qeltor
