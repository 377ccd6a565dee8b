// ledcardctl search with cards that answer at one address: the mark in the table, the lines
// after it in the operator's language, and the conflicts field and column for scripts.

#include "ctl/CommandLine.h"
#include "ctl/Runner.h"
#include "support/CardBytes.h"
#include "support/FakeEndpoint.h"
#include "support/ManualScheduler.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

// A search in which card k (MAC 00:1A:2B:00:00:0k) answers at 192.168.1.x, x the k-th octet.
struct SearchRun {
    testsupport::FakeEndpoint endpoint;
    testsupport::ManualScheduler clock;
    QString out, err;

    SearchRun(const QStringList& args, const std::vector<const char*>& octets) {
        QTextStream outStream(&out), errStream(&err);
        const ctl::Parsed parsed = ctl::ParseCommandLine(
            QStringList{u"search"_qs, u"--times"_qs, u"2"_qs} + args, ctl::Environment{});
        ctl::Runner::Context context;
        context.endpoint = &endpoint;
        context.scheduler = &clock;
        context.out = &outStream;
        context.err = &errStream;
        ctl::Runner runner(parsed.command, context);
        runner.start([](int) {});
        clock.runUntil(1200);
        for (std::size_t k = 1; k <= octets.size(); ++k) {
            endpoint.deliver(testsupport::searchAnswer("00 1A 2B 00 00 0" + std::to_string(k),
                                                       std::string("C0 A8 01 ") + octets[k - 1]));
        }
        clock.runUntil(2000);
    }
};

} // namespace

TEST(SharedAddress, TableMarksTheCardsAndNamesEachAddress) {
    const SearchRun en({}, {"64", "65", "64"});
    EXPECT_EQ(en.out, u"No.  Name  MAC                IP               Firmware\n"
                      u"1    LED   00:1A:2B:00:00:01  192.168.1.100 !  60\n"
                      u"2    LED   00:1A:2B:00:00:02  192.168.1.101    60\n"
                      u"3    LED   00:1A:2B:00:00:03  192.168.1.100 !  60\n"_qs);
    EXPECT_EQ(en.err, u"2 cards answer at 192.168.1.100: 00:1A:2B:00:00:01, 00:1A:2B:00:00:03\n"
                      u"Cards that share an address cannot be told apart by it: name them by MAC "
                      u"address, or give each its own address (apply --ip-from).\n"_qs);

    const SearchRun zh({u"--lang"_qs, u"zh_CN"_qs}, {"64", "65", "64", "65"});
    EXPECT_EQ(
        zh.err.section(u'\n', 1, 1),
        QString::fromUtf8("2 块控制卡在 192.168.1.101 应答：00:1A:2B:00:00:02、00:1A:2B:00:00:04"));
}

TEST(SharedAddress, JsonAndCsvGiveTheOtherMacs) {
    const SearchRun json({u"--format"_qs, u"json"_qs}, {"64", "64", "65", "64"});
    QStringList conflicts;
    for (const QJsonValue card : QJsonDocument::fromJson(json.out.toUtf8()).array()) {
        conflicts << card[u"conflicts"].toVariant().toStringList().join(u' ');
    }
    EXPECT_EQ(conflicts, (QStringList{u"00:1A:2B:00:00:02 00:1A:2B:00:00:04"_qs,
                                      u"00:1A:2B:00:00:01 00:1A:2B:00:00:04"_qs, u""_qs,
                                      u"00:1A:2B:00:00:01 00:1A:2B:00:00:02"_qs}));

    const SearchRun csv({u"--format"_qs, u"csv"_qs}, {"64", "65", "64"});
    EXPECT_EQ(csv.out, u"number,name,mac,ip,version,conflicts\r\n"
                       u"1,LED,00:1A:2B:00:00:01,192.168.1.100,60,00:1A:2B:00:00:03\r\n"
                       u"2,LED,00:1A:2B:00:00:02,192.168.1.101,60,\r\n"
                       u"3,LED,00:1A:2B:00:00:03,192.168.1.100,60,00:1A:2B:00:00:01\r\n"_qs);
}
