#pragma once

#include "installer/InstallerPaths.h"
#include "installer/Messages.h"
#include "platform/Platform.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The service's Parameters values: converted before anything is written, written in order, and
// taken back again when the click fails.
namespace qeltor {

// Application, AppDirectory and AppParameters.
inline constexpr std::size_t kParameterCount = 3;

struct RegistryValue {
    const wchar_t* name = nullptr;
    std::string nameBytes;
    std::string data;
    std::uint32_t byteCount = 0;
    // What the key is meant to hold once the click is over: what it writes, as the registry keeps
    // it, or the administrator's own value that it keeps.
    StoredValue meant;
    bool kept = false;
};

// Everything the registry writes need, already in the ANSI code page, so that nothing is
// started or written when some text cannot be written faithfully.
struct AnsiParameters {
    std::string keyPath;
    std::array<RegistryValue, kParameterCount> values;
    // An administrator's REG_EXPAND_SZ Application that the service would expand to another path,
    // and which the click replaces: what the success message adds about it.
    std::optional<messages::Message> replaced;
};

// Fills `parameters` with the converted values; or gives the refusal that names the text that cannot be.
std::optional<messages::Message> ConvertParameters(Platform& platform, const InstallerPaths& paths,
                                                   AnsiParameters& parameters);

// The values a click overwrites, as they were before it.
struct EarlierParameters {
    bool keyExisted = false;
    StoredValues values;
};

// kOsSuccess with `earlier` filled, or why the values could not be read.
OsStatus ReadEarlierParameters(Platform& platform, EarlierParameters& earlier);

// Marks the values an administrator set by hand as kept: an Application of REG_EXPAND_SZ that
// expands to the server's path in the system's environment, as the service sees it, and an AppDirectory or
// AppParameters that holds anything but what a click writes (the folder of the Application that is there, or this
// click's; the empty text).
void KeepAdministratorsValues(Platform& platform, AnsiParameters& parameters, const EarlierParameters& earlier,
                              const InstallerPaths& paths);

// How far the writes got: the values stored, and why the next could not be, if one could not.
struct WriteOutcome {
    std::array<bool, kParameterCount> written{};
    std::optional<messages::Message> failure;
};

// Creates the key and writes the values that are not kept, in order; the key is closed again
// either way.
WriteOutcome WriteParameters(Platform& platform, const AnsiParameters& parameters);

// A value that is not as the click meant to leave it: missing, or holding something else.
struct ValueFound {
    const wchar_t* name = nullptr;
    std::optional<StoredValue> found;
};

// Reads the values back: those that are not as meant, or why they could not be read.
OsStatus FindValuesNotAsMeant(Platform& platform, const AnsiParameters& parameters, std::vector<ValueFound>& wrong);

// Takes away the Parameters key this run wrote, and the service's own key when the service is
// not ours to keep and the key holds nothing else. What became of them, for the user.
messages::Messages RemoveWrittenValues(Platform& platform, bool serviceKeyIsOurs);

// After a failed click over a service that was there before: the values it wrote go back to what
// they were, type and bytes, or away when they were not there; a key this run created goes when it
// is empty. A value that something else changed since it was written is left as it is. What became
// of them, for the user.
messages::Messages PutBackEarlierValues(Platform& platform, const AnsiParameters& parameters,
                                        const EarlierParameters& earlier, const WriteOutcome& written);

// After another program created the service while the click ran: the values the click wrote go
// where they still hold what it wrote. What it wrote and what became of it, for the user.
messages::Messages TakeBackFromAnotherProgramsService(Platform& platform, const AnsiParameters& parameters,
                                                      const EarlierParameters& earlier, const WriteOutcome& written);

}  // namespace qeltor
