#pragma once
// The checks every write passes before its first datagram leaves, from the window's single
// write, the several-cards dialog and ledcardctl alike: addresses another card already holds,
// two cards of one run given one address, addresses no card can use, and cards the tool could
// not reach again after the write.

#include "lang/Catalogue.h"
#include "protocol/Panel.h"
#include "protocol/SearchAnswer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fleet {

// One card of a run as it is and as its write will leave it.
struct PlannedCard {
    std::string name;  // as the search listed it; may be empty
    std::string mac;   // "00:1A:2B:3C:4D:5E"; empty when not known
    std::string ip;    // where it answers now
    int version = -1;  // firmware; -1 when not known (treated as read by IP)
    std::string newIp; // the card IP written; equal to `ip` when kept
    std::string newMask;
    std::string newGateway;
};

// A card of a write as its panels give it: MAC, IP and firmware from the panel read, the network
// values from the panel to be sent; the name is the device list's.
PlannedCard PlannedCardOf(const protocol::PanelModel& read, const protocol::PanelModel& sent,
                          const protocol::CardProfile& profile, std::string name = {});

// A local IPv4 address the tool sends from, with its mask.
struct LocalSubnet {
    std::string address;
    std::string mask;
};

struct Finding {
    enum class Kind : std::uint8_t {
        HeldByOtherCard,      // newIp is the IP of a found card with another MAC that keeps it
        SameNewIpInRun,       // another card of the run is given the same newIp
        NetworkAddress,       // newIp is the network address of newMask
        BroadcastAddress,     // newIp is the broadcast address of newMask
        UnusableAddress,      // 0.0.0.0, 127.0.0.0/8, or 224.0.0.0 and above
        MaskNotContiguous,    // newMask's one-bits are not contiguous
        GatewayOutsideSubnet, // newGateway is neither 0.0.0.0 nor inside newIp/newMask
        OutsideLocalSubnet,   // newIp is in no local subnet: refused below firmware 54, else warned
    };
    Kind kind = Kind::HeldByOtherCard;
    bool warning = false;  // OutsideLocalSubnet of a card read by MAC; everything else refuses
    std::size_t card = 0;  // index in the run
    std::string address;   // the address concerned (newIp, newMask or newGateway)
    std::string otherName; // HeldByOtherCard, SameNewIpInRun: the other card
    std::string otherMac;
    std::string otherIp;
    // NetworkAddress, BroadcastAddress, GatewayOutsideSubnet: the card's new subnet
    // ("192.168.1.0/24"); OutsideLocalSubnet: the local subnets, ", " between them.
    std::string subnet;
};

// Every finding, ordered by card and then by kind. `found` is the last search's list (the
// window's device list, or ledcardctl's search before the run); a found card that is part of
// the run (by MAC) and gets a new IP no longer holds its old one, and a found card with the
// card's own MAC is the card itself. With no local subnet given the reachability is not checked.
//
// An address a card keeps is no conflict of the write: two cards that already share it are
// marked in the device list, and keeping it changes nothing, so neither SameNewIpInRun nor
// OutsideLocalSubnet concerns it (the card was just read there). HeldByOtherCard does when the
// card is written by IP (firmware below 54): that write may reach the other card. The checks of
// the address itself concern every card. A value that is no dotted quad (an empty field) is
// left to the write's own refusals.
std::vector<Finding> CheckWrites(const std::vector<PlannedCard>& run,
                                 const std::vector<protocol::DeviceEntry>& found,
                                 const std::vector<LocalSubnet>& local);

// Whether the findings stop the run: any that is not a warning, and the warnings too unless
// `allowWarnings`.
bool Refuses(const std::vector<Finding>& findings, bool allowWarnings);

// One line naming the card ("NAME (MAC, IP)", the parts that are known) and the reason, in the
// language given.
std::string FindingMessage(const Finding& finding, const PlannedCard& card,
                           lang::LanguageId language);

} // namespace fleet
