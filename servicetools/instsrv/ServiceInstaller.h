#pragma once

#include <string>

// Creating and removing a service through the service manager. Each prints its one-line result
// and returns the process exit code.
namespace qeltor::service {

int InstallService(const std::wstring& name, const std::wstring& program);
int RemoveService(const std::wstring& name);
// Removes the service only when it runs `program`; a missing service, or one that runs another
// program, is left as it is and is no failure.
// Removal returns 3010 where the service goes only at the next restart of Windows: it was marked
// for deletion already, or did not stop in time.
int RemoveServiceIfItRuns(const std::wstring& name, const std::wstring& program);
// Around the package's replacing of the files: stops the service when it runs `program` and is
// running, noting so in its key; starts it again only where that note is. Neither touches
// another program's service.
int StopForSetup(const std::wstring& name, const std::wstring& program);
int StartAfterSetup(const std::wstring& name, const std::wstring& program);
// A removal of the service for a program keeps its key aside (the package deletes it once the
// removal is over): the package's rollback of the removal puts the service back for `program` as
// it was, values, start type and state.
int RestoreRemovedService(const std::wstring& name, const std::wstring& program);

}  // namespace qeltor::service
