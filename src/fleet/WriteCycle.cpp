#include "fleet/WriteCycle.h"

#include "discovery/HostResolution.h"
#include "protocol/Encoding.h"

#include <QString>
#include <algorithm>

namespace fleet {

std::string TypedQuad(const protocol::PanelModel& panel, protocol::Edit first) {
    const auto octet = [&](int i) {
        return QString::fromStdString(
            panel[static_cast<protocol::Edit>(static_cast<int>(first) + i)]);
    };
    return discovery::joinOctets(octet(0), octet(1), octet(2), octet(3)).toStdString();
}

WriteCycle::WriteCycle(const CardFamily& family, protocol::PanelModel sent,
                       protocol::SelectedCard card, bool hasDomain)
    : family_(family), sent_(std::move(sent)), card_(std::move(card)), newIp_(TypedIp(sent_)),
      hasDomain_(hasDomain) {
    if (std::any_of(card_.mac.begin(), card_.mac.end(), [](std::uint8_t b) { return b != 0; })) {
        macText_ = protocol::MacText(card_.mac.data());
    }
}

void WriteCycle::delayOver() {
    delayOver_ = true;
    card_.ip = newIp_;
    confirmTries_ = 0;
}

bool WriteCycle::recheck() {
    if (confirmTries_ < kMaxConfirmTries) {
        ++confirmTries_;
        return true;
    }
    confirmTries_ = 0;
    return false;
}

bool WriteCycle::belongsTo(const ReplyIdentity& id) const {
    if (!id.mac.empty() && !macText_.empty()) {
        return id.mac == macText_;
    }
    // Before the wait is over the card may still answer at its old address.
    return !id.ip.empty() && (id.ip == newIp_ || id.ip == card_.ip);
}

bool WriteCycle::confirms(const QByteArray& reply) {
    protocol::PanelModel panel = sent_;
    const protocol::ReplyOutcome outcome = family_.apply(panel, reply);
    answered_ = std::move(panel);
    if (outcome.matched) {
        confirmed_ = true;
    }
    return outcome.matched;
}

} // namespace fleet
