// The pieces of our messages that come from numbers and from the system's texts.
#include "win32/Decimal.h"
#include "win32/MessageInserts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace qeltor {
namespace {

TEST(SystemTexts, InsertsNameTheSubjectOrTheFile) {
    const struct {
        const wchar_t* text;
        const wchar_t* subject;
        const wchar_t* filled;
    } rows[] = {{L"Bad EXE format for %1.", L"C:\\Srv\\Monitor.exe", L"Bad EXE format for C:\\Srv\\Monitor.exe."},
                {L"%1 is not a valid Win32 application.", L"", L"the file is not a valid Win32 application."},
                {L"%1!s! and %12 left", L"X", L"X and X left"},
                {L"100% sure, %0 and %", L"X", L"100% sure, %0 and %"}};
    for (const auto& row : rows) {
        EXPECT_EQ(FillInserts(row.text, row.subject), row.filled);
    }
}

TEST(SystemTexts, NumbersInDecimalDigits) {
    EXPECT_EQ(DecimalText(0), L"0");
    EXPECT_EQ(DecimalText(193), L"193");
    EXPECT_EQ(DecimalText(std::numeric_limits<std::uint32_t>::max()), L"4294967295");
    EXPECT_EQ(DecimalText(std::numeric_limits<std::uint64_t>::max()), L"18446744073709551615");
}

}  // namespace
}  // namespace qeltor
