#include "win32/ServiceConfig.h"

#include "win32/GrowingBuffer.h"

namespace qeltor::win32 {
namespace {

struct SettingQuery {
    SC_HANDLE service;
    DWORD level;
};

DWORD ConfigOnce(const void* service, void* data, DWORD room, DWORD& size) {
    return WholeAnswer(::QueryServiceConfigW(*static_cast<const SC_HANDLE*>(service),
                                             static_cast<QUERY_SERVICE_CONFIGW*>(data), room, &size),
                       room, size);
}

DWORD SettingOnce(const void* context, void* data, DWORD room, DWORD& size) {
    const auto& query = *static_cast<const SettingQuery*>(context);
    return WholeAnswer(::QueryServiceConfig2W(query.service, query.level, static_cast<BYTE*>(data), room, &size), room,
                       size);
}

}  // namespace

// Longer than a std::string holds within itself, the buffers come from the heap, aligned for any
// structure.
DWORD ReadServiceConfig(SC_HANDLE service, std::wstring& commandLine, DWORD& startType) {
    std::string bytes;
    const DWORD status = FillGrowing(bytes, sizeof(QUERY_SERVICE_CONFIGW), ConfigOnce, &service);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const auto* config = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(bytes.data());
    commandLine = std::wstring(config->lpBinaryPathName != nullptr ? config->lpBinaryPathName : L"");
    startType = config->dwStartType;
    return ERROR_SUCCESS;
}

DWORD ReadServiceSetting(SC_HANDLE service, DWORD level, std::size_t structureSize, std::string& bytes) {
    const SettingQuery query{service, level};
    return FillGrowing(bytes, structureSize, SettingOnce, &query);
}

DWORD ReadPreshutdownTimeout(SC_HANDLE service, DWORD& timeoutMs) {
    SERVICE_PRESHUTDOWN_INFO stored{};
    DWORD needed = 0;
    if (::QueryServiceConfig2W(service, SERVICE_CONFIG_PRESHUTDOWN_INFO, reinterpret_cast<BYTE*>(&stored),
                               sizeof(stored), &needed) == FALSE) {
        return ::GetLastError();
    }
    timeoutMs = stored.dwPreshutdownTimeout;
    return ERROR_SUCCESS;
}

}  // namespace qeltor::win32
