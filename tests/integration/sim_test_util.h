#pragma once

#include <cstring>
#include <string_view>
#include <vector>
#include <zlib.h>

#include "security/key_derivation.h"
#include "security/layer_cipher.h"
#include "sim/network.h"
#include "sim/wire.h"

// Requests framed by the test itself from the wire tables, with optional damage, for driving the simulated
// network without the engine.
namespace simtest {

inline const MacAddress kHost = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
inline const MacAddress kLocal = {0x00, 0x1F, 0x84, 0x00, 0x00, 0x01};
inline const MacAddress kRemote = {0x00, 0x1F, 0x84, 0x00, 0x00, 0x02};
inline const MacAddress kLabelled = {0x00, 0x1F, 0x84, 0x00, 0x00, 0x03};
inline constexpr std::string_view kHostPassword = "Seven amber kites drift above the quarry at dusk.";
inline constexpr std::string_view kLabelPassword = "label-pass-77";

struct Damage {
    int crcDelta = 0;    // added to the CRC
    int fillDelta = 0;   // bytes of fill added (or removed when negative)
    int lengthDelta = 0; // added to the Length field
    size_t cutBytes = 0; // bytes cut off the end of the frame
};

inline std::vector<uint8_t> Header(const MacAddress& destination, uint16_t type, const MacAddress& source = kHost) {
    std::vector<uint8_t> frame(destination.begin(), destination.end());
    frame.insert(frame.end(), source.begin(), source.end());
    const uint8_t rest[] = {0x89, 0x12, 0x01, static_cast<uint8_t>(type), static_cast<uint8_t>(type >> 8), 0x00, 0x00,
                            0x00, 0x1F, 0x84};
    frame.insert(frame.end(), rest, rest + sizeof rest);
    return frame;
}

inline std::vector<uint8_t> Sealed(const MacAddress& destination, uint16_t type, uint8_t sequence,
                                   const std::vector<uint8_t>& body, std::string_view password,
                                   const Damage& damage = {}) {
    const size_t n = body.size() + 1;
    std::vector<uint8_t> plain;
    const size_t length = n + static_cast<size_t>(damage.lengthDelta);
    plain.push_back(static_cast<uint8_t>(length));
    plain.push_back(static_cast<uint8_t>(length >> 8));
    plain.push_back(sequence);
    plain.insert(plain.end(), body.begin(), body.end());
    const uint32_t crc = static_cast<uint32_t>(crc32(0, plain.data() + 2, static_cast<uInt>(n))) +
                         static_cast<uint32_t>(damage.crcDelta);
    for (int shift = 0; shift < 32; shift += 8) {
        plain.push_back(static_cast<uint8_t>(crc >> shift));
    }
    const size_t used = n + 6;
    const size_t fill = (used + 15) / 16 * 16 + 16 - used;
    plain.resize(plain.size() + fill + static_cast<size_t>(damage.fillDelta), 0x33);
    Iv iv{};
    iv.fill(0x5A);
    AesCbcEncrypt(*DeriveLayerKey(password), iv, plain.data(), plain.size());
    std::vector<uint8_t> frame = Header(destination, type);
    frame.insert(frame.end(), iv.begin(), iv.end());
    frame.insert(frame.end(), plain.begin(), plain.end());
    frame.resize(frame.size() - damage.cutBytes);
    return frame;
}

inline std::vector<uint8_t> ProbeBody(const MacAddress& destination) {
    std::vector<uint8_t> body(kHost.begin(), kHost.end());
    body.insert(body.end(), destination.begin(), destination.end());
    return body;
}

inline std::vector<uint8_t> U16(uint16_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
}

inline std::vector<uint8_t> WriteBody(uint16_t id, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> body = U16(id);
    body.push_back(0x01);
    const std::vector<uint8_t> length = U16(static_cast<uint16_t>(data.size()));
    body.insert(body.end(), length.begin(), length.end());
    body.insert(body.end(), data.begin(), data.end());
    return body;
}

// The body of a sealed answer, opened under `password` with the simulator's own checks.
inline sim::Unsealed Open(const sim::Outgoing& answer, std::string_view password) {
    return sim::UnsealPayload(*DeriveLayerKey(password),
                              std::span<const uint8_t>(answer.frame).subspan(sim::kHeaderLength));
}

// Local adapter, a remote on its default password and a remote with a label password.
inline sim::NetworkConfig ThreeAdapters() {
    sim::NetworkConfig config;
    config.local = sim::DefaultAdapter(kLocal, true);
    config.remotes.push_back(sim::DefaultAdapter(kRemote, false));
    config.remotes.push_back(sim::DefaultAdapter(kLabelled, false));
    config.remotes.back().password = std::string(kLabelPassword);
    config.remotes.back().stationRate = 80;
    config.remotes.back().hostRate = 200;
    return config;
}

} // namespace simtest
