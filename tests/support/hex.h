#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/mac_address.h"

// Upper-case hexadecimal text of bytes, and back; for golden values in tests.
inline std::string ToHex(std::span<const uint8_t> bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

// Reads pairs of hexadecimal digits, skipping spaces; writes to `out` and returns the byte count.
inline size_t FromHex(const std::string& text, uint8_t* out) {
    size_t count = 0;
    int high = -1;
    for (char c : text) {
        const int value = HexDigitValue(c);
        if (value < 0) {
            continue;
        }
        if (high < 0) {
            high = value;
        } else {
            out[count++] = static_cast<uint8_t>(high << 4 | value);
            high = -1;
        }
    }
    return count;
}

inline std::vector<uint8_t> Bytes(const std::string& text) {
    std::vector<uint8_t> out(text.size() / 2 + 1);
    out.resize(FromHex(text, out.data()));
    return out;
}
