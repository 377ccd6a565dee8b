#pragma once
// Which card a command means, as the operator names it, and which card a reply comes from.

#include "protocol/Frame.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

namespace fleet {

struct CardTarget {
    QString given;       // as typed, for messages
    bool byMac = false;  // read with the by-MAC request (firmware 54 and later)
    protocol::Mac mac{}; // when byMac
    std::string macText; // "00:1A:2B:3C:4D:5E" when byMac
    std::string ip;      // dotted quad when not byMac
};

// An IPv4 dotted quad, or a MAC as six hex pairs joined by ':' or '-' or written together.
// `byMac` insists on a MAC. Nothing for anything else.
std::optional<CardTarget> ParseCardTarget(const QString& text, bool byMac = false);

// What a parameter reply says about its sender, from its frames; the last frame of a kind
// counts, as when the window decodes it. Empty texts where the frame is missing.
struct ReplyIdentity {
    std::string mac; // upper-case pairs joined by ':'
    std::string ip;
    int version = -1;
};
ReplyIdentity IdentifyReply(const QByteArray& reply);

} // namespace fleet
