#pragma once
// Profile files and NAME=VALUE changes: the panel written out as JSON, read back, checked, and
// applied to a panel as if the operator had typed and chosen each value.

#include "fleet/ParameterNames.h"
#include "lang/Catalogue.h"
#include "protocol/Panel.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace fleet {

inline constexpr std::string_view kProfileFormat = "ledcardctl-profile";
inline constexpr int kProfileVersion = 1;

// Why a profile, a change or a value was refused. Nothing is sent, nothing is changed.
struct Refusal {
    enum class Reason : std::uint8_t {
        NotJson,            // the file is no JSON document; `line` from the parse offset
        NotAProfile,        // no object with the format marker
        UnsupportedVersion, // `value` holds the version found
        WrongShape,         // `key` holds a JSON value of the wrong type
        UnknownKey,         // `key` is no key of the profile format
        UnknownParameter,   // `key` names no parameter
        UnknownValue,       // `value` is no entry of the list or choice `key`
        PositionOutOfRange, // `value` is a position at or past `limit`, the entry count
        NotANumber,         // `value` is not a plain decimal number
        BadAddress,         // `value` is no dotted quad of four numbers up to 255
        ReadOnly,           // `key` is one of the card's own values
        NotForCard,         // `key` is held only by cards with DHCP 1
        NoAssignment,       // a change without "=": `value` holds it
        EntryMismatch,      // `value` is a text that is not the entry at position `limit`
        NotUtf8,            // a change whose bytes are no UTF-8 text
    };
    Reason reason = Reason::NotJson;
    std::string file; // the profile file; empty for a change
    int line = 0;     // 1-based line in the file, 0 when not known
    std::string key;  // dotted name or JSON key
    std::string value;
    int limit = 0;
};

// "<file>:<line>: <key>: <reason>", the parts that are known, reason in the language.
std::string RefusalMessage(const Refusal& refusal, lang::LanguageId language);

// One parameter's value, checked against its kind.
struct Setting {
    const Parameter* parameter = nullptr;
    std::string text;  // Number, Text: the edit's text; Address: the dotted quad or ""
    int position = -1; // List, Choice: the position, -1 for none (a profile's null)
};

// The card a profile was read from, as read.
struct CardIdentity {
    std::string mac;
    std::string ip;
    std::string firmware;
};

struct Profile {
    std::string file;
    CardIdentity card;
    std::vector<Setting> settings; // read-only ones included; applying skips them
};

// The profile of a panel: format marker and version, the card's identity, and every
// parameter the card profile holds, read-only ones included, in table order. Ends in a newline.
std::string ProfileJson(const protocol::PanelModel& panel, const protocol::CardProfile& profile);

// The JSON text of a profile file; `file` only names it in a refusal.
std::variant<Profile, Refusal> ParseProfile(std::string_view text, std::string_view file);

// "NAME=VALUE". A List or Choice value is an entry's English text (blanks and case aside) or
// its position, a number that is no entry text or "#N"; a read-only parameter is refused.
std::variant<Setting, Refusal> ParseSetting(std::string_view assignment);

// A JSON string with its quotes. Panel texts are UTF-8; anything else is replaced rather than
// written broken.
std::string JsonString(std::string_view text);

// A dotted quad of four decimal numbers up to 255, nothing else.
std::optional<std::array<std::uint8_t, 4>> ParseAddress(std::string_view text);

struct ApplyOptions {
    // Keep the panel's card IP, subnet mask and gateway.
    bool keepNetworkAddresses = false;
    // The card IP to give; the mask and gateway then come from the profile.
    std::optional<std::array<std::uint8_t, 4>> ip;
};

// Applies a profile in table order. The card's MAC, firmware version and internal code are
// always kept. The panel's combo counts must be those of the window (SetRuntimeCounts): a
// position the list does not have is refused. Checks everything before changing anything: on
// a refusal the panel is as it was.
std::optional<Refusal> ApplyProfile(protocol::PanelModel& panel, const Profile& profile,
                                    const protocol::CardProfile& card,
                                    const ApplyOptions& options = {});

// Applies changes in table order (a repeated name: the last one wins), all or nothing.
std::optional<Refusal> ApplySettings(protocol::PanelModel& panel,
                                     const std::vector<Setting>& settings,
                                     const protocol::CardProfile& card);

} // namespace fleet
