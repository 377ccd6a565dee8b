// The real endpoint on the tool side of a namespace pair, with raw sockets on the card side.

#include "NetBed.h"
#include "discovery/Dispatch.h"
#include "discovery/UdpEndpoint.h"
#include "support/MockClock.h"

#include <QEventLoop>
#include <QNetworkDatagram>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <memory>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/socket.h>

using discovery::SendFailure;
using discovery::UdpEndpoint;
using testbed::Side;

namespace {

const QString kTool = QStringLiteral("192.168.1.10");
const QString kCardSide = QStringLiteral("192.168.1.2");
const QString kCard = QStringLiteral("192.168.1.100");
const QByteArray kSearch = QByteArray::fromHex("A11502 0000FF");

int broadcastOption(qintptr fd) {
    int value = -1;
    socklen_t len = sizeof value;
    ::getsockopt(int(fd), SOL_SOCKET, SO_BROADCAST, &value, &len);
    return value;
}

double cpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

class EndpointNetnsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testbed::NetBed> bed_;
    testsupport::MockClock clock_;
    std::unique_ptr<platform::ScopedClock> scopedClock_;

    // A socket on the card side. Broadcasts must leave from the veth's own address: card
    // addresses live on lo there.
    std::unique_ptr<QUdpSocket> cardSocket(const QString& address, quint16 port) {
        testbed::SideScope side(*bed_, Side::Card);
        auto s = std::make_unique<QUdpSocket>();
        if (!s->bind(QHostAddress(address), port)) {
            qWarning() << "card socket" << address << port << s->errorString();
            return nullptr;
        }
        return s;
    }

    static QList<QNetworkDatagram> drain(QUdpSocket& s) {
        QList<QNetworkDatagram> out;
        while (s.hasPendingDatagrams()) {
            out << s.receiveDatagram();
        }
        return out;
    }

    static void collect(UdpEndpoint& ep, QList<QByteArray>& into) {
        ep.setReceiveHandler([&into](const QByteArray& d) { into << d; });
    }

private slots:
    void initTestCase() {
        TESTBED_UP_ON_TOOL_SIDE(bed_);
        scopedClock_ = std::make_unique<platform::ScopedClock>(clock_);
    }

    void cleanupTestCase() {
        scopedClock_.reset();
        bed_.reset();
    }

    void answersReachTheHandlerExactlyOnce_data() {
        QTest::addColumn<QString>("local");
        QTest::addColumn<bool>("loopbackArrives");
        QTest::newRow("bound to the adapter") << kTool << false;
        QTest::newRow("bound to every interface") << QString() << true;
    }

    void answersReachTheHandlerExactlyOnce() {
        QFETCH(QString, local);
        QFETCH(bool, loopbackArrives);
        UdpEndpoint ep;
        QList<QByteArray> got;
        collect(ep, got);
        ep.bindLocalAddress(local);
        QVERIFY(ep.isActive());

        auto card = cardSocket(kCardSide, 8800);
        QVERIFY(card);
        card->writeDatagram("unicast", QHostAddress(kTool), 4400);
        card->writeDatagram("limited", QHostAddress(QHostAddress::Broadcast), 4400);
        card->writeDatagram("subnet", QHostAddress(QStringLiteral("192.168.1.255")), 4400);
        // Another address of this machine: a socket bound to the adapter never sees it.
        QUdpSocket self;
        self.writeDatagram("loopback", QHostAddress(QHostAddress::LocalHost), 4400);

        QList<QByteArray> expected = {"limited", "subnet", "unicast"};
        if (loopbackArrives) {
            expected.insert(1, "loopback");
        }
        QTRY_COMPARE(got.size(), expected.size());
        QTest::qWait(200); // a second copy would come now
        std::sort(got.begin(), got.end());
        QCOMPARE(got, expected);
    }

    // Unicast answers reach the socket bound to the adapter, broadcast ones the wildcard
    // socket beside it; the handler must see them in the order they reached the machine.
    void answersAreHandedOverInArrivalOrder_data() {
        QTest::addColumn<QString>("pattern"); // u unicast, b limited, s subnet broadcast
        QTest::newRow("unicasts, then broadcasts") << "uuubbb";
        QTest::newRow("broadcasts, then unicasts") << "bbbuuu";
        QTest::newRow("uneven interleaving") << "ubbuusbuuub";
        QTest::newRow("one of each, alternating") << "ububsusu";
    }

    void answersAreHandedOverInArrivalOrder() {
        QFETCH(QString, pattern);
        UdpEndpoint ep;
        QList<QByteArray> got;
        collect(ep, got);
        ep.bindLocalAddress(kTool);
        QVERIFY(ep.isActive());
        auto card = cardSocket(kCardSide, 8800);
        QVERIFY(card);
        // Linux starts stamping arrivals a moment after the first socket asks for it (deferred
        // work); until then a datagram is stamped when first looked at. A real search starts
        // long after the binding.
        QTest::qWait(100);
        // All sent before the event loop runs again, so every one waits in a socket.
        QList<QByteArray> sent;
        for (qsizetype i = 0; i < pattern.size(); ++i) {
            const char kind = pattern.at(i).toLatin1();
            const QHostAddress to = kind == 'u'   ? QHostAddress(kTool)
                                    : kind == 'b' ? QHostAddress(QHostAddress::Broadcast)
                                                  : QHostAddress(QStringLiteral("192.168.1.255"));
            sent << QByteArray(1, kind) + QByteArray::number(i);
            QCOMPARE(card->writeDatagram(sent.last(), to, 4400), qint64(sent.last().size()));
        }
        QTRY_COMPARE(got.size(), sent.size());
        QCOMPARE(got, sent);
    }

    void sizeDecidesTheWayAndOversizeNeverArrives() {
        UdpEndpoint ep;
        QList<QByteArray> got;
        collect(ep, got);
        ep.bindLocalAddress(kTool);
        auto card = cardSocket(kCardSide, 8800);
        QVERIFY(card);
        const QHostAddress to(kTool);
        for (qsizetype size : {170, 171, 0, 8193, 8192}) {
            QCOMPARE(card->writeDatagram(QByteArray(size, 'x'), to, 4400), qint64(size));
        }
        card->writeDatagram("end", to, 4400);
        QTRY_VERIFY(!got.isEmpty() && got.last() == "end");

        QList<qsizetype> sizes;
        for (const QByteArray& d : got) {
            sizes << d.size();
        }
        QCOMPARE(sizes, (QList<qsizetype>{170, 171, 0, 8192, 3}));
        using discovery::DatagramKind;
        QCOMPARE(discovery::classifyDatagram(got[0]), DatagramKind::SearchAnswer);
        QCOMPARE(discovery::classifyDatagram(got[1]), DatagramKind::ParameterReply);
        QCOMPARE(discovery::classifyDatagram(got[2]), DatagramKind::SearchAnswer);
        QCOMPARE(ep.counters().oversized, quint64(1));
    }

    void aForeignAddressIsSilentUntilTheNextSendFails() {
        UdpEndpoint ep;
        ep.bindLocalAddress(QStringLiteral("192.168.1.99")); // not on this side
        QVERIFY(!ep.isActive());
        const auto r = ep.sendDatagram(kCard, 8800, kSearch, false);
        QVERIFY(!r.ok());
        QCOMPARE(r.failure().reason, SendFailure::Reason::NotBound);
        QVERIFY(!ep.isActive());
    }

    void aTakenPortFailsSendsUntilItIsFree() {
        auto card = cardSocket(QStringLiteral("0.0.0.0"), 8800);
        QVERIFY(card);
        auto taker = std::make_unique<QUdpSocket>();
        QVERIFY(taker->bind(QHostAddress::AnyIPv4, 4400, QAbstractSocket::DontShareAddress));

        UdpEndpoint ep;
        ep.bindLocalAddress(kTool);
        QVERIFY(!ep.isActive());
        const auto refused = ep.sendDatagram(kCard, 8800, kSearch, false);
        QVERIFY(!refused.ok());
        QCOMPARE(refused.failure().reason, SendFailure::Reason::NotBound);

        taker.reset();
        QVERIFY(ep.sendDatagram(kCard, 8800, kSearch, false).ok()); // the binding is retried
        QTRY_VERIFY(card->hasPendingDatagrams());
        const QNetworkDatagram d = card->receiveDatagram();
        QCOMPARE(d.data(), kSearch);
        QCOMPARE(d.senderAddress(), QHostAddress(kTool));
        QCOMPARE(d.senderPort(), 4400);
    }

    void broadcastPermissionFollowsEachSend() {
        auto card = cardSocket(QStringLiteral("0.0.0.0"), 8800);
        QVERIFY(card);
        UdpEndpoint ep;
        ep.bindLocalAddress(kTool);
        const qintptr fd = ep.sendingSocketDescriptor();
        QVERIFY(fd >= 0);
        const QString all = QStringLiteral("255.255.255.255");

        QVERIFY(ep.sendDatagram(all, 8800, "b1", true).ok());
        QCOMPARE(broadcastOption(fd), 1);
        QVERIFY(ep.sendDatagram(kCard, 8800, "d1", false).ok());
        QCOMPARE(broadcastOption(fd), 0);
        // Without the permission the system refuses a broadcast: the switch is real.
        const auto refused = ep.sendDatagram(all, 8800, "b2", false);
        QVERIFY(!refused.ok());
        QCOMPARE(refused.failure().reason, SendFailure::Reason::SocketError);
        QCOMPARE(broadcastOption(fd), 0);
        QVERIFY(ep.sendDatagram(kCard, 8800, "d2", true).ok());
        QCOMPARE(broadcastOption(fd), 1);

        QList<QNetworkDatagram> seen;
        QTRY_VERIFY((seen << drain(*card)).size() >= 3);
        QTest::qWait(100);
        seen << drain(*card);
        QStringList summary;
        for (const QNetworkDatagram& d : seen) {
            summary << QString::fromLatin1(d.data()) + u' ' + d.destinationAddress().toString() +
                           u' ' + d.senderAddress().toString();
        }
        QCOMPARE(summary, (QStringList{u"b1 255.255.255.255 192.168.1.10"_qs,
                                       u"d1 192.168.1.100 192.168.1.10"_qs,
                                       u"d2 192.168.1.100 192.168.1.10"_qs}));
    }

    void anUnboundEndpointActivatesOnItsFirstSend() {
        auto card = cardSocket(QStringLiteral("0.0.0.0"), 8800);
        QVERIFY(card);
        UdpEndpoint ep;
        QVERIFY(!ep.isActive());
        QVERIFY(ep.sendDatagram(u"255.255.255.255"_qs, 8800, kSearch, true).ok());
        QVERIFY(ep.isActive());
        QCOMPARE(broadcastOption(ep.sendingSocketDescriptor()), 1);
        QTRY_VERIFY(card->hasPendingDatagrams());
        QCOMPARE(card->receiveDatagram().senderPort(), 4400);
    }

    void localhostInAnyLetterCaseIsLoopback() {
        QUdpSocket loop;
        QVERIFY(loop.bind(QHostAddress::LocalHost, 8800));
        UdpEndpoint ep;
        ep.bindLocalAddress(QString());
        QVERIFY(ep.sendDatagram(u"LocalHost"_qs, 8800, "a", false).ok());
        QVERIFY(ep.sendDatagram(u"LOCALHOST"_qs, 8800, "b", false).ok());
        qsizetype arrived = 0;
        QTRY_COMPARE((arrived += drain(loop).size()), qsizetype(2));
    }

    void hostNamesGoThroughTheLookup() {
        auto card = cardSocket(QStringLiteral("0.0.0.0"), 8800);
        QVERIFY(card);
        UdpEndpoint ep;
        QStringList asked;
        ep.setNameLookup([&asked](const QString& name) {
            asked << name;
            return name == u"card-7" ? QList<QHostAddress>{QHostAddress(kCard)}
                                     : QList<QHostAddress>{};
        });
        ep.bindLocalAddress(kTool);
        const auto unknown = ep.sendDatagram(u"no-such-card"_qs, 8800, kSearch, false);
        QVERIFY(!unknown.ok());
        QCOMPARE(unknown.failure().reason, SendFailure::Reason::Unresolvable);
        QVERIFY(ep.sendDatagram(u"card-7"_qs, 8800, kSearch, false).ok());
        QTRY_VERIFY(card->hasPendingDatagrams());
        QCOMPARE(card->receiveDatagram().destinationAddress(), QHostAddress(kCard));
        QCOMPARE(asked, (QStringList{u"no-such-card"_qs, u"card-7"_qs}));
    }

    void aHandlerInANestedLoopIsNotReentered() {
        UdpEndpoint ep;
        QStringList log;
        double modalCpu = -1;
        int depth = 0;
        int deepest = 0;
        ep.setReceiveHandler([&](const QByteArray& d) {
            deepest = std::max(deepest, ++depth);
            log << QString::fromLatin1(d);
            if (d == "first") {
                // What a message box does: a modal loop inside the handler. The next datagrams
                // are already waiting and the loop runs long enough to see them.
                QEventLoop modal;
                QTimer::singleShot(300, &modal, &QEventLoop::quit);
                const double cpuBefore = cpuSeconds();
                modal.exec();
                modalCpu = cpuSeconds() - cpuBefore;
                log << u"first closed"_qs;
            }
            --depth;
        });
        ep.bindLocalAddress(kTool);
        auto card = cardSocket(kCardSide, 8800);
        QVERIFY(card);
        for (const char* d : {"first", "second", "third"}) {
            card->writeDatagram(d, QHostAddress(kTool), 4400);
        }
        QTRY_COMPARE(log.size(), 4);
        QCOMPARE(log, (QStringList{u"first"_qs, u"first closed"_qs, u"second"_qs, u"third"_qs}));
        QCOMPARE(deepest, 1);
        // The waiting datagrams must not keep the loop busy while the box is open.
        QVERIFY2(modalCpu >= 0 && modalCpu < 0.1, qPrintable(QString::number(modalCpu)));
    }

    void aThrowingHandlerDoesNotStopTheNextDatagram() {
        UdpEndpoint ep;
        QList<QByteArray> got;
        ep.setReceiveHandler([&got](const QByteArray& d) {
            got << d;
            if (d == "boom") {
                throw std::runtime_error("decoder failure");
            }
        });
        ep.bindLocalAddress(kTool);
        auto card = cardSocket(kCardSide, 8800);
        QVERIFY(card);
        card->writeDatagram("boom", QHostAddress(kTool), 4400);
        card->writeDatagram("next", QHostAddress(kTool), 4400);
        QTRY_COMPARE(got, (QList<QByteArray>{"boom", "next"}));
        QCOMPARE(ep.counters().handlerFailures, quint64(1));
    }

    void aHandlerMayRebindTheEndpoint() {
        UdpEndpoint ep;
        QList<QByteArray> got;
        ep.setReceiveHandler([&](const QByteArray& d) {
            got << d;
            if (d == "rebind") {
                ep.bindLocalAddress(kTool); // closes the socket this datagram came from
            }
        });
        ep.bindLocalAddress(kTool);
        auto card = cardSocket(kCardSide, 8800);
        QVERIFY(card);
        card->writeDatagram("rebind", QHostAddress(kTool), 4400);
        QTRY_COMPARE(got.size(), 1);
        card->writeDatagram("after", QHostAddress(kTool), 4400);
        QTRY_COMPARE(got, (QList<QByteArray>{"rebind", "after"}));
    }

    void rebindingPausesAndMovesTheBinding() {
        UdpEndpoint ep;
        QList<QByteArray> got;
        collect(ep, got);
        const int sleeps = clock_.sleeps;
        const auto before = clock_.nowMs();
        ep.bindLocalAddress(kTool);
        ep.bindLocalAddress(QString());
        QCOMPARE(clock_.sleeps - sleeps, 2);
        QCOMPARE(clock_.nowMs() - before, 2 * discovery::RebindPauseMs);
        QCOMPARE(ep.localAddress(), QString());
        // Now on every interface: the loopback address is ours as well.
        QUdpSocket self;
        self.writeDatagram("via lo", QHostAddress(QHostAddress::LocalHost), 4400);
        QTRY_COMPARE(got, QList<QByteArray>{"via lo"});
    }
};

QTEST_GUILESS_MAIN(EndpointNetnsTest)
#include "EndpointNetnsTest.moc"
