#include "fleet/BatchWriter.h"

#include "discovery/Dispatch.h"
#include "discovery/Requests.h"
#include "protocol/Encoding.h"

#include <QString>
#include <variant>

namespace fleet {

BatchWriter::BatchWriter(DatagramRouter& router, Scheduler& scheduler, const CardFamily& family,
                         std::vector<CardJob> jobs, Options options)
    : router_(router), scheduler_(scheduler), family_(family), options_(options),
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
    router_.stop(listener_);
}

void BatchWriter::start(std::function<void(std::size_t)> cardFinished, std::function<void()> done) {
    cardFinished_ = std::move(cardFinished);
    done_ = std::move(done);
    started_ = true;
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
        write(i);
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
}

void BatchWriter::write(std::size_t i) {
    Card& card = cards_[i];
    CardOutcome& out = outcomes_[i];
    if (cancelled_) {
        finish(i, CardOutcome::Status::Cancelled);
        return;
    }
    protocol::PanelModel panel = out.readPanel;
    if (card.job.change) {
        if (auto refusal = card.job.change(panel)) {
            out.changeRefusal = std::move(*refusal);
            finish(i, CardOutcome::Status::Refused);
            return;
        }
    }
    // Addressed as the window addresses a card it found with this version: by MAC from 54 on.
    protocol::SelectedCard selected;
    selected.ip = out.read.ip.empty() ? card.job.target.ip : out.read.ip;
    selected.mac = out.read.mac.empty() ? card.job.target.mac : protocol::MacFromText(out.read.mac);
    selected.byMac = protocol::AddressedByMac(out.read.version);
    const protocol::WriteResult result = family_.compose(panel, selected);
    if (const auto* refusal = std::get_if<protocol::WriteRefusal>(&result)) {
        out.writeRefusal = *refusal;
        finish(i, CardOutcome::Status::Refused);
        return;
    }
    const auto& message = std::get<protocol::WriteMessage>(result);
    out.sentPanel = panel;
    out.addressing = selected;
    out.datagram = discovery::toByteArray(message.bytes);
    const discovery::SendResult sent =
        discovery::sendWrite(router_.endpoint(), QString(), selected, message.bytes);
    if (!sent) {
        out.sendFailure = sent.failure();
        finish(i, CardOutcome::Status::NoAnswer);
        return;
    }
    out.written = true;
    out.writtenMs = scheduler_.nowMs();
    ++written_;
    card.phase = Phase::Sent;
    card.cycle.emplace(family_, panel, selected, message.hasDomain);
    card.timer = scheduler_.after(card.cycle->delayMs(), [this, i] { delayOver(i); });
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
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        Card& card = cards_[i];
        switch (card.phase) {
        case Phase::Queued:
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
    if (finished_ == cards_.size() && done_) {
        auto done = std::move(done_);
        done_ = nullptr;
        done();
    }
}

} // namespace fleet
