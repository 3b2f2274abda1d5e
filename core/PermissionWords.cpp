#include "core/PermissionRules.h"

// instsrv.exe's words for what an account may do, in a file of their own so that a program that
// says them through a table of its own does not carry them.
namespace qeltor::permissions {

const wchar_t* Describe(Way way) {
    switch (way) {
        case Way::Writes:
            return L"can write to it";
        case Way::AddsToFolder:
            return L"can add files and folders to it";
        case Way::DeletesWhatIsIn:
            return L"can delete what is in it";
        case Way::Deletes:
            return L"can delete it";
        case Way::ChangesPermissions:
            return L"can change its permissions";
        case Way::TakesOwnership:
            return L"can take ownership of it";
        case Way::Repoints:
            return L"can point it elsewhere";
        case Way::Owns:
            return L"owns it, so it can always change its permissions";
        case Way::NoPermissions:
            break;
    }
    return L"can change it, since it has no permissions at all (as on a drive formatted FAT32 or exFAT)";
}

}  // namespace qeltor::permissions
