#include "protocol/SearchAnswer.h"

#include "protocol/Addressing.h"
#include "support/Bytes.h"

#include <gtest/gtest.h>

using namespace protocol;
using testsupport::cat;
using testsupport::hex;

namespace {

const auto kMacFrame = hex("A1 04 06 00 1A 2B 3C 4D 5E FF");
const auto kIpFrame = hex("A1 05 04 C0 A8 01 64 FF");
const auto kMaskFrame = hex("A1 06 04 FF FF FF 00 FF");

std::vector<std::uint8_t> answer(int) {
    return cat({hex("A1 02 06 4C 45 44 2D 30 31 FF"), kMacFrame, kIpFrame, kMaskFrame,
                hex("A1 20 01 00 FF")});
}

std::vector<std::uint8_t> withVersion(std::vector<std::uint8_t> d, std::uint8_t v) {
    d[d.size() - 2] = v;
    return d;
}

} // namespace

TEST(SearchAnswerDecoding, ReadsNameMacIpAndVersion) {
    const auto a = DecodeSearchAnswer(withVersion(answer(0), 54));
    EXPECT_EQ(a.name, "LED-01");
    EXPECT_EQ(a.mac, "00:1A:2B:3C:4D:5E");
    EXPECT_EQ(a.ip, "192.168.1.100");
    EXPECT_EQ(a.version, 54);
}

TEST(SearchAnswerDecoding, NameRules) {
    // L = 12: two blanks, "Card 7", a zero byte, three more letters.
    const auto blanks = hex("A1 02 0C 20 20 43 61 72 64 20 37 00 58 59 5A FF");
    EXPECT_EQ(DecodeSearchAnswer(blanks).name, "Card 7");
    EXPECT_EQ(DecodeSearchAnswer(hex("A1 02 05 61 51 5A 54 62 FF")).name, "unknown")
        << "QZT anywhere marks a nameless card";
    EXPECT_EQ(DecodeSearchAnswer(hex("A1 02 03 71 7A 74 FF")).name, "qzt") << "case-sensitive";
    EXPECT_EQ(DecodeSearchAnswer(cat({kMacFrame, kIpFrame})).name, "unknown");
    EXPECT_EQ(DecodeSearchAnswer(hex("A1 02 03 20 09 20 FF")).name, "unknown");
    EXPECT_EQ(DecodeSearchAnswer(hex("A1 02 06 CF D4 CA BE C6 C1 FF")).name, "显示屏");
}

TEST(SearchAnswerDecoding, LaterFramesWinAndShortOnesAreIgnored) {
    const auto two = cat({kIpFrame, hex("A1 05 04 0A 00 00 07 FF")});
    EXPECT_EQ(DecodeSearchAnswer(two).ip, "10.0.0.7");
    // A MAC frame whose six bytes would run past the end of the datagram.
    const auto shortMac = hex("A1 04 02 00 1A FF");
    EXPECT_EQ(DecodeSearchAnswer(shortMac).mac, "");
    // A MAC frame with a short length byte still takes six bytes when they are there.
    const auto lenient = hex("A1 04 02 00 1A FF 3C 4D 5E");
    EXPECT_EQ(DecodeSearchAnswer(lenient).mac, "00:1A:FF:3C:4D:5E");
    const auto empty = DecodeSearchAnswer({});
    EXPECT_EQ(empty.name, "unknown");
    EXPECT_EQ(empty.mac, "");
    EXPECT_EQ(empty.ip, "");
    EXPECT_EQ(empty.version, 0);
}

TEST(FoundCardsList, DuplicatesNumbersAndMacLookup) {
    FoundCards cards;
    const auto a = DecodeSearchAnswer(withVersion(answer(0), 53));
    auto first = cards.add(a);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->number, 1);
    EXPECT_FALSE(cards.add(a).has_value()) << "the same card answering again";
    auto moved = a;
    moved.ip = "192.168.1.101";
    auto second = cards.add(moved);
    ASSERT_TRUE(second.has_value()) << "same MAC, other IP is listed again";
    EXPECT_EQ(second->number, 2);
    // The empty datagram: one "unknown" row, then its duplicates.
    EXPECT_TRUE(cards.add(DecodeSearchAnswer({})).has_value());
    EXPECT_FALSE(cards.add(DecodeSearchAnswer({})).has_value());
    EXPECT_EQ(cards.size(), 3u);
    EXPECT_EQ(cards.firstWithMac("00:1A:2B:3C:4D:5E")->ip, "192.168.1.100") << "first added";
    EXPECT_EQ(cards.firstWithMac("00:1a:2b:3c:4d:5e"), nullptr) << "exact text";
    cards.clear();
    EXPECT_EQ(cards.size(), 0u);
    EXPECT_TRUE(cards.add(a).has_value());
}

TEST(ChoosingACard, VersionDecidesMacAddressing) {
    FoundCards cards;
    auto v53 = DecodeSearchAnswer(withVersion(answer(0), 53));
    auto v54 = v53;
    v54.mac = "00:00:00:00:00:54";
    v54.ip = "192.168.1.54";
    v54.version = 54;
    auto none = DecodeSearchAnswer(cat({hex("A1 04 06 00 00 00 00 00 99 FF"), kIpFrame}));
    cards.add(v53);
    cards.add(v54);
    cards.add(none);

    SelectedCard card;
    chooseCard(card, v53.ip, v53.mac, cards);
    EXPECT_FALSE(card.byMac);
    EXPECT_EQ(card.mac, (Mac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
    chooseCard(card, v54.ip, "  " + v54.mac + " ", cards);
    EXPECT_TRUE(card.byMac);
    EXPECT_EQ(card.ip, "192.168.1.54");
    chooseCard(card, none.ip, none.mac, cards);
    EXPECT_FALSE(card.byMac) << "no version frame reads as 0";
    chooseCard(card, "10.1.1.1", "AA:BB:CC:DD:EE:FF", cards);
    EXPECT_FALSE(card.byMac) << "no record with that MAC";
    EXPECT_EQ(card.mac, (Mac{0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}));
    chooseCard(card, "10.1.1.2", "   ", cards);
    EXPECT_EQ(card.ip, "10.1.1.2");
    EXPECT_EQ(card.mac, (Mac{0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF})) << "empty MAC keeps the old";
}
