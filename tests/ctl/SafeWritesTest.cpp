// write, apply and restore with their safeguards, against a fake endpoint on a manual clock:
// the search first and the checks before any write, the backup and journal lines around each
// write, the dry run that reads, the cards of a search or a file, restore and journal.

#include "ctl/CommandLine.h"
#include "ctl/Runner.h"
#include "fleet/CardFamily.h"
#include "fleet/Profile.h"
#include "fleet/Records.h"
#include "support/CardBytes.h"
#include "support/FakeEndpoint.h"
#include "support/ManualScheduler.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <map>

using testsupport::FakeEndpoint;
using testsupport::ManualScheduler;
using testsupport::parameterReply;
using testsupport::ReplyFields;
using testsupport::searchAnswer;
using testsupport::qt::hex;

namespace {

constexpr std::int64_t kSearchEnd = 1250; // --times 2: one request at 1200 ms, 50 ms to settle

// Card k: MAC 00:1A:2B:00:00:0k, IP 192.168.1.(99 + k) unless given, firmware 60 unless given.
std::string Mac(int k) {
    return "00 1A 2B 00 00 0" + std::to_string(k);
}
QString MacText(int k) {
    return QStringLiteral("00:1A:2B:00:00:0%1").arg(k);
}
std::string Ip(int octet) {
    return "C0 A8 01 " + QByteArray::number(octet, 16).toUpper().toStdString();
}
QByteArray Reply(int k, int octet = 0, const char* version = "3C") {
    ReplyFields f;
    f.mac = Mac(k);
    f.ip = Ip(octet ? octet : 99 + k);
    f.version = version;
    return parameterReply(f);
}
QByteArray Answer(int k, int octet = 0, const char* version = "3C") {
    return searchAnswer(Mac(k), Ip(octet ? octet : 99 + k), version);
}

const QByteArray kProfile =
    "{\"format\": \"ledcardctl-profile\", \"version\": 1, \"parameters\": {\n"
    "\"display.width\": 256, \"network.mask\": \"255.255.255.0\", "
    "\"network.gateway\": \"192.168.1.1\"}}\n";

struct CtlRun {
    FakeEndpoint endpoint;
    ManualScheduler clock;
    QString data; // the data folder: backups and journal
    QString outText;
    QString errText;
    QTextStream out{&outText};
    QTextStream err{&errText};
    std::map<QString, QByteArray> files;
    std::unique_ptr<ctl::Runner> runner;
    int status = -1;

    CtlRun(const QStringList& args, const QString& dataFolder,
           std::map<QString, QByteArray> f = {{u"p.json"_qs, kProfile}},
           std::vector<fleet::LocalSubnet> local = {{"192.168.1.10", "255.255.255.0"}})
        : data(dataFolder), files(std::move(f)) {
        const ctl::Parsed parsed =
            ctl::ParseCommandLine(args, ctl::Environment{}, [this](const QString& path, QString*) {
                const auto it = files.find(path);
                return it == files.end() ? std::nullopt : std::optional<QByteArray>(it->second);
            });
        EXPECT_EQ(parsed.outcome, ctl::Parsed::Outcome::Run) << parsed.text.toStdString();
        ctl::Runner::Context context;
        context.endpoint = &endpoint;
        context.scheduler = &clock;
        context.out = &out;
        context.err = &err;
        context.dataFolder = data;
        context.localSubnets = std::move(local);
        context.now = [] {
            return QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0), QTimeZone(8 * 3600));
        };
        runner = std::make_unique<ctl::Runner>(parsed.command, context);
        runner->start([this](int s) { status = s; });
    }

    // The search's one request, the answers to it, and its end.
    void search(const std::vector<QByteArray>& answers) {
        clock.runUntil(1200);
        for (const QByteArray& a : answers) {
            endpoint.deliver(a);
        }
        clock.runUntil(kSearchEnd);
    }
    // Every card's confirming read-back 5 s after its write.
    void confirm(const std::vector<QByteArray>& replies) {
        clock.advance(5000);
        for (const QByteArray& r : replies) {
            endpoint.deliver(r);
        }
    }
    std::vector<QByteArray> writes() const {
        std::vector<QByteArray> w;
        for (const auto& s : endpoint.sent) {
            if (s.bytes.size() > 20) { // search and reads are 6 and 10 bytes
                w.push_back(s.bytes);
            }
        }
        return w;
    }
    QStringList kinds() const { // what went out, in order
        QStringList k;
        for (const auto& s : endpoint.sent) {
            k << (s.bytes.size() > 20                ? u"write"_qs
                  : s.bytes.startsWith(hex("A1 15")) ? u"search"_qs
                                                     : u"read"_qs);
        }
        return k;
    }
    QString text() {
        out.flush();
        return outText;
    }
    QString errors() {
        err.flush();
        return errText;
    }
};

QStringList BackupFiles(const QString& data) {
    QStringList files;
    QDirIterator it(data + u"/backups"_qs, {u"*.json"_qs}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << it.next();
    }
    files.sort();
    return files;
}

fleet::Profile ProfileIn(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray bytes = f.readAll();
    auto parsed = fleet::ParseProfile(
        std::string_view(bytes.constData(), std::size_t(bytes.size())), path.toStdString());
    EXPECT_TRUE(std::holds_alternative<fleet::Profile>(parsed)) << path.toStdString();
    return std::holds_alternative<fleet::Profile>(parsed) ? std::get<fleet::Profile>(parsed)
                                                          : fleet::Profile{};
}

std::string Value(const fleet::Profile& p, const char* name) {
    for (const fleet::Setting& s : p.settings) {
        if (s.parameter->name == name) {
            return s.position >= 0 ? std::to_string(s.position) : s.text;
        }
    }
    return "?";
}

// "MAC outcome" per journal line.
std::vector<std::string> JournalLines(const QString& data) {
    std::vector<std::string> lines;
    for (const fleet::JournalEntry& e : fleet::ReadJournal(data + u"/journal.jsonl"_qs).entries) {
        lines.push_back(e.mac + " " + e.outcome);
    }
    return lines;
}

class SafeWrites : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString data() const { return dir_.filePath(u"data"_qs); }
    QTemporaryDir dir_;
};

} // namespace

// Card 3 keeps 192.168.1.102 and is not part of the run: giving it to card 1 is refused after
// the reads, before any write, and nothing is recorded.
TEST_F(SafeWrites, AnAddressAnotherCardHoldsIsRefusedBeforeAnyWrite) {
    CtlRun r({u"apply"_qs, u"p.json"_qs, u"--to"_qs, MacText(1), u"--ip-from"_qs,
              u"192.168.1.102"_qs, u"--times"_qs, u"2"_qs},
             data());
    EXPECT_EQ(r.kinds(), QStringList{}); // the search's request waits for its first tick
    r.search({Answer(1), Answer(2), Answer(3)});
    EXPECT_EQ(r.kinds(), (QStringList{u"search"_qs, u"read"_qs}));
    r.endpoint.deliver(Reply(1));
    r.clock.advance(20000);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.kinds(), (QStringList{u"search"_qs, u"read"_qs}));
    const QStringList err = r.errors().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(err.size(), 2) << r.errors().toStdString();
    EXPECT_EQ(err[0], u"No card was written: the checks refuse this run:"_qs);
    EXPECT_TRUE(err[1].contains(u"192.168.1.102"_qs) && err[1].contains(MacText(3)))
        << err[1].toStdString();
    EXPECT_TRUE(r.text().contains(u"held back, not written"_qs)) << r.text().toStdString();
    EXPECT_FALSE(QDir(data()).exists(u"backups"_qs));
    EXPECT_TRUE(JournalLines(data()).empty());
}

// Every card of the run that gets the same address is named, and nothing is written.
TEST_F(SafeWrites, TwoCardsOfOneRunGivenOneAddressAreBothListed) {
    CtlRun r({u"write"_qs, u"--to-found"_qs, u"--set"_qs, u"network.ip=192.168.1.150"_qs,
              u"--times"_qs, u"2"_qs, u"--format"_qs, u"json"_qs},
             data());
    r.search({Answer(1), Answer(2)});
    r.endpoint.deliver(Reply(1));
    r.endpoint.deliver(Reply(2));
    r.clock.advance(20000);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.writes().empty());
    const QString err = r.errors();
    EXPECT_TRUE(err.contains(MacText(1)) && err.contains(MacText(2))) << err.toStdString();
    EXPECT_EQ(r.text().count(u"\"outcome\":\"held\""_qs), 2) << r.text().toStdString();
}

// Outside the local subnet: a card read by MAC goes through with --allow-other-subnet, one of
// firmware 53, which could not be reached again, never does.
TEST_F(SafeWrites, AnotherSubnetIsLetThroughOnlyByMacAndOnlyWhenAllowed) {
    const struct {
        const char* version;
        bool allow;
        int status; // before any read-back: -1 while the written card waits
        int writes;
    } cases[] = {
        {"3C", false, 2, 0},
        {"3C", true, -1, 1},
        {"35", true, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + (c.allow ? " allowed" : ""));
        QStringList args{u"write"_qs,   u"192.168.1.100"_qs,
                         u"--set"_qs,   u"network.ip=10.0.0.5"_qs,
                         u"--set"_qs,   u"network.gateway=10.0.0.1"_qs,
                         u"--times"_qs, u"2"_qs};
        if (c.allow) {
            args << u"--allow-other-subnet"_qs;
        }
        CtlRun r(args, data());
        r.search({Answer(1, 100, c.version)});
        r.endpoint.deliver(Reply(1, 100, c.version));
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(int(r.writes().size()), c.writes);
        EXPECT_TRUE(r.errors().contains(u"10.0.0.5"_qs)) << r.errors().toStdString();
        EXPECT_EQ(r.errors().contains(u"--allow-other-subnet lets"_qs),
                  !c.allow && c.version == std::string("3C"));
    }
}

TEST_F(SafeWrites, NoSearchSaysTheConflictsWereNotChecked) {
    CtlRun r({u"write"_qs, MacText(1), u"--set"_qs, u"display.width=300"_qs, u"--no-search"_qs},
             data());
    EXPECT_EQ(r.kinds(), QStringList{u"read"_qs});
    EXPECT_EQ(r.errors(), u"--no-search: no search first, so addresses that other cards hold "
                          u"were not checked.\n"_qs);
    r.endpoint.deliver(Reply(1));
    EXPECT_EQ(r.writes().size(), 1u);
}

// Before the write leaves, the card's values as read are saved and the journal says "sent";
// the outcome follows once known.
TEST_F(SafeWrites, EachWriteIsBackedUpAndJournalled) {
    CtlRun r({u"apply"_qs, u"p.json"_qs, u"--to"_qs, MacText(1) + u',' + MacText(2),
              u"--ip-from"_qs, u"192.168.1.150"_qs, u"--times"_qs, u"2"_qs},
             data());
    r.search({Answer(1), Answer(2), Answer(3)});
    r.endpoint.deliver(Reply(2));
    r.endpoint.deliver(Reply(1));
    ASSERT_EQ(r.writes().size(), 2u);
    EXPECT_EQ(JournalLines(data()), (std::vector<std::string>{
                                        MacText(1).toStdString() + " sent",
                                        MacText(2).toStdString() + " sent",
                                    }));
    const QStringList backups = BackupFiles(data());
    ASSERT_EQ(backups.size(), 2);
    for (int k = 1; k <= 2; ++k) {
        const fleet::Profile saved = ProfileIn(backups[k - 1]);
        EXPECT_EQ(saved.card.mac, MacText(k).toStdString());
        EXPECT_EQ(Value(saved, "network.ip"), "192.168.1." + std::to_string(99 + k));
        EXPECT_EQ(Value(saved, "display.width"), "128"); // as read, not as written
    }
    r.confirm({Reply(1, 150), Reply(2, 151)});
    EXPECT_EQ(r.status, 0);
    const auto entries = fleet::ReadJournal(data() + u"/journal.jsonl"_qs).entries;
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[2].outcome, "confirmed");
    EXPECT_EQ(entries[3].outcome, "confirmed");
    const fleet::JournalEntry& one = entries[0];
    EXPECT_EQ(one.program, "ledcardctl");
    EXPECT_EQ(one.ipBefore, "192.168.1.100");
    EXPECT_EQ(one.ipAfter, "192.168.1.150");
    EXPECT_EQ(QString::fromStdString(one.backup), backups[0]);
    std::vector<std::string> changes;
    for (const auto& c : one.changes) {
        changes.push_back(fleet::ChangeText(c));
    }
    EXPECT_EQ(changes, (std::vector<std::string>{"display.width: 128 -> 256",
                                                 "network.ip: 192.168.1.100 -> 192.168.1.150"}));
    EXPECT_TRUE(r.errors().contains(u"Backups in "_qs)) << r.errors().toStdString();
}

// A backup that cannot be saved keeps its card from being written; the message names where.
TEST_F(SafeWrites, ACardWhoseBackupFailsIsNotWritten) {
    QFile blocker(data());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder would be
    blocker.close();
    CtlRun r(
        {u"write"_qs, MacText(1), u"--set"_qs, u"display.width=300"_qs, u"--times"_qs, u"2"_qs},
        data());
    r.search({Answer(1)});
    r.endpoint.deliver(Reply(1));
    r.clock.advance(20000);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.writes().empty());
    EXPECT_TRUE(r.text().contains(data())) << r.text().toStdString();
}

// A journal that cannot be written is said once; the cards, backed up, are written all the same.
TEST_F(SafeWrites, AJournalThatCannotBeWrittenIsSaidOnce) {
    ASSERT_TRUE(QDir().mkpath(data() + u"/journal.jsonl"_qs)); // a folder where the file would be
    CtlRun r({u"apply"_qs, u"p.json"_qs, u"--to"_qs, MacText(1) + u',' + MacText(2), u"--times"_qs,
              u"2"_qs},
             data());
    r.search({Answer(1), Answer(2)});
    r.endpoint.deliver(Reply(1));
    r.endpoint.deliver(Reply(2));
    EXPECT_EQ(r.writes().size(), 2u);
    EXPECT_EQ(BackupFiles(data()).size(), 2);
    r.confirm({Reply(1), Reply(2)});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.errors().count(u"Cannot write to the journal "_qs), 1) << r.errors().toStdString();
    EXPECT_TRUE(r.errors().contains(u"journal.jsonl"_qs));
}

// A dry run reads the cards, checks and prints what would change; it writes and records
// nothing. The datagram only with --hex.
TEST_F(SafeWrites, DryRunReadsTheCardsAndPrintsWhatWouldChange) {
    for (const bool withHex : {false, true}) {
        SCOPED_TRACE(withHex);
        QStringList args{u"write"_qs,     MacText(1),    u"--set"_qs, u"display.width=300"_qs,
                         u"--dry-run"_qs, u"--times"_qs, u"2"_qs};
        if (withHex) {
            args << u"--hex"_qs;
        }
        CtlRun r(args, data());
        r.search({Answer(1), Answer(2)});
        r.endpoint.deliver(Reply(1));
        r.clock.advance(20000);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.kinds(), (QStringList{u"search"_qs, u"read"_qs}));
        QString want = u"00:1A:2B:00:00:01 (MAC 00:1A:2B:00:00:01, IP 192.168.1.100):\n"
                       u"  display.width: 128 -> 300\n"_qs;
        if (withHex) {
            want += u"  00:1A:2B:00:00:01: would send 96 bytes to 255.255.255.255 port 8800 "
                    u"(broadcast)\n  A1 30 06 00 1A 2B 00 00 01 FF A1 51 11 01 01 01 2C 00 40"_qs;
        }
        EXPECT_TRUE(r.text().startsWith(want)) << r.text().toStdString();
        EXPECT_TRUE(r.text().endsWith(u"Dry run: nothing was sent.\n"_qs));
        EXPECT_FALSE(QDir(data()).exists());
    }
}

// In JSON a dry run prints a line per card with the journal's keys.
TEST_F(SafeWrites, DryRunJsonHasTheJournalsKeys) {
    CtlRun r({u"apply"_qs, u"p.json"_qs, u"--to"_qs, MacText(1) + u',' + MacText(9),
              u"--ip-from"_qs, u"192.168.1.150"_qs, u"--dry-run"_qs, u"--times"_qs, u"2"_qs,
              u"--format"_qs, u"json"_qs},
             data());
    r.search({Answer(1)});
    r.endpoint.deliver(Reply(1));
    r.clock.advance(20000);
    EXPECT_EQ(r.status, 4); // card 9 did not answer
    const QStringList lines = r.text().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QJsonObject one = QJsonDocument::fromJson(lines[0].toUtf8()).object();
    // What the journal would hold, read back as a journal line.
    QTemporaryDir dir;
    QFile journal(dir.filePath(u"journal.jsonl"_qs));
    ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
    journal.write(lines[0].toUtf8() + '\n');
    journal.close();
    const auto read = fleet::ReadJournal(journal.fileName());
    ASSERT_EQ(read.entries.size(), 1u) << lines[0].toStdString();
    EXPECT_EQ(read.entries[0].mac, MacText(1).toStdString());
    EXPECT_EQ(read.entries[0].ipAfter, "192.168.1.150");
    EXPECT_EQ(read.entries[0].changes.size(), 2u);
    EXPECT_EQ(one[u"card"].toString(), MacText(1));
    EXPECT_FALSE(one.contains(u"bytes"));
    const QJsonObject nine = QJsonDocument::fromJson(lines[1].toUtf8()).object();
    EXPECT_EQ(nine[u"outcome"].toString(), u"no-answer"_qs);
}

// --to-found writes every card the search found: firmware 54 and later by MAC, older at its IP.
TEST_F(SafeWrites, ToFoundWritesEveryCardTheSearchFound) {
    CtlRun r({u"write"_qs, u"--to-found"_qs, u"--set"_qs, u"display.width=300"_qs, u"--times"_qs,
              u"2"_qs},
             data());
    r.search({Answer(1), Answer(2, 0, "35")});
    ASSERT_EQ(r.endpoint.sent.size(), 3u);
    EXPECT_EQ(r.endpoint.sent[1].bytes, hex("A1 44 06 00 1A 2B 00 00 01 FF"));
    EXPECT_EQ(r.endpoint.sent[2].host, u"192.168.1.101"_qs);
    EXPECT_EQ(r.endpoint.sent[2].bytes, hex("A1 14 02 00 00 FF"));

    CtlRun none({u"write"_qs, u"--to-found"_qs, u"--set"_qs, u"display.width=300"_qs, u"--times"_qs,
                 u"2"_qs},
                data());
    none.search({});
    EXPECT_EQ(none.status, 4);
    EXPECT_EQ(none.errors(), u"No card answered the search.\n"_qs);
}

// --to-found with --ip-from counts the cards found against the subnet.
TEST_F(SafeWrites, ToFoundWithIpFromRefusesARunPastTheSubnet) {
    CtlRun r({u"apply"_qs, u"p.json"_qs, u"--to-found"_qs, u"--ip-from"_qs, u"192.168.1.254"_qs,
              u"--times"_qs, u"2"_qs},
             data());
    r.search({Answer(1), Answer(2)});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.kinds(), QStringList{u"search"_qs});
    EXPECT_TRUE(r.errors().contains(u"include 192.168.1.255"_qs)) << r.errors().toStdString();
}

// A backup is written back to its card, found by its MAC at the address it has now, network
// values included; a backup whose card did not answer is named and the rest goes on.
TEST_F(SafeWrites, RestoreWritesEachBackupBackByMac) {
    const fleet::CardFamily family;
    const QString folder = dir_.filePath(u"backup"_qs);
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const int k : {1, 2, 4}) {
        protocol::PanelModel panel = family.emptyPanel();
        family.apply(panel, Reply(k, 0, k == 2 ? "35" : "3C"));
        QFile f(folder + QStringLiteral("/card%1.json").arg(k));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(fleet::ProfileJson(panel, family.profile())));
    }
    CtlRun r({u"restore"_qs, folder, u"--times"_qs, u"2"_qs, u"--format"_qs, u"json"_qs}, data());
    // The cards answer at the addresses a run gave them since.
    r.search({Answer(1, 150), Answer(2, 151, "35"), Answer(3, 152)});
    const QStringList errors = r.errors().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].endsWith(u"card4.json: no card with the MAC address 00:1A:2B:00:00:04 "
                                   u"answered the search; not restored."_qs))
        << errors[0].toStdString();
    ASSERT_EQ(r.endpoint.sent.size(), 3u);
    EXPECT_EQ(r.endpoint.sent[1].bytes, hex("A1 44 06 00 1A 2B 00 00 01 FF"));
    EXPECT_EQ(r.endpoint.sent[2].host, u"192.168.1.151"_qs);
    r.endpoint.deliver(Reply(1, 150));
    r.endpoint.deliver(Reply(2, 151, "35"));
    const auto writes = r.writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].mid(31, 8), hex("A1 35 04 C0 A8 01 64 FF")); // back to .100
    r.confirm({Reply(1), Reply(2, 0, "35")});
    EXPECT_EQ(r.status, 4); // both confirmed, the missing one counts
    EXPECT_EQ(r.text().count(u"\"outcome\":\"confirmed\""_qs), 2) << r.text().toStdString();
    EXPECT_EQ(BackupFiles(data()).size(), 2); // a restore is backed up too
}

TEST_F(SafeWrites, RestoreOfAFileThatIsNoProfileSaysSoAndGoesOn) {
    const QString good = dir_.filePath(u"good.json"_qs);
    const QString bad = dir_.filePath(u"bad.json"_qs);
    {
        const fleet::CardFamily family;
        protocol::PanelModel panel = family.emptyPanel();
        family.apply(panel, Reply(1));
        QFile f(good);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(fleet::ProfileJson(panel, family.profile())));
        QFile b(bad);
        ASSERT_TRUE(b.open(QIODevice::WriteOnly));
        b.write("not a profile\n");
    }
    CtlRun r({u"restore"_qs, bad, good, u"--times"_qs, u"2"_qs, u"--dry-run"_qs}, data());
    r.search({Answer(1, 150)});
    r.endpoint.deliver(Reply(1, 150));
    r.clock.advance(20000);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.errors().contains(bad)) << r.errors().toStdString();
    EXPECT_TRUE(r.text().contains(u"  network.ip: 192.168.1.150 -> 192.168.1.100\n"_qs))
        << r.text().toStdString();
    EXPECT_TRUE(r.writes().empty());
}

// The journal of a run, with a line a crash cut off: the rest is printed, the cut line named.
TEST_F(SafeWrites, JournalPrintsEachWriteAndNamesACutLine) {
    {
        CtlRun w(
            {u"write"_qs, MacText(1), u"--set"_qs, u"display.width=300"_qs, u"--times"_qs, u"2"_qs},
            data());
        w.search({Answer(1)});
        w.endpoint.deliver(Reply(1));
        ASSERT_EQ(w.writes().size(), 1u);
        // Killed here: "sent" without an outcome. Then a line cut in the middle.
    }
    const QString path = data() + u"/journal.jsonl"_qs;
    QFile journal(path);
    ASSERT_TRUE(journal.open(QIODevice::Append));
    journal.write("{\"time\": \"2026-12-09T10:");
    journal.close();

    CtlRun csv({u"journal"_qs, u"--format"_qs, u"csv"_qs}, data());
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.errors(), path + u":2: not a complete journal line; skipped.\n"_qs);
    const QStringList rows = csv.text().split(u"\r\n"_qs, Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(
        rows[1].startsWith(u"2026-12-09T10:00:00+08:00,ledcardctl,00:1A:2B:00:00:01,60,"
                           u"192.168.1.100,192.168.1.100,stopped,display.width: 128 -> 300,"_qs))
        << rows[1].toStdString();

    CtlRun table({u"journal"_qs, u"--card"_qs, u"00-1a-2b-00-00-02"_qs}, data());
    EXPECT_EQ(table.status, 0);
    EXPECT_TRUE(table.text().isEmpty());
    EXPECT_TRUE(table.errors().endsWith(u"records no write.\n"_qs)) << table.errors().toStdString();
}
