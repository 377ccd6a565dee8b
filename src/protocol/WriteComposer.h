#pragma once
// Builds the configuration write datagram from the panel, or says why it cannot.

#include "protocol/Addressing.h"
#include "protocol/Frame.h"
#include "protocol/Panel.h"
#include "protocol/ScanModeTable.h"

#include <cstdint>
#include <string>
#include <variant>

namespace protocol {

struct WriteMessage {
    Bytes bytes;            // 86, 96, 154 or 164 bytes
    bool hasDomain = false; // the read-back then waits 10 s instead of 5 s
};

struct WriteRefusal {
    enum class Reason : std::uint8_t {
        EmptyField,    // an edit is empty or a combo has no choice: "item_information_empty"
        NotANumber,    // a numeric edit holds no plain decimal number
        OutOfRange,    // more than the frame can carry
        DomainTooLong, // trimmed domain over 63 bytes or not ASCII: the fixed message
        DnsFieldEmpty, // DHCP 1, DNS by hand, a DNS octet empty: "item_information_empty"
    };
    Reason reason;
    PanelComponent component{PanelComponent::Kind::Edit, 0}; // the offending field
    std::uint32_t maxValue = 0;                              // for OutOfRange
    std::string text;                                        // the offending text
};

using WriteResult = std::variant<WriteMessage, WriteRefusal>;

inline constexpr std::size_t MaxDomainBytes = 63;

// The domain edit must hold the name as the card gets it: ASCII, a non-ASCII name already in
// its IDNA "xn--" form.
WriteResult composeWrite(const PanelModel& panel, const SelectedCard& card,
                         const ScanModeTable& scanModes, const CardProfile& profile);

// The flags byte of the write (also used by the card simulator's tests).
std::uint8_t netFlagsByte(const PanelModel& panel, const CardProfile& profile);

} // namespace protocol
