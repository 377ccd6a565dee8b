// ledcardctl the process against the card simulator in the namespace test bed: each command
// and each exit status, the profile round trip, the refusals, a batch with faults, Ctrl+C, and
// that a dry run sends nothing and no card is written without being read first.

#include "CtlProcess.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <map>
#include <memory>
#include <set>

using testbed::CtlRun;
using testbed::SimProcess;

namespace {

bool isEvent(const QJsonObject& e, const char* name) {
    return e[u"event"].toString() == QLatin1String(name);
}

// Width, mask and gateway: what a wall gets.
const QByteArray kWallProfile =
    "{\"format\": \"ledcardctl-profile\", \"version\": 1, \"parameters\": {\"display.width\": "
    "192, \"network.mask\": \"255.255.255.0\", \"network.gateway\": \"192.168.1.1\"}}";

QString mac(int card) {
    return QStringLiteral("00:1A:2B:00:00:%1").arg(card, 2, 16, QLatin1Char('0')).toUpper();
}
int cardOf(const QString& mac) {
    return mac.right(2).toInt(nullptr, 16);
}

} // namespace

class CtlNetnsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testbed::NetBed> bed_;
    QTemporaryDir home_;

    CtlRun ctl(const QStringList& args, SimProcess* sim = nullptr,
               const std::function<void(QProcess&)>& during = {}) {
        return testbed::RunCtl(*bed_, args, home_.path(), sim, during);
    }

    QString file(const QString& name, const QByteArray& bytes) {
        QString path = home_.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return path;
    }

    static std::unique_ptr<SimProcess> sim(const testbed::NetBed& bed,
                                           const QStringList& extra = {}) {
        QStringList args{u"--first-ip"_qs, u"192.168.1.100"_qs};
        args += extra;
        return SimProcess::launch(bed, args);
    }

    // "00:1A:2B:00:00:01,...", cards 1 to n.
    static QString macs(int n) {
        QStringList to;
        for (int k = 1; k <= n; ++k) {
            to << mac(k);
        }
        return to.join(u',');
    }

    static std::vector<QJsonObject> requestsAfterReady(SimProcess& s) {
        std::vector<QJsonObject> out;
        for (const QJsonObject& e : s.events(u"request"_qs)) {
            out.push_back(e);
        }
        return out;
    }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        TESTBED_UP_ON_TOOL_SIDE(bed_);
    }
    void cleanupTestCase() { bed_.reset(); }

    void searchListsEachCardOnceAndExits0() {
        auto s = sim(*bed_, {u"--cards"_qs, u"5"_qs});
        QVERIFY(s);
        const CtlRun r =
            ctl({u"search"_qs, u"--times"_qs, u"3"_qs, u"--format"_qs, u"json"_qs}, s.get());
        QCOMPARE(r.status, 0);
        const QJsonArray cards = QJsonDocument::fromJson(r.out).array();
        QCOMPARE(cards.size(), 5);
        std::set<QString> macs;
        for (int i = 0; i < cards.size(); ++i) {
            const QJsonObject c = cards[i].toObject();
            QCOMPARE(c[u"number"].toInt(), i + 1);
            macs.insert(c[u"mac"].toString());
            QCOMPARE(c[u"version"].toInt(), 60);
        }
        QCOMPARE(int(macs.size()), 5);
        // Two requests (1.2 s and 2.4 s), each to everyone, as the window sends them.
        const auto requests = requestsAfterReady(*s);
        QCOMPARE(int(requests.size()), 2);
        for (const QJsonObject& e : requests) {
            QCOMPARE(e[u"kind"].toString(), u"search"_qs);
            QCOMPARE(e[u"to"].toString(), u"255.255.255.255"_qs);
            QCOMPARE(e[u"bytes"].toString(), u"A1 15 02 00 00 FF"_qs);
        }

        const CtlRun csv =
            ctl({u"search"_qs, u"--times"_qs, u"2"_qs, u"--format"_qs, u"csv"_qs}, s.get());
        QCOMPARE(csv.status, 0);
        QCOMPARE(csv.out.count('\n'), 6);
        QVERIFY(csv.out.startsWith("number,name,mac,ip,version,conflicts\r\n1,Card 1,"));
    }

    void searchWithoutCardsExits4() {
        const CtlRun r = ctl({u"search"_qs, u"--times"_qs, u"2"_qs});
        QCOMPARE(r.status, 4);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err, QByteArray("No card answered the search.\n"));
    }

    void readByIpAndByMac() {
        auto s = sim(*bed_, {u"--cards"_qs, u"2"_qs, u"--versions"_qs, u"53,60"_qs});
        QVERIFY(s);
        const CtlRun byIp =
            ctl({u"read"_qs, u"192.168.1.100"_qs, u"--format"_qs, u"json"_qs}, s.get());
        QCOMPARE(byIp.status, 0);
        QCOMPARE(byIp.object()[u"card"].toObject()[u"mac"].toString(), mac(1));
        QCOMPARE(byIp.object()[u"card"].toObject()[u"firmware"].toString(), u"53"_qs);
        const CtlRun byMac = ctl({u"read"_qs, mac(2), u"--format"_qs, u"json"_qs}, s.get());
        QCOMPARE(byMac.status, 0);
        QCOMPARE(byMac.object()[u"card"].toObject()[u"ip"].toString(), u"192.168.1.101"_qs);
        const auto requests = requestsAfterReady(*s);
        QCOMPARE(int(requests.size()), 2);
        QCOMPARE(requests[0][u"kind"].toString(), u"read"_qs);
        QCOMPARE(requests[0][u"to"].toString(), u"192.168.1.100"_qs);
        QCOMPARE(requests[1][u"kind"].toString(), u"readByMac"_qs);
        QCOMPARE(requests[1][u"to"].toString(), u"255.255.255.255"_qs);

        const CtlRun table = ctl({u"read"_qs, u"192.168.1.101"_qs}, s.get());
        QCOMPARE(table.status, 0);
        QVERIFY(table.out.contains("\nnetwork.ip                   192.168.1.101\n"));
        QVERIFY(table.out.contains("\ncard.mac                     00:1A:2B:00:00:02\n"));

        const CtlRun absent = ctl({u"read"_qs, u"192.168.1.120"_qs}, s.get());
        QCOMPARE(absent.status, 4);
        QCOMPARE(absent.err, QByteArray("192.168.1.120 did not answer.\n"));
        const CtlRun bad = ctl({u"read"_qs, u"192.168.1"_qs}, s.get());
        QCOMPARE(bad.status, 2);
    }

    void writeExitStatuses() {
        auto s = sim(*bed_, {u"--cards"_qs, u"3"_qs, u"--ignore-writes"_qs, u"2"_qs});
        QVERIFY(s);
        // Confirmed: 0.
        const CtlRun ok = ctl({u"write"_qs, mac(1), u"--set"_qs, u"display.width=256"_qs,
                               u"--set"_qs, u"network.ip=192.168.1.150"_qs, u"--times"_qs, u"2"_qs},
                              s.get());
        QCOMPARE(ok.status, 0);
        auto writes = s->events(u"write"_qs);
        QCOMPARE(int(writes.size()), 1);
        QCOMPARE(writes[0][u"state"].toObject()[u"width"].toInt(), 256);
        QCOMPARE(writes[0][u"state"].toObject()[u"ip"].toString(), u"192.168.1.150"_qs);
        // The card that ignores it: 3.
        const CtlRun ignored =
            ctl({u"write"_qs, mac(2), u"--set"_qs, u"network.ip=192.168.1.151"_qs, u"--format"_qs,
                 u"json"_qs, u"--times"_qs, u"2"_qs},
                s.get());
        QCOMPARE(ignored.status, 3);
        QCOMPARE(ignored.lines().at(0)[u"outcome"].toString(), u"not-confirmed"_qs);
        // Refused by the composer after the read: 2, and no write reaches the card.
        const std::size_t before = s->events(u"write"_qs).size();
        const CtlRun refused =
            ctl({u"write"_qs, mac(3), u"--set"_qs, u"server.mode=1"_qs, u"--set"_qs,
                 u"server.domain="_qs + QString(64, u'a'), u"--no-search"_qs},
                s.get());
        QCOMPARE(refused.status, 2);
        QVERIFY(refused.out.contains("server.domain"));
        QCOMPARE(s->events(u"write"_qs).size(), before);
        // Nobody there: 4.
        const CtlRun absent =
            ctl({u"write"_qs, mac(9), u"--set"_qs, u"display.width=256"_qs, u"--no-search"_qs},
                s.get());
        QCOMPARE(absent.status, 4);
        QCOMPARE(s->events(u"write"_qs).size(), before);
    }

    void dryRunSendsNothing() {
        auto s = sim(*bed_, {u"--cards"_qs, u"2"_qs});
        QVERIFY(s);
        const CtlRun read = ctl({u"read"_qs, mac(1), u"--format"_qs, u"json"_qs}, s.get());
        QCOMPARE(read.status, 0);
        const QString base = file(u"card1.json"_qs, read.out);
        const std::size_t before = s->events(u"request"_qs).size();
        const CtlRun write = ctl({u"write"_qs, mac(1), u"--set"_qs, u"display.width=256"_qs,
                                  u"--dry-run"_qs, u"--base"_qs, base},
                                 s.get());
        QCOMPARE(write.status, 0);
        QVERIFY(write.out.startsWith("00:1A:2B:00:00:01: would send 96 bytes to 255.255.255.255 "
                                     "port 8800 (broadcast)\nA1 30 06 00 1A 2B 00 00 01 FF A1 51 "
                                     "11 01 01 01 00 00 40"));
        const CtlRun apply = ctl({u"apply"_qs, base, u"--to"_qs, mac(1) + u',' + mac(2),
                                  u"--ip-from"_qs, u"192.168.1.160"_qs, u"--dry-run"_qs,
                                  u"--base"_qs, base, u"--format"_qs, u"json"_qs},
                                 s.get());
        QCOMPARE(apply.status, 0);
        QCOMPARE(int(apply.lines().size()), 2);
        QTest::qWait(300); // anything sent would have arrived by now
        QCOMPARE(s->events(u"request"_qs).size(), before);
        QVERIFY(s->events(u"write"_qs).empty());
    }

    // Read card A, apply it to card B, read B: the same parameters but for B's own MAC, its
    // addresses and what only the card itself says (firmware, internal code).
    void profileRoundTrip() {
        auto s = sim(*bed_, {u"--cards"_qs, u"2"_qs});
        QVERIFY(s);
        const CtlRun changeA = ctl(
            {u"write"_qs, mac(1), u"--set"_qs, u"display.width=320"_qs, u"--set"_qs,
             u"display.scan_mode=#7"_qs, u"--set"_qs, u"comm.baud_rate=115200"_qs, u"--set"_qs,
             u"server.ip=10.1.2.3"_qs, u"--set"_qs, u"server.port=9100"_qs, u"--times"_qs, u"2"_qs},
            s.get());
        QCOMPARE(changeA.status, 0);
        const CtlRun a = ctl({u"read"_qs, mac(1), u"--format"_qs, u"json"_qs}, s.get());
        QCOMPARE(a.status, 0);
        const QString profile = file(u"a.json"_qs, a.out);
        const CtlRun apply =
            ctl({u"apply"_qs, profile, u"--to"_qs, mac(2), u"--times"_qs, u"2"_qs}, s.get());
        QCOMPARE(apply.status, 0);
        const CtlRun b = ctl({u"read"_qs, mac(2), u"--format"_qs, u"json"_qs}, s.get());
        QCOMPARE(b.status, 0);
        QJsonObject pa = a.object()[u"parameters"].toObject();
        QJsonObject pb = b.object()[u"parameters"].toObject();
        QCOMPARE(pb[u"card.mac"].toString(), mac(2));
        QCOMPARE(pb[u"network.ip"].toString(), u"192.168.1.101"_qs);
        QCOMPARE(pb[u"display.width"].toInt(), 320);
        for (const char* own :
             {"card.mac", "card.firmware", "card.internal_code_hex", "card.internal_code_dec",
              "network.ip", "network.mask", "network.gateway"}) {
            pa.remove(QLatin1String(own));
            pb.remove(QLatin1String(own));
        }
        QCOMPARE(pb, pa);
    }

    // Twenty cards: two ignore the write, one is not on the network, one drops off right after
    // its write, one is addressed by IP (firmware 53). Each is reported as it went; the cards
    // outside the batch are not touched; no card is written before it was read in this run.
    void batchWithFaults() {
        auto s = sim(*bed_, {u"--cards"_qs, u"22"_qs, u"--versions"_qs,
                             u"60,60,60,60,60,60,60,60,60,53"_qs, u"--ignore-writes"_qs, u"3,7"_qs,
                             u"--leave-after-write"_qs, u"5"_qs});
        QVERIFY(s);
        QStringList to;
        for (int k = 1; k <= 19; ++k) {
            to << (k == 10 ? u"192.168.1.109"_qs : mac(k));
        }
        to << mac(0x63); // no such card
        const QString profile =
            file(u"batch.json"_qs, "{\"format\": \"ledcardctl-profile\", \"version\": 1, "
                                   "\"parameters\": {\"display.width\": 192, \"network.mask\": "
                                   "\"255.255.255.0\", \"network.gateway\": \"192.168.1.1\"}}");
        const CtlRun r =
            ctl({u"apply"_qs, profile, u"--to"_qs, to.join(u','), u"--ip-from"_qs,
                 u"192.168.1.150"_qs, u"--format"_qs, u"json"_qs, u"--times"_qs, u"2"_qs},
                s.get());
        QCOMPARE(r.status, 3);
        std::map<QString, QJsonObject> byCard;
        for (const QJsonObject& l : r.lines()) {
            byCard[l[u"card"].toString()] = l;
        }
        QCOMPARE(int(byCard.size()), 20);
        for (int k = 1; k <= 19; ++k) {
            const QJsonObject& l = byCard[to[k - 1]];
            const QString want =
                (k == 3 || k == 5 || k == 7) ? u"not-confirmed"_qs : u"confirmed"_qs;
            QCOMPARE(l[u"outcome"].toString(), want);
            QCOMPARE(l[u"written"].toBool(), true);
            QCOMPARE(l[u"newIp"].toString(), QStringLiteral("192.168.1.%1").arg(149 + k));
        }
        QVERIFY(byCard[mac(3)][u"detail"].toString().contains(
            u"network.ip is 192.168.1.102 (written: 192.168.1.152)"_qs));
        QCOMPARE(byCard[mac(5)][u"detail"].toString(),
                 u"the card did not answer after the write"_qs);
        QCOMPARE(byCard[mac(0x63)][u"outcome"].toString(), u"no-answer"_qs);
        QCOMPARE(byCard[mac(0x63)][u"written"].toBool(), false);

        // The simulator's side: a write for each of the 19 cards and no other, each after an
        // answer of that card to a read of this run.
        std::map<int, double> firstAnswer;
        for (const QJsonObject& e : s->events(u"answer"_qs)) {
            const QString kind = e[u"kind"].toString();
            if ((kind == u"read" || kind == u"readByMac") &&
                !firstAnswer.count(e[u"card"].toInt())) {
                firstAnswer[e[u"card"].toInt()] = e[u"t"].toDouble();
            }
        }
        std::set<int> written;
        for (const QJsonObject& e : s->events(u"write"_qs)) {
            const int k = e[u"card"].toInt();
            written.insert(k);
            QVERIFY2(firstAnswer.count(k) && firstAnswer[k] < e[u"t"].toDouble(),
                     qPrintable(QStringLiteral("card %1 written before it was read").arg(k)));
            const bool applied = e[u"applied"].toBool();
            QCOMPARE(applied, k != 3 && k != 7);
            QCOMPARE(e[u"kind"].toString(), k == 10 ? u"writeByIp"_qs : u"writeByMac"_qs);
        }
        std::set<int> wanted;
        for (int k = 1; k <= 19; ++k) {
            wanted.insert(k);
        }
        QCOMPARE(written, wanted);
    }

    // Ctrl+C while cards are being read one at a time: every card is read before any is
    // written, so none is; each is reported, and the cards received no write.
    void ctrlCStopsApply() {
        auto s = sim(*bed_, {u"--cards"_qs, u"12"_qs, u"--delay-ms"_qs, u"150"_qs});
        QVERIFY(s);
        const QString profile =
            file(u"slow.json"_qs, "{\"format\": \"ledcardctl-profile\", \"version\": 1, "
                                  "\"parameters\": {\"display.width\": 200}}");
        const std::size_t writesBefore = s->events(u"write"_qs).size();
        const auto halfRead = [&](QProcess& p) {
            s->waitFor(
                [](const QJsonObject& e) {
                    return isEvent(e, "answer") && e[u"kind"].toString() == u"readByMac" &&
                           e[u"card"].toInt() == 6;
                },
                10000, s->events().size());
            ::kill(pid_t(p.processId()), SIGINT);
        };
        const CtlRun r = ctl({u"apply"_qs, profile, u"--to"_qs, macs(12), u"--parallel"_qs, u"1"_qs,
                              u"--format"_qs, u"json"_qs, u"--no-search"_qs},
                             s.get(), halfRead);
        QCOMPARE(r.status, 130);
        QVERIFY(r.err.contains("Stopped by Ctrl+C: 0 of 12 cards written"));
        QTest::qWait(500);
        QCOMPARE(s->events(u"write"_qs).size(), writesBefore);
        const auto lines = r.lines();
        QCOMPARE(int(lines.size()), 12);
        for (const QJsonObject& l : lines) {
            QCOMPARE(l[u"outcome"].toString(), u"cancelled"_qs);
            QCOMPARE(l[u"written"].toBool(), false);
        }
    }

    // Card 3 keeps 192.168.1.102 and is not part of the run: handing that address to card 1 is
    // refused after the search and the read, and no write reaches any card.
    void anAddressAnotherCardHoldsIsRefusedWithNothingWritten() {
        auto s = sim(*bed_, {u"--cards"_qs, u"3"_qs});
        QVERIFY(s);
        const std::size_t before = s->events(u"request"_qs).size();
        const CtlRun r = ctl({u"apply"_qs, file(u"held.json"_qs, kWallProfile), u"--to"_qs, mac(1),
                              u"--ip-from"_qs, u"192.168.1.102"_qs, u"--times"_qs, u"2"_qs},
                             s.get());
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.startsWith("No card was written: the checks refuse this run:\n"),
                 r.err.constData());
        QVERIFY(r.err.contains("192.168.1.102 is already the address of"));
        QTest::qWait(300); // anything sent would have arrived by now
        // What reached the cards: the search's one request and the read of card 1.
        QStringList kinds;
        const auto requests = s->events(u"request"_qs);
        for (std::size_t i = before; i < requests.size(); ++i) {
            kinds << requests[i][u"kind"].toString();
        }
        QCOMPARE(kinds, (QStringList{u"search"_qs, u"readByMac"_qs}));
        QVERIFY(s->events(u"write"_qs).empty());
    }

    // Twenty cards, the program killed once half of them have received their write: every card
    // written has its backup and a journal line, complete on disk, that shows the write stopped;
    // restoring the backups brings every card back to what it was, each confirmed.
    void killedApplyLeavesRecordsAndRestoreBringsTheCardsBack() {
        constexpr int kCards = 20;
        auto s = sim(*bed_, {u"--cards"_qs, QString::number(kCards)});
        QVERIFY(s);
        QTemporaryDir home; // records of this run alone
        QVERIFY(home.isValid());
        const auto run = [&](const QStringList& args,
                             const std::function<void(QProcess&)>& during = {}) {
            return testbed::RunCtl(*bed_, args, home.path(), s.get(), during);
        };
        const auto firstIp = [](int k) { return QStringLiteral("192.168.1.%1").arg(99 + k); };
        const std::size_t writesBefore = s->events(u"write"_qs).size();
        const auto halfWritten = [&](QProcess& p) {
            std::set<int> seen; // waitFor looks at every event again as more come
            s->waitFor(
                [&seen](const QJsonObject& e) {
                    if (isEvent(e, "write")) {
                        seen.insert(e[u"card"].toInt());
                    }
                    return int(seen.size()) == kCards / 2;
                },
                20000, s->events().size());
            ::kill(pid_t(p.processId()), SIGKILL);
        };
        const CtlRun killed =
            run({u"apply"_qs, file(u"wall20.json"_qs, kWallProfile), u"--to"_qs, macs(kCards),
                 u"--ip-from"_qs, u"192.168.1.150"_qs, u"--times"_qs, u"2"_qs},
                halfWritten);
        QCOMPARE(killed.status, -1); // killed, no exit status
        QTest::qWait(300);
        std::set<int> written;
        const auto writes = s->events(u"write"_qs);
        for (std::size_t i = writesBefore; i < writes.size(); ++i) {
            written.insert(writes[i][u"card"].toInt());
        }
        QVERIFY2(written.size() >= kCards / 2, qPrintable(QString::number(written.size())));
        qInfo("%d of %d cards had their write when the program was killed", int(written.size()),
              kCards);

        // A backup of each card written, with the values it had before.
        const QString data = testbed::DataFolderOf(home.path());
        const QStringList folders =
            QDir(data + u"/backups"_qs).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(folders.size(), 1);
        const QString folder = data + u"/backups/"_qs + folders[0];
        // A card backed up just before the kill may not have had its write.
        const int backups = int(QDir(folder).entryList({u"*.json"_qs}, QDir::Files).size());
        QVERIFY(backups >= int(written.size()));
        for (const int k : written) {
            QFile f(folder + u'/' + mac(k).replace(u':', u'-') + u".json"_qs);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
            const QJsonObject saved = QJsonDocument::fromJson(f.readAll()).object();
            QCOMPARE(saved[u"card"].toObject()[u"mac"].toString(), mac(k));
            QCOMPARE(saved[u"parameters"].toObject()[u"network.ip"].toString(), firstIp(k));
            QCOMPARE(saved[u"parameters"].toObject()[u"display.width"].toInt(), 128);
        }
        // A journal line for each, shown as stopped; one cut off would be skipped, its card missed.
        const CtlRun shown = run({u"journal"_qs, u"--format"_qs, u"json"_qs});
        QCOMPARE(shown.status, 0);
        std::set<int> stopped;
        for (const QJsonObject& l : shown.lines()) {
            QCOMPARE(l[u"outcome"].toString(), u"stopped"_qs);
            stopped.insert(cardOf(l[u"mac"].toString()));
        }
        for (const int k : written) {
            QVERIFY2(stopped.count(k), qPrintable(mac(k)));
        }
        QVERIFY(int(stopped.size()) <= backups);

        // Restore: found at their new addresses by MAC, written back and confirmed.
        const std::size_t restoreFrom = s->events(u"write"_qs).size();
        const CtlRun restored =
            run({u"restore"_qs, folder, u"--times"_qs, u"2"_qs, u"--format"_qs, u"json"_qs});
        QCOMPARE(restored.status, 0);
        int confirmed = 0;
        for (const QJsonObject& l : restored.lines()) {
            confirmed += l[u"outcome"].toString() == u"confirmed" ? 1 : 0;
        }
        QCOMPARE(confirmed, backups);
        // What the cards were given: each its own values back.
        std::map<int, QJsonObject> state;
        const auto after = s->events(u"write"_qs);
        for (std::size_t i = restoreFrom; i < after.size(); ++i) {
            state[after[i][u"card"].toInt()] = after[i][u"state"].toObject();
        }
        QCOMPARE(int(state.size()), backups);
        for (const auto& [k, st] : state) {
            QCOMPARE(st[u"ip"].toString(), firstIp(k));
            QCOMPARE(st[u"width"].toInt(), 128);
        }
        // All twenty where they were, the restored and the untouched.
        const CtlRun search =
            run({u"search"_qs, u"--times"_qs, u"2"_qs, u"--format"_qs, u"json"_qs});
        const QJsonArray found = QJsonDocument::fromJson(search.out).array();
        QCOMPARE(found.size(), kCards);
        for (const QJsonValue v : found) {
            QCOMPARE(v[u"ip"].toString(), firstIp(cardOf(v[u"mac"].toString())));
        }
    }
};

QTEST_MAIN(CtlNetnsTest)
#include "CtlNetnsTest.moc"
