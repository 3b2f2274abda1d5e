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
ServiceState JudgeService(Platform& platform, OsStatus queried, const ServiceConfig& config,
                          const std::wstring& program);

// Whether the command line `stored` runs `program`, the same file by where each really lies.
bool RunsOurProgram(Platform& platform, const std::wstring& stored, const std::wstring& program);

}  // namespace qeltor
