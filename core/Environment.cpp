#include "core/Environment.h"

#include <algorithm>
#include <string_view>

namespace qeltor {
namespace {

wchar_t Folded(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// The value `block` holds for `name`; null when it holds none. Entries that start with "=" (a
// drive's current folder) name nothing.
const wchar_t* ValueOf(const std::vector<std::wstring>& block, std::wstring_view name) {
    for (const std::wstring& entry : block) {
        if (!name.empty() && entry.size() > name.size() && entry[name.size()] == L'=' &&
            std::equal(name.begin(), name.end(), entry.begin(),
                       [](wchar_t a, wchar_t b) { return Folded(a) == Folded(b); })) {
            return entry.c_str() + name.size() + 1;
        }
    }
    return nullptr;
}

}  // namespace

std::wstring ExpandWith(const std::wstring& text, const std::vector<std::wstring>& block) {
    std::wstring expanded;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t close = text[at] == L'%' ? text.find(L'%', at + 1) : std::wstring::npos;
        const wchar_t* value = close == std::wstring::npos
                                   ? nullptr
                                   : ValueOf(block, std::wstring_view(text).substr(at + 1, close - at - 1));
        if (value != nullptr) {
            expanded += value;
            at = close + 1;
        } else {
            // A name the block does not hold stays; its closing sign may open the next name.
            expanded += text[at++];
        }
    }
    return expanded;
}

}  // namespace qeltor
