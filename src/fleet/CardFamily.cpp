#include "fleet/CardFamily.h"

#include "discovery/HostResolution.h"
#include "discovery/QtBytes.h"
#include "protocol/Encoding.h"

namespace fleet {

CardFamily::CardFamily(protocol::CardProfile profile) : profile_(std::move(profile)) {
    // Only the codes matter here; the names are the English list's.
    scanModes_.Build("Static Scan");
}

protocol::PanelModel CardFamily::emptyPanel() const {
    protocol::PanelModel panel;
    panel.SetRuntimeCounts(profile_.cardColor);
    panel.Clear();
    return panel;
}

protocol::ReplyOutcome CardFamily::apply(protocol::PanelModel& panel,
                                         const QByteArray& reply) const {
    const protocol::ByteView bytes = discovery::toByteView(reply);
    // The window's DNS-row reaction (dnsReactionDue) only enables and disables edits.
    return protocol::applyParameterReply(panel, bytes, scanModes_, profile_,
                                         discovery::DomainOnTheWire, discovery::DomainAsShown);
}

protocol::WriteResult CardFamily::compose(protocol::PanelModel panel,
                                          const protocol::SelectedCard& card) const {
    if (panel.serverByDomain) {
        std::string& domain = panel[protocol::Edit::Domain];
        domain = discovery::DomainOnTheWire(protocol::TrimControl(domain));
    }
    return protocol::composeWrite(panel, card, scanModes_, profile_);
}

} // namespace fleet
