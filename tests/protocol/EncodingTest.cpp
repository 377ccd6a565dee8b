#include "protocol/Encoding.h"

#include "protocol/CardText.h"
#include "protocol/ScanModeTable.h"

#include <gtest/gtest.h>

using namespace protocol;

TEST(Conversions, HexBitsAndNibbles) {
    EXPECT_EQ(HexPairValue("1a"), 26u);
    EXPECT_EQ(HexPairValue("FF"), 255u);
    EXPECT_EQ(HexPairValue("0280"), 640u);
    EXPECT_EQ(HexPairValue("zz"), 0u) << "characters that are no digit count as 0";
    EXPECT_EQ(HexPairValue("g1"), 1u);
    EXPECT_EQ(BitString(5, 4), "0101");
    EXPECT_EQ(BitString(0x3F, 8), "00111111");
    EXPECT_EQ(BitString(0x1F, 4), "1111") << "bits above n are ignored";
    EXPECT_EQ(BitStringValue("0011"), 3u);
    EXPECT_EQ(BitStringValue("1111"), 15u);
    EXPECT_EQ(NibblePack(2, 1), 0x21);
    EXPECT_EQ(NibblePack(1, 15), 0x1F);
    EXPECT_EQ(NibblePack(0, 14), 0x0E);
    EXPECT_EQ(NibblePack(17, 18), 0x12) << "mod 16 on both halves";
    EXPECT_EQ(NibbleSplit(0x21).high, 2);
    EXPECT_EQ(NibbleSplit(0x21).low, 1);
    EXPECT_EQ(NibbleSplit(0xF0).high, 15);
    EXPECT_EQ(NibbleSplit(0xF0).low, 0);
}

TEST(Conversions, SixteenBitFields) {
    EXPECT_EQ(Be16Bytes(640), (std::array<std::uint8_t, 2>{0x02, 0x80}));
    EXPECT_EQ(Be16Bytes(8800), (std::array<std::uint8_t, 2>{0x22, 0x60}));
    EXPECT_EQ(Be16Bytes(0), (std::array<std::uint8_t, 2>{0x00, 0x00}));
    EXPECT_EQ(Be16Bytes(65535), (std::array<std::uint8_t, 2>{0xFF, 0xFF}));
    // Above 65535 the wire rule keeps the first four hex digits: 0x10000 -> "1000".
    EXPECT_EQ(Be16Bytes(65536), (std::array<std::uint8_t, 2>{0x10, 0x00}));
    EXPECT_EQ(Be16Value(0x01, 0xE0), 480u);
    EXPECT_EQ(Be16Value(0x22, 0x60), 8800u);
}

TEST(Conversions, AddressTexts) {
    const std::uint8_t mac[] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    EXPECT_EQ(MacText(mac), "00:1A:2B:3C:4D:5E");
    const std::uint8_t ip[] = {0xC0, 0xA8, 0x01, 0x64};
    EXPECT_EQ(Ipv4Text(ip), "192.168.1.100");
    EXPECT_EQ(MacFromText("00:1A:2B:3C:4D:5E"), (Mac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
    EXPECT_EQ(MacFromText("aa-bb-cc-dd-ee-ff"), (Mac{0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}))
        << "only the character positions matter, not the separators";
    EXPECT_EQ(MacFromText("12:34"), (Mac{0x12, 0x34, 0, 0, 0, 0}));
}

TEST(Conversions, StrictDecimalAndTrim) {
    EXPECT_EQ(ParseDecimal("0"), 0u);
    EXPECT_EQ(ParseDecimal("010"), 10u);
    EXPECT_EQ(ParseDecimal("4294967295"), 4294967295u);
    for (const char* bad :
         {"", " 1", "1 ", "+1", "-1", "1a", "0x10", "4294967296", "99999999999999999999", "１"}) {
        EXPECT_FALSE(ParseDecimal(bad).has_value()) << bad;
    }
    EXPECT_EQ(TrimControl(" \t\r\nab c\x01 "), "ab c");
    EXPECT_EQ(TrimControl("   "), "");
}

TEST(ScanModes, NinetyFiveEntriesWithCodesOutOfPositionOrder) {
    ScanModeTable t;
    const auto names = t.Build("静态扫描");
    ASSERT_EQ(names.size(), 95u);
    EXPECT_EQ(names[0], "1/16 (A)");
    EXPECT_EQ(names[9], "1/16 (J)");
    EXPECT_EQ(names[10], "1/8  (A)");
    EXPECT_EQ(names[22], "1/4  (A)");
    EXPECT_EQ(names[39], "1/4  (R)");
    EXPECT_EQ(names[40], "1/32  (A)");
    EXPECT_EQ(names[48], "静态扫描 (A)");
    EXPECT_EQ(names[60], "静态扫描 (M)");
    EXPECT_EQ(names[61], "1/10  (A)");
    EXPECT_EQ(names[83], "1/5  (A)");
    EXPECT_EQ(names[94], "1/6  (D)");

    EXPECT_EQ(t.CodeAt(0), 1);
    EXPECT_EQ(t.CodeAt(1), 16) << "code 16 is 1/16 (B)";
    EXPECT_EQ(t.PositionOf(17), 34) << "codes 17..19 are 1/4 (M)..(O)";
    EXPECT_EQ(t.PositionOf(19), 36);
    EXPECT_EQ(t.PositionOf(42), 60) << "static scan M";
    EXPECT_EQ(t.PositionOf(132), 39);
    EXPECT_EQ(t.PositionOf(113), 94);
    for (int none :
         {0, 43, 46, 49, 58, 59, 74, 79, 84, 89, 94, 99, 108, 109, 114, 119, 126, 129, 133, 255}) {
        EXPECT_EQ(t.PositionOf(static_cast<std::uint8_t>(none)), 0) << none;
    }
    EXPECT_EQ(t.CodeAt(95), 0);
    EXPECT_EQ(t.CodeAt(-1), 0);

    // Rebuilding replaces the table rather than appending to it.
    const auto english = t.Build("Static Scan");
    EXPECT_EQ(t.entries().size(), 95u);
    EXPECT_EQ(english[48], "Static Scan (A)");
}

TEST(CardText, Utf8GbkAndBytes) {
    EXPECT_EQ(DecodeCardText("Card 7"), "Card 7");
    EXPECT_EQ(DecodeCardText("显示屏"), "显示屏");
    EXPECT_EQ(DecodeCardText("\xCF\xD4\xCA\xBE\xC6\xC1"), "显示屏") << "GBK bytes";
    EXPECT_EQ(DecodeCardText("A\xFF"
                             "B"),
              "A\xC3\xBF"
              "B")
        << "neither: one character per byte";
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF")) << "overlong";
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")) << "surrogate";
}
