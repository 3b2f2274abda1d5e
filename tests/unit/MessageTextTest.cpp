// The table of messages as rendered, the pieces that come from numbers and from the system's texts.
#include "core/Decimal.h"
#include "core/MessageInserts.h"
#include "installer/Messages.h"
#include "tests/unit/ReadmeTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>

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

std::string ReadFile(const std::string& name) {
    std::ostringstream text;
    text << std::ifstream(std::string(QELTOR_SOURCE_DIR) + "/" + name, std::ios::binary).rdbuf();
    return text.str();
}

// Each message as its box shows it, in single bytes (the table is plain ASCII): with the inserts
// <1> to <4>, or with empty ones.
std::string Rendered(std::size_t id, bool samples) {
    std::vector<std::wstring> inserts;
    for (wchar_t n = L'1'; n <= L'4'; ++n) {
        inserts.push_back(samples ? std::wstring{L'<', n, L'>'} : std::wstring{});
    }
    std::string text;
    for (const wchar_t c : messages::Render(messages::Messages{{static_cast<messages::Id>(id), inserts}})) {
        text += static_cast<char>(c);
    }
    return text;
}

// Each message with the inserts <1> to <4>, its line breaks shown as \r and \n. On a difference the
// rendering is left in messages.rendered.txt to compare.
TEST(MessageTable, RendersAsCheckedIn) {
    std::string rendered;
    for (std::size_t id = 0; id < messages::kMessageCount; ++id) {
        rendered += "[" + std::to_string(id) + "]\n";
        for (const char c : Rendered(id, true)) {
            rendered += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n\n") : std::string(1, c);
        }
        rendered += "\n\n";
    }
    EXPECT_EQ(rendered, ReadFile("tests/unit/messages.golden.txt"));
    if (HasFailure()) {
        std::ofstream("messages.rendered.txt", std::ios::binary) << rendered;
    }
}

// README.md's table names each message by its beginning ("A / B" names two), "…" standing for any text.
TEST(MessageTable, ReadmeNamesEachMessage) {
    const auto beginnings = testing::ReadmeBeginnings(ReadFile("README.md"), "| Message begins |");
    for (std::size_t id = 0; id < static_cast<std::size_t>(messages::kFirstInsertPart); ++id) {
        std::string text = Rendered(id, false);
        text.erase(0, text.find_first_not_of("\r\n "));
        EXPECT_TRUE(testing::NamedBy(text, beginnings)) << text;
    }
}

}  // namespace
}  // namespace qeltor
