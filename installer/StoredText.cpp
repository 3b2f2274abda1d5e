#include "installer/StoredText.h"

namespace qeltor {

StoredValue StoredText(const std::wstring& text, bool withNul) {
    std::string bytes;
    for (const wchar_t c : text) {
        const auto unit = static_cast<std::uint16_t>(static_cast<std::uint32_t>(c));
        bytes += static_cast<char>(unit & 0xFFU);
        bytes += static_cast<char>(unit >> 8U);
    }
    if (withNul) {
        bytes.append(2, '\0');
    }
    return {kRegSz, bytes};
}

std::optional<std::wstring> TextOf(const StoredValue& value) {
    if (value.type != kRegSz && value.type != kRegExpandSz) {
        return std::nullopt;
    }
    std::wstring text;
    for (std::size_t i = 0; i + 1 < value.bytes.size(); i += 2) {
        const auto low = static_cast<unsigned char>(value.bytes[i]);
        const auto high = static_cast<unsigned char>(value.bytes[i + 1]);
        text += static_cast<wchar_t>(low | (high << 8U));
    }
    while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return text;
}

bool HoldsTheSame(const StoredValue& value, const StoredValue& meant) {
    if (value.type != meant.type) {
        return false;
    }
    const auto text = TextOf(value);
    return text ? text == TextOf(meant) : value.bytes == meant.bytes;
}

}  // namespace qeltor
