// The single write's safety: the checks before it and the operator's Yes or No, the backup of
// the card as last read, and the journal from "sent" to the outcome, in real files.

#include "fleet/Records.h"

#include "FakeView.h"
#include "fleet/Profile.h"
#include "support/CardBytes.h"
#include "support/FakeEndpoint.h"
#include "support/RecordingMessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using protocol::Edit;
using Report = session::SessionView::Report;
using testsupport::ReplyFields;
using namespace Qt::StringLiterals;

namespace {

// The card chosen in every case, 00:1A:2B:00:00:01, at 192.168.1.100 unless given.
QByteArray Reply(const char* ip = "C0 A8 01 64", bool narrow = false) {
    ReplyFields f;
    f.ip = ip;
    if (narrow) { // 64 pixels wide instead of 128
        f.display = "01 01 00 40 00 40 01 00 03 00 01 00 00 33 00 00 00";
    }
    return testsupport::parameterReply(f);
}

} // namespace

class RecordsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<testsupport::FakeEndpoint> ep;
    std::unique_ptr<sessiontest::FakeView> view;
    QTimer tSendSpan, tDelay, tMody;
    lang::Catalogues catalogues;
    std::unique_ptr<session::CardSession> s;
    std::unique_ptr<testsupport::RecordingMessageBoxes> boxes;
    std::unique_ptr<platform::ScopedMessageBoxes> boxesGuard;

    QString data() const { return dir->filePath(u"data"_s); }
    fleet::JournalContents journal() const {
        return fleet::ReadJournal(data() + u"/journal.jsonl"_s);
    }
    QStringList outcomes() const {
        QStringList out;
        for (const fleet::JournalEntry& e : journal().entries) {
            out << QString::fromStdString(e.outcome);
        }
        return out;
    }

    // Two cards listed; the first chosen by double click and, unless not, read.
    void choose(int version = 60, bool read = true) {
        view->appendDeviceRows({{1, "Hall", "00:1A:2B:00:00:01", "192.168.1.100", version},
                                {2, "Door", "00:1A:2B:00:00:02", "192.168.1.101", 60}});
        view->selectDeviceRow(0);
        s->readSelectedCard();
        if (read) {
            ep->deliver(Reply());
        }
    }
    // Types the card IP 192.168.N.M and submits; whether a write left.
    bool submit(const char* ip3, const char* ip4) {
        view->panel[Edit::IP3] = ip3;
        view->panel[Edit::IP4] = ip4;
        const std::size_t before = ep->sent.size();
        s->submitPanel();
        return ep->sent.size() > before;
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        ep = std::make_unique<testsupport::FakeEndpoint>();
        view = std::make_unique<sessiontest::FakeView>();
        catalogues.apply(lang::LanguageId::English);
        s = std::make_unique<session::CardSession>(
            *ep, *view, session::SessionTimers{&tSendSpan, &tDelay, &tMody}, catalogues);
        s->setDataFolder(data());
        s->localSubnets = [] {
            return std::vector<fleet::LocalSubnet>{{"192.168.1.10", "255.255.255.0"}};
        };
        ep->setReceiveHandler([this](const QByteArray& d) { s->receiveDatagram(d); });
        boxes = std::make_unique<testsupport::RecordingMessageBoxes>();
        boxesGuard = std::make_unique<platform::ScopedMessageBoxes>(*boxes);
    }
    void cleanup() {
        s.reset();
        boxesGuard.reset();
    }

    // What the checks find is one question, No by default; only Yes writes, and only a write
    // leaves a backup and a journal line. The firmware decides how a new subnet reads.
    void checksAskBeforeTheWrite_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("ip"); // 192.168.x.y
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("finding"); // empty: no question
        QTest::newRow("address kept") << 60 << u"1.100"_s << false << QString();
        QTest::newRow("another card's, No")
            << 60 << u"1.101"_s << false
            << u"192.168.1.101 is already the address of Door (00:1A:2B:00:00:02, 192.168.1.101)"_s;
        QTest::newRow("network address")
            << 60 << u"1.0"_s << false << u"is the network address of the subnet 192.168.1.0/24"_s;
        QTest::newRow("other subnet, 53")
            << 53 << u"7.5"_s << false << u"could not be reached again"_s;
        QTest::newRow("other subnet, 60, Yes")
            << 60 << u"7.5"_s << true << u"stays reachable by its MAC address"_s;
    }
    void checksAskBeforeTheWrite() {
        QFETCH(int, version);
        QFETCH(QString, ip);
        QFETCH(bool, yes);
        QFETCH(QString, finding);
        choose(version);
        view->panel[Edit::Gate3] = ip.section(u'.', 0, 0).toStdString(); // one finding at most
        boxes->answers = {yes};
        const bool sent =
            submit(qPrintable(ip.section(u'.', 0, 0)), qPrintable(ip.section(u'.', 1)));
        QCOMPARE(boxes->texts.size(), finding.isEmpty() ? 0 : 1);
        const QString box = boxes->questions.value(0);
        // One finding, on the line between the heading and the question.
        QVERIFY2(finding.isEmpty() ||
                     (box.startsWith(u"The checks before writing found:\nHall (00:1A:2B:00:00:01, "
                                     "192.168.1.100): network.ip: "_s) &&
                      box.contains(finding) && box.endsWith(u"\n\nWrite anyway?"_s) &&
                      box.count(u'\n') == 3),
                 qPrintable(box));
        QCOMPARE(sent, finding.isEmpty() || yes);
        QCOMPARE(outcomes(), sent ? QStringList{u"sent"_s} : QStringList{});
        QCOMPARE(QDir(data() + u"/backups"_s).exists(), sent);
    }

    // The backup is the card as read, named by its MAC; "sent" is on disk before any answer,
    // and the outcome follows however the cycle ends.
    void backupAndJournalOfAWrite_data() {
        QTest::addColumn<int>("end");
        QTest::addColumn<QStringList>("outcomes");
        QTest::newRow("confirmed") << 0 << QStringList{u"sent"_s, u"confirmed"_s};
        QTest::newRow("not confirmed") << 1 << QStringList{u"sent"_s, u"not confirmed"_s};
        QTest::newRow("a second write") << 2 << QStringList{u"sent"_s, u"cancelled"_s, u"sent"_s};
        QTest::newRow("cannot leave") << 3 << QStringList{u"sent"_s, u"no answer"_s};
    }
    void backupAndJournalOfAWrite() {
        QFETCH(int, end);
        QFETCH(QStringList, outcomes);
        choose();
        ep->failSends(discovery::SendFailure::Reason::SocketError, end == 3 ? 1 : 0);
        submit("1", "121");
        QCOMPARE(this->outcomes().value(0), u"sent"_s);
        s->delayElapsed();
        if (end == 0) {
            ep->deliver(Reply("C0 A8 01 79"));
        }
        for (int tick = 0; tick < 3 && end == 1; ++tick) {
            s->confirmationTick();
        }
        QVERIFY(end != 2 || submit("1", "121"));
        QCOMPARE(this->outcomes(), outcomes);
        const fleet::JournalEntry first = journal().entries.front();
        QCOMPARE((std::vector<std::string>{first.program, first.mac, first.firmware, first.ipBefore,
                                           first.ipAfter, fleet::ChangeText(first.changes.at(0))}),
                 (std::vector<std::string>{"ledcardcfg", "00:1A:2B:00:00:01", "60", "192.168.1.100",
                                           "192.168.1.121",
                                           "network.ip: 192.168.1.100 -> 192.168.1.121"}));
        QFile backup(QString::fromStdString(first.backup));
        QVERIFY2(backup.fileName().endsWith(u"00-1A-2B-00-00-01.json"_s),
                 qPrintable(backup.fileName()));
        QVERIFY(backup.open(QIODevice::ReadOnly));
        const QByteArray saved = backup.readAll();
        QVERIFY(
            std::holds_alternative<fleet::Profile>(fleet::ParseProfile(saved.toStdString(), {})));
        QVERIFY(saved.contains("\"network.ip\": \"192.168.1.100\""));
    }

    // A backup that cannot be saved stops the write, naming the folder; a journal that cannot
    // be written does not (the backup is safe), and is told once the write has left.
    void recordsThatCannotBeWritten_data() {
        QTest::addColumn<bool>("backupFails");
        QTest::newRow("backup folder") << true;
        QTest::newRow("journal") << false;
    }
    void recordsThatCannotBeWritten() {
        QFETCH(bool, backupFails);
        const QString blocked = backupFails ? data() + u"/backups"_s : data() + u"/journal.jsonl"_s;
        QVERIFY(QDir().mkpath(data()));
        QFile blocker(blocked); // a file where the folder should be, or a folder for the file
        QVERIFY(backupFails ? blocker.open(QIODevice::WriteOnly) : QDir().mkpath(blocked));
        blocker.close();
        choose();
        QCOMPARE(submit("1", "121"), !backupFails);
        QCOMPARE(tDelay.isActive(), !backupFails);
        QCOMPARE(view->reports, QList{Report::RecordFailed});
        const QString named = QDir::toNativeSeparators(blocked);
        QVERIFY2(backupFails
                     ? boxes->texts[0].startsWith(u"Cannot make the backup folder "_s + named) &&
                           boxes->texts[0].endsWith(u".\nThe write was not sent."_s)
                     : boxes->texts[0].startsWith(u"Cannot write to the journal "_s + named),
                 qPrintable(boxes->texts[0]));
    }

    // A card this window never read has no backup: a Yes writes without one, the journal
    // saying where the card was written.
    void cardNeverReadIsWrittenOnlyAfterAYes() {
        choose(60, false);
        ep->deliver(testsupport::parameterReply("00 1A 2B 00 00 07")); // another card's reply
        boxes->answers = {true};
        QVERIFY(submit("1", "100"));
        QCOMPARE(boxes->questions, QStringList{u"This card has not been read, so no backup of it "
                                               "can be saved.\n\nWrite anyway?"_s});
        const fleet::JournalEntry line = journal().entries.at(0);
        QCOMPARE(line.ipBefore, std::string("192.168.1.100"));
        QVERIFY(line.backup.empty() && line.changes.empty());
    }

    // What the next write backs up: the card as read before a write, or by the reply that
    // confirmed it; never an answer of the wait or the read-backs that did not.
    void whatTheNextWriteBacksUp_data() {
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("backedUp");
        QTest::newRow("the card took the write") << true << u"192.168.1.121"_s;
        QTest::newRow("it answered other values") << false << u"192.168.1.100"_s;
    }
    void whatTheNextWriteBacksUp() {
        QFETCH(bool, confirmed);
        QFETCH(QString, backedUp);
        choose();
        QVERIFY(submit("1", "121"));
        ep->deliver(Reply("C0 A8 01 64", true));
        s->delayElapsed();
        for (int tick = 0; tick < 3; ++tick) {
            ep->deliver(confirmed ? Reply("C0 A8 01 79") : Reply("C0 A8 01 64", true));
            s->confirmationTick();
        }
        QCOMPARE(s->updateConfirmed(), confirmed);
        QCOMPARE((*s->lastRead("00:1A:2B:00:00:01"))[Edit::PLen], std::string("128"));
        QVERIFY(submit("1", "122"));
        QCOMPARE(QString::fromStdString(journal().entries.at(2).ipBefore), backedUp);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    RecordsTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "RecordsTest.moc"
