// The commands run against a fake endpoint on a manual clock: what goes out, what is printed,
// and the exit status, without a process or a socket.

#include "FakeRun.h"
#include "fleet/CardFamily.h"
#include "fleet/Profile.h"

using ctltest::Card;
using ctltest::FakeRun;
using ctltest::Reply;
using testsupport::parameterReply;
using testsupport::ReplyFields;
using testsupport::qt::hex;

namespace {

// What a card holds, as `read --format json` would print it.
QByteArray profileOf(const ReplyFields& fields) {
    const fleet::CardFamily family;
    protocol::PanelModel panel = family.emptyPanel();
    family.apply(panel, parameterReply(fields));
    return QByteArray::fromStdString(fleet::ProfileJson(panel, family.profile()));
}

QByteArray card1Profile() {
    return profileOf(Card(1));
}

} // namespace

TEST(Runner, ReadPrintsTheCardsProfile) {
    FakeRun r({u"read"_qs, u"192.168.1.100"_qs, u"--format"_qs, u"json"_qs});
    ASSERT_EQ(r.endpoint.sent.size(), 1u);
    EXPECT_EQ(r.endpoint.sent[0].bytes, hex("A1 14 02 00 00 FF"));
    r.endpoint.deliver(Reply(1));
    EXPECT_EQ(r.status, 0);
    const QJsonObject profile = QJsonDocument::fromJson(r.text().toUtf8()).object();
    EXPECT_EQ(profile[u"format"].toString(), u"ledcardctl-profile"_qs);
    EXPECT_EQ(profile[u"card"].toObject()[u"mac"].toString(), u"00:1A:2B:00:00:01"_qs);
    const QJsonObject p = profile[u"parameters"].toObject();
    EXPECT_EQ(p[u"display.width"].toInt(), 128);
    EXPECT_EQ(p[u"network.ip"].toString(), u"192.168.1.100"_qs);
    EXPECT_EQ(p[u"server.port"].toInt(), 8800);
    EXPECT_EQ(p[u"display.night_brightness"].toObject()[u"position"].toInt(), 3);
}

TEST(Runner, ReadOfACardThatDoesNotAnswerExitsWith4) {
    FakeRun r({u"read"_qs, u"00:1A:2B:00:00:09"_qs});
    r.clock.runUntil(5999);
    EXPECT_EQ(r.status, -1);
    r.clock.runUntil(6000);
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.errors(), u"00:1A:2B:00:00:09 did not answer.\n"_qs);
    EXPECT_TRUE(r.text().isEmpty());
}

TEST(Runner, SearchPrintsTheCardsAndExits4WhenNoneAnswered) {
    FakeRun found({u"search"_qs, u"--times"_qs, u"2"_qs, u"--format"_qs, u"csv"_qs});
    found.clock.runUntil(1200);
    found.endpoint.deliver(testsupport::searchAnswer("00 1A 2B 00 00 01", "C0 A8 01 64"));
    found.clock.runUntil(2000);
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.text(), u"number,name,mac,ip,version,conflicts\r\n"
                            u"1,LED,00:1A:2B:00:00:01,192.168.1.100,60,\r\n"_qs);

    FakeRun none({u"search"_qs, u"--times"_qs, u"2"_qs});
    none.clock.runUntil(2000);
    EXPECT_EQ(none.status, 4);
    EXPECT_EQ(none.errors(), u"No card answered the search.\n"_qs);
}

// A card's name is whatever the card sends: one that a spreadsheet would run as a formula is
// printed as text.
TEST(Runner, SearchCsvKeepsAFormulaNameAsText) {
    FakeRun r({u"search"_qs, u"--times"_qs, u"2"_qs, u"--format"_qs, u"csv"_qs});
    r.clock.runUntil(1200);
    r.endpoint.deliver(testsupport::searchAnswer("00 1A 2B 00 00 01", "C0 A8 01 64", "3C",
                                                 "=HYPERLINK(\"http://x\",\"y\")"));
    r.clock.runUntil(2000);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.text(), u"number,name,mac,ip,version,conflicts\r\n"
                        u"1,\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",00:1A:2B:00:00:01,"
                        u"192.168.1.100,60,\r\n"_qs);
}

TEST(Runner, WriteReadsChangesWritesAndConfirms) {
    FakeRun r({u"write"_qs, u"00:1A:2B:00:00:01"_qs, u"--set"_qs, u"network.ip=192.168.1.150"_qs,
               u"--format"_qs, u"json"_qs, u"--no-search"_qs});
    r.endpoint.deliver(Reply(1));
    ASSERT_EQ(r.endpoint.sent.size(), 2u);
    EXPECT_EQ(r.endpoint.sent[1].bytes.mid(31, 8), hex("A1 35 04 C0 A8 01 96 FF"));
    r.clock.runUntil(5000);
    r.endpoint.deliver(Reply(1, 150));
    EXPECT_EQ(r.status, 0);
    const auto lines = r.jsonLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], (QJsonObject{{u"card"_qs, u"00:1A:2B:00:00:01"_qs},
                                     {u"mac"_qs, u"00:1A:2B:00:00:01"_qs},
                                     {u"ip"_qs, u"192.168.1.100"_qs},
                                     {u"newIp"_qs, u"192.168.1.150"_qs},
                                     {u"outcome"_qs, u"confirmed"_qs},
                                     {u"written"_qs, true},
                                     {u"detail"_qs, u""_qs}}));
}

TEST(Runner, AWriteTheCardDoesNotKeepExits3AndSaysWhatDiffers) {
    FakeRun r({u"write"_qs, u"00:1A:2B:00:00:01"_qs, u"--set"_qs, u"network.ip=192.168.1.150"_qs,
               u"--no-search"_qs});
    r.endpoint.deliver(Reply(1));
    for (std::int64_t t : {5000, 7000, 9000}) {
        r.clock.runUntil(t);
        r.endpoint.deliver(Reply(1));
    }
    r.clock.runUntil(11000);
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.text().contains(
        u"the card reads back other values: network.ip is 192.168.1.100 (written: 192.168.1.150)"_qs))
        << r.text().toStdString();
    EXPECT_TRUE(r.text().contains(
        u"1 cards: 0 confirmed, 1 not confirmed, 0 no answer, 0 refused, 0 stopped"_qs));
}

// A change that no card of this family can take is refused before the first read.
TEST(Runner, AChangeThatCannotApplyIsRefusedBeforeAnythingIsSent) {
    FakeRun dns({u"write"_qs, u"00:1A:2B:00:00:01"_qs, u"--set"_qs, u"dns.address=8.8.8.8"_qs});
    EXPECT_EQ(dns.status, 2);
    EXPECT_TRUE(dns.endpoint.sent.empty());
    EXPECT_TRUE(dns.errors().contains(u"dns.address"_qs)) << dns.errors().toStdString();

    // With DHCP 1 the same change goes ahead.
    protocol::CardProfile dhcp;
    dhcp.dhcp = 1;
    FakeRun ok({u"write"_qs, u"00:1A:2B:00:00:01"_qs, u"--set"_qs, u"dns.address=8.8.8.8"_qs,
                u"--no-search"_qs},
               {}, dhcp);
    EXPECT_EQ(ok.status, -1);
    EXPECT_EQ(ok.endpoint.sent.size(), 1u);

    // A colour position a two-colour family does not have.
    protocol::CardProfile twoColours;
    twoColours.cardColor = 2;
    FakeRun colour({u"write"_qs, u"00:1A:2B:00:00:01"_qs, u"--set"_qs, u"display.color=2"_qs}, {},
                   twoColours);
    EXPECT_EQ(colour.status, 2);
    EXPECT_TRUE(colour.endpoint.sent.empty());
}

// Card k of the run gets the k-th address from --ip-from, mask and gateway from the profile.
TEST(Runner, ApplyGivesSequentialAddresses) {
    const QByteArray profile =
        "{\"format\": \"ledcardctl-profile\", \"version\": 1, \"parameters\": {\n"
        "\"display.width\": 256, \"network.mask\": \"255.255.0.0\", "
        "\"network.gateway\": \"192.168.0.1\"}}\n";
    FakeRun r({u"apply"_qs, u"p.json"_qs, u"--to"_qs,
               u"00:1A:2B:00:00:01,00:1A:2B:00:00:02,00:1A:2B:00:00:03"_qs, u"--ip-from"_qs,
               u"192.168.1.150"_qs, u"--no-search"_qs},
              {{u"p.json"_qs, profile}});
    for (int k : {3, 1, 2}) {
        r.endpoint.deliver(Reply(k));
    }
    std::map<QByteArray, QByteArray> addressOf; // MAC -> the IP, mask and gateway frames
    for (const auto& s : r.endpoint.sent) {
        if (s.bytes.size() == 96) {
            addressOf[s.bytes.mid(3, 6)] = s.bytes.mid(31, 24);
            EXPECT_EQ(s.bytes.mid(15, 4), hex("01 00 00 40")); // width 256, height kept
        }
    }
    ASSERT_EQ(addressOf.size(), 3u);
    EXPECT_EQ(addressOf[hex("00 1A 2B 00 00 01")],
              hex("A1 35 04 C0 A8 01 96 FF A1 36 04 FF FF 00 00 FF A1 37 04 C0 A8 00 01 FF"));
    EXPECT_EQ(addressOf[hex("00 1A 2B 00 00 02")].left(8), hex("A1 35 04 C0 A8 01 97 FF"));
    EXPECT_EQ(addressOf[hex("00 1A 2B 00 00 03")].left(8), hex("A1 35 04 C0 A8 01 98 FF"));
}

// Without --ip-from the cards keep their addresses, whatever the profile says.
TEST(Runner, ApplyKeepsTheCardsAddresses) {
    FakeRun r({u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"00:1A:2B:00:00:02"_qs, u"--no-search"_qs},
              {{u"p.json"_qs, card1Profile()}});
    r.endpoint.deliver(Reply(2));
    ASSERT_EQ(r.endpoint.sent.size(), 2u);
    EXPECT_EQ(r.endpoint.sent[1].bytes.mid(31, 8), hex("A1 35 04 C0 A8 01 65 FF"));
    EXPECT_EQ(r.endpoint.sent[1].bytes.mid(69, 10), hex("A1 32 06 00 1A 2B 00 00 02 FF"));
}

// A dry run has no endpoint to send through and prints the write a read of the base file's
// values would lead to.
TEST(Runner, DryRunPrintsTheDatagramAndSendsNothing) {
    FakeRun r({u"write"_qs, u"00:1A:2B:00:00:01"_qs, u"--set"_qs, u"display.width=300"_qs,
               u"--dry-run"_qs, u"--base"_qs, u"card1.json"_qs, u"--format"_qs, u"json"_qs},
              {{u"card1.json"_qs, card1Profile()}});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.endpoint.sent.empty());
    const auto lines = r.jsonLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0][u"to"].toString(), u"255.255.255.255"_qs);
    EXPECT_EQ(lines[0][u"broadcast"].toBool(), true);
    EXPECT_EQ(lines[0][u"bytes"].toString(),
              u"A1 30 06 00 1A 2B 00 00 01 FF "
              u"A1 51 11 01 01 01 2C 00 40 01 00 03 00 01 00 00 33 00 00 00 FF "
              u"A1 35 04 C0 A8 01 64 FF A1 36 04 FF FF FF 00 FF A1 37 04 C0 A8 01 01 FF "
              u"A1 47 04 C0 A8 01 C8 FF A1 48 02 22 60 FF A1 32 06 00 1A 2B 00 00 01 FF "
              u"A1 49 01 0C FF A1 4A 08 00 00 00 00 00 00 00 00 FF"_qs);
}

// apply --dry-run prints each card's write with its address from --ip-from and sends nothing.
TEST(Runner, ApplyDryRunPrintsEachWriteAndSendsNothing) {
    FakeRun r({u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"00:1A:2B:00:00:01,00:1A:2B:00:00:02"_qs,
               u"--ip-from"_qs, u"192.168.1.150"_qs, u"--dry-run"_qs, u"--base"_qs, u"p.json"_qs,
               u"--format"_qs, u"json"_qs},
              {{u"p.json"_qs, card1Profile()}});
    EXPECT_EQ(r.status, 0);
    r.clock.runUntil(20000);
    EXPECT_TRUE(r.endpoint.sent.empty());
    const auto lines = r.jsonLines();
    ASSERT_EQ(lines.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(lines[k][u"to"].toString(), u"255.255.255.255"_qs);
        EXPECT_EQ(lines[k][u"bytes"].toString().mid(3 * 31, 3 * 8 - 1),
                  k == 0 ? u"A1 35 04 C0 A8 01 96 FF"_qs : u"A1 35 04 C0 A8 01 97 FF"_qs);
    }
}

// A dry run addresses the card by the firmware of the file, as a live write does by the
// firmware the card reports (BatchWriterTest): 53 by its IP, from 54 on by MAC by broadcast.
TEST(Runner, DryRunAddressesTheCardByMacFromFirmware54On) {
    const struct {
        const char* version;
        bool byMac;
    } cases[] = {{"35", false}, {"36", true}, {"3C", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        FakeRun dry({u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"192.168.1.100"_qs, u"--dry-run"_qs,
                     u"--base"_qs, u"p.json"_qs, u"--format"_qs, u"json"_qs},
                    {{u"p.json"_qs, profileOf(Card(1, 0, c.version))}});
        const auto lines = dry.jsonLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0][u"to"].toString(),
                  c.byMac ? u"255.255.255.255"_qs : u"192.168.1.100"_qs);
        EXPECT_EQ(lines[0][u"broadcast"].toBool(), c.byMac);
        EXPECT_EQ(lines[0][u"bytes"].toString().left(8), c.byMac ? u"A1 30 06"_qs : u"A1 21 11"_qs);
    }
}

// Ctrl+C while the cards are read: no card has been written yet, none is. Ctrl+C once they
// are written: each is reported written and unconfirmed. Nothing more is sent either way.
TEST(Runner, InterruptStopsSendingAndReportsEachCard) {
    const struct {
        int answered;     // reads answered before Ctrl+C
        std::size_t sent; // by then, and ever
        const char* outcome;
        bool written;
        const char* detail; // nullptr: not looked at
        const char* said;
    } cases[] = {
        // Read 1, read 2: no write before every read.
        {1, 2, "cancelled", false, nullptr, "0 of 2"},
        // Read 1, read 2, write 1, write 2.
        {2, 4, "not-confirmed", true, "stopped before the read-back", "2 of 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outcome);
        FakeRun r({u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"00:1A:2B:00:00:01,00:1A:2B:00:00:02"_qs,
                   u"--parallel"_qs, u"1"_qs, u"--format"_qs, u"json"_qs, u"--no-search"_qs},
                  {{u"p.json"_qs, card1Profile()}});
        for (int k = 1; k <= c.answered; ++k) {
            r.endpoint.deliver(Reply(k));
        }
        r.clock.advance(1); // the second write leaves after a turn of the loop
        EXPECT_EQ(r.endpoint.sent.size(), c.sent);
        r.runner->interrupt();
        EXPECT_EQ(r.status, 130);
        r.clock.runUntil(20000);
        EXPECT_EQ(r.endpoint.sent.size(), c.sent);
        QStringList cards;
        for (const QJsonObject& line : r.jsonLines()) {
            cards << line[u"card"].toString();
            EXPECT_EQ(line[u"outcome"].toString(), QLatin1String(c.outcome));
            EXPECT_EQ(line[u"written"].toBool(), c.written);
            if (c.detail) {
                EXPECT_EQ(line[u"detail"].toString(), QLatin1String(c.detail));
            }
        }
        cards.sort();
        EXPECT_EQ(cards, (QStringList{u"00:1A:2B:00:00:01"_qs, u"00:1A:2B:00:00:02"_qs}));
        EXPECT_TRUE(r.errors().contains(u"Stopped by Ctrl+C: "_qs + QLatin1String(c.said) +
                                        u" cards written"_qs));
    }
}
