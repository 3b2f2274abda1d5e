#include "window/ErrorWords.h"

#include "installer/Messages.h"

namespace qeltor {

win32::ErrorWords ErrorWordsOfTable() {
    using messages::Id;
    return {messages::Text(Id::UnknownError), messages::Text(Id::TheFile), messages::Text(Id::SystemReason)};
}

}  // namespace qeltor
