// Runs QeltorService.exe for the main job where nobody is there to click: confirms its
// message boxes, then shows what it left in the registry.
// Usage: JobDriver <QeltorService.exe> [its arguments, each handed on quoted]
#include <iostream>
#include <string>

#include "Programs.h"
#include "Registry.h"
#include "Window.h"

namespace {

using namespace qeltor::driver;

constexpr DWORD kJobPatienceMs = 60000;
const std::wstring kParametersKey = ParametersKey(L"Qeltor Monitoring Server");

void PrintValue(HKEY key, const wchar_t* name) {
    std::cout << "  " << Utf8(name);
    const auto value = ReadValue(key, name);
    if (!value) {
        std::cout << ": not written\n";
        return;
    }
    const std::wstring text(reinterpret_cast<const wchar_t*>(value->bytes.data()),
                            value->bytes.size() / sizeof(wchar_t));
    std::cout << " = \"" << Utf8(text.substr(0, text.find(L'\0'))) << "\" ("
              << (value->type == REG_SZ ? "REG_SZ" : "not REG_SZ") << ", " << value->bytes.size()
              << " bytes of UTF-16)\n";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::cerr << "usage: JobDriver <QeltorService.exe> [arguments]\n";
        return 2;
    }
    std::wstring arguments;
    for (int i = 2; i < argc; ++i) {
        arguments += (i == 2 ? L"\"" : L" \"") + std::wstring(argv[i]) + L'"';
    }
    const Outcome outcome = RunProgram(WindowsPath(argv[1]), kJobPatienceMs, WindowAction::ClickButton, arguments);
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

    const auto key = OpenKey(HKEY_LOCAL_MACHINE, kParametersKey);
    if (!key) {
        std::cout << "HKEY_LOCAL_MACHINE\\" << Utf8(kParametersKey) << " was not written.\n";
        return static_cast<int>(outcome.exitCode);
    }
    std::cout << "HKEY_LOCAL_MACHINE\\" << Utf8(kParametersKey) << " holds:\n";
    for (const wchar_t* name : {L"Application", L"AppDirectory", L"AppParameters"}) {
        PrintValue(key.get(), name);
    }
    return static_cast<int>(outcome.exitCode);
}
