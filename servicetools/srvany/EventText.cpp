#include "servicetools/srvany/EventText.h"
#include "core/Decimal.h"

namespace qeltor::service {
namespace {

constexpr Dword kLargestPlainCode = 0xFFFF;

std::wstring Hex(Dword value) {
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text(8, L'0');
    for (size_t i = text.size(); i-- > 0; value >>= 4U) {
        text[i] = kDigits[value & 0xFU];
    }
    return L"0x" + text;
}

std::wstring Units(Qword large, const wchar_t* largeUnit, Qword small, const wchar_t* smallUnit) {
    return DecimalText(large) + L" " + largeUnit + L" " + DecimalText(small) + L" " + smallUnit;
}

}  // namespace

std::wstring ExitCodeText(Dword exitCode) {
    const std::wstring decimal = DecimalText(exitCode);
    return exitCode <= kLargestPlainCode ? decimal : decimal + L" (" + Hex(exitCode) + L")";
}

std::wstring DurationText(Qword milliseconds) {
    constexpr Qword kMinute = 60;
    constexpr Qword kHour = 60 * kMinute;
    constexpr Qword kDay = 24 * kHour;
    const Qword seconds = milliseconds / 1000;
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
