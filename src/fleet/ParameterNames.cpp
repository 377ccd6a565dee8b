#include "fleet/ParameterNames.h"

#include "protocol/ScanModeTable.h"

#include <array>

namespace fleet {

namespace {

using protocol::Combo;
using protocol::Edit;

constexpr Parameter Num(std::string_view name, Edit e, bool readOnly = false) {
    return {name, Kind::Number, readOnly, false, e, Combo::Count, ChoiceField::None};
}
constexpr Parameter Quad(std::string_view name, Edit first, bool dhcpOnly = false) {
    return {name, Kind::Address, false, dhcpOnly, first, Combo::Count, ChoiceField::None};
}
constexpr Parameter Txt(std::string_view name, Edit e, bool readOnly = false) {
    return {name, Kind::Text, readOnly, false, e, Combo::Count, ChoiceField::None};
}
constexpr Parameter Lst(std::string_view name, Combo c) {
    return {name, Kind::List, false, false, Edit::Count, c, ChoiceField::None};
}
constexpr Parameter Chc(std::string_view name, ChoiceField f, bool dhcpOnly = false) {
    return {name, Kind::Choice, false, dhcpOnly, Edit::Count, Combo::Count, f};
}

// Left column top to bottom, then the right column's strips.
constexpr std::array kParameters = {
    Num("display.width", Edit::PLen),
    Num("display.height", Edit::PHeight),
    Lst("display.color", Combo::PClor),
    Lst("display.scan_mode", Combo::Scan),
    Lst("display.day_brightness", Combo::DLamp),
    Lst("display.night_brightness", Combo::NLamp),
    Lst("display.oe_signal", Combo::OE),
    Lst("display.data_polarity", Combo::DataBit),
    Lst("display.content", Combo::SContent),
    Lst("display.clock_frequency", Combo::CF),
    Lst("display.row_order", Combo::RowOrder),
    Lst("display.when_empty", Combo::EmptyDisplay),
    Lst("comm.interface", Combo::Comm),
    Lst("comm.baud_rate", Combo::Baud),
    Lst("comm.network_speed", Combo::Rate),
    Lst("comm.long_screen_conversion", Combo::Trans),
    Lst("comm.rs485_address", Combo::Addr485),
    Chc("network.config_mode", ChoiceField::ConfigMode, true),
    Quad("network.ip", Edit::IP1),
    Quad("network.mask", Edit::C1),
    Quad("network.gateway", Edit::Gate1),
    Chc("dns.mode", ChoiceField::DnsMode, true),
    Quad("dns.address", Edit::DNS1, true),
    Chc("server.mode", ChoiceField::ServerMode),
    Quad("server.ip", Edit::DIP1),
    Txt("server.domain", Edit::Domain),
    Num("server.port", Edit::DPort),
    Txt("card.internal_code_hex", Edit::InnerCodeHex, true),
    Txt("card.internal_code_dec", Edit::InnerCodeDec, true),
    Num("card.firmware", Edit::Version, true),
    Txt("card.mac", Edit::MACAddr, true),
};

std::size_t Index(Combo c) {
    return static_cast<std::size_t>(c);
}

// English entry texts, built once from the catalogue the window fills its lists from.
struct EntryLists {
    std::array<std::vector<std::string>, protocol::ComboCount> combos;
    std::vector<std::string> configMode;
    std::vector<std::string> dnsMode;
    std::vector<std::string> serverMode;

    EntryLists() {
        const lang::TEnglish english;
        const auto sub = [&](std::initializer_list<std::size_t> positions) {
            std::vector<std::string> texts;
            for (const std::size_t p : positions) {
                texts.push_back(english.TextAt(lang::Section::ComboItems, p));
            }
            return texts;
        };
        const auto numbers = [](int first, int last) {
            std::vector<std::string> texts;
            for (int n = first; n <= last; ++n) {
                texts.push_back(std::to_string(n));
            }
            return texts;
        };
        combos[Index(Combo::PClor)] = sub({0, 1, 2});
        protocol::ScanModeTable scan;
        combos[Index(Combo::Scan)] = scan.Build(english.TextAt(lang::Section::ComboItems, 3));
        std::vector<std::string> brightness = sub({4});
        for (std::string& level : numbers(1, 6)) {
            brightness.push_back(std::move(level));
        }
        brightness.push_back(english.TextAt(lang::Section::ComboItems, 5));
        combos[Index(Combo::DLamp)] = brightness;
        combos[Index(Combo::NLamp)] = brightness;
        for (const Combo c : {Combo::OE, Combo::DataBit, Combo::SContent}) {
            combos[Index(c)] = sub({6, 7});
        }
        combos[Index(Combo::CF)] = sub({8, 9, 10});
        combos[Index(Combo::RowOrder)] = sub({11, 12, 13, 26});
        combos[Index(Combo::EmptyDisplay)] = sub({24, 25});
        combos[Index(Combo::Comm)] = sub({14, 15, 16});
        combos[Index(Combo::Baud)] = {"9600", "19200", "38400", "57600", "115200"};
        combos[Index(Combo::Rate)] = sub({17, 18, 19});
        combos[Index(Combo::Trans)] = sub({20, 21, 22, 23});
        combos[Index(Combo::Addr485)] = numbers(1, 99);
        for (std::size_t i = 0; i < 3; ++i) {
            configMode.push_back(english.TextAt(lang::Section::ConfigModes, i));
        }
        dnsMode = {english.TextAt(lang::Section::DnsCaptions, 0),
                   english.TextAt(lang::Section::DnsCaptions, 1)};
        serverMode = {english.TextAt(lang::Section::ServerCaptions, 0),
                      english.TextAt(lang::Section::ServerCaptions, 1)};
    }
};

const EntryLists& Lists() {
    static const EntryLists lists;
    return lists;
}

std::string QuadText(const protocol::PanelModel& panel, Edit first) {
    std::string text;
    bool any = false;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string& octet = panel[static_cast<Edit>(static_cast<std::size_t>(first) + i)];
        any = any || !octet.empty();
        if (i > 0) {
            text += '.';
        }
        text += octet;
    }
    return any ? text : std::string();
}

int ChoicePosition(const protocol::PanelModel& panel, ChoiceField field) {
    switch (field) {
    case ChoiceField::ConfigMode:
        return panel.cfgMode;
    case ChoiceField::DnsMode:
        return panel.dnsManual ? 0 : 1;
    case ChoiceField::ServerMode:
        return panel.serverByDomain ? 1 : 0;
    case ChoiceField::None:
        break;
    }
    return -1;
}

} // namespace

std::span<const Parameter> Parameters() {
    return kParameters;
}

const Parameter* FindParameter(std::string_view name) {
    for (const Parameter& p : kParameters) {
        if (p.name == name) {
            return &p;
        }
    }
    return nullptr;
}

bool ExistsFor(const Parameter& parameter, const protocol::CardProfile& profile) {
    return !parameter.dhcpOnly || profile.dhcp == 1;
}

const Parameter* ParameterOf(protocol::PanelComponent component) {
    for (const Parameter& p : kParameters) {
        if (component.kind == protocol::PanelComponent::Kind::Combo) {
            if (p.kind == Kind::List && p.combo == component.combo()) {
                return &p;
            }
            continue;
        }
        for (const Edit e : EditsOf(p)) {
            if (e == component.edit()) {
                return &p;
            }
        }
    }
    return nullptr;
}

std::vector<protocol::Edit> EditsOf(const Parameter& parameter) {
    switch (parameter.kind) {
    case Kind::Number:
    case Kind::Text:
        return {parameter.edit};
    case Kind::Address: {
        std::vector<Edit> edits;
        for (std::size_t i = 0; i < 4; ++i) {
            edits.push_back(static_cast<Edit>(static_cast<std::size_t>(parameter.edit) + i));
        }
        return edits;
    }
    case Kind::List:
    case Kind::Choice:
        break;
    }
    return {};
}

const std::vector<std::string>& EntryTexts(const Parameter& parameter) {
    static const std::vector<std::string> none;
    const EntryLists& lists = Lists();
    if (parameter.kind == Kind::List && parameter.combo != Combo::Count) {
        return lists.combos[Index(parameter.combo)];
    }
    switch (parameter.choice) {
    case ChoiceField::ConfigMode:
        return lists.configMode;
    case ChoiceField::DnsMode:
        return lists.dnsMode;
    case ChoiceField::ServerMode:
        return lists.serverMode;
    case ChoiceField::None:
        break;
    }
    return none;
}

std::vector<ParameterValue> ReadParameters(const protocol::PanelModel& panel,
                                           const protocol::CardProfile& profile) {
    std::vector<ParameterValue> values;
    for (const Parameter& p : kParameters) {
        if (!ExistsFor(p, profile)) {
            continue;
        }
        ParameterValue v{&p, {}, -1};
        switch (p.kind) {
        case Kind::Number:
        case Kind::Text:
            v.text = panel[p.edit];
            break;
        case Kind::Address:
            v.text = QuadText(panel, p.edit);
            break;
        case Kind::List:
        case Kind::Choice: {
            v.position =
                p.kind == Kind::List ? panel[p.combo].index : ChoicePosition(panel, p.choice);
            const auto& texts = EntryTexts(p);
            if (v.position >= 0 && static_cast<std::size_t>(v.position) < texts.size()) {
                v.text = texts[static_cast<std::size_t>(v.position)];
            } else {
                v.position = -1;
            }
            break;
        }
        }
        values.push_back(std::move(v));
    }
    return values;
}

std::string ValueText(const std::vector<ParameterValue>& values, std::string_view name) {
    for (const ParameterValue& v : values) {
        if (v.parameter->name == name) {
            return v.text;
        }
    }
    return {};
}

std::string DisplayText(const ParameterValue& value) {
    if (value.parameter == nullptr ||
        (value.parameter->kind != Kind::List && value.parameter->kind != Kind::Choice) ||
        value.position < 0) {
        return value.text;
    }
    return value.text + " (#" + std::to_string(value.position) + ")";
}

} // namespace fleet
