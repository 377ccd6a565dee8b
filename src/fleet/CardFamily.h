#pragma once
// What every card operation shares: the card family's settings (DHCP, colours, the DNS and
// domain presets) and the scan modes, so replies decode and writes encode as in the window.

#include "protocol/Panel.h"
#include "protocol/Reply.h"
#include "protocol/ScanModeTable.h"
#include "protocol/WriteComposer.h"

#include <QByteArray>
#include <string>
#include <string_view>

namespace fleet {

class CardFamily {
public:
    explicit CardFamily(protocol::CardProfile profile = {});

    const protocol::CardProfile& profile() const { return profile_; }
    const protocol::ScanModeTable& scanModes() const { return scanModes_; }

    // An empty panel with the window's list lengths, as after choosing a card.
    protocol::PanelModel emptyPanel() const;
    // Decodes a parameter reply into `panel` and says whether it matched what `panel` showed.
    // A domain in its "xn--" form is shown in Unicode.
    protocol::ReplyOutcome apply(protocol::PanelModel& panel, const QByteArray& reply) const;
    // The write of `panel` to `card`, the domain put into its wire form first.
    protocol::WriteResult compose(protocol::PanelModel panel,
                                  const protocol::SelectedCard& card) const;

private:
    protocol::CardProfile profile_;
    protocol::ScanModeTable scanModes_;
};

} // namespace fleet
