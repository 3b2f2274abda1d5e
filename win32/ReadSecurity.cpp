#include "win32/ReadSecurity.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "win32/GrowingBuffer.h"
#include "win32/Handles.h"
#include "win32/Narrow.h"

namespace qeltor::win32 {
namespace {

// An allow, a deny and a callback allow entry share one layout: header, mask, SID. The object
// kinds put flags after the mask, then the GUIDs the flags name, then the SID.
constexpr std::size_t kMaskEnd = offsetof(ACCESS_ALLOWED_ACE, Mask) + sizeof(ACCESS_MASK);
constexpr std::size_t kPlainSid = offsetof(ACCESS_ALLOWED_ACE, SidStart);
constexpr std::size_t kObjectFlagsEnd = offsetof(ACCESS_ALLOWED_OBJECT_ACE, ObjectType);
static_assert(offsetof(ACCESS_DENIED_ACE, SidStart) == kPlainSid);
static_assert(offsetof(ACCESS_ALLOWED_CALLBACK_ACE, SidStart) == kPlainSid);
static_assert(offsetof(ACCESS_ALLOWED_OBJECT_ACE, Mask) == offsetof(ACCESS_ALLOWED_ACE, Mask));
static_assert(offsetof(ACCESS_ALLOWED_CALLBACK_OBJECT_ACE, Flags) == offsetof(ACCESS_ALLOWED_OBJECT_ACE, Flags));
static_assert(offsetof(ACCESS_ALLOWED_CALLBACK_OBJECT_ACE, ObjectType) == kObjectFlagsEnd);

// A SID's revision, count and authority come before its subauthorities.
constexpr std::size_t kSidFixedPart = offsetof(SID, SubAuthority);

// What an entry too short to hold a mask is counted as allowing.
constexpr std::uint32_t kEveryRight = ~std::uint32_t{0};

enum class Kind : std::uint8_t { Allows, ObjectAllows, Denies, LeftOut };

// A deny entry may only narrow what is allowed: the kinds not read are left out, which can only
// make the judgement stricter. Kinds Windows may add later count as allowing what they say.
Kind KindOf(BYTE type) {
    switch (type) {
        case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
            return Kind::ObjectAllows;
        case ACCESS_DENIED_ACE_TYPE:
            return Kind::Denies;
        case ACCESS_DENIED_OBJECT_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
            return Kind::LeftOut;
        default:
            return Kind::Allows;
    }
}

DWORD SidText(PSID sid, std::wstring& text) {
    wchar_t* converted = nullptr;
    if (::ConvertSidToStringSidW(sid, &converted) == FALSE) {
        return ::GetLastError();
    }
    const UniqueLocalMemory<wchar_t> owner(converted);
    text = converted;
    return ERROR_SUCCESS;
}

// The SID `offset` bytes into the entry, as text; empty unless it lies wholly within the entry's
// AceSize and is one.
std::wstring SidAt(ACE_HEADER* entry, std::size_t offset) {
    const std::size_t size = entry->AceSize;
    if (offset + kSidFixedPart > size) {
        return {};
    }
    auto* sid = reinterpret_cast<SID*>(reinterpret_cast<BYTE*>(entry) + offset);
    if (offset + kSidFixedPart + sid->SubAuthorityCount * sizeof(DWORD) > size || ::IsValidSid(sid) == FALSE) {
        return {};
    }
    std::wstring text;
    SidText(sid, text);
    return text;
}

// Where an object entry's SID starts: after whichever GUIDs its flags say are there. An entry too
// short for the flags has room for no SID: its size is where the SID would start.
std::size_t ObjectSidOffset(ACE_HEADER* entry) {
    if (entry->AceSize < kObjectFlagsEnd) {
        return entry->AceSize;
    }
    const DWORD flags = reinterpret_cast<ACCESS_ALLOWED_OBJECT_ACE*>(entry)->Flags;
    std::size_t offset = kObjectFlagsEnd;
    if ((flags & ACE_OBJECT_TYPE_PRESENT) != 0) {
        offset += sizeof(GUID);
    }
    if ((flags & ACE_INHERITED_OBJECT_TYPE_PRESENT) != 0) {
        offset += sizeof(GUID);
    }
    return offset;
}

// One entry as the checks read it, or nothing for one left out. An inherit-only entry applies
// only to what is created inside a folder later. A deny entry that names no readable SID narrows
// no one's rights.
std::optional<AccessEntry> EntryOf(ACE_HEADER* entry) {
    const Kind kind = KindOf(entry->AceType);
    if ((entry->AceFlags & INHERIT_ONLY_ACE) != 0 || kind == Kind::LeftOut) {
        return std::nullopt;
    }
    AccessEntry read;
    read.allows = kind != Kind::Denies;
    read.inherited = (entry->AceFlags & INHERITED_ACE) != 0;
    if (entry->AceSize < kMaskEnd) {
        read.mask = kEveryRight;
        return read.allows ? std::optional(read) : std::nullopt;
    }
    read.mask = reinterpret_cast<ACCESS_ALLOWED_ACE*>(entry)->Mask;
    read.sid = SidAt(entry, kind == Kind::ObjectAllows ? ObjectSidOffset(entry) : kPlainSid);
    if (!read.allows && read.sid.empty()) {
        return std::nullopt;
    }
    return read;
}

DWORD ReadEntries(ACL* dacl, std::vector<AccessEntry>& entries) {
    entries.clear();
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        if (::GetAce(dacl, index, &entry) == FALSE) {
            return ::GetLastError();
        }
        if (std::optional<AccessEntry> read = EntryOf(static_cast<ACE_HEADER*>(entry))) {
            entries.push_back(std::move(*read));
        }
    }
    return ERROR_SUCCESS;
}

struct AccountLookup {
    PSID sid;
    std::wstring* domain;
};

// The name's buffer grows in FillGrowing, the domain's here, each to the size Windows asks for;
// both end at their NUL. Without room, each buffer is null, which asks for the sizes; given an
// empty buffer that is not null, Wine answers success with no name.
DWORD LookUpOnce(const void* context, void* data, DWORD room, DWORD& size) {
    const auto& lookup = *static_cast<const AccountLookup*>(context);
    std::wstring& domain = *lookup.domain;
    DWORD domainSize = DwordOf(domain.size());
    SID_NAME_USE use{};
    size = room;
    wchar_t* const domainData = domain.empty() ? nullptr : domain.data();
    if (::LookupAccountSidW(nullptr, lookup.sid, static_cast<wchar_t*>(data), &size, domainData, &domainSize, &use) ==
        FALSE) {
        const DWORD error = ::GetLastError();
        domain.resize(std::max<std::size_t>(domainSize, domain.size()));
        return error;
    }
    size = DwordOf(std::wstring_view(static_cast<const wchar_t*>(data)).size());
    domain.resize(std::min(domain.find(L'\0'), domain.size()));
    return ERROR_SUCCESS;
}

// The account of a SID and its domain, in buffers of the sizes Windows asks for.
DWORD LookUpName(PSID sid, std::wstring& name, std::wstring& domain) {
    domain.clear();
    const AccountLookup lookup{sid, &domain};
    return FillGrowing(name, 0, LookUpOnce, &lookup);
}

// "\\?\C:\x" is "C:\x" and "\\?\UNC\server\share\x" is "\\server\share\x"; any other form (a
// volume without a letter) stays as Windows gave it.
std::wstring WithoutLongPrefix(const std::wstring& path) {
    constexpr std::wstring_view kUnc = L"\\\\?\\UNC\\";
    constexpr std::wstring_view kLong = L"\\\\?\\";
    if (path.starts_with(kUnc)) {
        return L"\\\\" + path.substr(kUnc.size());
    }
    if (path.starts_with(kLong) && path.size() >= kLong.size() + 2 && path[kLong.size() + 1] == L':') {
        return path.substr(kLong.size());
    }
    return path;
}

// Success gives the length without the terminator; a buffer too small, the size it needs.
DWORD FinalPathOnce(const void* file, void* data, DWORD room, DWORD& size) {
    return LengthAnswer(::GetFinalPathNameByHandleW(*static_cast<const HANDLE*>(file), static_cast<wchar_t*>(data),
                                                    room, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS),
                        room, size);
}

DWORD FinalPathOf(HANDLE file, std::wstring& path) {
    return FillGrowing(path, MAX_PATH, FinalPathOnce, &file);
}

}  // namespace

namespace {

// The owner and entries a descriptor's parts hold, as the checks read them.
DWORD Fill(PSID owner, ACL* dacl, ObjectSecurity& read) {
    read.nullDacl = dacl == nullptr;
    read.owner.clear();
    read.entries.clear();
    if (owner != nullptr) {
        const DWORD converted = SidText(owner, read.owner);
        if (converted != ERROR_SUCCESS) {
            return converted;
        }
    }
    return dacl == nullptr ? ERROR_SUCCESS : ReadEntries(dacl, read.entries);
}

}  // namespace

// Wine's GetEffectiveRightsFromAclW is a stub that fails, and Windows' fails on an inherited deny
// entry and looks up group members: the entries are read as stored and judged in core/. The
// attributes are those of `path` itself, so a link says it is one.
DWORD ReadSecurity(const std::wstring& path, ObjectSecurity& read) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return ::GetLastError();
    }
    PSID owner = nullptr;
    ACL* dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status =
        ::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &owner, nullptr, &dacl, nullptr, &descriptor);
    const UniqueLocalMemory<void> descriptorOwner(descriptor);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    read.isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    read.isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return Fill(owner, dacl, read);
}

namespace {

// The owner and access entries of an object opened with READ_CONTROL.
DWORD ReadOpenedSecurity(HANDLE object, SE_OBJECT_TYPE type, ObjectSecurity& read) {
    PSID owner = nullptr;
    ACL* dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = ::GetSecurityInfo(object, type, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                           nullptr, &dacl, nullptr, &descriptor);
    const UniqueLocalMemory<void> descriptorOwner(descriptor);
    return status == ERROR_SUCCESS ? Fill(owner, dacl, read) : status;
}

}  // namespace

// GetNamedSecurityInfoW follows a link; a handle opened on the reparse point itself does not.
DWORD ReadLinkSecurity(const std::wstring& path, ObjectSecurity& read) {
    const UniqueFileHandle link(
        ::CreateFileW(path.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!link) {
        return ::GetLastError();
    }
    read.isLink = true;
    return ReadOpenedSecurity(link.get(), SE_FILE_OBJECT, read);
}

DWORD ReadKeySecurity(HKEY root, const std::wstring& path, ObjectSecurity& read) {
    HKEY opened = nullptr;
    const auto status = static_cast<DWORD>(::RegOpenKeyExW(root, path.c_str(), 0, READ_CONTROL, &opened));
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const UniqueRegKey key(opened);
    read.isFolder = true;
    read.isLink = false;
    return ReadOpenedSecurity(key.get(), SE_REGISTRY_KEY, read);
}

std::wstring AccountName(const std::wstring& sid) {
    PSID binary = nullptr;
    if (sid.empty() || ::ConvertStringSidToSidW(sid.c_str(), &binary) == FALSE) {
        return sid;
    }
    const UniqueLocalMemory<void> binaryOwner(binary);
    std::wstring name;
    std::wstring domain;
    if (LookUpName(binary, name, domain) != ERROR_SUCCESS) {
        return sid;
    }
    return domain.empty() ? name : domain + L'\\' + name;
}

namespace {

// Longer than a std::string holds within itself, the buffer comes from the heap, aligned for the
// TOKEN_USER at its start.
DWORD TokenUserOnce(const void* token, void* data, DWORD room, DWORD& size) {
    return WholeAnswer(::GetTokenInformation(*static_cast<const HANDLE*>(token), TokenUser, data, room, &size), room,
                       size);
}

}  // namespace

std::wstring CurrentUserSid() {
    HANDLE token = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token) == FALSE) {
        return {};
    }
    const UniqueHandle tokenOwner(token);
    std::string buffer;
    if (FillGrowing(buffer, 0, TokenUserOnce, &token) != ERROR_SUCCESS || buffer.size() < sizeof(TOKEN_USER)) {
        return {};
    }
    std::wstring text;
    SidText(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, text);
    return text;
}

// A folder that holds nothing, not even "." (a drive's root), ends the search at once with
// ERROR_FILE_NOT_FOUND.
DWORD ListFolder(const std::wstring& path, std::size_t limit, std::vector<std::wstring>& names) {
    names.clear();
    std::wstring pattern = path;
    if (!pattern.ends_with(L'\\')) {
        pattern += L'\\';
    }
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    }
    do {
        const std::wstring_view name(static_cast<const wchar_t*>(found.cFileName));
        if (name != L"." && name != L"..") {
            names.emplace_back(name);
            if (names.size() > limit) {
                return ERROR_SUCCESS;
            }
        }
    } while (::FindNextFileW(search.get(), &found) != FALSE);
    const DWORD error = ::GetLastError();
    return error == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : error;
}

// No access is asked for: the handle is only named, and a folder opens only with backup
// semantics.
DWORD FinalPath(const std::wstring& path, std::wstring& final) {
    const UniqueFileHandle file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        return ::GetLastError();
    }
    std::wstring found;
    const DWORD status = FinalPathOf(file.get(), found);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    final = WithoutLongPrefix(found);
    if (path.ends_with(L'\\') && !final.ends_with(L'\\')) {
        final += L'\\';
    }
    return ERROR_SUCCESS;
}

}  // namespace qeltor::win32
