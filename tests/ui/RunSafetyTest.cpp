// The several-cards dialog's safety: the plan shown before Start, the checks on Start before
// anything is sent, and the backup and journal lines of every card written. Restore from backup
// is tested against the simulator (tests/e2e).

#include "SeveralCardsFixture.h"
#include "StartedWindow.h"
#include "fleet/Records.h"
#include "support/CardBytes.h"

#include <QDir>
#include <QTest>

using namespace uitest;
using namespace Qt::StringLiterals;
using protocol::Edit;

class RunSafetyTest : public QObject, public AnsweredDialogs {
    Q_OBJECT

    std::unique_ptr<ui::MainWindow> w_;
    testsupport::FakeEndpoint* endpoint_ = nullptr;

    // Runs the several-cards dialog; how many datagrams it sent.
    std::size_t run(const std::function<void(ui::BatchWriteDialog&)>& act) {
        const std::size_t before = endpoint_->sent.size();
        w_->runBatchDialog = act;
        w_->writeSeveralCards();
        return endpoint_->sent.size() - before;
    }

private slots:
    void init() {
        answerDialogs();
        w_ = StartedWindow(Profile{.lgType = 2});
        w_->setDataFolder(path("data"));
        endpoint_ = &dynamic_cast<testsupport::FakeEndpoint&>(w_->UDPBSer());
        // Four cards by MAC; the panel shows the first as read: .100/24, gateway .1.
        w_->appendDeviceRows({{1, "Hall", "00:1A:2B:00:00:01", "192.168.1.100", 60},
                              {2, "Door", "00:1A:2B:00:00:02", "192.168.1.101", 60},
                              {3, "Stage", "00:1A:2B:00:00:03", "192.168.1.102", 60},
                              {4, "Bar", "00:1A:2B:00:00:04", "192.168.1.103", 60}});
        endpoint_->deliver(testsupport::parameterReply());
    }
    void cleanup() {
        w_.reset();
        stopAnswering();
    }

    // Before Start each ticked row shows the address it would get. A run onto addresses two
    // cards outside it hold sends nothing, names both in one box and marks their rows; cards by
    // MAC leaving the subnet are a question, No by default.
    void checksOnStart_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QStringList>("states");
        QTest::addColumn<QString>("tip");     // in the second row's state
        QTest::addColumn<QStringList>("box"); // the start of each line of the one box
        QTest::newRow("taken")
            << u"192.168.1.102"_s << u"192.168.1.103"_s
            << QStringList{u"Refused"_s, u"Refused"_s, {}, {}}
            << u"192.168.1.103 is already the address of Bar"_s
            << QStringList{u"The checks before writing refuse this run; nothing was sent:"_s,
                           u"Hall (00:1A:2B:00:00:01, 192.168.1.100): network.ip: "
                           "192.168.1.102 is already the address of Stage"_s,
                           u"Door (00:1A:2B:00:00:02, 192.168.1.101): network.ip: "
                           "192.168.1.103 is already the address of Bar"_s};
        QTest::newRow("other subnet")
            << u"10.0.0.20"_s << u"10.0.0.21"_s << QStringList(4, QString())
            << u"network.ip -> 10.0.0.21"_s
            << QStringList{u"The checks before writing found:"_s,
                           u"Hall (00:1A:2B:00:00:01, 192.168.1.100): network.ip: 10.0.0.20 is in "
                           "none of this computer's subnets"_s,
                           u"Door"_s,
                           {},
                           u"Write anyway?"_s};
    }
    void checksOnStart() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QStringList, states);
        QFETCH(QString, tip);
        QFETCH(QStringList, box);
        for (Edit e : {Edit::Gate1, Edit::Gate2, Edit::Gate3, Edit::Gate4}) {
            w_->panel()[e]->setText(u"0"_s); // no gateway to leave behind in 10.0.0.0/24
        }
        QStringList planned;
        QStringList shown;
        const std::size_t sends = run([&](ui::BatchWriteDialog& dialog) {
            Tick(dialog, {0, 1}, first);
            planned = Column(dialog.list(), kNewIpColumn);
            dialog.btStartClick();
            shown = Column(dialog.list(), kStateColumn);
            shown << dialog.list()->item(1, kStateColumn)->toolTip();
        });
        QCOMPARE(sends, 0u);
        QCOMPARE(planned, (QStringList{first, second, {}, {}}));
        QCOMPARE(shown.mid(0, 4), states);
        // A refused row's state says why, any other what it would get.
        QVERIFY2(shown[4].contains(tip), qPrintable(shown[4]));
        QCOMPARE(boxes_.texts.size(), 1);
        const QStringList lines = boxes_.texts[0].split(u'\n');
        QCOMPARE(lines.size(), box.size());
        for (int i = 0; i < box.size(); ++i) {
            QVERIFY2(lines[i].startsWith(box[i]), qPrintable(lines[i]));
        }
        QCOMPARE(boxes_.buttons,
                 (states[0] == u"Refused"_s ? QStringList() : QStringList{u"&Yes"_s, u"&No"_s}));
    }

    // Each written card is backed up by its MAC and journalled; its tooltip then says what
    // changes on it. A card whose backup cannot be saved is not written, and the run says so.
    void backupsAndJournal_data() {
        QTest::addColumn<bool>("backupFails");
        QTest::newRow("saved") << false;
        QTest::newRow("no backup folder") << true;
    }
    void backupsAndJournal() {
        QFETCH(bool, backupFails);
        const QString data = w_->dataFolder();
        QVERIFY(QDir().mkpath(data));
        QFile blocker(data + u"/backups"_s);
        QVERIFY(!backupFails || blocker.open(QIODevice::WriteOnly));
        blocker.close();
        w_->panel()[Edit::PLen]->setText(u"256"_s);
        QStringList seen;
        const std::size_t sends = run([&](ui::BatchWriteDialog& dialog) {
            Tick(dialog, {0, 1});
            dialog.btStartClick();
            endpoint_->deliver(testsupport::parameterReply());
            endpoint_->deliver(testsupport::parameterReply("00 1A 2B 00 00 02", "C0 A8 01 65"));
            dialog.btCancelClick();
            seen << Column(dialog.list(), kStateColumn).mid(0, 2)
                 << Column(dialog.list(), kNewIpColumn).mid(0, 2)
                 << dialog.list()->item(1, 1)->toolTip();
        });
        const QString changes = u"What changes on this card:\ndisplay.width: 128 -> 256"_s;
        if (backupFails) {
            QCOMPARE(sends, 2u); // the reads alone
            QCOMPARE(seen, (QStringList{u"Refused"_s, u"Refused"_s, {}, {}, changes}));
            QCOMPARE(boxes_.texts,
                     QStringList{u"These backups or journal lines could not be "
                                 "written:\nCannot make the backup folder "_s +
                                 QDir::toNativeSeparators(blocker.fileName()) + u"."_s});
            return;
        }
        QCOMPARE(sends, 4u);
        QCOMPARE(seen, (QStringList{u"Not confirmed"_s, u"Not confirmed"_s, u"192.168.1.100"_s,
                                    u"192.168.1.101"_s, changes}));
        QStringList journal;
        for (const auto& e : fleet::ReadJournal(data + u"/journal.jsonl"_s).entries) {
            journal << QString::fromStdString(e.mac.substr(15) + ' ' + e.outcome);
        }
        QCOMPARE(journal,
                 (QStringList{u"01 sent"_s, u"02 sent"_s, u"01 cancelled"_s, u"02 cancelled"_s}));
        const QDir backups(data + u"/backups"_s);
        const QStringList runs = backups.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(runs.size(), 1);
        QCOMPARE(QDir(backups.filePath(runs[0])).entryList(QDir::Files),
                 (QStringList{u"00-1A-2B-00-00-01.json"_s, u"00-1A-2B-00-00-02.json"_s}));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    RunSafetyTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "RunSafetyTest.moc"
