#pragma once
// Who a request goes to: the search-by-IP address, one card, or everyone by broadcast.

#include "protocol/Frame.h"

#include <string>

namespace protocol {

class FoundCards;

struct SelectedCard {
    std::string ip = "0.0.0.0";
    Mac mac{};
    bool byMac = false;
};

// Firmware 54 and later is read and written by its MAC (by broadcast), older cards by their IP.
constexpr bool AddressedByMac(int firmwareVersion) {
    return firmwareVersion >= MacAddressingThreshold;
}

enum class RequestKind { Search, Read, Write };

struct Destination {
    std::string host;
    std::uint16_t port = CardPort;
    bool broadcast = false;
    bool operator==(const Destination&) const = default;
};

// `searchAddress` is empty for a broadcast search.
Destination destinationFor(RequestKind kind, const std::string& searchAddress,
                           const SelectedCard& card);

// The read request for the selected card: by MAC or plain.
Bytes readRequestFor(const SelectedCard& card);

// Choosing a device-list row by double click: IP, MAC and whether to address it by MAC.
void chooseCard(SelectedCard& card, const std::string& rowIp, const std::string& rowMac,
                const FoundCards& found);

} // namespace protocol
