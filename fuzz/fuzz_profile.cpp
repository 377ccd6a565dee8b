// Profile files as anyone may write them: either a refusal that names where, or a profile that
// applies all or nothing, and a panel it was applied to writes out and reads back the same.

#include "fleet/Profile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

#define require(ok) requireAt((ok), #ok, __LINE__)
void requireAt(bool ok, const char* what, int line) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_profile.cpp:%d: %s\n", line, what);
        std::abort();
    }
}

bool Same(const protocol::PanelModel& a, const protocol::PanelModel& b) {
    for (std::size_t i = 0; i < protocol::ComboCount; ++i) {
        if (a.combos[i].index != b.combos[i].index) {
            return false;
        }
    }
    return a.edits == b.edits && a.serverByDomain == b.serverByDomain &&
           a.dnsManual == b.dnsManual && a.cfgMode == b.cfgMode;
}

// A card as read, with every field filled.
protocol::PanelModel ReadCard() {
    protocol::PanelModel p;
    p.SetRuntimeCounts(3);
    for (std::size_t i = 0; i < protocol::ComboCount; ++i) {
        p.combos[i].index = static_cast<int>(i) % p.combos[i].count;
    }
    for (std::size_t i = 0; i < protocol::EditCount; ++i) {
        p.edits[i] = std::to_string(i * 7 % 256);
    }
    p[protocol::Edit::Domain] = "led.example.com";
    p[protocol::Edit::MACAddr] = "00:1A:2B:3C:4D:5E";
    return p;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto parsed = fleet::ParseProfile(text, "fuzz.json");
    if (const auto* refusal = std::get_if<fleet::Refusal>(&parsed)) {
        require(refusal->file == "fuzz.json");
        require(refusal->line >= 0 && static_cast<std::size_t>(refusal->line) <= size + 1);
        for (const auto lang : {lang::LanguageId::SimplifiedChinese,
                                lang::LanguageId::TraditionalChinese, lang::LanguageId::English}) {
            require(!fleet::RefusalMessage(*refusal, lang).empty());
        }
        return 0;
    }
    const auto& profile = std::get<fleet::Profile>(parsed);
    for (const auto& s : profile.settings) {
        require(s.parameter != nullptr);
        require(s.position >= -1 &&
                s.position < static_cast<int>(fleet::EntryTexts(*s.parameter).size()));
    }

    for (const int dhcp : {0, 1}) {
        protocol::CardProfile card;
        card.dhcp = dhcp;
        card.cardColor = size % 2 == 0 ? 3 : 2;
        protocol::PanelModel panel = ReadCard();
        panel.SetRuntimeCounts(card.cardColor);
        panel[protocol::Combo::PClor].index = 0;
        const protocol::PanelModel before = panel;
        fleet::ApplyOptions options;
        options.keepNetworkAddresses = (size & 4) != 0;
        if (const auto refusal = fleet::ApplyProfile(panel, profile, card, options)) {
            require(Same(before, panel));
            continue;
        }
        // The card's own values stay, whatever the profile said of them.
        for (const auto e : {protocol::Edit::MACAddr, protocol::Edit::Version,
                             protocol::Edit::InnerCodeHex, protocol::Edit::InnerCodeDec}) {
            require(panel[e] == before[e]);
        }
        // Written out and read back onto the panel as it was before, it gives the same panel.
        const auto again = fleet::ParseProfile(fleet::ProfileJson(panel, card), "again.json");
        require(std::holds_alternative<fleet::Profile>(again));
        protocol::PanelModel copy = before;
        require(!fleet::ApplyProfile(copy, std::get<fleet::Profile>(again), card));
        require(Same(copy, panel));
    }
    return 0;
}
