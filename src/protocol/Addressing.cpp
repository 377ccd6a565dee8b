#include "protocol/Addressing.h"

#include "protocol/Encoding.h"
#include "protocol/SearchAnswer.h"

namespace protocol {

Destination destinationFor(RequestKind kind, const std::string& searchAddress,
                           const SelectedCard& card) {
    if (!searchAddress.empty()) {
        return {searchAddress, CardPort, false};
    }
    const bool broadcast = kind == RequestKind::Search || card.byMac;
    return broadcast ? Destination{BroadcastAddress, CardPort, true}
                     : Destination{card.ip, CardPort, false};
}

Bytes readRequestFor(const SelectedCard& card) {
    return card.byMac ? readByMacRequest(card.mac) : readRequest();
}

void chooseCard(SelectedCard& card, const std::string& rowIp, const std::string& rowMac,
                const FoundCards& found) {
    card.ip = rowIp;
    card.byMac = false;
    const std::string mac(TrimControl(rowMac));
    if (mac.empty()) {
        return;
    }
    card.mac = MacFromText(mac);
    if (const DeviceEntry* entry = found.firstWithMac(mac)) {
        card.byMac = AddressedByMac(entry->version);
    }
}

} // namespace protocol
