#pragma once

#include "installer/InstallerPaths.h"
#include "platform/Platform.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The service's Parameters values: converted before anything is written, written in order, and
// taken back again when the click fails.
namespace qeltor {

// Application, AppDirectory and AppParameters.
inline constexpr std::size_t kParameterCount = 3;

struct RegistryValue {
    const wchar_t* name;
    std::string nameBytes;
    std::string data;
    std::uint32_t byteCount;
};

// Everything the registry writes need, already in the ANSI code page, so that nothing is
// started or written when some text cannot be written faithfully.
struct AnsiParameters {
    std::string keyPath;
    std::array<RegistryValue, kParameterCount> values;
};

// The converted values, or nothing after telling the user which text cannot be.
std::optional<AnsiParameters> ConvertParameters(Platform& platform, const InstallerPaths& paths);

// How far the writes got: the values stored, and why the next could not be, if one could not.
struct WriteOutcome {
    std::size_t written = 0;
    std::optional<std::wstring> failure;
};

// Creates the key and writes the values in order; the key is closed again either way.
WriteOutcome WriteParameters(Platform& platform, const AnsiParameters& parameters);

// The values a click overwrites, as they were before it.
struct EarlierParameters {
    bool keyExisted = false;
    StoredValues values;
};

// kOsSuccess with `earlier` filled, or why the values could not be read.
OsStatus ReadEarlierParameters(Platform& platform, EarlierParameters& earlier);

// Takes away the Parameters key this run wrote, and the service's own key when the service is
// not ours to keep and the key holds nothing else. What became of them, for the user.
std::wstring RemoveWrittenValues(Platform& platform, bool serviceKeyIsOurs);

// After a failed click over a service that was there before: the first `written` values go back
// to what they were, type and bytes, or away when they were not there; a key this run created goes.
// What became of them, for the user.
std::wstring PutBackEarlierValues(Platform& platform, const EarlierParameters& earlier, std::size_t written);

}  // namespace qeltor
