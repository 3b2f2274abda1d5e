#pragma once

#include <string>

// The service's name as a source of the Application event log, with srvany.exe as the file that
// holds the texts of its events, so that Event Viewer can show them.
namespace qeltor::service {

// Registers srvany.exe from instsrv.exe's own folder. A failure is said on one line and is no
// failure of the whole: the service runs without it.
void RegisterServiceEventSource(const std::wstring& name);
// Deletes the registration, if there is one; a failure is said on one line.
void RemoveServiceEventSource(const std::wstring& name);

}  // namespace qeltor::service
