#pragma once
// Turns a parameter reply into panel contents and tells whether it confirms a write.

#include "protocol/Frame.h"
#include "protocol/Panel.h"
#include "protocol/ScanModeTable.h"

namespace protocol {

struct ReplyOutcome {
    // Every checked network value equals what the panel showed before, and there was at least
    // one: a write is confirmed, the caller stops the re-check timer and shows
    // "item_update_success".
    bool matched = true;
    // A flags frame changed the DNS box under DHCP; the caller runs its DNS-row reaction.
    bool dnsReactionDue = false;
};

// Applies every recognised frame in position order. The panel's combo counts must be set.
ReplyOutcome applyParameterReply(PanelModel& panel, ByteView datagram,
                                 const ScanModeTable& scanModes, const CardProfile& profile);

} // namespace protocol
