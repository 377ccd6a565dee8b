#pragma once
// The cards on the network: one UDP socket, answers sent on time, everything reported.

#include "CardBank.h"
#include "Options.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>
#include <queue>
#include <random>

class QIODevice;

namespace cardsim {

class Simulator final : public QObject {
    Q_OBJECT

public:
    // `report` receives one JSON object per line and must stay open while this lives.
    Simulator(SimOptions options, QIODevice& report);
    bool start(QString* error);

private:
    struct Pending {
        qint64 dueNs;
        quint64 order; // keeps answers of equal time in the order they were made
        Answer answer;
        bool operator>(const Pending& o) const {
            return dueNs != o.dueNs ? dueNs > o.dueNs : order > o.order;
        }
    };

    void readPending();
    void handle(const Incoming& in);
    void schedule(std::vector<Answer> answers);
    void sendDue();
    void sendAll(std::vector<Answer> answers);
    void rearm();
    bool send(const Answer& answer);
    bool transmit(const Answer& answer);
    void reportSentWhenIdle();
    void report(const QJsonObject& event);

    SimOptions options_;
    QIODevice& report_;
    CardBank bank_;
    QUdpSocket socket_;
    QElapsedTimer clock_;
    QTimer timer_;
    std::mt19937 rng_;
    std::priority_queue<Pending, std::vector<Pending>, std::greater<>> queue_;
    quint64 order_ = 0;
    // Answers sent since the queue was last empty, for the "sent" summary.
    int sentCount_ = 0;
    qint64 firstSentNs_ = 0;
    qint64 lastSentNs_ = 0;
    bool sendFromCardAddress_ = true;
};

} // namespace cardsim
