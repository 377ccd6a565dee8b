// The many-card commands of the real main window against simulated cards in the namespace bed:
// the found list exported, also with a name a spreadsheet would run, the panel saved and loaded
// back, twenty cards written with sequential addresses, a write cancelled halfway, a run onto
// addresses other cards hold refused with nothing sent, and a run undone from its backup. What
// the cards received and became is read back from the simulator's report.

#include "NetBed.h"
#include "SimProcess.h"
#include "ToolSide.h"
#include "fleet/Records.h"
#include "session/CardSession.h"
#include "support/RecordingMessageBoxes.h"
#include "support/ScriptedFileDialogs.h"
#include "ui/BatchWriteDialog.h"
#include "ui/BatchWriteRun.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <map>
#include <memory>

using protocol::Edit;
using testbed::Side;
using testbed::SimProcess;
using namespace Qt::StringLiterals;

namespace {

constexpr int kStateColumn = 5;
constexpr int kNewIpColumn = 4;

// Each card's writes as the simulator reported them, by card number.
std::map<int, std::vector<QJsonObject>> writesByCard(SimProcess& sim) {
    std::map<int, std::vector<QJsonObject>> out;
    for (const QJsonObject& e : sim.events(u"write"_s)) {
        out[e[u"card"].toInt()].push_back(e);
    }
    return out;
}

QStringList column(QTableWidget* list, int c) {
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r) {
        out << list->item(r, c)->text();
    }
    return out;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A search answer as a card sends it: name, MAC, IP and version frames.
QByteArray searchAnswer(const QByteArray& name, const QByteArray& mac, const QByteArray& ip,
                        quint8 version) {
    QByteArray d;
    const auto frame = [&](quint8 command, const QByteArray& payload) {
        d += char(0xA1);
        d += char(command);
        d += char(payload.size());
        d += payload;
        d += char(0xFF);
    };
    frame(0x02, name);
    frame(0x04, mac);
    frame(0x05, ip);
    frame(0x20, QByteArray(1, char(version)));
    return d;
}

} // namespace

class ManyCardsE2ETest : public QObject {
    Q_OBJECT

    std::unique_ptr<testbed::NetBed> bed_;
    std::unique_ptr<net::ScopedInterfaceSource> adapters_;
    std::unique_ptr<testsupport::RecordingMessageBoxes> boxes_;
    std::unique_ptr<platform::ScopedMessageBoxes> boxesGuard_;
    std::unique_ptr<testsupport::ScriptedFileDialogs> files_;
    std::unique_ptr<platform::ScopedFileDialogs> filesGuard_;
    std::unique_ptr<QTemporaryDir> dir_;

    // Presses the search button; the dialog counts down on the real timers, then the first
    // card is read. Waits for its reply.
    static void searchAndReadFirst(ui::MainWindow& w) {
        QSignalSpy replies(&w.session(), &session::CardSession::replyApplied);
        w.findChild<QPushButton*>(u"btSModm"_s)->click();
        QTRY_COMPARE_WITH_TIMEOUT(replies.count(), 1, 5000);
    }

private slots:
    void initTestCase() {
        TESTBED_UP_ON_TOOL_SIDE(bed_);
        adapters_ = std::make_unique<net::ScopedInterfaceSource>(
            [this] { return QList<net::InterfaceRecord>{testbed::ToolVeth(*bed_)}; });
    }

    void cleanupTestCase() {
        adapters_.reset();
        bed_.reset();
    }

    void init() {
        boxes_ = std::make_unique<testsupport::RecordingMessageBoxes>();
        boxesGuard_ = std::make_unique<platform::ScopedMessageBoxes>(*boxes_);
        files_ = std::make_unique<testsupport::ScriptedFileDialogs>();
        filesGuard_ = std::make_unique<platform::ScopedFileDialogs>(*files_);
        dir_ = std::make_unique<QTemporaryDir>();
    }

    void cleanup() {
        filesGuard_.reset();
        files_.reset();
        boxesGuard_.reset();
        boxes_.reset();
    }

    // Five cards found: the list exported with each card's firmware version, then to a path
    // that cannot be written; the first card's panel saved, the second card read, the file
    // loaded: every field as saved, except the second card's own MAC, version and code.
    void exportAndParameterFile() {
        auto sim = SimProcess::launch(*bed_, {u"--cards"_s, u"5"_s, u"--versions"_s, u"60,53"_s,
                                              u"--names"_s, u"Card %1,Hall"_s});
        QVERIFY(sim);
        auto w = testbed::ShowEnglishWindow(*bed_, 3);
        searchAndReadFirst(*w);
        QCOMPARE(w->deviceRowCount(), 5);

        const QString csv = dir_->filePath(u"devices.csv"_s);
        files_->answers = {csv};
        w->menu_sub_export_listClick();
        QCOMPARE(readAll(csv), QByteArray("\xEF\xBB\xBFOrder Num,Device Model,Mac Address,"
                                          "IP Address,Version\r\n"
                                          "1,Card 1,00:1A:2B:00:00:01,192.168.1.100,60\r\n"
                                          "2,Hall,00:1A:2B:00:00:02,192.168.1.101,53\r\n"
                                          "3,Card 3,00:1A:2B:00:00:03,192.168.1.102,60\r\n"
                                          "4,Hall,00:1A:2B:00:00:04,192.168.1.103,53\r\n"
                                          "5,Card 5,00:1A:2B:00:00:05,192.168.1.104,60\r\n"));
        const QString unwritable = dir_->filePath(u"gone/devices.csv"_s);
        files_->answers = {unwritable};
        w->menu_sub_export_listClick();
        QCOMPARE(boxes_->texts,
                 QStringList{u"Cannot write the file "_s + QDir::toNativeSeparators(unwritable)});
        QCOMPARE(w->deviceRowCount(), 5);
        boxes_->texts.clear();

        const protocol::PanelModel first = w->readPanel();
        QCOMPARE(first[Edit::MACAddr], "00:1A:2B:00:00:01");
        const QString profile = dir_->filePath(u"card1.json"_s);
        files_->answers = {profile};
        w->menu_sub_save_parametersClick();
        QVERIFY(QFile::exists(profile));

        QSignalSpy replies(&w->session(), &session::CardSession::replyApplied);
        w->selectDeviceRow(1);
        w->lvModListDblClick();
        QTRY_COMPARE_WITH_TIMEOUT(replies.count(), 1, 3000);
        const protocol::PanelModel second = w->readPanel();
        QCOMPARE(second[Edit::MACAddr], "00:1A:2B:00:00:02");

        const std::size_t requestsBefore = sim->events(u"request"_s).size();
        files_->answers = {profile};
        w->menu_sub_load_parametersClick();
        QVERIFY(boxes_->texts.isEmpty());
        const protocol::PanelModel loaded = w->readPanel();
        for (std::size_t e = 0; e < protocol::EditCount; ++e) {
            const auto edit = Edit(e);
            const bool own = edit == Edit::MACAddr || edit == Edit::Version ||
                             edit == Edit::InnerCodeHex || edit == Edit::InnerCodeDec;
            QCOMPARE(loaded[edit], own ? second[edit] : first[edit]);
        }
        for (std::size_t c = 0; c < protocol::ComboCount; ++c) {
            QCOMPARE(loaded.combos[c].index, first.combos[c].index);
        }
        QCOMPARE(loaded.serverByDomain, first.serverByDomain);
        QCOMPARE(loaded.dnsManual, first.dnsManual);
        // Loading sends nothing.
        QTest::qWait(200);
        QCOMPARE(sim->events(u"request"_s).size(), requestsBefore);
    }

    // A card whose name a spreadsheet would run as a formula, answering the search beside a
    // simulated one: the export keeps the name as text.
    void formulaNameExportedAsText() {
        auto sim = SimProcess::launch(*bed_, {u"--cards"_s, u"1"_s});
        QVERIFY(sim);
        auto w = testbed::ShowEnglishWindow(*bed_, 3);
        std::unique_ptr<QUdpSocket> card;
        {
            testbed::SideScope cardSide(*bed_, Side::Card);
            card = std::make_unique<QUdpSocket>();
            QVERIFY(card->bind(QHostAddress(u"192.168.1.2"_s), 0));
        }
        QTimer::singleShot(1500, card.get(), [&] {
            card->writeDatagram(searchAnswer("=HYPERLINK(\"http://x\",\"y\")",
                                             QByteArray::fromHex("001a2b000099"),
                                             QByteArray::fromHex("c0a8017e"), 60),
                                QHostAddress(bed_->toolAddress()), 4400);
        });
        searchAndReadFirst(*w);
        QCOMPARE(w->deviceRowCount(), 2);

        const QString csv = dir_->filePath(u"devices.csv"_s);
        files_->answers = {csv};
        w->menu_sub_export_listClick();
        QCOMPARE(readAll(csv),
                 QByteArray("\xEF\xBB\xBFOrder Num,Device Model,Mac Address,IP Address,Version\r\n"
                            "1,Card 1,00:1A:2B:00:00:01,192.168.1.100,60\r\n"
                            "2,\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",00:1A:2B:00:00:99,"
                            "192.168.1.126,60\r\n"));
        QVERIFY(boxes_->texts.isEmpty());
    }

    // Twenty simulated cards, two of which ignore writes, and a card that answered the search
    // but answers nothing after it: every card ticked, sequential addresses from .130.
    void twentyCardsWithSequentialAddresses() {
        auto sim =
            SimProcess::launch(*bed_, {u"--cards"_s, u"20"_s, u"--ignore-writes"_s, u"5,12"_s});
        QVERIFY(sim);
        auto w = testbed::ShowEnglishWindow(*bed_, 3);
        // The silent card's one answer, sent from the card side while the search runs.
        std::unique_ptr<QUdpSocket> silent;
        {
            testbed::SideScope cardSide(*bed_, Side::Card);
            silent = std::make_unique<QUdpSocket>();
            QVERIFY(silent->bind(QHostAddress(u"192.168.1.2"_s), 0));
        }
        QTimer::singleShot(1500, silent.get(), [&] {
            silent->writeDatagram(searchAnswer("Silent", QByteArray::fromHex("001a2b000099"),
                                               QByteArray::fromHex("c0a8017e"), 60),
                                  QHostAddress(bed_->toolAddress()), 4400);
        });
        searchAndReadFirst(*w);
        QCOMPARE(w->deviceRowCount(), 21);
        QCOMPARE(w->deviceRow(20).mac, std::string("00:1A:2B:00:00:99"));

        // A 50 ms timer, as any periodic work of the window: how late does it come?
        QElapsedTimer clock;
        qint64 last = -1;
        qint64 worstGap = 0;
        QTimer probe;
        probe.setInterval(50);
        connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            if (last >= 0) {
                worstGap = std::max(worstGap, now - last);
            }
            last = now;
        });

        QStringList states;
        QStringList newIps;
        QString summary;
        qint64 runMs = 0;
        w->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            QTableWidget* list = dialog.list();
            QCOMPARE(list->rowCount(), 21);
            for (int r = 0; r < list->rowCount(); ++r) {
                list->item(r, 0)->setCheckState(Qt::Checked);
            }
            dialog.findChild<QCheckBox*>(u"cbSequentialIp"_s)->setChecked(true);
            dialog.findChild<QLineEdit*>(u"edtFirstIp"_s)->setText(u"192.168.1.130"_s);
            clock.start();
            probe.start();
            QTest::mouseClick(dialog.findChild<QPushButton*>(u"btStart"_s), Qt::LeftButton);
            QVERIFY(dialog.run().running());
            // Each state as it changes: all are sent before any is confirmed.
            QTRY_VERIFY_WITH_TIMEOUT(column(list, kStateColumn).count(u"Sent"_s) == 20, 3000);
            QTRY_VERIFY_WITH_TIMEOUT(!dialog.run().running(), 30000);
            runMs = clock.elapsed();
            probe.stop();
            states = column(list, kStateColumn);
            newIps = column(list, kNewIpColumn);
            summary = dialog.findChild<QLabel*>(u"lbSummary"_s)->text();
            files_->answers = {dir_->filePath(u"results.csv"_s)};
            QTest::mouseClick(dialog.findChild<QPushButton*>(u"btExportResults"_s), Qt::LeftButton);
        };
        w->menu_sub_write_several_cardsClick();
        qInfo("20 cards and a silent one: %lld ms, the 50 ms timer at worst %lld ms apart", runMs,
              worstGap);
        QVERIFY2(worstGap < 500, qPrintable(QString::number(worstGap)));
        QVERIFY(boxes_->texts.isEmpty());

        QStringList wantStates;
        QStringList wantIps;
        for (int k = 1; k <= 20; ++k) {
            const bool ignores = k == 5 || k == 12;
            wantStates << (ignores ? u"Not confirmed"_s : u"Confirmed"_s);
            // A card written but not confirmed shows the address sent to it all the same.
            wantIps << u"192.168.1.%1"_s.arg(129 + k);
        }
        wantStates << u"No answer"_s;
        wantIps << QString();
        QCOMPARE(states, wantStates);
        QCOMPARE(newIps, wantIps);
        QCOMPARE(summary, u"21 cards: 18 confirmed, 2 not confirmed, 1 no answer, 0 refused, "
                          u"0 not written."_s);

        // The cards as the simulator saw them: one write each, taken but by the two.
        const auto writes = writesByCard(*sim);
        QCOMPARE(int(writes.size()), 20);
        for (int k = 1; k <= 20; ++k) {
            const bool ignores = k == 5 || k == 12;
            QCOMPARE(int(writes.at(k).size()), 1);
            const QJsonObject& write = writes.at(k).front();
            QCOMPARE(write[u"applied"].toBool(), !ignores);
            const QString ip = write[u"state"].toObject()[u"ip"].toString();
            QCOMPARE(ip, ignores ? u"192.168.1.%1"_s.arg(99 + k) : u"192.168.1.%1"_s.arg(129 + k));
        }
        // The device list shows the addresses the cards have now.
        for (int k = 1; k <= 20; ++k) {
            const bool ignores = k == 5 || k == 12;
            QCOMPARE(QString::fromStdString(w->deviceRow(k - 1).ip),
                     u"192.168.1.%1"_s.arg(ignores ? 99 + k : 129 + k));
        }
        QCOMPARE(w->deviceRow(20).ip, std::string("192.168.1.126"));
        const QList<QByteArray> results = readAll(dir_->filePath(u"results.csv"_s)).split('\n');
        QCOMPARE(results.size(), 23);
        QCOMPARE(results[5], QByteArray("5,Card 5,00:1A:2B:00:00:05,192.168.1.104,192.168.1.134,"
                                        "Not confirmed\r"));
        QCOMPARE(results[21], QByteArray("21,Silent,00:1A:2B:00:00:99,192.168.1.126,,No answer\r"));

        // The window hears its cards again: a refresh of the card it read is answered.
        QSignalSpy replies(&w->session(), &session::CardSession::replyApplied);
        w->btRefreshClick();
        QTRY_COMPARE_WITH_TIMEOUT(replies.count(), 1, 3000);
        QCOMPARE(w->readPanel()[Edit::IP4], "130");
    }

    // Slow cards; Cancel while some are written and others still being read: the written ones
    // end not confirmed, the others are never written, and nothing more is sent.
    void cancelHalfway() {
        auto sim = SimProcess::launch(*bed_, {u"--cards"_s, u"20"_s, u"--delay-ms"_s, u"1000"_s,
                                              u"--jitter-ms"_s, u"2500"_s, u"--seed"_s, u"7"_s});
        QVERIFY(sim);
        auto w = testbed::ShowEnglishWindow(*bed_, 6);
        QSignalSpy replies(&w->session(), &session::CardSession::replyApplied);
        w->findChild<QPushButton*>(u"btSModm"_s)->click();
        QTRY_VERIFY_WITH_TIMEOUT(replies.count() >= 1, 10000);
        QCOMPARE(w->deviceRowCount(), 20);

        QStringList states;
        std::size_t requestsAtCancel = 0;
        w->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            QTableWidget* list = dialog.list();
            for (int r = 0; r < list->rowCount(); ++r) {
                list->item(r, 0)->setCheckState(Qt::Checked);
            }
            dialog.btStartClick();
            QTRY_VERIFY_WITH_TIMEOUT(column(list, kStateColumn).count(u"Sent"_s) >= 3, 5000);
            QVERIFY(column(list, kStateColumn).count(u"Waiting"_s) >= 3);
            QTest::mouseClick(dialog.findChild<QPushButton*>(u"btCancel"_s), Qt::LeftButton);
            QVERIFY(!dialog.run().running());
            // What left before Cancel reaches the simulator's report a moment later.
            QTest::qWait(500);
            requestsAtCancel = sim->events(u"request"_s).size();
            states = column(list, kStateColumn);
            QVERIFY(dialog.findChild<QLabel*>(u"lbSummary"_s)->text().startsWith(u"Cancelled."_s));
        };
        w->menu_sub_write_several_cardsClick();
        // Late answers still come; no request follows them.
        QTest::qWait(4000);
        QCOMPARE(sim->events(u"request"_s).size(), requestsAtCancel);

        const auto writes = writesByCard(*sim);
        int written = 0;
        for (int r = 0; r < 20; ++r) {
            // Rows follow the order of the answers; the simulator numbers its cards by MAC.
            const int card = QString::fromStdString(w->deviceRow(r).mac)
                                 .right(5)
                                 .remove(u':')
                                 .toInt(nullptr, 16);
            const bool wasWritten = writes.count(card) != 0;
            QVERIFY2(states[r] == (wasWritten ? u"Not confirmed"_s : u"Not written"_s),
                     qPrintable(u"card %1: %2"_s.arg(card).arg(states[r])));
            written += wasWritten ? 1 : 0;
        }
        QVERIFY(written >= 3 && written <= 17);
    }

    // A run that would give two cards addresses held by cards outside it is refused on Start:
    // the simulator receives nothing at all, and one box names both cards.
    void runOntoTakenAddressesSendsNothing() {
        auto sim = SimProcess::launch(*bed_, {u"--cards"_s, u"6"_s});
        QVERIFY(sim);
        auto w = testbed::ShowEnglishWindow(*bed_, 3);
        w->setDataFolder(dir_->filePath(u"data"_s));
        searchAndReadFirst(*w);
        QCOMPARE(w->deviceRowCount(), 6);
        QTest::qWait(300);
        const std::size_t requests = sim->events(u"request"_s).size();
        w->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            // The cards at .100 to .102 would get .104 to .106; .104 and .105 are taken.
            for (int r = 0; r < 6; ++r) {
                const std::string ip = w->deviceRow(r).ip;
                if (ip == "192.168.1.100" || ip == "192.168.1.101" || ip == "192.168.1.102") {
                    dialog.list()->item(r, 0)->setCheckState(Qt::Checked);
                }
            }
            dialog.findChild<QCheckBox*>(u"cbSequentialIp"_s)->setChecked(true);
            dialog.findChild<QLineEdit*>(u"edtFirstIp"_s)->setText(u"192.168.1.104"_s);
            QTest::mouseClick(dialog.findChild<QPushButton*>(u"btStart"_s), Qt::LeftButton);
            QVERIFY(!dialog.run().running());
            QCOMPARE(column(dialog.list(), kStateColumn).count(u"Refused"_s), 2);
        };
        w->menu_sub_write_several_cardsClick();
        QTest::qWait(1000);
        QCOMPARE(sim->events(u"request"_s).size(), requests);
        QVERIFY(sim->events(u"write"_s).empty());
        QCOMPARE(boxes_->texts.size(), 1);
        const QStringList lines = boxes_->texts[0].split(u'\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].contains(u"192.168.1.104 is already the address of"_s));
        QVERIFY(lines[2].contains(u"192.168.1.105 is already the address of"_s));
        QVERIFY(!QDir(dir_->filePath(u"data/backups"_s)).exists());
    }

    // Three cards moved to new addresses, then the backup of that run restored: every card is
    // back at its old address, confirmed, and the journal holds both runs card by card.
    void restoreBringsTheCardsBack() {
        auto sim = SimProcess::launch(*bed_, {u"--cards"_s, u"3"_s});
        QVERIFY(sim);
        auto w = testbed::ShowEnglishWindow(*bed_, 3);
        const QString data = dir_->filePath(u"data"_s);
        w->setDataFolder(data);
        searchAndReadFirst(*w);
        QCOMPARE(w->deviceRowCount(), 3);
        // Runs the dialog a command opens until every card is done; the states at the end.
        const auto run = [&](void (ui::MainWindow::*command)(),
                             const std::function<void(ui::BatchWriteDialog&)>& prepare) {
            QStringList states;
            w->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
                prepare(dialog);
                dialog.btStartClick();
                QTRY_VERIFY_WITH_TIMEOUT(!dialog.run().running(), 20000);
                states = column(dialog.list(), kStateColumn);
            };
            (w.get()->*command)();
            return states;
        };
        QCOMPARE(run(&ui::MainWindow::menu_sub_write_several_cardsClick,
                     [](ui::BatchWriteDialog& dialog) {
                         for (int r = 0; r < 3; ++r) {
                             dialog.list()->item(r, 0)->setCheckState(Qt::Checked);
                         }
                         dialog.findChild<QCheckBox*>(u"cbSequentialIp"_s)->setChecked(true);
                         dialog.findChild<QLineEdit*>(u"edtFirstIp"_s)->setText(u"192.168.1.140"_s);
                     }),
                 QStringList(3, u"Confirmed"_s));
        const QStringList runs =
            QDir(data + u"/backups"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(runs.size(), 1);

        // Beside them, a backup of a card no search found and a file that is no profile.
        const QString folder = data + u"/backups/"_s + runs[0];
        const auto put = [&](const QString& name, const QByteArray& bytes) {
            QFile file(folder + u'/' + name);
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        QVERIFY(put(u"00-1A-2B-00-00-09.json"_s,
                    readAll(folder + u"/00-1A-2B-00-00-01.json"_s)
                        .replace("00:1A:2B:00:00:01", "00:1A:2B:00:00:09")));
        QVERIFY(put(u"notes.json"_s, "[]"));

        // The found cards come ticked, each with its old address as its new one; the other is
        // not found, the file that is no profile named.
        files_->answers = {folder};
        QStringList planned;
        QCOMPARE(run(&ui::MainWindow::menu_sub_restore_backupClick,
                     [&](ui::BatchWriteDialog& dialog) {
                         planned = column(dialog.list(), kNewIpColumn);
                     }),
                 (QStringList{u"Confirmed"_s, u"Confirmed"_s, u"Confirmed"_s, u"Not found"_s}));
        QCOMPARE(planned, (QStringList{u"192.168.1.100"_s, u"192.168.1.101"_s, u"192.168.1.102"_s,
                                       QString()}));
        QCOMPARE(boxes_->texts.size(), 1);
        QVERIFY2(boxes_->texts[0].startsWith(u"These backups were left out:\n"_s +
                                             QDir::toNativeSeparators(folder + u"/notes.json"_s)),
                 qPrintable(boxes_->texts[0]));

        // Each card's last write as the simulator took it: its own address again.
        const auto writes = writesByCard(*sim);
        for (int k = 1; k <= 3; ++k) {
            QCOMPARE(int(writes.at(k).size()), 2);
            QCOMPARE(writes.at(k).back()[u"state"].toObject()[u"ip"].toString(),
                     u"192.168.1.%1"_s.arg(99 + k));
        }
        QStringList listed;
        for (int r = 0; r < 3; ++r) {
            listed << QString::fromStdString(w->deviceRow(r).ip);
        }
        listed.sort();
        QCOMPARE(listed, (QStringList{u"192.168.1.100"_s, u"192.168.1.101"_s, u"192.168.1.102"_s}));
        const auto journal = fleet::ReadJournal(data + u"/journal.jsonl"_s);
        QStringList outcomes;
        for (const auto& e : journal.entries) {
            outcomes << QString::fromStdString(e.outcome);
        }
        QCOMPARE(outcomes.count(u"sent"_s), 6);
        QCOMPARE(outcomes.count(u"confirmed"_s), 6);
        QVERIFY(journal.badLines.empty());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ManyCardsE2ETest t;
    return QTest::qExec(&t, argc, argv);
}

#include "ManyCardsE2ETest.moc"
