#pragma once

#include <array>
#include <cstdint>

#include "engine/byte_buffer.h"
#include "engine/mac_address.h"

using Oui = std::array<uint8_t, 3>;

constexpr int kMmeHeaderLength = 22;
constexpr uint8_t kMmv = 1;
constexpr Oui kVendorOui = {0x00, 0x1F, 0x84};
// The one type that travels unsealed in both directions' confirms.
constexpr uint16_t kUnsealedConfirmType = 0xA071;

// One management message: header fields, the sealed flag and the payload after the 22-byte header.
struct Packet {
    ByteBuffer payload;
    MacAddress destination{};
    MacAddress source{};
    uint16_t etherType = 0;
    uint8_t mmv = 0;
    uint16_t mmType = 0;
    uint16_t fmi = 0;
    Oui oui{};
    bool sealed = false;

    // Sets every header field and the flag; the payload starts empty.
    void Init(const MacAddress& destination, const MacAddress& source, uint16_t etherType, uint8_t mmv, uint16_t mmType,
              uint16_t fmi, const Oui& oui, bool sealed);
    // Puts the header in front of the payload, which then holds the whole frame.
    void BuildFrame();
    // False, leaving the packet unchanged, for a frame shorter than the header or not of ethertype 0x8912.
    // Otherwise reads the header and appends bytes 22 onwards to the payload.
    bool ParseFrame(const uint8_t* frame, int length);
};
