#pragma once

// Starting the programs under test, running a console tool to read what it prints, and reading
// the files a stand-in writes.
#include <windows.h>

#include <filesystem>
#include <string>

#include "win32/Handles.h"
#include "win32/Utf8.h"

namespace qeltor::driver {

struct Started {
    win32::UniqueHandle process;  // null when it could not start
    DWORD id = 0;
    DWORD error = 0;  // why it could not start
};

// Starts `exe` in its own folder with the command line "<exe>" `arguments`. With `output`, its
// standard output and error go there, and a console program gets no console of its own.
Started Start(const std::filesystem::path& exe, const std::wstring& arguments = {}, HANDLE output = nullptr);

struct ToolRun {
    DWORD exitCode = 0;
    std::string output;  // standard output and error, as written
};

// Runs a console tool to its end.
ToolRun RunTool(const std::filesystem::path& program, const std::wstring& arguments);

// The whole of a file; empty when there is none.
std::string ReadText(const std::filesystem::path& file);

// "<pid> <beat>" as a stand-in server last wrote it to its heartbeat file; zeros while there is none.
struct Beat {
    DWORD processId = 0;
    int count = 0;
};
Beat ReadBeat(const std::filesystem::path& heartbeat);
// The first beat seen within the patience; zeros when there was none. The file is emptied before
// each beat is written, so only the reading that saw the beat can be trusted for its process id.
Beat FirstBeat(const std::filesystem::path& heartbeat);

// For printing what a program showed or stored.
using win32::Utf8;

}  // namespace qeltor::driver
