#include "servicetools/srvany/ValueType.h"
#include "win32/Decimal.h"

namespace qeltor::service {

std::wstring RegistryTypeName(DWORD type) {
    switch (type) {
        case REG_NONE:
            return L"REG_NONE";
        case REG_SZ:
            return L"REG_SZ";
        case REG_EXPAND_SZ:
            return L"REG_EXPAND_SZ";
        case REG_BINARY:
            return L"REG_BINARY";
        case REG_DWORD:
            return L"REG_DWORD";
        case REG_DWORD_BIG_ENDIAN:
            return L"REG_DWORD_BIG_ENDIAN";
        case REG_LINK:
            return L"REG_LINK";
        case REG_MULTI_SZ:
            return L"REG_MULTI_SZ";
        case REG_QWORD:
            return L"REG_QWORD";
        default:
            return L"type " + DecimalText(type);
    }
}

std::optional<HostFailure> RefuseNonText(const std::wstring& valueName, DWORD type) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        return std::nullopt;
    }
    return HostFailure{ERROR_INVALID_DATA, L"The Parameters value " + valueName + L" is of type " +
                                               RegistryTypeName(type) +
                                               L"; it must be a string (REG_SZ or REG_EXPAND_SZ)."};
}

}  // namespace qeltor::service
