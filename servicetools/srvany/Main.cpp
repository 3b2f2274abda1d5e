#include <windows.h>

#include "servicetools/common/Console.h"
#include "servicetools/srvany/MessageText.h"
#include "servicetools/srvany/ServiceHost.h"

namespace {

constexpr int kNotAService = 2;

int ShowUsage() {
    qeltor::service::PrintErrorLine(qeltor::service::MessageText(qeltor::service::Reason::Usage));
    return kNotAService;
}

}  // namespace

int wmain() {
    // Own-process service: the dispatcher hands whatever name it was started as to ServiceMain.
    wchar_t anyName[] = L"";
    const SERVICE_TABLE_ENTRYW table[] = {{anyName, qeltor::service::HostServiceMain}, {nullptr, nullptr}};
    if (::StartServiceCtrlDispatcherW(table) != FALSE) {
        return 0;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
        return ShowUsage();
    }
    qeltor::service::PrintErrorLine(qeltor::service::MessageText(qeltor::service::Reason::NoServiceManager,
                                                                 {qeltor::service::SystemReason(error)}));
    return 1;
}
