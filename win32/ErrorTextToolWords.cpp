#include "core/Decimal.h"
#include "core/MessageInserts.h"
#include "win32/ErrorText.h"

// The service tools' words around the system's text, in a file of their own so that a program that
// says them through its own table does not carry them.
namespace qeltor::win32 {

std::wstring ErrorText(DWORD error, std::wstring_view subject) {
    const std::wstring text = SystemText(error);
    return FillInserts(text.empty() ? L"Unknown error." : text, subject) + L" (error " + DecimalText(error) + L")";
}

}  // namespace qeltor::win32
