// The single write's safety: the checks before it and the operator's Yes or No, the backup of
// the card as last read, and the journal's lines from "sent" to the outcome, in real files.

#include "fleet/Records.h"

#include "FakeView.h"
#include "fleet/Profile.h"
#include "lang/Catalogue.h"
#include "session/CardSession.h"
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
using session::CardSession;
using testsupport::FakeEndpoint;
using testsupport::ReplyFields;
using namespace Qt::StringLiterals;

namespace {

QStringList Outcomes(const fleet::JournalContents& journal) {
    QStringList out;
    for (const fleet::JournalEntry& e : journal.entries) {
        out << QString::fromStdString(e.outcome);
    }
    return out;
}

// The card chosen in every case: 00:1A:2B:00:00:01 at 192.168.1.100.
ReplyFields Card(const char* ip = "C0 A8 01 64") {
    ReplyFields f;
    f.ip = ip;
    return f;
}

} // namespace

class RecordsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FakeEndpoint> ep;
    std::unique_ptr<sessiontest::FakeView> view;
    std::unique_ptr<QTimer> tSendSpan, tDelay, tMody;
    std::unique_ptr<lang::Catalogues> catalogues;
    std::unique_ptr<CardSession> s;
    std::unique_ptr<testsupport::RecordingMessageBoxes> boxes;
    std::unique_ptr<platform::ScopedMessageBoxes> boxesGuard;

    QString data() const { return dir->filePath(u"data"_s); }
    fleet::JournalContents journal() const {
        return fleet::ReadJournal(data() + u"/journal.jsonl"_s);
    }

    // Two cards listed, the first chosen by double click and read.
    void chooseAndRead(int version = 60) {
        view->appendDeviceRows({{1, "Hall", "00:1A:2B:00:00:01", "192.168.1.100", version},
                                {2, "Door", "00:1A:2B:00:00:02", "192.168.1.101", 60}});
        view->selectDeviceRow(0);
        s->readSelectedCard();
        ep->deliver(testsupport::parameterReply(Card()));
        QVERIFY(boxes->texts.isEmpty());
    }

    void type(const QString& ip) {
        const QStringList octets = ip.split(u'.');
        for (int i = 0; i < 4; ++i) {
            view->panel[Edit(int(Edit::IP1) + i)] = octets[i].toStdString();
        }
    }

    // Submits and reports whether a write left.
    bool submit() {
        const std::size_t before = ep->sent.size();
        s->submitPanel();
        return ep->sent.size() > before;
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        ep = std::make_unique<FakeEndpoint>();
        view = std::make_unique<sessiontest::FakeView>();
        tSendSpan = std::make_unique<QTimer>();
        tDelay = std::make_unique<QTimer>();
        tMody = std::make_unique<QTimer>();
        catalogues = std::make_unique<lang::Catalogues>();
        catalogues->apply(lang::LanguageId::English);
        s = std::make_unique<CardSession>(
            *ep, *view, session::SessionTimers{tSendSpan.get(), tDelay.get(), tMody.get()},
            *catalogues);
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

    // What the checks find is a question, No by default; only Yes writes, and only a write
    // leaves a backup and a journal line. The card's firmware decides how a new subnet reads.
    void checksAskBeforeTheWrite_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("finding"); // empty: no question
        QTest::newRow("address kept") << 60 << u"192.168.1.100"_s << false << QString();
        QTest::newRow("free address") << 60 << u"192.168.1.120"_s << false << QString();
        QTest::newRow("another card's address, No")
            << 60 << u"192.168.1.101"_s << false
            << u"192.168.1.101 is already the address of Door (00:1A:2B:00:00:02, "
               "192.168.1.101)"_s;
        QTest::newRow("another card's address, Yes")
            << 60 << u"192.168.1.101"_s << true << u"is already the address of Door"_s;
        QTest::newRow("network address")
            << 60 << u"192.168.1.0"_s << false
            << u"192.168.1.0 is the network address of the subnet 192.168.1.0/24"_s;
        QTest::newRow("other subnet, firmware 53")
            << 53 << u"192.168.7.5"_s << false << u"could not be reached again"_s;
        QTest::newRow("other subnet, firmware 60, Yes")
            << 60 << u"192.168.7.5"_s << true << u"stays reachable by its MAC address"_s;
    }
    void checksAskBeforeTheWrite() {
        QFETCH(int, version);
        QFETCH(QString, typed);
        QFETCH(bool, yes);
        QFETCH(QString, finding);
        chooseAndRead(version);
        type(typed);
        if (typed == u"192.168.7.5"_s) {
            view->panel[Edit::Gate3] = "7"; // a gateway in the new subnet: one finding
        }
        boxes->answers = {yes};
        const bool sent = submit();
        if (finding.isEmpty()) {
            QVERIFY(boxes->texts.isEmpty());
            QVERIFY(sent);
        } else {
            QCOMPARE(boxes->questions.size(), 1);
            const QStringList lines = boxes->questions[0].split(u'\n');
            QCOMPARE(lines.size(), 4);
            QCOMPARE(lines[0], u"The checks before writing found:"_s);
            QVERIFY2(lines[1].startsWith(u"Hall (00:1A:2B:00:00:01, 192.168.1.100)"_s) &&
                         lines[1].contains(finding),
                     qPrintable(lines[1]));
            QCOMPARE(lines[2], QString());
            QCOMPARE(lines[3], u"Write anyway?"_s);
            QCOMPARE(sent, yes);
        }
        QCOMPARE(Outcomes(journal()), sent ? QStringList{u"sent"_s} : QStringList{});
        QCOMPARE(QDir(data() + u"/backups"_s).exists(), sent);
    }

    // The backup is the card as read, named by its MAC; "sent" is on disk before any answer,
    // and the outcome follows when the cycle ends, however it ends.
    void backupAndJournalOfAWrite_data() {
        QTest::addColumn<QString>("end");
        QTest::addColumn<QStringList>("outcomes");
        QTest::newRow("confirmed") << u"echo"_s << QStringList{u"sent"_s, u"confirmed"_s};
        QTest::newRow("not confirmed")
            << u"silence"_s << QStringList{u"sent"_s, u"not confirmed"_s};
        QTest::newRow("a second write during the read-backs")
            << u"write again"_s << QStringList{u"sent"_s, u"cancelled"_s, u"sent"_s};
        QTest::newRow("the write cannot leave")
            << u"send fails"_s << QStringList{u"sent"_s, u"no answer"_s};
    }
    void backupAndJournalOfAWrite() {
        QFETCH(QString, end);
        QFETCH(QStringList, outcomes);
        chooseAndRead();
        type(u"192.168.1.121"_s);
        if (end == u"send fails"_s) {
            ep->failSends(discovery::SendFailure::Reason::SocketError, 1);
        }
        s->submitPanel();
        QCOMPARE(Outcomes(journal()).first(), u"sent"_s);
        if (end == u"echo"_s) {
            s->delayElapsed();
            ep->deliver(testsupport::parameterReply(Card("C0 A8 01 79")));
        } else if (end == u"silence"_s) {
            s->delayElapsed();
            for (int tick = 0; tick < 3; ++tick) {
                s->confirmationTick();
            }
        } else if (end == u"write again"_s) {
            s->delayElapsed();
            QVERIFY(submit());
        }
        const fleet::JournalContents lines = journal();
        QCOMPARE(Outcomes(lines), outcomes);
        const fleet::JournalEntry& first = lines.entries.front();
        QCOMPARE(first.program, std::string("ledcardcfg"));
        QCOMPARE(first.mac, std::string("00:1A:2B:00:00:01"));
        QCOMPARE(first.ipBefore, std::string("192.168.1.100"));
        QCOMPARE(first.ipAfter, std::string("192.168.1.121"));
        QCOMPARE(first.changes.size(), std::size_t(1));
        QCOMPARE(fleet::ChangeText(first.changes[0]),
                 std::string("network.ip: 192.168.1.100 -> 192.168.1.121"));
        const QString backup = QString::fromStdString(first.backup);
        QVERIFY2(backup.endsWith(u"/00-1A-2B-00-00-01.json"_s), qPrintable(backup));
        QVERIFY(backup.startsWith(QDir::toNativeSeparators(data() + u"/backups/"_s)));
        QFile file(backup);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        const auto saved = fleet::ParseProfile(text.toStdString(), "backup");
        QVERIFY(std::holds_alternative<fleet::Profile>(saved));
        QVERIFY(text.contains("\"network.ip\": \"192.168.1.100\""));
    }

    // Backups go to a place that cannot hold them: nothing is sent, nothing journalled, and
    // the message names the folder.
    void backupThatCannotBeSavedStopsTheWrite() {
        QFile blocker(dir->filePath(u"blocker"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        s->setDataFolder(blocker.fileName() + u"/data"_s);
        chooseAndRead();
        QVERIFY(!submit());
        QCOMPARE(view->reports, QList{sessiontest::FakeView::Report::RecordFailed});
        QCOMPARE(boxes->texts,
                 QStringList{u"Cannot make the backup folder "_s +
                             QDir::toNativeSeparators(blocker.fileName() + u"/data/backups"_s) +
                             u".\nThe write was not sent."_s});
        QVERIFY(!s->writeCycle());
    }

    // A journal that cannot be written does not hold the write back, whose backup is safe; the
    // operator hears of it once the write has left, and of the outcome line as well.
    void journalThatCannotBeWrittenLetsTheWriteGo() {
        QVERIFY(QDir().mkpath(data() + u"/journal.jsonl"_s));
        chooseAndRead();
        type(u"192.168.1.121"_s);
        QVERIFY(submit());
        QVERIFY(tDelay->isActive());
        using Report = sessiontest::FakeView::Report;
        QCOMPARE(view->reports, QList{Report::RecordFailed});
        QVERIFY2(boxes->texts[0].startsWith(u"Cannot write to the journal "_s +
                                            QDir::toNativeSeparators(data() + u"/journal.jsonl"_s)),
                 qPrintable(boxes->texts[0]));
        s->delayElapsed();
        ep->deliver(testsupport::parameterReply(Card("C0 A8 01 79")));
        QCOMPARE(view->reports,
                 (QList{Report::RecordFailed, Report::RecordFailed, Report::UpdateConfirmed}));
        QCOMPARE(QDir(data() + u"/backups"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(),
                 1);
    }

    // A card whose parameters this window never read has no backup: the operator is asked,
    // and a Yes writes without one, the journal saying where the card was written.
    void cardNeverReadIsWrittenOnlyAfterAYes() {
        view->appendDeviceRows({{1, "Hall", "00:1A:2B:00:00:07", "192.168.1.107", 60}});
        view->selectDeviceRow(0);
        s->readSelectedCard();
        ep->deliver(testsupport::parameterReply(Card())); // another card's reply
        boxes->answers = {true};
        QVERIFY(submit());
        QCOMPARE(boxes->questions,
                 QStringList{u"This card has not been read, so no backup of it can be saved.\n\n"
                             "Write anyway?"_s});
        const fleet::JournalContents lines = journal();
        QCOMPARE(Outcomes(lines), QStringList{u"sent"_s});
        QCOMPARE(lines.entries[0].ipBefore, std::string("192.168.1.107"));
        QVERIFY(lines.entries[0].backup.empty());
        QVERIFY(lines.entries[0].changes.empty());
        QVERIFY(!QDir(data() + u"/backups"_s).exists());
    }

    // What the next write backs up: the card as read before a write, or as the reply that
    // confirmed it; never an answer of the write's wait or read-backs that did not.
    void whatTheNextWriteBacksUp_data() {
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("backedUpIp");
        QTest::newRow("the card took the write") << true << u"121"_s;
        QTest::newRow("the card answered with other values") << false << u"100"_s;
    }
    void whatTheNextWriteBacksUp() {
        QFETCH(bool, confirmed);
        QFETCH(QString, backedUpIp);
        chooseAndRead();
        type(u"192.168.1.121"_s);
        QVERIFY(submit());
        ReplyFields other = Card();
        other.display = "01 01 00 40 00 40 01 00 03 00 01 00 00 33 00 00 00"; // width 64
        ep->deliver(testsupport::parameterReply(other));
        s->delayElapsed();
        if (confirmed) {
            ep->deliver(testsupport::parameterReply(Card("C0 A8 01 79")));
        } else {
            for (int tick = 0; tick < 3; ++tick) {
                ep->deliver(testsupport::parameterReply(other));
                s->confirmationTick();
            }
        }
        QCOMPARE(s->updateConfirmed(), confirmed);
        const protocol::PanelModel* read = s->lastRead("00:1A:2B:00:00:01");
        QVERIFY(read);
        QCOMPARE(QString::fromStdString((*read)[Edit::IP4]), backedUpIp);
        QCOMPARE((*read)[Edit::PLen], std::string("128"));

        type(u"192.168.1.122"_s);
        QVERIFY(submit());
        const fleet::JournalContents lines = journal();
        QCOMPARE(lines.entries.size(), std::size_t(3));
        QCOMPARE(QString::fromStdString(lines.entries[2].ipBefore), u"192.168.1."_s + backedUpIp);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    RecordsTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "RecordsTest.moc"
