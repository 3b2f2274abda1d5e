#include "servicetools/srvany/EndRequests.h"

#include <algorithm>

namespace qeltor::service {
namespace {

bool Contains(const std::vector<Dword>& ids, Dword id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

std::vector<WindowHandle> WindowsToClose(const std::vector<TopLevelWindow>& windows, Dword processId, bool hasConsole) {
    std::vector<WindowHandle> shown;
    const TopLevelWindow* hidden = nullptr;
    for (const TopLevelWindow& window : windows) {
        if (window.processId != processId || window.system) {
            continue;
        }
        if (window.visible && !(window.owned && window.ownerVisible)) {
            shown.push_back(window.handle);
        } else if (!window.visible && !window.owned && hidden == nullptr) {
            hidden = &window;
        }
    }
    if (shown.empty() && hidden != nullptr && !hasConsole) {
        shown.push_back(hidden->handle);
    }
    return shown;
}

std::vector<Dword> ConsoleGroupsToSignal(const ConsoleAttendance& console, Dword host, Dword application, bool insist) {
    bool anyone = false;
    for (const Dword process : console.attached) {
        if (process == host || Contains(console.askedOnConsole, process)) {
            continue;
        }
        if (Contains(console.toAsk, process)) {
            anyone = true;
        } else if (!insist || !Contains(console.askedByWindow, process)) {
            return {};
        }
    }
    return anyone ? std::vector<Dword>{application} : std::vector<Dword>{};
}

bool IsConsoleHost(std::wstring_view image) {
    constexpr std::wstring_view kHost = L"\\conhost.exe";
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    return image.size() >= kHost.size() && std::equal(kHost.begin(), kHost.end(), image.end() - kHost.size(),
                                                      [&](wchar_t a, wchar_t b) { return a == lower(b); });
}

}  // namespace qeltor::service
