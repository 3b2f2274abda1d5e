#include "core/CommandLine.h"

#include <algorithm>

namespace qeltor {
namespace {

wchar_t Folded(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

}  // namespace

std::wstring Quoted(const std::wstring& text) {
    return L'"' + text + L'"';
}

bool IsQuoted(const std::wstring& text) {
    return text.size() >= 2 && text.front() == L'"' && text.back() == L'"';
}

std::wstring WithoutQuotes(const std::wstring& text) {
    return IsQuoted(text) ? text.substr(1, text.size() - 2) : text;
}

std::wstring ProgramOf(const std::wstring& commandLine) {
    if (commandLine.starts_with(L'"')) {
        return commandLine.substr(1, commandLine.find(L'"', 1) - 1);
    }
    return commandLine.substr(0, commandLine.find(L' '));
}

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return std::ranges::equal(a, b, [](wchar_t x, wchar_t y) { return Folded(x) == Folded(y); });
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return EqualIgnoringCase(a, b);
}

bool IsAmbiguous(const std::wstring& stored) {
    return !IsQuoted(stored) && stored.find(L' ') != std::wstring::npos;
}

bool RunsProgram(const std::wstring& stored, const std::wstring& program) {
    return !IsAmbiguous(stored) && SamePath(WithoutQuotes(stored), program);
}

}  // namespace qeltor
