#pragma once
// Reads one card: the plain read to its IP, or the read by MAC for a card named by its MAC,
// repeated while no reply comes, as the window's confirmation reads are.

#include "discovery/Endpoint.h"
#include "fleet/CardFamily.h"
#include "fleet/CardTarget.h"
#include "fleet/DatagramRouter.h"
#include "fleet/Scheduler.h"
#include "fleet/WriteCycle.h"
#include "protocol/Panel.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace fleet {

struct ReadTiming {
    // As a write's read-back: the first read and its re-reads, tMody's period apart.
    int tries = 1 + WriteCycle::kMaxConfirmTries;
    int intervalMs = WriteCycle::kRecheckMs;
};

class CardReader {
public:
    enum class Status { Idle, Waiting, Read, NoAnswer, SendFailed, Cancelled };

    CardReader(DatagramRouter& router, Scheduler& scheduler, const CardFamily& family,
               CardTarget target, ReadTiming timing = {});
    ~CardReader();
    CardReader(const CardReader&) = delete;
    CardReader& operator=(const CardReader&) = delete;

    // Sends the first read; `done` runs once, when the status leaves Waiting.
    void start(std::function<void()> done);
    // Takes this card's replies from the router, for a read on its own; a batch offers them.
    void listen();

    // Whether a parameter reply comes from this card: by its MAC frame where the reply has one
    // and the card is named by MAC; by its IP frame otherwise.
    bool matches(const ReplyIdentity& id) const;
    // A parameter reply; true when it was this card's and has been taken.
    bool offer(const QByteArray& reply, const ReplyIdentity& id);
    void cancel();

    Status status() const { return status_; }
    const CardTarget& target() const { return target_; }
    // After Read: the panel as the window shows it after choosing the card and its reply.
    const protocol::PanelModel& panel() const { return panel_; }
    const ReplyIdentity& identity() const { return identity_; }
    const QByteArray& reply() const { return reply_; }
    int requestsSent() const { return sent_; }
    // After SendFailed: what the endpoint said.
    const discovery::SendFailure& failure() const { return failure_; }

private:
    void sendNext();
    void finish(Status status);

    DatagramRouter& router_;
    Scheduler& scheduler_;
    const CardFamily& family_;
    CardTarget target_;
    ReadTiming timing_;
    std::function<void()> done_;
    Status status_ = Status::Idle;
    TimerId timer_ = 0;
    int sent_ = 0;
    DatagramRouter::ListenerId listener_ = 0;
    protocol::PanelModel panel_;
    ReplyIdentity identity_;
    QByteArray reply_;
    discovery::SendFailure failure_{discovery::SendFailure::Reason::SocketError, {}};
};

} // namespace fleet
