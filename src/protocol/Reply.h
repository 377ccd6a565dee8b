#pragma once
// Turns a parameter reply into panel contents and tells whether it confirms a write.

#include "protocol/Frame.h"
#include "protocol/Panel.h"
#include "protocol/ScanModeTable.h"

#include <functional>
#include <string>
#include <string_view>

namespace protocol {

struct ReplyOutcome {
    // Every checked network value equals what the panel showed before, and there was at least
    // one: a write is confirmed, the caller stops the re-check timer and shows
    // "item_update_success".
    bool matched = true;
    // A flags frame changed the DNS box under DHCP; the caller runs its DNS-row reaction.
    bool dnsReactionDue = false;
};

// The form in which a domain goes to the card. The card's domain and the one the panel
// shows are compared in it, so a name sent as "xn--..." confirms a write of the same name
// typed in other letters. Unset: compared as they stand.
using DomainForm = std::function<std::string(std::string_view)>;

// `shownForm` turns the card's domain into the text the panel shows; unset: as received.
// Applies every recognised frame in position order. The panel's combo counts must be set.
ReplyOutcome applyParameterReply(PanelModel& panel, ByteView datagram,
                                 const ScanModeTable& scanModes, const CardProfile& profile,
                                 const DomainForm& domainForm = {},
                                 const DomainForm& shownForm = {});

} // namespace protocol
