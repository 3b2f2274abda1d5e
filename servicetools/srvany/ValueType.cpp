#include "servicetools/srvany/ValueType.h"

#include <algorithm>
#include "core/Decimal.h"

namespace qeltor::service {

std::wstring RegistryTypeName(Dword type) {
    switch (type) {
        case kRegNone:
            return L"REG_NONE";
        case kRegSz:
            return L"REG_SZ";
        case kRegExpandSz:
            return L"REG_EXPAND_SZ";
        case kRegBinary:
            return L"REG_BINARY";
        case kRegDword:
            return L"REG_DWORD";
        case kRegDwordBigEndian:
            return L"REG_DWORD_BIG_ENDIAN";
        case kRegLink:
            return L"REG_LINK";
        case kRegMultiSz:
            return L"REG_MULTI_SZ";
        case kRegQword:
            return L"REG_QWORD";
        default:
            return L"type " + DecimalText(type);
    }
}

std::optional<HostFailure> RefuseNonText(const std::wstring& valueName, Dword type) {
    if (type == kRegSz || type == kRegExpandSz) {
        return std::nullopt;
    }
    return HostFailure{kErrorInvalidData, Reason::ValueNotText, {valueName, RegistryTypeName(type)}};
}

std::vector<std::wstring> MultiStringLines(const std::wstring& data) {
    std::vector<std::wstring> lines;
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t end = std::min(data.find(L'\0', at), data.size());
        if (end == at) {
            break;  // the empty line that ends the list
        }
        lines.push_back(data.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

}  // namespace qeltor::service
