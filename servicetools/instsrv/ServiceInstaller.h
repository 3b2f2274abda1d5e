#pragma once

#include <string>

// Creating and removing a service through the service manager. Each prints its one-line result
// and returns the process exit code.
namespace qeltor::service {

int InstallService(const std::wstring& name, const std::wstring& program);
int RemoveService(const std::wstring& name);
// Removes the service only when it runs `program`; a missing service, or one that runs another
// program, is left as it is and is no failure.
int RemoveServiceIfItRuns(const std::wstring& name, const std::wstring& program);

}  // namespace qeltor::service
