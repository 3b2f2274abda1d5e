#include "Services.h"

#include <cstring>
#include <vector>

#include "win32/Handles.h"

namespace qeltor::driver {
namespace {

using win32::UniqueServiceHandle;

// One connection for the whole run, so that GetLastError after OpenServiceW stays its own.
SC_HANDLE Manager() {
    static const UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    return manager.get();
}

UniqueServiceHandle OpenNamed(const std::wstring& service, DWORD access) {
    return UniqueServiceHandle(::OpenServiceW(Manager(), service.c_str(), access));
}

DWORD Succeeded(BOOL done) {
    return done != FALSE ? ERROR_SUCCESS : ::GetLastError();
}

}  // namespace

std::optional<SERVICE_STATUS> QueryStatus(const std::wstring& service) {
    const UniqueServiceHandle handle = OpenNamed(service, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (!handle || ::QueryServiceStatus(handle.get(), &status) == FALSE) {
        return std::nullopt;
    }
    return status;
}

bool WaitForState(const std::wstring& service, DWORD state, DWORD patienceMs) {
    return WaitUntil(
        [&] {
            const auto status = QueryStatus(service);
            return status && status->dwCurrentState == state;
        },
        patienceMs);
}

bool ServiceExists(const std::wstring& service) {
    return static_cast<bool>(OpenNamed(service, SERVICE_QUERY_STATUS)) ||
           ::GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST;
}

DWORD StartNamedService(const std::wstring& service) {
    const UniqueServiceHandle handle = OpenNamed(service, SERVICE_START);
    return handle ? Succeeded(::StartServiceW(handle.get(), 0, nullptr)) : ::GetLastError();
}

DWORD ControlNamedService(const std::wstring& service, DWORD control) {
    const UniqueServiceHandle handle = OpenNamed(service, SERVICE_STOP | SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    return handle ? Succeeded(::ControlService(handle.get(), control, &status)) : ::GetLastError();
}

void DeleteServiceIfPresent(const std::wstring& service) {
    const UniqueServiceHandle handle = OpenNamed(service, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
    if (!handle) {
        return;
    }
    SERVICE_STATUS status{};
    ::ControlService(handle.get(), SERVICE_CONTROL_STOP, &status);
    WaitForState(service, SERVICE_STOPPED);
    ::DeleteService(handle.get());
}

std::optional<ServiceConfig> QueryConfig(const std::wstring& service) {
    const UniqueServiceHandle handle = OpenNamed(service, SERVICE_QUERY_CONFIG);
    std::vector<BYTE> buffer(8192);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    DWORD needed = 0;
    if (!handle || ::QueryServiceConfigW(handle.get(), config, static_cast<DWORD>(buffer.size()), &needed) == FALSE) {
        return std::nullopt;
    }
    return ServiceConfig{config->dwServiceType, config->dwStartType, config->lpBinaryPathName, config->lpDisplayName};
}

std::optional<DWORD> QueryPreshutdownTimeout(const std::wstring& service) {
    const UniqueServiceHandle handle = OpenNamed(service, SERVICE_QUERY_CONFIG);
    SERVICE_PRESHUTDOWN_INFO info{};
    DWORD needed = 0;
    if (!handle || ::QueryServiceConfig2W(handle.get(), SERVICE_CONFIG_PRESHUTDOWN_INFO, reinterpret_cast<BYTE*>(&info),
                                          sizeof(info), &needed) == FALSE) {
        return std::nullopt;
    }
    return info.dwPreshutdownTimeout;
}

bool SetPreshutdownTimeout(const std::wstring& service, DWORD timeoutMs) {
    const UniqueServiceHandle handle = OpenNamed(service, SERVICE_CHANGE_CONFIG);
    SERVICE_PRESHUTDOWN_INFO info{timeoutMs};
    return handle && ::ChangeServiceConfig2W(handle.get(), SERVICE_CONFIG_PRESHUTDOWN_INFO, &info) != FALSE;
}

DWORD CreateAutoService(const std::wstring& service, const std::wstring& imagePath) {
    return CreateOwnService(service, imagePath, SERVICE_AUTO_START);
}

DWORD CreateOwnService(const std::wstring& service, const std::wstring& imagePath, DWORD startType) {
    const UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    const UniqueServiceHandle created(::CreateServiceW(
        manager.get(), service.c_str(), service.c_str(), SERVICE_QUERY_STATUS, SERVICE_WIN32_OWN_PROCESS, startType,
        SERVICE_ERROR_NORMAL, imagePath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    return created ? ERROR_SUCCESS : ::GetLastError();
}

UniqueServiceHandle HoldAndDelete(const std::wstring& service) {
    const UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    UniqueServiceHandle held(::OpenServiceW(manager.get(), service.c_str(), SERVICE_QUERY_STATUS));
    const UniqueServiceHandle deleting(::OpenServiceW(manager.get(), service.c_str(), DELETE));
    if (!held || !deleting || ::DeleteService(deleting.get()) == FALSE) {
        return nullptr;
    }
    return held;
}

namespace {

// A record's source name follows its fixed part; its strings start at StringOffset.
bool Matches(const BYTE* record, const std::wstring& source, const std::wstring& fragment) {
    EVENTLOGRECORD header{};
    std::memcpy(&header, record, sizeof(header));
    const auto* sourceName = reinterpret_cast<const wchar_t*>(record + sizeof(EVENTLOGRECORD));
    const auto* text = reinterpret_cast<const wchar_t*>(record + header.StringOffset);
    return header.EventType == EVENTLOG_ERROR_TYPE && source == sourceName && header.NumStrings > 0 &&
           std::wstring(text).find(fragment) != std::wstring::npos;
}

std::optional<bool> FindError(HANDLE log, const std::wstring& source, const std::wstring& fragment) {
    DWORD records = 0;
    if (::GetNumberOfEventLogRecords(log, &records) == FALSE || records == 0) {
        return std::nullopt;
    }
    std::vector<BYTE> buffer(0x10000);
    DWORD read = 0;
    DWORD needed = 0;
    const DWORD flags = EVENTLOG_BACKWARDS_READ | EVENTLOG_SEQUENTIAL_READ;
    while (::ReadEventLogW(log, flags, 0, buffer.data(), static_cast<DWORD>(buffer.size()), &read, &needed) != FALSE) {
        for (DWORD offset = 0; offset < read;) {
            const BYTE* record = buffer.data() + offset;
            if (Matches(record, source, fragment)) {
                return true;
            }
            DWORD length = 0;
            std::memcpy(&length, record, sizeof(length));
            offset += length == 0 ? read : length;
        }
    }
    return false;
}

}  // namespace

std::optional<bool> ErrorLogged(const std::wstring& source, const std::wstring& fragment) {
    const win32::UniqueEventLog log(::OpenEventLogW(nullptr, L"Application"));
    if (!log) {
        return std::nullopt;
    }
    return FindError(log.get(), source, fragment);
}

}  // namespace qeltor::driver
