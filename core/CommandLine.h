#pragma once

#include <string>

// Paths inside command lines: how the kit quotes them, and how it reads back what a service
// manager or a caller holds.
namespace qeltor {

// `text` between double quotes, as is.
std::wstring Quoted(const std::wstring& text);

// Whether `text` starts and ends with a double quote.
bool IsQuoted(const std::wstring& text);

// What is inside the quotes around `text`, or `text` when it is not quoted.
std::wstring WithoutQuotes(const std::wstring& text);

// The program a command line names: its first token, quoted or not.
std::wstring ProgramOf(const std::wstring& commandLine);

// Whether two texts are the same with the letters A to Z in either case.
bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b);

// Whether two paths name the same file as Windows compares them: letters in either case.
bool SamePath(const std::wstring& a, const std::wstring& b);

// An unquoted path with a space: C:\Program Files\Kit\srvany.exe is started as C:\Program.exe
// when that exists.
bool IsAmbiguous(const std::wstring& stored);

// Whether the command line a service manager holds runs exactly `program`, compared as Windows
// compares paths, the quotes around the path ignored. An ambiguous path never does.
bool RunsProgram(const std::wstring& stored, const std::wstring& program);

// The same, judged by the files themselves: `finalPath(path, final)` tells where a path really
// lies (GetFinalPathNameByHandleW: the long names as the disk spells them, links followed) and
// false where the file cannot be opened. An 8.3 name, a name in another case (any letter), or
// another path to the same file runs the same program; only where either file cannot be opened
// are the paths compared as text. The click, instsrv.exe's remove and the package's removal all
// judge by this.
template <typename FinalPath>
bool RunsSameProgram(const std::wstring& stored, const std::wstring& program, FinalPath finalPath) {
    if (IsAmbiguous(stored)) {
        return false;
    }
    const std::wstring path = WithoutQuotes(stored);
    std::wstring storedFinal;
    std::wstring programFinal;
    if (finalPath(path, storedFinal) && finalPath(program, programFinal)) {
        return SamePath(storedFinal, programFinal);
    }
    return SamePath(path, program);
}

}  // namespace qeltor
