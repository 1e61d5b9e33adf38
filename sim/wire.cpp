#include "sim/wire.h"

#include <cstdio>
#include <cstring>
#include <zlib.h>

#include "security/layer_cipher.h"

namespace sim {

bool ReadHeader(std::span<const uint8_t> frame, Header& header) {
    if (frame.size() < kHeaderLength) {
        return false;
    }
    std::memcpy(header.destination.data(), frame.data(), 6);
    std::memcpy(header.source.data(), frame.data() + 6, 6);
    header.etherType = static_cast<uint16_t>(frame[12] << 8 | frame[13]);
    header.mmv = frame[14];
    header.mmType = static_cast<uint16_t>(frame[15] | frame[16] << 8);
    header.fmi = static_cast<uint16_t>(frame[17] | frame[18] << 8);
    std::memcpy(header.oui.data(), frame.data() + 19, 3);
    return true;
}

std::vector<uint8_t> BuildFrame(const MacAddress& destination, const MacAddress& source, uint16_t mmType,
                                std::span<const uint8_t> payload) {
    std::vector<uint8_t> frame;
    frame.reserve(kHeaderLength + payload.size());
    frame.insert(frame.end(), destination.begin(), destination.end());
    frame.insert(frame.end(), source.begin(), source.end());
    const uint8_t rest[] = {kEtherType >> 8,
                            kEtherType & 0xFF,
                            kMmv,
                            static_cast<uint8_t>(mmType & 0xFF),
                            static_cast<uint8_t>(mmType >> 8),
                            0x00,
                            0x00,
                            kOui[0],
                            kOui[1],
                            kOui[2]};
    frame.insert(frame.end(), rest, rest + sizeof rest);
    frame.insert(frame.end(), payload.begin(), payload.end());
    return frame;
}

uint32_t Crc32(std::span<const uint8_t> bytes) {
    return static_cast<uint32_t>(crc32(0L, bytes.data(), static_cast<uInt>(bytes.size())));
}

size_t FillLength(size_t n) {
    const size_t used = n + 6;
    const size_t rounded = (used + kBlock - 1) / kBlock * kBlock;
    return rounded + kBlock - used;
}

std::vector<uint8_t> SealPayload(const Key16& key, const std::array<uint8_t, 16>& iv, uint8_t sequence,
                                 std::span<const uint8_t> body, std::span<const uint8_t> fill) {
    const size_t n = body.size() + 1;
    std::vector<uint8_t> plain;
    plain.reserve(2 + n + 4 + fill.size());
    plain.push_back(static_cast<uint8_t>(n & 0xFF));
    plain.push_back(static_cast<uint8_t>(n >> 8));
    plain.push_back(sequence);
    plain.insert(plain.end(), body.begin(), body.end());
    const uint32_t crc = Crc32({plain.data() + 2, n});
    for (int shift = 0; shift < 32; shift += 8) {
        plain.push_back(static_cast<uint8_t>(crc >> shift));
    }
    plain.insert(plain.end(), fill.begin(), fill.end());
    AesCbcEncrypt(key, iv, plain.data(), plain.size());
    std::vector<uint8_t> payload(iv.begin(), iv.end());
    payload.insert(payload.end(), plain.begin(), plain.end());
    return payload;
}

Unsealed UnsealPayload(const Key16& key, std::span<const uint8_t> payload) {
    Unsealed result;
    if (payload.size() < kIvLength + kBlock) {
        result.fault = UnsealFault::TooShort;
        result.reason = "sealed payload of " + std::to_string(payload.size()) + " bytes, less than IV plus one block";
        return result;
    }
    const size_t encrypted = payload.size() - kIvLength;
    if (encrypted % kBlock != 0) {
        result.fault = UnsealFault::NotBlocks;
        result.reason = "encrypted part of " + std::to_string(encrypted) + " bytes is not whole 16-byte blocks";
        return result;
    }
    Iv iv{};
    std::memcpy(iv.data(), payload.data(), kIvLength);
    std::vector<uint8_t> plain(payload.begin() + kIvLength, payload.end());
    AesCbcDecrypt(key, iv, plain.data(), plain.size());

    const size_t n = static_cast<size_t>(plain[0] | plain[1] << 8);
    const bool lengthFits = n >= 1 && 2 + n + 4 <= plain.size();
    const bool sizeAgrees = lengthFits && 2 + n + 4 + FillLength(n) == plain.size();
    const bool crcMatches =
        lengthFits && Crc32({plain.data() + 2, n}) ==
                          (static_cast<uint32_t>(plain[2 + n]) | static_cast<uint32_t>(plain[3 + n]) << 8 |
                           static_cast<uint32_t>(plain[4 + n]) << 16 | static_cast<uint32_t>(plain[5 + n]) << 24);
    result.length = static_cast<uint16_t>(n);
    if (crcMatches) {
        result.sequence = plain[2];
        result.body.assign(plain.begin() + 3, plain.begin() + static_cast<std::ptrdiff_t>(2 + n));
        result.fillLength = plain.size() - (2 + n + 4);
        if (result.fillLength != FillLength(n)) {
            result.fault = UnsealFault::BadFill;
            result.reason = "fill of " + std::to_string(result.fillLength) + " bytes, expected " +
                            std::to_string(FillLength(n)) + " for Length " + std::to_string(n);
        }
        return result;
    }
    // A garbled plaintext whose Length happens to fit the frame exactly is a one-in-thousands event, so a
    // fitting Length with a wrong Crc means a broken Crc under the right key.
    if (sizeAgrees) {
        result.fault = UnsealFault::BadCrc;
        result.reason = "CRC-32 does not match Sequence and Body (Length " + std::to_string(n) + ")";
    } else if (lengthFits && n >= 1) {
        result.fault = UnsealFault::Undecodable;
        result.reason = "no consistent Length and CRC under the adapter's key";
    } else {
        result.fault = UnsealFault::Undecodable;
        result.reason = "Length " + std::to_string(n) + " does not fit " + std::to_string(plain.size()) +
                        " decrypted bytes under the adapter's key";
    }
    return result;
}

std::string Hex(std::span<const uint8_t> bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

std::string TypeName(uint16_t mmType) {
    switch (mmType) {
    case 0xA070:
        return "Discover";
    case 0xA071:
        return "DiscoverConfirm";
    case 0xA000:
        return "Probe";
    case 0xA001:
        return "ProbeConfirm";
    case 0xA028:
        return "ReadNetworkInfo";
    case 0xA029:
        return "NetworkInfoConfirm";
    case 0xA02C:
        return "ReadStationList";
    case 0xA02D:
        return "StationListConfirm";
    case 0xA04C:
        return "ReadFirmwareInfo";
    case 0xA04D:
        return "FirmwareInfoConfirm";
    case 0xA05C:
        return "ReadParameter";
    case 0xA05D:
        return "ParameterConfirm";
    case 0xA060:
        return "ReadStatusWord";
    case 0xA061:
        return "StatusWordConfirm";
    case 0xA058:
        return "WriteParameter";
    case 0xA059:
        return "WriteConfirm";
    case 0xA020:
        return "Restart";
    case 0xA054:
        return "FactoryReset";
    case 0xA055:
        return "FactoryResetConfirm";
    default:
        break;
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", mmType);
    return text;
}

} // namespace sim
