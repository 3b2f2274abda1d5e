#include "installer/QuietRun.h"
#include "installer/StartupChecks.h"
#include "platform/Win32Platform.h"
#include "window/Dpi.h"
#include "window/ErrorWords.h"
#include "window/FormService.h"
#include "window/QuietConsole.h"
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
    const qeltor::Request request = qeltor::ReadCommandLine(::GetCommandLineW());
    if (request.quiet || request.notUnderstood) {
        return qeltor::RunWithoutWindow(request);
    }
    qeltor::dpi::DeclareAwareness();
    const qeltor::VisualStyles styles(instance);

    const qeltor::win32::ErrorWords errorWords = qeltor::ErrorWordsOfTable();
    qeltor::Win32Platform platform(errorWords);
    qeltor::FormService form(instance, platform);
    switch (form.Load()) {
        case qeltor::FormService::LoadResult::Shown:
            return form.Run();
        case qeltor::FormService::LoadResult::NoWindow:
            return qeltor::kExitNoWindow;
        case qeltor::FormService::LoadResult::CheckFailed:
            break;
    }
    return qeltor::kExitStartupCheckFailed;
}
