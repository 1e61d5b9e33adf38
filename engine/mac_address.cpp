#include "engine/mac_address.h"

#include <cstdio>

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string FormatMac(const MacAddress& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

MacAddress ParseMac(std::string_view text) {
    MacAddress mac{};
    size_t byte = 0;
    bool high = true;
    for (size_t i = 0; i < 17 && byte < mac.size(); ++i) {
        const char c = i < text.size() ? text[i] : '\0';
        if (c == ':') {
            continue;
        }
        const int value = HexDigitValue(c);
        if (high) {
            mac[byte] = static_cast<uint8_t>((value < 0 ? 0xF : value) << 4);
        } else {
            mac[byte] = value < 0 ? 0xFF : static_cast<uint8_t>(mac[byte] | value);
            ++byte;
        }
        high = !high;
    }
    return mac;
}

std::optional<MacAddress> ParseMacStrict(std::string_view text) {
    if (text.size() != 17) {
        return std::nullopt;
    }
    MacAddress mac{};
    for (size_t i = 0; i < mac.size(); ++i) {
        const int high = HexDigitValue(text[i * 3]);
        const int low = HexDigitValue(text[i * 3 + 1]);
        if (high < 0 || low < 0 || (i > 0 && text[i * 3 - 1] != ':')) {
            return std::nullopt;
        }
        mac[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return mac;
}
