// What the program prints for people and for scripts, and the exit status scripts read.

#include "ctl/Output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using fleet::CardOutcome;
using lang::LanguageId;
using Status = fleet::CardOutcome::Status;

namespace {

std::vector<protocol::DeviceEntry> twoCards() {
    return {{1, "Card 1", "00:1A:2B:00:00:01", "192.168.1.100", 60},
            {2, "Hall \"B\", left", "00:1A:2B:00:00:02", "192.168.1.101", 53}};
}

} // namespace

TEST(Output, SearchListAsCsvWithAHeaderRowAndQuotedFields) {
    EXPECT_EQ(ctl::SearchCsv(twoCards()),
              u"number,name,mac,ip,version,conflicts\r\n"
              u"1,Card 1,00:1A:2B:00:00:01,192.168.1.100,60,\r\n"
              u"2,\"Hall \"\"B\"\", left\",00:1A:2B:00:00:02,192.168.1.101,53,\r\n"_qs);
    EXPECT_EQ(ctl::SearchCsv({}), u"number,name,mac,ip,version,conflicts\r\n"_qs);
}

TEST(Output, SearchListAsOneJsonArray) {
    const QJsonDocument doc = QJsonDocument::fromJson(ctl::SearchJson(twoCards()).toUtf8());
    ASSERT_TRUE(doc.isArray());
    const QJsonArray a = doc.array();
    ASSERT_EQ(a.size(), 2);
    EXPECT_EQ(a[1].toObject(), (QJsonObject{{u"number"_qs, 2},
                                            {u"name"_qs, u"Hall \"B\", left"_qs},
                                            {u"mac"_qs, u"00:1A:2B:00:00:02"_qs},
                                            {u"ip"_qs, u"192.168.1.101"_qs},
                                            {u"version"_qs, 53},
                                            {u"conflicts"_qs, QJsonArray()}}));
    EXPECT_EQ(QJsonDocument::fromJson(ctl::SearchJson({}).toUtf8()).array().size(), 0);
}

// Columns line up on a terminal: a Chinese character takes two columns.
TEST(Output, TableColumnsLineUpWithChineseText) {
    EXPECT_EQ(ctl::DisplayWidth(u"序号"_qs), 4);
    EXPECT_EQ(ctl::DisplayWidth(u"IP地址"_qs), 6);
    EXPECT_EQ(ctl::DisplayWidth(u"已写入，未确认"_qs), 14);
    EXPECT_EQ(ctl::TextTable({u"序号"_qs, u"IP地址"_qs}, {{u"1"_qs, u"192.168.1.100"_qs}}),
              u"序号  IP地址\n"
              u"1     192.168.1.100\n"_qs);
    const QString table = ctl::SearchTable(twoCards(), LanguageId::English);
    EXPECT_EQ(table.section(u'\n', 0, 0),
              u"No.  Name            MAC                IP             Firmware"_qs);
    EXPECT_EQ(table.section(u'\n', 2, 2),
              u"2    Hall \"B\", left  00:1A:2B:00:00:02  192.168.1.101  53"_qs);
}

// 3 when a written card is unconfirmed, which leaves the card's state unknown; then 4 when a
// card did not answer; then 2 for refusals; Ctrl+C over everything.
TEST(Output, ExitStatusFollowsTheWorstOutcome) {
    const auto outcomes = [](std::initializer_list<Status> statuses) {
        std::vector<CardOutcome> v;
        for (Status s : statuses) {
            CardOutcome o;
            o.status = s;
            v.push_back(o);
        }
        return v;
    };
    const struct {
        std::vector<CardOutcome> o;
        bool interrupted;
        int want;
    } cases[] = {
        {outcomes({Status::Confirmed, Status::Confirmed}), false, 0},
        {outcomes({}), false, 0},
        {outcomes({Status::Confirmed, Status::Refused}), false, 2},
        {outcomes({Status::Refused, Status::NoAnswer}), false, 4},
        {outcomes({Status::NoAnswer, Status::NotConfirmed, Status::Refused}), false, 3},
        {outcomes({Status::Confirmed, Status::NotConfirmed}), false, 3},
        {outcomes({Status::Confirmed, Status::Cancelled}), true, 130},
        {outcomes({Status::Confirmed}), true, 130},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ctl::ExitStatus(c.o, c.interrupted), c.want);
    }
}

TEST(Output, ProgressBarFillsWithTheCardsDone) {
    const QString half = ctl::ProgressLine(100, 200, 150, LanguageId::English, 60);
    EXPECT_EQ(ctl::DisplayWidth(half), 60);
    EXPECT_TRUE(half.endsWith(u"] 100/200 done, 150 written"_qs));
    EXPECT_EQ(half.count(u'#'), 16); // half of the 32 bar columns
    EXPECT_EQ(ctl::ProgressLine(200, 200, 200, LanguageId::English, 60).count(u'-'), 0);
    EXPECT_EQ(ctl::ProgressLine(0, 200, 0, LanguageId::English, 60).count(u'#'), 0);
}

// The new-IP column holds the card IP that was sent to a written card, confirmed or not; a card
// that was not written has none, though a panel was composed for it.
TEST(Output, NewIpIsTheAddressSentToAWrittenCard) {
    const struct {
        const char* card;
        Status status;
        bool written;
        const char* sentLast; // the last octet sent
        QString newIp;
    } rows[] = {
        {"00:1A:2B:00:00:01", Status::Confirmed, true, "150", u"192.168.1.150"_qs},
        {"192.168.1.101", Status::NoAnswer, false, "151", QString()},
        {"00:1A:2B:00:00:03", Status::NotConfirmed, true, "152", u"192.168.1.152"_qs},
    };
    std::vector<fleet::CardTarget> targets;
    std::vector<CardOutcome> outcomes;
    for (const auto& row : rows) {
        targets.push_back(*fleet::ParseCardTarget(QString::fromLatin1(row.card)));
        CardOutcome o;
        o.status = row.status;
        o.written = row.written;
        o.read.mac = "00:1A:2B:00:00:0" + std::to_string(targets.size());
        o.read.ip = "192.168.1." + std::to_string(99 + targets.size());
        for (auto [edit, text] : {std::pair{protocol::Edit::IP1, "192"},
                                  {protocol::Edit::IP2, "168"},
                                  {protocol::Edit::IP3, "1"},
                                  {protocol::Edit::IP4, row.sentLast}}) {
            o.sentPanel[edit] = text;
        }
        if (!row.written) {
            o.sendFailure = discovery::SendFailure{discovery::SendFailure::Reason::SocketError, {}};
        }
        outcomes.push_back(o);
    }
    const QStringList table =
        ctl::OutcomeTable(targets, outcomes, {}, LanguageId::English).split(u'\n');
    const qsizetype column = table[0].indexOf(u"New IP"_qs);
    ASSERT_GT(column, 0);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].card);
        EXPECT_EQ(ctl::WrittenIp(outcomes[i]), rows[i].newIp);
        EXPECT_EQ(table[qsizetype(i) + 1].mid(column, 13).trimmed(), rows[i].newIp);
        const QJsonObject line =
            QJsonDocument::fromJson(
                ctl::OutcomeJsonLine(targets[i], outcomes[i], {}, LanguageId::English).toUtf8())
                .object();
        EXPECT_EQ(line[u"newIp"].toString(), rows[i].newIp);
        EXPECT_EQ(line[u"ip"].toString(), QString::fromStdString(outcomes[i].read.ip));
    }
}
