#pragma once

#include "platform/Platform.h"

#include <optional>
#include <string>

// Text values of the registry as the W functions read them back: UTF-16LE bytes, usually with a
// NUL. What the A functions wrote is held that way too, so a value is compared by its text.
namespace qeltor {

// `text` as the registry holds a REG_SZ written from it: with its NUL, or with no byte at all
// when it was written with a byte count of 0.
StoredValue StoredText(const std::wstring& text, bool withNul);

// The text of a REG_SZ or REG_EXPAND_SZ value, without the NULs that end it; nothing for any
// other type.
std::optional<std::wstring> TextOf(const StoredValue& value);

// Whether `value` is of the same type as `meant` and says the same: the same text for text
// values, whether or not a NUL ends it, the same bytes for any other.
bool HoldsTheSame(const StoredValue& value, const StoredValue& meant);

}  // namespace qeltor
