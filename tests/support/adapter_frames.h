#pragma once

#include <cstdint>
#include <string_view>
#include <vector>
#include <zlib.h>

#include "engine/mac_address.h"
#include "engine/protocol_layers.h"
#include "security/key_derivation.h"
#include "security/layer_cipher.h"

// Frames addressed to the host as an adapter would send them, crafted by a test (for confirms that no
// well-behaved adapter sends).

inline std::vector<uint8_t> FrameHeaderToHost(const MacAddress& host, const MacAddress& from, uint16_t type) {
    std::vector<uint8_t> frame;
    for (const MacAddress& mac : {host, from}) {
        for (uint8_t byte : mac) {
            frame.push_back(byte);
        }
    }
    for (int byte : {0x89, 0x12, 0x01, type & 0xff, type >> 8, 0, 0, 0x00, 0x1f, 0x84}) {
        frame.push_back(static_cast<uint8_t>(byte));
    }
    return frame;
}

// Length, Sequence, Body, Crc and Fill, sealed under `password` behind a fixed IV.
inline std::vector<uint8_t> SealedToHost(const MacAddress& host, const MacAddress& from, uint16_t type,
                                         uint8_t sequence, const std::vector<uint8_t>& body,
                                         std::string_view password) {
    const auto n = static_cast<uint16_t>(body.size() + 1);
    std::vector<uint8_t> plain;
    plain.reserve(body.size() + 64);
    plain.push_back(static_cast<uint8_t>(n));
    plain.push_back(static_cast<uint8_t>(n >> 8));
    plain.push_back(sequence);
    for (uint8_t byte : body) {
        plain.push_back(byte);
    }
    const auto crc = static_cast<uint32_t>(crc32(0, plain.data() + 2, n));
    for (int shift = 0; shift < 32; shift += 8) {
        plain.push_back(static_cast<uint8_t>(crc >> shift));
    }
    plain.resize(plain.size() + SealedFillLength(n), 0x5A);
    Iv iv{};
    iv.fill(0x42);
    AesCbcEncrypt(*DeriveLayerKey(password), iv, plain.data(), plain.size());
    std::vector<uint8_t> frame = FrameHeaderToHost(host, from, type);
    frame.insert(frame.end(), iv.begin(), iv.end());
    frame.insert(frame.end(), plain.begin(), plain.end());
    return frame;
}

inline std::vector<uint8_t> UnsealedToHost(const MacAddress& host, const MacAddress& from, uint16_t type,
                                           const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> frame = FrameHeaderToHost(host, from, type);
    frame.insert(frame.end(), payload.begin(), payload.end());
    return frame;
}
