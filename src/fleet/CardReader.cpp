#include "fleet/CardReader.h"

#include "discovery/Dispatch.h"
#include "discovery/Requests.h"

namespace fleet {

CardReader::CardReader(DatagramRouter& router, Scheduler& scheduler, const CardFamily& family,
                       CardTarget target, ReadTiming timing)
    : router_(router), scheduler_(scheduler), family_(family), target_(std::move(target)),
      timing_(timing), panel_(family.emptyPanel()) {}

CardReader::~CardReader() {
    scheduler_.cancel(timer_);
    router_.stop(listener_);
}

void CardReader::listen() {
    listener_ = router_.listen([this](const QByteArray& datagram) {
        return discovery::classifyDatagram(datagram) == discovery::DatagramKind::ParameterReply &&
               offer(datagram, IdentifyReply(datagram));
    });
}

void CardReader::start(std::function<void()> done) {
    done_ = std::move(done);
    status_ = Status::Waiting;
    sendNext();
}

void CardReader::sendNext() {
    timer_ = 0;
    if (sent_ >= timing_.tries) {
        finish(Status::NoAnswer);
        return;
    }
    protocol::SelectedCard card;
    card.byMac = target_.byMac;
    card.mac = target_.mac;
    if (!target_.byMac) {
        card.ip = target_.ip;
    }
    ++sent_;
    const discovery::SendResult result = discovery::sendRead(router_.endpoint(), QString(), card);
    if (!result) {
        failure_ = result.failure();
        finish(Status::SendFailed);
        return;
    }
    timer_ = scheduler_.after(timing_.intervalMs, [this] { sendNext(); });
}

bool CardReader::matches(const ReplyIdentity& id) const {
    if (target_.byMac) {
        return id.mac == target_.macText;
    }
    return !id.ip.empty() && id.ip == target_.ip;
}

bool CardReader::offer(const QByteArray& reply, const ReplyIdentity& id) {
    if (status_ != Status::Waiting || !matches(id)) {
        return false;
    }
    reply_ = reply;
    identity_ = id;
    // As after a double click: the panel was emptied, the reply fills it.
    panel_ = family_.emptyPanel();
    family_.apply(panel_, reply_);
    finish(Status::Read);
    return true;
}

void CardReader::cancel() {
    if (status_ == Status::Waiting) {
        finish(Status::Cancelled);
    }
}

void CardReader::finish(Status status) {
    scheduler_.cancel(timer_);
    timer_ = 0;
    status_ = status;
    if (done_) {
        // Cleared first: `done` may destroy this reader.
        auto done = std::move(done_);
        done_ = nullptr;
        done();
    }
}

} // namespace fleet
