#pragma once

#include "core/SystemNumbers.h"

namespace qeltor::service {

// The texts srvany shows besides its events, by their IDs in its message table
// (EventMessages.mc), where their words are; checked against the table's header in
// MessageText.cpp. Why it cannot start the application goes into an event; the last two are
// printed on its console.
enum class Reason : Dword {
    ApplicationNotSet = 101,
    ApplicationQuoted,            // %1 the path
    ApplicationNotFullPath,       // %1 the path
    DirectoryNotFullPath,         // %1 the folder
    EnvironmentLineWithoutValue,  // %1 the line
    ValueNotText,                 // %1 the value, %2 its type
    EnvironmentNotLines,          // %1 its type
    // %1 the value, the key or the variable, then the system's reason.
    CannotExpandValue,
    CannotReadValue,
    CannotOpenParameters,
    NoFolder,       // %1 the folder
    FolderIsAFile,  // %1 the folder
    CannotSetVariable,
    CannotCreateJob,  // %1 the system's reason
    CannotStart,      // %1 the command line, %2 the folder, %3 the system's reason
    CannotJoinJob,    // %1 the system's reason
    NoStopEvent,      // %1 the system's reason
    Usage,
    NoServiceManager,  // %1 the system's reason
    // The words around the system's text, where it has none, what an insert in it names where
    // nothing is named, and the text with its code (%1 the text, %2 the code).
    UnknownError,
    TheFile,
    SystemReason,
};

}  // namespace qeltor::service
