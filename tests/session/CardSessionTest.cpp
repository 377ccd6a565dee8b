// The search, selection, write and confirmation cycle against a fake endpoint, with the timer
// handlers driven by hand so every step of the timing can be checked.

#include "session/CardSession.h"

#include "FakeView.h"
#include "discovery/HostResolution.h"
#include "discovery/dialogs/SearchDialog.h"
#include "lang/Catalogue.h"
#include "protocol/Reply.h"
#include "support/FakeEndpoint.h"
#include "support/QtBytes.h"
#include "support/RecordingMessageBoxes.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using protocol::Edit;
using session::CardSession;
using testsupport::FakeEndpoint;

using testsupport::qt::hex;

namespace {

// A search answer written out by hand: name, MAC, IP, mask and (optionally) version frames.
QByteArray answer(const char* macHex, const char* ipHex, int version, const char* name = "LED") {
    QByteArray d;
    const QByteArray n(name);
    d += hex("A1 02") + char(n.size()) + n + char(0xFF);
    d += hex("A1 04 06") + hex(macHex) + char(0xFF);
    d += hex("A1 05 04") + hex(ipHex) + char(0xFF);
    d += hex("A1 06 04 FF FF FF 00 FF");
    if (version >= 0) {
        d += hex("A1 20 01") + char(version) + char(0xFF);
    }
    return d;
}

// A full 171-byte reply for 192.168.1.<last>, mask /24, gateway .1, server .2:8800.
QByteArray reply(int last = 100, std::uint8_t flags = 0x0C,
                 const QByteArray& domain = "led.example.com") {
    QByteArray d;
    d += hex("A1 04 06 00 1A 2B 3C 4D 5E FF");
    d += hex("A1 05 04 C0 A8 01") + char(last) + char(0xFF);
    d += hex("A1 06 04 FF FF FF 00 FF");
    d += hex("A1 07 04 C0 A8 01 01 FF");
    d += hex("A1 16 40") + domain.leftJustified(64, '\0') + char(0xFF);
    d += hex("A1 17 04 C0 A8 01 02 FF");
    d += hex("A1 18 02 22 60 FF");
    d += hex("A1 19 01") + char(flags) + char(0xFF);
    d += hex("A1 1A 08 08 08 08 08 00 00 00 00 FF");
    d += hex("A1 20 01 36 FF");
    d += hex("A1 21 11 01 01 02 80 01 E0 03 00 07 01 05 33 44 22 00 21 1F FF");
    d += hex("A1 22 08 0A FF 00 01 02 03 04 05 FF");
    return d;
}

using sessiontest::FakeView;

} // namespace

class CardSessionTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeEndpoint> ep;
    std::unique_ptr<FakeView> view;
    std::unique_ptr<QTimer> tSendSpan, tDelay, tMody;
    std::unique_ptr<lang::Catalogues> catalogues;
    std::unique_ptr<CardSession> s;
    std::unique_ptr<testsupport::RecordingMessageBoxes> boxes;
    std::unique_ptr<platform::ScopedMessageBoxes> boxesGuard;

    // Runs a search the way the clock would: countdown ticks every 1000 ms, requests every
    // 1200 ms, and `answers` handed in at the given milliseconds.
    void simulate(discovery::SearchDialog& d,
                  const std::vector<std::pair<int, QByteArray>>& answers = {}, int stopAtMs = -1) {
        d.show();
        for (int t = 100; t <= 60000 && d.isVisible(); t += 100) {
            for (const auto& [at, bytes] : answers) {
                if (at == t) {
                    ep->deliver(bytes);
                }
            }
            if (t == stopAtMs) {
                d.btStopClick();
                break;
            }
            if (t % 1000 == 0) {
                d.tSTimeTimer();
            }
            if (t % 1200 == 0 && tSendSpan->isActive() && d.isVisible()) {
                s->searchSendTick();
            }
        }
    }

    int sendsTo(const QString& host) const {
        int n = 0;
        for (const auto& sent : ep->sent) {
            n += sent.host == host ? 1 : 0;
        }
        return n;
    }

    void searchWith(const std::vector<std::pair<int, QByteArray>>& answers, int searchTimes = 3) {
        s->setSearchTimes(searchTimes);
        s->runSearchDialog = [this, answers](discovery::SearchDialog& d) { simulate(d, answers); };
        s->searchAllCards();
    }

    // Lists the one card and reads it, as a double click on its row.
    void chooseTheCard() {
        view->list.clear();
        auto* row =
            new QTreeWidgetItem(QStringList{"1", "LED", "00:1A:2B:3C:4D:5E", "192.168.1.100"});
        view->list.addTopLevelItem(row);
        view->list.setCurrentItem(row);
        s->readSelectedCard();
    }

    // Chooses the card, fills the panel from its reply and writes it.
    void readCardAndWrite(int newLast) {
        chooseTheCard();
        ep->deliver(reply(100));
        view->panel[Edit::IP4] = std::to_string(newLast);
        ep->sent.clear();
        s->submitPanel();
    }

private slots:
    void init() {
        ep = std::make_unique<FakeEndpoint>();
        view = std::make_unique<FakeView>();
        tSendSpan = std::make_unique<QTimer>();
        tSendSpan->setInterval(1200);
        tDelay = std::make_unique<QTimer>();
        tMody = std::make_unique<QTimer>();
        tMody->setInterval(2000);
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

    void stopBeforeTheFirstRequestSendsNothing() {
        view->panel[Edit::PLen] = "64";
        s->runSearchDialog = [this](discovery::SearchDialog& d) { simulate(d, {}, 1100); };
        s->searchAllCards();
        QVERIFY(ep->sent.empty());
        QCOMPARE(view->list.topLevelItemCount(), 0);
        QVERIFY(!tSendSpan->isActive());
        QVERIFY2(view->panel[Edit::PLen].empty(), "a search empties the panel");
        QVERIFY(boxes->texts.isEmpty());
    }

    void searchTimesOneClosesBeforeAnyRequest() {
        s->setSearchTimes(1);
        int progressMax = -1;
        s->runSearchDialog = [&](discovery::SearchDialog& d) {
            d.show();
            progressMax = d.findChild<QProgressBar*>(QStringLiteral("SpBar"))->maximum();
            d.tSTimeTimer();
            QVERIFY(!d.isVisible());
        };
        s->searchAllCards();
        QCOMPARE(progressMax, 0);
        QVERIFY(ep->sent.empty());
        QVERIFY(!tSendSpan->isActive());
        s->setSearchTimes(0);
        s->runSearchDialog = [this](discovery::SearchDialog& d) { simulate(d); };
        s->searchAllCards();
        QVERIFY2(ep->sent.empty(), "0 is treated as 1");
    }

    void sendCountCarriesOverBetweenSearches() {
        s->setSearchTimes(20);
        s->runSearchDialog = [this](discovery::SearchDialog& d) { simulate(d); };
        s->searchAllCards();
        QCOMPARE(int(ep->sent.size()), 16);
        QCOMPARE(s->sendCount(), 17);
        for (const auto& sent : ep->sent) {
            QCOMPARE(sent.host, QStringLiteral("255.255.255.255"));
            QCOMPARE(sent.port, quint16(8800));
            QVERIFY(sent.broadcast);
            QCOMPARE(sent.bytes, hex("A1 15 02 00 00 FF"));
        }
        ep->sent.clear();
        s->searchAllCards();
        QCOMPARE(int(ep->sent.size()), 4);
        QCOMPARE(s->sendCount(), 1);
        ep->sent.clear();
        s->searchAllCards();
        QCOMPARE(int(ep->sent.size()), 16);
    }

    void searchByIpThenPlainSearch() {
        s->setSearchTimes(3);
        s->askSearchAddress = [] { return QStringLiteral("192.168.1.100"); };
        s->runSearchDialog = [this](discovery::SearchDialog& d) { simulate(d); };
        s->searchAtAddress();
        QVERIFY(!ep->sent.empty());
        for (const auto& sent : ep->sent) {
            QCOMPARE(sent.host, QStringLiteral("192.168.1.100"));
            QVERIFY(!sent.broadcast);
        }
        ep->sent.clear();
        s->searchAllCards();
        QVERIFY(!ep->sent.empty());
        QCOMPARE(sendsTo(QStringLiteral("255.255.255.255")), int(ep->sent.size()));

        // Closed without OK: a broadcast search.
        s->askSearchAddress = [] { return QString(); };
        ep->sent.clear();
        s->searchAtAddress();
        QCOMPARE(sendsTo(QStringLiteral("255.255.255.255")), int(ep->sent.size()));
    }

    void answersFillTheListOnceEachAndTheFirstCardIsRead() {
        const QByteArray a53 = answer("00 00 00 00 00 53", "C0 A8 01 35", 53, "Card 53");
        const QByteArray a54 = answer("00 00 00 00 00 54", "C0 A8 01 36", 54, "Card 54");
        const QByteArray none = answer("00 00 00 00 00 99", "C0 A8 01 63", -1, "NoVer");
        int shownCount = -1;
        s->setSearchTimes(3);
        s->runSearchDialog = [&](discovery::SearchDialog& d) {
            simulate(d, {{1300, a53}, {1400, a54}, {1500, a53}, {1600, none}, {2500, a54}});
            shownCount = d.findChild<QLabel*>(QStringLiteral("lbSModm"))->text().toInt();
        };
        s->searchAllCards();
        QCOMPARE(shownCount, 3); // "duplicates do not count"
        QCOMPARE(view->list.topLevelItemCount(), 3);
        QCOMPARE(view->list.topLevelItem(0)->text(0), QStringLiteral("1"));
        QCOMPARE(view->list.topLevelItem(1)->text(1), QStringLiteral("Card 54"));
        QCOMPARE(view->list.topLevelItem(2)->text(2), QStringLiteral("00:00:00:00:00:99"));
        QCOMPARE(view->list.topLevelItem(0)->foreground(0).color(), QColor(255, 0, 255));
        QCOMPARE(view->list.topLevelItem(1)->foreground(0).color(), QColor(Qt::blue));
        QCOMPARE(view->list.topLevelItem(2)->foreground(0).color(), QColor(255, 0, 255));

        // The first card (version 53) was read by IP at the end of the search.
        QCOMPARE(ep->sent.back().host, QStringLiteral("192.168.1.53"));
        QCOMPARE(ep->sent.back().bytes, hex("A1 14 02 00 00 FF"));

        view->list.setCurrentItem(view->list.topLevelItem(1));
        s->readSelectedCard();
        QCOMPARE(ep->sent.back().host, QStringLiteral("255.255.255.255"));
        QVERIFY(ep->sent.back().broadcast);
        QCOMPARE(ep->sent.back().bytes, hex("A1 44 06 00 00 00 00 00 54 FF"));

        view->list.setCurrentItem(view->list.topLevelItem(2));
        s->readSelectedCard();
        QCOMPARE(ep->sent.back().host, QStringLiteral("192.168.1.99"));
        QCOMPARE(ep->sent.back().bytes, hex("A1 14 02 00 00 FF"));

        // A single click changes the address only; refresh reads the clicked row's address.
        view->list.setCurrentItem(view->list.topLevelItem(0));
        s->noteSelectedCard();
        s->refreshCard();
        QCOMPARE(ep->sent.back().host, QStringLiteral("192.168.1.53"));
        QCOMPARE(ep->sent.back().bytes, hex("A1 14 02 00 00 FF"));

        // A card read by MAC keeps being read by its MAC after a click on another row.
        view->list.setCurrentItem(view->list.topLevelItem(1));
        s->readSelectedCard();
        view->list.setCurrentItem(view->list.topLevelItem(0));
        s->noteSelectedCard();
        s->refreshCard();
        QCOMPARE(ep->sent.back().bytes, hex("A1 44 06 00 00 00 00 00 54 FF"));
        QVERIFY(ep->sent.back().broadcast);

        // Late answers outside a search are ignored.
        ep->deliver(answer("00 00 00 00 00 77", "C0 A8 01 4D", 54));
        QCOMPARE(view->list.topLevelItemCount(), 3);
    }

    void refreshBeforeAnyChoiceReadsZeroAddress() {
        s->refreshCard();
        QCOMPARE(int(ep->sent.size()), 1);
        QCOMPARE(ep->sent[0].host, QStringLiteral("0.0.0.0"));
        QCOMPARE(ep->sent[0].bytes, hex("A1 14 02 00 00 FF"));
        QVERIFY(!s->updateConfirmed());
    }

    void searchByIpAddressesReadsThere() {
        s->askSearchAddress = [] { return QStringLiteral("10.9.8.7"); };
        s->setSearchTimes(3);
        s->runSearchDialog = [this](discovery::SearchDialog& d) {
            simulate(d, {{1300, answer("00 00 00 00 00 53", "C0 A8 01 35", 53)}});
        };
        s->searchAtAddress();
        QCOMPARE(ep->sent.back().host, QStringLiteral("10.9.8.7"));
        QCOMPARE(ep->sent.back().bytes, hex("A1 14 02 00 00 FF"));
        QVERIFY(!ep->sent.back().broadcast);
    }

    void sendFailureDuringSearchClosesTheDialog() {
        ep->failSends(discovery::SendFailure::Reason::NotBound);
        s->setSearchTimes(20);
        bool closedEarly = false;
        s->runSearchDialog = [&](discovery::SearchDialog& d) {
            simulate(d, {{1100, answer("00 00 00 00 00 53", "C0 A8 01 35", 53)}});
            closedEarly = d.remainingSeconds() > 15;
        };
        s->searchAllCards();
        QVERIFY(closedEarly);
        QVERIFY(!tSendSpan->isActive());
        QCOMPARE(view->list.topLevelItemCount(), 1); // "rows found so far remain"
        // The search failure, then the failed read of the first card.
        QCOMPARE(boxes->texts.size(), 2);
        QVERIFY(boxes->texts[0].startsWith(QStringLiteral("Search device failed")));
    }

    void writeMovesTheRowAndConfirms() {
        readCardAndWrite(101);
        QCOMPARE(int(ep->sent.size()), 1);
        QCOMPARE(ep->sent[0].bytes.size(), 86);
        QCOMPARE(ep->sent[0].host, QStringLiteral("192.168.1.100"));
        QVERIFY(tDelay->isActive());
        QCOMPARE(tDelay->interval(), 5000);
        QVERIFY(view->busy);
        QCOMPARE(s->writePhase(), CardSession::WritePhase::Sent);

        s->delayElapsed();
        QVERIFY(!view->busy);
        QVERIFY(!tDelay->isActive());
        QCOMPARE(view->list.topLevelItem(0)->text(3), QStringLiteral("192.168.1.101"));
        QCOMPARE(QString::fromStdString(s->selectedCard().ip), QStringLiteral("192.168.1.101"));
        QCOMPARE(ep->sent.back().host, QStringLiteral("192.168.1.101"));
        QVERIFY(tMody->isActive());

        ep->deliver(reply(101));
        QCOMPARE(boxes->texts,
                 QStringList{QStringLiteral("Update the device information successfully!")});
        QVERIFY(!tMody->isActive());
        QVERIFY(s->updateConfirmed());
        QCOMPARE(s->writePhase(), CardSession::WritePhase::Idle);
    }

    void writeWithDomainWaitsTenSeconds() {
        view->panel.serverByDomain = true;
        readCardAndWrite(100);
        QVERIFY(boxes->texts.isEmpty());
        // The reply chose the IP radio; choose the domain again as an operator would.
        view->panel.serverByDomain = true;
        s->submitPanel();
        QCOMPARE(tDelay->interval(), 10000);
        QCOMPARE(ep->sent.back().bytes.size(), 154);
    }

    void cardThatNeverAnswersFailsAfterThreeReads() {
        readCardAndWrite(101);
        ep->sent.clear();
        s->delayElapsed();     // 5 s
        s->confirmationTick(); // 7 s
        s->confirmationTick(); // 9 s
        QCOMPARE(int(ep->sent.size()), 3);
        QVERIFY(boxes->texts.isEmpty());
        s->confirmationTick(); // 11 s
        QCOMPARE(int(ep->sent.size()), 3);
        QCOMPARE(boxes->texts,
                 QStringList{QStringLiteral("Update the device information failed!")});
        QVERIFY(!tMody->isActive());
        QCOMPARE(s->confirmTries(), 0);
    }

    void earlyMatchShowsSuccessAndTheCycleStillReads() {
        readCardAndWrite(100);
        ep->deliver(reply(100)); // an answer that matches before the delay is over
        QCOMPARE(boxes->texts.size(), 1);
        s->delayElapsed();
        QVERIFY(tMody->isActive());
        const auto before = ep->sent.size();
        s->confirmationTick();
        QCOMPARE(ep->sent.size(), before + 1); // "the tick still reads"
        QVERIFY(!tMody->isActive());
    }

    // A second write while the first is being confirmed ends that confirmation: its tries must
    // not run out and report the new write as failed before the new write's wait is over.
    void secondWriteEndsTheConfirmationOfTheFirst() {
        readCardAndWrite(101);
        s->delayElapsed();
        s->confirmationTick();
        QCOMPARE(s->confirmTries(), 1);
        s->submitPanel(); // a second write while tMody still runs
        QVERIFY(!tMody->isActive());
        QCOMPARE(s->confirmTries(), 0);
        QVERIFY(tDelay->isActive());
        QVERIFY(boxes->texts.isEmpty());
        s->delayElapsed();
        for (int tick = 0; tick < 3; ++tick) {
            s->confirmationTick();
        }
        QCOMPARE(boxes->texts,
                 QStringList{QStringLiteral("Update the device information failed!")});
    }

    void refusalsShowAMessageAndSendNothing() {
        readCardAndWrite(101);
        s->delayElapsed();
        tMody->stop();
        ep->sent.clear();
        boxes->texts.clear();
        view->panel[Edit::IP1] = "256";
        s->submitPanel();
        QCOMPARE(boxes->texts, QStringList{QStringLiteral(
                                   "Control Card IP: the value must be between 0 and 255.")});
        view->panel[Edit::IP1] = "1a";
        s->submitPanel();
        QVERIFY(boxes->texts.last().contains(QStringLiteral("\"1a\"")));
        view->panel[Edit::IP1].clear();
        s->submitPanel();
        QCOMPARE(boxes->texts.last(),
                 QStringLiteral("To modify the configuration information can not be empty!"));
        view->panel[Edit::IP1] = "192";
        view->panel.serverByDomain = true;
        view->panel[Edit::Domain] = QString(64, QLatin1Char('a')).toStdString();
        s->submitPanel();
        QCOMPARE(boxes->texts.last(), QStringLiteral("服务器的域名长度不能超过64！"));
        QVERIFY(ep->sent.empty());
        QVERIFY(!tDelay->isActive());
    }

    // Expected forms checked against libidn2 (IDNA2008, UTS #46 non-transitional).
    void domainOnTheWire_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("wire");
        const QString ch = QStringLiteral("xn--bhne-0ra.example");
        QTest::newRow("ASCII byte for byte") << "Led.Example.COM"
                                             << "Led.Example.COM";
        QTest::newRow("lower case") << QString::fromUtf8("bühne.example") << ch;
        QTest::newRow("mixed case") << QString::fromUtf8("BÜHNE.Example") << ch;
        QTest::newRow("full-width letters") << QString::fromUtf8("ｂüｈｎｅ．example") << ch;
        QTest::newRow("full-width ASCII")
            << QString::fromUtf8("ｅｘａｍｐｌｅ.com") << "example.com";
        QTest::newRow("sharp s kept") << QString::fromUtf8("straße.de") << "xn--strae-oqa.de";
        QTest::newRow("ideographic full stop")
            << QString::fromUtf8("例子。测试") << "xn--fsqu00a.xn--0zwm56d";
        const QString longLabel = QString(60, QChar(0xE4)) + QStringLiteral(".de");
        QTest::newRow("label too long: unchanged") << longLabel << longLabel;
    }

    void domainOnTheWire() {
        QFETCH(QString, typed);
        QFETCH(QString, wire);
        QCOMPARE(QString::fromStdString(discovery::DomainOnTheWire(typed.toStdString())), wire);
    }

    void writeSendsTheDomainInItsWireForm_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("payload"); // empty: refused, nothing sent
        QTest::newRow("mixed case")
            << QString::fromUtf8(" BÜHNE.example\t") << QByteArray("xn--bhne-0ra.example");
        QTest::newRow("full-width")
            << QString::fromUtf8("ｂüｈｎｅ.example") << QByteArray("xn--bhne-0ra.example");
        QTest::newRow("sharp s") << QString::fromUtf8("straße.de")
                                 << QByteArray("xn--strae-oqa.de");
        // 58 characters typed, 65 bytes on the wire.
        QTest::newRow("wire form over 63")
            << QString::fromUtf8("bühne.") + QString(44, QLatin1Char('a')) + ".example"
            << QByteArray();
        QTest::newRow("wire form of 63")
            << QString::fromUtf8("bühne.") + QString(42, QLatin1Char('a')) + ".example"
            << QByteArray("xn--bhne-0ra.") + QByteArray(42, 'a') + ".example";
        QTest::newRow("label too long") << QString(60, QChar(0xE4)) + ".de" << QByteArray();
    }

    void writeSendsTheDomainInItsWireForm() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, payload);
        readCardAndWrite(100);
        s->delayElapsed();
        tMody->stop();
        ep->sent.clear();
        boxes->texts.clear();
        view->panel.serverByDomain = true;
        view->panel[Edit::Domain] = typed.toStdString();
        s->submitPanel();
        if (payload.isEmpty()) {
            QCOMPARE(boxes->texts, QStringList{QStringLiteral("服务器的域名长度不能超过64！")});
            QVERIFY(ep->sent.empty());
            return;
        }
        QVERIFY2(boxes->texts.isEmpty(), qPrintable(boxes->texts.join('|')));
        QCOMPARE(int(ep->sent.size()), 1);
        const QByteArray& bytes = ep->sent[0].bytes;
        QCOMPARE(bytes.size(), 154);
        QCOMPARE(bytes.mid(86, 3), hex("A1 46 40"));
        QCOMPARE(bytes.mid(89, 64), payload.leftJustified(64, '\0'));
        // The panel keeps what was typed.
        QCOMPARE(view->panel[Edit::Domain], typed.toStdString());
    }

    // The card keeps a domain in its "xn--" form; the panel shows it as it was typed, and
    // writing the panel unchanged sends the same bytes back and confirms.
    void domainIsShownInUnicodeAndWrittenBackAsItCame_data() {
        QTest::addColumn<QByteArray>("onCard");
        QTest::addColumn<QString>("shown");
        QTest::newRow("xn-- label")
            << QByteArray("xn--bhne-0ra.example") << QString::fromUtf8("bühne.example");
        QTest::newRow("two xn-- labels")
            << QByteArray("xn--fsqu00a.xn--0zwm56d") << QString::fromUtf8("例子.测试");
        QTest::newRow("plain ASCII")
            << QByteArray("led.example.com") << QStringLiteral("led.example.com");
        QTest::newRow("not valid punycode")
            << QByteArray("xn--zz9.example") << QStringLiteral("xn--zz9.example");
    }
    void domainIsShownInUnicodeAndWrittenBackAsItCame() {
        QFETCH(QByteArray, onCard);
        QFETCH(QString, shown);
        chooseTheCard();
        ep->deliver(reply(100, 0x3F, onCard));
        QCOMPARE(QString::fromStdString(view->panel[Edit::Domain]), shown);
        ep->sent.clear();
        s->submitPanel();
        QCOMPARE(int(ep->sent.size()), 1);
        QCOMPARE(ep->sent[0].bytes.mid(89, 64), onCard.leftJustified(64, '\0'));
        s->delayElapsed();
        ep->deliver(reply(100, 0x3F, onCard));
        QVERIFY(s->updateConfirmed());
    }

    void domainPresetConfirmsTheCardsEcho_data() {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QByteArray>("echo");
        QTest::addColumn<bool>("confirmed");
        const QByteArray ch("xn--bhne-0ra.example");
        QTest::newRow("the card stored what was sent")
            << QString::fromUtf8("bühne.example") << ch << true;
        QTest::newRow("preset in capitals") << QString::fromUtf8("BÜHNE.example") << ch << true;
        QTest::newRow("the card holds another name")
            << QString::fromUtf8("bühne.example") << QByteArray("xn--bcher-kva.example") << false;
        QTest::newRow("ASCII compares as it stands")
            << "Led.example.com" << QByteArray("led.example.com") << false;
    }

    void domainPresetConfirmsTheCardsEcho() {
        QFETCH(QString, preset);
        QFETCH(QByteArray, echo);
        QFETCH(bool, confirmed);
        protocol::CardProfile profile;
        profile.domainName = preset.toStdString();
        s->setProfile(profile);
        view->panel.serverByDomain = true;
        readCardAndWrite(100);
        QCOMPARE(view->panel[Edit::Domain], preset.toStdString());
        view->panel.serverByDomain = true; // the reply chose the IP radio
        ep->sent.clear();
        s->submitPanel();
        QCOMPARE(int(ep->sent.size()), 1);
        s->delayElapsed();
        ep->deliver(reply(100, 0x3F, echo));
        const QStringList success{QStringLiteral("Update the device information successfully!")};
        QCOMPARE(boxes->texts == success, confirmed);
        QCOMPARE(s->updateConfirmed(), confirmed);
    }

    void failedWriteSendStartsNothing() {
        readCardAndWrite(101);
        tDelay->stop();
        view->busy = false;
        ep->failSends(discovery::SendFailure::Reason::SocketError);
        s->submitPanel();
        QVERIFY(!tDelay->isActive());
        QVERIFY(!view->busy);
        QVERIFY(boxes->texts.last().startsWith(QStringLiteral("Search device failed")));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    CardSessionTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "CardSessionTest.moc"
