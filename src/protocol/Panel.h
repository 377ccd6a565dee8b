#pragma once
// A plain model of the parameter panel: what the main window shows, without any widget.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace protocol {

enum class Edit : std::uint8_t {
    PLen,
    PHeight,
    IP1,
    IP2,
    IP3,
    IP4,
    C1,
    C2,
    C3,
    C4,
    Gate1,
    Gate2,
    Gate3,
    Gate4,
    DNS1,
    DNS2,
    DNS3,
    DNS4,
    DIP1,
    DIP2,
    DIP3,
    DIP4,
    Domain,
    DPort,
    InnerCodeHex,
    InnerCodeDec,
    Version,
    MACAddr,
    Count
};

enum class Combo : std::uint8_t {
    PClor,
    Scan,
    DLamp,
    NLamp,
    OE,
    DataBit,
    SContent,
    CF,
    RowOrder,
    EmptyDisplay,
    Comm,
    Baud,
    Rate,
    Trans,
    Addr485,
    Count
};

inline constexpr std::size_t EditCount = static_cast<std::size_t>(Edit::Count);
inline constexpr std::size_t ComboCount = static_cast<std::size_t>(Combo::Count);

// Component names as the main window's objectNames.
std::string_view EditName(Edit e);
std::string_view ComboName(Combo c);
std::optional<Edit> EditByName(std::string_view name);
std::optional<Combo> ComboByName(std::string_view name);

struct ComboState {
    int index = -1; // chosen item, -1 for none
    int count = 0;  // number of items
};

// One component of the panel in the main window's creation order.
struct PanelComponent {
    enum class Kind : std::uint8_t { Edit, Combo } kind;
    std::uint8_t id; // an Edit or a Combo
    Edit edit() const { return static_cast<Edit>(id); }
    Combo combo() const { return static_cast<Combo>(id); }
};

// Every edit and combo box in creation order: left column top to bottom, then the right
// column's read-only strips. The empty-field check and the panel clearing walk it.
const std::array<PanelComponent, EditCount + ComboCount>& CreationOrder();

// The card-family profile from the settings file that changes encodings.
struct CardProfile {
    int dhcp = 0;           // 1 brings configuration mode and DNS into replies and writes
    int cardColor = 3;      // 3 gives the colour list its third item
    std::string dns;        // preset for the DNS octets when not empty
    std::string domainName; // preset for the server domain when not empty
};

struct PanelModel {
    std::array<std::string, EditCount> edits{};
    std::array<ComboState, ComboCount> combos{};
    bool serverByDomain = false; // rBtnServerDomain chosen (else rBtnServerIP)
    bool dnsManual = false;      // cbDNSAddr ticked
    int cfgMode = 0;             // rGCfg index, -1 for none

    std::string& operator[](Edit e) { return edits[static_cast<std::size_t>(e)]; }
    const std::string& operator[](Edit e) const { return edits[static_cast<std::size_t>(e)]; }
    ComboState& operator[](Combo c) { return combos[static_cast<std::size_t>(c)]; }
    const ComboState& operator[](Combo c) const { return combos[static_cast<std::size_t>(c)]; }

    // Empties every edit and unselects every combo box; radios and the check box stay.
    void Clear();
    // Item counts the window has after a language is applied.
    void SetRuntimeCounts(int cardColor);
};

// Item counts of the run-time lists.
int RuntimeComboCount(Combo c, int cardColor);

// Configuration-mode reaction: DHCP (index 1) unticks the DNS box, anything else ticks it.
void ApplyCfgModeToDns(PanelModel& panel);

} // namespace protocol
