// Which found cards share their address with a card of another MAC, case by case, as a search
// list holds them.

#include "fleet/AddressConflicts.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using fleet::AddressConflicts;

namespace {

struct Card {
    const char* mac;
    const char* ip;
};

struct Case {
    const char* name;
    std::vector<Card> cards;
    // Per card, the MACs of the other cards at its address, in list order.
    std::vector<std::vector<std::string>> others;
    // The shared addresses, each as its IP and the numbers (1-based) of its cards.
    std::vector<std::pair<std::string, std::vector<int>>> shared;
};

constexpr const char* kMac1 = "00:1A:2B:00:00:01";
constexpr const char* kMac2 = "00:1A:2B:00:00:02";
constexpr const char* kMac3 = "00:1A:2B:00:00:03";
constexpr const char* kMac4 = "00:1A:2B:00:00:04";

const Case kCases[] = {
    {"no conflict",
     {{kMac1, "192.168.1.100"}, {kMac2, "192.168.1.101"}, {kMac3, "10.0.0.100"}},
     {{}, {}, {}},
     {}},
    {"two cards one address",
     {{kMac1, "192.168.1.100"}, {kMac2, "192.168.1.101"}, {kMac3, "192.168.1.100"}},
     {{kMac3}, {}, {kMac1}},
     {{"192.168.1.100", {1, 3}}}},
    {"three cards one address",
     {{kMac1, "192.168.1.100"},
      {kMac2, "192.168.1.100"},
      {kMac3, "192.168.1.100"},
      {kMac4, "192.168.1.110"}},
     {{kMac2, kMac3}, {kMac1, kMac3}, {kMac1, kMac2}, {}},
     {{"192.168.1.100", {1, 2, 3}}}},
    {"two shared addresses, in the order of their first card",
     {{kMac1, "192.168.1.101"},
      {kMac2, "192.168.1.100"},
      {kMac3, "192.168.1.100"},
      {kMac4, "192.168.1.101"}},
     {{kMac4}, {kMac3}, {kMac2}, {kMac1}},
     {{"192.168.1.101", {1, 4}}, {"192.168.1.100", {2, 3}}}},
    {"one card at two addresses moved",
     {{kMac1, "192.168.1.100"}, {kMac1, "192.168.1.150"}},
     {{}, {}},
     {}},
    {"a moved card meets another at its new address",
     {{kMac1, "192.168.1.100"}, {kMac2, "192.168.1.150"}, {kMac1, "192.168.1.150"}},
     {{}, {kMac1}, {kMac2}},
     {{"192.168.1.150", {2, 3}}}},
    {"one card listed twice at one address",
     {{kMac1, "192.168.1.100"}, {kMac1, "192.168.1.100"}},
     {{}, {}},
     {}},
    {"empty addresses share nothing",
     {{kMac1, ""}, {kMac2, ""}, {kMac3, "192.168.1.100"}},
     {{}, {}, {}},
     {}},
    // Cards 1 and 3 shared 192.168.1.100 (second case); a write gave card 3 192.168.1.103.
    {"a write moves one card away",
     {{kMac1, "192.168.1.100"}, {kMac2, "192.168.1.101"}, {kMac3, "192.168.1.103"}},
     {{}, {}, {}},
     {}},
    {"a write moves one of three away",
     {{kMac1, "192.168.1.100"}, {kMac2, "192.168.1.100"}, {kMac3, "192.168.1.103"}},
     {{kMac2}, {kMac1}, {}},
     {{"192.168.1.100", {1, 2}}}},
    {"a card without MAC beside one with",
     {{"", "192.168.1.100"}, {kMac1, "192.168.1.100"}},
     {{kMac1}, {""}},
     {{"192.168.1.100", {1, 2}}}},
    {"no cards", {}, {}, {}},
};

std::vector<protocol::DeviceEntry> Entries(const std::vector<Card>& cards) {
    std::vector<protocol::DeviceEntry> entries;
    for (const Card& c : cards) {
        entries.push_back({int(entries.size()) + 1, "LED", c.mac, c.ip, 60});
    }
    return entries;
}

} // namespace

TEST(AddressConflicts, EachCase) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::vector<protocol::DeviceEntry> entries = Entries(c.cards);
        const AddressConflicts conflicts(entries);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            std::vector<std::string> macs;
            for (const std::size_t other : conflicts.othersOf(i)) {
                macs.push_back(entries[other].mac);
            }
            EXPECT_EQ(macs, c.others[i]) << "card " << i + 1;
            EXPECT_EQ(conflicts.conflicts(i), !c.others[i].empty()) << "card " << i + 1;
            EXPECT_EQ(conflicts.othersCount(i), c.others[i].size()) << "card " << i + 1;
        }
        std::vector<std::pair<std::string, std::vector<int>>> shared;
        for (const AddressConflicts::Shared& s : conflicts.shared()) {
            std::vector<int> numbers;
            for (const std::size_t i : s.cards) {
                numbers.push_back(entries[i].number);
            }
            shared.emplace_back(s.ip, numbers);
        }
        EXPECT_EQ(shared, c.shared);
        EXPECT_EQ(conflicts.empty(), c.shared.empty());
    }
}

// A wall of fresh cards all at the factory address: each card has every other one, counted
// without listing them, and a limited list names the first few.
TEST(AddressConflicts, AWallOfFreshCardsAtOneAddress) {
    std::vector<protocol::DeviceEntry> entries;
    for (int k = 0; k < 2000; ++k) {
        char mac[18];
        std::snprintf(mac, sizeof mac, "00:1A:2B:00:%02X:%02X", k >> 8, k & 0xFF);
        entries.push_back({k + 1, "LED", mac, k == 1999 ? "192.168.1.99" : "192.168.1.100", 60});
    }
    const AddressConflicts conflicts(entries);
    ASSERT_EQ(conflicts.shared().size(), 1u);
    EXPECT_EQ(conflicts.shared()[0].cards.size(), 1999u);
    EXPECT_EQ(conflicts.othersCount(0), 1998u);
    EXPECT_EQ(conflicts.othersOf(0, 3), (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(conflicts.othersOf(2, 3), (std::vector<std::size_t>{0, 1, 3}));
    EXPECT_FALSE(conflicts.conflicts(1999));
    EXPECT_FALSE(conflicts.conflicts(2000)); // past the list
    EXPECT_TRUE(conflicts.othersOf(1999).empty());
}
