#include "core/MessageInserts.h"

namespace qeltor {
namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// The length of the insert at text[at], a '%' followed by a number from 1 and an optional
// "!format!"; 0 when there is none.
size_t InsertLength(std::wstring_view text, size_t at) {
    size_t end = at + 1;
    if (end >= text.size() || !IsDigit(text[end]) || text[end] == L'0') {
        return 0;
    }
    while (end < text.size() && IsDigit(text[end])) {
        ++end;
    }
    if (end < text.size() && text[end] == L'!') {
        const size_t close = text.find(L'!', end + 1);
        if (close != std::wstring_view::npos) {
            end = close + 1;
        }
    }
    return end - at;
}

// `text` with each insert replaced by what `valueOf` gives for its number.
template <typename ValueOf>
std::wstring Filled(std::wstring_view text, const ValueOf& valueOf) {
    std::wstring filled;
    filled.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const size_t length = text[at] == L'%' ? InsertLength(text, at) : 0;
        if (length == 0) {
            filled += text[at++];
            continue;
        }
        size_t number = 0;
        for (size_t digit = at + 1; digit < text.size() && IsDigit(text[digit]); ++digit) {
            number = number * 10 + static_cast<size_t>(text[digit] - L'0');
        }
        filled += valueOf(number);
        at += length;
    }
    return filled;
}

}  // namespace

std::wstring FillInserts(std::wstring_view text, std::wstring_view subject) {
    const std::wstring_view value = subject.empty() ? std::wstring_view(L"the file") : subject;
    return Filled(text, [value](size_t /*number*/) { return value; });
}

std::wstring FillInserts(std::wstring_view text, const std::vector<std::wstring>& inserts) {
    return Filled(text, [&inserts](size_t number) {
        return number <= inserts.size() ? std::wstring_view(inserts[number - 1]) : std::wstring_view{};
    });
}

}  // namespace qeltor
