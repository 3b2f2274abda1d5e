#include "installer/RegistrationLock.h"

#include "core/Decimal.h"
#include "installer/InstallerTexts.h"
#include "installer/ServiceRegistration.h"

namespace qeltor {

std::optional<messages::Message> TakeRegistrationLock(Platform& platform, Form& form,
                                                      std::unique_ptr<MachineLock>& lock) {
    const OsStatus opened = platform.OpenRegistrationLock(lock);
    if (opened != kOsSuccess) {
        return messages::Message{messages::Id::CannotTellOtherRegistration, {platform.ErrorText(opened)}};
    }
    if (!form.WaitForSignal(lock->FreeSignal(), kInstsrvPatienceMs)) {
        return messages::Message{messages::Id::AnotherRegistrationRunning, {DecimalText(kInstsrvPatienceMs / 1000)}};
    }
    return std::nullopt;
}

void DiscardUnfinishedSettingsCopy(Platform& platform) {
    std::unique_ptr<MachineLock> lock;
    // A look, not a wait: nothing to answer meanwhile, and no message is handled before the window shows.
    if (platform.OpenRegistrationLock(lock) == kOsSuccess && platform.WaitForObject(lock->FreeSignal(), 0)) {
        platform.DiscardUnfinishedCopy(kHkeyUsers, texts::kServiceSettingsTree);
    }
}

}  // namespace qeltor
