#pragma once

#include <string_view>

#include "engine/mac_address.h"

// The mask shown for a device password that is known.
inline constexpr std::string_view kMaskedPassword = "****-****-****-****";
constexpr size_t kMinKnownPassword = 5;
constexpr size_t kMaxTypedPassword = 63;

// True when a remote adapter must be given its device password before it is changed: the store holds
// none for it, or one of at most four characters. Never for the local adapter.
bool NeedsDevicePassword(const MacAddress& mac);

enum class PasswordCheck { Passed, Skipped, Empty, TooLong, NoAnswer };

// Checks one typed password the way the password dialog does: the local adapter and a masked text pass
// untouched; an empty text, one longer than 63 characters, or one the adapter does not answer to is
// refused; a password that works is stored at once.
PasswordCheck CheckDevicePassword(const MacAddress& mac, std::string_view typed);
