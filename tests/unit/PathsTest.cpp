// How core/Paths and core/CommandLine read a path, as the click, instsrv.exe and srvany.exe rely on.
#include <gtest/gtest.h>

#include "core/CommandLine.h"
#include "core/Paths.h"

namespace qeltor {
namespace {

struct PathRow {  // NOLINT(clang-analyzer-optin.performance.Padding): fields in the order a row reads
    const wchar_t* path;
    bool fullyQualified;
    bool rootPrefix;
    bool rootFolder;
    const wchar_t* folder;  // up to its last separator of either kind
    const wchar_t* above;   // the folder above that one; empty at a root or without a folder
    const wchar_t* names;   // what it names, the long-path form read
    const wchar_t* program;
    bool quoted;
};

// The columns: path, fully qualified, root prefix, root folder, folder, above, names, program, quoted.
constexpr PathRow kRows[] = {
    {L"C:\\S\\M.exe", true, true, false, L"C:\\S\\", L"C:\\", L"C:\\S\\M.exe", L"C:\\S\\M.exe", false},
    {L"c:\\S\\", true, true, false, L"c:\\S\\", L"c:\\", L"c:\\S\\", L"c:\\S\\", false},
    {L"C:\\", true, true, true, L"C:\\", L"", L"C:\\", L"C:\\", false},
    {L"C:/S/M.exe", true, true, false, L"C:/S/", L"C:/", L"C:/S/M.exe", L"C:/S/M.exe", false},
    {L"C:M.exe", false, false, false, L"", L"", L"C:M.exe", L"C:M.exe", false},
    {L"\\S\\M.exe", false, false, false, L"\\S\\", L"\\", L"\\S\\M.exe", L"\\S\\M.exe", false},
    {L"..\\S\\M.exe", false, false, false, L"..\\S\\", L"..\\", L"..\\S\\M.exe", L"..\\S\\M.exe", false},
    {L"\\\\h\\s\\M.exe", true, true, false, L"\\\\h\\s\\", L"", L"\\\\h\\s\\M.exe", L"\\\\h\\s\\M.exe", false},
    {L"\\\\h\\s\\", true, true, true, L"\\\\h\\s\\", L"", L"\\\\h\\s\\", L"\\\\h\\s\\", false},
    {L"\\\\h\\s", false, true, false, L"\\\\h\\", L"\\\\", L"\\\\h\\s", L"\\\\h\\s", false},
    {L"\\\\?\\C:\\S\\M.exe", true, true, false, L"\\\\?\\C:\\S\\", L"\\\\?\\C:\\", L"C:\\S\\M.exe",
     L"\\\\?\\C:\\S\\M.exe", false},
    {L"\\\\?\\UNC\\h\\s\\M.exe", true, true, false, L"\\\\?\\UNC\\h\\s\\", L"\\\\?\\UNC\\h\\", L"\\\\h\\s\\M.exe",
     L"\\\\?\\UNC\\h\\s\\M.exe", false},
    {L"\\\\.\\pipe\\p", false, true, false, L"\\\\.\\pipe\\", L"\\\\.\\", L"\\\\.\\pipe\\p", L"\\\\.\\pipe\\p", false},
    {L"C:\\A B\\M.exe", true, true, false, L"C:\\A B\\", L"C:\\", L"C:\\A B\\M.exe", L"C:\\A", false},
    {L"\"C:\\A B\\M.exe\"", false, false, false, L"\"C:\\A B\\", L"\"C:\\", L"\"C:\\A B\\M.exe\"", L"C:\\A B\\M.exe",
     true},
    {L"\"C:\\S\\M.exe\" -x", false, false, false, L"\"C:\\S\\", L"\"C:\\", L"\"C:\\S\\M.exe\" -x", L"C:\\S\\M.exe",
     false},
    {L"\"\"", false, false, false, L"", L"", L"\"\"", L"", true},
    {L"\"", false, false, false, L"", L"", L"\"", L"", false},
    {L"", false, false, false, L"", L"", L"", L"", false},
};

TEST(Paths, EachRowReadsAsEveryProgramReliesOn) {
    for (const PathRow& row : kRows) {
        SCOPED_TRACE(::testing::Message() << "path: " << row.path);
        EXPECT_EQ(IsFullyQualified(row.path), row.fullyQualified);
        EXPECT_EQ(HasRootPrefix(row.path), row.rootPrefix);
        EXPECT_EQ(IsRootFolder(row.path), row.rootFolder);
        EXPECT_EQ(UpToLastSeparator(row.path), row.folder);
        EXPECT_EQ(FolderAbove(row.folder).value_or(L""), row.above);
        EXPECT_EQ(WhatItNames(row.path), row.names);
        EXPECT_EQ(ProgramOf(row.path), row.program);
        EXPECT_EQ(IsQuoted(row.path), row.quoted);
        EXPECT_EQ(WithoutQuotes(row.path), row.quoted ? row.program : row.path);  // a quoted path is its program
    }
}

}  // namespace
}  // namespace qeltor
