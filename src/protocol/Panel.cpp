#include "protocol/Panel.h"

namespace protocol {

namespace {

constexpr std::string_view kEditNames[EditCount] = {
    "edtPLen",          "edtPHeight", "edtIP1",     "edtIP2",   "edtIP3",
    "edtIP4",           "edtC1",      "edtC2",      "edtC3",    "edtC4",
    "edtGate1",         "edtGate2",   "edtGate3",   "edtGate4", "edtDNS1",
    "edtDNS2",          "edtDNS3",    "edtDNS4",    "edtDIP1",  "edtDIP2",
    "edtDIP3",          "edtDIP4",    "edtDomain",  "edtDPort", "edtInnerCode_Hex",
    "edtInnerCode_Dec", "edtVersion", "edtMACAddr",
};

constexpr std::string_view kComboNames[ComboCount] = {
    "cmdPClor",   "cmdScan",     "cmdDLamp", "cmdNLamp",    "cmdOE",
    "cmdDataBit", "cmdSContent", "cmdCF",    "cmdRowOrder", "cmdEmptyDisplay",
    "cmdComm",    "cmdBaud",     "cmdRate",  "cmdTrans",    "cmd485Addr",
};

constexpr PanelComponent E(Edit e) {
    return {PanelComponent::Kind::Edit, static_cast<std::uint8_t>(e)};
}
constexpr PanelComponent C(Combo c) {
    return {PanelComponent::Kind::Combo, static_cast<std::uint8_t>(c)};
}

constexpr std::array<PanelComponent, EditCount + ComboCount> kCreationOrder = {
    E(Edit::PLen),         E(Edit::PHeight), C(Combo::PClor),    C(Combo::Scan),
    C(Combo::DLamp),       C(Combo::NLamp),  C(Combo::OE),       C(Combo::DataBit),
    C(Combo::SContent),    C(Combo::CF),     C(Combo::RowOrder), C(Combo::EmptyDisplay),
    C(Combo::Comm),        C(Combo::Baud),   C(Combo::Rate),     C(Combo::Trans),
    C(Combo::Addr485),     E(Edit::IP1),     E(Edit::IP2),       E(Edit::IP3),
    E(Edit::IP4),          E(Edit::C1),      E(Edit::C2),        E(Edit::C3),
    E(Edit::C4),           E(Edit::Gate1),   E(Edit::Gate2),     E(Edit::Gate3),
    E(Edit::Gate4),        E(Edit::DNS1),    E(Edit::DNS2),      E(Edit::DNS3),
    E(Edit::DNS4),         E(Edit::DIP1),    E(Edit::DIP2),      E(Edit::DIP3),
    E(Edit::DIP4),         E(Edit::Domain),  E(Edit::DPort),     E(Edit::InnerCodeHex),
    E(Edit::InnerCodeDec), E(Edit::Version), E(Edit::MACAddr),
};

} // namespace

std::string_view EditName(Edit e) {
    return kEditNames[static_cast<std::size_t>(e)];
}
std::string_view ComboName(Combo c) {
    return kComboNames[static_cast<std::size_t>(c)];
}

std::optional<Edit> EditByName(std::string_view name) {
    for (std::size_t i = 0; i < EditCount; ++i) {
        if (kEditNames[i] == name) {
            return static_cast<Edit>(i);
        }
    }
    return std::nullopt;
}

std::optional<Combo> ComboByName(std::string_view name) {
    for (std::size_t i = 0; i < ComboCount; ++i) {
        if (kComboNames[i] == name) {
            return static_cast<Combo>(i);
        }
    }
    return std::nullopt;
}

const std::array<PanelComponent, EditCount + ComboCount>& CreationOrder() {
    return kCreationOrder;
}

void PanelModel::Clear() {
    for (auto& text : edits) {
        text.clear();
    }
    for (auto& combo : combos) {
        combo.index = -1;
    }
}

int RuntimeComboCount(Combo c, int cardColor) {
    switch (c) {
    case Combo::PClor:
        return cardColor == 3 ? 3 : 2;
    case Combo::Scan:
        return 95;
    case Combo::DLamp:
    case Combo::NLamp:
        return 8;
    case Combo::OE:
    case Combo::DataBit:
    case Combo::SContent:
    case Combo::EmptyDisplay:
        return 2;
    case Combo::CF:
    case Combo::Comm:
    case Combo::Rate:
        return 3;
    case Combo::RowOrder:
    case Combo::Trans:
        return 4;
    case Combo::Baud:
        return 5;
    case Combo::Addr485:
        return 99;
    case Combo::Count:
        break;
    }
    return 0;
}

void PanelModel::SetRuntimeCounts(int cardColor) {
    for (std::size_t i = 0; i < ComboCount; ++i) {
        combos[i].count = RuntimeComboCount(static_cast<Combo>(i), cardColor);
    }
}

void ApplyCfgModeToDns(PanelModel& panel) {
    panel.dnsManual = panel.cfgMode != 1;
}

} // namespace protocol
