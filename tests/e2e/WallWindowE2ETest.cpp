// The window itself in front of a wall of cards: the real main window searches N simulated
// cards in the namespace bed, the several-cards dialog opens from the menu, the tester's keys
// choose the cards of one address block (a filter and Ctrl+A), they are written with
// sequential addresses, and then all N the same way. Each step is timed on the window's side
// up to the pass of the event loop that painted its result; a 50 ms timer watches for stalls
// and the resident set is taken before the dialog opens and after its run.
//
// The first 9 in 10 cards have addresses beginning 10.77.16., the rest 10.77.17.: that block
// is what the filter chooses. LEDCFG_WINDOW_CARDS (default 20, at most 270) sizes the wall;
// ./dev bench runs 200. LEDCFG_WINDOW_REPORT names a file that receives the figures as one
// JSON object. Correctness is always asserted; the timing goals are reported, and asserted
// only far beyond them, since a loaded machine stretches every one.

#include "NetBed.h"
#include "SimProcess.h"
#include "ToolSide.h"
#include "discovery/dialogs/SearchDialog.h"
#include "session/CardSession.h"
#include "support/RecordingMessageBoxes.h"
#include "ui/BatchWriteDialog.h"
#include "ui/BatchWriteRun.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <map>
#include <memory>
#include <set>

using testbed::SimProcess;
using namespace Qt::StringLiterals;

namespace {

constexpr int kMacColumn = 2;
constexpr int kIpColumn = 3;
constexpr int kNewIpColumn = 4;
constexpr int kStateColumn = 5;
constexpr auto kBlock = "10.77.16."_L1;

// The resident set as the kernel counts it, KiB; -1 where there is no /proc.
qint64 residentKb() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

double ms(qint64 ns) {
    return double(ns) / 1e6;
}

// Everything the test watches, on the UI thread: one clock, the paints of the dialog, and a
// 50 ms timer's lateness.
struct Watch : QObject {
    QElapsedTimer clock;
    ui::BatchWriteDialog* dialog = nullptr;
    int paints = 0;               // paint events of any widget of the dialog
    QObject* countdown = nullptr; // the search dialog's
    qint64 tickStartNs = -1;

    QTimer probe;
    qint64 lastTickNs = -1;
    qint64 worstLatenessNs = 0;
    int ticks = 0;

    Watch() {
        clock.start();
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(50);
        connect(&probe, &QTimer::timeout, this, [this] {
            const qint64 now = clock.nsecsElapsed();
            if (lastTickNs >= 0) {
                worstLatenessNs = std::max(worstLatenessNs, now - lastTickNs - 50'000'000);
                ++ticks;
            }
            lastTickNs = now;
        });
    }

    void startProbe() {
        lastTickNs = -1;
        worstLatenessNs = 0;
        ticks = 0;
        probe.start();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer && watched == countdown) {
            tickStartNs = clock.nsecsElapsed();
        }
        if (event->type() == QEvent::Show && !dialog) {
            dialog = qobject_cast<ui::BatchWriteDialog*>(watched);
            paints = 0;
        }
        if (event->type() == QEvent::Paint && dialog && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == dialog) {
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }

    // Runs the event loop until a pass has painted the dialog since `before` paints and the
    // next one paints no more; the time at the end of the last painting pass, ns, or -1 when
    // nothing was painted.
    qint64 settle(int before) {
        qint64 lastPainted = paints > before ? clock.nsecsElapsed() : -1;
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            const int was = paints;
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (paints > was) {
                lastPainted = clock.nsecsElapsed();
            } else if (paints > before) {
                break;
            }
        }
        return lastPainted;
    }
};

QStringList column(const QTableWidget* list, int c, bool shownOnly) {
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r) {
        if (!shownOnly || !list->isRowHidden(r)) {
            out << list->item(r, c)->text();
        }
    }
    return out;
}

// One run of the dialog: how its steps went, in ns of the watch's clock where a time.
struct RunFigures {
    int cards = 0;
    qint64 openNs = -1;        // menu command to the dialog painted with its rows
    qint64 worstKeyNs = -1;    // the slowest key of the filter typed
    qint64 tickNs = -1;        // Ctrl+A to its ticks painted
    qint64 lastConfirmNs = -1; // Start to the last card confirmed
    qint64 floorNs = -1;       // the shortest write to confirmation of the run
    qint64 worstLatenessNs = -1;
    int ticks = 0;
    qint64 rssBeforeKb = -1;
    qint64 rssAfterKb = -1;
    QStringList states; // of the cards written, as the table shows them
    QStringList macs;   // the same cards
    QStringList newIps;
    QString ticked;
    QString summary;

    double floorRatio() const {
        return double(lastConfirmNs) / double(std::max<qint64>(1, floorNs));
    }

    QJsonObject json() const {
        return {{u"cards"_s, cards},
                {u"openMs"_s, ms(openNs)},
                {u"worstKeyMs"_s, ms(worstKeyNs)},
                {u"tickMs"_s, ms(tickNs)},
                {u"startToLastConfirmedMs"_s, ms(lastConfirmNs)},
                {u"floorMs"_s, ms(floorNs)},
                {u"floorRatio"_s, floorRatio()},
                {u"worstTimerLatenessMs"_s, ms(worstLatenessNs)},
                {u"timerTicks"_s, ticks},
                {u"rssBeforeKb"_s, rssBeforeKb},
                {u"rssAfterKb"_s, rssAfterKb}};
    }
};

} // namespace

class WallWindowE2ETest : public QObject {
    Q_OBJECT

    std::unique_ptr<testbed::NetBed> bed_;

    // Opens the dialog from the menu and, inside its modal loop: the filter typed key by key
    // (none when empty), Ctrl+A in the field, sequential addresses from `firstIp`, Start, and
    // the wait for every card. Closes the dialog again whatever fails.
    static void runDialog(ui::MainWindow& w, Watch& watch, const QString& filter,
                          const QString& firstIp, RunFigures& f) {
        auto* command = w.findChild<QAction*>(u"menu_sub_write_several_cards"_s);
        QVERIFY(command);
        watch.dialog = nullptr;
        f.rssBeforeKb = residentKb();
        bool driven = false;
        qint64 triggered = -1;
        QTimer::singleShot(0, &watch, [&] {
            ui::BatchWriteDialog* dialog = watch.dialog;
            auto closeAtEnd = qScopeGuard([&] {
                if (dialog) {
                    dialog->btCloseClick(); // cancels a run still going
                }
            });
            QVERIFY(dialog);
            // The command's work and the painting passes after the dialog showed.
            const qint64 painted = watch.settle(0);
            QVERIFY(painted >= 0);
            f.openNs = painted - triggered;
            QTableWidget* list = dialog->list();
            QCOMPARE(list->rowCount(), w.deviceRowCount());
            QCOMPARE(column(list, kIpColumn, true).size(), list->rowCount());

            auto* field = dialog->findChild<QLineEdit*>(u"edtFilter"_s);
            field->setFocus();
            for (const QChar key : filter) {
                const int before = watch.paints;
                const qint64 t0 = watch.clock.nsecsElapsed();
                QTest::keyClicks(field, QString(key));
                const qint64 done = watch.settle(before);
                QVERIFY(done >= 0);
                f.worstKeyNs = std::max(f.worstKeyNs, done - t0);
            }
            QCOMPARE(field->text(), filter);
            const int before = watch.paints;
            const qint64 t0 = watch.clock.nsecsElapsed();
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            const qint64 ticked = watch.settle(before);
            QVERIFY(ticked >= 0);
            f.tickNs = ticked - t0;
            f.ticked = dialog->findChild<QLabel*>(u"lbTicked"_s)->text();

            QTest::mouseClick(dialog->findChild<QCheckBox*>(u"cbSequentialIp"_s), Qt::LeftButton);
            auto* first = dialog->findChild<QLineEdit*>(u"edtFirstIp"_s);
            QVERIFY(first->isEnabled());
            QTest::keyClick(first, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(first, firstIp);
            QCOMPARE(first->text(), firstIp);

            // Each card's write leaving and its confirmation, as the dialog hears of them.
            ui::BatchWriteRun& run = dialog->run();
            std::map<int, qint64> sentAt;
            std::map<int, qint64> confirmedAt;
            connect(&run, &ui::BatchWriteRun::cardChanged, &watch, [&](int k) {
                const auto state = run.cards()[std::size_t(k)].state;
                const qint64 now = watch.clock.nsecsElapsed();
                if (state == ui::BatchWriteRun::State::Sent) {
                    sentAt.emplace(k, now);
                } else if (state == ui::BatchWriteRun::State::Confirmed) {
                    confirmedAt.emplace(k, now);
                }
            });
            watch.startProbe();
            const qint64 start = watch.clock.nsecsElapsed();
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btStart"_s), Qt::LeftButton);
            QVERIFY(run.running());
            QTRY_VERIFY_WITH_TIMEOUT(!run.running(), 60000);
            watch.probe.stop();
            f.worstLatenessNs = watch.worstLatenessNs;
            f.ticks = watch.ticks;
            f.rssAfterKb = residentKb();
            f.cards = int(run.cards().size());
            for (const auto& [k, at] : confirmedAt) {
                f.lastConfirmNs = std::max(f.lastConfirmNs, at - start);
                if (sentAt.count(k)) {
                    const qint64 took = at - sentAt.at(k);
                    f.floorNs = f.floorNs < 0 ? took : std::min(f.floorNs, took);
                }
            }
            for (int r : dialog->runRows()) {
                f.states << list->item(r, kStateColumn)->text();
                f.macs << list->item(r, kMacColumn)->text();
                f.newIps << list->item(r, kNewIpColumn)->text();
            }
            // The rows not written show no state.
            const std::vector<int> written = dialog->runRows();
            for (int r = 0; r < list->rowCount(); ++r) {
                if (std::find(written.begin(), written.end(), r) == written.end()) {
                    QCOMPARE(list->item(r, kStateColumn)->text(), QString());
                }
            }
            f.summary = dialog->findChild<QLabel*>(u"lbSummary"_s)->text();
            driven = true;
        });
        triggered = watch.clock.nsecsElapsed();
        command->trigger();
        QVERIFY(driven);
    }

private slots:
    void initTestCase() { TESTBED_UP_ON_TOOL_SIDE(bed_, testbed::WallBed()); }

    void cleanupTestCase() { bed_.reset(); }

    void aWallSearchedChosenAndWritten() {
        const int cards =
            std::clamp(testbed::SizeFromEnvironment("LEDCFG_WINDOW_CARDS", 20), 10, 270);
        const int block = cards * 9 / 10;
        SimProcess sim(*bed_, {u"--cards"_s, QString::number(cards), u"--first-ip"_s,
                               kBlock + QString::number(256 - block), u"--mask"_s, u"255.255.0.0"_s,
                               u"--gateway"_s, u"10.77.0.1"_s, u"--quiet"_s});
        QString error;
        QVERIFY2(sim.start(&error, 30000), qPrintable(error));
        std::map<QString, QString> ipOfMac;
        for (const QJsonObject& e : sim.events(u"state"_s)) {
            const QJsonObject s = e[u"state"].toObject();
            ipOfMac[s[u"mac"].toString()] = s[u"ip"].toString();
        }
        QCOMPARE(int(ipOfMac.size()), cards);

        testsupport::RecordingMessageBoxes boxes;
        platform::ScopedMessageBoxes boxesGuard(boxes);
        QTemporaryDir data;
        auto w = testbed::ShowEnglishWindow(*bed_, 3);
        w->setDataFolder(data.filePath(u"data"_s));
        Watch watch;
        qApp->installEventFilter(&watch);
        auto removeFilter = qScopeGuard([&] { qApp->removeEventFilter(&watch); });

        // The search: each request on the window's clock; the dialog's list and the main list
        // followed to their Nth row.
        std::vector<qint64> requestNs;
        qint64 dialogListedNs = -1;
        qint64 mainListedNs = -1;
        qint64 closingTickNs = -1;
        const auto requests = connect(w->tSendSpan(), &QTimer::timeout, &watch,
                                      [&] { requestNs.push_back(watch.clock.nsecsElapsed()); });
        QTimer::singleShot(0, &watch, [&] {
            discovery::SearchDialog* dialog = w->session().searchDialog();
            QVERIFY(dialog);
            QAbstractItemModel* model = dialog->list()->model();
            connect(model, &QAbstractItemModel::rowsInserted, &watch, [&, model] {
                if (dialogListedNs < 0 && model->rowCount() >= cards) {
                    dialogListedNs = watch.clock.nsecsElapsed();
                }
            });
            // The closing tick copies the rows to the main list before this runs.
            auto* countdown = dialog->findChild<QTimer*>(u"tSTime"_s);
            watch.countdown = countdown;
            connect(countdown, &QTimer::timeout, &watch, [&, dialog] {
                if (dialog->remainingSeconds() == 0) {
                    mainListedNs = watch.clock.nsecsElapsed();
                    closingTickNs = watch.tickStartNs;
                }
            });
        });
        QSignalSpy replies(&w->session(), &session::CardSession::replyApplied);
        w->findChild<QPushButton*>(u"btSModm"_s)->click();
        disconnect(requests);
        QTRY_COMPARE_WITH_TIMEOUT(replies.count(), 1, 5000);
        QCOMPARE(w->deviceRowCount(), cards);
        QVERIFY(dialogListedNs >= 0 && mainListedNs >= 0 && closingTickNs >= 0);
        watch.countdown = nullptr;

        // The simulator's clock against the window's: the first request as both saw it. The
        // window's time is taken just after it sent, so the answers' arrival is placed within
        // about a millisecond.
        const std::vector<SimProcess::Burst> bursts = sim.searchBursts();
        QCOMPARE(bursts.size(), requestNs.size());
        QVERIFY(bursts.size() >= 2);
        for (const SimProcess::Burst& b : bursts) {
            QCOMPARE(b.count, cards);
        }
        const double offsetMs = ms(requestNs.front()) - bursts.front().requestMs;
        const double firstBurstEndMs = bursts.front().lastMs + offsetMs;
        const double lastBurstEndMs = bursts.back().lastMs + offsetMs;
        const QJsonObject search{
            {u"cards"_s, cards},
            {u"requests"_s, int(bursts.size())},
            {u"lastAnswerToDialogListedMs"_s, ms(dialogListedNs) - firstBurstEndMs},
            {u"lastAnswerToMainListedMs"_s, ms(mainListedNs) - lastBurstEndMs},
            {u"closingTickToMainListedMs"_s, ms(mainListedNs - closingTickNs)},
            {u"lastBurstSpanMs"_s, bursts.back().lastMs - bursts.back().firstMs},
        };

        // The tester's path: the block chosen by filter and Ctrl+A, written from 10.77.18.1.
        RunFigures chosen;
        runDialog(*w, watch, kBlock, u"10.77.18.1"_s, chosen);
        if (QTest::currentTestFailed()) {
            return;
        }
        // Then every card, Ctrl+A with no filter, written from 10.77.20.1.
        RunFigures all;
        runDialog(*w, watch, QString(), u"10.77.20.1"_s, all);
        if (QTest::currentTestFailed()) {
            return;
        }

        const QJsonObject figures{
            {u"search"_s, search}, {u"chosen"_s, chosen.json()}, {u"all"_s, all.json()}};
        const QByteArray json = QJsonDocument(figures).toJson(QJsonDocument::Compact);
        qInfo("window: %s", json.constData());
        if (const QString path = qEnvironmentVariable("LEDCFG_WINDOW_REPORT"); !path.isEmpty()) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(json + '\n');
        }

        // The block alone was ticked, and every card of it confirmed at the next address in
        // the order shown.
        QCOMPARE(chosen.ticked, u"%1 of %2 cards ticked"_s.arg(block).arg(cards));
        QCOMPARE(chosen.cards, block);
        QCOMPARE(chosen.states, QStringList(block, u"Confirmed"_s));
        QCOMPARE(
            chosen.summary,
            u"%1 cards: %1 confirmed, 0 not confirmed, 0 no answer, 0 refused, 0 not written."_s
                .arg(block));
        QCOMPARE(all.ticked, u"%1 of %1 cards ticked"_s.arg(cards));
        QCOMPARE(all.cards, cards);
        QCOMPARE(all.states, QStringList(cards, u"Confirmed"_s));
        std::map<QString, std::vector<QString>> written; // by MAC, the addresses sent
        for (const QJsonObject& e : sim.events(u"write"_s)) {
            QVERIFY(e[u"applied"].toBool());
            const QJsonObject s = e[u"state"].toObject();
            written[s[u"mac"].toString()].push_back(s[u"ip"].toString());
        }
        QCOMPARE(int(written.size()), cards);
        for (int k = 0; k < block; ++k) {
            const QString mac = chosen.macs[k];
            QVERIFY2(ipOfMac[mac].startsWith(kBlock), qPrintable(mac));
            QCOMPARE(chosen.newIps[k], u"10.77.18.%1"_s.arg(k + 1));
            QCOMPARE(written[mac].size(), std::size_t(2));
            QCOMPARE(written[mac].front(), chosen.newIps[k]);
        }
        for (int k = 0; k < cards; ++k) {
            const QString mac = all.macs[k];
            QCOMPARE(all.newIps[k], u"10.77.20.%1"_s.arg(k + 1));
            QCOMPARE(written[mac].back(), all.newIps[k]);
            QCOMPARE(written[mac].size(), std::size_t(ipOfMac[mac].startsWith(kBlock) ? 2 : 1));
        }
        QVERIFY2(boxes.texts.isEmpty(), qPrintable(boxes.texts.join(u'\n')));

        // The goals are 100 ms, 300 ms, 1.3 times the floor, 100 ms and 20 MiB; these bounds
        // catch a window gone wrong, not a busy machine.
        QVERIFY2(search[u"lastAnswerToDialogListedMs"_s].toDouble() < 1000,
                 qPrintable(QString::number(search[u"lastAnswerToDialogListedMs"_s].toDouble())));
        for (const RunFigures* f : {&chosen, &all}) {
            QVERIFY2(f->openNs < 3'000'000'000, qPrintable(QString::number(ms(f->openNs))));
            QVERIFY2(f->worstKeyNs < 1'000'000'000, qPrintable(QString::number(ms(f->worstKeyNs))));
            QVERIFY2(f->tickNs < 1'000'000'000, qPrintable(QString::number(ms(f->tickNs))));
            QVERIFY2(f->floorNs >= 5'000'000'000, qPrintable(QString::number(ms(f->floorNs))));
            QVERIFY2(f->floorRatio() < 2.0, qPrintable(QString::number(f->floorRatio())));
            QVERIFY2(f->worstLatenessNs < 1'000'000'000,
                     qPrintable(QString::number(ms(f->worstLatenessNs))));
            QVERIFY2(f->rssAfterKb - f->rssBeforeKb < 200 * 1024,
                     qPrintable(QString::number(f->rssAfterKb - f->rssBeforeKb)));
        }
    }
};

QTEST_MAIN(WallWindowE2ETest)
#include "WallWindowE2ETest.moc"
