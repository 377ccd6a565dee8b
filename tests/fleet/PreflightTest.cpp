// The checks before a write: addresses no card can use, addresses another card holds, two cards
// of one run given one address, and cards the tool could not reach again.

#include "fleet/Preflight.h"

#include "fleet/Profile.h"

#include <gtest/gtest.h>

using fleet::CheckWrites;
using fleet::Finding;
using fleet::LocalSubnet;
using fleet::PlannedCard;
using Kind = fleet::Finding::Kind;

namespace {

// The last search: A and B, B listed twice (it moved from .60 to .51 during the search).
const std::vector<protocol::DeviceEntry> kFound{
    {1, "A", "00:1A:2B:00:00:0A", "192.168.1.50", 60},
    {2, "B", "00:1A:2B:00:00:0B", "192.168.1.60", 60},
    {3, "B", "00:1A:2B:00:00:0B", "192.168.1.51", 60},
    {4, "X", "00:1A:2B:00:00:01", "192.168.1.100", 60},
};

PlannedCard Card(const std::string& mac, const std::string& ip, const std::string& newIp,
                 const std::string& mask = "255.255.255.0",
                 const std::string& gateway = "192.168.1.1", int version = 60) {
    return {"", mac, ip, version, newIp, mask, gateway};
}

struct Brief {
    std::size_t card;
    Kind kind;
    std::string address;
    bool operator==(const Brief&) const = default;
};

std::vector<Brief> Briefly(const std::vector<Finding>& findings) {
    std::vector<Brief> out;
    out.reserve(findings.size());
    for (const Finding& f : findings) {
        out.push_back({f.card, f.kind, f.address});
    }
    return out;
}

void PrintTo(const Brief& b, std::ostream* os) {
    *os << "{card " << b.card << ", kind " << static_cast<int>(b.kind) << ", " << b.address << "}";
}

} // namespace

// One card, X at 192.168.1.100, given new network values; no local subnet known.
TEST(Preflight, AddressesNoCardCanUseOrThatAnotherCardHolds) {
    const struct {
        const char* ip;
        const char* mask;
        const char* gateway;
        std::vector<Kind> kinds;
    } cases[] = {
        {"192.168.1.101", "255.255.255.0", "192.168.1.1", {}},
        {"192.168.1.0", "255.255.255.0", "192.168.1.1", {Kind::NetworkAddress}},
        {"192.168.1.255", "255.255.255.0", "192.168.1.1", {Kind::BroadcastAddress}},
        {"192.168.1.127", "255.255.255.128", "192.168.1.1", {Kind::BroadcastAddress}},
        // A /31 holds two cards and no network or broadcast address; a /32 one.
        {"192.168.1.0", "255.255.255.254", "0.0.0.0", {}},
        {"192.168.1.255", "255.255.255.255", "0.0.0.0", {}},
        {"255.255.255.255", "255.255.255.0", "0.0.0.0", {Kind::UnusableAddress}},
        {"127.0.0.1", "255.0.0.0", "0.0.0.0", {Kind::UnusableAddress}},
        {"224.0.0.1", "255.255.255.0", "0.0.0.0", {Kind::UnusableAddress}},
        {"223.255.255.1", "255.255.255.0", "0.0.0.0", {}},
        {"0.0.0.0", "255.255.255.0", "0.0.0.0", {Kind::UnusableAddress}},
        {"192.168.1.101", "255.0.255.0", "192.168.1.1", {Kind::MaskNotContiguous}},
        {"192.168.1.101", "255.255.255.1", "192.168.1.1", {Kind::MaskNotContiguous}},
        {"192.168.1.101", "255.255.255.0", "192.168.2.1", {Kind::GatewayOutsideSubnet}},
        {"192.168.1.0",
         "255.255.255.0",
         "10.0.0.1",
         {Kind::NetworkAddress, Kind::GatewayOutsideSubnet}},
        // The found cards: A at .50; B at .51 and .60, both are B's.
        {"192.168.1.50", "255.255.255.0", "192.168.1.1", {Kind::HeldByOtherCard}},
        {"192.168.1.60", "255.255.255.0", "192.168.1.1", {Kind::HeldByOtherCard}},
        // An empty field is the write's own refusal.
        {"", "255.255.255.0", "192.168.1.1", {}},
        {"192.168.1.101", "", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.ip) + "/" + c.mask + " via " + c.gateway);
        const auto findings = CheckWrites(
            {Card("00:1A:2B:00:00:01", "192.168.1.100", c.ip, c.mask, c.gateway)}, kFound, {});
        std::vector<Kind> kinds;
        for (const Finding& f : findings) {
            kinds.push_back(f.kind);
            EXPECT_FALSE(f.warning);
            EXPECT_EQ(f.card, 0u);
        }
        EXPECT_EQ(kinds, c.kinds);
    }
}

// Runs of several cards against the found ones: who holds an address once the run is over.
TEST(Preflight, ARunIsCheckedAsTheCardsWillStandAfterIt) {
    const struct {
        const char* what;
        std::vector<PlannedCard> run;
        std::vector<Brief> expected;
    } cases[] = {
        {"A and B swap their addresses",
         {Card("00:1A:2B:00:00:0A", "192.168.1.50", "192.168.1.51"),
          Card("00:1a:2b:00:00:0b", "192.168.1.51", "192.168.1.50")},
         {}},
        {"A moves away and X takes its address",
         {Card("00:1A:2B:00:00:0A", "192.168.1.50", "192.168.1.70"),
          Card("00:1A:2B:00:00:01", "192.168.1.100", "192.168.1.50")},
         {}},
        {"A keeps its address and X is given it too",
         {Card("00:1A:2B:00:00:0A", "192.168.1.50", "192.168.1.50"),
          Card("00:1A:2B:00:00:01", "192.168.1.100", "192.168.1.50")},
         {{1, Kind::SameNewIpInRun, "192.168.1.50"}}},
        {"two cards given one new address, and one an address B holds",
         {Card("00:1A:2B:00:00:01", "192.168.1.100", "192.168.1.120"),
          Card("00:1A:2B:00:00:02", "192.168.1.101", "192.168.1.51"),
          Card("00:1A:2B:00:00:03", "192.168.1.102", "192.168.1.120")},
         {{0, Kind::SameNewIpInRun, "192.168.1.120"},
          {1, Kind::HeldByOtherCard, "192.168.1.51"},
          {2, Kind::SameNewIpInRun, "192.168.1.120"}}},
        {"two cards whose MAC is not known are two cards",
         {Card("", "192.168.1.100", "192.168.1.120"), Card("", "192.168.1.101", "192.168.1.120")},
         {{0, Kind::SameNewIpInRun, "192.168.1.120"}, {1, Kind::SameNewIpInRun, "192.168.1.120"}}},
        {"one card named twice in the run is one card",
         {Card("00:1A:2B:00:00:01", "192.168.1.100", "192.168.1.120"),
          Card("00:1A:2B:00:00:01", "192.168.1.100", "192.168.1.120")},
         {}},
        {"a card not found goes where X stands",
         {Card("00:1A:2B:00:00:07", "192.168.1.107", "192.168.1.100")},
         {{0, Kind::HeldByOtherCard, "192.168.1.100"}}},
        // Kept addresses that another card shares: a write by IP may reach the other card.
        {"kept, firmware 60", {Card("00:1A:2B:00:00:09", "192.168.1.50", "192.168.1.50")}, {}},
        {"kept, firmware 53",
         {Card("00:1A:2B:00:00:09", "192.168.1.50", "192.168.1.50", "255.255.255.0", "192.168.1.1",
               53)},
         {{0, Kind::HeldByOtherCard, "192.168.1.50"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Briefly(CheckWrites(c.run, kFound, {})), c.expected);
    }
}

// Out of every local subnet: refused for a card read and written by IP (below 54, or not
// known), a warning from 54 on; an address kept was just read there; no subnet, no check.
TEST(Preflight, ANewAddressOutsideTheLocalSubnetsRefusesACardReadByIpAndWarnsOfOneReadByMac) {
    const std::vector<LocalSubnet> local{{"192.168.1.5", "255.255.255.0"},
                                         {"172.16.9.1", "255.255.0.0"}};
    const struct {
        const char* newIp;
        const char* ip;
        int version;
        std::vector<LocalSubnet> local;
        bool found;
        bool warning;
    } cases[] = {
        {"10.0.0.5", "192.168.1.100", 53, local, true, false},
        {"10.0.0.5", "192.168.1.100", 54, local, true, true},
        {"10.0.0.5", "192.168.1.100", -1, local, true, false},
        {"172.16.200.3", "192.168.1.100", 53, local, false, false},
        {"192.168.1.77", "192.168.1.100", 53, local, false, false},
        {"10.0.0.5", "10.0.0.5", 53, local, false, false},
        {"10.0.0.5", "192.168.1.100", 53, {}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.newIp) + " from " + c.ip + ", firmware " +
                     std::to_string(c.version));
        const auto findings = CheckWrites(
            {Card("00:1A:2B:00:00:01", c.ip, c.newIp, "255.0.0.0", "0.0.0.0", c.version)}, {},
            c.local);
        ASSERT_EQ(findings.size(), c.found ? 1u : 0u);
        if (c.found) {
            EXPECT_EQ(findings[0].kind, Kind::OutsideLocalSubnet);
            EXPECT_EQ(findings[0].warning, c.warning);
            EXPECT_EQ(findings[0].subnet, "192.168.1.0/24, 172.16.0.0/16");
            EXPECT_EQ(fleet::Refuses(findings, true), !c.warning);
        }
        EXPECT_EQ(fleet::Refuses(findings, false), c.found);
    }
}

// The card as "NAME (MAC, IP)", the parameter, and the reason, in each language.
TEST(Preflight, AFindingNamesTheCardTheParameterAndTheReason) {
    PlannedCard x =
        Card("00:1A:2B:00:00:01", "192.168.1.100", "192.168.1.51", "255.0.255.0", "10.0.0.1", 53);
    x.name = "Wall 3";
    const auto findings = CheckWrites({x}, kFound, {{"192.168.1.5", "255.255.255.0"}});
    std::vector<std::string> english;
    english.reserve(findings.size());
    for (const Finding& f : findings) {
        english.push_back(fleet::FindingMessage(f, x, lang::LanguageId::English));
    }
    EXPECT_EQ(english,
              (std::vector<std::string>{
                  "Wall 3 (00:1A:2B:00:00:01, 192.168.1.100): network.ip: 192.168.1.51 is "
                  "already the address of B (00:1A:2B:00:00:0B, 192.168.1.51).",
                  "Wall 3 (00:1A:2B:00:00:01, 192.168.1.100): network.mask: 255.0.255.0 is no "
                  "subnet mask: its one-bits are not contiguous.",
              }));
    EXPECT_EQ(fleet::FindingMessage(findings[0], x, lang::LanguageId::SimplifiedChinese),
              "Wall 3 (00:1A:2B:00:00:01, 192.168.1.100): network.ip：192.168.1.51 已是 B "
              "(00:1A:2B:00:00:0B, 192.168.1.51) 的地址。");

    PlannedCard unnamed = Card("", "192.168.1.100", "192.168.1.0");
    const auto network = CheckWrites({unnamed}, {}, {});
    ASSERT_EQ(network.size(), 1u);
    EXPECT_EQ(fleet::FindingMessage(network[0], unnamed, lang::LanguageId::TraditionalChinese),
              "192.168.1.100: network.ip：192.168.1.0 是子網 192.168.1.0/24 的網絡地址。");
}

// A card of a write from its panels: who it is from the read, where it goes from the panel sent.
TEST(Preflight, APlannedCardComesFromThePanelReadAndThePanelToBeSent) {
    const auto panel = [](const std::string& ip, const std::string& mask,
                          const std::string& gateway) {
        protocol::PanelModel p;
        p.SetRuntimeCounts(3);
        std::vector<fleet::Setting> settings;
        for (const std::string& s :
             {"network.ip=" + ip, "network.mask=" + mask, "network.gateway=" + gateway}) {
            settings.push_back(std::get<fleet::Setting>(fleet::ParseSetting(s)));
        }
        EXPECT_FALSE(fleet::ApplySettings(p, settings, {}).has_value());
        p[protocol::Edit::MACAddr] = "00:1A:2B:3C:4D:5E";
        p[protocol::Edit::Version] = "53";
        return p;
    };
    auto read = panel("192.168.1.100", "255.255.255.0", "192.168.1.1");
    const auto sent = panel("10.0.0.7", "255.0.0.0", "0.0.0.0");
    const PlannedCard card = fleet::PlannedCardOf(read, sent, {}, "Wall 3");
    EXPECT_EQ((std::vector<std::string>{card.name, card.mac, card.ip, card.newIp, card.newMask,
                                        card.newGateway}),
              (std::vector<std::string>{"Wall 3", "00:1A:2B:3C:4D:5E", "192.168.1.100", "10.0.0.7",
                                        "255.0.0.0", "0.0.0.0"}));
    EXPECT_EQ(card.version, 53);
    read[protocol::Edit::Version] = "";
    EXPECT_EQ(fleet::PlannedCardOf(read, sent, {}).version, -1);
}
