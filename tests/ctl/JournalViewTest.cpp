// ledcardctl journal: the journal's lines made into one row per write, a run killed halfway
// shown as such, the filters, and the CSV for the customer's record.

#include "ctl/JournalView.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using fleet::JournalEntry;

namespace {

const QTimeZone kCst(8 * 3600); // the journal keeps each line's own offset

JournalEntry Line(const char* time, const char* mac, const char* outcome, const char* backup) {
    JournalEntry e;
    e.time = QDateTime::fromString(QString::fromLatin1(time), Qt::ISODate);
    e.program = "ledcardctl";
    e.mac = mac;
    e.firmware = "60";
    e.ipBefore = "192.168.1.100";
    e.ipAfter = "192.168.1.150";
    e.changes = {{"display.width", "128", "256"}, {"network.ip", "192.168.1.100", "192.168.1.150"}};
    e.outcome = outcome;
    e.backup = backup;
    return e;
}

// "MAC outcome backup" per write.
std::vector<std::string> Rows(const std::vector<JournalEntry>& writes) {
    std::vector<std::string> out;
    out.reserve(writes.size());
    for (const JournalEntry& w : writes) {
        out.push_back(w.mac.substr(15) + " " + w.outcome + " " + w.backup);
    }
    return out;
}

} // namespace

TEST(JournalView, OneRowPerWriteWithItsLatestOutcome) {
    const char* m1 = "00:1A:2B:00:00:01";
    const char* m2 = "00:1A:2B:00:00:02";
    const struct {
        const char* what;
        std::vector<JournalEntry> lines;
        std::vector<std::string> want;
    } cases[] = {
        {"sent then confirmed",
         {Line("2026-12-09T10:00:00+08:00", m1, "sent", "a/1"),
          Line("2026-12-09T10:00:05+08:00", m1, "confirmed", "a/1")},
         {"01 confirmed a/1"}},
        // A run killed after both writes left, one card's outcome on disk; the next run writes
        // card 1 again with a backup of its own.
        {"killed, then written again",
         {Line("2026-12-09T10:00:00+08:00", m1, "sent", "a/1"),
          Line("2026-12-09T10:00:00+08:00", m2, "sent", "a/2"),
          Line("2026-12-09T10:00:05+08:00", m2, "not confirmed", "a/2"),
          Line("2026-12-09T11:00:00+08:00", m1, "sent", "b/1"),
          Line("2026-12-09T11:00:05+08:00", m1, "confirmed", "b/1")},
         {"01 stopped a/1", "02 not confirmed a/2", "01 confirmed b/1"}},
        {"outcomes in another order than the sent lines",
         {Line("2026-12-09T10:00:00+08:00", m1, "sent", "a/1"),
          Line("2026-12-09T10:00:00+08:00", m2, "sent", "a/2"),
          Line("2026-12-09T10:00:05+08:00", m2, "confirmed", "a/2"),
          Line("2026-12-09T10:00:06+08:00", m1, "cancelled", "a/1")},
         {"01 cancelled a/1", "02 confirmed a/2"}},
        // The sent line was the one cut off by a crash: the outcome stands alone.
        {"an outcome without its sent line",
         {Line("2026-12-09T10:00:05+08:00", m2, "no answer", "a/2")},
         {"02 no answer a/2"}},
        {"nothing", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Rows(ctl::JournalWrites(c.lines)), c.want);
    }
}

TEST(JournalView, FiltersBySinceAndByCard) {
    const std::vector<JournalEntry> writes{
        Line("2026-12-08T23:59:59+08:00", "00:1A:2B:00:00:01", "confirmed", "a/1"),
        Line("2026-12-09T09:00:00+08:00", "00:1A:2B:00:00:02", "confirmed", "b/2"),
        Line("2026-12-09T10:00:00+08:00", "00:1A:2B:00:00:01", "stopped", "c/1")};
    const auto since = [](const char* t) {
        return QDateTime::fromString(QString::fromLatin1(t), Qt::ISODate);
    };
    EXPECT_EQ(Rows(ctl::FilterWrites(writes, since("2026-12-09T00:00:00+08:00"), "")),
              (std::vector<std::string>{"02 confirmed b/2", "01 stopped c/1"}));
    // The same moment in another offset.
    EXPECT_EQ(Rows(ctl::FilterWrites(writes, since("2026-12-09T01:00:00Z"), "")),
              (std::vector<std::string>{"02 confirmed b/2", "01 stopped c/1"}));
    EXPECT_EQ(Rows(ctl::FilterWrites(writes, std::nullopt, "00:1a:2b:00:00:01")),
              (std::vector<std::string>{"01 confirmed a/1", "01 stopped c/1"}));
    EXPECT_EQ(
        Rows(ctl::FilterWrites(writes, since("2026-12-09T09:30:00+08:00"), "00:1A:2B:00:00:02")),
        std::vector<std::string>{});
}

TEST(JournalView, SinceTakesADateOrADateAndTime) {
    const struct {
        const char* given;
        QDateTime want; // invalid: refused
    } cases[] = {
        {"2026-12-09", QDate(2026, 12, 9).startOfDay()},
        {"2026-12-09T14:30", QDateTime(QDate(2026, 12, 9), QTime(14, 30))},
        {"2026-12-09 14:30:05", QDateTime(QDate(2026, 12, 9), QTime(14, 30, 5))},
        {"2026-12-09T14:30:05+08:00", QDateTime(QDate(2026, 12, 9), QTime(14, 30, 5), kCst)},
        {"2026-13-01", {}},
        {"yesterday", {}},
        {"2026-12-09T25:00", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        const auto since = ctl::ParseSince(QString::fromLatin1(c.given));
        ASSERT_EQ(since.has_value(), c.want.isValid());
        if (since) {
            EXPECT_EQ(*since, c.want);
        }
    }
}

// The customer's record: every field, the time with its offset, the changes in one cell.
TEST(JournalView, CsvHoldsEveryFieldOfEachWrite) {
    JournalEntry w = Line("2026-12-09T10:00:00+08:00", "00:1A:2B:00:00:01", "stopped",
                          "/data/backups/2026-12-09 10.00.00/00-1A-2B-00-00-01.json");
    w.changes.push_back({"display.content", "Text, left", "Clock"});
    EXPECT_EQ(ctl::JournalCsv({w}),
              u"time,program,mac,firmware,ipBefore,ipAfter,outcome,changes,backup\r\n"
              u"2026-12-09T10:00:00+08:00,ledcardctl,00:1A:2B:00:00:01,60,192.168.1.100,"
              u"192.168.1.150,stopped,\"display.width: 128 -> 256; network.ip: 192.168.1.100 "
              u"-> 192.168.1.150; display.content: Text, left -> Clock\","
              u"/data/backups/2026-12-09 10.00.00/00-1A-2B-00-00-01.json\r\n"_qs);
}

TEST(JournalView, TableSaysWhatAStoppedWriteMeans) {
    const JournalEntry w = Line("2026-12-09T10:00:00+08:00", "00:1A:2B:00:00:01", "stopped", "");
    EXPECT_EQ(ctl::JournalTable({w}, lang::LanguageId::English).section(u'\n', 1, 1),
              u"2026-12-09 10:00:00  ledcardctl  00:1A:2B:00:00:01  60        192.168.1.100  "
              u"192.168.1.150  sent; the program stopped before the outcome  display.width: 128 -> "
              u"256; network.ip: 192.168.1.100 -> 192.168.1.150"_qs);
}
