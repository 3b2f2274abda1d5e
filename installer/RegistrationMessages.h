#pragma once

#include "installer/ParameterWrites.h"
#include "platform/Platform.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the registration tells the user when it cannot finish: what failed, the system's
// reason where there is one, and what to do next.
namespace qeltor::messages {

std::wstring Unrepresentable(const std::wstring& path);
std::wstring NotAFullPath(const std::wstring& path);
std::wstring NotAProgram(const std::wstring& path, const std::wstring& reason);
std::wstring PathTooLong(const std::wstring& path, std::size_t limit);
std::wstring SixtyFourBitOnThirtyTwo(const std::wstring& path, const std::wstring& reason);
std::wstring CannotReadValues(const std::wstring& reason);
// `what` names the file or folder for the user; `kind` says why the service would not reach it.
std::wstring OnDriveTheServiceLacks(const std::wstring& what, const std::wstring& path, wchar_t drive, DriveKind kind,
                                    bool isKitFolder);
// `failedKey`, when known, is the key of the server's settings that could not be copied.
std::wstring SettingsNotCopied(const std::wstring& reason, const std::wstring& failedKey);

std::wstring CannotStart(const std::wstring& program, const std::wstring& reason);
std::wstring CannotCreateKey(const std::wstring& reason);
std::wstring CannotWriteValue(const std::wstring& name, const std::wstring& reason);

std::wstring InstsrvStillRunning(std::uint32_t seconds);
std::wstring NotCreated(std::uint32_t exitCode);
std::wstring RunsAnotherProgram(const std::wstring& program, const std::wstring& programFolder);
std::wstring NotAutomatic(std::uint32_t startType);
std::wstring MarkedForDeletion();
std::wstring UnquotedPath(const std::wstring& stored, const std::wstring& program);
// The service is gone although instsrv.exe created it, or it was there before the click.
std::wstring RemovedMeanwhile(bool createdByInstsrv);
std::wstring CannotQuery(const std::wstring& reason);
// The service is ours, but the values this click meant to leave are not there as it left them.
std::wstring ValuesChangedMeanwhile(const std::vector<ValueFound>& wrong);
std::wstring CannotReadValuesBack(const std::wstring& reason);
// There was no service before the click, and another program created one meanwhile; `written` is
// what became of the values this click wrote into it.
std::wstring CreatedByAnotherProgram(const std::wstring& program, const std::wstring& programFolder,
                                     const std::wstring& written);

// Added to the success message: the administrator's own values that the click kept.
std::wstring ValuesKept(const std::vector<ValueFound>& kept);

// What became of what this run wrote, added to the message of a failed run.
std::wstring WrittenValuesRemoved();
std::wstring WrittenValuesLeft(const std::wstring& reason);
std::wstring CreatedServiceRemoved();
std::wstring CreatedServiceLeft(const std::wstring& reason, const std::wstring& programFolder);
std::wstring CreatedServiceUnknown(std::uint32_t seconds, const std::wstring& programFolder);
std::wstring EarlierValuesPutBack();
std::wstring EarlierValuesNotPutBack(const std::wstring& reason);
// The written values that were left as they are, since something else changed them after the click
// wrote them; nothing when there are none.
std::wstring ChangedValuesLeft(const std::vector<std::wstring>& names);
// What this click wrote into another program's service, and whether it could be taken back
// (`failure` is the system's reason when it could not).
std::wstring WrittenIntoAnotherProgramsService(const std::vector<std::wstring>& names,
                                               const std::vector<std::wstring>& changed, const std::wstring& failure);

}  // namespace qeltor::messages

namespace qeltor::permissions {
struct Changer;
}  // namespace qeltor::permissions

namespace qeltor::messages {

// What the service runs as the system can be changed by `changer`, or who can change it is not known.
std::wstring ChangeableByUsers(const std::wstring& path, const permissions::Changer& changer, bool isFolder);
std::wstring PermissionsUnreadable(const std::wstring& path, const std::wstring& reason);

}  // namespace qeltor::messages
