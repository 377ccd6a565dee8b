#include "fleet/BatchWriter.h"

#include "discovery/Dispatch.h"
#include "discovery/Requests.h"
#include "protocol/Encoding.h"

#include <QString>
#include <variant>

namespace fleet {

namespace {

// The card IP as typed in the panel: the four octet texts, trimmed, joined by dots.
std::string typedIp(const protocol::PanelModel& panel) {
    std::string out;
    for (protocol::Edit e :
         {protocol::Edit::IP1, protocol::Edit::IP2, protocol::Edit::IP3, protocol::Edit::IP4}) {
        if (!out.empty()) {
            out += '.';
        }
        out += QString::fromStdString(panel[e]).trimmed().toStdString();
    }
    return out;
}

} // namespace

BatchWriter::BatchWriter(discovery::Endpoint& endpoint, Scheduler& scheduler,
                         const CardFamily& family, std::vector<CardJob> jobs, Options options)
    : endpoint_(endpoint), scheduler_(scheduler), family_(family), options_(options),
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
    if (started_) {
        endpoint_.setReceiveHandler({});
    }
}

void BatchWriter::start(std::function<void(std::size_t)> cardFinished, std::function<void()> done) {
    cardFinished_ = std::move(cardFinished);
    done_ = std::move(done);
    started_ = true;
    endpoint_.setReceiveHandler([this](const QByteArray& d) { receive(d); });
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
    card.reader = std::make_unique<CardReader>(endpoint_, scheduler_, family_, card.job.target,
                                               options_.read);
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
    selected.byMac = out.read.version >= protocol::MacAddressingThreshold;
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
    card.selected = selected;
    const discovery::SendResult sent =
        discovery::sendWrite(endpoint_, QString(), selected, message.bytes);
    if (!sent) {
        out.sendFailure = sent.failure();
        finish(i, CardOutcome::Status::NoAnswer);
        return;
    }
    out.written = true;
    out.writtenMs = scheduler_.nowMs();
    ++written_;
    card.phase = Phase::Sent;
    card.timer = scheduler_.after(message.hasDomain ? WriteTiming::kDelayWithDomainMs
                                                    : WriteTiming::kDelayMs,
                                  [this, i] { delayOver(i); });
}

void BatchWriter::delayOver(std::size_t i) {
    Card& card = cards_[i];
    card.timer = 0;
    // The window moves the selected card to the IP typed in the panel; a card read by IP is
    // read there from now on.
    card.selected.ip = typedIp(outcomes_[i].sentPanel);
    card.phase = Phase::Confirming;
    card.confirmTries = 0;
    sendReadBack(i);
    card.timer = scheduler_.after(WriteTiming::kRecheckMs, [this, i] { recheck(i); });
}

void BatchWriter::recheck(std::size_t i) {
    Card& card = cards_[i];
    card.timer = 0;
    if (card.confirmTries < WriteTiming::kMaxConfirmTries) {
        ++card.confirmTries;
        sendReadBack(i);
        card.timer = scheduler_.after(WriteTiming::kRecheckMs, [this, i] { recheck(i); });
        return;
    }
    finish(i, CardOutcome::Status::NotConfirmed);
}

void BatchWriter::sendReadBack(std::size_t i) {
    CardOutcome& out = outcomes_[i];
    ++out.readsAfterWrite;
    // A read that cannot leave is reported; the window's cycle goes on to its end all the same.
    const discovery::SendResult sent =
        discovery::sendRead(endpoint_, QString(), cards_[i].selected);
    if (!sent) {
        out.sendFailure = sent.failure();
    }
}

void BatchWriter::receive(const QByteArray& datagram) {
    if (discovery::classifyDatagram(datagram) != discovery::DatagramKind::ParameterReply) {
        return;
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
            return;
        }
    }
    // No card known by this MAC: a card named by IP answering its first read, or a reply
    // without a MAC frame, placed by its IP.
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        Card& card = cards_[i];
        if (card.phase == Phase::Reading && card.reader->offer(datagram, id)) {
            return;
        }
        if (id.mac.empty() && card.phase == Phase::Confirming && !card.selected.byMac &&
            !id.ip.empty() && id.ip == card.selected.ip) {
            confirmReply(i, datagram);
            return;
        }
    }
}

void BatchWriter::confirmReply(std::size_t i, const QByteArray& reply) {
    CardOutcome& out = outcomes_[i];
    // Against what was sent, every time: a reply that differs does not become the yardstick
    // for the next one, so a card that ignored the write is not confirmed by its second reply.
    protocol::PanelModel panel = out.sentPanel;
    const protocol::ReplyOutcome outcome = family_.apply(panel, reply);
    out.answeredAfterWrite = true;
    out.answeredPanel = panel;
    if (outcome.matched) {
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
