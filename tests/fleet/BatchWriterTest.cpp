// Writing cards as the window writes one, on a manual clock: read, change, compose, send where
// the window would, wait 5 s (10 s with a domain), read back at 0, 2 and 4 s and confirm by the
// network values; many cards side by side, replies placed by their MAC frame. The hooks for the
// checks and records of a run: every card read and changed before any is written and the run
// approved or held as a whole; a card refused just before its write; the journal's "sent" after
// each write, before the next one leaves.

#include "fleet/BatchWriter.h"

#include "EngineBed.h"
#include "support/CardBytes.h"

#include <gtest/gtest.h>

using fleet::BatchWriter;
using fleet::CardJob;
using fleet::CardOutcome;
using fleet::ParseCardTarget;
using protocol::Edit;
using testsupport::FakeEndpoint;
using testsupport::parameterReply;
using testsupport::ReplyFields;
using testsupport::qt::hex;
using Status = fleet::CardOutcome::Status;

namespace {

const QByteArray kRead = hex("A1 14 02 00 00 FF");
const QString kBroadcast = u"255.255.255.255"_qs;

QByteArray readByMac(const char* mac) {
    return hex("A1 44 06") + hex(mac) + hex("FF");
}

// Card k: MAC 00:1A:2B:00:00:0k, IP 192.168.1.(99 + k), firmware 60 unless told.
ReplyFields card(int k, const char* ip = nullptr, const char* version = "3C") {
    ReplyFields f;
    f.mac = "00 1A 2B 00 00 0" + std::to_string(k);
    f.ip = ip ? ip : "C0 A8 01 " + QByteArray::number(99 + k, 16).toUpper().toStdString();
    f.version = version;
    return f;
}

CardJob job(const std::string& target,
            std::function<std::optional<std::string>(protocol::PanelModel&)> change = {}) {
    return CardJob{*ParseCardTarget(QString::fromStdString(target)), std::move(change)};
}

// Changes the card IP's last octet.
auto lastOctet(const std::string& value) {
    return [value](protocol::PanelModel& p) -> std::optional<std::string> {
        p[Edit::IP4] = value;
        return std::nullopt;
    };
}

// Cards 1 to `count` by MAC, card k given 192.168.1.(200 + k); card `refused` has its change
// refuse.
std::vector<CardJob> jobs(int count, int refused = 0) {
    std::vector<CardJob> out;
    for (int k = 1; k <= count; ++k) {
        std::function<std::optional<std::string>(protocol::PanelModel&)> change =
            lastOctet(std::to_string(200 + k));
        if (k == refused) {
            change = [](protocol::PanelModel&) { return std::optional<std::string>("no"); };
        }
        out.push_back(job("00:1A:2B:00:00:0" + std::to_string(k), std::move(change)));
    }
    return out;
}

bool IsWrite(const FakeEndpoint::Sent& s) {
    return s.bytes.size() == 96;
}

int Writes(const FakeEndpoint& endpoint) {
    return static_cast<int>(std::count_if(endpoint.sent.begin(), endpoint.sent.end(), IsWrite));
}

struct Batch : testsupport::EngineBed {
    std::unique_ptr<BatchWriter> writer;
    std::vector<std::size_t> finishedOrder;

    explicit Batch(std::vector<CardJob> jobs, BatchWriter::Options options = {}) {
        writer = std::make_unique<BatchWriter>(router, clock, family, std::move(jobs),
                                               std::move(options));
        writer->start([this](std::size_t i) { finishedOrder.push_back(i); },
                      [this] { done = true; });
    }
    const CardOutcome& out(std::size_t i) const { return writer->outcomes()[i]; }
};

} // namespace

// A card addressed by MAC, no search address: the write goes by broadcast with
// the MAC prefix first and the codes 51 35 36 37 47 48 32, then 49 and 4A; 96 bytes.
TEST(BatchWriter, WritesACardOfFirmware54OrLaterByMacAndConfirmsItsReadBack) {
    Batch b({job("00:1A:2B:00:00:01", lastOctet("150"))});
    ASSERT_EQ(b.endpoint.sent.size(), 1u);
    EXPECT_EQ(b.endpoint.sent[0],
              (FakeEndpoint::Sent{kBroadcast, 8800, readByMac("00 1A 2B 00 00 01"), true}));
    b.clock.runUntil(3);
    b.endpoint.deliver(parameterReply(card(1)));
    ASSERT_EQ(b.endpoint.sent.size(), 2u);
    const QByteArray write = hex("A1 30 06 00 1A 2B 00 00 01 FF"
                                 "A1 51 11 01 01 00 80 00 40 01 00 03 00 01 00 00 33 00 00 00 FF"
                                 "A1 35 04 C0 A8 01 96 FF"
                                 "A1 36 04 FF FF FF 00 FF"
                                 "A1 37 04 C0 A8 01 01 FF"
                                 "A1 47 04 C0 A8 01 C8 FF"
                                 "A1 48 02 22 60 FF"
                                 "A1 32 06 00 1A 2B 00 00 01 FF"
                                 "A1 49 01 0C FF"
                                 "A1 4A 08 00 00 00 00 00 00 00 00 FF");
    EXPECT_EQ(write.size(), 96);
    EXPECT_EQ(b.endpoint.sent[1], (FakeEndpoint::Sent{kBroadcast, 8800, write, true}));
    EXPECT_TRUE(b.out(0).written);
    EXPECT_EQ(b.out(0).writtenMs, 3);

    // Nothing until the delay is over, then the read by MAC again.
    b.clock.runUntil(5002);
    EXPECT_EQ(b.endpoint.sent.size(), 2u);
    b.clock.runUntil(5003);
    ASSERT_EQ(b.endpoint.sent.size(), 3u);
    EXPECT_EQ(b.endpoint.sent[2].bytes, readByMac("00 1A 2B 00 00 01"));
    b.endpoint.deliver(parameterReply(card(1, "C0 A8 01 96")));
    EXPECT_TRUE(b.done);
    EXPECT_EQ(b.out(0).status, Status::Confirmed);
    EXPECT_EQ(b.out(0).finishedMs, 5003);
    EXPECT_EQ(b.out(0).readsAfterWrite, 1);
    // Confirmed: nothing more is read.
    b.clock.runUntil(20000);
    EXPECT_EQ(b.endpoint.sent.size(), 3u);
}

// Addressed by the firmware the card's own reply gave: 53 is written by IP to the address it
// had and read back at the address typed in the panel (86 bytes, the codes without the MAC
// offset); from 54 on it is written by MAC by broadcast and read back by MAC (96 bytes).
TEST(BatchWriter, AddressesTheWriteAndTheReadBackByTheFirmwareItRead) {
    const struct {
        const char* version;
        bool byMac;
    } cases[] = {{"35", false}, {"36", true}, {"3C", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        Batch b({job("192.168.1.100", lastOctet("150"))});
        EXPECT_EQ(b.endpoint.sent[0],
                  (FakeEndpoint::Sent{u"192.168.1.100"_qs, 8800, kRead, false}));
        b.endpoint.deliver(parameterReply(card(1, "C0 A8 01 64", c.version)));
        ASSERT_EQ(b.endpoint.sent.size(), 2u);
        const FakeEndpoint::Sent& w = b.endpoint.sent[1];
        const int offset = c.byMac ? 10 : 0;
        EXPECT_EQ(w.host, c.byMac ? kBroadcast : u"192.168.1.100"_qs);
        EXPECT_EQ(w.broadcast, c.byMac);
        EXPECT_EQ(w.bytes.size(), c.byMac ? 96 : 86);
        if (c.byMac) {
            EXPECT_EQ(w.bytes.left(10), hex("A1 30 06 00 1A 2B 00 00 01 FF"));
        }
        EXPECT_EQ(w.bytes.mid(offset, 3), c.byMac ? hex("A1 51 11") : hex("A1 21 11"));
        EXPECT_EQ(w.bytes.mid(offset + 21, 8),
                  c.byMac ? hex("A1 35 04 C0 A8 01 96 FF") : hex("A1 05 04 C0 A8 01 96 FF"));
        EXPECT_EQ(w.bytes.mid(offset + 59, 10), c.byMac ? hex("A1 32 06 00 1A 2B 00 00 01 FF")
                                                        : hex("A1 02 06 00 1A 2B 00 00 01 FF"));

        b.clock.runUntil(5000);
        ASSERT_EQ(b.endpoint.sent.size(), 3u);
        const FakeEndpoint::Sent readBack =
            c.byMac ? FakeEndpoint::Sent{kBroadcast, 8800, readByMac("00 1A 2B 00 00 01"), true}
                    : FakeEndpoint::Sent{u"192.168.1.150"_qs, 8800, kRead, false};
        EXPECT_EQ(b.endpoint.sent[2], readBack);
        b.endpoint.deliver(parameterReply(card(1, "C0 A8 01 96", c.version)));
        EXPECT_EQ(b.out(0).status, Status::Confirmed);
    }
}

// The window's re-check: reads at 5, 7 and 9 s after the write, failure at 11 s. A card that
// ignored the write answers with its old values every time; every reply is held against what
// was sent, not against the reply before, so the second one does not confirm either.
TEST(BatchWriter, ACardThatAnswersWithOtherValuesIsNotConfirmed) {
    const struct {
        const char* what;
        bool answers;
    } cases[] = {{"answers with its old address", true}, {"does not answer", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Batch b({job("00:1A:2B:00:00:01", lastOctet("150"))});
        b.endpoint.deliver(parameterReply(card(1)));
        std::vector<std::int64_t> reads;
        for (std::int64_t t = 1; t <= 12000 && !b.done; ++t) {
            const std::size_t before = b.endpoint.sent.size();
            b.clock.runUntil(t);
            if (b.endpoint.sent.size() > before) {
                reads.push_back(t);
                if (c.answers) {
                    b.endpoint.deliver(parameterReply(card(1)));
                }
            }
        }
        EXPECT_EQ(reads, (std::vector<std::int64_t>{5000, 7000, 9000}));
        EXPECT_TRUE(b.done);
        EXPECT_EQ(b.out(0).status, Status::NotConfirmed);
        EXPECT_EQ(b.out(0).finishedMs, 11000);
        EXPECT_TRUE(b.out(0).written);
        EXPECT_EQ(b.out(0).answeredAfterWrite, c.answers);
        if (c.answers) {
            EXPECT_EQ((*b.out(0).answeredPanel)[Edit::IP4], "100");
        }
    }
}

// A second copy of the first reply that arrives while the card waits out the delay carries the
// values from before the write; it must not confirm, even when the write left the network
// values as they were.
TEST(BatchWriter, RepliesBeforeTheReadBackDoNotConfirm) {
    Batch b({job("00:1A:2B:00:00:01", [](protocol::PanelModel& p) -> std::optional<std::string> {
        p[Edit::PLen] = "256";
        return std::nullopt;
    })});
    b.endpoint.deliver(parameterReply(card(1)));
    b.clock.runUntil(100);
    b.endpoint.deliver(parameterReply(card(1)));
    EXPECT_EQ(b.out(0).status, Status::Pending);
    b.clock.runUntil(5000);
    b.endpoint.deliver(parameterReply(card(1)));
    EXPECT_EQ(b.out(0).status, Status::Confirmed);
    EXPECT_EQ(b.out(0).finishedMs, 5000);
}

// Two cards named by IP read back at once, and a reply that carries no MAC frame (dropped, the
// datagram padded to a reply's length): it confirms the card whose new IP it carries, and only
// that one, whichever card comes first.
TEST(BatchWriter, AReplyWithoutAMacFrameConfirmsOnlyTheCardOfItsIp) {
    Batch b({job("192.168.1.100", lastOctet("150")), job("192.168.1.101", lastOctet("151"))});
    b.endpoint.deliver(parameterReply(card(1, nullptr, "35")));
    b.endpoint.deliver(parameterReply(card(2, nullptr, "35")));
    ASSERT_EQ(b.writer->writtenCount(), 2u);
    b.clock.runUntil(5000);
    const auto withoutMac = [](const ReplyFields& f) {
        return parameterReply(f).mid(10) + QByteArray(10, '\0');
    };
    b.endpoint.deliver(withoutMac(card(2, "C0 A8 01 97", "35")));
    EXPECT_EQ(b.out(0).status, Status::Pending);
    EXPECT_FALSE(b.out(0).answeredAfterWrite);
    EXPECT_EQ(b.out(1).status, Status::Confirmed);
    b.endpoint.deliver(withoutMac(card(1, "C0 A8 01 96", "35")));
    EXPECT_EQ(b.out(0).status, Status::Confirmed);
    EXPECT_TRUE(b.done);
}

TEST(BatchWriter, WaitsTenSecondsAfterAWriteWithADomain) {
    Batch b({job("00:1A:2B:00:00:01", [](protocol::PanelModel& p) -> std::optional<std::string> {
        p.serverByDomain = true;
        p[Edit::Domain] = "led.example.com";
        return std::nullopt;
    })});
    b.endpoint.deliver(parameterReply(card(1)));
    ASSERT_EQ(b.endpoint.sent.size(), 2u);
    EXPECT_EQ(b.endpoint.sent[1].bytes.size(), 164);
    EXPECT_EQ(b.endpoint.sent[1].bytes.mid(79, 5), hex("A1 49 01 3F FF"));
    b.clock.runUntil(9999);
    EXPECT_EQ(b.endpoint.sent.size(), 2u);
    b.clock.runUntil(10000);
    EXPECT_EQ(b.endpoint.sent.size(), 3u);
    ReplyFields echoed = card(1);
    echoed.flags = "3F";
    echoed.domain = "led.example.com";
    b.endpoint.deliver(parameterReply(echoed));
    EXPECT_EQ(b.out(0).status, Status::Confirmed);
}

// Refusals come after the read and before anything is written: the change's own, and the
// composer's (a domain of 64 characters, the first number it cannot carry).
TEST(BatchWriter, ARefusedCardIsReadButNotWritten) {
    const struct {
        const char* what;
        std::function<std::optional<std::string>(protocol::PanelModel&)> change;
        std::optional<protocol::WriteRefusal::Reason> composer;
    } cases[] = {
        {"the change refuses",
         [](protocol::PanelModel&) { return std::optional<std::string>("no"); }, std::nullopt},
        {"the domain is too long",
         [](protocol::PanelModel& p) -> std::optional<std::string> {
             p.serverByDomain = true;
             p[Edit::Domain] = std::string(64, 'a');
             return std::nullopt;
         },
         protocol::WriteRefusal::Reason::DomainTooLong},
        {"the port is out of range",
         [](protocol::PanelModel& p) -> std::optional<std::string> {
             p[Edit::DPort] = "65536";
             return std::nullopt;
         },
         protocol::WriteRefusal::Reason::OutOfRange},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Batch b({job("00:1A:2B:00:00:01", c.change)});
        b.endpoint.deliver(parameterReply(card(1)));
        EXPECT_TRUE(b.done);
        EXPECT_EQ(b.out(0).status, Status::Refused);
        EXPECT_FALSE(b.out(0).written);
        EXPECT_EQ(b.endpoint.sent.size(), 1u); // the read alone
        EXPECT_EQ(b.out(0).writeRefusal.has_value(), c.composer.has_value());
        if (c.composer) {
            EXPECT_EQ(b.out(0).writeRefusal->reason, *c.composer);
        }
    }
}

TEST(BatchWriter, ACardThatDoesNotAnswerTheReadIsNotWritten) {
    Batch b({job("00:1A:2B:00:00:01", lastOctet("150"))});
    b.clock.runUntil(6000);
    EXPECT_TRUE(b.done);
    EXPECT_EQ(b.out(0).status, Status::NoAnswer);
    EXPECT_EQ(b.out(0).readsBeforeWrite, 3);
    EXPECT_FALSE(b.out(0).written);
    for (const auto& s : b.endpoint.sent) {
        EXPECT_EQ(s.bytes, readByMac("00 1A 2B 00 00 01"));
    }
}

// Five cards, at most two read at once: the third read leaves when one of the first two has
// answered. Replies arrive in another order than the reads left and find their card by MAC.
TEST(BatchWriter, ReadsAtMostParallelCardsAtOnceAndPlacesRepliesByMac) {
    std::vector<CardJob> jobs;
    for (const char* mac : {"00:1A:2B:00:00:01", "00:1A:2B:00:00:02", "00:1A:2B:00:00:03",
                            "00:1A:2B:00:00:04", "00:1A:2B:00:00:05"}) {
        jobs.push_back(job(mac, lastOctet("200")));
    }
    Batch b(std::move(jobs), BatchWriter::Options(2));
    ASSERT_EQ(b.endpoint.sent.size(), 2u);
    EXPECT_EQ(b.endpoint.sent[1].bytes, readByMac("00 1A 2B 00 00 02"));
    b.endpoint.deliver(parameterReply(card(2)));
    // Card 2 written, card 3 read.
    ASSERT_EQ(b.endpoint.sent.size(), 4u);
    EXPECT_EQ(b.endpoint.sent[2].bytes.mid(3, 6), hex("00 1A 2B 00 00 02"));
    EXPECT_EQ(b.endpoint.sent[3].bytes, readByMac("00 1A 2B 00 00 03"));
    b.endpoint.deliver(parameterReply(card(3)));
    b.endpoint.deliver(parameterReply(card(1)));
    // Card 4 and 5 read; a reply of a card no one asked for is nobody's.
    b.endpoint.deliver(parameterReply(card(7)));
    b.endpoint.deliver(parameterReply(card(5)));
    b.endpoint.deliver(parameterReply(card(4)));
    ASSERT_EQ(b.writer->writtenCount(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(b.out(i).read.mac, "00:1A:2B:00:00:0" + std::to_string(i + 1));
        EXPECT_EQ(b.out(i).sentPanel[Edit::IP4], "200");
    }
    // Every write repeats its own card's MAC.
    for (const auto& s : b.endpoint.sent) {
        if (IsWrite(s)) {
            EXPECT_EQ(s.bytes.mid(3, 6), s.bytes.mid(72, 6));
        }
    }
    // All five read back after their delays, confirmed in any order.
    b.clock.runUntil(5000);
    for (int k : {5, 1, 4, 2, 3}) {
        b.endpoint.deliver(parameterReply(card(k, "C0 A8 01 C8")));
    }
    EXPECT_TRUE(b.done);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(b.out(i).status, Status::Confirmed);
    }
    EXPECT_EQ(b.finishedOrder, (std::vector<std::size_t>{4, 0, 3, 1, 2}));
}

// Stopping: what was written is not read back, what was not written is not written.
TEST(BatchWriter, CancelStopsSendingAndTellsWrittenFromNotWritten) {
    Batch b({job("00:1A:2B:00:00:01", lastOctet("150")), job("00:1A:2B:00:00:02"),
             job("00:1A:2B:00:00:03")},
            BatchWriter::Options(2));
    b.endpoint.deliver(parameterReply(card(1)));
    ASSERT_EQ(b.writer->writtenCount(), 1u);
    const std::size_t sent = b.endpoint.sent.size();
    b.writer->cancel();
    EXPECT_TRUE(b.done);
    EXPECT_EQ(b.out(0).status, Status::NotConfirmed);
    EXPECT_TRUE(b.out(0).written);
    EXPECT_TRUE(b.out(0).cancelled);
    EXPECT_EQ(b.out(1).status, Status::Cancelled);
    EXPECT_FALSE(b.out(1).written);
    EXPECT_EQ(b.out(2).status, Status::Cancelled);
    // Card 2's reply after the stop is not written, and no read-back leaves.
    b.endpoint.deliver(parameterReply(card(2)));
    b.clock.runUntil(20000);
    EXPECT_EQ(b.endpoint.sent.size(), sent);
}

TEST(BatchWriter, AWriteThatCannotLeaveIsNotWritten) {
    Batch b({job("00:1A:2B:00:00:01", lastOctet("150"))});
    b.endpoint.failSends(discovery::SendFailure::Reason::SocketError);
    b.endpoint.deliver(parameterReply(card(1)));
    EXPECT_TRUE(b.done);
    EXPECT_EQ(b.out(0).status, Status::NoAnswer);
    EXPECT_FALSE(b.out(0).written);
    ASSERT_TRUE(b.out(0).sendFailure.has_value());
}

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
    std::vector<Status> statuses;
    for (std::size_t i = 0; i < 4; ++i) {
        statuses.push_back(r.out(i).status);
    }
    EXPECT_EQ(statuses,
              (std::vector<Status>{Status::Held, Status::Held, Status::Refused, Status::NoAnswer}));
    r.clock.runUntil(30000);
    EXPECT_EQ(Writes(r.endpoint), 0);
}

// The backup that cannot be saved: that card is refused with the message and not written, the
// others are, and each "sent" is recorded before the next write leaves.
TEST(BatchWriterHooks, ACardRefusedBeforeItsWriteIsNotWrittenAndTheOthersAre) {
    const std::string noSpace =
        "Cannot save the backup /b/00-1A-2B-00-00-02.json: No space left on device.";
    std::vector<std::string> log;
    FakeEndpoint* endpoint = nullptr;
    const auto note = [&](const char* what, std::size_t i) {
        log.push_back(what + std::to_string(i) + " after " + std::to_string(Writes(*endpoint)));
    };
    BatchWriter::Options options;
    options.approve = [](const std::vector<CardOutcome>&) { return true; };
    options.beforeSend = [&](std::size_t i, const CardOutcome& out) -> std::optional<std::string> {
        EXPECT_EQ(out.sentPanel[Edit::IP4], std::to_string(201 + i));
        EXPECT_FALSE(out.written);
        note("before ", i);
        return i == 1 ? std::optional(noSpace) : std::nullopt;
    };
    options.sent = [&](std::size_t i, const CardOutcome& out) {
        EXPECT_TRUE(out.written);
        note("sent ", i);
    };
    Batch r(jobs(3), std::move(options));
    endpoint = &r.endpoint;
    for (int k : {1, 2, 3}) {
        r.endpoint.deliver(parameterReply(card(k)));
    }
    EXPECT_EQ(log,
              (std::vector<std::string>{"before 0 after 0", "sent 0 after 1", "before 1 after 1",
                                        "before 2 after 1", "sent 2 after 2"}));
    EXPECT_EQ(r.out(1).status, Status::Refused);
    EXPECT_EQ(r.out(1).changeRefusal, noSpace);
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
    Batch stopped(jobs(2), options);
    stopped.endpoint.deliver(parameterReply(card(1)));
    stopped.writer->cancel();
    EXPECT_TRUE(stopped.done);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(stopped.out(0).status, Status::Cancelled);
    EXPECT_EQ(stopped.out(1).status, Status::Cancelled);
    EXPECT_EQ(Writes(stopped.endpoint), 0);

    Batch refused(jobs(1, 1), options);
    refused.endpoint.deliver(parameterReply(card(1)));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(refused.done);
    EXPECT_EQ(refused.out(0).status, Status::Refused);
}
