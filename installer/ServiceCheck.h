#pragma once

#include "platform/Platform.h"

#include <string>

namespace qeltor {

// Where the service stands once instsrv.exe has ended.
enum class ServiceState {
    Ready,               // ours, and it starts with Windows
    Missing,             // the service manager has no such service
    RunsAnotherProgram,  // it exists, for some other program
    NotAutomatic,        // ours, but disabled or started by hand only
    Unknown,             // the service manager could not tell
};

// `queried` and `config` as the service manager answered; `program` is this folder's srvany.exe.
ServiceState JudgeService(OsStatus queried, const ServiceConfig& config, const std::wstring& program);

// Whether the command line the service manager holds runs exactly `program`, compared as Windows
// compares paths: letters in either case, the quotes around the path ignored.
bool RunsProgram(const std::wstring& stored, const std::wstring& program);

}  // namespace qeltor
