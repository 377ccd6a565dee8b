#include "protocol/Reply.h"

#include "PanelFixture.h"

#include <gtest/gtest.h>

using namespace protocol;
using testsupport::cat;
using testsupport::hex;

class Reply : public PanelFixture, public ::testing::Test {
protected:
    ReplyOutcome apply(const std::vector<std::uint8_t>& d) {
        return applyParameterReply(panel, d, scan, profile);
    }
};

TEST_F(Reply, FullReplyFillsEveryFieldOfAnEmptyPanelWithoutConfirming) {
    const auto d = fullReply();
    ASSERT_EQ(d.size(), 171u);
    const auto out = apply(d);
    EXPECT_FALSE(out.matched) << "the panel was empty before the reply";
    EXPECT_EQ(panel[Edit::MACAddr], "00:1A:2B:3C:4D:5E");
    EXPECT_EQ(panel[Edit::IP1] + "." + panel[Edit::IP2] + "." + panel[Edit::IP3] + "." +
                  panel[Edit::IP4],
              "192.168.1.100");
    EXPECT_EQ(panel[Edit::C4], "0");
    EXPECT_EQ(panel[Edit::Gate4], "1");
    EXPECT_EQ(panel[Edit::DIP4], "2");
    EXPECT_EQ(panel[Edit::DPort], "8800");
    EXPECT_EQ(panel[Edit::Version], "54");
    EXPECT_EQ(panel[Edit::Domain], "led.example.com");
    EXPECT_EQ(panel[Edit::PLen], "640");
    EXPECT_EQ(panel[Edit::PHeight], "480");
    EXPECT_EQ(panel[Edit::InnerCodeHex], "16进制：0a-ff-00-01-02-03-04-05");
    EXPECT_EQ(panel[Edit::InnerCodeDec], "10进制：10-255-0-1-2-3-4-5");
    EXPECT_EQ(panel[Combo::Scan].index, 0);
    EXPECT_EQ(panel[Combo::OE].index, 0);
    EXPECT_EQ(panel[Combo::PClor].index, 2);
    EXPECT_EQ(panel[Combo::DLamp].index, 0);
    EXPECT_EQ(panel[Combo::NLamp].index, 7);
    EXPECT_EQ(panel[Combo::DataBit].index, 1);
    EXPECT_EQ(panel[Combo::Addr485].index, 4);
    EXPECT_EQ(panel[Combo::Comm].index, 1) << "0x33 is the server item";
    EXPECT_EQ(panel[Combo::Baud].index, 4);
    EXPECT_EQ(panel[Combo::Rate].index, 1);
    EXPECT_EQ(panel[Combo::Trans].index, 0);
    EXPECT_EQ(panel[Combo::CF].index, 2);
    EXPECT_EQ(panel[Combo::SContent].index, 1);
    EXPECT_EQ(panel[Combo::EmptyDisplay].index, 1);
    EXPECT_EQ(panel[Combo::RowOrder].index, 2) << "code 15 is the second-to-last item";
    EXPECT_FALSE(panel.serverByDomain);
    EXPECT_TRUE(panel[Edit::DNS1].empty()) << "DHCP 0 ignores the DNS frame";
}

TEST_F(Reply, SecondReplyMatchesTheFirstAndConfirms) {
    apply(fullReply());
    const auto out = apply(fullReply());
    EXPECT_TRUE(out.matched);
}

TEST_F(Reply, GatewayDifferenceFailsTheCheckAndShowsTheCardValue) {
    apply(fullReply());
    panel[Edit::Gate4] = "254";
    const auto out = apply(fullReply());
    EXPECT_FALSE(out.matched);
    EXPECT_EQ(panel[Edit::Gate4], "1");
}

TEST_F(Reply, ComparisonIsCharacterForCharacter) {
    apply(fullReply());
    panel[Edit::IP4] = "0100";
    EXPECT_FALSE(apply(fullReply()).matched);
}

TEST_F(Reply, DisplayBytesOutsideTheLists) {
    apply(fullReply());
    auto d = fullReply();
    const std::size_t display = 171 - 12 - 21 + 3; // payload start of the display frame
    ASSERT_EQ(d[display - 3], 0xA1);
    ASSERT_EQ(d[display - 2], 0x21);
    d[display + 0] = 58;    // no such scan code
    d[display + 10] = 0;    // RS-485 address 0
    d[display + 11] = 0x11; // no such comm code
    apply(d);
    EXPECT_EQ(panel[Combo::Scan].index, 0);
    EXPECT_EQ(panel[Combo::Addr485].index, 0);
    EXPECT_EQ(panel[Combo::Comm].index, 1) << "left as it was";

    d[display + 0] = 42;
    d[display + 10] = 100;
    d[display + 6] = 3;
    apply(d);
    EXPECT_EQ(panel[Combo::Scan].index, 60) << "static scan M";
    EXPECT_EQ(panel[Combo::Addr485].index, 0);
    EXPECT_EQ(panel[Combo::PClor].index, 2);

    panel.SetRuntimeCounts(2); // CardColor other than 3: two colours
    apply(d);
    EXPECT_EQ(panel[Combo::PClor].index, -1);
    d[display + 6] = 0;
    panel.SetRuntimeCounts(3);
    apply(d);
    EXPECT_EQ(panel[Combo::PClor].index, -1) << "colour 0 never has an item";

    d[display + 7] = 8;     // day brightness past the list
    d[display + 16] = 0x2E; // empty display 2 (none), row code 14 (last item)
    apply(d);
    EXPECT_EQ(panel[Combo::DLamp].index, -1);
    EXPECT_EQ(panel[Combo::EmptyDisplay].index, -1);
    EXPECT_EQ(panel[Combo::RowOrder].index, 3);
}

TEST_F(Reply, FlagsUnderDhcp) {
    profile.dhcp = 1;
    auto out = apply(fullReply(0x3F));
    EXPECT_TRUE(panel.serverByDomain);
    EXPECT_FALSE(panel.dnsManual);
    EXPECT_EQ(panel.cfgMode, 1);
    EXPECT_TRUE(out.dnsReactionDue);
    EXPECT_EQ(panel[Edit::DNS1], "8");

    apply(fullReply(0x0D)); // 00 00 11 01: software mode, DNS automatic
    EXPECT_EQ(panel.cfgMode, 2);
    EXPECT_FALSE(panel.dnsManual);
    EXPECT_FALSE(panel.serverByDomain);

    apply(fullReply(0x0C)); // manual mode forces the DNS box ticked
    EXPECT_EQ(panel.cfgMode, 0);
    EXPECT_TRUE(panel.dnsManual);
}

TEST_F(Reply, FlagsWithoutDhcpOnlyChooseTheServerRadio) {
    panel.cfgMode = 2;
    panel.dnsManual = false;
    apply(fullReply(0x3F));
    EXPECT_TRUE(panel.serverByDomain);
    EXPECT_EQ(panel.cfgMode, 2);
    EXPECT_FALSE(panel.dnsManual);
}

TEST_F(Reply, FlagsFrameOfLengthTwoOnlyResetsTheServerRadio) {
    panel.serverByDomain = true;
    profile.dhcp = 1;
    panel.cfgMode = 2;
    const auto out = apply(hex("A1 19 02 3F 3F FF"));
    EXPECT_FALSE(panel.serverByDomain);
    EXPECT_EQ(panel.cfgMode, 0) << "the start of every reply under DHCP";
    (void)out;
    profile.dhcp = 0;
    panel.cfgMode = 2;
    panel.serverByDomain = true;
    apply(hex("A1 19 02 3F 3F FF"));
    EXPECT_FALSE(panel.serverByDomain);
    EXPECT_EQ(panel.cfgMode, 2);
}

TEST_F(Reply, DnsPresetAndDhcp) {
    panel[Edit::DNS1] = "9";
    apply(fullReply());
    EXPECT_EQ(panel[Edit::DNS1], "9") << "DHCP 0: the DNS frame is ignored";

    profile.dhcp = 1;
    profile.dns = "10.0.0";
    apply(fullReply());
    EXPECT_EQ(panel[Edit::DNS1], "8") << "three pieces: the card's values stay";
    profile.dns = "10.0.0.1.7";
    const auto out = apply(fullReply());
    EXPECT_EQ(panel[Edit::DNS1] + "." + panel[Edit::DNS2] + "." + panel[Edit::DNS3] + "." +
                  panel[Edit::DNS4],
              "10.0.0.1");
    EXPECT_TRUE(out.matched) << "checked against the card's values before the preset";
    EXPECT_FALSE(apply(fullReply()).matched) << "the preset never matches the card's 8.8.8.8";
}

TEST_F(Reply, DomainPresetAndCheck) {
    profile.domainName = "preset.example";
    apply(fullReply(0x3F));
    EXPECT_EQ(panel[Edit::Domain], "preset.example");
    EXPECT_FALSE(apply(fullReply(0x3F)).matched) << "card's domain differs from the setting";

    profile.domainName.clear();
    apply(fullReply(0x3F));
    EXPECT_TRUE(apply(fullReply(0x3F)).matched) << "without a preset the domain never fails";
    EXPECT_EQ(panel[Edit::Domain], "led.example.com");
}

TEST_F(Reply, ConfirmsAWriteOfANewAddress) {
    apply(fullReply());
    panel[Edit::IP4] = "101"; // what the operator sent
    auto d = fullReply();
    d[10 + 3 + 3] = 101; // the card now reports .101
    EXPECT_TRUE(apply(d).matched);
}

TEST_F(Reply, EmbeddedFrameInTheDomainCountsAsAnotherIp) {
    apply(fullReply());
    std::string domain = "x";
    domain += std::string("\xA1\x05\x04\x0A\x00\x00\x07\xFF", 8);
    auto d = fullReply(0x0C, domain);
    apply(d);
    // The embedded frame comes after the real IP frame, so its value stands last.
    EXPECT_EQ(panel[Edit::IP1], "10");
    EXPECT_EQ(panel[Edit::IP4], "7");
}

// Stray traffic on the port: 171 bytes or more with no network value in them confirm nothing,
// even right after a write, while one echoed value still does.
TEST_F(Reply, AReplyWithoutAnyCheckedValueConfirmsNothing) {
    apply(fullReply());
    EXPECT_FALSE(apply(std::vector<std::uint8_t>(171, 0x00)).matched);
    EXPECT_FALSE(apply(std::vector<std::uint8_t>(300, 0xA1)).matched);
    auto noNetwork = cat({hex("A1 22 08 0A FF 00 01 02 03 04 05 FF"), hex("A1 20 01 35 FF")});
    noNetwork.resize(171, 0x00);
    EXPECT_FALSE(apply(noNetwork).matched) << "internal code and version are not checked";
    EXPECT_EQ(panel[Edit::Version], "53");
    auto oneValue = cat({hex("A1 05 04 C0 A8 01 64 FF")});
    oneValue.resize(171, 0x00);
    panel[Edit::IP1] = "192";
    panel[Edit::IP2] = "168";
    panel[Edit::IP3] = "1";
    panel[Edit::IP4] = "100";
    EXPECT_TRUE(apply(oneValue).matched);
}

TEST_F(Reply, MissingFramesLeaveFieldsAndTruncatedFramesAreIgnored) {
    panel[Edit::PLen] = "64";
    const auto out = apply(cat({hex("A1 05 04 C0 A8 01 64 FF"), hex("A1 21 11 01 01 FF")}));
    EXPECT_EQ(panel[Edit::IP1], "192");
    EXPECT_EQ(panel[Edit::PLen], "64");
    EXPECT_FALSE(out.matched);
}
