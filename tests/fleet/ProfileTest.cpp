// Profile files and NAME=VALUE changes: the round trip over full panels, profiles written by
// hand as an operator would, the refusals with file, line and key, and what applying keeps.

#include "fleet/Profile.h"

#include "protocol/PanelFixture.h"
#include "protocol/Reply.h"
#include "protocol/WriteComposer.h"
#include "support/Bytes.h"

#include <gtest/gtest.h>

using namespace fleet;
using lang::LanguageId;
using protocol::Combo;
using protocol::Edit;

namespace {

class ProfileTest : public PanelFixture, public ::testing::Test {
protected:
    protocol::SelectedCard card;

    // A card as read: the fixture's reply under this profile.
    protocol::PanelModel readCard(int dhcp, std::uint8_t flags = 0x0C,
                                  const std::string& domain = "led.example.com") {
        profile.dhcp = dhcp;
        protocol::PanelModel p;
        p.SetRuntimeCounts(profile.cardColor);
        protocol::applyParameterReply(p, fullReply(flags, domain), scan, profile);
        return p;
    }

    // Another card as read: other values everywhere, its own MAC, version and code.
    protocol::PanelModel otherCard(int dhcp) {
        profile.dhcp = dhcp;
        protocol::PanelModel p;
        p.SetRuntimeCounts(profile.cardColor);
        using testsupport::hex;
        const auto reply = testsupport::cat({
            hex("A1 04 06 00 1A 2B 3C 4D 99 FF"),
            hex("A1 05 04 0A 00 00 07 FF"),
            hex("A1 06 04 FF FF 00 00 FF"),
            hex("A1 07 04 0A 00 00 01 FF"),
            hex("A1 17 04 0A 00 00 02 FF"),
            hex("A1 18 02 00 50 FF"),
            hex("A1 19 01 00 FF"),
            hex("A1 1A 08 01 01 01 01 00 00 00 00 FF"),
            hex("A1 20 01 30 FF"),
            hex("A1 21 11 2A 02 00 40 00 20 01 03 03 00 63 22 00 33 44 00 0E FF"),
            hex("A1 22 08 01 02 03 04 05 06 07 08 FF"),
        });
        protocol::applyParameterReply(p, reply, scan, profile);
        return p;
    }

    Profile parsed(const std::string& json, const std::string& file = "p.json") {
        auto r = ParseProfile(json, file);
        if (auto* refusal = std::get_if<Refusal>(&r)) {
            ADD_FAILURE() << RefusalMessage(*refusal, LanguageId::English);
            return {};
        }
        return std::get<Profile>(r);
    }

    testsupport::Bytes written(const protocol::PanelModel& p) {
        const auto r = protocol::composeWrite(p, card, scan, profile);
        if (!std::holds_alternative<protocol::WriteMessage>(r)) {
            ADD_FAILURE() << WriteRefusalMessage(std::get<protocol::WriteRefusal>(r),
                                                 LanguageId::English);
            return {};
        }
        return std::get<protocol::WriteMessage>(r).bytes;
    }
};

// Every field a profile carries; under DHCP 0 the configuration mode and the DNS row are
// hidden and not parameters of the card.
bool SameWritable(const protocol::PanelModel& a, const protocol::PanelModel& b, int dhcp = 1) {
    bool same = true;
    for (std::size_t i = 0; i < protocol::EditCount; ++i) {
        const auto e = static_cast<Edit>(i);
        const bool dns = e == Edit::DNS1 || e == Edit::DNS2 || e == Edit::DNS3 || e == Edit::DNS4;
        if (e == Edit::MACAddr || e == Edit::Version || e == Edit::InnerCodeHex ||
            e == Edit::InnerCodeDec || (dns && dhcp != 1)) {
            continue;
        }
        if (a[e] != b[e]) {
            ADD_FAILURE() << protocol::EditName(e) << ": " << a[e] << " vs " << b[e];
            same = false;
        }
    }
    for (std::size_t i = 0; i < protocol::ComboCount; ++i) {
        if (a.combos[i].index != b.combos[i].index) {
            ADD_FAILURE() << protocol::ComboName(static_cast<Combo>(i)) << ": " << a.combos[i].index
                          << " vs " << b.combos[i].index;
            same = false;
        }
    }
    if (a.serverByDomain != b.serverByDomain) {
        ADD_FAILURE() << "server by domain: " << a.serverByDomain << " vs " << b.serverByDomain;
        same = false;
    }
    if (dhcp == 1 && (a.dnsManual != b.dnsManual || a.cfgMode != b.cfgMode)) {
        ADD_FAILURE() << "mode and DNS box: " << a.cfgMode << "/" << a.dnsManual << " vs "
                      << b.cfgMode << "/" << b.dnsManual;
        same = false;
    }
    return same;
}

struct RoundTrip {
    const char* what;
    int dhcp;
    std::uint8_t flags;
    std::string domain;
};

// DHCP 0 by IP and by domain; DHCP 1 in each configuration mode with the DNS box both ways.
const RoundTrip kRoundTrips[] = {
    {"DHCP 0, server by IP", 0, 0x0C, "led.example.com"},
    {"DHCP 0, server by domain", 0, 0x3F, std::string(63, 'd')},
    {"DHCP 1, DHCP mode, DNS automatic, by domain", 1, 0x3F, "a\"quoted\\name"},
    {"DHCP 1, manual mode, DNS by hand", 1, 0x00, ""},
    {"DHCP 1, software mode, DNS by hand", 1, 0x01, "led.example.com"},
    {"DHCP 1, DHCP mode, DNS by hand", 1, 0x33, "显示屏.example"},
};

TEST_F(ProfileTest, RoundTripGivesTheSamePanelFieldForField) {
    for (const RoundTrip& row : kRoundTrips) {
        SCOPED_TRACE(row.what);
        const protocol::PanelModel original = readCard(row.dhcp, row.flags, row.domain);
        const std::string json = ProfileJson(original, profile);

        protocol::PanelModel target;
        target.SetRuntimeCounts(profile.cardColor);
        target.cfgMode = 2;
        target.dnsManual = !original.dnsManual;
        target.serverByDomain = !original.serverByDomain;
        const auto refusal = ApplyProfile(target, parsed(json), profile);
        ASSERT_FALSE(refusal) << RefusalMessage(*refusal, LanguageId::English);
        EXPECT_TRUE(SameWritable(original, target, row.dhcp)) << json;
        // The card strips are never filled from a profile.
        EXPECT_EQ(target[Edit::MACAddr], "");
        EXPECT_EQ(target[Edit::Version], "");
        EXPECT_EQ(target[Edit::InnerCodeHex], "");
        // And what the other card would be written is what this one would.
        for (const Edit e :
             {Edit::MACAddr, Edit::Version, Edit::InnerCodeHex, Edit::InnerCodeDec}) {
            target[e] = original[e];
        }
        if (row.domain.find("显示屏") == std::string::npos) {
            EXPECT_EQ(testsupport::toHex(written(target)), testsupport::toHex(written(original)));
        }
    }
}

// Lists with no choice, numbers the operator typed with a leading zero, empty octets.
TEST_F(ProfileTest, RoundTripKeepsUnchosenListsAndTypedTexts) {
    protocol::PanelModel original = readCard(1, 0x00);
    original[Combo::PClor].index = -1;
    original[Combo::Trans].index = -1;
    original[Edit::PLen] = "0640";
    original[Edit::DPort] = "";
    for (const Edit e : {Edit::DNS1, Edit::DNS2, Edit::DNS3, Edit::DNS4}) {
        original[e].clear();
    }
    const std::string json = ProfileJson(original, profile);
    EXPECT_NE(json.find("\"display.color\": null,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"display.width\": \"0640\","), std::string::npos) << json;
    EXPECT_NE(json.find("\"dns.address\": \"\","), std::string::npos) << json;

    protocol::PanelModel target = otherCard(1);
    ASSERT_FALSE(ApplyProfile(target, parsed(json), profile));
    EXPECT_TRUE(SameWritable(original, target));
}

TEST_F(ProfileTest, ProfileTextNamesFormatCardAndParametersInTableOrder) {
    const std::string expected = R"json({
    "format": "ledcardctl-profile",
    "version": 1,
    "card": {
        "mac": "00:1A:2B:3C:4D:5E",
        "ip": "192.168.1.100",
        "firmware": "54"
    },
    "parameters": {
        "display.width": 640,
        "display.height": 480,
        "display.color": {"text": "3 ------ Tricolor", "position": 2},
        "display.scan_mode": {"text": "1/16 (A)", "position": 0},
        "display.day_brightness": {"text": "0 ----- Brightest", "position": 0},
        "display.night_brightness": {"text": "7 ----- Darkest", "position": 7},
        "display.oe_signal": {"text": "1 ----- Not Inverted", "position": 0},
        "display.data_polarity": {"text": "2 ----- RP", "position": 1},
        "display.content": {"text": "2 ----- RP", "position": 1},
        "display.clock_frequency": {"text": "6M", "position": 2},
        "display.row_order": {"text": "Row Reverse", "position": 2},
        "display.when_empty": {"text": "Welcome", "position": 1},
        "comm.interface": {"text": "Server(Single-Point)", "position": 1},
        "comm.baud_rate": {"text": "115200", "position": 4},
        "comm.network_speed": {"text": "100M", "position": 1},
        "comm.long_screen_conversion": {"text": "No Conversion (Default)", "position": 0},
        "comm.rs485_address": {"text": "5", "position": 4},
        "network.ip": "192.168.1.100",
        "network.mask": "255.255.255.0",
        "network.gateway": "192.168.1.1",
        "server.mode": {"text": "Service IP", "position": 0},
        "server.ip": "192.168.1.2",
        "server.domain": "led.example.com",
        "server.port": 8800,
        "card.internal_code_hex": "16进制：0a-ff-00-01-02-03-04-05",
        "card.internal_code_dec": "10进制：10-255-0-1-2-3-4-5",
        "card.firmware": 54,
        "card.mac": "00:1A:2B:3C:4D:5E"
    }
}
)json";
    EXPECT_EQ(ProfileJson(readCard(0), profile), expected);
}

// A profile as an operator writes it: texts, positions, "#N", blanks and case aside. The bytes
// are the byte-exact examples of the display encoding.
TEST_F(ProfileTest, HandWrittenProfileIsWrittenAsTheWindowWould) {
    const std::string json = R"json({
  "format": "ledcardctl-profile", "version": 1,
  "parameters": {
    "display.width": "1024",
    "display.height": 64,
    "display.scan_mode": "static scan (m)",
    "display.clock_frequency": 2,
    "display.content": {"text": "2 ----- RP"},
    "display.row_order": "No 138 decoding",
    "display.when_empty": {"position": 0},
    "comm.rs485_address": "5",
    "comm.interface": "#2",
    "comm.long_screen_conversion": "Forced up",
    "server.port": 8800
  }
})json";
    protocol::PanelModel target = readCard(0);
    ASSERT_FALSE(ApplyProfile(target, parsed(json), profile));
    const auto bytes = written(target);
    ASSERT_EQ(bytes.size(), 86U);
    // scan 42, OE 01, 1024 = 04 00, 64 = 00 40, colour 03, 00, 07, data 01, address 5, serial 22,
    // baud 44, rate 22, trans 44, clock 6M + content inverted 21, black + no 138 0E.
    EXPECT_EQ(testsupport::toHex({bytes.begin(), bytes.begin() + 21}),
              "A1 21 11 2A 01 04 00 00 40 03 00 07 01 05 22 44 22 44 21 0E FF");
    EXPECT_EQ(testsupport::toHex({bytes.begin() + 53, bytes.begin() + 59}), "A1 18 02 22 60 FF");
}

TEST_F(ProfileTest, ApplyingKeepsTheCardsOwnValuesAndAddresses) {
    const std::string json = ProfileJson(readCard(1, 0x00), profile);
    const protocol::PanelModel before = otherCard(1);

    protocol::PanelModel kept = before;
    ApplyOptions keep;
    keep.keepNetworkAddresses = true;
    ASSERT_FALSE(ApplyProfile(kept, parsed(json), profile, keep));
    EXPECT_EQ(kept[Edit::IP1] + "." + kept[Edit::IP4], "10.7");
    EXPECT_EQ(kept[Edit::C3], "0");
    EXPECT_EQ(kept[Edit::Gate1], "10");
    EXPECT_EQ(kept[Edit::DIP1], "192"); // the server is the profile's
    EXPECT_EQ(kept[Edit::DNS1], "8");
    EXPECT_EQ(kept[Edit::MACAddr], "00:1A:2B:3C:4D:99");
    EXPECT_EQ(kept[Edit::Version], "48");
    EXPECT_EQ(kept[Edit::InnerCodeDec], "10进制：1-2-3-4-5-6-7-8");
    EXPECT_EQ(kept[Edit::PLen], "640");

    protocol::PanelModel renumbered = before;
    ApplyOptions next;
    next.keepNetworkAddresses = true;
    next.ip = std::array<std::uint8_t, 4>{192, 168, 1, 201};
    ASSERT_FALSE(ApplyProfile(renumbered, parsed(json), profile, next));
    EXPECT_EQ(renumbered[Edit::IP1] + "." + renumbered[Edit::IP2] + "." + renumbered[Edit::IP3] +
                  "." + renumbered[Edit::IP4],
              "192.168.1.201");
    EXPECT_EQ(renumbered[Edit::C3], "255"); // mask and gateway from the profile
    EXPECT_EQ(renumbered[Edit::Gate1], "192");
    EXPECT_EQ(renumbered[Edit::MACAddr], "00:1A:2B:3C:4D:99");
}

// Choosing a configuration mode ticks or clears the DNS box; a DNS mode given too wins.
TEST_F(ProfileTest, ConfigurationModeResetsTheDnsBoxUnlessTheProfileSaysOtherwise) {
    const auto mode = [&](const std::string& parameters) {
        protocol::PanelModel p = readCard(1, 0x00);
        EXPECT_TRUE(p.dnsManual);
        const std::string json =
            R"({"format": "ledcardctl-profile", "version": 1, "parameters": {)" + parameters + "}}";
        EXPECT_FALSE(ApplyProfile(p, parsed(json), profile));
        return std::pair{p.cfgMode, p.dnsManual};
    };
    EXPECT_EQ(mode(R"("network.config_mode": "DHCP Set")"), std::pair(1, false));
    EXPECT_EQ(mode(R"("dns.mode": "DNS Handle Set", "network.config_mode": "DHCP Set")"),
              std::pair(1, true));
    EXPECT_EQ(mode(R"("network.config_mode": 2)"), std::pair(2, true));
}

struct ProfileRefusalRow {
    const char* what;
    std::string json;
    Refusal::Reason reason;
    std::string key;
    int line;
};

const std::string kHead = "{\n\"format\": \"ledcardctl-profile\",\n\"version\": 1,\n";

const ProfileRefusalRow kProfileRefusals[] = {
    {"empty file", "", Refusal::Reason::NotJson, "", 1},
    {"missing comma", "{\n\"format\": \"ledcardctl-profile\"\n\"version\": 1}\n",
     Refusal::Reason::NotJson, "", 3},
    {"unclosed", kHead + "\"parameters\": {\n", Refusal::Reason::NotJson, "", 5},
    {"an array", "[1, 2]", Refusal::Reason::NotAProfile, "", 0},
    {"other format", R"({"format": "settings", "version": 1, "parameters": {}})",
     Refusal::Reason::NotAProfile, "format", 1},
    {"no format", R"({"version": 1, "parameters": {}})", Refusal::Reason::NotAProfile, "format", 0},
    {"version 2", kHead.substr(0, kHead.size() - 3) + "2,\n\"parameters\": {}}",
     Refusal::Reason::UnsupportedVersion, "version", 3},
    {"version as text", R"({"format": "ledcardctl-profile", "version": "1", "parameters": {}})",
     Refusal::Reason::UnsupportedVersion, "version", 1},
    {"unknown top key", kHead + "\"parameters\": {},\n\"comment\": \"x\"\n}",
     Refusal::Reason::UnknownKey, "comment", 5},
    {"no parameters", kHead + "\"card\": {}\n}", Refusal::Reason::WrongShape, "parameters", 0},
    {"parameters a list", kHead + "\"parameters\": []\n}", Refusal::Reason::WrongShape,
     "parameters", 4},
    {"card key unknown", kHead + "\"card\": {\"name\": \"x\"},\n\"parameters\": {}\n}",
     Refusal::Reason::UnknownKey, "name", 4},
    {"unknown parameter",
     kHead + "\"parameters\": {\n\"display.width\": 1,\n\"display.brightness\": 3\n}}",
     Refusal::Reason::UnknownParameter, "display.brightness", 6},
    {"unknown list text", kHead + "\"parameters\": {\n\"display.scan_mode\": \"1/64 (A)\"\n}}",
     Refusal::Reason::UnknownValue, "display.scan_mode", 5},
    {"position past the list", kHead + "\"parameters\": {\"display.scan_mode\": 95}}",
     Refusal::Reason::PositionOutOfRange, "display.scan_mode", 4},
    {"negative position", kHead + "\"parameters\": {\"comm.baud_rate\": -1}}",
     Refusal::Reason::PositionOutOfRange, "comm.baud_rate", 4},
    {"text and position disagree",
     kHead +
         "\"parameters\": {\"display.row_order\": {\"text\": \"Row Reverse\", \"position\": 3}}}",
     Refusal::Reason::EntryMismatch, "display.row_order", 4},
    {"entry object with another key",
     kHead + "\"parameters\": {\"display.row_order\": {\"index\": 3}}}",
     Refusal::Reason::UnknownKey, "index", 4},
    {"list as true", kHead + "\"parameters\": {\"display.color\": true}}",
     Refusal::Reason::WrongShape, "display.color", 4},
    {"server mode null", kHead + "\"parameters\": {\"server.mode\": null}}",
     Refusal::Reason::WrongShape, "server.mode", 4},
    {"three octets", kHead + "\"parameters\": {\"network.ip\": \"192.168.1\"}}",
     Refusal::Reason::BadAddress, "network.ip", 4},
    {"octet 256", kHead + "\"parameters\": {\"network.gateway\": \"1.2.3.256\"}}",
     Refusal::Reason::BadAddress, "network.gateway", 4},
    {"five octets", kHead + "\"parameters\": {\"server.ip\": \"1.2.3.4.5\"}}",
     Refusal::Reason::BadAddress, "server.ip", 4},
    {"address as numbers", kHead + "\"parameters\": {\"server.ip\": [1, 2, 3, 4]}}",
     Refusal::Reason::WrongShape, "server.ip", 4},
    {"width with a letter", kHead + "\"parameters\": {\"display.width\": \"64O\"}}",
     Refusal::Reason::NotANumber, "display.width", 4},
    {"width fractional", kHead + "\"parameters\": {\"display.width\": 64.5}}",
     Refusal::Reason::NotANumber, "display.width", 4},
    {"domain as a number", kHead + "\"parameters\": {\"server.domain\": 5}}",
     Refusal::Reason::WrongShape, "server.domain", 4},
};

TEST_F(ProfileTest, BadProfilesAreRefusedWithFileLineAndKey) {
    for (const ProfileRefusalRow& row : kProfileRefusals) {
        SCOPED_TRACE(row.what);
        const auto r = ParseProfile(row.json, "site/wall.json");
        ASSERT_TRUE(std::holds_alternative<Refusal>(r));
        const Refusal& refusal = std::get<Refusal>(r);
        EXPECT_EQ(refusal.reason, row.reason) << RefusalMessage(refusal, LanguageId::English);
        EXPECT_EQ(refusal.file, "site/wall.json");
        EXPECT_EQ(refusal.key, row.key);
        EXPECT_EQ(refusal.line, row.line);
    }
}

// QJsonObject sorts its keys; the refusal still names the first bad one of the file.
TEST_F(ProfileTest, FirstBadParameterOfTheFileIsNamed) {
    const std::string json = kHead + "\"parameters\": {\n\"zz.first\": 1,\n\"aa.second\": 2\n}}";
    const auto r = ParseProfile(json, "p.json");
    ASSERT_TRUE(std::holds_alternative<Refusal>(r));
    EXPECT_EQ(std::get<Refusal>(r).key, "zz.first");
    EXPECT_EQ(std::get<Refusal>(r).line, 5);
}

struct MessageRow {
    Refusal refusal;
    std::string simplified;
    std::string traditional;
    std::string english;
};

Refusal Make(Refusal::Reason reason, std::string file, int line, std::string key,
             std::string value = {}, int limit = 0) {
    Refusal r;
    r.reason = reason;
    r.file = std::move(file);
    r.line = line;
    r.key = std::move(key);
    r.value = std::move(value);
    r.limit = limit;
    return r;
}

const MessageRow kMessages[] = {
    {Make(Refusal::Reason::UnknownValue, "p.json", 5, "display.scan_mode", "1/64 (A)"),
     "p.json:5: display.scan_mode：“1/64 (A)”不是此列表中的项。",
     "p.json:5: display.scan_mode：「1/64 (A)」不是此清單中的項目。",
     "p.json:5: display.scan_mode: \"1/64 (A)\" is no entry of this list."},
    {Make(Refusal::Reason::NotJson, "wall.json", 3, ""), "wall.json:3: 不是JSON文档。",
     "wall.json:3: 不是JSON文件。", "wall.json:3: not a JSON document."},
    {Make(Refusal::Reason::PositionOutOfRange, "", 0, "display.color", "2", 2),
     "display.color：位置“2”超出范围：该列表共有2项（#0到#1）。",
     "display.color：位置「2」超出範圍：該清單共有2項（#0到#1）。",
     "display.color: position \"2\" is out of range: the list has 2 entries (#0 to #1)."},
    {Make(Refusal::Reason::ReadOnly, "", 0, "card.mac"),
     "card.mac：这是从控制卡读取的值，不能设置。", "card.mac：這是從控制卡讀取的值，不能設定。",
     "card.mac: this value is read from the card and cannot be set."},
    {Make(Refusal::Reason::NoAssignment, "", 0, "", "display.width"),
     "“display.width”不是NAME=VALUE的形式。", "「display.width」不是NAME=VALUE的形式。",
     "\"display.width\" is not of the form NAME=VALUE."},
    {Make(Refusal::Reason::NotForCard, "p.json", 0, "dns.address"),
     "p.json: dns.address：只有DHCP为1的控制卡才有此参数。",
     "p.json: dns.address：只有DHCP為1的控制卡才有此參數。",
     "p.json: dns.address: only cards with DHCP set to 1 hold this parameter."},
    {Make(Refusal::Reason::NotUtf8, "", 0, ""), "不是UTF-8文本。", "不是UTF-8文字。",
     "Not UTF-8 text."},
    {Make(Refusal::Reason::BadAddress, "", 0, "network.ip", "1.2.3"),
     "network.ip：“1.2.3”不是由四个0到255的数字组成的IPv4地址。",
     "network.ip：「1.2.3」不是由四個0到255的數字組成的IPv4地址。",
     "network.ip: \"1.2.3\" is not an IPv4 address of four numbers from 0 to 255."},
};

TEST(ProfileMessages, EachLanguageNamesFileLineAndKey) {
    for (const MessageRow& row : kMessages) {
        EXPECT_EQ(RefusalMessage(row.refusal, LanguageId::SimplifiedChinese), row.simplified);
        EXPECT_EQ(RefusalMessage(row.refusal, LanguageId::TraditionalChinese), row.traditional);
        EXPECT_EQ(RefusalMessage(row.refusal, LanguageId::English), row.english);
    }
}

struct SetRow {
    const char* text;
    std::string name;
    std::string value; // text for edits, position for lists and choices
};

const SetRow kSets[] = {
    {"display.width=640", "display.width", "640"},
    {"display.width=", "display.width", ""},
    {"display.row_order=Row Reverse", "display.row_order", "2"},
    {"display.row_order=row  reverse", "display.row_order", "2"},
    {"display.row_order=2", "display.row_order", "2"},
    {"display.scan_mode=1/8 (B)", "display.scan_mode", "11"},
    {"comm.rs485_address=5", "comm.rs485_address", "4"}, // the text "5" before position 5
    {"comm.rs485_address=#5", "comm.rs485_address", "5"},
    {"comm.baud_rate=57600", "comm.baud_rate", "3"},
    {"display.day_brightness=3", "display.day_brightness", "3"},
    {"server.mode=Service Domain", "server.mode", "1"},
    {"dns.mode=1", "dns.mode", "1"},
    {"network.ip=10.0.0.255", "network.ip", "10.0.0.255"},
    {"server.domain=a=b.example", "server.domain", "a=b.example"},
};

TEST(Changes, NameEqualsValueResolvesTextsAndPositions) {
    for (const SetRow& row : kSets) {
        SCOPED_TRACE(row.text);
        const auto r = ParseSetting(row.text);
        ASSERT_TRUE(std::holds_alternative<Setting>(r))
            << RefusalMessage(std::get<Refusal>(r), LanguageId::English);
        const Setting& s = std::get<Setting>(r);
        EXPECT_EQ(s.parameter->name, row.name);
        const bool entry = s.parameter->kind == Kind::List || s.parameter->kind == Kind::Choice;
        EXPECT_EQ(entry ? std::to_string(s.position) : s.text, row.value);
    }
}

struct SetRefusalRow {
    const char* text;
    Refusal::Reason reason;
    std::string key;
    std::string value;
};

const SetRefusalRow kSetRefusals[] = {
    {"display.width", Refusal::Reason::NoAssignment, "", "display.width"},
    {"display.widht=640", Refusal::Reason::UnknownParameter, "display.widht", ""},
    {"=640", Refusal::Reason::UnknownParameter, "", ""},
    {"card.mac=00:1A:2B:3C:4D:5F", Refusal::Reason::ReadOnly, "card.mac", ""},
    {"card.firmware=60", Refusal::Reason::ReadOnly, "card.firmware", ""},
    {"display.scan_mode=95", Refusal::Reason::PositionOutOfRange, "display.scan_mode", "95"},
    {"display.scan_mode=#99999999999", Refusal::Reason::PositionOutOfRange, "display.scan_mode",
     "#99999999999"},
    {"display.row_order=Row Upside Down", Refusal::Reason::UnknownValue, "display.row_order",
     "Row Upside Down"},
    {"display.width=-1", Refusal::Reason::NotANumber, "display.width", "-1"},
    {"server.port=0x2260", Refusal::Reason::NotANumber, "server.port", "0x2260"},
    {"network.mask=255.255.255", Refusal::Reason::BadAddress, "network.mask", "255.255.255"},
    {"network.ip=1.2.3.4 ", Refusal::Reason::BadAddress, "network.ip", "1.2.3.4 "},
    {"network.ip=1..3.4", Refusal::Reason::BadAddress, "network.ip", "1..3.4"},
    {"network.ip=0001.2.3.4", Refusal::Reason::BadAddress, "network.ip", "0001.2.3.4"},
    {"server.domain=led\xff.example.com", Refusal::Reason::NotUtf8, "", ""},
};

TEST(Changes, BadChangesAreRefusedNamingTheParameter) {
    for (const SetRefusalRow& row : kSetRefusals) {
        SCOPED_TRACE(row.text);
        const auto r = ParseSetting(row.text);
        ASSERT_TRUE(std::holds_alternative<Refusal>(r));
        const Refusal& refusal = std::get<Refusal>(r);
        EXPECT_EQ(refusal.reason, row.reason);
        EXPECT_EQ(refusal.key, row.key);
        EXPECT_EQ(refusal.value, row.value);
        EXPECT_EQ(refusal.file, "");
    }
}

// Checked against the card before anything changes: the panel is left exactly as it was, by
// changes and by a profile (with a new IP) alike, though the refused parameter comes after one
// that could be taken.
TEST_F(ProfileTest, ChangesTheCardCannotTakeLeaveThePanelAsItWas) {
    const auto refuse = [&](int dhcp, int cardColor, const std::vector<std::string>& texts) {
        profile.cardColor = cardColor;
        protocol::PanelModel p = readCard(dhcp);
        const protocol::PanelModel before = p;
        Profile file;
        for (const auto& t : texts) {
            file.settings.push_back(std::get<Setting>(ParseSetting(t)));
        }
        const auto refusal = ApplySettings(p, file.settings, profile);
        EXPECT_TRUE(SameWritable(before, p, dhcp));
        ApplyOptions newIp;
        newIp.ip = std::array<std::uint8_t, 4>{10, 0, 0, 9};
        const auto profileRefusal = ApplyProfile(p, file, profile, newIp);
        EXPECT_EQ(p.edits, before.edits);
        EXPECT_TRUE(SameWritable(before, p, dhcp));
        EXPECT_EQ(profileRefusal.has_value(), refusal.has_value());
        if (refusal && profileRefusal) {
            EXPECT_EQ(profileRefusal->key, refusal->key);
        }
        return refusal ? refusal->key + " " + std::to_string(int(refusal->reason)) : "none";
    };
    const std::string notForCard = std::to_string(int(Refusal::Reason::NotForCard));
    const std::string outOfRange = std::to_string(int(Refusal::Reason::PositionOutOfRange));
    EXPECT_EQ(refuse(0, 3, {"display.width=1", "dns.address=8.8.4.4"}),
              "dns.address " + notForCard);
    EXPECT_EQ(refuse(0, 3, {"network.config_mode=DHCP Set"}), "network.config_mode " + notForCard);
    // Without CardColor 3 the colour list has two entries.
    EXPECT_EQ(refuse(0, 2, {"display.width=1", "display.color=3 ------ Tricolor"}),
              "display.color " + outOfRange);
}

TEST_F(ProfileTest, ChangesApplyInTableOrderAndTheLastRepeatWins) {
    protocol::PanelModel p = readCard(1, 0x00);
    std::vector<Setting> settings;
    for (const char* t : {"dns.mode=DNS Handle Set", "display.width=100", "network.config_mode=1",
                          "display.width=200"}) {
        settings.push_back(std::get<Setting>(ParseSetting(t)));
    }
    ASSERT_FALSE(ApplySettings(p, settings, profile));
    EXPECT_EQ(p[Edit::PLen], "200");
    EXPECT_EQ(p.cfgMode, 1);
    EXPECT_TRUE(p.dnsManual);
}

// Ranges stay the write's word, which names the parameter.
TEST_F(ProfileTest, OutOfRangeValuesReachTheWriteWhichNamesThem) {
    protocol::PanelModel p = readCard(0);
    ASSERT_FALSE(ApplySettings(p, {std::get<Setting>(ParseSetting("server.port=65536"))}, profile));
    const auto r = protocol::composeWrite(p, card, scan, profile);
    ASSERT_TRUE(std::holds_alternative<protocol::WriteRefusal>(r));
    EXPECT_EQ(WriteRefusalMessage(std::get<protocol::WriteRefusal>(r), LanguageId::English),
              "server.port: the value must be between 0 and 65535.");
}

TEST(Addresses, DottedQuadsOnly) {
    EXPECT_EQ(ParseAddress("192.168.1.201"), (std::array<std::uint8_t, 4>{192, 168, 1, 201}));
    EXPECT_EQ(ParseAddress("0.0.0.0"), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    for (const char* bad : {"", "1.2.3", "1.2.3.4.", "1.2.3.4.5", "256.1.1.1", "a.b.c.d",
                            " 1.2.3.4", "1.2.3.-4", "1.2..4"}) {
        EXPECT_FALSE(ParseAddress(bad)) << bad;
    }
}

} // namespace
