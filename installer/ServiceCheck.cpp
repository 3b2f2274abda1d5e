#include "installer/ServiceCheck.h"

#include <algorithm>

namespace qeltor {
namespace {

wchar_t Folded(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

std::wstring WithoutQuotes(const std::wstring& text) {
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

}  // namespace

bool RunsProgram(const std::wstring& stored, const std::wstring& program) {
    const std::wstring path = WithoutQuotes(stored);
    return std::ranges::equal(path, program, [](wchar_t a, wchar_t b) { return Folded(a) == Folded(b); });
}

ServiceState JudgeService(OsStatus queried, const ServiceConfig& config, const std::wstring& program) {
    if (queried == kOsServiceDoesNotExist) {
        return ServiceState::Missing;
    }
    if (queried != kOsSuccess) {
        return ServiceState::Unknown;
    }
    if (!RunsProgram(config.programPath, program)) {
        return ServiceState::RunsAnotherProgram;
    }
    return config.startType == kServiceAutoStart ? ServiceState::Ready : ServiceState::NotAutomatic;
}

}  // namespace qeltor
