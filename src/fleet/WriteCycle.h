#pragma once
// One card's write from the moment it has left until it is confirmed or not: how long to wait,
// where to read the card back, how often, which replies are its own and which one confirms.
// The batch writer runs one per card on its scheduler; the window runs one on its timers
// tDelay and tMody. Neither holds any of these rules itself.

#include "fleet/CardFamily.h"
#include "fleet/CardTarget.h"
#include "protocol/Addressing.h"
#include "protocol/Panel.h"

#include <QByteArray>
#include <optional>
#include <string>

namespace fleet {

class WriteCycle {
public:
    static constexpr int kDelayMs = 5000;            // tDelay
    static constexpr int kDelayWithDomainMs = 10000; // tDelay after a write with a domain
    static constexpr int kRecheckMs = 2000;          // tMody
    static constexpr int kMaxConfirmTries = 2;       // re-reads after the first read-back

    // `sent` is the panel the write was composed from, `card` where it went.
    WriteCycle(const CardFamily& family, protocol::PanelModel sent, protocol::SelectedCard card,
               bool hasDomain);

    int delayMs() const { return hasDomain_ ? kDelayWithDomainMs : kDelayMs; }

    // The wait is over. A card read by IP answers at the IP that was sent from now on.
    void delayOver();
    // Where the read-backs go: the card as written, at its new IP once the wait is over.
    const protocol::SelectedCard& card() const { return card_; }
    // The card IP that was sent: the four octets as typed, trimmed, joined by dots.
    const std::string& newIp() const { return newIp_; }

    // A tick of the re-check timer: true when another read-back is due, false when the tries
    // are spent and the write is not confirmed.
    bool recheck();
    int confirmTries() const { return confirmTries_; }

    // Whether a parameter reply comes from this card: by its MAC frame when the reply has one
    // and the card's MAC is known, by the IP frame against the new IP otherwise.
    bool belongsTo(const ReplyIdentity& id) const;
    // Decodes the reply over what was sent, never over an earlier reply, so a card that
    // ignored the write is not confirmed by its second answer. True when the reply's network
    // values are those that were sent.
    bool confirms(const QByteArray& reply);

    bool confirmed() const { return confirmed_; }
    const protocol::PanelModel& sent() const { return sent_; }
    // The last reply of this card after the write, decoded over what was sent.
    const std::optional<protocol::PanelModel>& answered() const { return answered_; }

private:
    const CardFamily& family_;
    protocol::PanelModel sent_;
    protocol::SelectedCard card_;
    std::string macText_; // empty when the MAC is not known
    std::string newIp_;
    bool hasDomain_ = false;
    bool delayOver_ = false;
    bool confirmed_ = false;
    int confirmTries_ = 0;
    std::optional<protocol::PanelModel> answered_;
};

// An address as typed in the panel: the four octet texts from `first` on, trimmed, joined by
// dots; the card IP and the subnet mask.
std::string TypedQuad(const protocol::PanelModel& panel, protocol::Edit first);
inline std::string TypedIp(const protocol::PanelModel& panel) {
    return TypedQuad(panel, protocol::Edit::IP1);
}
inline std::string TypedMask(const protocol::PanelModel& panel) {
    return TypedQuad(panel, protocol::Edit::C1);
}

} // namespace fleet
