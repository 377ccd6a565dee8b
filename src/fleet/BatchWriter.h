#pragma once
// Writes many cards, each as the window writes one: read it, change what was read, compose the
// write, send it where the window would, then run the card's WriteCycle (the wait, the
// read-backs, the confirmation). Cards run side by side; at most `parallel` are being read at
// once, the waits overlap. Replies find their card by the MAC frame they carry.

#include "discovery/Endpoint.h"
#include "fleet/CardFamily.h"
#include "fleet/CardReader.h"
#include "fleet/CardTarget.h"
#include "fleet/DatagramRouter.h"
#include "fleet/Scheduler.h"
#include "fleet/WriteCycle.h"
#include "protocol/Addressing.h"
#include "protocol/Panel.h"
#include "protocol/WriteComposer.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace fleet {

struct CardJob {
    CardTarget target;
    // Changes the panel read from the card; returns why not (in the operator's language), and
    // then the card is not written. Runs only after the card has answered in this run.
    std::function<std::optional<std::string>(protocol::PanelModel&)> change;
};

struct CardOutcome {
    enum class Status {
        Pending,
        Confirmed,
        NotConfirmed,
        NoAnswer,
        Refused,
        Cancelled,
        Held, // read and changed, but the run was not approved (a check refused, a dry run)
    };
    Status status = Status::Pending;
    bool written = false;   // the write left this machine
    bool cancelled = false; // stopped before it was confirmed
    int readsBeforeWrite = 0;
    int readsAfterWrite = 0;
    bool answeredAfterWrite = false;
    std::optional<discovery::SendFailure> sendFailure; // the read or the write could not leave
    std::optional<protocol::WriteRefusal> writeRefusal;
    std::string changeRefusal;
    ReplyIdentity read; // what the card said about itself
    protocol::PanelModel readPanel;
    protocol::PanelModel sentPanel;
    // The last reply after the write, decoded over what was sent.
    std::optional<protocol::PanelModel> answeredPanel;
    protocol::SelectedCard addressing; // where the write went
    QByteArray datagram;
    std::int64_t writtenMs = -1;
    std::int64_t finishedMs = -1;
};

class BatchWriter {
public:
    struct Options {
        Options() = default;
        // Options{parallel, read}: the hooks unset, as before there were any.
        explicit Options(int parallelReads, ReadTiming readTiming = {})
            : parallel(parallelReads), read(readTiming) {}

        int parallel = 32;
        ReadTiming read;
        // Reads and changes every card before writing any: once the last read has ended,
        // `approve` sees every outcome (readPanel, sentPanel, addressing and datagram of each
        // card that can be written) and says whether the writes go on; if not, those cards end
        // Held and nothing is written (cards refused or silent keep their status). Approved,
        // the cards are written in order, `parallel` at once and the next ones after a turn of
        // the event loop (a zero delay of the scheduler). Without it each card is written once
        // it is read. The run is not done before `approve` has answered; it may ask the operator
        // (a nested event loop), and a cancel() meanwhile ends those cards Cancelled. A run of
        // no cards ends at once without asking.
        std::function<bool(const std::vector<CardOutcome>&)> approve;
        // Just before card i's write leaves, its outcome filled in: the backup. A message
        // refuses the card (Status::Refused, the message in changeRefusal), which is then not
        // written.
        std::function<std::optional<std::string>(std::size_t, const CardOutcome&)> beforeSend;
        // Right after card i's write has left, before the next card's: the journal's "sent".
        std::function<void(std::size_t, const CardOutcome&)> sent;
    };

    BatchWriter(DatagramRouter& router, Scheduler& scheduler, const CardFamily& family,
                std::vector<CardJob> jobs, Options options);
    ~BatchWriter();
    BatchWriter(const BatchWriter&) = delete;
    BatchWriter& operator=(const BatchWriter&) = delete;

    // Listens for its cards' replies and starts. `cardFinished` runs for each card once
    // its outcome is final, `done` once after the last.
    void start(std::function<void(std::size_t)> cardFinished, std::function<void()> done);
    // Sends nothing more: cards not yet written are not written, written ones are not read back.
    void cancel();

    const std::vector<CardOutcome>& outcomes() const { return outcomes_; }
    std::size_t finishedCount() const { return finished_; }
    std::size_t writtenCount() const { return written_; }
    bool done() const { return finished_ == cards_.size(); }

private:
    enum class Phase { Queued, Reading, Prepared, Sent, Confirming, Done };
    struct Card {
        CardJob job;
        Phase phase = Phase::Queued;
        std::unique_ptr<CardReader> reader;
        std::optional<protocol::WriteMessage> message; // composed, not yet sent
        std::optional<WriteCycle> cycle;
        TimerId timer = 0;
    };

    void pump();
    void startRead(std::size_t i);
    void readFinished(std::size_t i);
    bool prepare(std::size_t i); // changes and composes; false when the card ended
    void decide();
    void writeApproved();
    void write(std::size_t i);
    void delayOver(std::size_t i);
    void recheck(std::size_t i);
    void sendReadBack(std::size_t i);
    bool receive(const QByteArray& datagram);
    void confirmReply(std::size_t i, const QByteArray& reply);
    void finish(std::size_t i, CardOutcome::Status status);
    void finishRun();

    DatagramRouter& router_;
    Scheduler& scheduler_;
    const CardFamily& family_;
    DatagramRouter::ListenerId listener_ = 0;
    Options options_;
    std::vector<Card> cards_;
    std::vector<CardOutcome> outcomes_;
    std::unordered_map<std::string, std::size_t> byMac_; // cards whose MAC is known
    std::function<void(std::size_t)> cardFinished_;
    std::function<void()> done_;
    std::size_t next_ = 0;
    int reading_ = 0;
    std::size_t finished_ = 0;
    std::size_t written_ = 0;
    bool started_ = false;
    bool cancelled_ = false;
    bool pumping_ = false;
    bool holding_ = false; // `approve` set and not yet asked
    std::size_t nextWrite_ = 0;
    TimerId writeTimer_ = 0;
};

// The journal's word for a written card's end: "confirmed", "not confirmed", "cancelled" (the
// run stopped before it was confirmed), "sent" while it waits; empty for a card not written.
std::string JournalOutcome(const CardOutcome& outcome);

} // namespace fleet
