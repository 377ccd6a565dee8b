// Parameter replies under every profile: the panel must stay within its lists and the
// decoder must never read past the datagram.

#include "protocol/Reply.h"

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool ok) {
    if (!ok) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte picks the profile; the rest is the datagram.
    const std::uint8_t sel = data[0];
    protocol::CardProfile profile;
    profile.dhcp = sel & 3;
    profile.cardColor = (sel & 4) ? 3 : 2;
    profile.dns = (sel & 8) ? "10.0.0.1.7" : ((sel & 16) ? "10.0.0" : "");
    profile.domainName = (sel & 32) ? "preset.example" : "";

    static protocol::ScanModeTable scan = [] {
        protocol::ScanModeTable t;
        t.Build("Static Scan");
        return t;
    }();
    protocol::PanelModel panel;
    panel.SetRuntimeCounts(profile.cardColor);
    panel.serverByDomain = sel & 64;
    panel.dnsManual = sel & 128;
    for (auto& c : panel.combos) {
        c.index = c.count - 1;
    }

    const auto outcome = protocol::applyParameterReply(panel, {data + 1, size - 1}, scan, profile);
    for (const auto& c : panel.combos) {
        require(c.index >= -1 && c.index < c.count);
    }
    require(panel.cfgMode >= 0 && panel.cfgMode <= 2);
    if (profile.dhcp != 1) {
        require(!outcome.dnsReactionDue);
    }
    // The panel is a function of the reply: a second identical reply leaves it as it was.
    const protocol::PanelModel first = panel;
    protocol::applyParameterReply(panel, {data + 1, size - 1}, scan, profile);
    require(panel.edits == first.edits);
    for (std::size_t i = 0; i < protocol::ComboCount; ++i) {
        require(panel.combos[i].index == first.combos[i].index);
    }
    require(panel.serverByDomain == first.serverByDomain && panel.dnsManual == first.dnsManual &&
            panel.cfgMode == first.cfgMode);
    return 0;
}
