// The several-cards dialog's safety: the plan shown before Start, the checks on Start before
// anything is sent, and the backup and journal lines of every card written. Restore from backup
// is tested against the simulator (tests/e2e).

#include "StartedWindow.h"
#include "fleet/Records.h"
#include "support/CardBytes.h"
#include "support/RecordingMessageBoxes.h"
#include "support/ScriptedFileDialogs.h"
#include "ui/BatchWriteDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace uitest;
using namespace Qt::StringLiterals;
using protocol::Edit;

namespace {

constexpr int kNewIp = 4;
constexpr int kState = 5;
const QString kPanel = u"Writes the parameters shown in the main window."_s;

void Tick(ui::BatchWriteDialog& dialog, std::initializer_list<int> rows,
          const QString& first = {}) {
    for (int r : rows) {
        dialog.list()->item(r, 0)->setCheckState(Qt::Checked);
    }
    dialog.findChild<QCheckBox*>(u"cbSequentialIp"_s)->setChecked(!first.isEmpty());
    dialog.findChild<QLineEdit*>(u"edtFirstIp"_s)->setText(first);
}

QStringList Column(const QTableWidget* list, int c) {
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r) {
        out << list->item(r, c)->text();
    }
    return out;
}

} // namespace

class RunSafetyTest : public QObject {
    Q_OBJECT

    testsupport::RecordingMessageBoxes boxes_;
    testsupport::ScriptedFileDialogs files_;
    std::unique_ptr<platform::ScopedMessageBoxes> scopedBoxes_;
    std::unique_ptr<platform::ScopedFileDialogs> scopedFiles_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ui::MainWindow> w_;
    testsupport::FakeEndpoint* endpoint_ = nullptr;

    // Runs the several-cards dialog; `sends` counts what it sent.
    void run(const std::function<void(ui::BatchWriteDialog&)>& act, std::size_t* sends = nullptr) {
        const std::size_t before = endpoint_->sent.size();
        w_->runBatchDialog = act;
        w_->writeSeveralCards();
        if (sends) {
            *sends = endpoint_->sent.size() - before;
        }
    }

private slots:
    void init() {
        boxes_ = {};
        files_ = {};
        scopedBoxes_ = std::make_unique<platform::ScopedMessageBoxes>(boxes_);
        scopedFiles_ = std::make_unique<platform::ScopedFileDialogs>(files_);
        dir_ = std::make_unique<QTemporaryDir>();
        w_ = StartedWindow(Profile{.lgType = 2});
        w_->setDataFolder(dir_->filePath(u"data"_s));
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
        scopedFiles_.reset();
        scopedBoxes_.reset();
    }

    // Before Start each ticked row shows the address it would get. A run onto addresses two
    // cards outside it hold sends nothing, names both in one box and marks their rows; cards by
    // MAC leaving the subnet are a question, No by default.
    void checksOnStart_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("states");
        QTest::newRow("taken")
            << u"192.168.1.102"_s << u"192.168.1.103"_s
            << QStringList{u"The checks before writing refuse this run; "
                           "nothing was sent:"_s,
                           u"Hall (00:1A:2B:00:00:01, 192.168.1.100): network.ip: "
                           "192.168.1.102 is already the address of Stage"_s,
                           u"Door (00:1A:2B:00:00:02, 192.168.1.101): network.ip: "
                           "192.168.1.103 is already the address of Bar"_s}
            << QStringList{u"Refused"_s, u"Refused"_s, {}, {}};
        QTest::newRow("other subnet")
            << u"10.0.0.20"_s << u"10.0.0.21"_s
            << QStringList{u"The checks before writing found:"_s,
                           u"Hall (00:1A:2B:00:00:01, 192.168.1.100): network.ip: 10.0.0.20 is in "
                           "none of this computer's subnets"_s,
                           u"Door"_s,
                           {},
                           u"Write anyway?"_s}
            << QStringList(4, QString());
    }
    void checksOnStart() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, states);
        for (Edit e : {Edit::Gate1, Edit::Gate2, Edit::Gate3, Edit::Gate4}) {
            w_->panel()[e]->setText(u"0"_s);
        }
        std::size_t sends = 0;
        QStringList shown;
        run(
            [&](ui::BatchWriteDialog& dialog) {
                Tick(dialog, {0, 1}, first);
                shown << Column(dialog.list(), kNewIp);
                dialog.btStartClick();
                shown << Column(dialog.list(), kState) << dialog.list()->item(1, kState)->toolTip();
            },
            &sends);
        QCOMPARE(sends, 0u);
        QCOMPARE(shown.mid(0, 4), (QStringList{first, second, {}, {}}));
        QCOMPARE(shown.mid(4, 4), states);
        // A refused row's state says why, any other what it would get.
        QVERIFY2(shown[8].contains(lines.size() == 3
                                       ? u"192.168.1.103 is already the address of Bar"_s
                                       : u"network.ip -> 10.0.0.21"_s),
                 qPrintable(shown[8]));
        QCOMPARE(boxes_.texts.size(), 1);
        const QStringList got = boxes_.texts[0].split(u'\n');
        QCOMPARE(got.size(), lines.size());
        for (int i = 0; i < lines.size(); ++i) {
            QVERIFY2(got[i].startsWith(lines[i]), qPrintable(got[i]));
        }
        QCOMPARE(boxes_.buttons,
                 (lines.size() == 3 ? QStringList() : QStringList{u"&Yes"_s, u"&No"_s}));
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
        std::size_t sends = 0;
        run(
            [&](ui::BatchWriteDialog& dialog) {
                Tick(dialog, {0, 1});
                dialog.btStartClick();
                endpoint_->deliver(testsupport::parameterReply());
                endpoint_->deliver(testsupport::parameterReply("00 1A 2B 00 00 02", "C0 A8 01 65"));
                dialog.btCancelClick();
                seen << Column(dialog.list(), kState).mid(0, 2)
                     << Column(dialog.list(), kNewIp).mid(0, 2)
                     << dialog.list()->item(1, 1)->toolTip();
            },
            &sends);
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
