// One search as the window runs it, on a manual clock: when the requests leave, where they go,
// how answers are listed, and when the search ends.

#include "fleet/Search.h"

#include "fleet/DatagramRouter.h"
#include "support/CardBytes.h"
#include "support/FakeEndpoint.h"
#include "support/ManualScheduler.h"
#include "support/QtBytes.h"

#include <gtest/gtest.h>

using fleet::Search;
using fleet::SearchTiming;
using testsupport::FakeEndpoint;
using testsupport::ManualScheduler;
using testsupport::searchAnswer;
using testsupport::qt::hex;

namespace {

const QByteArray kSearchRequest = hex("A1 15 02 00 00 FF");

std::vector<std::int64_t> sendTimes(FakeEndpoint& endpoint, ManualScheduler& clock, Search& s) {
    std::vector<std::int64_t> at;
    std::size_t seen = 0;
    while (!s.finished() && clock.nowMs() < 60000) {
        clock.advance(1);
        for (; seen < endpoint.sent.size(); ++seen) {
            at.push_back(clock.nowMs());
        }
    }
    return at;
}

} // namespace

// Requests leave every 1200 ms from 1.2 s on while the countdown of SearchTimes seconds runs;
// one due at the very second the countdown closes still leaves. A fresh run starts the
// repetition counter at 1, so its own stop at SearchTimes requests never comes first.
TEST(Search, SendsTheWindowsRequestsForEachSearchTimes) {
    const struct {
        int searchTimes;
        std::vector<std::int64_t> at;
    } cases[] = {
        {1, {}},
        {2, {1200}},
        {3, {1200, 2400}},
        {6, {1200, 2400, 3600, 4800, 6000}},
        {20,
         {1200, 2400, 3600, 4800, 6000, 7200, 8400, 9600, 10800, 12000, 13200, 14400, 15600, 16800,
          18000, 19200}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.searchTimes);
        FakeEndpoint endpoint;
        fleet::DatagramRouter router{endpoint};
        ManualScheduler clock;
        Search search(router, clock, SearchTiming{c.searchTimes});
        EXPECT_EQ(Search::requestCount(c.searchTimes), int(c.at.size()));
        search.start({});
        EXPECT_EQ(sendTimes(endpoint, clock, search), c.at);
        for (const auto& s : endpoint.sent) {
            EXPECT_EQ(s, (FakeEndpoint::Sent{u"255.255.255.255"_qs, 8800, kSearchRequest, true}));
        }
    }
}

TEST(Search, EndsWhenTheLastRequestsAnswersStopAndAtTheLatestWithTheCountdown) {
    const struct {
        const char* what;
        int searchTimes;
        std::vector<std::int64_t> answersAt; // after the start
        std::int64_t endsAt;
    } cases[] = {
        {"no card answers: the settling time after the last request", 3, {}, 2450},
        {"answers keep the search open until they pause", 3, {2400, 2430, 2470}, 2520},
        {"an answer before the last request does not end it early", 3, {1300}, 2450},
        {"a steady stream ends with the countdown",
         2,
         {1210, 1250, 1290, 1330, 1370, 1410, 1450, 1490, 1530, 1570,
          1610, 1650, 1690, 1730, 1770, 1810, 1850, 1890, 1930, 1970},
         2000},
        {"SearchTimes 1 sends nothing and ends with the countdown", 1, {}, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeEndpoint endpoint;
        fleet::DatagramRouter router{endpoint};
        ManualScheduler clock;
        Search search(router, clock, SearchTiming{c.searchTimes});
        bool done = false;
        search.start([&] { done = true; });
        for (std::int64_t at : c.answersAt) {
            clock.runUntil(at);
            endpoint.deliver(searchAnswer("00 1A 2B 00 00 01", "C0 A8 01 64"));
        }
        clock.runUntil(c.endsAt - 1);
        EXPECT_FALSE(done);
        clock.runUntil(c.endsAt);
        EXPECT_TRUE(done);
        EXPECT_EQ(search.endedMs(), c.endsAt);
    }
}

// The window's device list: in the order the cards first answered, numbered from 1, a card
// listed once however often it answers, the same MAC at another IP listed again.
TEST(Search, ListsEachCardOnceInTheOrderItFirstAnswered) {
    FakeEndpoint endpoint;
    fleet::DatagramRouter router{endpoint};
    ManualScheduler clock;
    Search search(router, clock, SearchTiming{3});
    search.start({});
    clock.runUntil(1200);
    endpoint.deliver(searchAnswer("00 1A 2B 00 00 02", "C0 A8 01 65", "35"));
    endpoint.deliver(searchAnswer("00 1A 2B 00 00 01", "C0 A8 01 64"));
    endpoint.deliver(searchAnswer("00 1A 2B 00 00 02", "C0 A8 01 65", "35"));
    clock.runUntil(2400);
    endpoint.deliver(searchAnswer("00 1A 2B 00 00 01", "C0 A8 01 64"));
    endpoint.deliver(searchAnswer("00 1A 2B 00 00 02", "C0 A8 01 96", "35")); // moved
    // A parameter reply is no search answer.
    endpoint.deliver(testsupport::parameterReply("00 1A 2B 00 00 03"));
    clock.runUntil(3000);
    ASSERT_TRUE(search.finished());

    const auto& cards = search.found().entries();
    ASSERT_EQ(cards.size(), 3u);
    const struct {
        int number;
        const char* mac;
        const char* ip;
        int version;
    } want[] = {{1, "00:1A:2B:00:00:02", "192.168.1.101", 53},
                {2, "00:1A:2B:00:00:01", "192.168.1.100", 60},
                {3, "00:1A:2B:00:00:02", "192.168.1.150", 53}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(cards[i].number, want[i].number);
        EXPECT_EQ(cards[i].name, "LED");
        EXPECT_EQ(cards[i].mac, want[i].mac);
        EXPECT_EQ(cards[i].ip, want[i].ip);
        EXPECT_EQ(cards[i].version, want[i].version);
    }
}

TEST(Search, GoesToTheSearchAddressWithBroadcastOff) {
    FakeEndpoint endpoint;
    fleet::DatagramRouter router{endpoint};
    ManualScheduler clock;
    Search search(router, clock, SearchTiming{3}, u"192.168.1.100"_qs);
    search.start({});
    clock.runUntil(3000);
    ASSERT_EQ(endpoint.sent.size(), 2u);
    EXPECT_EQ(endpoint.sent[0],
              (FakeEndpoint::Sent{u"192.168.1.100"_qs, 8800, kSearchRequest, false}));
}

// As in the window: a failed send stops the repetitions and ends the search; what was found
// stays.
TEST(Search, AFailedSendEndsTheSearchWithTheCardsFoundSoFar) {
    FakeEndpoint endpoint;
    fleet::DatagramRouter router{endpoint};
    ManualScheduler clock;
    Search search(router, clock, SearchTiming{20});
    search.start({});
    clock.runUntil(1200);
    endpoint.deliver(searchAnswer("00 1A 2B 00 00 01", "C0 A8 01 64"));
    endpoint.failSends(discovery::SendFailure::Reason::NotBound);
    clock.runUntil(2400);
    EXPECT_TRUE(search.finished());
    ASSERT_TRUE(search.failure().has_value());
    EXPECT_EQ(search.failure()->reason, discovery::SendFailure::Reason::NotBound);
    EXPECT_EQ(search.requestsSent(), 1);
    EXPECT_EQ(search.found().size(), 1u);
    clock.runUntil(30000);
    EXPECT_EQ(endpoint.refused.size(), 1u);
}

// Two thousand cards answering every request: each listed once, in a time the clock does not
// see (the test runs on a manual clock, so the work is all that can take time).
TEST(Search, ListsTwoThousandCardsOnceEach) {
    FakeEndpoint endpoint;
    fleet::DatagramRouter router{endpoint};
    ManualScheduler clock;
    Search search(router, clock, SearchTiming{3});
    search.start({});
    std::vector<QByteArray> answers;
    for (int i = 0; i < 2000; ++i) {
        const QByteArray mac = QByteArray::number(i >> 8, 16).rightJustified(2, '0') + ' ' +
                               QByteArray::number(i & 0xFF, 16).rightJustified(2, '0');
        const QByteArray ip = QByteArray::number(16 + (i >> 8), 16).rightJustified(2, '0') + ' ' +
                              QByteArray::number(i & 0xFF, 16).rightJustified(2, '0');
        answers.push_back(
            searchAnswer("02 00 00 00 " + mac.toStdString(), "0A 4D " + ip.toStdString()));
    }
    for (std::int64_t at : {1200, 2400}) {
        clock.runUntil(at);
        for (const QByteArray& a : answers) {
            endpoint.deliver(a);
        }
    }
    clock.runUntil(3000);
    ASSERT_EQ(search.found().size(), 2000u);
    EXPECT_EQ(search.found().entries().front().mac, "02:00:00:00:00:00");
    EXPECT_EQ(search.found().entries().back().ip, "10.77.23.207");
}
