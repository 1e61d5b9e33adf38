#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/mac_address.h"
#include "security/key_derivation.h"

// The simulated adapters' own framing of management messages, written from the wire tables: the 22-byte
// header, the unsealed payload and the sealed payload (IV, then Length, Sequence, Body, Crc and Fill
// encrypted under the adapter's layer key).
namespace sim {

constexpr size_t kHeaderLength = 22;
constexpr uint16_t kEtherType = 0x8912;
constexpr uint8_t kMmv = 1;
constexpr std::array<uint8_t, 3> kOui = {0x00, 0x1F, 0x84};
constexpr size_t kIvLength = 16;
constexpr size_t kBlock = 16;
constexpr size_t kMinimumEthernetFrame = 60;
const MacAddress kBroadcast = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

struct Header {
    MacAddress destination{};
    MacAddress source{};
    uint16_t etherType = 0;
    uint8_t mmv = 0;
    uint16_t mmType = 0;
    uint16_t fmi = 0;
    std::array<uint8_t, 3> oui{};
};

// Reads the header fields of a frame of at least 22 bytes; false for a shorter one.
bool ReadHeader(std::span<const uint8_t> frame, Header& header);
// A frame with the given header fields (version 1, fmi 0, the vendor identifier) and payload.
std::vector<uint8_t> BuildFrame(const MacAddress& destination, const MacAddress& source, uint16_t mmType,
                                std::span<const uint8_t> payload);

// IEEE 802.3 CRC-32 (zlib's crc32).
uint32_t Crc32(std::span<const uint8_t> bytes);
// Fill length for n bytes of Sequence and Body: 16 to 31, so the encrypted part is whole blocks.
size_t FillLength(size_t n);

// Payload of a sealed message: IV in clear, then the encrypted Length, Sequence, Body, Crc and Fill.
std::vector<uint8_t> SealPayload(const Key16& key, const std::array<uint8_t, 16>& iv, uint8_t sequence,
                                 std::span<const uint8_t> body, std::span<const uint8_t> fill);

enum class UnsealFault {
    None,
    TooShort,    // not an IV plus at least one block
    NotBlocks,   // the part after the IV is not whole blocks
    BadLength,   // Length is 0 or runs past the payload
    BadCrc,      // Length fits the size but Crc differs
    BadFill,     // Crc matches but the fill is not the length the Length implies
    Undecodable, // neither Length nor Crc make sense under this key: sealed under another key
};

struct Unsealed {
    UnsealFault fault = UnsealFault::None;
    std::string reason;
    uint16_t length = 0; // the Length field (n)
    uint8_t sequence = 0;
    std::vector<uint8_t> body;
    size_t fillLength = 0;
};

// Decrypts and checks a sealed payload under `key`.
Unsealed UnsealPayload(const Key16& key, std::span<const uint8_t> payload);

std::string Hex(std::span<const uint8_t> bytes);
std::string TypeName(uint16_t mmType);

} // namespace sim
