#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/AccessRights.h"

// Whether accounts that are no administrators can change a file or folder that a service runs as
// the system, and the commands that leave it to administrators. Plain C++: the installer refuses
// such a service, instsrv.exe warns; each words it in its own message.
namespace qeltor::permissions {

inline constexpr const wchar_t* kSystemSid = L"S-1-5-18";
inline constexpr const wchar_t* kAdministratorsSid = L"S-1-5-32-544";
inline constexpr const wchar_t* kTrustedInstallerSid =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
inline constexpr const wchar_t* kEveryoneSid = L"S-1-1-0";
inline constexpr const wchar_t* kOwnerRightsSid = L"S-1-3-4";

// The accounts that may change what a service runs: the system, Administrators, TrustedInstaller
// and the account that runs this program, which must be an administrator to register a service.
class Administrators {
public:
    explicit Administrators(std::wstring currentUser) : currentUser_(std::move(currentUser)) {}
    [[nodiscard]] bool Include(const std::wstring& sid) const;

private:
    std::wstring currentUser_;
};

// What is judged: what the service runs (a program, a file beside it, the folder that holds them),
// where every change counts; or a folder further up, which matters only as far as what it holds
// can be renamed or its permissions taken; or a link on the way (a junction, a symbolic link, a
// mount point), which matters as far as it can be deleted, pointed elsewhere or taken.
enum class Role : std::uint8_t { Runs, Above, Link };

enum class Way : std::uint8_t {
    Writes,           // a file: write or append
    AddsToFolder,     // a folder: add a file or subfolder
    DeletesWhatIsIn,  // a folder: delete what is in it, so rename what it holds
    Deletes,          // delete or rename it
    ChangesPermissions,
    TakesOwnership,
    Repoints,       // a link: point it elsewhere
    Owns,           // its owner, who may always change its permissions
    NoPermissions,  // no access list at all
};

// An account that is no administrator and can change the object, and the first way it can.
struct Changer {
    std::wstring sid;
    Way way;
};

// The first account that is no administrator and can change the object in a way that matters for
// `role`, or nothing. Deny entries narrow only the account they name; allow entries of any kind
// count as granting what they say; an OWNER RIGHTS entry replaces the owner's implied rights.
std::optional<Changer> FindChanger(const ObjectSecurity& object, Role role, const Administrators& administrators);

// Every account that is no administrator and holds an allow entry with any right that matters for
// `role`, once each, in the order of the entries: what the advice removes. An entry whose SID could
// not be read is given as the empty text.
std::vector<std::wstring> Changers(const ObjectSecurity& object, Role role, const Administrators& administrators);

// The accounts that are no administrators and may read the values of the registry key `key`: by
// an allow entry that lets them query values or change its permissions or owner, or as its owner.
std::vector<std::wstring> KeyReaders(const ObjectSecurity& key, const Administrators& administrators);

// Whether neither Administrators nor the account that runs this program own the object or may
// change its permissions: they must take ownership before icacls can change it.
bool AdministratorsLockedOut(const ObjectSecurity& object, const Administrators& administrators);

// The commands, one per line, that leave `path` to administrators in every language of Windows
// (accounts by their SIDs) and that run as written in cmd.exe and in PowerShell: with
// `takeOwnership`, takeown first gives it to Administrators; Administrators become the owner, the
// entries of `changers` go (all explicit ones are reset when one of them could not be read),
// inheritance is broken, and administrators and the system get full control, users read and run;
// for a folder, what it holds as well. Never for a drive's root, where /T would reach the whole
// drive: the caller advises a move there.
std::wstring FixCommands(const std::wstring& path, bool isFolder, const std::vector<std::wstring>& changers,
                         bool takeOwnership = false);

}  // namespace qeltor::permissions
