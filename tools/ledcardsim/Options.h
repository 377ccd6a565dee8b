#pragma once
// The simulator's command line.

#include "Card.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <set>
#include <vector>

namespace cardsim {

struct SimOptions {
    QHostAddress bind{QHostAddress::AnyIPv4};
    quint16 port = protocol::CardPort;
    quint16 answerPort = protocol::LocalPort;
    int delayMs = 0;
    int jitterMs = 0;
    int burstMs = 0;
    double loss = 0.0;
    quint32 seed = 1;
    QString report; // empty: stdout
    bool quiet = false;
    std::vector<CardState> cards;
};

struct ParsedOptions {
    SimOptions options;
    QString error; // not empty: refuse to start
    bool help = false;
    QString helpText;
};

ParsedOptions parseOptions(const QStringList& arguments);

// "3,5,10-12" gives {3, 5, 10, 11, 12}; "all" every card up to `cards`; empty gives none.
std::optional<std::set<int>> parseCardList(const QString& text, int cards);

} // namespace cardsim
