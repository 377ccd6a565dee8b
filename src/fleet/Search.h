#pragma once
// One search as the window runs it: the search request every 1200 ms by broadcast (or to the
// search address), as many as the window sends before its countdown of SearchTimes seconds
// ends, and the answers listed once each in the order they first came.
//
// The window keeps listening until its countdown ends, up to 1.2 s after the last request.
// Here the search ends once the last request's answers have stopped coming (kSettleMs without
// a new answer), and at the latest when the window's countdown would.

#include "discovery/Endpoint.h"
#include "fleet/DatagramRouter.h"
#include "fleet/Scheduler.h"
#include "protocol/SearchAnswer.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace fleet {

struct SearchTiming {
    static constexpr int kRequestIntervalMs = 1200; // tSendSpan
    static constexpr int kCountdownTickMs = 1000;   // the dialog's tSTime
    static constexpr int kSettleMs = 50;
    int searchTimes = 20;
    int settleMs = kSettleMs;
    // The window sends its first request one interval after the dialog opens; the search
    // before a write has no dialog to show and sends at once.
    int firstRequestMs = kRequestIntervalMs;
};

// How a search repeats its request, in the window and in ledcardctl alike: SendCount counts
// up to SearchTimes with every request, then starts again at 1, and the request that starts it
// again is the last of the search. The count is kept from one search to the next.
class SearchRepetition {
public:
    explicit SearchRepetition(int searchTimes = 20) { setSearchTimes(searchTimes); }
    void setSearchTimes(int searchTimes) { searchTimes_ = searchTimes < 1 ? 1 : searchTimes; }
    int searchTimes() const { return searchTimes_; }
    int sendCount() const { return sendCount_; }
    // Counts one request; true when it is the last.
    bool countRequest() {
        if (sendCount_ < searchTimes_) {
            ++sendCount_;
            return false;
        }
        sendCount_ = 1;
        return true;
    }

private:
    int searchTimes_ = 20;
    int sendCount_ = 1;
};

class Search {
public:
    Search(DatagramRouter& router, Scheduler& scheduler, SearchTiming timing,
           QString searchAddress = {});
    ~Search();
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

    // Requests the window's search sends in a run that starts with SendCount at 1.
    static int requestCount(int searchTimes);

    // Listens for search answers and starts; `done` runs once, when it has ended.
    void start(std::function<void()> done);
    void cancel();

    bool finished() const { return finished_; }
    const protocol::FoundCards& found() const { return found_; }
    int requestsSent() const { return sent_; }
    // When a send failed, why; the search then ends with the cards found so far.
    const std::optional<discovery::SendFailure>& failure() const { return failure_; }
    // Milliseconds on the scheduler's clock; -1 when it did not happen.
    std::int64_t startedMs() const { return startedMs_; }
    std::int64_t lastRequestMs() const { return lastRequestMs_; }
    std::int64_t lastAnswerMs() const { return lastAnswerMs_; }
    std::int64_t endedMs() const { return endedMs_; }

private:
    void tick();
    bool receive(const QByteArray& datagram);
    void armSettle();
    void end();

    DatagramRouter& router_;
    Scheduler& scheduler_;
    SearchTiming timing_;
    DatagramRouter::ListenerId listener_ = 0;
    QString searchAddress_;
    std::function<void()> done_;
    protocol::FoundCards found_;
    std::optional<discovery::SendFailure> failure_;
    SearchRepetition repetition_;
    int sent_ = 0;
    int planned_ = 0;
    bool running_ = false;
    bool finished_ = false;
    TimerId tickTimer_ = 0;
    TimerId settleTimer_ = 0;
    TimerId endTimer_ = 0;
    std::int64_t startedMs_ = -1;
    std::int64_t lastRequestMs_ = -1;
    std::int64_t lastAnswerMs_ = -1;
    std::int64_t endedMs_ = -1;
};

} // namespace fleet
