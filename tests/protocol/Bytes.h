#pragma once
// Test helpers: byte strings written out by hand, as hex text.

#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace testbytes {

// "A1 15 02 00 00 FF" -> bytes. Blanks separate bytes; anything else is a test typo.
inline std::vector<std::uint8_t> hex(const std::string& text) {
    std::vector<std::uint8_t> out;
    std::istringstream in(text);
    std::string tok;
    while (in >> tok) {
        out.push_back(static_cast<std::uint8_t>(std::stoul(tok, nullptr, 16)));
    }
    return out;
}

inline std::vector<std::uint8_t> cat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

inline std::vector<std::uint8_t> repeat(std::uint8_t byte, std::size_t n) {
    return std::vector<std::uint8_t>(n, byte);
}

inline std::string toHex(const std::vector<std::uint8_t>& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i) {
            s += ' ';
        }
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
    }
    return s;
}

} // namespace testbytes
