#pragma once

#include <string>

// The service's name as a source of the Application event log, with srvany.exe as the file that
// holds the texts of its events, so that Event Viewer can show them. A source of that name that
// names another file belongs to another program and is never changed.
namespace qeltor::service {

// Registers `messageFile`, srvany.exe from instsrv.exe's own folder when empty, unless a source of
// that name names another file. A failure or a source left alone is said on one line and is no failure of the whole:
// the service runs without it.
void RegisterServiceEventSource(const std::wstring& name, const std::wstring& messageFile = {});
// Whether the registration is there and names the srvany.exe beside instsrv.exe.
bool ServiceEventSourceIsCurrent(const std::wstring& name);
// Deletes the registration when its message file is `program`, or the one this instsrv.exe
// registers (compared as Windows compares paths); another program's source is left, silently, as
// it was found.
void RemoveServiceEventSource(const std::wstring& name, const std::wstring& program);

}  // namespace qeltor::service
