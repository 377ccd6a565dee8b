// The commands run against a fake endpoint on a manual clock: what goes out, what is printed,
// and the exit status, without a process or a socket.

#include "ctl/Runner.h"

#include "ctl/CommandLine.h"
#include "fleet/CardFamily.h"
#include "fleet/Profile.h"
#include "support/CardBytes.h"
#include "support/FakeEndpoint.h"
#include "support/ManualScheduler.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

using testsupport::FakeEndpoint;
using testsupport::ManualScheduler;
using testsupport::parameterReply;
using testsupport::ReplyFields;
using testsupport::qt::hex;

namespace {

// Card k of the tests: MAC 00:1A:2B:00:00:0k, IP 192.168.1.(99 + k), firmware 60.
ReplyFields card(int k, const char* ip = nullptr) {
    ReplyFields f;
    f.mac = "00 1A 2B 00 00 0" + std::to_string(k);
    f.ip = ip ? ip : "C0 A8 01 " + QByteArray::number(99 + k, 16).toUpper().toStdString();
    return f;
}

// What a card holds, as `read --format json` would print it.
QByteArray profileOf(const ReplyFields& fields) {
    const fleet::CardFamily family;
    protocol::PanelModel panel = family.emptyPanel();
    family.apply(panel, parameterReply(fields));
    return QByteArray::fromStdString(fleet::ProfileJson(panel, family.profile()));
}

QByteArray card1Profile() {
    return profileOf(card(1));
}

struct Command {
    FakeEndpoint endpoint;
    ManualScheduler clock;
    QTemporaryDir data; // backups and journal
    QString outText;
    QString errText;
    QTextStream out{&outText};
    QTextStream err{&errText};
    std::map<QString, QByteArray> files;
    std::unique_ptr<ctl::Runner> runner;
    int status = -1;

    explicit Command(const QStringList& args, protocol::CardProfile profile = {},
                     std::map<QString, QByteArray> f = {})
        : files(std::move(f)) {
        const ctl::Parsed parsed =
            ctl::ParseCommandLine(args, ctl::Environment{}, [this](const QString& path, QString*) {
                const auto it = files.find(path);
                return it == files.end() ? std::nullopt : std::optional<QByteArray>(it->second);
            });
        EXPECT_EQ(parsed.outcome, ctl::Parsed::Outcome::Run) << parsed.text.toStdString();
        ctl::Runner::Context context;
        // The program gives a dry run no endpoint; here it has one, so that a send would show.
        context.endpoint = &endpoint;
        context.scheduler = &clock;
        context.cardProfile = std::move(profile);
        context.dataFolder = data.path();
        context.out = &out;
        context.err = &err;
        runner = std::make_unique<ctl::Runner>(parsed.command, context);
        runner->start([this](int s) { status = s; });
    }
    std::vector<QJsonObject> jsonLines() {
        out.flush();
        std::vector<QJsonObject> lines;
        for (const QString& line : outText.split(u'\n', Qt::SkipEmptyParts)) {
            lines.push_back(QJsonDocument::fromJson(line.toUtf8()).object());
        }
        return lines;
    }
};

} // namespace

TEST(Runner, ReadPrintsTheCardsProfile) {
    Command r({u"read"_qs, u"192.168.1.100"_qs, u"--format"_qs, u"json"_qs});
    ASSERT_EQ(r.endpoint.sent.size(), 1u);
    EXPECT_EQ(r.endpoint.sent[0].bytes, hex("A1 14 02 00 00 FF"));
    r.endpoint.deliver(parameterReply(card(1)));
    EXPECT_EQ(r.status, 0);
    const QJsonObject profile = QJsonDocument::fromJson(r.outText.toUtf8()).object();
    EXPECT_EQ(profile[u"format"].toString(), u"ledcardctl-profile"_qs);
    EXPECT_EQ(profile[u"card"].toObject()[u"mac"].toString(), u"00:1A:2B:00:00:01"_qs);
    const QJsonObject p = profile[u"parameters"].toObject();
    EXPECT_EQ(p[u"display.width"].toInt(), 128);
    EXPECT_EQ(p[u"network.ip"].toString(), u"192.168.1.100"_qs);
    EXPECT_EQ(p[u"server.port"].toInt(), 8800);
    EXPECT_EQ(p[u"display.night_brightness"].toObject()[u"position"].toInt(), 3);
}

TEST(Runner, ReadOfACardThatDoesNotAnswerExitsWith4) {
    Command r({u"read"_qs, u"00:1A:2B:00:00:09"_qs});
    r.clock.runUntil(5999);
    EXPECT_EQ(r.status, -1);
    r.clock.runUntil(6000);
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.errText, u"00:1A:2B:00:00:09 did not answer.\n"_qs);
    EXPECT_TRUE(r.outText.isEmpty());
}

TEST(Runner, SearchPrintsTheCardsAndExits4WhenNoneAnswered) {
    Command found({u"search"_qs, u"--times"_qs, u"2"_qs, u"--format"_qs, u"csv"_qs});
    found.clock.runUntil(1200);
    found.endpoint.deliver(testsupport::searchAnswer("00 1A 2B 00 00 01", "C0 A8 01 64"));
    found.clock.runUntil(2000);
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.outText, u"number,name,mac,ip,version,conflicts\r\n"
                             u"1,LED,00:1A:2B:00:00:01,192.168.1.100,60,\r\n"_qs);

    Command none({u"search"_qs, u"--times"_qs, u"2"_qs});
    none.clock.runUntil(2000);
    EXPECT_EQ(none.status, 4);
    EXPECT_EQ(none.errText, u"No card answered the search.\n"_qs);
}

// A card's name is whatever the card sends: one that a spreadsheet would run as a formula is
// printed as text.
TEST(Runner, SearchCsvKeepsAFormulaNameAsText) {
    Command r({u"search"_qs, u"--times"_qs, u"2"_qs, u"--format"_qs, u"csv"_qs});
    r.clock.runUntil(1200);
    r.endpoint.deliver(testsupport::searchAnswer("00 1A 2B 00 00 01", "C0 A8 01 64", "3C",
                                                 "=HYPERLINK(\"http://x\",\"y\")"));
    r.clock.runUntil(2000);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.outText, u"number,name,mac,ip,version,conflicts\r\n"
                         u"1,\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",00:1A:2B:00:00:01,"
                         u"192.168.1.100,60,\r\n"_qs);
}

TEST(Runner, WriteReadsChangesWritesAndConfirms) {
    Command r({u"write"_qs, u"00:1A:2B:00:00:01"_qs, u"--set"_qs, u"network.ip=192.168.1.150"_qs,
               u"--format"_qs, u"json"_qs, u"--no-search"_qs});
    r.endpoint.deliver(parameterReply(card(1)));
    ASSERT_EQ(r.endpoint.sent.size(), 2u);
    EXPECT_EQ(r.endpoint.sent[1].bytes.mid(31, 8), hex("A1 35 04 C0 A8 01 96 FF"));
    r.clock.runUntil(5000);
    r.endpoint.deliver(parameterReply(card(1, "C0 A8 01 96")));
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
    Command r({u"write"_qs, u"00:1A:2B:00:00:01"_qs, u"--set"_qs, u"network.ip=192.168.1.150"_qs,
               u"--no-search"_qs});
    r.endpoint.deliver(parameterReply(card(1)));
    for (std::int64_t t : {5000, 7000, 9000}) {
        r.clock.runUntil(t);
        r.endpoint.deliver(parameterReply(card(1)));
    }
    r.clock.runUntil(11000);
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.outText.contains(
        u"the card reads back other values: network.ip is 192.168.1.100 (written: 192.168.1.150)"_qs))
        << r.outText.toStdString();
    EXPECT_TRUE(r.outText.contains(
        u"1 cards: 0 confirmed, 1 not confirmed, 0 no answer, 0 refused, 0 stopped"_qs));
}

// A change that no card of this family can take is refused before the first read.
TEST(Runner, AChangeThatCannotApplyIsRefusedBeforeAnythingIsSent) {
    Command dns({u"write"_qs, u"00:1A:2B:00:00:01"_qs, u"--set"_qs, u"dns.address=8.8.8.8"_qs});
    EXPECT_EQ(dns.status, 2);
    EXPECT_TRUE(dns.endpoint.sent.empty());
    EXPECT_TRUE(dns.errText.contains(u"dns.address"_qs)) << dns.errText.toStdString();

    // With DHCP 1 the same change goes ahead.
    protocol::CardProfile dhcp;
    dhcp.dhcp = 1;
    Command ok({u"write"_qs, u"00:1A:2B:00:00:01"_qs, u"--set"_qs, u"dns.address=8.8.8.8"_qs,
                u"--no-search"_qs},
               dhcp);
    EXPECT_EQ(ok.status, -1);
    EXPECT_EQ(ok.endpoint.sent.size(), 1u);

    // A colour position a two-colour family does not have.
    protocol::CardProfile twoColours;
    twoColours.cardColor = 2;
    Command colour({u"write"_qs, u"00:1A:2B:00:00:01"_qs, u"--set"_qs, u"display.color=2"_qs},
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
    Command r({u"apply"_qs, u"p.json"_qs, u"--to"_qs,
               u"00:1A:2B:00:00:01,00:1A:2B:00:00:02,00:1A:2B:00:00:03"_qs, u"--ip-from"_qs,
               u"192.168.1.150"_qs, u"--no-search"_qs},
              {}, {{u"p.json"_qs, profile}});
    for (int k : {3, 1, 2}) {
        r.endpoint.deliver(parameterReply(card(k)));
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
    Command r({u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"00:1A:2B:00:00:02"_qs, u"--no-search"_qs},
              {}, {{u"p.json"_qs, card1Profile()}});
    r.endpoint.deliver(parameterReply(card(2)));
    ASSERT_EQ(r.endpoint.sent.size(), 2u);
    EXPECT_EQ(r.endpoint.sent[1].bytes.mid(31, 8), hex("A1 35 04 C0 A8 01 65 FF"));
    EXPECT_EQ(r.endpoint.sent[1].bytes.mid(69, 10), hex("A1 32 06 00 1A 2B 00 00 02 FF"));
}

// A dry run has no endpoint to send through and prints the write a read of the base file's
// values would lead to.
TEST(Runner, DryRunPrintsTheDatagramAndSendsNothing) {
    Command r({u"write"_qs, u"00:1A:2B:00:00:01"_qs, u"--set"_qs, u"display.width=300"_qs,
               u"--dry-run"_qs, u"--base"_qs, u"card1.json"_qs, u"--format"_qs, u"json"_qs},
              {}, {{u"card1.json"_qs, card1Profile()}});
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
    Command r({u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"00:1A:2B:00:00:01,00:1A:2B:00:00:02"_qs,
               u"--ip-from"_qs, u"192.168.1.150"_qs, u"--dry-run"_qs, u"--base"_qs, u"p.json"_qs,
               u"--format"_qs, u"json"_qs},
              {}, {{u"p.json"_qs, card1Profile()}});
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
        ReplyFields read = card(1);
        read.version = c.version;
        Command dry({u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"192.168.1.100"_qs, u"--dry-run"_qs,
                     u"--base"_qs, u"p.json"_qs, u"--format"_qs, u"json"_qs},
                    {}, {{u"p.json"_qs, profileOf(read)}});
        const auto lines = dry.jsonLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0][u"to"].toString(),
                  c.byMac ? u"255.255.255.255"_qs : u"192.168.1.100"_qs);
        EXPECT_EQ(lines[0][u"broadcast"].toBool(), c.byMac);
        EXPECT_EQ(lines[0][u"bytes"].toString().left(8), c.byMac ? u"A1 30 06"_qs : u"A1 21 11"_qs);
    }
}

// Ctrl+C while the cards are read: no card has been written yet, none is. Ctrl+C once they
// are written: each is reported written and unconfirmed, and nothing more is sent.
TEST(Runner, InterruptStopsSendingAndReportsEachCard) {
    const QStringList args{
        u"apply"_qs,      u"p.json"_qs, u"--to"_qs,     u"00:1A:2B:00:00:01,00:1A:2B:00:00:02"_qs,
        u"--parallel"_qs, u"1"_qs,      u"--format"_qs, u"json"_qs,
        u"--no-search"_qs};
    const std::map<QString, QByteArray> files{{u"p.json"_qs, card1Profile()}};
    const auto byCard = [](const std::vector<QJsonObject>& lines) {
        std::map<QString, QJsonObject> out;
        for (const QJsonObject& l : lines) {
            out[l[u"card"].toString()] = l;
        }
        return out;
    };

    Command reading(args, {}, files);
    reading.endpoint.deliver(parameterReply(card(1)));
    EXPECT_EQ(reading.endpoint.sent.size(), 2u); // read 1, read 2: no write before every read
    reading.runner->interrupt();
    EXPECT_EQ(reading.status, 130);
    reading.clock.runUntil(20000);
    EXPECT_EQ(reading.endpoint.sent.size(), 2u);
    auto lines = byCard(reading.jsonLines());
    ASSERT_EQ(lines.size(), 2u);
    for (const auto& [given, line] : lines) {
        EXPECT_EQ(line[u"outcome"].toString(), u"cancelled"_qs) << given.toStdString();
        EXPECT_EQ(line[u"written"].toBool(), false);
    }
    EXPECT_TRUE(reading.errText.contains(u"Stopped by Ctrl+C: 0 of 2 cards written"_qs));

    Command waiting(args, {}, files);
    waiting.endpoint.deliver(parameterReply(card(1)));
    waiting.endpoint.deliver(parameterReply(card(2)));
    waiting.clock.advance(1); // the second write leaves after a turn of the loop
    const std::size_t sent = waiting.endpoint.sent.size();
    EXPECT_EQ(sent, 4u); // read 1, read 2, write 1, write 2
    waiting.runner->interrupt();
    EXPECT_EQ(waiting.status, 130);
    waiting.clock.runUntil(20000);
    EXPECT_EQ(waiting.endpoint.sent.size(), sent);
    lines = byCard(waiting.jsonLines());
    ASSERT_EQ(lines.size(), 2u);
    for (const auto& [given, line] : lines) {
        EXPECT_EQ(line[u"outcome"].toString(), u"not-confirmed"_qs) << given.toStdString();
        EXPECT_EQ(line[u"written"].toBool(), true);
        EXPECT_EQ(line[u"detail"].toString(), u"stopped before the read-back"_qs);
    }
    EXPECT_TRUE(waiting.errText.contains(u"Stopped by Ctrl+C: 2 of 2 cards written"_qs));
}
