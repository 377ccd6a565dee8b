// write, apply and restore with their safeguards, against a fake endpoint on a manual clock:
// the search first and the checks before any write, the backup and journal lines around each
// write, the dry run that reads, the cards of a search or a file, restore and journal.

#include "FakeRun.h"
#include "fleet/CardFamily.h"
#include "fleet/Records.h"

#include <QDir>
#include <QFile>

using ctltest::Answer;
using ctltest::FakeRun;
using ctltest::MacText;
using ctltest::Reply;
using testsupport::qt::hex;

namespace {

const QByteArray kProfile =
    "{\"format\": \"ledcardctl-profile\", \"version\": 1, \"parameters\": {\n"
    "\"display.width\": 256, \"network.mask\": \"255.255.255.0\", "
    "\"network.gateway\": \"192.168.1.1\"}}\n";

// The backups of the run, in name order: MAC and IP as they were read.
QStringList Backups(const QString& data) {
    QStringList out;
    const QDir runs(data + u"/backups"_qs);
    for (const QString& run : runs.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QFileInfo& f : QDir(runs.filePath(run)).entryInfoList({u"*.json"_qs})) {
            QFile file(f.filePath());
            file.open(QIODevice::ReadOnly);
            const QJsonObject p = QJsonDocument::fromJson(file.readAll()).object();
            out << f.fileName() + u' ' + p[u"parameters"][u"network.ip"].toString() + u' ' +
                       QString::number(p[u"parameters"][u"display.width"].toInt());
        }
    }
    return out;
}

// "MAC outcome" per journal line.
QStringList Journal(const QString& data) {
    QStringList lines;
    for (const fleet::JournalEntry& e : fleet::ReadJournal(data + u"/journal.jsonl"_qs).entries) {
        lines << QString::fromStdString(e.mac + " " + e.outcome);
    }
    return lines;
}

class SafeWrites : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString data() const { return dir_.filePath(u"data"_qs); }
    // From 192.168.1.10/24, the records in data() unless given.
    FakeRun run(const QStringList& args, const QString& folder = {}) const {
        return FakeRun(args, {{u"p.json"_qs, kProfile}}, {}, folder.isEmpty() ? data() : folder,
                       {{"192.168.1.10", "255.255.255.0"}});
    }
    QTemporaryDir dir_;
};

} // namespace

// Each check refuses the run after the reads and before any write, names the cards and records
// nothing. Card 3 (192.168.1.102) is found by the search and not part of the run.
TEST_F(SafeWrites, TheChecksRefuseBeforeAnyWrite) {
    const struct {
        const char* what;
        QStringList args;
        std::vector<int> found; // by the search; those of the run answer their reads
        const char* version;
        int held;          // cards of the run, read and not written
        QStringList named; // in the findings
    } cases[] = {
        {"an address a card outside the run holds",
         {u"apply"_qs, u"p.json"_qs, u"--to"_qs, MacText(1), u"--ip-from"_qs, u"192.168.1.102"_qs},
         {1, 2, 3},
         "3C",
         1,
         {u"192.168.1.102 is already the address of"_qs, MacText(3)}},
        {"one address for two cards of the run",
         {u"write"_qs, u"--to-found"_qs, u"--set"_qs, u"network.ip=192.168.1.150"_qs},
         {1, 2},
         "3C",
         2,
         {MacText(1), MacText(2), u"is given 192.168.1.150 in this run as well"_qs}},
        {"another subnet, firmware 60, not allowed",
         {u"write"_qs, MacText(1), u"--set"_qs, u"network.ip=10.0.0.5"_qs, u"--set"_qs,
          u"network.gateway=10.0.0.1"_qs},
         {1},
         "3C",
         1,
         {u"10.0.0.5 is in none of"_qs, u"--allow-other-subnet lets cards"_qs}},
        {"another subnet, firmware 53, allowed all the same",
         {u"write"_qs, u"192.168.1.100"_qs, u"--set"_qs, u"network.ip=10.0.0.5"_qs, u"--set"_qs,
          u"network.gateway=10.0.0.1"_qs, u"--allow-other-subnet"_qs},
         {1},
         "35",
         1,
         {u"could not be reached again"_qs}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRun r = run(c.args + QStringList{u"--times"_qs, u"2"_qs, u"--format"_qs, u"json"_qs});
        std::vector<QByteArray> answers;
        for (const int k : c.found) {
            answers.push_back(Answer(k, 0, c.version));
        }
        r.search(answers);
        for (const int k : c.found) {
            r.endpoint.deliver(Reply(k, 0, c.version));
        }
        r.clock.advance(20000);
        EXPECT_EQ(r.status, 2);
        EXPECT_FALSE(r.kinds().contains(u"write"_qs)) << r.kinds().join(u' ').toStdString();
        EXPECT_TRUE(
            r.errors().startsWith(u"No card was written: the checks refuse this run:\n"_qs));
        for (const QString& n : c.named) {
            EXPECT_TRUE(r.errors().contains(n)) << r.errors().toStdString();
        }
        EXPECT_EQ(r.text().count(u"\"outcome\":\"held\""_qs), c.held);
        EXPECT_FALSE(QDir(data()).exists());
    }

    // Firmware 60 stays reachable by MAC: --allow-other-subnet lets its write through.
    FakeRun allowed =
        run({u"write"_qs, MacText(1), u"--set"_qs, u"network.ip=10.0.0.5"_qs, u"--set"_qs,
             u"network.gateway=10.0.0.1"_qs, u"--allow-other-subnet"_qs, u"--times"_qs, u"2"_qs});
    allowed.search({Answer(1)});
    allowed.endpoint.deliver(Reply(1));
    EXPECT_EQ(allowed.kinds().count(u"write"_qs), 1);
    EXPECT_TRUE(allowed.errors().startsWith(
        u"Written all the same (--allow-other-subnet):\n  LED (00:1A:2B:00:00:01, 192.168.1.100): "
        u"network.ip: 10.0.0.5 is in none of this computer's subnets (192.168.1.0/24)"_qs))
        << allowed.errors().toStdString();
}

TEST_F(SafeWrites, NoSearchSaysTheConflictsWereNotChecked) {
    FakeRun r =
        run({u"write"_qs, MacText(1), u"--set"_qs, u"display.width=300"_qs, u"--no-search"_qs});
    EXPECT_EQ(r.kinds(), QStringList{u"read"_qs});
    EXPECT_EQ(r.errors(), u"--no-search: no search first, so addresses that other cards hold "
                          u"were not checked.\n"_qs);
    r.endpoint.deliver(Reply(1));
    EXPECT_EQ(r.kinds().count(u"write"_qs), 1);
}

// Before a write leaves, the card's values as read are saved and the journal says "sent"; the
// outcome follows once known.
TEST_F(SafeWrites, EachWriteIsBackedUpAndJournalled) {
    FakeRun r = run({u"apply"_qs, u"p.json"_qs, u"--to"_qs, MacText(1) + u',' + MacText(2),
                     u"--ip-from"_qs, u"192.168.1.150"_qs, u"--times"_qs, u"2"_qs});
    r.search({Answer(1), Answer(2), Answer(3)});
    r.endpoint.deliver(Reply(2));
    r.endpoint.deliver(Reply(1));
    EXPECT_EQ(r.kinds().count(u"write"_qs), 2);
    EXPECT_EQ(Journal(data()), (QStringList{MacText(1) + u" sent"_qs, MacText(2) + u" sent"_qs}));
    // As read, not as written.
    EXPECT_EQ(Backups(data()), (QStringList{u"00-1A-2B-00-00-01.json 192.168.1.100 128"_qs,
                                            u"00-1A-2B-00-00-02.json 192.168.1.101 128"_qs}));
    r.confirm({Reply(1, 150), Reply(2, 151)});
    EXPECT_EQ(r.status, 0);
    const auto entries = fleet::ReadJournal(data() + u"/journal.jsonl"_qs).entries;
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[3].outcome, "confirmed");
    const fleet::JournalEntry& one = entries[0];
    EXPECT_EQ(one.program + " " + one.ipBefore + " " + one.ipAfter,
              "ledcardctl 192.168.1.100 192.168.1.150");
    EXPECT_TRUE(QDir::fromNativeSeparators(QString::fromStdString(one.backup))
                    .endsWith(u"/00-1A-2B-00-00-01.json"_qs))
        << one.backup;
    ASSERT_EQ(one.changes.size(), 2u);
    EXPECT_EQ(fleet::ChangeText(one.changes[0]), "display.width: 128 -> 256");
    EXPECT_TRUE(r.errors().contains(u"Backups in "_qs)) << r.errors().toStdString();
}

// A backup that cannot be saved keeps its card from being written, the message naming where; a
// journal that cannot be written is said once, and the cards, backed up, are written.
TEST_F(SafeWrites, RecordsThatCannotBeSaved) {
    const QString blocked = dir_.filePath(u"blocked"_qs);
    QFile blocker(blocked);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder would be
    blocker.close();
    FakeRun noBackup =
        run({u"write"_qs, MacText(1), u"--set"_qs, u"display.width=300"_qs, u"--times"_qs, u"2"_qs},
            blocked);
    noBackup.search({Answer(1)});
    noBackup.endpoint.deliver(Reply(1));
    noBackup.clock.advance(20000);
    EXPECT_EQ(noBackup.status, 2);
    EXPECT_FALSE(noBackup.kinds().contains(u"write"_qs));
    // Paths are named as the system writes them: with backslashes on Windows.
    EXPECT_TRUE(noBackup.text().contains(QDir::toNativeSeparators(blocked)))
        << noBackup.text().toStdString();

    ASSERT_TRUE(QDir().mkpath(data() + u"/journal.jsonl"_qs)); // a folder where the file would be
    FakeRun noJournal = run({u"apply"_qs, u"p.json"_qs, u"--to"_qs, MacText(1) + u',' + MacText(2),
                             u"--times"_qs, u"2"_qs});
    noJournal.search({Answer(1), Answer(2)});
    noJournal.endpoint.deliver(Reply(1));
    noJournal.endpoint.deliver(Reply(2));
    EXPECT_EQ(noJournal.kinds().count(u"write"_qs), 2);
    EXPECT_EQ(Backups(data()).size(), 2);
    noJournal.confirm({Reply(1), Reply(2)});
    EXPECT_EQ(noJournal.status, 0);
    EXPECT_EQ(noJournal.errors().count(u"Cannot write to the journal "_qs), 1)
        << noJournal.errors().toStdString();
}

// A dry run reads the cards, checks and prints what would change, the datagram only with --hex;
// it writes and records nothing.
TEST_F(SafeWrites, DryRunReadsTheCardsAndPrintsWhatWouldChange) {
    for (const bool withHex : {false, true}) {
        SCOPED_TRACE(withHex);
        QStringList args{u"write"_qs,     MacText(1),    u"--set"_qs, u"display.width=300"_qs,
                         u"--dry-run"_qs, u"--times"_qs, u"2"_qs};
        if (withHex) {
            args << u"--hex"_qs;
        }
        FakeRun r = run(args);
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

    // In JSON, the journal's keys for a card it would write.
    FakeRun json = run({u"apply"_qs, u"p.json"_qs, u"--to"_qs, MacText(1) + u',' + MacText(9),
                        u"--ip-from"_qs, u"192.168.1.150"_qs, u"--dry-run"_qs, u"--times"_qs,
                        u"2"_qs, u"--format"_qs, u"json"_qs});
    json.search({Answer(1)});
    json.endpoint.deliver(Reply(1));
    json.clock.advance(20000);
    EXPECT_EQ(json.status, 4); // card 9 did not answer
    const QStringList lines = json.text().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    QJsonObject one = QJsonDocument::fromJson(lines[0].toUtf8()).object();
    EXPECT_EQ(one.take(u"card"_qs).toString(), MacText(1));
    EXPECT_EQ(one.keys(),
              (QStringList{u"backup"_qs, u"changes"_qs, u"firmware"_qs, u"ipAfter"_qs,
                           u"ipBefore"_qs, u"mac"_qs, u"outcome"_qs, u"program"_qs, u"time"_qs}));
    EXPECT_EQ(one[u"ipAfter"].toString(), u"192.168.1.150"_qs);
    EXPECT_EQ(QJsonDocument::fromJson(lines[1].toUtf8())[u"outcome"].toString(), u"no-answer"_qs);
}

// --to-found: every card the search found, firmware 54 and later by MAC, older at its IP; with
// --ip-from the cards found are counted against the subnet.
TEST_F(SafeWrites, ToFoundTakesEveryCardTheSearchFound) {
    FakeRun r = run({u"write"_qs, u"--to-found"_qs, u"--set"_qs, u"display.width=300"_qs,
                     u"--times"_qs, u"2"_qs});
    r.search({Answer(1), Answer(2, 0, "35")});
    ASSERT_EQ(r.endpoint.sent.size(), 3u);
    EXPECT_EQ(r.endpoint.sent[1].bytes, hex("A1 44 06 00 1A 2B 00 00 01 FF"));
    EXPECT_EQ(r.endpoint.sent[2].host, u"192.168.1.101"_qs);
    EXPECT_EQ(r.endpoint.sent[2].bytes, hex("A1 14 02 00 00 FF"));

    FakeRun none = run({u"write"_qs, u"--to-found"_qs, u"--set"_qs, u"display.width=300"_qs,
                        u"--times"_qs, u"2"_qs});
    none.search({});
    EXPECT_EQ(none.status, 4);
    EXPECT_EQ(none.errors(), u"No card answered the search.\n"_qs);

    FakeRun past = run({u"apply"_qs, u"p.json"_qs, u"--to-found"_qs, u"--ip-from"_qs,
                        u"192.168.1.254"_qs, u"--times"_qs, u"2"_qs});
    past.search({Answer(1), Answer(2)});
    EXPECT_EQ(past.status, 2);
    EXPECT_EQ(past.kinds(), QStringList{u"search"_qs});
    EXPECT_TRUE(past.errors().contains(u"include 192.168.1.255"_qs));
}

// Each backup is written back to its card, found by its MAC at the address it has now, network
// values included. A file that is no profile and a backup whose card did not answer are named
// and the rest goes on.
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
    QFile bad(dir_.filePath(u"notes.json"_qs));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a profile\n");
    bad.close();
    FakeRun r = run({u"restore"_qs, bad.fileName(), folder, u"--times"_qs, u"2"_qs, u"--format"_qs,
                     u"json"_qs});
    // The cards answer at the addresses a run gave them since.
    r.search({Answer(1, 150), Answer(2, 151, "35"), Answer(3, 152)});
    const QStringList errors = r.errors().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[0].startsWith(QDir::toNativeSeparators(bad.fileName())))
        << errors[0].toStdString();
    EXPECT_TRUE(errors[1].endsWith(u"card4.json: no card with the MAC address 00:1A:2B:00:00:04 "
                                   u"answered the search; not restored."_qs))
        << errors[1].toStdString();
    ASSERT_EQ(r.endpoint.sent.size(), 3u);
    EXPECT_EQ(r.endpoint.sent[1].bytes, hex("A1 44 06 00 1A 2B 00 00 01 FF"));
    EXPECT_EQ(r.endpoint.sent[2].host, u"192.168.1.151"_qs);
    r.endpoint.deliver(Reply(1, 150));
    r.endpoint.deliver(Reply(2, 151, "35"));
    ASSERT_EQ(r.endpoint.sent.size(), 5u);
    EXPECT_EQ(r.endpoint.sent[3].bytes.mid(31, 8), hex("A1 35 04 C0 A8 01 64 FF")); // .100 again
    r.confirm({Reply(1), Reply(2, 0, "35")});
    EXPECT_EQ(r.status, 4); // both confirmed; the missing one counts
    EXPECT_EQ(r.text().count(u"\"outcome\":\"confirmed\""_qs), 2) << r.text().toStdString();
    EXPECT_EQ(Backups(data()).size(), 2); // a restore is backed up too
}

// The journal of a run killed after its write, with a line a crash cut off: the rest is
// printed, the write shown as stopped, the cut line named.
TEST_F(SafeWrites, JournalPrintsEachWriteAndNamesACutLine) {
    {
        FakeRun w = run({u"write"_qs, MacText(1), u"--set"_qs, u"display.width=300"_qs,
                         u"--times"_qs, u"2"_qs});
        w.search({Answer(1)});
        w.endpoint.deliver(Reply(1));
        ASSERT_EQ(w.kinds().count(u"write"_qs), 1);
    }
    const QString path = data() + u"/journal.jsonl"_qs;
    QFile journal(path);
    ASSERT_TRUE(journal.open(QIODevice::Append));
    journal.write("{\"time\": \"2026-12-09T10:");
    journal.close();

    FakeRun csv = run({u"journal"_qs, u"--format"_qs, u"csv"_qs});
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.errors(), path + u":2: not a complete journal line; skipped.\n"_qs);
    const QStringList rows = csv.text().split(u"\r\n"_qs, Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(
        rows[1].startsWith(u"2026-12-09T10:00:00+08:00,ledcardctl,00:1A:2B:00:00:01,60,"
                           u"192.168.1.100,192.168.1.100,stopped,display.width: 128 -> 300,"_qs))
        << rows[1].toStdString();

    FakeRun other = run({u"journal"_qs, u"--card"_qs, u"00-1a-2b-00-00-02"_qs});
    EXPECT_EQ(other.status, 0);
    EXPECT_TRUE(other.text().isEmpty());
    EXPECT_TRUE(other.errors().endsWith(u"records no write.\n"_qs));
}
