// The batch writer's hooks for the checks and records of a run: every card read and changed
// before any is written and the run approved or held as a whole; a card refused just before its
// write; the journal's "sent" after each write, before the next one leaves.

#include "fleet/BatchWriter.h"
#include "fleet/DatagramRouter.h"
#include "support/CardBytes.h"
#include "support/FakeEndpoint.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

using fleet::BatchWriter;
using fleet::CardJob;
using fleet::CardOutcome;
using fleet::ParseCardTarget;
using protocol::Edit;
using testsupport::FakeEndpoint;
using testsupport::ManualScheduler;
using testsupport::parameterReply;
using testsupport::ReplyFields;
using testsupport::qt::hex;
using Status = fleet::CardOutcome::Status;

namespace {

// Card k: MAC 00:1A:2B:00:00:0k, IP 192.168.1.(99 + k), firmware 60.
ReplyFields card(int k, const char* ip = nullptr) {
    ReplyFields f;
    f.mac = "00 1A 2B 00 00 0" + std::to_string(k);
    f.ip = ip ? ip : "C0 A8 01 " + QByteArray::number(99 + k, 16).toUpper().toStdString();
    f.version = "3C";
    return f;
}

// Card k of the run gets 192.168.1.(200 + k); card `refused` has its change refuse.
std::vector<CardJob> jobs(int count, int refused = 0) {
    std::vector<CardJob> out;
    for (int k = 1; k <= count; ++k) {
        const QString mac = QStringLiteral("00:1A:2B:00:00:0%1").arg(k);
        out.push_back({*ParseCardTarget(mac),
                       [k, refused](protocol::PanelModel& p) -> std::optional<std::string> {
                           if (k == refused) {
                               return "refused by its change";
                           }
                           p[Edit::IP4] = std::to_string(200 + k);
                           return std::nullopt;
                       }});
    }
    return out;
}

bool IsWrite(const FakeEndpoint::Sent& s) {
    return s.bytes.size() == 96;
}

int Writes(const FakeEndpoint& endpoint) {
    return static_cast<int>(std::count_if(endpoint.sent.begin(), endpoint.sent.end(), IsWrite));
}

struct Batch {
    FakeEndpoint endpoint;
    fleet::DatagramRouter router{endpoint};
    ManualScheduler clock;
    fleet::CardFamily family;
    std::unique_ptr<BatchWriter> writer;
    bool done = false;

    Batch(std::vector<CardJob> jobs, BatchWriter::Options options) {
        writer = std::make_unique<BatchWriter>(router, clock, family, std::move(jobs),
                                               std::move(options));
        writer->start([](std::size_t) {}, [this] { done = true; });
    }
    const CardOutcome& out(std::size_t i) const { return writer->outcomes()[i]; }
};

} // namespace

// Nothing is written before the last card has answered, and `approve` sees every card's read,
// change and composed write; a refusal says no and not one write datagram leaves.
TEST(BatchWriterHooks, ARunNotApprovedWritesNothingAndHoldsTheCardsItWouldHaveWritten) {
    std::vector<CardOutcome> seen;
    int asked = 0;
    BatchWriter::Options options;
    options.approve = [&](const std::vector<CardOutcome>& outcomes) {
        ++asked;
        seen = outcomes;
        return false;
    };
    Batch r(jobs(4, 3), std::move(options));
    for (int k : {2, 1, 3}) {
        r.endpoint.deliver(parameterReply(card(k)));
    }
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(Writes(r.endpoint), 0);
    EXPECT_FALSE(r.done);
    // Card 4 stays silent: its read ends after three tries, and only then is the run decided.
    r.clock.runUntil(6000);
    ASSERT_EQ(asked, 1);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[1].readPanel[Edit::IP4], "101");
    EXPECT_EQ(seen[1].sentPanel[Edit::IP4], "202");
    EXPECT_EQ(seen[1].datagram.mid(21 + 10, 8), hex("A1 35 04 C0 A8 01 CA FF"));
    EXPECT_EQ(seen[3].status, Status::NoAnswer);

    EXPECT_TRUE(r.done);
    EXPECT_EQ(r.out(0).status, Status::Held);
    EXPECT_EQ(r.out(1).status, Status::Held);
    EXPECT_EQ(r.out(2).status, Status::Refused);
    EXPECT_EQ(r.out(3).status, Status::NoAnswer);
    r.clock.runUntil(30000);
    EXPECT_EQ(Writes(r.endpoint), 0);
}

// The backup that cannot be saved: that card is refused with the message and not written, the
// others are, and each "sent" is recorded before the next write leaves.
TEST(BatchWriterHooks, ACardRefusedBeforeItsWriteIsNotWrittenAndTheOthersAre) {
    std::vector<std::string> log;
    FakeEndpoint* endpoint = nullptr;
    const auto writesSoFar = [&endpoint] { return std::to_string(Writes(*endpoint)); };
    BatchWriter::Options options;
    options.approve = [](const std::vector<CardOutcome>&) { return true; };
    options.beforeSend = [&](std::size_t i, const CardOutcome& out) -> std::optional<std::string> {
        EXPECT_EQ(out.sentPanel[Edit::IP4], std::to_string(201 + i));
        EXPECT_FALSE(out.written);
        log.push_back("before " + std::to_string(i) + " after " + writesSoFar() + " writes");
        if (i == 1) {
            return "Cannot save the backup /b/00-1A-2B-00-00-02.json: No space left on device.";
        }
        return std::nullopt;
    };
    options.sent = [&](std::size_t i, const CardOutcome& out) {
        EXPECT_TRUE(out.written);
        log.push_back("sent " + std::to_string(i) + " after " + writesSoFar() + " writes");
    };
    Batch r(jobs(3), std::move(options));
    endpoint = &r.endpoint;
    for (int k : {1, 2, 3}) {
        r.endpoint.deliver(parameterReply(card(k)));
    }
    EXPECT_EQ(log, (std::vector<std::string>{"before 0 after 0 writes", "sent 0 after 1 writes",
                                             "before 1 after 1 writes", "before 2 after 1 writes",
                                             "sent 2 after 2 writes"}));
    EXPECT_EQ(r.out(1).status, Status::Refused);
    EXPECT_EQ(r.out(1).changeRefusal,
              "Cannot save the backup /b/00-1A-2B-00-00-02.json: No space left on device.");
    EXPECT_FALSE(r.out(1).written);
    EXPECT_EQ(r.writer->writtenCount(), 2u);
}

// Approved, every card that can be written is, in run order, `parallel` at once and the next
// ones after a turn of the event loop; a stop before that turn writes no more.
TEST(BatchWriterHooks, AnApprovedRunWritesParallelCardsAtATimeAndStopsBetweenThem) {
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped" : "not stopped");
        BatchWriter::Options options(2);
        options.approve = [](const std::vector<CardOutcome>&) { return true; };
        Batch r(jobs(3), std::move(options));
        for (int k : {2, 1, 3}) {
            r.endpoint.deliver(parameterReply(card(k)));
        }
        std::vector<QByteArray> macs;
        for (const auto& s : r.endpoint.sent) {
            if (IsWrite(s)) {
                macs.push_back(s.bytes.mid(3, 6));
            }
        }
        EXPECT_EQ(macs,
                  (std::vector<QByteArray>{hex("00 1A 2B 00 00 01"), hex("00 1A 2B 00 00 02")}));
        if (stop) {
            r.writer->cancel();
        }
        r.clock.advance(0);
        EXPECT_EQ(Writes(r.endpoint), stop ? 2 : 3);
        r.clock.runUntil(5000);
        for (int k : {1, 2, 3}) {
            r.endpoint.deliver(parameterReply(card(k, k == 1 ? "C0 A8 01 C9" : "C0 A8 01 CA")));
        }
        r.clock.runUntil(30000);
        EXPECT_TRUE(r.done);
        EXPECT_EQ(r.out(0).status, stop ? Status::NotConfirmed : Status::Confirmed);
        EXPECT_EQ(r.out(1).status, stop ? Status::NotConfirmed : Status::Confirmed);
        EXPECT_EQ(r.out(2).status, stop ? Status::Cancelled : Status::NotConfirmed);
    }
}

// A stop while the cards are read ends the run without asking; a run in which no card can be
// written is still shown to `approve` (a dry run lists it) and ends after it.
TEST(BatchWriterHooks, AStopBeforeTheApprovalEndsTheRunAndARunOfRefusalsIsStillShown) {
    int asked = 0;
    BatchWriter::Options options;
    options.approve = [&](const std::vector<CardOutcome>&) {
        ++asked;
        return true;
    };
    {
        Batch r(jobs(2), options);
        r.endpoint.deliver(parameterReply(card(1)));
        r.writer->cancel();
        EXPECT_TRUE(r.done);
        EXPECT_EQ(asked, 0);
        EXPECT_EQ(r.out(0).status, Status::Cancelled);
        EXPECT_EQ(r.out(1).status, Status::Cancelled);
        EXPECT_EQ(Writes(r.endpoint), 0);
    }
    {
        Batch r(jobs(1, 1), options);
        r.endpoint.deliver(parameterReply(card(1)));
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(r.done);
        EXPECT_EQ(r.out(0).status, Status::Refused);
    }
}
