#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// Owners for the service manager and event log handles, next to the plain ones in platform/.
namespace qeltor::service {

struct ServiceHandleCloser {
    void operator()(SC_HANDLE handle) const noexcept { ::CloseServiceHandle(handle); }
};
using UniqueServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceHandleCloser>;

struct EventSourceDeregisterer {
    void operator()(HANDLE source) const noexcept { ::DeregisterEventSource(source); }
};
using UniqueEventSource = std::unique_ptr<void, EventSourceDeregisterer>;

}  // namespace qeltor::service
