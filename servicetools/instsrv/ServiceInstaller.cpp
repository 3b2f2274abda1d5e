#include "servicetools/instsrv/ServiceInstaller.h"

#include <windows.h>

#include <chrono>
#include <thread>

#include "servicetools/common/Console.h"
#include "servicetools/common/ServiceHandles.h"
#include "servicetools/common/SystemError.h"
#include "servicetools/instsrv/Arguments.h"

namespace qeltor::service {
namespace {

constexpr int kFailed = 1;
constexpr auto kStopPatience = std::chrono::seconds(30);
constexpr auto kStopPoll = std::chrono::milliseconds(100);

int Fail(const std::wstring& what, DWORD error) {
    PrintErrorLine(what + L": " + ErrorText(error));
    return kFailed;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

// The service manager runs the image path from its own folder, so a relative path would not do.
std::wstring FullPath(const std::wstring& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return path;
    }
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(length < size ? length : 0);
    return full.empty() ? path : full;
}

DWORD CurrentState(SC_HANDLE service) {
    SERVICE_STATUS status{};
    if (::QueryServiceStatus(service, &status) == FALSE) {
        return 0;
    }
    return status.dwCurrentState;
}

bool StopAndWait(SC_HANDLE service) {
    if (CurrentState(service) == SERVICE_STOPPED) {
        return true;
    }
    SERVICE_STATUS status{};
    ::ControlService(service, SERVICE_CONTROL_STOP, &status);
    const auto deadline = std::chrono::steady_clock::now() + kStopPatience;
    while (CurrentState(service) != SERVICE_STOPPED) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kStopPoll);
    }
    return true;
}

}  // namespace

int InstallService(const std::wstring& name, const std::wstring& program) {
    const UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager) {
        return Fail(L"Cannot open the service manager", ::GetLastError());
    }
    const std::wstring imagePath = QuotedImagePath(FullPath(program));
    const UniqueServiceHandle service(::CreateServiceW(
        manager.get(), name.c_str(), name.c_str(), SERVICE_QUERY_STATUS, SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
        SERVICE_ERROR_NORMAL, imagePath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SERVICE_EXISTS) {
            PrintErrorLine(L"The service " + Quoted(name) + L" exists already; it was left unchanged.");
            return kFailed;
        }
        return Fail(L"Cannot create the service " + Quoted(name), error);
    }
    PrintLine(L"The service " + Quoted(name) + L" was created to run " + imagePath + L".");
    return 0;
}

int RemoveService(const std::wstring& name) {
    const UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        return Fail(L"Cannot open the service manager", ::GetLastError());
    }
    const UniqueServiceHandle service(
        ::OpenServiceW(manager.get(), name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!service) {
        return Fail(L"Cannot open the service " + Quoted(name), ::GetLastError());
    }
    // A running service would only be marked for deletion; stop it first so that it really goes.
    if (!StopAndWait(service.get())) {
        PrintErrorLine(L"The service " + Quoted(name) + L" did not stop in time; it was not removed.");
        return kFailed;
    }
    if (::DeleteService(service.get()) == FALSE) {
        return Fail(L"Cannot remove the service " + Quoted(name), ::GetLastError());
    }
    PrintLine(L"The service " + Quoted(name) + L" was removed.");
    return 0;
}

}  // namespace qeltor::service
