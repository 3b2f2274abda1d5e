#include "installer/StartupChecks.h"
#include "platform/Win32Platform.h"
#include "window/Dpi.h"
#include "window/FormService.h"
#include "window/VisualStyles.h"

#include <windows.h>

namespace {

// An elevated program must not load a DLL planted beside it in whatever folder it was
// unpacked to: system DLLs come from the system folder only.
void RestrictDllSearchToSystem() {
    using SetDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const auto setDirectories = reinterpret_cast<SetDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDirectories != nullptr) {
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    ::SetDllDirectoryW(L"");  // older systems: at least not the current folder
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
    RestrictDllSearchToSystem();
    qeltor::dpi::DeclareAwareness();
    const qeltor::VisualStyles styles(instance);

    qeltor::Win32Platform platform;
    qeltor::FormService form(instance, platform);
    if (!form.Load()) {
        return qeltor::kExitStartupCheckFailed;
    }
    return form.Run();
}
