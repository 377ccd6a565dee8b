// The dotted names scripts depend on, the English entry texts and positions the lists show, the
// values of a real reply as a table, and the write's refusals naming the parameter.

#include "fleet/ParameterNames.h"

#include "protocol/PanelFixture.h"
#include "protocol/Reply.h"
#include "protocol/WriteComposer.h"

#include <gtest/gtest.h>

using namespace fleet;
using protocol::CardProfile;

namespace {

struct NameRow {
    const char* name;
    Kind kind;
    std::vector<std::string> fields; // objectNames of the panel fields behind it
    bool readOnly;
    bool dhcpOnly;
};

// In the window's order: left column top to bottom, then the read-only strips.
const NameRow kNames[] = {
    {"display.width", Kind::Number, {"edtPLen"}, false, false},
    {"display.height", Kind::Number, {"edtPHeight"}, false, false},
    {"display.color", Kind::List, {"cmdPClor"}, false, false},
    {"display.scan_mode", Kind::List, {"cmdScan"}, false, false},
    {"display.day_brightness", Kind::List, {"cmdDLamp"}, false, false},
    {"display.night_brightness", Kind::List, {"cmdNLamp"}, false, false},
    {"display.oe_signal", Kind::List, {"cmdOE"}, false, false},
    {"display.data_polarity", Kind::List, {"cmdDataBit"}, false, false},
    {"display.content", Kind::List, {"cmdSContent"}, false, false},
    {"display.clock_frequency", Kind::List, {"cmdCF"}, false, false},
    {"display.row_order", Kind::List, {"cmdRowOrder"}, false, false},
    {"display.when_empty", Kind::List, {"cmdEmptyDisplay"}, false, false},
    {"comm.interface", Kind::List, {"cmdComm"}, false, false},
    {"comm.baud_rate", Kind::List, {"cmdBaud"}, false, false},
    {"comm.network_speed", Kind::List, {"cmdRate"}, false, false},
    {"comm.long_screen_conversion", Kind::List, {"cmdTrans"}, false, false},
    {"comm.rs485_address", Kind::List, {"cmd485Addr"}, false, false},
    {"network.config_mode", Kind::Choice, {"rGCfg"}, false, true},
    {"network.ip", Kind::Address, {"edtIP1", "edtIP2", "edtIP3", "edtIP4"}, false, false},
    {"network.mask", Kind::Address, {"edtC1", "edtC2", "edtC3", "edtC4"}, false, false},
    {"network.gateway",
     Kind::Address,
     {"edtGate1", "edtGate2", "edtGate3", "edtGate4"},
     false,
     false},
    {"dns.mode", Kind::Choice, {"cbDNSAddr"}, false, true},
    {"dns.address", Kind::Address, {"edtDNS1", "edtDNS2", "edtDNS3", "edtDNS4"}, false, true},
    {"server.mode", Kind::Choice, {"rBtnServerIP", "rBtnServerDomain"}, false, false},
    {"server.ip", Kind::Address, {"edtDIP1", "edtDIP2", "edtDIP3", "edtDIP4"}, false, false},
    {"server.domain", Kind::Text, {"edtDomain"}, false, false},
    {"server.port", Kind::Number, {"edtDPort"}, false, false},
    {"card.internal_code_hex", Kind::Text, {"edtInnerCode_Hex"}, true, false},
    {"card.internal_code_dec", Kind::Text, {"edtInnerCode_Dec"}, true, false},
    {"card.firmware", Kind::Number, {"edtVersion"}, true, false},
    {"card.mac", Kind::Text, {"edtMACAddr"}, true, false},
};

std::vector<std::string> FieldsOf(const Parameter& p) {
    std::vector<std::string> fields;
    for (const auto e : EditsOf(p)) {
        fields.emplace_back(protocol::EditName(e));
    }
    if (p.kind == Kind::List) {
        fields.emplace_back(protocol::ComboName(p.combo));
    }
    switch (p.choice) {
    case ChoiceField::ConfigMode:
        fields.emplace_back("rGCfg");
        break;
    case ChoiceField::DnsMode:
        fields.emplace_back("cbDNSAddr");
        break;
    case ChoiceField::ServerMode:
        fields.emplace_back("rBtnServerIP");
        fields.emplace_back("rBtnServerDomain");
        break;
    case ChoiceField::None:
        break;
    }
    return fields;
}

TEST(ParameterNames, EveryPanelFieldHasOneStableName) {
    const auto params = Parameters();
    ASSERT_EQ(params.size(), std::size(kNames));
    for (std::size_t i = 0; i < params.size(); ++i) {
        const NameRow& row = kNames[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(params[i].name, row.name);
        EXPECT_EQ(params[i].kind, row.kind);
        EXPECT_EQ(FieldsOf(params[i]), row.fields);
        EXPECT_EQ(params[i].readOnly, row.readOnly);
        EXPECT_EQ(params[i].dhcpOnly, row.dhcpOnly);
        EXPECT_EQ(FindParameter(row.name), &params[i]);
    }
    // Every edit and combo of the panel belongs to exactly one parameter.
    for (const auto& component : protocol::CreationOrder()) {
        EXPECT_NE(ParameterOf(component), nullptr) << int(component.id);
    }
    EXPECT_EQ(FindParameter("display"), nullptr);
    EXPECT_EQ(FindParameter("Display.Width"), nullptr);
    EXPECT_EQ(FindParameter(""), nullptr);
}

struct EntryRow {
    const char* name;
    std::size_t count;
    std::vector<std::pair<int, std::string>> entries; // position, English text
};

// The English catalogue texts of the lists, written out from the catalogue table.
const EntryRow kEntries[] = {
    {"display.color",
     3,
     {{0, "1 ------ Monochrome"}, {1, "2 ------ Dual Color"}, {2, "3 ------ Tricolor"}}},
    {"display.scan_mode",
     95,
     {{0, "1/16 (A)"},
      {9, "1/16 (J)"},
      {10, "1/8  (A)"},
      {39, "1/4  (R)"},
      {40, "1/32  (A)"},
      {48, "Static Scan (A)"},
      {60, "Static Scan (M)"},
      {83, "1/5  (A)"},
      {94, "1/6  (D)"}}},
    {"display.day_brightness", 8, {{0, "0 ----- Brightest"}, {3, "3"}, {7, "7 ----- Darkest"}}},
    {"display.night_brightness", 8, {{1, "1"}, {6, "6"}, {7, "7 ----- Darkest"}}},
    {"display.oe_signal", 2, {{0, "1 ----- Not Inverted"}, {1, "2 ----- RP"}}},
    {"display.data_polarity", 2, {{0, "1 ----- Not Inverted"}, {1, "2 ----- RP"}}},
    {"display.content", 2, {{1, "2 ----- RP"}}},
    {"display.clock_frequency", 3, {{0, "12M (Default)"}, {1, "8M"}, {2, "6M"}}},
    {"display.row_order",
     4,
     {{0, "Row Normal"}, {1, "Row + 1"}, {2, "Row Reverse"}, {3, "No 138 decoding"}}},
    {"display.when_empty", 2, {{0, "Black Screen"}, {1, "Welcome"}}},
    {"comm.interface", 3, {{0, "Client(Multi-Point)"}, {1, "Server(Single-Point)"}, {2, "Serial"}}},
    {"comm.baud_rate", 5, {{0, "9600"}, {2, "38400"}, {4, "115200"}}},
    {"comm.network_speed", 3, {{0, "Enforce 10M (Ecommendation)"}, {1, "100M"}, {2, "Adaptive"}}},
    {"comm.long_screen_conversion",
     4,
     {{0, "No Conversion (Default)"},
      {1, "Combined when continue moving left"},
      {2, "Transform forcibly all to move left"},
      {3, "Forced up "}}},
    {"comm.rs485_address", 99, {{0, "1"}, {4, "5"}, {98, "99"}}},
    {"network.config_mode", 3, {{0, "Handle Set"}, {1, "DHCP Set"}, {2, "Softwear Set"}}},
    {"dns.mode", 2, {{0, "DNS Handle Set"}, {1, "DNS Auto Get"}}},
    {"server.mode", 2, {{0, "Service IP"}, {1, "Service Domain"}}},
};

TEST(ParameterNames, ListEntriesAreTheEnglishTextsInWindowOrder) {
    for (const EntryRow& row : kEntries) {
        SCOPED_TRACE(row.name);
        const Parameter* p = FindParameter(row.name);
        ASSERT_NE(p, nullptr);
        const auto& texts = EntryTexts(*p);
        ASSERT_EQ(texts.size(), row.count);
        for (const auto& [position, text] : row.entries) {
            EXPECT_EQ(texts[static_cast<std::size_t>(position)], text) << position;
        }
    }
    EXPECT_TRUE(EntryTexts(*FindParameter("display.width")).empty());
}

std::vector<std::pair<std::string, std::string>> Table(const protocol::PanelModel& panel,
                                                       const CardProfile& profile) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const auto& v : ReadParameters(panel, profile)) {
        rows.emplace_back(v.parameter->name, DisplayText(v));
    }
    return rows;
}

class FromReply : public PanelFixture, public ::testing::Test {};

// The fixture's reply: scan 1, OE 1, 640 x 480, colour 3, day 0, night 7, data 01, 485 address
// 5, comm 33, baud 44, rate 22, trans 00, clock/content 21, empty/row 1F; flags 0x0C.
TEST_F(FromReply, DhcpZeroTableHasNoConfigurationModeOrDns) {
    profile.dhcp = 0;
    protocol::applyParameterReply(panel, fullReply(), scan, profile);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"display.width", "640"},
        {"display.height", "480"},
        {"display.color", "3 ------ Tricolor (#2)"},
        {"display.scan_mode", "1/16 (A) (#0)"},
        {"display.day_brightness", "0 ----- Brightest (#0)"},
        {"display.night_brightness", "7 ----- Darkest (#7)"},
        {"display.oe_signal", "1 ----- Not Inverted (#0)"},
        {"display.data_polarity", "2 ----- RP (#1)"},
        {"display.content", "2 ----- RP (#1)"},
        {"display.clock_frequency", "6M (#2)"},
        {"display.row_order", "Row Reverse (#2)"},
        {"display.when_empty", "Welcome (#1)"},
        {"comm.interface", "Server(Single-Point) (#1)"},
        {"comm.baud_rate", "115200 (#4)"},
        {"comm.network_speed", "100M (#1)"},
        {"comm.long_screen_conversion", "No Conversion (Default) (#0)"},
        {"comm.rs485_address", "5 (#4)"},
        {"network.ip", "192.168.1.100"},
        {"network.mask", "255.255.255.0"},
        {"network.gateway", "192.168.1.1"},
        {"server.mode", "Service IP (#0)"},
        {"server.ip", "192.168.1.2"},
        {"server.domain", "led.example.com"},
        {"server.port", "8800"},
        {"card.internal_code_hex", "16进制：0a-ff-00-01-02-03-04-05"},
        {"card.internal_code_dec", "10进制：10-255-0-1-2-3-4-5"},
        {"card.firmware", "54"},
        {"card.mac", "00:1A:2B:3C:4D:5E"},
    };
    EXPECT_EQ(Table(panel, profile), expected);
}

// Flags 0x3F under DHCP 1: server by domain, DNS obtained automatically, mode "DHCP Set".
TEST_F(FromReply, DhcpOneTableHasConfigurationModeAndDns) {
    profile.dhcp = 1;
    protocol::applyParameterReply(panel, fullReply(0x3F), scan, profile);
    const auto rows = Table(panel, profile);
    ASSERT_EQ(rows.size(), 31U);
    const std::vector<std::pair<std::string, std::string>> middle(rows.begin() + 17,
                                                                  rows.begin() + 24);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"network.config_mode", "DHCP Set (#1)"}, {"network.ip", "192.168.1.100"},
        {"network.mask", "255.255.255.0"},        {"network.gateway", "192.168.1.1"},
        {"dns.mode", "DNS Auto Get (#1)"},        {"dns.address", "8.8.8.8"},
        {"server.mode", "Service Domain (#1)"},
    };
    EXPECT_EQ(middle, expected);
}

TEST_F(FromReply, EmptyPanelShowsNoValues) {
    panel.Clear();
    for (const auto& v : ReadParameters(panel, profile)) {
        SCOPED_TRACE(std::string(v.parameter->name));
        if (v.parameter->kind == Kind::List) {
            EXPECT_EQ(v.position, -1);
            EXPECT_EQ(DisplayText(v), "");
        } else if (v.parameter->kind != Kind::Choice) {
            EXPECT_EQ(DisplayText(v), "");
        }
    }
}

struct WriteRefusalRow {
    const char* what;
    void (*spoil)(protocol::PanelModel&, CardProfile&);
    std::string simplified;
    std::string traditional;
    std::string english;
};

const WriteRefusalRow kWriteRefusals[] = {
    {"width too large", [](auto& p, auto&) { p[protocol::Edit::PLen] = "65536"; },
     "display.width：数值必须在0到65535之间。", "display.width：數值必須在0到65535之間。",
     "display.width: the value must be between 0 and 65535."},
    {"octet too large", [](auto& p, auto&) { p[protocol::Edit::Gate3] = "256"; },
     "network.gateway：数值必须在0到255之间。", "network.gateway：數值必須在0到255之間。",
     "network.gateway: the value must be between 0 and 255."},
    {"pasted letters", [](auto& p, auto&) { p[protocol::Edit::DPort] = "88a0"; },
     "server.port：“88a0”不是整数。", "server.port：「88a0」不是整數。",
     "server.port: \"88a0\" is not a whole number."},
    {"no scan mode", [](auto& p, auto&) { p[protocol::Combo::Scan].index = -1; },
     "display.scan_mode：未选择任何项。", "display.scan_mode：未選擇任何項目。",
     "display.scan_mode: no entry is chosen."},
    {"no MAC read", [](auto& p, auto&) { p[protocol::Edit::MACAddr].clear(); },
     "card.mac：没有值。", "card.mac：沒有值。", "card.mac: no value."},
    {"DNS octet empty",
     [](auto& p, auto& profile) {
         profile.dhcp = 1;
         p.dnsManual = true;
         p[protocol::Edit::DNS4].clear();
     },
     "dns.address：手工配置DNS时需要全部四个数字。", "dns.address：手工設定DNS時需要全部四個數字。",
     "dns.address: all four numbers are needed when the DNS is set by hand."},
    {"domain of 64 characters",
     [](auto& p, auto&) {
         p.serverByDomain = true;
         p[protocol::Edit::Domain] = std::string(64, 'a');
     },
     "server.domain：域名不能超过63个字符。", "server.domain：域名不能超過63個字元。",
     "server.domain: the name must not be longer than 63 characters."},
    {"domain not in its xn-- form",
     [](auto& p, auto&) {
         p.serverByDomain = true;
         p[protocol::Edit::Domain] = "例子.测试";
     },
     "server.domain：域名只能包含ASCII字符，其他文字的域名请使用“xn--”形式。",
     "server.domain：域名只能包含ASCII字元，其他文字的域名請使用「xn--」形式。",
     "server.domain: the name must be in ASCII letters; give a name in other letters in its "
     "\"xn--\" form."},
};

TEST_F(FromReply, WriteRefusalsNameTheParameter) {
    for (const WriteRefusalRow& row : kWriteRefusals) {
        SCOPED_TRACE(row.what);
        protocol::PanelModel p;
        p.SetRuntimeCounts(3);
        CardProfile prof;
        protocol::applyParameterReply(p, fullReply(), scan, prof);
        row.spoil(p, prof);
        const auto result = protocol::composeWrite(p, protocol::SelectedCard{}, scan, prof);
        ASSERT_TRUE(std::holds_alternative<protocol::WriteRefusal>(result));
        const auto& refusal = std::get<protocol::WriteRefusal>(result);
        EXPECT_EQ(WriteRefusalMessage(refusal, lang::LanguageId::SimplifiedChinese),
                  row.simplified);
        EXPECT_EQ(WriteRefusalMessage(refusal, lang::LanguageId::TraditionalChinese),
                  row.traditional);
        EXPECT_EQ(WriteRefusalMessage(refusal, lang::LanguageId::English), row.english);
    }
}

} // namespace
