// Stands in for instsrv.exe: records the command line it was started with,
// exactly as the system hands it over, in instsrv-commandline.bin beside itself.
#include <windows.h>

#include <cwchar>
#include <string>

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) {
        return 3;
    }
    path.resize(path.find_last_of(L'\\') + 1);
    path += L"instsrv-commandline.bin";

    // Unshared until closed, so that a reader never sees half a record.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 4;
    }
    const wchar_t* commandLine = GetCommandLineW();
    const auto bytes = static_cast<DWORD>(std::wcslen(commandLine)) * DWORD{sizeof(wchar_t)};
    DWORD written = 0;
    const bool ok = WriteFile(file, commandLine, bytes, &written, nullptr) != FALSE && written == bytes;
    CloseHandle(file);
    return ok ? 0 : 5;
}
