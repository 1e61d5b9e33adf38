#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Six bytes in wire order, most significant first.
using MacAddress = std::array<uint8_t, 6>;

// Text form: six two-digit lower-case hexadecimal groups joined by ':' (17 characters).
std::string FormatMac(const MacAddress& mac);

// Reads exactly 17 characters; ':' is skipped and every other character is a hexadecimal digit of either
// case, paired into bytes high half first. A non-digit reads as F in a high half and makes the whole byte FF
// in a low half. A text shorter than 17 characters reads as if padded with non-digits.
MacAddress ParseMac(std::string_view text);

// Exactly the 17-character colon form, digits of either case; nullopt for anything else (typed input).
std::optional<MacAddress> ParseMacStrict(std::string_view text);

// The value of one hexadecimal digit of either case, or -1.
int HexDigitValue(char c);
