// What a write leaves on this machine, with real files in temporary folders: the backup of a
// card before its write and its way back through the profile reader, the journal's lines byte
// for byte and read back after a crash, and every file that cannot be written or read.

#include "fleet/Records.h"

#include "fleet/DataFolder.h"
#include "protocol/PanelFixture.h"
#include "protocol/Reply.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace fleet;
using lang::LanguageId;
using protocol::Combo;
using protocol::Edit;

namespace {

// 2026-12-09 16:05:46 at UTC+1.
QDateTime At(int second = 46, int offsetSeconds = 3600) {
    return QDateTime(QDate(2026, 12, 9), QTime(16, 5, second), QTimeZone(offsetSeconds));
}

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

class RecordsTest : public PanelFixture, public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString data = tmp.path() + QStringLiteral("/data");

    // The fixture's card as read: 00:1A:2B:3C:4D:5E at 192.168.1.100, firmware 54.
    protocol::PanelModel read(const char* lastMacByte = "5E") {
        protocol::PanelModel p;
        p.SetRuntimeCounts(profile.cardColor);
        auto reply = fullReply();
        reply[8] = static_cast<std::uint8_t>(std::stoi(lastMacByte, nullptr, 16));
        protocol::applyParameterReply(p, reply, scan, profile);
        return p;
    }
    RunRecord record(std::function<QDateTime()> now = [] { return At(); }) {
        return RunRecord(data, "ledcardctl", profile, LanguageId::English, std::move(now));
    }
};

} // namespace

// Only what the operator can set counts, by its documented name in table order, as the window
// shows it; the card's own MAC and firmware never do.
TEST_F(RecordsTest, TheChangesOfAWriteAreItsSettableParametersThatDiffer) {
    const protocol::PanelModel before = read();
    EXPECT_TRUE(ParameterChanges(before, before, profile).empty());
    protocol::PanelModel after = before;
    after[Edit::PLen] = "64";
    after[Edit::IP4] = "150";
    after[Combo::Baud].index = 0;
    after[Edit::MACAddr] = "00:1A:2B:3C:4D:99";
    after[Edit::Version] = "60";
    std::vector<std::string> texts;
    for (const ParameterChange& c : ParameterChanges(before, after, profile)) {
        texts.push_back(ChangeText(c));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"display.width: 640 -> 64",
                                               "comm.baud_rate: 115200 (#4) -> 9600 (#0)",
                                               "network.ip: 192.168.1.100 -> 192.168.1.150"}));
}

TEST_F(RecordsTest, AJournalLineIsOneJsonObjectWithItsKeysInOrder) {
    JournalEntry e;
    e.time = At();
    e.program = "ledcardctl";
    e.mac = "00:1A:2B:3C:4D:5E";
    e.firmware = "54";
    e.ipBefore = "192.168.1.100";
    e.ipAfter = "192.168.1.150";
    e.changes = {{"network.ip", "192.168.1.100", "192.168.1.150"},
                 {"server.domain", "a\"b\\c", "屏\n1"}};
    e.outcome = "sent";
    e.backup = "/d/backups/2026-12-09_16-05-46/00-1A-2B-3C-4D-5E.json";
    EXPECT_EQ(JournalLine(e),
              R"({"time":"2026-12-09T16:05:46+01:00","program":"ledcardctl",)"
              R"("mac":"00:1A:2B:3C:4D:5E","firmware":"54","ipBefore":"192.168.1.100",)"
              R"("ipAfter":"192.168.1.150","changes":[{"name":"network.ip",)"
              R"("before":"192.168.1.100","after":"192.168.1.150"},{"name":"server.domain",)"
              R"("before":"a\"b\\c","after":"屏\u000a1"}],"outcome":"sent",)"
              R"("backup":"/d/backups/2026-12-09_16-05-46/00-1A-2B-3C-4D-5E.json"})");

    // The offset as it is, west of UTC and at UTC too; no changes is an empty list.
    for (const auto& [time, text] : {std::pair{At(46, -5 * 3600 - 1800), "16:05:46-05:30"},
                                     std::pair{At(7, 0), "16:05:07+00:00"}}) {
        JournalEntry bare;
        bare.time = time;
        EXPECT_EQ(JournalLine(bare), std::string(R"({"time":"2026-12-09T)") + text +
                                         R"(","program":"","mac":"","firmware":"",)"
                                         R"("ipBefore":"","ipAfter":"","changes":[],)"
                                         R"("outcome":"","backup":""})");
    }
}

// A program killed while it appended leaves a last line cut off; a bad line anywhere is named
// by its number and everything else is read.
TEST_F(RecordsTest, TheJournalIsReadPastABadLineAndALastLineCutOff) {
    RunRecord r = record();
    JournalEntry sent = r.entryFor(read(), read(), "sent", QStringLiteral("/b/x.json"));
    sent.changes = {{"display.width", "640", "64"}};
    ASSERT_FALSE(r.append(sent).has_value());
    const QByteArray good = QByteArray::fromStdString(JournalLine(sent));
    QFile f(r.journalPath());
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("{\"time\":\"yesterday\"}\n"                                      // line 2: no time
            "\n"                                                              // line 3: blank
            "{\"time\":\"2026-12-09T16:05:46+01:00\",\"changes\":\"none\"}\n" // line 4: a text
            "[1,2]\n"                                                         // line 5: no object
            + good + "\n" + good.left(good.size() / 2));                      // 6 whole, 7 cut
    f.close();

    const JournalContents j = ReadJournal(r.journalPath());
    EXPECT_TRUE(j.error.isEmpty());
    EXPECT_EQ(j.badLines, (std::vector<int>{2, 4, 5, 7}));
    ASSERT_EQ(j.entries.size(), 2u);
    for (const JournalEntry& e : j.entries) {
        EXPECT_EQ(JournalLine(e), JournalLine(sent));
    }

    const JournalContents none = ReadJournal(tmp.path() + u"/none.jsonl"_qs);
    EXPECT_TRUE(none.entries.empty() && none.error.isEmpty());
    const JournalContents folder = ReadJournal(tmp.path());
    EXPECT_TRUE(folder.error.startsWith(QStringLiteral("Cannot read the journal ") + tmp.path()))
        << folder.error.toStdString();
}

// The backup is the profile of the panel as read, network values included, and the profile
// reader takes it back as it was saved; a run of the same second has a folder of its own.
TEST_F(RecordsTest, ABackupIsTheProfileOfTheCardAsReadAndReadsBackWithItsNetworkValues) {
    RunRecord r = record();
    QString error;
    const protocol::PanelModel card = read();
    const auto path = r.backUp(card, &error);
    ASSERT_TRUE(path.has_value()) << error.toStdString();
    EXPECT_EQ(*path, data + QStringLiteral("/backups/2026-12-09_16-05-46/00-1A-2B-3C-4D-5E.json"));
    EXPECT_EQ(r.backupFolder(), data + QStringLiteral("/backups/2026-12-09_16-05-46"));
    EXPECT_EQ(Contents(*path), QByteArray::fromStdString(ProfileJson(card, profile)));

    const BackupSet set = ReadBackups({r.backupFolder()}, LanguageId::English);
    EXPECT_TRUE(set.problems.empty());
    ASSERT_EQ(set.profiles.size(), 1u);
    protocol::PanelModel restored;
    restored.SetRuntimeCounts(profile.cardColor);
    restored[Edit::MACAddr] = card[Edit::MACAddr];
    ASSERT_FALSE(ApplyProfile(restored, set.profiles[0], profile).has_value());
    EXPECT_TRUE(ParameterChanges(card, restored, profile).empty());

    // The same card again in this run keeps its first backup: where it stood before the run.
    protocol::PanelModel later = card;
    later[Edit::IP4] = "150";
    EXPECT_EQ(r.backUp(later, &error), path);
    EXPECT_EQ(Contents(*path), QByteArray::fromStdString(ProfileJson(card, profile)));

    // Runs started within the same second each get a folder of their own.
    for (const char* suffix : {"_2", "_3"}) {
        RunRecord next = record();
        EXPECT_EQ(next.backUp(card, &error), r.backupFolder() + QString::fromLatin1(suffix) +
                                                 QStringLiteral("/00-1A-2B-3C-4D-5E.json"));
    }
}

// A data folder that cannot be made (a file stands where its parent folder should be: root
// ignores permissions, not that), a backup whose place is taken: each is an error naming the
// path, and nothing is left half-written.
TEST_F(RecordsTest, RecordsThatCannotBeWrittenNameThePathAndLeaveNothingBehind) {
    Write(tmp.path() + QStringLiteral("/file"), "x");
    data = tmp.path() + QStringLiteral("/file/data");
    RunRecord blocked = record();
    QString error;
    EXPECT_FALSE(blocked.backUp(read(), &error).has_value());
    EXPECT_EQ(error, QStringLiteral("Cannot make the backup folder ") + data +
                         QStringLiteral("/backups."));
    const auto journal = blocked.append(blocked.entryFor(read(), read(), "sent", {}));
    ASSERT_TRUE(journal.has_value());
    EXPECT_TRUE(journal->startsWith(QStringLiteral("Cannot write to the journal ") + data +
                                    QStringLiteral("/journal.jsonl: ")))
        << journal->toStdString();

    // The folder is there; a folder where one card's file should go keeps it from being saved.
    data = tmp.path() + QStringLiteral("/data");
    RunRecord r = record();
    ASSERT_TRUE(r.backUp(read(), &error).has_value());
    const QString taken = r.backupFolder() + QStringLiteral("/00-1A-2B-3C-4D-99.json");
    ASSERT_TRUE(QDir().mkdir(taken));
    EXPECT_FALSE(r.backUp(read("99"), &error).has_value());
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot save the backup ") + taken + u':'))
        << error.toStdString();
    EXPECT_EQ(QDir(r.backupFolder()).entryList(QDir::Files), QStringList{"00-1A-2B-3C-4D-5E.json"});
    EXPECT_TRUE(QFileInfo(taken).isDir());
}

// Folders give their *.json files in name order, single files are taken as named; a file that
// is no profile and a path that cannot be read are reported by name and the rest is read.
TEST_F(RecordsTest, BackupsAreReadFromFoldersAndFilesAndBadOnesAreReportedAndSkipped) {
    RunRecord r = record();
    QString error;
    ASSERT_TRUE(r.backUp(read("5F"), &error).has_value());
    ASSERT_TRUE(r.backUp(read("5E"), &error).has_value());
    const QString folder = r.backupFolder();
    Write(folder + QStringLiteral("/notes.txt"), "not a backup");
    Write(folder + QStringLiteral("/00-1A-2B-3C-4D-60.json"), "{\"format\": \"other\"}");
    const QString single = tmp.path() + QStringLiteral("/one.json");
    Write(single, QByteArray::fromStdString(ProfileJson(read("01"), profile)));
    const QString empty = tmp.path() + QStringLiteral("/empty");
    ASSERT_TRUE(QDir().mkdir(empty));
    const QString missing = tmp.path() + QStringLiteral("/missing.json");

    const BackupSet set = ReadBackups({folder, missing, single, empty}, LanguageId::English);
    std::vector<std::string> macs;
    for (const Profile& p : set.profiles) {
        macs.push_back(p.card.mac);
    }
    EXPECT_EQ(macs, (std::vector<std::string>{"00:1A:2B:3C:4D:5E", "00:1A:2B:3C:4D:5F",
                                              "00:1A:2B:3C:4D:01"}));
    ASSERT_EQ(set.problems.size(), 3u);
    EXPECT_TRUE(set.problems[0].startsWith(folder + QStringLiteral("/00-1A-2B-3C-4D-60.json")))
        << set.problems[0].toStdString();
    EXPECT_TRUE(set.problems[1].startsWith(QStringLiteral("Cannot read the backup ") + missing +
                                           QStringLiteral(": ")))
        << set.problems[1].toStdString();
    EXPECT_EQ(set.problems[2], QStringLiteral("The backup folder ") + empty +
                                   QStringLiteral(" holds no backup (*.json)."));
}

// Linux: $XDG_DATA_HOME/ledcardcfg when it is an absolute path, else ~/.local/share/ledcardcfg.
TEST(DataFolder, FollowsXdgDataHomeAndFallsBackToTheHomeFolder) {
    const QByteArray home = qgetenv("HOME");
    const QByteArray xdg = qgetenv("XDG_DATA_HOME");
    const bool hadXdg = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    QTemporaryDir tmp;
    qputenv("HOME", tmp.path().toUtf8() + "/home");
    const QString fallback = tmp.path() + QStringLiteral("/home/.local/share/ledcardcfg");
    for (const auto& [value, folder] :
         {std::pair{"/srv/data/", QStringLiteral("/srv/data/ledcardcfg")},
          std::pair{"relative/data", fallback}, std::pair{"", fallback}}) {
        qputenv("XDG_DATA_HOME", value);
        EXPECT_EQ(DataFolder(), folder) << value;
    }
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(DataFolder(), fallback);
    qputenv("HOME", home);
    if (hadXdg) {
        qputenv("XDG_DATA_HOME", xdg);
    } else {
        qunsetenv("XDG_DATA_HOME");
    }
}
