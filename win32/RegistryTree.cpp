#include "win32/RegistryTree.h"

#include "core/FunctionRef.h"
#include "win32/Handles.h"
#include "win32/Narrow.h"
#include "win32/RegistryKey.h"

#include <sddl.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace qeltor::win32 {
namespace {

// What a walk does at each key: `relative` is its path below the walk's top ("" for the top, else
// starting with a backslash).
using KeyVisit = FunctionRef<DWORD(const std::wstring& relative, HKEY key)>;

// Windows keeps a tree to 512 levels.
constexpr std::size_t kDeepestLevel = 512;

std::wstring Below(const std::wstring& top, const std::wstring& relative) {
    return top + relative;
}

// Beside the key it is meant for, so under the same parent and with the same permissions.
std::wstring StagedKey(const std::wstring& toKey) {
    return toKey + L" (being copied by QeltorService)";
}

// Whether the key, opened as itself, is a link to another key.
bool IsLink(HKEY key) {
    DWORD type = REG_NONE;
    return ::RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

DWORD SubkeyNames(HKEY key, std::vector<std::wstring>& names) {
    DWORD count = 0;
    DWORD longest = 0;
    auto status = static_cast<DWORD>(::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &longest, nullptr,
                                                        nullptr, nullptr, nullptr, nullptr, nullptr));
    std::vector<wchar_t> name(longest + 1);
    for (DWORD i = 0; status == ERROR_SUCCESS && i < count; ++i) {
        auto length = DwordOf(name.size());
        status = static_cast<DWORD>(::RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr));
        if (status == ERROR_SUCCESS) {
            names.emplace_back(name.data(), length);
        }
    }
    return status == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : status;
}

// Opens `root\top` and every key below it with `access`, one after the other, and visits each.
// Stops at the first key that cannot be opened, listed or visited, that is a link, or that lies
// deeper than Windows lets a tree go, and names it.
DWORD WalkTree(HKEY root, const std::wstring& top, REGSAM access, const KeyVisit& visit, std::wstring& failedKey) {
    std::vector<std::wstring> pending{L""};
    while (!pending.empty()) {
        const std::wstring relative = std::move(pending.back());
        pending.pop_back();
        UniqueRegKey key;
        DWORD status = static_cast<std::size_t>(std::ranges::count(relative, L'\\')) > kDeepestLevel
                           ? kTreeTooDeep
                           : OpenRegistryKey(root, Below(top, relative), access, key, REG_OPTION_OPEN_LINK);
        std::vector<std::wstring> names;
        if (status == ERROR_SUCCESS && IsLink(key.get())) {
            status = kRegistryLinkMet;
        }
        if (status == ERROR_SUCCESS) {
            status = visit(relative, key.get());
        }
        if (status == ERROR_SUCCESS) {
            status = SubkeyNames(key.get(), names);
        }
        if (status != ERROR_SUCCESS) {
            failedKey = relative;
            return status;
        }
        for (const auto& name : names) {
            pending.push_back(relative + L'\\' + name);
        }
    }
    return ERROR_SUCCESS;
}

// Each value of `from`, stored under `to` as it is.
DWORD CopyValues(HKEY from, HKEY to) {
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD largest = 0;
    auto status = static_cast<DWORD>(::RegQueryInfoKeyW(from, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                        &count, &longestName, &largest, nullptr, nullptr));
    std::vector<wchar_t> name(longestName + 1);
    std::vector<BYTE> data(largest);
    for (DWORD i = 0; status == ERROR_SUCCESS && i < count; ++i) {
        auto nameLength = DwordOf(name.size());
        auto size = DwordOf(data.size());
        DWORD type = 0;
        status =
            static_cast<DWORD>(::RegEnumValueW(from, i, name.data(), &nameLength, nullptr, &type, data.data(), &size));
        if (status == ERROR_SUCCESS) {
            status = static_cast<DWORD>(::RegSetValueExW(to, name.data(), 0, type, data.data(), size));
        }
    }
    return status == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : status;
}

// Copies the tree at `fromRoot\fromKey` into `toRoot\toKey`, key by key.
DWORD CopyInto(HKEY fromRoot, const std::wstring& fromKey, HKEY toRoot, const std::wstring& toKey,
               std::wstring& failedKey) {
    return WalkTree(
        fromRoot, fromKey, KEY_READ,
        [&](const std::wstring& relative, HKEY from) {
            UniqueRegKey to;
            const DWORD status = CreateRegistryKey(toRoot, Below(toKey, relative), KEY_SET_VALUE, to);
            return status == ERROR_SUCCESS ? CopyValues(from, to.get()) : status;
        },
        failedKey);
}

// Whether every key of `toRoot\toKey` that the copy of `staged` would write to lets us write.
DWORD CheckWritable(HKEY toRoot, const std::wstring& staged, const std::wstring& toKey, std::wstring& failedKey) {
    return WalkTree(
        toRoot, staged, KEY_READ,
        [&](const std::wstring& relative, HKEY /*key*/) {
            UniqueRegKey key;
            const DWORD status =
                OpenRegistryKey(toRoot, Below(toKey, relative), KEY_SET_VALUE | KEY_CREATE_SUB_KEY, key);
            return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;  // created below a writable one
        },
        failedKey);
}

// Owned by Administrators, full control for the system and Administrators, nothing for anyone else,
// on the key and the keys below it, and nothing inherited from the key above: the settings may hold
// a password.
constexpr wchar_t kPrivateKey[] = L"O:BAD:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)";

// Creates `root\path` with the private permissions when it is not there; a key that is there
// keeps its own. The keys above it are created as usual, inheriting from theirs.
DWORD CreatePrivateKey(HKEY root, const std::wstring& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(kPrivateKey, SDDL_REVISION_1, &descriptor, nullptr) ==
        FALSE) {
        return ::GetLastError();
    }
    const UniqueLocalMemory<void> descriptorOwner(descriptor);
    const auto last = path.rfind(L'\\');
    UniqueRegKey parent;
    DWORD status = last == std::wstring::npos
                       ? ERROR_BAD_PATHNAME
                       : CreateRegistryKey(root, path.substr(0, last), KEY_CREATE_SUB_KEY, parent);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    // Windows gives a key created so these permissions; Wine ignores them there, so a key just
    // created gets them set as well.
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    HKEY created = nullptr;
    DWORD disposition = 0;
    status = static_cast<DWORD>(::RegCreateKeyExW(parent.get(), path.substr(last + 1).c_str(), 0, nullptr, 0,
                                                  KEY_QUERY_VALUE, &attributes, &created, &disposition));
    const UniqueRegKey createdOwner(status == ERROR_SUCCESS ? created : nullptr);
    if (status != ERROR_SUCCESS || disposition != REG_CREATED_NEW_KEY) {
        return status;
    }
    UniqueRegKey key;
    status = OpenRegistryKey(root, path, WRITE_DAC | WRITE_OWNER, key);
    constexpr SECURITY_INFORMATION kParts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    return status == ERROR_SUCCESS ? static_cast<DWORD>(::RegSetKeySecurity(key.get(), kParts, descriptor)) : status;
}

}  // namespace

DWORD CopyRegistryTreeWhole(HKEY fromRoot, const std::wstring& fromKey, HKEY toRoot, const std::wstring& toKey,
                            TreeCopyFailure& failure) {
    const std::wstring staged = StagedKey(toKey);
    ::RegDeleteTreeW(toRoot, staged.c_str());  // what an interrupted earlier copy left
    std::wstring failedKey;
    DWORD status = CreatePrivateKey(toRoot, staged);
    if (status != ERROR_SUCCESS) {
        failure = {false, L""};
    } else if ((status = CopyInto(fromRoot, fromKey, toRoot, staged, failedKey)) != ERROR_SUCCESS) {
        failure = {true, failedKey};
    } else if ((status = CheckWritable(toRoot, staged, toKey, failedKey)) != ERROR_SUCCESS ||
               (status = CreatePrivateKey(toRoot, toKey)) != ERROR_SUCCESS ||
               (status = CopyInto(toRoot, staged, toRoot, toKey, failedKey)) != ERROR_SUCCESS) {
        failure = {false, failedKey};
    }
    ::RegDeleteTreeW(toRoot, staged.c_str());
    return status;
}

void DiscardStagedCopy(HKEY toRoot, const std::wstring& toKey) {
    ::RegDeleteTreeW(toRoot, StagedKey(toKey).c_str());
}

}  // namespace qeltor::win32
