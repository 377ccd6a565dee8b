#include "fleet/Search.h"

#include "discovery/Dispatch.h"
#include "discovery/QtBytes.h"
#include "discovery/Requests.h"

#include <algorithm>

namespace fleet {

Search::Search(DatagramRouter& router, Scheduler& scheduler, SearchTiming timing,
               QString searchAddress)
    : router_(router), scheduler_(scheduler), timing_(timing),
      searchAddress_(std::move(searchAddress)), repetition_(timing.searchTimes) {
    timing_.searchTimes = repetition_.searchTimes();
}

Search::~Search() {
    scheduler_.cancel(tickTimer_);
    scheduler_.cancel(settleTimer_);
    scheduler_.cancel(endTimer_);
    router_.stop(listener_);
}

int Search::requestCount(int searchTimes) {
    const int s = std::max(1, searchTimes);
    // A request due at the very moment the countdown closes the dialog still leaves: its timer
    // was started first.
    const int beforeClose = s * SearchTiming::kCountdownTickMs / SearchTiming::kRequestIntervalMs;
    // The repetition counter stops the timer by itself after SearchTimes requests.
    return std::min(s, beforeClose);
}

void Search::start(std::function<void()> done) {
    done_ = std::move(done);
    running_ = true;
    startedMs_ = scheduler_.nowMs();
    planned_ = requestCount(timing_.searchTimes);
    listener_ = router_.listen([this](const QByteArray& d) { return receive(d); });
    const std::int64_t closeMs = std::int64_t(timing_.searchTimes) * SearchTiming::kCountdownTickMs;
    if (planned_ > 0) {
        tickTimer_ = scheduler_.after(timing_.firstRequestMs, [this] { tick(); });
    }
    // The countdown: the last word unless the last request is due at the same moment.
    const std::int64_t lastRequestDue =
        timing_.firstRequestMs + std::int64_t(planned_ - 1) * SearchTiming::kRequestIntervalMs;
    endTimer_ =
        scheduler_.after(std::max(closeMs, lastRequestDue + timing_.settleMs), [this] { end(); });
}

void Search::tick() {
    tickTimer_ = 0;
    // The tick that ends the repetition still sends.
    const bool last = repetition_.countRequest();
    const discovery::SendResult result = discovery::sendSearch(router_.endpoint(), searchAddress_);
    if (!result) {
        failure_ = result.failure();
        end();
        return;
    }
    ++sent_;
    lastRequestMs_ = scheduler_.nowMs();
    if (last || sent_ >= planned_) {
        armSettle();
        return;
    }
    tickTimer_ = scheduler_.after(SearchTiming::kRequestIntervalMs, [this] { tick(); });
}

void Search::armSettle() {
    scheduler_.cancel(settleTimer_);
    settleTimer_ = scheduler_.after(timing_.settleMs, [this] {
        settleTimer_ = 0;
        end();
    });
}

bool Search::receive(const QByteArray& datagram) {
    if (finished_ ||
        discovery::classifyDatagram(datagram) != discovery::DatagramKind::SearchAnswer) {
        return false;
    }
    const protocol::ByteView bytes = discovery::toByteView(datagram);
    found_.add(protocol::DecodeSearchAnswer(bytes)); // a card listed already is skipped
    lastAnswerMs_ = scheduler_.nowMs();
    if (tickTimer_ == 0 && settleTimer_ != 0) {
        armSettle(); // after the last request: wait until its answers stop
    }
    return true;
}

void Search::cancel() {
    if (running_ && !finished_) {
        end();
    }
}

void Search::end() {
    if (finished_) {
        return;
    }
    finished_ = true;
    endedMs_ = scheduler_.nowMs();
    scheduler_.cancel(tickTimer_);
    scheduler_.cancel(settleTimer_);
    scheduler_.cancel(endTimer_);
    tickTimer_ = settleTimer_ = endTimer_ = 0;
    router_.stop(listener_);
    listener_ = 0;
    running_ = false;
    if (done_) {
        auto done = std::move(done_);
        done_ = nullptr;
        done();
    }
}

} // namespace fleet
