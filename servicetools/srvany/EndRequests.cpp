#include "servicetools/srvany/EndRequests.h"

#include <algorithm>
#include <utility>

#include "core/Lists.h"

namespace qeltor::service {

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

bool SignalConsole(const ConsoleAttendance& console, Dword host, bool insist) {
    bool anyone = false;
    for (const Dword process : console.attached) {
        if (process == host || Contains(console.askedOnConsole, process)) {
            continue;
        }
        if (Contains(console.toAsk, process)) {
            anyone = true;
        } else if (!insist || !Contains(console.askedByWindow, process)) {
            return false;
        }
    }
    return anyone;
}

ConsoleAsks AskOnConsole(const std::vector<TopLevelWindow>& windows, const std::vector<Dword>& toAsk,
                         ConsoleEvent sent) {
    ConsoleAsks asks;
    for (const Dword process : toAsk) {
        const std::vector<WindowHandle> hidden =
            sent == ConsoleEvent::None ? WindowsToClose(windows, process, false) : std::vector<WindowHandle>{};
        if (sent != ConsoleEvent::None) {
            asks.byEvent.push_back(process);
        } else if (!hidden.empty()) {
            asks.toClose.insert(asks.toClose.end(), hidden.begin(), hidden.end());
            asks.byWindow.push_back(process);
        }
    }
    return asks;
}

void FirstSeen::Note(const std::vector<Dword>& ids, Qword now) {
    std::vector<std::pair<Dword, Qword>> seen;
    seen.reserve(ids.size());
    for (const Dword id : ids) {
        const auto known =
            std::find_if(seen_.begin(), seen_.end(), [&](const auto& entry) { return entry.first == id; });
        seen.emplace_back(id, known != seen_.end() ? known->second : now);
    }
    seen_ = std::move(seen);
}

bool FirstSeen::Settled(Dword id, Qword now, bool insist) const {
    const auto known = std::find_if(seen_.begin(), seen_.end(), [&](const auto& entry) { return entry.first == id; });
    if (known == seen_.end()) {
        return insist;
    }
    return insist || (now >= known->second && now - known->second >= kSettleMs);
}

bool IsConsoleHost(std::wstring_view image) {
    constexpr std::wstring_view kHost = L"\\conhost.exe";
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    return image.size() >= kHost.size() && std::equal(kHost.begin(), kHost.end(), image.end() - kHost.size(),
                                                      [&](wchar_t a, wchar_t b) { return a == lower(b); });
}

}  // namespace qeltor::service
