#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace qeltor::win32 {

// The command line the service manager runs for `service`, as stored, and its start type; the
// handle needs SERVICE_QUERY_CONFIG. ERROR_SUCCESS, or the service manager's error.
DWORD ReadServiceConfig(SC_HANDLE service, std::wstring& commandLine, DWORD& startType);

// The service's optional setting `level` (SERVICE_CONFIG_...) as QueryServiceConfig2W fills it:
// its structure, of `structureSize` bytes, at the start of `bytes`, which hold at least that many.
// ERROR_SUCCESS, or the service manager's error.
DWORD ReadServiceSetting(SC_HANDLE service, DWORD level, std::size_t structureSize, std::string& bytes);

// How long a shutdown of Windows waits for the service's stop, as the service manager keeps it.
// ERROR_SUCCESS, or why it cannot be read.
DWORD ReadPreshutdownTimeout(SC_HANDLE service, DWORD& timeoutMs);

}  // namespace qeltor::win32
