#pragma once
// The small conversions every parameter encoding shares.

#include "protocol/Frame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace protocol {

// Hexadecimal text to a number; characters that are no hex digit count as 0.
std::uint32_t HexPairValue(std::string_view text);
// n characters '0'/'1', bit n-1 first; bits at n and above are ignored.
std::string BitString(std::uint32_t value, int n);
// "0011" is 3: characters read as decimal digits weighted by powers of two.
std::uint32_t BitStringValue(std::string_view bits);
// (first mod 16) * 16 + (second mod 16).
std::uint8_t NibblePack(std::uint32_t high, std::uint32_t low);
struct Nibbles {
    std::uint8_t high;
    std::uint8_t low;
};
Nibbles NibbleSplit(std::uint8_t byte);

// 16-bit big-endian field. The write takes the first four upper-case hex digits of the number,
// which is the plain high/low split for 0..65535.
std::array<std::uint8_t, 2> Be16Bytes(std::uint64_t value);
std::uint32_t Be16Value(std::uint8_t first, std::uint8_t second);

// Decimal text without leading zeros.
std::string DecimalText(std::uint64_t value);
// Dotted quad from four bytes, byte 0 leftmost.
std::string Ipv4Text(const std::uint8_t* bytes);
// "00:1A:2B:3C:4D:5E" (upper case, colon separated).
std::string MacText(const std::uint8_t* bytes);
// Reads six hex pairs at character positions 1, 4, 7, 10, 13, 16 (1-based) with HexPairValue.
Mac MacFromText(std::string_view text);
// A MAC as typed, read or saved, in upper case: the form in which two MACs are compared.
std::string UpperMac(std::string mac);

// Strict decimal text: one or more ASCII digits and nothing else. Nullopt when the text is no
// number or does not fit 32 bits, which the write treats as "not a number".
std::optional<std::uint32_t> ParseDecimal(std::string_view text);

// Removes characters of code 32 or less from both ends.
std::string_view TrimControl(std::string_view text);

} // namespace protocol
