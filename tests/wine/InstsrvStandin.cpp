// Stands in for instsrv.exe: adds the command line it was started with, exactly as the system
// hands it over, to instsrv-commandline.bin beside itself; then, like the real tool, creates an
// automatic service <name> for <program> and exits 0, or exits 1 when that service exists.
// With instsrv-fails.txt beside it, it creates nothing and exits 1; with instsrv-slow.txt, it
// first takes 4 seconds, as a busy service manager may; with instsrv-deletes-parameters.txt, it
// deletes the service's Parameters key 2 seconds after creating it, as another program might.
//   instsrv.exe <name> <program>
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "Registry.h"
#include "Services.h"
#include "win32/ProgramPath.h"

namespace {

std::wstring OwnFolder() {
    const std::wstring path = qeltor::win32::ProgramPath();
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// Unshared until closed, so that a reader never sees half a record.
bool Record(const std::wstring& file) {
    HANDLE out = CreateFileW(file.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        return false;
    }
    const wchar_t* commandLine = GetCommandLineW();
    const auto bytes = static_cast<DWORD>(std::wcslen(commandLine)) * DWORD{sizeof(wchar_t)};
    DWORD written = 0;
    const bool ok = WriteFile(out, commandLine, bytes, &written, nullptr) != FALSE && written == bytes;
    CloseHandle(out);
    return ok;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
    const std::wstring folder = OwnFolder();
    if (folder.empty() || !Record(folder + L"instsrv-commandline.bin")) {
        return 4;
    }
    if (GetFileAttributesW((folder + L"instsrv-slow.txt").c_str()) != INVALID_FILE_ATTRIBUTES) {
        Sleep(4000);
    }
    if (GetFileAttributesW((folder + L"instsrv-fails.txt").c_str()) != INVALID_FILE_ATTRIBUTES || __argc != 3) {
        return 1;
    }
    const std::wstring image = L"\"" + std::wstring(__wargv[2]) + L"\"";
    if (qeltor::driver::CreateAutoService(__wargv[1], image) != ERROR_SUCCESS) {
        return 1;
    }
    if (GetFileAttributesW((folder + L"instsrv-deletes-parameters.txt").c_str()) != INVALID_FILE_ATTRIBUTES) {
        Sleep(2000);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, qeltor::driver::ParametersKey(__wargv[1]).c_str());
    }
    return 0;
}
