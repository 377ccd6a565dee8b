#include "PanelFixture.h"
#include "protocol/Reply.h"
#include "protocol/WriteComposer.h"

#include <gtest/gtest.h>

using namespace protocol;
using testsupport::cat;
using testsupport::hex;
using testsupport::toHex;
using Reason = WriteRefusal::Reason;

class Write : public PanelFixture, public ::testing::Test {
protected:
    SelectedCard card;

    void SetUp() override {
        applyParameterReply(panel, fullReply(), scan, profile);
        card.ip = "192.168.1.100";
        card.mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    }

    WriteResult compose() { return composeWrite(panel, card, scan, profile); }

    std::vector<std::uint8_t> bytes() {
        auto r = compose();
        if (auto* refusal = std::get_if<WriteRefusal>(&r)) {
            ADD_FAILURE() << "refused: " << static_cast<int>(refusal->reason) << " "
                          << refusal->text;
            return {};
        }
        return std::get<WriteMessage>(r).bytes;
    }

    std::string tail17() {
        const auto b = bytes();
        return b.size() < 17 ? std::string() : toHex({b.end() - 17, b.end()});
    }

    WriteRefusal refusal() {
        auto r = compose();
        EXPECT_TRUE(std::holds_alternative<WriteRefusal>(r));
        return std::holds_alternative<WriteRefusal>(r)
                   ? std::get<WriteRefusal>(r)
                   : WriteRefusal{Reason::EmptyField, {}, 0, {}};
    }
};

TEST_F(Write, ByIpWithServerByIpIsEightySixBytes) {
    const auto expected = hex("A1 21 11 01 01 02 80 01 E0 03 00 07 01 05 33 44 22 00 21 1F FF "
                              "A1 05 04 C0 A8 01 64 FF "
                              "A1 06 04 FF FF FF 00 FF "
                              "A1 07 04 C0 A8 01 01 FF "
                              "A1 17 04 C0 A8 01 02 FF "
                              "A1 18 02 22 60 FF "
                              "A1 02 06 00 1A 2B 3C 4D 5E FF "
                              "A1 49 01 0C FF "
                              "A1 4A 08 00 00 00 00 00 00 00 00 FF");
    ASSERT_EQ(expected.size(), 86u);
    EXPECT_EQ(toHex(bytes()), toHex(expected));
    EXPECT_FALSE(std::get<WriteMessage>(compose()).hasDomain);
}

TEST_F(Write, ByMacStartsWithThePrefixAndShiftsTheCodes) {
    card.byMac = true;
    const auto b = bytes();
    ASSERT_EQ(b.size(), 96u);
    EXPECT_EQ(toHex({b.begin(), b.begin() + 10}), "A1 30 06 00 1A 2B 3C 4D 5E FF");
    std::vector<std::uint8_t> codes;
    for (std::size_t p = 0; p < b.size(); p += 4 + b[p + 2]) {
        ASSERT_EQ(b[p], 0xA1);
        codes.push_back(b[p + 1]);
    }
    EXPECT_EQ(toHex(codes), "30 51 35 36 37 47 48 32 49 4A");
}

TEST_F(Write, DomainOfSixtyThreeIsSentSixtyFourIsRefused) {
    panel.serverByDomain = true;
    const std::string d63(63, 'a');
    panel[Edit::Domain] = " " + d63 + "\t";
    auto r = compose();
    ASSERT_TRUE(std::holds_alternative<WriteMessage>(r));
    const auto& msg = std::get<WriteMessage>(r);
    EXPECT_TRUE(msg.hasDomain);
    ASSERT_EQ(msg.bytes.size(), 154u);
    EXPECT_EQ(toHex({msg.bytes.begin() + 86, msg.bytes.begin() + 89}), "A1 46 40");
    EXPECT_EQ(std::string(msg.bytes.begin() + 89, msg.bytes.begin() + 152), d63);
    EXPECT_EQ(msg.bytes[152], 0x00) << "one zero byte after 63 characters";
    EXPECT_EQ(msg.bytes[153], 0xFF);
    EXPECT_EQ(msg.bytes[86 - 17 + 3], 0x3F) << "flags: server by domain, DHCP 0";

    card.byMac = true;
    EXPECT_EQ(bytes().size(), 164u);

    panel[Edit::Domain] = std::string(64, 'a');
    EXPECT_EQ(refusal().reason, Reason::DomainTooLong);
}

TEST_F(Write, DomainGoesOutAsGivenAndOnlyInAscii) {
    panel.serverByDomain = true;
    panel[Edit::Domain] = "xn--fsqu00a.xn--0zwm56d";
    const auto b = bytes();
    ASSERT_EQ(b.size(), 154u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[89])), "xn--fsqu00a.xn--0zwm56d");

    // A name nobody converted would reach the card as UTF-8 bytes no resolver looks up.
    panel[Edit::Domain] = "例子.测试";
    EXPECT_EQ(refusal().reason, Reason::DomainTooLong);
    panel[Edit::Domain] = "b\xFChne.example"; // Latin-1, not even UTF-8
    EXPECT_EQ(refusal().reason, Reason::DomainTooLong);
}

TEST_F(Write, EmptyDomainWithServerByIpIsFine) {
    panel[Edit::Domain].clear();
    EXPECT_EQ(bytes().size(), 86u);
}

TEST_F(Write, NothingBeforeAReply) {
    panel.Clear();
    const auto r = refusal();
    EXPECT_EQ(r.reason, Reason::EmptyField);
    EXPECT_EQ(r.component.kind, PanelComponent::Kind::Edit);
    EXPECT_EQ(r.component.edit(), Edit::PLen) << "the first component in creation order";
}

TEST_F(Write, FirstEmptyComponentIsReported) {
    panel[Combo::Trans].index = -1;
    panel[Edit::IP2].clear();
    auto r = refusal();
    EXPECT_EQ(r.reason, Reason::EmptyField);
    EXPECT_EQ(r.component.kind, PanelComponent::Kind::Combo);
    EXPECT_EQ(r.component.combo(), Combo::Trans);
    panel[Combo::Trans].index = 0;
    EXPECT_EQ(refusal().component.edit(), Edit::IP2);
    panel[Edit::IP2] = "168";
    panel[Edit::Version].clear();
    EXPECT_EQ(refusal().component.edit(), Edit::Version) << "information fields are checked too";
}

TEST_F(Write, NumbersMustBePlainAndFitTheirFrame) {
    struct Case {
        Edit field;
        std::string text;
        Reason reason;
        std::uint32_t max;
    };
    const Case cases[] = {
        {Edit::IP1, "256", Reason::OutOfRange, 255},
        {Edit::Gate2, "999", Reason::OutOfRange, 255},
        {Edit::PLen, "65536", Reason::OutOfRange, 65535},
        {Edit::DPort, "99999999999999999999", Reason::OutOfRange, 65535},
        {Edit::PHeight, "12a", Reason::NotANumber, 65535},
        {Edit::C3, "+1", Reason::NotANumber, 255},
        {Edit::DIP4, "-1", Reason::NotANumber, 255},
        {Edit::IP3, " 1", Reason::NotANumber, 255},
        {Edit::IP3, " ", Reason::NotANumber, 255},
    };
    for (const auto& c : cases) {
        SetUp();
        panel[c.field] = c.text;
        const auto r = refusal();
        EXPECT_EQ(r.reason, c.reason) << c.text;
        EXPECT_EQ(r.component.edit(), c.field) << c.text;
        EXPECT_EQ(r.maxValue, c.max) << c.text;
        EXPECT_EQ(r.text, c.text);
    }
    SetUp();
    panel[Edit::IP4] = "255";
    panel[Edit::PLen] = "65535";
    panel[Edit::DPort] = "00080";
    const auto b = bytes();
    EXPECT_EQ(toHex({b.begin() + 3 + 2, b.begin() + 3 + 4}), "FF FF");
    EXPECT_EQ(b[21 + 3 + 3], 0xFF);
}

TEST_F(Write, DisplayBlockRowOrderAndNibbles) {
    panel[Combo::RowOrder].index = 2;     // line reverse
    panel[Combo::EmptyDisplay].index = 1; // welcome
    EXPECT_EQ(bytes()[3 + 16], 0x1F);
    panel[Combo::RowOrder].index = 3; // no 138 decoding
    panel[Combo::EmptyDisplay].index = 0;
    EXPECT_EQ(bytes()[3 + 16], 0x0E);
    panel[Combo::RowOrder].index = 1;
    EXPECT_EQ(bytes()[3 + 16], 0x01);
    panel[Combo::CF].index = 2;
    panel[Combo::SContent].index = 1;
    EXPECT_EQ(bytes()[3 + 15], 0x21);
    panel[Combo::Comm].index = 2;
    panel[Combo::Scan].index = 60;
    panel[Combo::DataBit].index = 1;
    const auto b = bytes();
    EXPECT_EQ(b[3 + 11], 0x22) << "serial";
    EXPECT_EQ(b[3 + 0], 42) << "static scan M";
    EXPECT_EQ(b[3 + 9], 0x01);
}

TEST_F(Write, FlagsAndDnsUnderDhcp) {
    panel.serverByDomain = false;
    profile.dhcp = 0;
    panel[Edit::DNS1] = "garbage";
    EXPECT_EQ(tail17(), "A1 49 01 0C FF A1 4A 08 00 00 00 00 00 00 00 00 FF")
        << "DHCP 0: the DNS fields are not looked at";

    profile.dhcp = 1;
    panel.cfgMode = 1;
    panel.dnsManual = false;
    EXPECT_EQ(tail17(), "A1 49 01 0F FF A1 4A 08 00 00 00 00 00 00 00 00 FF");

    panel.cfgMode = 2;
    panel.dnsManual = true;
    panel[Edit::DNS1] = "8";
    panel[Edit::DNS2] = "8";
    panel[Edit::DNS3] = "4";
    panel[Edit::DNS4] = "4";
    EXPECT_EQ(tail17(), "A1 49 01 01 FF A1 4A 08 08 08 04 04 00 00 00 00 FF");

    panel.cfgMode = 0;
    panel.serverByDomain = true;
    panel[Edit::Domain] = "a.b";
    const auto b = bytes();
    EXPECT_EQ(b[86 - 17 + 3], 0x30) << "domain 11, DNS by hand 00, manual 00";

    panel[Edit::DNS3].clear();
    auto r = refusal();
    EXPECT_EQ(r.reason, Reason::DnsFieldEmpty);
    EXPECT_EQ(r.component.edit(), Edit::DNS3);
    panel[Edit::DNS3] = "300";
    EXPECT_EQ(refusal().reason, Reason::OutOfRange);
    panel[Edit::DNS3] = "x";
    EXPECT_EQ(refusal().reason, Reason::NotANumber);
}

TEST_F(Write, WrittenPanelReadsBackAsAMatch) {
    // What the composer sends, a card echoes in its reply; the panel then confirms.
    panel[Edit::IP4] = "101";
    const auto sent = bytes();
    auto echo = fullReply();
    echo[16] = sent[21 + 3 + 3];
    EXPECT_TRUE(applyParameterReply(panel, echo, scan, profile).matched);
}
