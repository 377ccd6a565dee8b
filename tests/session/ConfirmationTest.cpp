// Choosing a card, writing it and confirming the write, starting from a panel that already
// shows the card: which replies confirm, field by field, and what the timers do to the list.

#include "FakeView.h"
#include "discovery/dialogs/SearchDialog.h"
#include "lang/Catalogue.h"
#include "session/CardSession.h"
#include "support/FakeEndpoint.h"
#include "support/QtBytes.h"
#include "support/RecordingMessageBoxes.h"

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using protocol::Edit;
using session::CardSession;
using testsupport::FakeEndpoint;

using testsupport::qt::hex;

namespace {

const QString kSuccess = QStringLiteral("Update the device information successfully!");
const QString kFailed = QStringLiteral("Update the device information failed!");
const QString kSendFailed = QStringLiteral(
    "Search device failed: network is not connected or not on the same network segment, "
    "check the networkconnection and settings!");

// The network values of a reply; the defaults are 192.168.1.100/255.255.255.0, gateway .1,
// server 192.168.1.2:8800, DNS 8.8.8.8.
struct Net {
    const char* ip = "C0 A8 01 64";
    const char* mask = "FF FF FF 00";
    const char* gateway = "C0 A8 01 01";
    const char* server = "C0 A8 01 02";
    const char* port = "22 60";
    const char* dns = "08 08 08 08";
};

QByteArray reply(const Net& n = {}) {
    QByteArray d;
    d += hex("A1 04 06 00 1A 2B 3C 4D 5E FF");
    d += hex("A1 05 04") + hex(n.ip) + hex("FF");
    d += hex("A1 06 04") + hex(n.mask) + hex("FF");
    d += hex("A1 07 04") + hex(n.gateway) + hex("FF");
    d += hex("A1 16 40") + QByteArray("led.example.com").leftJustified(64, '\0') + hex("FF");
    d += hex("A1 17 04") + hex(n.server) + hex("FF");
    d += hex("A1 18 02") + hex(n.port) + hex("FF");
    d += hex("A1 19 01 0C FF");
    d += hex("A1 1A 08") + hex(n.dns) + hex("00 00 00 00 FF");
    d += hex("A1 20 01 36 FF");
    d += hex("A1 21 11 01 01 02 80 01 E0 03 00 07 01 05 33 44 22 00 21 1F FF");
    d += hex("A1 22 08 0A FF 00 01 02 03 04 05 FF");
    return d;
}

QByteArray answer(const char* macHex, const char* ipHex, int version) {
    return hex("A1 02 03 4C 45 44 FF") + hex("A1 04 06") + hex(macHex) + hex("FF") +
           hex("A1 05 04") + hex(ipHex) + hex("FF") + hex("A1 20 01") + char(version) + hex("FF");
}

// The payload of the first frame of `command` in a datagram built of whole frames.
QByteArray payloadOf(const QByteArray& d, int command) {
    for (qsizetype p = 0; p + 3 < d.size(); p += 4 + quint8(d[p + 2])) {
        if (quint8(d[p + 1]) == command) {
            return d.mid(p + 3, quint8(d[p + 2]));
        }
    }
    return {};
}

using sessiontest::FakeView;

} // namespace

class ConfirmationTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeEndpoint> ep;
    std::unique_ptr<FakeView> view;
    std::unique_ptr<QTimer> tSendSpan, tDelay, tMody;
    std::unique_ptr<lang::Catalogues> catalogues;
    std::unique_ptr<CardSession> s;
    std::unique_ptr<testsupport::RecordingMessageBoxes> boxes;
    std::unique_ptr<platform::ScopedMessageBoxes> boxesGuard;

    void setDhcp(int dhcp) {
        protocol::CardProfile profile;
        profile.dhcp = dhcp;
        s->setProfile(profile);
    }

    // Double-clicks row `row` and lets the card fill the panel; no message may come of it.
    void chooseAndRead(int row = 0) {
        view->list.setCurrentItem(view->list.topLevelItem(row));
        s->readSelectedCard();
        ep->deliver(reply());
        QCOMPARE(view->panel[Edit::IP4], std::string("100"));
        QVERIFY(boxes->texts.isEmpty());
    }

    // The operator changes the card's IP to 192.168.1.101 and submits.
    void writeNewAddress() {
        view->panel[Edit::IP4] = "101";
        ep->sent.clear();
        s->submitPanel();
        QCOMPARE(int(ep->sent.size()), 1);
        QVERIFY(tDelay->isActive());
    }

    void ticksUntilTheEnd() {
        for (int tick = 0; tick < 3; ++tick) {
            s->confirmationTick();
        }
    }

private slots:
    void init() {
        ep = std::make_unique<FakeEndpoint>();
        view = std::make_unique<FakeView>();
        view->caption.clear();
        view->addRow(QStringLiteral("1"), QStringLiteral("00:1A:2B:3C:4D:5E"),
                     QStringLiteral("192.168.1.100"));
        tSendSpan = std::make_unique<QTimer>();
        tDelay = std::make_unique<QTimer>();
        tMody = std::make_unique<QTimer>();
        catalogues = std::make_unique<lang::Catalogues>();
        catalogues->apply(lang::LanguageId::English);
        s = std::make_unique<CardSession>(
            *ep, *view, session::SessionTimers{tSendSpan.get(), tDelay.get(), tMody.get()},
            *catalogues);
        ep->setReceiveHandler([this](const QByteArray& d) { s->receiveDatagram(d); });
        boxes = std::make_unique<testsupport::RecordingMessageBoxes>();
        boxesGuard = std::make_unique<platform::ScopedMessageBoxes>(*boxes);
    }

    void cleanup() {
        boxesGuard.reset();
        s.reset();
    }

    // The panel shows the card; the operator submits it unchanged; one reply comes back.
    void confirmationFieldByField_data() {
        QTest::addColumn<int>("dhcp");
        QTest::addColumn<QByteArray>("echo");
        QTest::addColumn<bool>("confirms");
        QTest::newRow("all match") << 0 << reply() << true;
        QTest::newRow("only IP, first octet") << 0 << reply({.ip = "C1 A8 01 64"}) << false;
        QTest::newRow("only IP, last octet") << 0 << reply({.ip = "C0 A8 01 65"}) << false;
        QTest::newRow("only mask") << 0 << reply({.mask = "FF FF FE 00"}) << false;
        QTest::newRow("only gateway") << 0 << reply({.gateway = "C0 A8 01 FE"}) << false;
        QTest::newRow("only server IP") << 0 << reply({.server = "C0 A9 01 02"}) << false;
        QTest::newRow("only port, low byte") << 0 << reply({.port = "22 61"}) << false;
        QTest::newRow("only port, high byte") << 0 << reply({.port = "23 60"}) << false;
        QTest::newRow("only DNS, DHCP 0") << 0 << reply({.dns = "08 08 04 04"}) << true;
        QTest::newRow("all match, DHCP 1") << 1 << reply() << true;
        QTest::newRow("only DNS, DHCP 1") << 1 << reply({.dns = "08 08 04 04"}) << false;
        QTest::newRow("only DNS first octet, DHCP 1")
            << 1 << reply({.dns = "01 08 08 08"}) << false;
        QTest::newRow("only gateway, DHCP 1") << 1 << reply({.gateway = "C0 A8 01 FE"}) << false;
    }
    void confirmationFieldByField() {
        QFETCH(int, dhcp);
        QFETCH(QByteArray, echo);
        QFETCH(bool, confirms);
        setDhcp(dhcp);
        chooseAndRead();
        s->submitPanel();
        QCOMPARE(ep->sent.back().bytes.size(), 86);
        s->delayElapsed();
        ep->deliver(echo);
        QCOMPARE(s->updateConfirmed(), confirms);
        QCOMPARE(tMody->isActive(), !confirms);
        QCOMPARE(boxes->texts, confirms ? QStringList{kSuccess} : QStringList{});
        if (!confirms) {
            ticksUntilTheEnd();
            QCOMPARE(boxes->texts, QStringList{kFailed});
        }
    }

    // A double click and a refresh empty the panel before reading. Outside a write a reply
    // confirms nothing, not even a second one equal to what the panel shows.
    void chooseAndRefreshEmptyThePanelFirst_data() {
        QTest::addColumn<bool>("refresh");
        QTest::newRow("double click") << false;
        QTest::newRow("refresh") << true;
    }
    void chooseAndRefreshEmptyThePanelFirst() {
        QFETCH(bool, refresh);
        chooseAndRead();
        ep->deliver(reply());
        QVERIFY(boxes->texts.isEmpty());
        QVERIFY(!s->updateConfirmed());
        ep->sent.clear();

        if (refresh) {
            s->refreshCard();
        } else {
            s->readSelectedCard();
        }
        QCOMPARE(int(ep->sent.size()), 1);
        QCOMPARE(ep->sent[0].bytes, hex("A1 14 02 00 00 FF"));
        QVERIFY(view->panel[Edit::IP1].empty());
        QCOMPARE(view->panel[protocol::Combo::Scan].index, -1);
        QVERIFY(!s->updateConfirmed());

        ep->deliver(reply());
        QVERIFY(boxes->texts.isEmpty());
        QVERIFY(!s->updateConfirmed());
        QCOMPARE(view->panel[Edit::IP1], std::string("192"));
    }

    // An echo of the values sent confirms once, even before the wait is over; a later reply
    // of other values neither undoes it nor brings a failure.
    void earlyEchoConfirmsOnce() {
        chooseAndRead();
        s->submitPanel();
        QVERIFY2(!s->updateConfirmed(), "a write clears it before any reply");

        ep->deliver(reply()); // an early match, before the delay is over
        QVERIFY(s->updateConfirmed());
        ep->deliver(reply({.gateway = "C0 A8 01 FE"}));
        QVERIFY(s->updateConfirmed());

        s->delayElapsed();
        ep->deliver(reply());
        ticksUntilTheEnd();
        QCOMPARE(boxes->texts, QStringList{kSuccess});
        QCOMPARE(s->writePhase(), CardSession::WritePhase::Idle);
    }

    // A card that answers reads but ignores writes: its read-backs show its old values, and the
    // panel, filled by the first of them, must not become the yardstick of the second. A card
    // that takes the write is confirmed by its first read-back, and only once.
    void writeIsConfirmedOnlyByTheValuesSent_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("takes");
        QTest::addColumn<QString>("readBackHost");
        const QString broadcast = QStringLiteral("255.255.255.255");
        const struct {
            const char* name;
            Edit edit;
            const char* typed;
            const char* hostBy53;
        } changes[] = {{"IP", Edit::IP4, "101", "192.168.1.101"},
                       {"mask", Edit::C3, "254", "192.168.1.100"},
                       {"server port", Edit::DPort, "8801", "192.168.1.100"}};
        for (const auto& c : changes) {
            for (int version : {53, 54}) {
                for (bool takes : {false, true}) {
                    QTest::addRow("%s, firmware %d, %s", c.name, version,
                                  takes ? "takes it" : "ignores it")
                        << version << int(c.edit) << QString::fromUtf8(c.typed) << takes
                        << (version >= 54 ? broadcast : QString::fromUtf8(c.hostBy53));
                }
            }
        }
    }
    void writeIsConfirmedOnlyByTheValuesSent() {
        QFETCH(int, version);
        QFETCH(int, edit);
        QFETCH(QString, typed);
        QFETCH(bool, takes);
        QFETCH(QString, readBackHost);
        view->list.clear();
        s->setSearchTimes(3);
        s->runSearchDialog = [&](discovery::SearchDialog& dialog) {
            dialog.show();
            ep->deliver(answer("00 1A 2B 3C 4D 5E", "C0 A8 01 64", version));
            dialog.btStopClick();
        };
        s->searchAllCards();
        ep->deliver(reply());
        QVERIFY(boxes->texts.isEmpty());
        view->panel[Edit(edit)] = typed.toStdString();
        s->submitPanel();

        Net taken;
        if (Edit(edit) == Edit::IP4) {
            taken.ip = "C0 A8 01 65";
        } else if (Edit(edit) == Edit::C3) {
            taken.mask = "FF FF FE 00";
        } else {
            taken.port = "22 61";
        }
        const QByteArray readBack = takes ? reply(taken) : reply();
        ep->sent.clear();
        s->delayElapsed();
        ep->deliver(readBack);
        ep->deliver(readBack); // the card answers a read twice
        for (int tick = 0; tick < 3 && tMody->isActive(); ++tick) {
            s->confirmationTick();
            ep->deliver(readBack);
        }
        QCOMPARE(boxes->texts, QStringList{takes ? kSuccess : kFailed});
        QCOMPARE(s->updateConfirmed(), takes);
        QVERIFY(!tMody->isActive());
        QVERIFY(!ep->sent.empty());
        for (const auto& sent : ep->sent) {
            QCOMPARE(sent.host, readBackHost);
        }
    }

    // delayElapsed moves the first row that holds the card's old address, and only that one.
    void delayTimerMovesTheFirstRowOfTheOldAddress_data() {
        QTest::addColumn<QStringList>("rowIps");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<bool>("emptyListBeforeDelay");
        QTest::addColumn<QStringList>("rowIpsAfter");
        QTest::addColumn<QString>("cardIpAfter");
        const QString old = QStringLiteral("192.168.1.100");
        const QString typed = QStringLiteral("192.168.1.101");
        const QString other = QStringLiteral("192.168.1.7");
        QTest::newRow("one row") << QStringList{old} << 0 << false << QStringList{typed} << typed;
        QTest::newRow("two rows, first chosen")
            << QStringList{old, old} << 0 << false << QStringList{typed, old} << typed;
        QTest::newRow("two rows, second chosen")
            << QStringList{old, old} << 1 << false << QStringList{typed, old} << typed;
        QTest::newRow("row of another card first")
            << QStringList{other, old} << 1 << false << QStringList{other, typed} << typed;
        // The card is at its new address whether or not the list still shows it.
        QTest::newRow("list emptied") << QStringList{old} << 0 << true << QStringList{} << typed;
    }
    void delayTimerMovesTheFirstRowOfTheOldAddress() {
        QFETCH(QStringList, rowIps);
        QFETCH(int, chosen);
        QFETCH(bool, emptyListBeforeDelay);
        QFETCH(QStringList, rowIpsAfter);
        QFETCH(QString, cardIpAfter);
        view->list.clear();
        for (int r = 0; r < rowIps.size(); ++r) {
            view->addRow(QString::number(r + 1), QStringLiteral("00:1A:2B:3C:4D:5E"), rowIps[r]);
        }
        chooseAndRead(chosen);
        writeNewAddress();
        if (emptyListBeforeDelay) {
            view->list.clear();
        }
        ep->sent.clear();
        s->delayElapsed();

        QStringList shown;
        for (int r = 0; r < view->list.topLevelItemCount(); ++r) {
            shown << view->rowIp(r);
        }
        QCOMPARE(shown, rowIpsAfter);
        QCOMPARE(QString::fromStdString(s->selectedCard().ip), cardIpAfter);
        QCOMPARE(int(ep->sent.size()), 1);
        QCOMPARE(ep->sent[0].host, cardIpAfter);
        QVERIFY(tMody->isActive());
        QVERIFY(!view->busy);
    }

    void readThatFailsDuringConfirmation_data() {
        QTest::addColumn<int>("failures");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("every read fails")
            << -1 << QStringList{kSendFailed, kSendFailed, kSendFailed, kFailed};
        QTest::newRow("first read fails, the card answers the second")
            << 1 << QStringList{kSendFailed, kSuccess};
    }
    void readThatFailsDuringConfirmation() {
        QFETCH(int, failures);
        QFETCH(QStringList, messages);
        chooseAndRead();
        writeNewAddress();
        ep->sent.clear();
        ep->failSends(discovery::SendFailure::Reason::SocketError, failures);
        s->delayElapsed();
        QCOMPARE(boxes->texts, QStringList{kSendFailed});
        QVERIFY2(tMody->isActive(), "the cycle goes on");
        for (int tick = 0; tick < 3 && tMody->isActive(); ++tick) {
            const auto before = ep->sent.size();
            s->confirmationTick();
            if (ep->sent.size() > before) { // the card answers every read that reaches it
                QCOMPARE(ep->sent.back().host, QStringLiteral("192.168.1.101"));
                ep->deliver(reply({.ip = "C0 A8 01 65"}));
            }
        }
        QCOMPARE(boxes->texts, messages);
        QVERIFY(!tMody->isActive());
    }

    // Cards fresh from the factory share one address; each MAC is a card of its own.
    void twoCardsWithOneAddressGetTwoRows() {
        const QByteArray first = answer("00 1A 2B 00 00 01", "C0 A8 01 64", 54);
        const QByteArray second = answer("00 1A 2B 00 00 02", "C0 A8 01 64", 54);
        s->setSearchTimes(3);
        s->runSearchDialog = [&](discovery::SearchDialog& dialog) {
            dialog.show();
            ep->deliver(first);
            ep->deliver(second);
            ep->deliver(first);
            dialog.btStopClick();
        };
        s->searchAllCards();
        QCOMPARE(view->list.topLevelItemCount(), 2);
        const QStringList expected[] = {
            {"1", "LED", "00:1A:2B:00:00:01", "192.168.1.100"},
            {"2", "LED", "00:1A:2B:00:00:02", "192.168.1.100"},
        };
        for (int r = 0; r < 2; ++r) {
            const auto row = view->deviceRow(r);
            QCOMPARE((QStringList{QString::number(row.number), QString::fromStdString(row.name),
                                  QString::fromStdString(row.mac), QString::fromStdString(row.ip)}),
                     expected[r]);
        }
        QCOMPARE(int(s->foundCards().size()), 2);
        // Each is read by its own MAC, not by the address they share.
        QCOMPARE(ep->sent.back().bytes, hex("A1 44 06 00 1A 2B 00 00 01 FF"));
        view->list.setCurrentItem(view->list.topLevelItem(1));
        s->readSelectedCard();
        QCOMPARE(ep->sent.back().bytes, hex("A1 44 06 00 1A 2B 00 00 02 FF"));
    }

    // The write repeats the chosen card's MAC whatever the MAC strip shows.
    void macFrameComesFromTheChosenCard_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("macCommand");
        QTest::addColumn<QByteArray>("prefix");
        QTest::newRow("by IP") << 53 << 0x02 << QByteArray();
        QTest::newRow("by MAC") << 54 << 0x32 << hex("00 00 00 00 00 77");
    }
    void macFrameComesFromTheChosenCard() {
        QFETCH(int, version);
        QFETCH(int, macCommand);
        QFETCH(QByteArray, prefix);
        s->setSearchTimes(3);
        s->runSearchDialog = [&](discovery::SearchDialog& dialog) {
            dialog.show();
            ep->deliver(answer("00 00 00 00 00 77", "C0 A8 01 64", version));
            dialog.btStopClick();
        };
        s->searchAllCards();
        ep->deliver(reply());
        QCOMPARE(view->panel[Edit::MACAddr], std::string("00:1A:2B:3C:4D:5E"));
        view->panel[Edit::MACAddr] = "11:22:33:44:55:66"; // typed over by the operator
        // The reply came from another MAC: nothing of the chosen card was read to back up,
        // and the operator is asked first.
        boxes->answers = {true};
        s->submitPanel();
        QCOMPARE(boxes->questions.size(), 1);
        const QByteArray written = ep->sent.back().bytes;
        QCOMPARE(payloadOf(written, macCommand), hex("00 00 00 00 00 77"));
        QCOMPARE(payloadOf(written, 0x30), prefix);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ConfirmationTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "ConfirmationTest.moc"
