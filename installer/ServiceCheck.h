#pragma once

#include "platform/Platform.h"

#include <string>

namespace qeltor {

// Where the service stands, before the click changes anything and once instsrv.exe has ended.
enum class ServiceState {
    Ready,               // ours, and it starts with Windows
    Missing,             // the service manager has no such service
    RunsAnotherProgram,  // it exists, for some other program
    NotAutomatic,        // ours, but disabled or started by hand only
    MarkedForDeletion,   // deleted, and gone as soon as nobody holds it open any more
    UnquotedPath,        // ours by its path, but unquoted with a space, which Windows may read otherwise
    Unknown,             // the service manager could not tell
};

// `queried` and `config` as the service manager answered; `program` is this folder's srvany.exe.
ServiceState JudgeService(OsStatus queried, const ServiceConfig& config, const std::wstring& program);

// Whether the command line the service manager holds runs exactly `program`, compared as Windows
// compares paths: letters in either case, the quotes around the path ignored. An unquoted path
// with a space never does: Windows tries its first word as a program first.
bool RunsProgram(const std::wstring& stored, const std::wstring& program);

// Whether two paths name the same file as Windows compares them: letters in either case.
bool SamePath(const std::wstring& a, const std::wstring& b);

}  // namespace qeltor
