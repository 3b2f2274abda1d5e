// Runs QeltorService.exe for the main job where nobody is there to click: confirms its
// message boxes, then shows what it left in the registry.
// Usage: JobDriver <QeltorService.exe>
#include "ProgramDriver.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr ULONGLONG kPatienceMs = 60000;
const std::wstring kParametersKey = L"SYSTEM\\CurrentControlSet\\Services\\Qeltor Monitoring Server\\Parameters";

std::string Utf8(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

void PrintValue(HKEY key, const wchar_t* name) {
    DWORD type = REG_NONE;
    std::vector<wchar_t> data(1024);
    DWORD size = 1024 * sizeof(wchar_t);
    std::cout << "  " << Utf8(name);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
        std::cout << ": not written\n";
        return;
    }
    const std::wstring text(data.data(), size / sizeof(wchar_t));
    std::cout << " = \"" << Utf8(text.substr(0, text.find(L'\0'))) << "\" ("
              << (type == REG_SZ ? "REG_SZ" : "not REG_SZ") << ", " << size << " bytes of UTF-16)\n";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::cerr << "usage: JobDriver <QeltorService.exe>\n";
        return 2;
    }
    const auto outcome = qeltor::driver::RunProgram(qeltor::driver::WindowsPath(argv[1]), kPatienceMs,
                                                    qeltor::driver::WindowAction::ClickButton);
    if (outcome.windowShown) {
        std::cout << "Its window appeared; the driver pressed \"Set Run as Service\".\n";
    }
    for (const auto& box : outcome.boxes) {
        std::cout << "Message box \"" << Utf8(box.caption) << "\" (" << Utf8(box.icon) << " icon):\n  "
                  << Utf8(box.text) << "\n";
    }
    if (!outcome.problem.empty()) {
        std::cerr << "QeltorService.exe: " << outcome.problem << "\n";
        return 1;
    }
    std::cout << "QeltorService.exe ended with exit code " << outcome.exitCode << ".\n";

    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kParametersKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        std::cout << "HKEY_LOCAL_MACHINE\\" << Utf8(kParametersKey) << " was not written.\n";
        return static_cast<int>(outcome.exitCode);
    }
    const qeltor::driver::UniqueKey owned(key);
    std::cout << "HKEY_LOCAL_MACHINE\\" << Utf8(kParametersKey) << " holds:\n";
    for (const wchar_t* name : {L"Application", L"AppDirectory", L"AppParameters"}) {
        PrintValue(key, name);
    }
    return static_cast<int>(outcome.exitCode);
}
