#include "servicetools/instsrv/SystemReason.h"

#include "servicetools/instsrv/Messages.h"
#include "win32/ErrorText.h"

namespace qeltor::service {

std::wstring SystemReason(DWORD error, std::wstring_view subject) {
    using messages::Id;
    using messages::Render;
    // Each %N given as itself keeps the inserts for ErrorText to fill.
    const win32::ErrorWords words{Render(Id::UnknownError), Render(Id::TheFile),
                                  Render(Id::SystemReason, {L"%1", L"%2"})};
    return win32::ErrorText(error, subject, words);
}

}  // namespace qeltor::service
