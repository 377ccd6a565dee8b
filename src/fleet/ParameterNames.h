#pragma once
// One stable dotted name for every parameter the panel holds, its kind and the panel fields
// behind it. Scripts and profile files depend on these names: never rename one.

#include "lang/Catalogue.h"
#include "protocol/Panel.h"
#include "protocol/WriteComposer.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fleet {

enum class Kind : std::uint8_t {
    Number,  // decimal digits in one edit
    Address, // a dotted quad over four octet edits
    Text,    // free text in one edit
    List,    // an entry of a combo box, by its English text or its position
    Choice,  // a radio group, the server radio pair or the DNS check box, as a List
};

// The radio or check box a Choice drives.
enum class ChoiceField : std::uint8_t {
    None,
    ConfigMode, // rGCfg: 0 "Handle Set", 1 "DHCP Set", 2 "Softwear Set"
    DnsMode,    // cbDNSAddr: 0 "DNS Handle Set" (ticked), 1 "DNS Auto Get"
    ServerMode, // 0 "Service IP" (rBtnServerIP), 1 "Service Domain" (rBtnServerDomain)
};

struct Parameter {
    std::string_view name;
    Kind kind = Kind::Text;
    bool readOnly = false; // the card's own MAC, firmware version and internal code
    bool dhcpOnly = false; // held only for cards with DHCP 1
    protocol::Edit edit = protocol::Edit::Count;    // Number, Text; an Address's first octet
    protocol::Combo combo = protocol::Combo::Count; // List
    ChoiceField choice = ChoiceField::None;         // Choice
};

// Every parameter, in the window's order from the top of the left column down, then the
// read-only strips. A profile is applied in this order, so a configuration mode is chosen
// before the DNS mode it resets.
std::span<const Parameter> Parameters();
const Parameter* FindParameter(std::string_view name);
// Whether a card of this profile holds the parameter (DHCP 0 has no configuration mode and DNS).
bool ExistsFor(const Parameter& parameter, const protocol::CardProfile& profile);
// The parameter an edit (an octet too) or a combo box belongs to; nullptr for none.
const Parameter* ParameterOf(protocol::PanelComponent component);
// The edits behind a parameter: one, four for an address, none for a List or Choice.
std::vector<protocol::Edit> EditsOf(const Parameter& parameter);
// English texts of a List's or Choice's entries in position order: the colour list with its
// third entry, the scan modes with "Static Scan"; empty for the other kinds.
const std::vector<std::string>& EntryTexts(const Parameter& parameter);

struct ParameterValue {
    const Parameter* parameter = nullptr;
    // As the window shows it: the digits, the dotted quad ("" when all four octets are empty),
    // the text, or the English text of the chosen entry ("" for none).
    std::string text;
    int position = -1; // List and Choice: the chosen position, -1 for none
};

// Every parameter this card profile holds, in table order, with the panel's values.
std::vector<ParameterValue> ReadParameters(const protocol::PanelModel& panel,
                                           const protocol::CardProfile& profile);
// The text of the parameter of that name among `values`; empty when it is not there.
std::string ValueText(const std::vector<ParameterValue>& values, std::string_view name);
// One cell of the table: the text, and for a List or Choice " (#position)" after it.
std::string DisplayText(const ParameterValue& value);

// The write composer's refusal as a message that names the parameter by its dotted name.
std::string WriteRefusalMessage(const protocol::WriteRefusal& refusal, lang::LanguageId language);

} // namespace fleet
