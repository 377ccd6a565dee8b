#pragma once
// Text on the wire. Inside the program texts are UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace protocol {

// Bytes from a card: valid UTF-8 as is, else GBK (the cards' home market), else one
// character per byte.
std::string DecodeCardText(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);

// A domain for the card: plain ASCII unchanged; labels with other characters in their IDNA
// "xn--" punycode form. Nullopt when the text is not valid UTF-8 or cannot be encoded.
std::optional<std::string> DomainToAscii(std::string_view utf8);

} // namespace protocol
