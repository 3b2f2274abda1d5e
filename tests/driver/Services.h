#pragma once

// The service manager as the tests ask it, and the event log the services write to.
#include <windows.h>

#include <optional>
#include <string>

#include "Waiting.h"
#include "win32/Handles.h"

namespace qeltor::driver {

std::optional<SERVICE_STATUS> QueryStatus(const std::wstring& service);
bool WaitForState(const std::wstring& service, DWORD state, DWORD patienceMs = kPatienceMs);
bool ServiceExists(const std::wstring& service);
DWORD StartNamedService(const std::wstring& service);
DWORD ControlNamedService(const std::wstring& service, DWORD control);
// Stops and deletes the service if it is there, whatever state it is in.
void DeleteServiceIfPresent(const std::wstring& service);

struct ServiceConfig {
    DWORD type = 0;
    DWORD startType = 0;
    std::wstring program;  // the image path as stored
    std::wstring displayName;
};
std::optional<ServiceConfig> QueryConfig(const std::wstring& service);
// How long a shutdown of Windows waits for the service's stop, as the service manager keeps it.
std::optional<DWORD> QueryPreshutdownTimeout(const std::wstring& service);
bool SetPreshutdownTimeout(const std::wstring& service, DWORD timeoutMs);

// An automatic own-process service for `imagePath`, as another program would create it; the
// error when it could not.
DWORD CreateAutoService(const std::wstring& service, const std::wstring& imagePath);
DWORD CreateOwnService(const std::wstring& service, const std::wstring& imagePath, DWORD startType);

// Deletes the service while a handle to it stays open, as an open Services console does: it is
// marked for deletion until the handle returned is closed. Null when that could not be done.
win32::UniqueServiceHandle HoldAndDelete(const std::wstring& service);

// Whether the Application event log holds an error from `source` whose text contains `fragment`;
// nullopt when the log cannot be read at all (Wine keeps none).
std::optional<bool> ErrorLogged(const std::wstring& source, const std::wstring& fragment);

}  // namespace qeltor::driver
