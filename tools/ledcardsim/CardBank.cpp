#include "CardBank.h"

namespace cardsim {

CardBank::CardBank(std::vector<CardState> cards, quint16 answerPort)
    : cards_(std::move(cards)), answerPort_(answerPort) {
    reindex();
}

void CardBank::reindex() {
    byIp_.clear();
    for (const CardState& c : cards_) {
        if (!byIp_.contains(ipValue(c.ip))) {
            byIp_.insert(ipValue(c.ip), c.number);
        }
    }
}

std::vector<int> CardBank::receivers(const QHostAddress& to) const {
    std::vector<int> out;
    bool ok = false;
    const quint32 dest = to.toIPv4Address(&ok);
    if (!ok) {
        return out;
    }
    if (dest == 0xFFFFFFFFu) {
        for (const CardState& c : cards_) {
            if (!c.gone) {
                out.push_back(c.number);
            }
        }
        return out;
    }
    if (const auto it = byIp_.constFind(dest); it != byIp_.constEnd()) {
        if (!card(it.value()).gone) {
            out.push_back(it.value());
        }
        return out;
    }
    for (const CardState& c : cards_) {
        const quint32 mask = ipValue(c.mask);
        if (!c.gone && mask != 0xFFFFFFFFu && (ipValue(c.ip) | ~mask) == dest) {
            out.push_back(c.number);
        }
    }
    return out;
}

Answer CardBank::answerFrom(const CardState& card, RequestKind kind, const Incoming& request,
                            QByteArray bytes) const {
    Answer a;
    a.card = card.number;
    a.kind = kind;
    a.to = card.answersByBroadcast ? QHostAddress(QHostAddress::Broadcast) : request.from;
    a.port = answerPort_;
    a.from = QHostAddress(ipValue(card.ip));
    a.interfaceIndex = request.interfaceIndex;
    a.bytes = std::move(bytes);
    return a;
}

Outcome CardBank::handle(const Incoming& in) {
    Outcome out;
    out.request = parseRequest(in.bytes);
    out.receivers = receivers(in.to);
    bool v4 = false;
    const quint32 dest = in.to.toIPv4Address(&v4);
    const bool unicast = v4 && byIp_.contains(dest); // sent to one card's own address
    bool moved = false;
    for (int number : out.receivers) {
        CardState& card = cards_[std::size_t(number - 1)];
        switch (out.request.kind) {
        case RequestKind::Search:
            out.answers.push_back(answerFrom(card, RequestKind::Search, in, searchAnswer(card)));
            break;
        case RequestKind::Read:
            // A plain read names nobody, so only the card it was sent to answers.
            if (unicast) {
                out.answers.push_back(
                    answerFrom(card, RequestKind::Read, in, parameterReply(card)));
            }
            break;
        case RequestKind::ReadByMac:
            if (card.mac == out.request.mac) {
                out.answers.push_back(
                    answerFrom(card, RequestKind::ReadByMac, in, parameterReply(card)));
            }
            break;
        case RequestKind::WriteByIp:
            if (!unicast) {
                break;
            }
            [[fallthrough]];
        case RequestKind::WriteByMac: {
            if (out.request.kind == RequestKind::WriteByMac && card.mac != out.request.mac) {
                break; // meant for another card; not worth a report line per card
            }
            WriteEvent e{number, applyWrite(card, out.request)};
            moved = moved || e.outcome.applied;
            card.gone = card.leavesAfterWrite;
            out.writes.push_back(std::move(e));
            break;
        }
        case RequestKind::Unknown:
            break;
        }
    }
    if (moved) {
        reindex(); // a card whose IP changed answers at the new one
    }
    return out;
}

} // namespace cardsim
