#include "servicetools/srvany/EventText.h"
#include "win32/Decimal.h"

namespace qeltor::service {
namespace {

constexpr DWORD kLargestPlainCode = 0xFFFF;

std::wstring Hex(DWORD value) {
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text(8, L'0');
    for (size_t i = text.size(); i-- > 0; value >>= 4U) {
        text[i] = kDigits[value & 0xFU];
    }
    return L"0x" + text;
}

std::wstring Units(ULONGLONG large, const wchar_t* largeUnit, ULONGLONG small, const wchar_t* smallUnit) {
    return DecimalText(large) + L" " + largeUnit + L" " + DecimalText(small) + L" " + smallUnit;
}

}  // namespace

std::wstring ExitCodeText(DWORD exitCode) {
    const std::wstring decimal = DecimalText(exitCode);
    return exitCode <= kLargestPlainCode ? decimal : decimal + L" (" + Hex(exitCode) + L")";
}

std::wstring DurationText(ULONGLONG milliseconds) {
    constexpr ULONGLONG kMinute = 60;
    constexpr ULONGLONG kHour = 60 * kMinute;
    constexpr ULONGLONG kDay = 24 * kHour;
    const ULONGLONG seconds = milliseconds / 1000;
    if (seconds < kMinute) {
        return DecimalText(seconds) + L" s";
    }
    if (seconds < kHour) {
        return Units(seconds / kMinute, L"min", seconds % kMinute, L"s");
    }
    if (seconds < kDay) {
        return Units(seconds / kHour, L"h", seconds % kHour / kMinute, L"min");
    }
    return Units(seconds / kDay, L"d", seconds % kDay / kHour, L"h");
}

}  // namespace qeltor::service
