#include "core/Environment.h"

#include "core/CommandLine.h"

namespace qeltor {
namespace {

const std::wstring* ValueOf(const std::vector<std::wstring>& block, const std::wstring& name) {
    for (const std::wstring& entry : block) {
        // "=C:=C:\..." entries, which name a drive's current folder, start with the sign itself.
        const auto sign = entry.find(L'=', 1);
        if (sign != std::wstring::npos && EqualIgnoringCase(entry.substr(0, sign), name)) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

std::wstring ExpandWith(const std::wstring& text, const std::vector<std::wstring>& block) {
    std::wstring expanded;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto open = text.find(L'%', at);
        const auto close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring::npos) {
            break;
        }
        expanded += text.substr(at, open - at);
        const std::wstring name = text.substr(open + 1, close - open - 1);
        const std::wstring* entry = name.empty() ? nullptr : ValueOf(block, name);
        if (entry != nullptr) {
            expanded += entry->substr(name.size() + 1);
            at = close + 1;
        } else {
            // The closing sign may open the next name.
            expanded += L'%' + name;
            at = close;
        }
    }
    return expanded + text.substr(at);
}

}  // namespace qeltor
