#include "window/VisualStyles.h"

#include "resources/ResourceIds.h"

#include <commctrl.h>

namespace qeltor {
namespace {

// comctl32 is loaded only once the context is active, so that the version 6 DLL is the one
// that registers the control classes.
void LoadCommonControls() {
    HMODULE comctl = ::LoadLibraryW(L"comctl32.dll");
    if (comctl == nullptr) {
        return;
    }
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init =
        reinterpret_cast<InitFn>(reinterpret_cast<void*>(::GetProcAddress(comctl, "InitCommonControlsEx")));
    if (init != nullptr) {
        const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
        init(&classes);
    }
}

}  // namespace

VisualStyles::VisualStyles(HINSTANCE instance) {
    ACTCTXW request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = instance;
    request.lpResourceName = MAKEINTRESOURCEW(resources::kCommonControlsManifest);
    context_ = ::CreateActCtxW(&request);
    if (context_ == INVALID_HANDLE_VALUE) {
        return;
    }
    if (::ActivateActCtx(context_, &cookie_) == FALSE) {
        cookie_ = 0;
        return;
    }
    LoadCommonControls();
}

VisualStyles::~VisualStyles() {
    if (cookie_ != 0) {
        ::DeactivateActCtx(0, cookie_);
    }
    if (context_ != INVALID_HANDLE_VALUE) {
        ::ReleaseActCtx(context_);
    }
}

}  // namespace qeltor
