#include "installer/ServiceCheck.h"

#include <algorithm>

namespace qeltor {
namespace {

wchar_t Folded(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool IsQuoted(const std::wstring& text) {
    return text.size() >= 2 && text.front() == L'"' && text.back() == L'"';
}

std::wstring WithoutQuotes(const std::wstring& text) {
    return IsQuoted(text) ? text.substr(1, text.size() - 2) : text;
}

// C:\Program Files\Kit\srvany.exe unquoted is started as C:\Program.exe when that exists.
bool IsAmbiguous(const std::wstring& stored) {
    return !IsQuoted(stored) && stored.find(L' ') != std::wstring::npos;
}

}  // namespace

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return std::ranges::equal(a, b, [](wchar_t x, wchar_t y) { return Folded(x) == Folded(y); });
}

bool RunsProgram(const std::wstring& stored, const std::wstring& program) {
    return !IsAmbiguous(stored) && SamePath(WithoutQuotes(stored), program);
}

ServiceState JudgeService(OsStatus queried, const ServiceConfig& config, const std::wstring& program) {
    if (queried == kOsServiceDoesNotExist) {
        return ServiceState::Missing;
    }
    if (queried != kOsSuccess) {
        return ServiceState::Unknown;
    }
    // Checked first: Windows reports such a service as disabled, and no setting of it lasts.
    if (config.markedForDeletion) {
        return ServiceState::MarkedForDeletion;
    }
    if (IsAmbiguous(config.programPath) && SamePath(config.programPath, program)) {
        return ServiceState::UnquotedPath;
    }
    if (!RunsProgram(config.programPath, program)) {
        return ServiceState::RunsAnotherProgram;
    }
    return config.startType == kServiceAutoStart ? ServiceState::Ready : ServiceState::NotAutomatic;
}

}  // namespace qeltor
