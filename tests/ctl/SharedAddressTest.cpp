// ledcardctl search with cards that answer at one address: the mark in the table, the lines
// after it in the operator's language, and the conflicts field and column for scripts.

#include "CardBytes.h"
#include "ManualScheduler.h"
#include "ctl/CommandLine.h"
#include "ctl/Runner.h"
#include "support/FakeEndpoint.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

struct SearchRun {
    testsupport::FakeEndpoint endpoint;
    testsupport::ManualScheduler clock;
    QString outText, errText;
    QTextStream out{&outText}, err{&errText};
    std::unique_ptr<ctl::Runner> runner;
    int status = -1;

    // Cards k = 1, 2, ... with MAC 00:1A:2B:00:00:0k answer at the given last octets.
    SearchRun(QStringList args, const std::vector<const char*>& lastOctets) {
        args = QStringList{u"search"_qs, u"--times"_qs, u"2"_qs} + args;
        const ctl::Parsed parsed = ctl::ParseCommandLine(args, ctl::Environment{});
        ctl::Runner::Context context;
        context.endpoint = &endpoint;
        context.scheduler = &clock;
        context.out = &out;
        context.err = &err;
        runner = std::make_unique<ctl::Runner>(parsed.command, context);
        runner->start([this](int s) { status = s; });
        clock.runUntil(1200);
        for (std::size_t k = 1; k <= lastOctets.size(); ++k) {
            endpoint.deliver(
                testsupport::searchAnswer("00 1A 2B 00 00 0" + std::to_string(k),
                                          std::string("C0 A8 01 ") + lastOctets[k - 1]));
        }
        clock.runUntil(2000);
        out.flush();
        err.flush();
    }
};

} // namespace

TEST(SharedAddress, TableMarksTheCardsAndNamesEachAddress) {
    const SearchRun en({u"--lang"_qs, u"en"_qs}, {"64", "65", "64"});
    EXPECT_EQ(en.status, 0);
    EXPECT_EQ(en.outText, u"No.  Name  MAC                IP               Firmware\n"
                          u"1    LED   00:1A:2B:00:00:01  192.168.1.100 !  60\n"
                          u"2    LED   00:1A:2B:00:00:02  192.168.1.101    60\n"
                          u"3    LED   00:1A:2B:00:00:03  192.168.1.100 !  60\n"_qs);
    EXPECT_EQ(en.errText,
              u"2 cards answer at 192.168.1.100: 00:1A:2B:00:00:01, 00:1A:2B:00:00:03\n"
              u"Cards that share an address cannot be told apart by it: name them by MAC "
              u"address, or give each its own address (apply --ip-from).\n"_qs);

    const SearchRun zh({u"--lang"_qs, u"zh_CN"_qs}, {"64", "65", "64", "65"});
    EXPECT_EQ(
        zh.errText,
        QString::fromUtf8("2 块控制卡在 192.168.1.100 应答：00:1A:2B:00:00:01、00:1A:2B:00:00:03\n"
                          "2 块控制卡在 192.168.1.101 应答：00:1A:2B:00:00:02、00:1A:2B:00:00:04\n"
                          "共用一个地址的控制卡无法按地址区分：请用MAC地址指定它们，"
                          "或给每块控制卡分配各自的地址（apply --ip-from）。\n"));

    const SearchRun alone({u"--lang"_qs, u"en"_qs}, {"64", "65"});
    EXPECT_FALSE(alone.outText.contains(u'!'));
    EXPECT_TRUE(alone.errText.isEmpty());
}

TEST(SharedAddress, JsonAndCsvGiveTheOtherMacs) {
    const SearchRun json({u"--format"_qs, u"json"_qs}, {"64", "64", "65", "64"});
    const QJsonArray cards = QJsonDocument::fromJson(json.outText.toUtf8()).array();
    ASSERT_EQ(cards.size(), 4);
    const QJsonArray expected[] = {{u"00:1A:2B:00:00:02"_qs, u"00:1A:2B:00:00:04"_qs},
                                   {u"00:1A:2B:00:00:01"_qs, u"00:1A:2B:00:00:04"_qs},
                                   {},
                                   {u"00:1A:2B:00:00:01"_qs, u"00:1A:2B:00:00:02"_qs}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(cards[i].toObject()[u"conflicts"].toArray(), expected[i]) << i;
    }
    EXPECT_TRUE(json.errText.startsWith(u"3 cards answer at 192.168.1.100: "_qs));

    const SearchRun csv({u"--format"_qs, u"csv"_qs}, {"64", "65", "64"});
    EXPECT_EQ(csv.outText, u"number,name,mac,ip,version,conflicts\r\n"
                           u"1,LED,00:1A:2B:00:00:01,192.168.1.100,60,00:1A:2B:00:00:03\r\n"
                           u"2,LED,00:1A:2B:00:00:02,192.168.1.101,60,\r\n"
                           u"3,LED,00:1A:2B:00:00:03,192.168.1.100,60,00:1A:2B:00:00:01\r\n"_qs);
}
