#pragma once
// Many cards behind one socket: who receives a datagram, who answers, where the answer goes.

#include "Card.h"

#include <QHash>
#include <QHostAddress>
#include <vector>

namespace cardsim {

struct Incoming {
    QByteArray bytes;
    QHostAddress from;
    quint16 fromPort = 0;
    QHostAddress to;         // the datagram's destination address; tells which card was addressed
    uint interfaceIndex = 0; // where it came in
};

struct Answer {
    int card = 0; // 1-based
    RequestKind kind = RequestKind::Unknown;
    QHostAddress to;
    quint16 port = 0;
    QHostAddress from;       // the card's own address
    uint interfaceIndex = 0; // a broadcast answer leaves where the request came in
    QByteArray bytes;
};

struct WriteEvent {
    int card = 0;
    WriteOutcome outcome;
};

struct Outcome {
    Request request;
    std::vector<int> receivers; // cards the datagram reached, before any MAC test
    std::vector<Answer> answers;
    std::vector<WriteEvent> writes;
};

class CardBank {
public:
    CardBank(std::vector<CardState> cards, quint16 answerPort);

    Outcome handle(const Incoming& in);

    // Every card for the limited broadcast; the cards of that subnet for a directed broadcast;
    // the card holding the address for a unicast; nobody otherwise.
    std::vector<int> receivers(const QHostAddress& to) const;

    const std::vector<CardState>& cards() const { return cards_; }
    const CardState& card(int number) const { return cards_.at(std::size_t(number - 1)); }

private:
    void reindex();
    Answer answerFrom(const CardState& card, RequestKind kind, const Incoming& request,
                      QByteArray bytes) const;

    std::vector<CardState> cards_;
    quint16 answerPort_;
    QHash<quint32, int> byIp_; // first card of each address
};

} // namespace cardsim
