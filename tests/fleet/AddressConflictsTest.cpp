// Which found cards share their address with a card of another MAC, case by case, as a search
// list holds them.

#include "fleet/AddressConflicts.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    std::vector<std::pair<char, const char*>> cards; // MAC 00:1A:2B:00:00:0k by k, IP
    const char* others; // per card, the k of the other cards at its address; '|' between cards
    const char* shared; // the shared addresses with their cards' k, in list order
};

const Case kCases[] = {
    {"no conflict", {{'1', "192.168.1.100"}, {'2', "192.168.1.101"}}, "|", ""},
    {"two cards one address",
     {{'1', "192.168.1.100"}, {'2', "192.168.1.101"}, {'3', "192.168.1.100"}},
     "3||1",
     "192.168.1.100:13"},
    {"three cards one address",
     {{'1', "10.0.0.1"}, {'2', "10.0.0.1"}, {'3', "10.0.0.2"}, {'4', "10.0.0.1"}},
     "24|14||12",
     "10.0.0.1:124"},
    {"two addresses, in the order of their first card",
     {{'1', "10.0.0.2"}, {'2', "10.0.0.1"}, {'3', "10.0.0.1"}, {'4', "10.0.0.2"}},
     "4|3|2|1",
     "10.0.0.2:14 10.0.0.1:23"},
    {"one card at two addresses moved", {{'1', "10.0.0.1"}, {'1', "10.0.0.2"}}, "|", ""},
    {"a moved card meets another",
     {{'1', "10.0.0.1"}, {'2', "10.0.0.2"}, {'1', "10.0.0.2"}},
     "|1|2",
     "10.0.0.2:21"},
    {"empty addresses share nothing", {{'1', ""}, {'2', ""}, {'3', "10.0.0.1"}}, "||", ""},
    // The second case after a write gave card 3 the address 192.168.1.103.
    {"a write moves one card away",
     {{'1', "192.168.1.100"}, {'2', "192.168.1.101"}, {'3', "192.168.1.103"}},
     "||",
     ""},
};

} // namespace

TEST(AddressConflicts, EachCase) {
    for (const Case& c : kCases) {
        std::vector<protocol::DeviceEntry> cards;
        for (const auto& [k, ip] : c.cards) {
            cards.push_back(
                {int(cards.size()) + 1, "LED", "00:1A:2B:00:00:0" + std::string(1, k), ip, 60});
        }
        const fleet::AddressConflicts conflicts(cards);
        QStringList others;
        for (std::size_t i = 0; i < cards.size(); ++i) {
            QString ks;
            for (const std::size_t other : conflicts.othersOf(i)) {
                ks += QChar(cards[other].mac.back());
            }
            EXPECT_EQ(conflicts.othersCount(i), std::size_t(ks.size())) << c.name;
            EXPECT_EQ(conflicts.conflicts(i), !ks.isEmpty()) << c.name;
            others << ks;
        }
        EXPECT_EQ(others.join(u'|'), QString::fromLatin1(c.others)) << c.name;
        QStringList shared;
        for (const auto& s : conflicts.shared()) {
            QString ks = QString::fromStdString(s.ip) + u':';
            for (const std::size_t i : s.cards) {
                ks += QChar(cards[i].mac.back());
            }
            shared << ks;
        }
        EXPECT_EQ(shared.join(u' '), QString::fromLatin1(c.shared)) << c.name;
    }
}
