#pragma once
// Byte strings written out by hand as hex text, for every test. Plain C++, so the protocol
// tests stay free of Qt; QtBytes.h hands the same bytes over as a QByteArray.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

// "A1 15 02 00 00 FF" -> bytes. Blanks between bytes are optional; anything else, a lone digit
// included, is a typo in the test and throws std::invalid_argument naming the text.
Bytes hex(std::string_view text);

// Upper-case digit pairs, one blank between bytes: hex(toHex(b)) == b.
std::string toHex(const Bytes& bytes);

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

inline Bytes repeat(std::uint8_t byte, std::size_t n) {
    return Bytes(n, byte);
}

} // namespace testsupport
