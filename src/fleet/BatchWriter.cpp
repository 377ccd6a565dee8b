#include "fleet/BatchWriter.h"

#include "discovery/Dispatch.h"
#include "discovery/Requests.h"
#include "protocol/Encoding.h"

#include <QString>
#include <utility>
#include <variant>

namespace fleet {

BatchWriter::BatchWriter(DatagramRouter& router, Scheduler& scheduler, const CardFamily& family,
                         std::vector<CardJob> jobs, Options options)
    : router_(router), scheduler_(scheduler), family_(family), options_(std::move(options)),
      outcomes_(jobs.size()) {
    if (options_.parallel < 1) {
        options_.parallel = 1;
    }
    cards_.reserve(jobs.size());
    for (CardJob& job : jobs) {
        Card card;
        card.job = std::move(job);
        cards_.push_back(std::move(card));
    }
}

BatchWriter::~BatchWriter() {
    for (Card& card : cards_) {
        scheduler_.cancel(card.timer);
    }
    scheduler_.cancel(writeTimer_);
    router_.stop(listener_);
}

void BatchWriter::start(std::function<void(std::size_t)> cardFinished, std::function<void()> done) {
    cardFinished_ = std::move(cardFinished);
    done_ = std::move(done);
    started_ = true;
    holding_ = static_cast<bool>(options_.approve);
    listener_ = router_.listen([this](const QByteArray& d) { return receive(d); });
    if (cards_.empty()) {
        if (done_) {
            done_();
        }
        return;
    }
    pump();
}

void BatchWriter::pump() {
    // A read can end at once (a failed send) and call back here; the outer loop goes on.
    if (pumping_) {
        return;
    }
    pumping_ = true;
    while (!cancelled_ && next_ < cards_.size() && reading_ < options_.parallel) {
        startRead(next_++);
    }
    pumping_ = false;
}

void BatchWriter::startRead(std::size_t i) {
    Card& card = cards_[i];
    card.phase = Phase::Reading;
    ++reading_;
    if (card.job.target.byMac) {
        byMac_.emplace(card.job.target.macText, i);
    }
    card.reader =
        std::make_unique<CardReader>(router_, scheduler_, family_, card.job.target, options_.read);
    card.reader->start([this, i] { readFinished(i); });
}

void BatchWriter::readFinished(std::size_t i) {
    Card& card = cards_[i];
    CardOutcome& out = outcomes_[i];
    --reading_;
    out.readsBeforeWrite = card.reader->requestsSent();
    switch (card.reader->status()) {
    case CardReader::Status::Read:
        out.read = card.reader->identity();
        out.readPanel = card.reader->panel();
        if (!out.read.mac.empty()) {
            byMac_.emplace(out.read.mac, i);
        }
        if (prepare(i) && !holding_) {
            write(i);
        }
        break;
    case CardReader::Status::SendFailed:
        out.sendFailure = card.reader->failure();
        finish(i, CardOutcome::Status::NoAnswer);
        break;
    case CardReader::Status::Cancelled:
        finish(i, CardOutcome::Status::Cancelled);
        break;
    case CardReader::Status::NoAnswer:
    case CardReader::Status::Idle:
    case CardReader::Status::Waiting:
        finish(i, CardOutcome::Status::NoAnswer);
        break;
    }
    pump();
    if (holding_ && next_ == cards_.size() && reading_ == 0) {
        decide();
    }
}

bool BatchWriter::prepare(std::size_t i) {
    Card& card = cards_[i];
    CardOutcome& out = outcomes_[i];
    if (cancelled_) {
        finish(i, CardOutcome::Status::Cancelled);
        return false;
    }
    protocol::PanelModel panel = out.readPanel;
    if (card.job.change) {
        if (auto refusal = card.job.change(panel)) {
            out.changeRefusal = std::move(*refusal);
            finish(i, CardOutcome::Status::Refused);
            return false;
        }
    }
    // Addressed as the window addresses a card it found with this version: by MAC from 54 on.
    protocol::SelectedCard selected;
    selected.ip = out.read.ip.empty() ? card.job.target.ip : out.read.ip;
    selected.mac = out.read.mac.empty() ? card.job.target.mac : protocol::MacFromText(out.read.mac);
    selected.byMac = protocol::AddressedByMac(out.read.version);
    protocol::WriteResult result = family_.compose(panel, selected);
    if (const auto* refusal = std::get_if<protocol::WriteRefusal>(&result)) {
        out.writeRefusal = *refusal;
        finish(i, CardOutcome::Status::Refused);
        return false;
    }
    card.message = std::move(std::get<protocol::WriteMessage>(result));
    out.sentPanel = std::move(panel);
    out.addressing = selected;
    out.datagram = discovery::toByteArray(card.message->bytes);
    card.phase = Phase::Prepared;
    return true;
}

void BatchWriter::decide() {
    holding_ = false;
    if (options_.approve(outcomes_) && !cancelled_) {
        writeApproved();
    } else {
        for (std::size_t i = 0; i < cards_.size(); ++i) {
            if (cards_[i].phase == Phase::Prepared) {
                finish(i, cancelled_ ? CardOutcome::Status::Cancelled : CardOutcome::Status::Held);
            }
        }
    }
    finishRun();
}

void BatchWriter::writeApproved() {
    // `parallel` writes at a time, the event loop between them: the replies already waiting are
    // taken, a stop is seen, and the read-backs 5 s later come spread out as the reads came.
    writeTimer_ = 0;
    int sent = 0;
    for (; nextWrite_ < cards_.size() && !cancelled_; ++nextWrite_) {
        if (cards_[nextWrite_].phase != Phase::Prepared) {
            continue;
        }
        if (sent == options_.parallel) {
            writeTimer_ = scheduler_.after(0, [this] { writeApproved(); });
            return;
        }
        write(nextWrite_);
        ++sent;
    }
}

void BatchWriter::write(std::size_t i) {
    Card& card = cards_[i];
    CardOutcome& out = outcomes_[i];
    if (options_.beforeSend) {
        if (auto refusal = options_.beforeSend(i, out)) {
            out.changeRefusal = std::move(*refusal);
            finish(i, CardOutcome::Status::Refused);
            return;
        }
    }
    const protocol::WriteMessage& message = *card.message;
    const discovery::SendResult sent =
        discovery::sendWrite(router_.endpoint(), QString(), out.addressing, message.bytes);
    if (!sent) {
        out.sendFailure = sent.failure();
        finish(i, CardOutcome::Status::NoAnswer);
        return;
    }
    out.written = true;
    out.writtenMs = scheduler_.nowMs();
    ++written_;
    card.phase = Phase::Sent;
    card.cycle.emplace(family_, out.sentPanel, out.addressing, message.hasDomain);
    card.message.reset();
    card.timer = scheduler_.after(card.cycle->delayMs(), [this, i] { delayOver(i); });
    if (options_.sent) {
        options_.sent(i, out);
    }
}

void BatchWriter::delayOver(std::size_t i) {
    Card& card = cards_[i];
    card.timer = 0;
    card.cycle->delayOver();
    card.phase = Phase::Confirming;
    sendReadBack(i);
    card.timer = scheduler_.after(WriteCycle::kRecheckMs, [this, i] { recheck(i); });
}

void BatchWriter::recheck(std::size_t i) {
    Card& card = cards_[i];
    card.timer = 0;
    if (card.cycle->recheck()) {
        sendReadBack(i);
        card.timer = scheduler_.after(WriteCycle::kRecheckMs, [this, i] { recheck(i); });
        return;
    }
    finish(i, CardOutcome::Status::NotConfirmed);
}

void BatchWriter::sendReadBack(std::size_t i) {
    CardOutcome& out = outcomes_[i];
    ++out.readsAfterWrite;
    // A read that cannot leave is reported; the window's cycle goes on to its end all the same.
    const discovery::SendResult sent =
        discovery::sendRead(router_.endpoint(), QString(), cards_[i].cycle->card());
    if (!sent) {
        out.sendFailure = sent.failure();
    }
}

bool BatchWriter::receive(const QByteArray& datagram) {
    if (discovery::classifyDatagram(datagram) != discovery::DatagramKind::ParameterReply) {
        return false;
    }
    const ReplyIdentity id = IdentifyReply(datagram);
    if (!id.mac.empty()) {
        if (const auto it = byMac_.find(id.mac); it != byMac_.end()) {
            Card& card = cards_[it->second];
            if (card.phase == Phase::Reading) {
                card.reader->offer(datagram, id);
            } else if (card.phase == Phase::Confirming) {
                confirmReply(it->second, datagram);
            }
            return true;
        }
    }
    // No card known by this MAC: a card named by IP answering its first read, or a reply
    // without a MAC frame, placed by its IP.
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        Card& card = cards_[i];
        if (card.phase == Phase::Reading && card.reader->offer(datagram, id)) {
            return true;
        }
        if (id.mac.empty() && card.phase == Phase::Confirming && !card.cycle->card().byMac &&
            card.cycle->belongsTo(id)) {
            confirmReply(i, datagram);
            return true;
        }
    }
    return false;
}

void BatchWriter::confirmReply(std::size_t i, const QByteArray& reply) {
    CardOutcome& out = outcomes_[i];
    WriteCycle& cycle = *cards_[i].cycle;
    const bool confirmed = cycle.confirms(reply);
    out.answeredAfterWrite = true;
    out.answeredPanel = cycle.answered();
    if (confirmed) {
        finish(i, CardOutcome::Status::Confirmed);
    }
}

void BatchWriter::cancel() {
    if (cancelled_ || !started_) {
        cancelled_ = true;
        return;
    }
    cancelled_ = true;
    holding_ = false; // what was read is not written, and no one is asked
    scheduler_.cancel(writeTimer_);
    writeTimer_ = 0;
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        Card& card = cards_[i];
        switch (card.phase) {
        case Phase::Queued:
        case Phase::Prepared:
            finish(i, CardOutcome::Status::Cancelled);
            break;
        case Phase::Reading:
            card.reader->cancel(); // finishes it as Cancelled
            break;
        case Phase::Sent:
        case Phase::Confirming:
            outcomes_[i].cancelled = true;
            finish(i, CardOutcome::Status::NotConfirmed);
            break;
        case Phase::Done:
            break;
        }
    }
}

void BatchWriter::finish(std::size_t i, CardOutcome::Status status) {
    Card& card = cards_[i];
    if (card.phase == Phase::Done) {
        return;
    }
    scheduler_.cancel(card.timer);
    card.timer = 0;
    card.phase = Phase::Done;
    CardOutcome& out = outcomes_[i];
    out.status = status;
    out.finishedMs = scheduler_.nowMs();
    ++finished_;
    if (cardFinished_) {
        cardFinished_(i);
    }
    finishRun();
}

void BatchWriter::finishRun() {
    // While the run waits for its approval, cards that ended early do not end it.
    if (finished_ == cards_.size() && !holding_ && done_) {
        auto done = std::move(done_);
        done_ = nullptr;
        done();
    }
}

std::string JournalOutcome(const CardOutcome& outcome) {
    if (!outcome.written) {
        return {};
    }
    switch (outcome.status) {
    case CardOutcome::Status::Confirmed:
        return "confirmed";
    case CardOutcome::Status::NotConfirmed:
        return outcome.cancelled ? "cancelled" : "not confirmed";
    case CardOutcome::Status::Pending:
        return "sent";
    case CardOutcome::Status::NoAnswer:
    case CardOutcome::Status::Refused:
    case CardOutcome::Status::Cancelled:
    case CardOutcome::Status::Held:
        break;
    }
    return {};
}

} // namespace fleet
