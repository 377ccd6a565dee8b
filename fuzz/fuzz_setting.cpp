// NAME=VALUE changes as anyone may type them: a refusal naming the parameter, or a value of the
// parameter's kind that applies to a panel and comes back the same through a profile.

#include "fleet/Profile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

#define require(ok) requireAt((ok), #ok, __LINE__)
void requireAt(bool ok, const char* what, int line) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_setting.cpp:%d: %s\n", line, what);
        std::abort();
    }
}

bool Digits(std::string_view text) {
    return text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<fleet::Setting> settings;
    std::size_t start = 0;
    while (start <= input.size()) {
        const std::size_t nl = std::min(input.find('\n', start), input.size());
        const std::string_view line = std::string_view(input).substr(start, nl - start);
        start = nl + 1;
        const auto r = fleet::ParseSetting(line);
        const std::string_view name = line.substr(0, line.find('='));
        if (const auto* refusal = std::get_if<fleet::Refusal>(&r)) {
            require(refusal->key.empty() || refusal->key == name);
            require(refusal->file.empty() && refusal->line == 0);
            require(!fleet::RefusalMessage(*refusal, lang::LanguageId::English).empty());
            continue;
        }
        const fleet::Setting& s = std::get<fleet::Setting>(r);
        require(s.parameter != nullptr && s.parameter->name == name && !s.parameter->readOnly);
        switch (s.parameter->kind) {
        case fleet::Kind::Number:
            require(Digits(s.text));
            break;
        case fleet::Kind::Address:
            require(s.text.empty() || fleet::ParseAddress(s.text));
            break;
        case fleet::Kind::Text:
            break;
        case fleet::Kind::List:
        case fleet::Kind::Choice:
            require(s.position >= 0 &&
                    s.position < static_cast<int>(fleet::EntryTexts(*s.parameter).size()));
            break;
        }
        settings.push_back(s);
    }

    protocol::CardProfile card;
    card.dhcp = 1;
    protocol::PanelModel panel;
    panel.SetRuntimeCounts(card.cardColor);
    if (fleet::ApplySettings(panel, settings, card)) {
        return 0;
    }
    const auto again = fleet::ParseProfile(fleet::ProfileJson(panel, card), "again.json");
    require(std::holds_alternative<fleet::Profile>(again));
    protocol::PanelModel copy;
    copy.SetRuntimeCounts(card.cardColor);
    require(!fleet::ApplyProfile(copy, std::get<fleet::Profile>(again), card));
    require(copy.edits == panel.edits && copy.cfgMode == panel.cfgMode &&
            copy.dnsManual == panel.dnsManual && copy.serverByDomain == panel.serverByDomain);
    for (std::size_t i = 0; i < protocol::ComboCount; ++i) {
        require(copy.combos[i].index == panel.combos[i].index);
    }
    return 0;
}
