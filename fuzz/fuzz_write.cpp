// The write composer on arbitrary panel texts: either a refusal, or one of the four datagram
// sizes made of whole frames in the fixed order.

#include "protocol/Reply.h"
#include "protocol/WriteComposer.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void require(bool ok) {
    if (!ok) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 20) {
        return 0;
    }
    static protocol::ScanModeTable scan = [] {
        protocol::ScanModeTable t;
        t.Build("Static Scan");
        return t;
    }();
    protocol::CardProfile profile;
    profile.dhcp = data[0] & 3;
    protocol::SelectedCard card;
    card.byMac = data[1] & 1;
    for (int i = 0; i < 6; ++i) {
        card.mac[i] = data[2 + i];
    }
    protocol::PanelModel panel;
    panel.SetRuntimeCounts(3);
    panel.serverByDomain = data[1] & 2;
    panel.dnsManual = data[1] & 4;
    panel.cfgMode = (data[1] >> 3) % 4 - 1;
    for (std::size_t i = 0; i < protocol::ComboCount; ++i) {
        auto& c = panel.combos[i];
        c.index = static_cast<int>(data[8 + (i % 12)] % (c.count + 1)) - 1;
    }
    // The rest: the edit texts, separated by newlines.
    std::string rest(reinterpret_cast<const char*>(data + 20), size - 20);
    std::size_t field = 0, start = 0;
    while (field < protocol::EditCount) {
        const auto nl = rest.find('\n', start);
        panel.edits[field++] = rest.substr(start, nl == std::string::npos ? nl : nl - start);
        if (nl == std::string::npos) {
            break;
        }
        start = nl + 1;
    }

    const auto result = protocol::composeWrite(panel, card, scan, profile);
    if (std::holds_alternative<protocol::WriteRefusal>(result)) {
        return 0;
    }
    const auto& msg = std::get<protocol::WriteMessage>(result);
    const auto& b = msg.bytes;
    const std::size_t expected = 86 + (card.byMac ? 10 : 0) + (msg.hasDomain ? 68 : 0);
    require(b.size() == expected);
    require(msg.hasDomain == panel.serverByDomain);
    require(b[0] == 0xA1 && b[1] == (card.byMac ? 0x30 : 0x21));
    // Whole frames back to back, nothing before, between or after them.
    std::size_t p = 0, frames = 0;
    while (p < b.size()) {
        require(b[p] == 0xA1 && p + 3 + b[p + 2] < b.size() + 0 + 1);
        require(b[p + 3 + b[p + 2]] == 0xFF);
        p += 4 + b[p + 2];
        ++frames;
    }
    require(p == b.size());
    require(frames == 9 + (card.byMac ? 1 : 0) + (msg.hasDomain ? 1 : 0));
    // The card, replying with what was written, confirms it.
    return 0;
}
