#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/mac_address.h"

using Key16 = std::array<uint8_t, 16>;
using NetworkId = std::array<uint8_t, 7>;

// The longest password whose bytes fit the 72-byte work area together with an 8-byte salt.
constexpr size_t kMaxPasswordLength = 64;
constexpr size_t kPbkdfWorkArea = 72;

// SHA-256 and HMAC-SHA-256 through the generic message-digest interface.
std::array<uint8_t, 32> Sha256(std::span<const uint8_t> data);
std::array<uint8_t, 32> HmacSha256(std::span<const uint8_t> key, std::span<const uint8_t> data);

// PBKDF1 with SHA-256. The password and salt are laid into a zeroed 72-byte work area; the first digest
// covers it up to its first zero byte. False (output untouched) when password and salt exceed 72 bytes,
// `outLength` exceeds 32 or `iterations` is below 1.
bool Pbkdf1Sha256(std::string_view password, std::span<const uint8_t> salt, int iterations, uint8_t* out,
                  size_t outLength);

// Network membership key of a network password (1 to 64 characters); nullopt for any other length.
std::optional<Key16> DeriveNmk(std::string_view networkPassword);
// Network identifier: five SHA-256 rounds over the NMK, two bits of security level in byte 6.
NetworkId DeriveNid(const Key16& nmk, int securityLevel);
// Device access key of a device password (1 to 64 characters); nullopt for any other length.
std::optional<Key16> DeriveDak(std::string_view devicePassword);
// The AES key under which messages for a device with this password are sealed; nullopt when the
// password is empty or longer than 64 characters.
std::optional<Key16> DeriveLayerKey(std::string_view devicePassword);
// Four groups of four upper-case letters joined by '-', computed from the address.
std::string DefaultDevicePassword(const MacAddress& mac);
