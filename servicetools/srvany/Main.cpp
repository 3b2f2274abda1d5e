#include <windows.h>

#include "servicetools/common/Console.h"
#include "servicetools/srvany/ServiceHost.h"
#include "win32/ErrorText.h"

namespace {

constexpr int kNotAService = 2;

int ShowUsage() {
    using qeltor::service::PrintErrorLine;
    PrintErrorLine(L"srvany is a service program: the service manager starts it, not a user.");
    PrintErrorLine(L"It runs the program named by the string values under");
    PrintErrorLine(L"  HKLM\\SYSTEM\\CurrentControlSet\\Services\\<service name>\\Parameters");
    PrintErrorLine(L"  Application    full path of the program (required)");
    PrintErrorLine(L"  AppDirectory   folder to run it in (default: the program's folder)");
    PrintErrorLine(L"  AppParameters  its command-line arguments");
    PrintErrorLine(L"Create the service with: instsrv <service name> <full path of srvany.exe>");
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
    qeltor::service::PrintErrorLine(L"Cannot reach the service manager: " + qeltor::win32::ErrorText(error));
    return 1;
}
