#include "protocol/Encoding.h"

#include <cctype>
#include <charconv>

namespace protocol {

std::uint32_t HexPairValue(std::string_view text) {
    static constexpr std::string_view digits = "0123456789ABCDEF";
    std::uint32_t value = 0;
    for (char ch : text) {
        const auto up = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        const auto idx = digits.find(up);
        value = value * 16 + (idx == std::string_view::npos ? 0u : static_cast<std::uint32_t>(idx));
    }
    return value;
}

std::string UpperMac(std::string mac) {
    for (char& c : mac) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return mac;
}

std::string BitString(std::uint32_t value, int n) {
    std::string s(static_cast<std::size_t>(n), '0');
    for (int bit = 0; bit < n; ++bit) {
        if (bit < 32 && ((value >> bit) & 1u)) {
            s[static_cast<std::size_t>(n - 1 - bit)] = '1';
        }
    }
    return s;
}

std::uint32_t BitStringValue(std::string_view bits) {
    std::uint32_t value = 0;
    for (char ch : bits) {
        value = value * 2 + static_cast<std::uint32_t>(ch - '0');
    }
    return value;
}

std::uint8_t NibblePack(std::uint32_t high, std::uint32_t low) {
    return static_cast<std::uint8_t>(BitStringValue(BitString(high, 4) + BitString(low, 4)));
}

Nibbles NibbleSplit(std::uint8_t byte) {
    const std::string bits = BitString(byte, 8);
    return {static_cast<std::uint8_t>(BitStringValue(std::string_view(bits).substr(0, 4))),
            static_cast<std::uint8_t>(BitStringValue(std::string_view(bits).substr(4, 4)))};
}

std::array<std::uint8_t, 2> Be16Bytes(std::uint64_t value) {
    // Four upper-case hex digits with leading zeros; a longer text keeps its first four.
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string hex;
    do {
        hex.insert(hex.begin(), digits[value % 16]);
        value /= 16;
    } while (value != 0);
    while (hex.size() < 4) {
        hex.insert(hex.begin(), '0');
    }
    const std::string_view v(hex);
    return {static_cast<std::uint8_t>(HexPairValue(v.substr(0, 2))),
            static_cast<std::uint8_t>(HexPairValue(v.substr(2, 2)))};
}

std::uint32_t Be16Value(std::uint8_t first, std::uint8_t second) {
    return static_cast<std::uint32_t>(first) * 256u + second;
}

std::string DecimalText(std::uint64_t value) {
    return std::to_string(value);
}

std::string Ipv4Text(const std::uint8_t* b) {
    return std::to_string(b[0]) + '.' + std::to_string(b[1]) + '.' + std::to_string(b[2]) + '.' +
           std::to_string(b[3]);
}

std::string MacText(const std::uint8_t* b) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(17);
    for (int i = 0; i < 6; ++i) {
        if (i) {
            s.push_back(':');
        }
        s.push_back(digits[b[i] >> 4]);
        s.push_back(digits[b[i] & 0x0F]);
    }
    return s;
}

Mac MacFromText(std::string_view text) {
    Mac mac{};
    for (std::size_t i = 0; i < 6; ++i) {
        const std::size_t at = i * 3; // 0-based start of pair i
        mac[i] = at < text.size() ? static_cast<std::uint8_t>(HexPairValue(text.substr(at, 2))) : 0;
    }
    return mac;
}

std::optional<std::uint32_t> ParseDecimal(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    for (char ch : text) {
        if (ch < '0' || ch > '9') {
            return std::nullopt;
        }
    }
    std::uint32_t value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string_view TrimControl(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) {
        text.remove_prefix(1);
    }
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace protocol
