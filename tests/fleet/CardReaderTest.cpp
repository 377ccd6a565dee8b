// Reading one card: the request and where it goes, which reply is the card's, the re-reads
// while it does not answer.

#include "fleet/CardReader.h"

#include "EngineBed.h"
#include "support/CardBytes.h"

#include <gtest/gtest.h>

using fleet::CardReader;
using fleet::ParseCardTarget;
using protocol::Edit;
using testsupport::FakeEndpoint;
using testsupport::parameterReply;
using testsupport::qt::hex;

TEST(CardTarget, TellsAnAddressFromAMac) {
    const struct {
        const char* text;
        bool byMacOption;
        bool ok;
        bool byMac;
        const char* value; // the IP or the MAC text
    } cases[] = {
        {"192.168.1.100", false, true, false, "192.168.1.100"},
        {" 10.0.0.1 ", false, true, false, "10.0.0.1"},
        {"192.168.001.010", false, true, false, "192.168.1.10"},
        {"00:1a:2b:3c:4d:5e", false, true, true, "00:1A:2B:3C:4D:5E"},
        {"00-1A-2B-3C-4D-5E", false, true, true, "00:1A:2B:3C:4D:5E"},
        {"001A2B3C4D5E", false, true, true, "00:1A:2B:3C:4D:5E"},
        {"00:1A-2B:3C:4D:5E", false, false, false, ""},
        {"00:1A:2B:3C:4D", false, false, false, ""},
        {"256.1.1.1", false, false, false, ""},
        {"1.2.3", false, false, false, ""},
        {"1.2.3.4.5", false, false, false, ""},
        {"+1.2.3.4", false, false, false, ""},
        {"card7.local", false, false, false, ""},
        {"", false, false, false, ""},
        {"192.168.1.100", true, false, false, ""},
        {"00:1A:2B:3C:4D:5E", true, true, true, "00:1A:2B:3C:4D:5E"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto t = ParseCardTarget(QString::fromLatin1(c.text), c.byMacOption);
        ASSERT_EQ(t.has_value(), c.ok);
        if (!c.ok) {
            continue;
        }
        EXPECT_EQ(t->byMac, c.byMac);
        EXPECT_EQ(c.byMac ? t->macText : t->ip, c.value);
    }
}

TEST(IdentifyReply, TakesMacIpAndVersionFromTheFrames) {
    const auto id = fleet::IdentifyReply(parameterReply("00 1A 2B 3C 4D 5E", "C0 A8 01 64", "35"));
    EXPECT_EQ(id.mac, "00:1A:2B:3C:4D:5E");
    EXPECT_EQ(id.ip, "192.168.1.100");
    EXPECT_EQ(id.version, 53);
    const auto none = fleet::IdentifyReply(hex("A1 20 01"));
    EXPECT_EQ(none.mac, "");
    EXPECT_EQ(none.ip, "");
    EXPECT_EQ(none.version, -1);
}

namespace {

struct Reading : testsupport::EngineBed {
    std::unique_ptr<CardReader> reader;

    explicit Reading(const char* card) {
        reader = std::make_unique<CardReader>(router, clock, family,
                                              *ParseCardTarget(QString::fromLatin1(card)));
        reader->listen();
        reader->start([this] { done = true; });
    }
};

} // namespace

TEST(CardReader, ReadsByIpWithThePlainReadToThatAddress) {
    Reading r("192.168.1.100");
    ASSERT_EQ(r.endpoint.sent.size(), 1u);
    EXPECT_EQ(r.endpoint.sent[0],
              (FakeEndpoint::Sent{u"192.168.1.100"_qs, 8800, hex("A1 14 02 00 00 FF"), false}));
    // Another card's reply (another IP frame) is not this card's.
    r.endpoint.deliver(parameterReply("00 1A 2B 00 00 02", "C0 A8 01 65"));
    EXPECT_FALSE(r.done);
    r.endpoint.deliver(parameterReply());
    ASSERT_TRUE(r.done);
    EXPECT_EQ(r.reader->status(), CardReader::Status::Read);
    const protocol::PanelModel& p = r.reader->panel();
    EXPECT_EQ(p[Edit::MACAddr], "00:1A:2B:00:00:01");
    EXPECT_EQ(p[Edit::IP4], "100");
    EXPECT_EQ(p[Edit::PLen], "128");
    EXPECT_EQ(p[Edit::PHeight], "64");
    EXPECT_EQ(p[Edit::DPort], "8800");
    EXPECT_EQ(p[Edit::Version], "60");
    EXPECT_EQ(p[protocol::Combo::NLamp].index, 3);
}

TEST(CardReader, ReadsByMacWithTheReadByMacByBroadcast) {
    Reading r("00:1A:2B:3C:4D:5E");
    ASSERT_EQ(r.endpoint.sent.size(), 1u);
    EXPECT_EQ(r.endpoint.sent[0], (FakeEndpoint::Sent{u"255.255.255.255"_qs, 8800,
                                                      hex("A1 44 06 00 1A 2B 3C 4D 5E FF"), true}));
    // The same IP but another MAC: not this card.
    r.endpoint.deliver(parameterReply("00 1A 2B 3C 4D 5F"));
    EXPECT_FALSE(r.done);
    // A search answer is no reply.
    r.endpoint.deliver(testsupport::searchAnswer("00 1A 2B 3C 4D 5E", "C0 A8 01 64"));
    EXPECT_FALSE(r.done);
    r.endpoint.deliver(parameterReply("00 1A 2B 3C 4D 5E"));
    EXPECT_TRUE(r.done);
    EXPECT_EQ(r.reader->identity().mac, "00:1A:2B:3C:4D:5E");
}

// Three reads two seconds apart, as the window reads a card back; no answer two seconds after
// the third.
TEST(CardReader, ReadsThreeTimesThenGivesUp) {
    Reading r("192.168.1.100");
    r.clock.runUntil(5999);
    EXPECT_EQ(r.endpoint.sent.size(), 3u);
    EXPECT_FALSE(r.done);
    r.clock.runUntil(6000);
    EXPECT_TRUE(r.done);
    EXPECT_EQ(r.reader->status(), CardReader::Status::NoAnswer);
    EXPECT_EQ(r.endpoint.sent.size(), 3u);
    // A late reply changes nothing.
    r.endpoint.deliver(parameterReply());
    EXPECT_EQ(r.reader->status(), CardReader::Status::NoAnswer);
}

TEST(CardReader, ARefusedSendEndsTheRead) {
    testsupport::EngineBed b;
    b.endpoint.failSends(discovery::SendFailure::Reason::NotBound);
    CardReader reader(b.router, b.clock, b.family, *ParseCardTarget(u"192.168.1.100"_qs));
    reader.start([&] { b.done = true; });
    EXPECT_TRUE(b.done);
    EXPECT_EQ(reader.status(), CardReader::Status::SendFailed);
    EXPECT_EQ(reader.failure().reason, discovery::SendFailure::Reason::NotBound);
}
