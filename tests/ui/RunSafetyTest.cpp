// The several-cards dialog's safety: the checks on Start before anything is sent, the backup
// and journal lines of every card written, each row's tooltip, and Restore from backup.

#include "StartedWindow.h"
#include "fleet/Profile.h"
#include "fleet/Records.h"
#include "support/CardBytes.h"
#include "support/RecordingMessageBoxes.h"
#include "support/ScriptedFileDialogs.h"
#include "ui/BatchWriteDialog.h"
#include "ui/BatchWriteRun.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace uitest;
using namespace Qt::StringLiterals;
using protocol::Edit;
using testsupport::qt::hex;

namespace {

constexpr int kNewIp = 4;
constexpr int kState = 5;

// Four cards by MAC; the panel shows the first as read: 192.168.1.100/24, gateway .1.
void ShowCards(ui::MainWindow& w, testsupport::FakeEndpoint& endpoint) {
    w.appendDeviceRows({{1, "Hall", "00:1A:2B:00:00:01", "192.168.1.100", 60},
                        {2, "Door", "00:1A:2B:00:00:02", "192.168.1.101", 60},
                        {3, "Stage", "00:1A:2B:00:00:03", "192.168.1.102", 60},
                        {4, "Bar", "00:1A:2B:00:00:04", "192.168.1.103", 60}});
    endpoint.deliver(testsupport::parameterReply());
}

void Tick(ui::BatchWriteDialog& dialog, std::initializer_list<int> rows,
          const QString& firstIp = {}) {
    for (int r : rows) {
        dialog.list()->item(r, 0)->setCheckState(Qt::Checked);
    }
    if (!firstIp.isEmpty()) {
        dialog.findChild<QCheckBox*>(u"cbSequentialIp"_s)->setChecked(true);
        dialog.findChild<QLineEdit*>(u"edtFirstIp"_s)->setText(firstIp);
    }
}

QStringList Column(const QTableWidget* list, int c) {
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r) {
        out << list->item(r, c)->text();
    }
    return out;
}

QStringList Outcomes(const QString& folder) {
    QStringList out;
    for (const auto& e : fleet::ReadJournal(folder + u"/journal.jsonl"_s).entries) {
        out << QString::fromStdString(e.mac + " " + e.outcome);
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
        ShowCards(*w_, *endpoint_);
    }
    void cleanup() {
        w_.reset();
        scopedFiles_.reset();
        scopedBoxes_.reset();
    }

    // A run that would hand out addresses two cards outside it hold sends nothing, names both
    // cards in one box and marks their rows; another start address then runs, the marks gone.
    void addressesHeldOutsideTheRunRefuseIt() {
        const std::size_t before = endpoint_->sent.size();
        w_->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            Tick(dialog, {0, 1}, u"192.168.1.102"_s);
            dialog.btStartClick();
            QVERIFY(!dialog.run().running());
            QCOMPARE(endpoint_->sent.size(), before);
            QCOMPARE(Column(dialog.list(), kState),
                     (QStringList{u"Refused"_s, u"Refused"_s, QString(), QString()}));
            QVERIFY(dialog.list()->item(1, kState)->toolTip().contains(
                u"192.168.1.103 is already the address of Bar (00:1A:2B:00:00:04"_s));

            dialog.findChild<QLineEdit*>(u"edtFirstIp"_s)->setText(u"192.168.1.120"_s);
            dialog.btStartClick();
            QVERIFY(dialog.run().running());
            QCOMPARE(endpoint_->sent.size(), before + 2);
            QCOMPARE(Column(dialog.list(), kState),
                     (QStringList{u"Waiting"_s, u"Waiting"_s, QString(), QString()}));
            dialog.btCancelClick();
        };
        w_->writeSeveralCards();
        QCOMPARE(boxes_.texts.size(), 1);
        const QStringList lines = boxes_.texts[0].split(u'\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], u"The checks before writing refuse this run; nothing was sent:"_s);
        QVERIFY2(lines[1].startsWith(u"Hall (00:1A:2B:00:00:01, 192.168.1.100): network.ip: "
                                     "192.168.1.102 is already the address of Stage"_s),
                 qPrintable(lines[1]));
        QVERIFY2(lines[2].startsWith(
                     u"Door (00:1A:2B:00:00:02, 192.168.1.101): network.ip: 192.168.1.103"_s),
                 qPrintable(lines[2]));
    }

    // Before Start each ticked row shows the address it would get and says what the run would
    // write to it, in table order, following the ticks and the start address as they change.
    void thePlanShowsBeforeStart() {
        QStringList ips;
        QStringList tips;
        w_->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            Tick(dialog, {0, 2}, u"192.168.1.120"_s);
            ips << Column(dialog.list(), kNewIp);
            tips << dialog.list()->item(2, 3)->toolTip() << dialog.list()->item(1, 3)->toolTip();
            dialog.list()->item(1, 0)->setCheckState(Qt::Checked);
            ips << Column(dialog.list(), kNewIp);
            dialog.findChild<QLineEdit*>(u"edtFirstIp"_s)->setText(u"192.168.1."_s);
            tips << dialog.list()->item(2, 3)->toolTip();
            dialog.findChild<QCheckBox*>(u"cbSequentialIp"_s)->setChecked(false);
            ips << Column(dialog.list(), kNewIp);
            tips << dialog.list()->item(2, kState)->toolTip();
        };
        w_->writeSeveralCards();
        const QString none;
        QCOMPARE(ips, (QStringList{u"192.168.1.120"_s, none, u"192.168.1.121"_s, none,
                                   u"192.168.1.120"_s, u"192.168.1.121"_s, u"192.168.1.122"_s, none,
                                   none, none, none, none}));
        const QString panel = u"Writes the parameters shown in the main window."_s;
        QCOMPARE(tips, (QStringList{panel + u"\nnetwork.ip -> 192.168.1.121\nnetwork.mask -> "
                                            "255.255.255.0\nnetwork.gateway -> 192.168.1.1"_s,
                                    none, panel,
                                    panel + u"\nIts IP address, subnet mask and gateway stay as "
                                            "they are."_s}));
        QVERIFY(boxes_.texts.isEmpty());
    }

    // Cards by MAC leaving this computer's subnet are the operator's to allow: No sends
    // nothing, Yes runs.
    void leavingTheLocalSubnetIsAQuestion() {
        for (Edit e : {Edit::Gate1, Edit::Gate2, Edit::Gate3, Edit::Gate4}) {
            w_->panel()[e]->setText(u"0"_s);
        }
        const std::size_t before = endpoint_->sent.size();
        w_->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            Tick(dialog, {0, 1}, u"10.0.0.20"_s);
            boxes_.answers = {false};
            dialog.btStartClick();
            QCOMPARE(endpoint_->sent.size(), before);
            QCOMPARE(Column(dialog.list(), kState), QStringList(4, QString()));
            boxes_.answers = {true};
            dialog.btStartClick();
            QCOMPARE(endpoint_->sent.size(), before + 2);
            dialog.btCancelClick();
        };
        w_->writeSeveralCards();
        QCOMPARE(boxes_.questions.size(), 2);
        QCOMPARE(boxes_.texts, boxes_.questions);
        const QStringList lines = boxes_.questions[0].split(u'\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.first(), u"The checks before writing found:"_s);
        QVERIFY(lines[1].contains(u"stays reachable by its MAC address"_s));
        QVERIFY(lines[2].startsWith(u"Door (00:1A:2B:00:00:02"_s));
        QCOMPARE(lines[3], QString());
        QCOMPARE(lines.last(), u"Write anyway?"_s);
        QCOMPARE(boxes_.buttons, (QStringList{u"&Yes"_s, u"&No"_s, u"&Yes"_s, u"&No"_s}));
    }

    // Each card is backed up by its MAC and journalled as its write leaves; its tooltip says
    // what the plan does until it is read, then what changes on it.
    void everyCardWrittenIsBackedUpAndJournalled() {
        w_->panel()[Edit::PLen]->setText(u"256"_s);
        QStringList tips;
        w_->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            Tick(dialog, {0, 1});
            dialog.btStartClick();
            tips << dialog.list()->item(1, 1)->toolTip();
            testsupport::ReplyFields door;
            door.mac = "00 1A 2B 00 00 02";
            door.ip = "C0 A8 01 65";
            endpoint_->deliver(testsupport::parameterReply());
            endpoint_->deliver(testsupport::parameterReply(door));
            QCOMPARE(Column(dialog.list(), kState).mid(0, 2), (QStringList(2, u"Sent"_s)));
            tips << dialog.list()->item(1, 1)->toolTip()
                 << dialog.list()->item(1, kState)->toolTip();
            dialog.btCancelClick();
            QCOMPARE(Column(dialog.list(), kNewIp).mid(0, 2),
                     (QStringList{u"192.168.1.100"_s, u"192.168.1.101"_s}));
        };
        w_->writeSeveralCards();
        QCOMPARE(tips, (QStringList{u"Writes the parameters shown in the main window.\nIts IP "
                                    "address, subnet mask and gateway stay as they are."_s,
                                    u"What changes on this card:\ndisplay.width: 128 -> 256"_s,
                                    u"What changes on this card:\ndisplay.width: 128 -> 256"_s}));
        const QString data = w_->dataFolder();
        QCOMPARE(Outcomes(data),
                 (QStringList{u"00:1A:2B:00:00:01 sent"_s, u"00:1A:2B:00:00:02 sent"_s,
                              u"00:1A:2B:00:00:01 cancelled"_s, u"00:1A:2B:00:00:02 cancelled"_s}));
        const QStringList runs =
            QDir(data + u"/backups"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(runs.size(), 1);
        QCOMPARE(QDir(data + u"/backups/"_s + runs[0]).entryList(QDir::Files),
                 (QStringList{u"00-1A-2B-00-00-01.json"_s, u"00-1A-2B-00-00-02.json"_s}));
        QVERIFY(boxes_.texts.isEmpty());
    }

    // No backup, no write: the card ends Refused with the reason, and the run says so once.
    void aCardWhoseBackupFailsIsNotWritten() {
        QFile blocker(dir_->filePath(u"blocker"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        w_->setDataFolder(blocker.fileName());
        const QString failure = u"Cannot make the backup folder "_s +
                                QDir::toNativeSeparators(blocker.fileName() + u"/backups"_s) +
                                u"."_s;
        const std::size_t before = endpoint_->sent.size();
        QString state;
        w_->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            Tick(dialog, {0});
            dialog.btStartClick();
            endpoint_->deliver(testsupport::parameterReply());
            QVERIFY(!dialog.run().running());
            state = dialog.list()->item(0, kState)->text();
            QVERIFY(dialog.list()->item(0, kState)->toolTip().startsWith(failure));
        };
        w_->writeSeveralCards();
        QCOMPARE(state, u"Refused"_s);
        QCOMPARE(endpoint_->sent.size(), before + 1); // the read alone
        QCOMPARE(
            boxes_.texts,
            QStringList{u"These backups or journal lines could not be written:\n"_s + failure});
    }

    // A backup folder's cards, matched by MAC: the listed one ticked with its saved address, the
    // one the list does not hold not found; a file that is no profile named. Start writes the
    // saved values back, the address included.
    void restoreFromABackupFolder() {
        const QString folder = dir_->filePath(u"backup"_s);
        QVERIFY(QDir().mkpath(folder));
        protocol::PanelModel saved = w_->readPanel();
        saved[Edit::IP4] = "150";
        const auto save = [&](const char* name, const protocol::PanelModel& panel) {
            QFile file(folder + u'/' + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(
                QByteArray::fromStdString(fleet::ProfileJson(panel, w_->session().profile())));
        };
        save("00-1A-2B-00-00-01.json", saved);
        saved[Edit::MACAddr] = "00:1A:2B:00:00:09";
        save("00-1A-2B-00-00-09.json", saved);
        QFile notes(folder + u"/notes.json"_s);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("[]");
        notes.close();

        files_.answers = {QString(), folder}; // cancelled first
        Find<QAction>(w_.get(), "menu_sub_restore_backup")->trigger();
        QVERIFY(boxes_.texts.isEmpty());
        const std::size_t before = endpoint_->sent.size();
        QStringList seen;
        w_->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            seen << dialog.windowTitle() << dialog.findChild<QLabel*>(u"lbSource"_s)->text();
            QVERIFY(dialog.findChild<QCheckBox*>(u"cbSequentialIp"_s)->isHidden());
            QTableWidget* list = dialog.list();
            QCOMPARE(list->rowCount(), 2);
            QCOMPARE(list->item(0, 0)->checkState(), Qt::Checked);
            QVERIFY(!(list->item(1, 0)->flags() & Qt::ItemIsUserCheckable));
            seen << Column(list, 2) << Column(list, kNewIp) << Column(list, kState)
                 << list->item(0, 3)->toolTip();
            dialog.btStartClick();
            QCOMPARE(endpoint_->sent.size(), before + 1);
            QCOMPARE(endpoint_->sent.back().bytes, hex("A1 44 06 00 1A 2B 00 00 01 FF"));
            endpoint_->deliver(testsupport::parameterReply());
            QCOMPARE(endpoint_->sent.size(), before + 2);
            dialog.btCancelClick();
        };
        Find<QAction>(w_.get(), "menu_sub_restore_backup")->trigger();
        QCOMPARE(files_.questions.size(), 2);
        QVERIFY(files_.questions[1].folder);
        QCOMPARE(files_.questions[1].title, u"Restore from backup"_s);
        QCOMPARE(files_.questions[1].suggested, w_->dataFolder() + u"/backups"_s);
        const QString file01 = QDir::toNativeSeparators(folder + u"/00-1A-2B-00-00-01.json"_s);
        QCOMPARE(seen, (QStringList{u"Restore from backup"_s,
                                    u"Writes back the parameters saved in "_s +
                                        QDir::toNativeSeparators(folder) + u"."_s,
                                    u"00:1A:2B:00:00:01"_s, u"00:1A:2B:00:00:09"_s,
                                    u"192.168.1.150"_s, QString(), QString(), u"Not found"_s,
                                    u"Writes back the parameters saved in "_s + file01 +
                                        u".\nnetwork.ip -> 192.168.1.150\nnetwork.mask -> "
                                        "255.255.255.0\nnetwork.gateway -> 192.168.1.1"_s}));
        QCOMPARE(boxes_.texts.size(), 1);
        QVERIFY2(boxes_.texts[0].startsWith(u"These backups were left out:\n"_s +
                                            QDir::toNativeSeparators(folder + u"/notes.json"_s)),
                 qPrintable(boxes_.texts[0]));
        // Written by MAC, with the saved address.
        QVERIFY(endpoint_->sent.back().bytes.contains(hex("A1 35 04 C0 A8 01 96 FF")));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    RunSafetyTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "RunSafetyTest.moc"
