#include "servicetools/common/Console.h"

#include <windows.h>

#include "win32/Utf8.h"

#include <string>

namespace qeltor::service {
namespace {

void WriteLine(DWORD stream, std::wstring_view text) {
    HANDLE output = ::GetStdHandle(stream);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) {
        return;
    }
    std::wstring line(text);
    line += L"\r\n";
    win32::WriteText(output, line);
}

}  // namespace

void PrintLine(std::wstring_view text) {
    WriteLine(STD_OUTPUT_HANDLE, text);
}

void PrintErrorLine(std::wstring_view text) {
    WriteLine(STD_ERROR_HANDLE, text);
}

}  // namespace qeltor::service
