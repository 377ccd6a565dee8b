// A whole wall of cards answering one search at once: the real main window on the tool side of
// a namespace pair, the card simulator with N cards on the card side, every card answering
// every request within a millisecond. Every card must be listed exactly once, and the window
// must keep its timers running while the answers pour in.
//
// LEDCFG_FLEET_CARDS (default 300) and LEDCFG_FLEET_SEARCH_TIMES (default 3) size the run;
// LEDCFG_FLEET_REPORT names a file that receives the figures as one JSON object.

#include "NetBed.h"
#include "SimProcess.h"
#include "discovery/UdpEndpoint.h"
#include "discovery/dialogs/SearchDialog.h"
#include "lang/Catalogue.h"
#include "net/AdapterDialog.h"
#include "session/CardSession.h"
#include "support/RecordingMessageBoxes.h"
#include "ui/MainWindow.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <memory>
#include <set>

using testbed::Side;
using testbed::SimProcess;

namespace {

// The wall bed has room for 4094 cards.
constexpr int kMaxCards = 4000;

// Everything the test watches while the search runs, all on the UI thread.
struct Watch : QObject {
    QElapsedTimer clock;
    qint64 firstRequestNs = -1;
    qint64 allListedNs = -1;
    qint64 firstRequestMs = -1;
    qint64 firstListedMs = -1;
    qint64 allListedMs = -1;
    int requests = 0;
    int wanted = 0;
    quint64 deliveredAtSecondRequest = 0;

    // A 50 ms timer, as any periodic UI work would have: how late does it come?
    QTimer probe;
    qint64 lastProbeMs = -1;
    qint64 worstLatenessMs = 0;
    int probeTicks = 0;

    // The last countdown tick closes the dialog and copies its rows to the main list.
    qint64 tickStartMs = -1;
    qint64 closeTickMs = -1;
    quint64 deliveredAtClose = 0;
    int dialogRowsAtClose = -1;
    bool coloursOk = true;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer) {
            tickStartMs = clock.elapsed();
        }
        return QObject::eventFilter(watched, event);
    }
};

bool isEvent(const QJsonObject& e, const char* name) {
    return e[u"event"].toString() == QLatin1String(name);
}

} // namespace

class WallE2ETest : public QObject {
    Q_OBJECT

    std::unique_ptr<testbed::NetBed> bed_;

private slots:
    void initTestCase() { TESTBED_UP_ON_TOOL_SIDE(bed_, testbed::WallBed()); }

    void cleanupTestCase() { bed_.reset(); }

    void everyCardOfABurstIsListedOnce() {
        const int cards =
            std::min(testbed::SizeFromEnvironment("LEDCFG_FLEET_CARDS", 300), kMaxCards);
        const int searchTimes = testbed::SizeFromEnvironment("LEDCFG_FLEET_SEARCH_TIMES", 3);

        SimProcess sim(*bed_, {u"--cards"_qs, QString::number(cards), u"--first-ip"_qs,
                               u"10.77.16.1"_qs, u"--mask"_qs, u"255.255.0.0"_qs, u"--gateway"_qs,
                               u"10.77.0.1"_qs, u"--burst-ms"_qs, u"1"_qs, u"--quiet"_qs});
        QString error;
        QVERIFY2(sim.start(&error, 30000), qPrintable(error));
        std::set<std::pair<QString, QString>> expected;
        for (const QJsonObject& e : sim.events(u"state"_qs)) {
            const QJsonObject s = e[u"state"].toObject();
            expected.emplace(s[u"mac"].toString(), s[u"ip"].toString());
        }
        QCOMPARE(int(expected.size()), cards);

        testsupport::RecordingMessageBoxes boxes;
        platform::ScopedMessageBoxes boxesGuard(boxes);
        lang::ResetGlobalCatalogues();
        int adapterDialogs = 0;
        ui::MainWindow::NetworkHooks hooks;
        hooks.lookupLocalAddress = [this] { return bed_->toolAddress(); };
        hooks.showAdapterDialog = [&](net::AdapterDialog&) { ++adapterDialogs; };
        ui::MainWindow w(nullptr, hooks);
        w.setUserLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        w.setSettingsHooks({[searchTimes](settings::AppSettings& values) {
                                values.LgType = 2;
                                values.SearchTimes = searchTimes;
                            },
                            {}});
        w.show();
        QCOMPARE(w.LocalAddress, bed_->toolAddress());
        auto* endpoint = dynamic_cast<discovery::UdpEndpoint*>(&w.UDPBSer());
        QVERIFY(endpoint);
        QVERIFY2(endpoint->isActive(), qPrintable(endpoint->lastActivationError()));
        const discovery::UdpEndpoint::Counters before = endpoint->counters();

        Watch watch;
        watch.wanted = cards;
        watch.probe.setTimerType(Qt::PreciseTimer);
        watch.probe.setInterval(50);
        connect(&watch.probe, &QTimer::timeout, &watch, [&watch] {
            const qint64 now = watch.clock.elapsed();
            // Only while requests go out: that is when answers arrive.
            if (watch.lastProbeMs >= 0 && watch.firstRequestMs >= 0 && watch.closeTickMs < 0) {
                watch.worstLatenessMs =
                    std::max(watch.worstLatenessMs, now - watch.lastProbeMs - 50);
                ++watch.probeTicks;
            }
            watch.lastProbeMs = now;
        });
        connect(w.tSendSpan(), &QTimer::timeout, &watch, [&watch, endpoint] {
            if (++watch.requests == 1) {
                watch.firstRequestNs = watch.clock.nsecsElapsed();
                watch.firstRequestMs = watch.clock.elapsed();
            } else if (watch.requests == 2) {
                watch.deliveredAtSecondRequest = endpoint->counters().delivered;
            }
        });

        // Once the dialog runs its modal loop: follow its list and its countdown.
        QTimer::singleShot(0, &watch, [&watch, &w, endpoint] {
            discovery::SearchDialog* dialog = w.session().searchDialog();
            if (!dialog) {
                return;
            }
            QAbstractItemModel* model = dialog->list()->model();
            connect(model, &QAbstractItemModel::rowsInserted, &watch, [&watch, model] {
                const qint64 now = watch.clock.elapsed();
                if (watch.firstListedMs < 0) {
                    watch.firstListedMs = now;
                }
                if (watch.allListedMs < 0 && model->rowCount() >= watch.wanted) {
                    watch.allListedMs = now;
                    watch.allListedNs = watch.clock.nsecsElapsed();
                }
            });
            auto* countdown = dialog->findChild<QTimer*>(QStringLiteral("tSTime"));
            countdown->installEventFilter(&watch);
            connect(countdown, &QTimer::timeout, &watch, [&watch, dialog, endpoint] {
                if (dialog->remainingSeconds() > 0) {
                    return;
                }
                watch.closeTickMs = watch.clock.elapsed() - watch.tickStartMs;
                watch.deliveredAtClose = endpoint->counters().delivered;
                const QTreeWidget* list = dialog->list();
                watch.dialogRowsAtClose = list->topLevelItemCount();
                for (int i = 0; i < list->topLevelItemCount(); ++i) {
                    const QColor want = i % 2 == 0 ? QColor(255, 0, 255) : QColor(Qt::blue);
                    if (list->topLevelItem(i)->foreground(0).color() != want) {
                        watch.coloursOk = false;
                    }
                }
            });
        });

        QElapsedTimer wall;
        wall.start();
        watch.clock.start();
        watch.probe.start();
        w.findChild<QPushButton*>(QStringLiteral("btSModm"))->click();
        const qint64 searchMs = wall.elapsed();
        watch.probe.stop();
        QCOMPARE(adapterDialogs, 0);
        QVERIFY2(boxes.texts.isEmpty(), qPrintable(boxes.texts.join(u'\n')));
        QVERIFY(w.session().searchDialog() == nullptr);

        // What the simulator sent: one summary per burst, up to the read of the first card.
        const auto readRequest = sim.waitFor(
            [](const QJsonObject& e) {
                return isEvent(e, "request") && e[u"kind"].toString().startsWith(u"read");
            },
            5000);
        QVERIFY2(readRequest, "the first card was not read after the search");
        int searchRequests = 0;
        qint64 answersSent = 0;
        double worstBurstMs = 0;
        for (const QJsonObject& e : sim.events()) {
            if (e == *readRequest) {
                break;
            }
            if (isEvent(e, "request") && e[u"kind"].toString() == u"search") {
                ++searchRequests;
            } else if (isEvent(e, "sent")) {
                answersSent += e[u"count"].toInt();
                worstBurstMs =
                    std::max(worstBurstMs, e[u"lastMs"].toDouble() - e[u"firstMs"].toDouble());
            }
        }
        QVERIFY(sim.events(u"sendError"_qs).empty());
        // The last answers as the window's clock places them: the simulator's clock is set
        // against it by the first request, which the window stamps just after sending.
        const std::vector<SimProcess::Burst> bursts = sim.searchBursts();
        QCOMPARE(int(bursts.size()), searchRequests);
        const double offsetMs = double(watch.firstRequestNs) / 1e6 - bursts.front().requestMs;
        const double lastAnswerToDialogListedMs =
            double(watch.allListedNs) / 1e6 - (bursts.front().lastMs + offsetMs);
        const double lastAnswerToMainListedMs =
            double(watch.tickStartMs + watch.closeTickMs) - (bursts.back().lastMs + offsetMs);
        const quint64 delivered = watch.deliveredAtClose - before.delivered;

        // The main list: every card once, numbered 1..N in the order they answered.
        const auto* list = w.findChild<QTableWidget*>(QStringLiteral("lvModList"));
        std::set<std::pair<QString, QString>> listed;
        bool numbersOk = true;
        for (int r = 0; r < list->rowCount(); ++r) {
            const auto cell = [&](int c) {
                return list->item(r, c) ? list->item(r, c)->text() : QString();
            };
            numbersOk = numbersOk && cell(0) == QString::number(r + 1);
            listed.emplace(cell(2), cell(3));
        }

        const QJsonObject figures{
            {u"cards"_qs, cards},
            {u"searchTimes"_qs, searchTimes},
            {u"searchRequests"_qs, searchRequests},
            {u"answersSent"_qs, answersSent},
            {u"worstBurstSpanMs"_qs, worstBurstMs},
            {u"answersHandled"_qs, qint64(delivered)},
            {u"answersHandledFirstBurst"_qs,
             qint64(watch.deliveredAtSecondRequest - before.delivered)},
            {u"oversized"_qs, qint64(endpoint->counters().oversized - before.oversized)},
            {u"dialogRows"_qs, watch.dialogRowsAtClose},
            {u"listed"_qs, list->rowCount()},
            {u"firstRequestToFirstListedMs"_qs, watch.firstListedMs - watch.firstRequestMs},
            {u"firstRequestToAllListedMs"_qs,
             watch.allListedMs < 0 ? -1 : watch.allListedMs - watch.firstRequestMs},
            {u"lastAnswerToDialogListedMs"_qs, lastAnswerToDialogListedMs},
            {u"lastAnswerToMainListedMs"_qs, lastAnswerToMainListedMs},
            {u"worstTimerLatenessMs"_qs, watch.worstLatenessMs},
            {u"timerTicks"_qs, watch.probeTicks},
            {u"closeAndCopyMs"_qs, watch.closeTickMs},
            {u"searchMs"_qs, searchMs},
        };
        const QByteArray json = QJsonDocument(figures).toJson(QJsonDocument::Compact);
        qInfo("fleet: %s", json.constData());
        if (const QString path = qEnvironmentVariable("LEDCFG_FLEET_REPORT"); !path.isEmpty()) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(json + '\n');
        }

        QVERIFY(watch.firstRequestMs >= 0);
        QCOMPARE(searchRequests, watch.requests);
        QCOMPARE(watch.dialogRowsAtClose, cards);
        QVERIFY2(watch.coloursOk, "rows alternate magenta and blue from the first");
        QCOMPARE(list->rowCount(), cards);
        QVERIFY2(numbersOk, "rows are numbered 1..N");
        QCOMPARE(listed, expected);
        QVERIFY(watch.allListedMs >= watch.firstRequestMs);
        QCOMPARE(qint64(answersSent), qint64(searchRequests) * cards);
        // Every answer sent must reach the handler, none may be lost on the way.
        QCOMPARE(qint64(delivered), answersSent);
        // A UI thread that stalls for a second is a frozen window to the operator.
        QVERIFY2(watch.worstLatenessMs < 1000, qPrintable(QString::number(watch.worstLatenessMs)));
    }
};

QTEST_MAIN(WallE2ETest)
#include "WallE2ETest.moc"
