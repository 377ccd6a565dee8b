#pragma once
// Text on the wire. Inside the program texts are UTF-8.

#include <string>
#include <string_view>

namespace protocol {

// Bytes from a card: valid UTF-8 as is, else GBK (the cards' home market), else one
// character per byte.
std::string DecodeCardText(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);

// Every byte below 0x80. A domain goes to the card only in this form: a name with other
// characters must be converted to its IDNA "xn--" form before it reaches the write.
bool IsAscii(std::string_view text);

} // namespace protocol
