// Random datagrams flooding port 4400 from the card side of a namespace pair, as fast as the
// link takes them: the real main window must neither crash nor grow nor freeze, and a search
// running through the flood must still list every real card exactly once.
//
// LEDCFG_FLOOD_DATAGRAMS sizes the flood (default 200000); LEDCFG_FLOOD_REPORT names a file
// the figures are appended to, one JSON object per flood.

#include "NetBed.h"
#include "SimProcess.h"
#include "ToolSide.h"
#include "discovery/UdpEndpoint.h"
#include "discovery/dialogs/SearchDialog.h"
#include "lang/Catalogue.h"
#include "net/AdapterDialog.h"
#include "net/AdapterList.h"
#include "platform/MessageBox.h"
#include "session/CardSession.h"
#include "ui/MainWindow.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <map>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using testbed::Side;
using testbed::SimProcess;

namespace {

constexpr int kDefaultDatagrams = 200000;
constexpr int kMaxLength = 9000;
constexpr qint64 kProbeMs = 50;

// AddressSanitizer keeps freed blocks in quarantine (256 MB by default) and never gives them
// back, so resident memory there says nothing about growth; LeakSanitizer checks at exit.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kRssTellsGrowth = false;
#else
constexpr bool kRssTellsGrowth = true;
#endif

int floodSize() {
    return testbed::SizeFromEnvironment("LEDCFG_FLOOD_DATAGRAMS", kDefaultDatagrams);
}

// Resident memory of this process, from the kernel's own count.
qint64 rssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toLongLong();
        }
    }
    return -1;
}

// Counts instead of keeping every text: a flood of replies that match an empty panel is
// answered with one message each, and a list of them would be the growth we measure.
class CountingMessageBoxes final : public platform::MessageBoxes {
public:
    void show(QWidget*, Kind, const QString& text) override { ++counts[text]; }
    // A question is counted and answered No, as the real box's default.
    bool ask(QWidget*, const QString& text, const QString&, const QString&) override {
        ++counts[text];
        return false;
    }
    QHash<QString, int> counts;
};

// Sends from a socket opened on the card side, on a thread of its own so the UI thread only
// receives. Lengths 0..9000 and contents are drawn from a seeded generator.
class Flood {
public:
    Flood(int fd, const QString& toAddress) : fd_(fd) {
        to_.sin_family = AF_INET;
        to_.sin_port = htons(4400);
        inet_pton(AF_INET, qPrintable(toAddress), &to_.sin_addr);
    }
    ~Flood() {
        if (thread_.joinable()) {
            thread_.join();
        }
        ::close(fd_);
    }

    void start(int count, unsigned seed) {
        thread_ = std::thread([this, count, seed] { run(count, seed); });
    }
    bool done() const { return done_.load(); }
    quint64 sent() const { return sent_.load(); }
    qint64 elapsedMs() const { return elapsedMs_.load(); }

private:
    void run(int count, unsigned seed) {
        std::mt19937 rng(seed);
        // Contents come from a random pool at a random offset: random enough for the parser,
        // cheap enough that the sender is limited by the link, not by the generator.
        std::vector<unsigned char> pool(1 << 16);
        for (auto& b : pool) {
            b = static_cast<unsigned char>(rng());
        }
        std::uniform_int_distribution<int> length(0, kMaxLength);
        std::uniform_int_distribution<std::size_t> offset(0, pool.size() - kMaxLength - 1);
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < count; ++i) {
            const int n = length(rng);
            const unsigned char* data = pool.data() + offset(rng);
            for (;;) {
                const ssize_t r = ::sendto(fd_, data, static_cast<std::size_t>(n), 0,
                                           reinterpret_cast<const sockaddr*>(&to_), sizeof to_);
                if (r == n) {
                    ++sent_;
                    break;
                }
                if (r < 0 && (errno == ENOBUFS || errno == EAGAIN || errno == EINTR)) {
                    continue; // the link is full: wait for it, as fast as it takes them
                }
                break; // anything else: counted as not sent
            }
        }
        elapsedMs_ = clock.elapsed();
        done_ = true;
    }

    int fd_;
    sockaddr_in to_{};
    std::thread thread_;
    std::atomic<bool> done_{false};
    std::atomic<quint64> sent_{0};
    std::atomic<qint64> elapsedMs_{0};
};

// A 50 ms timer on the UI thread, as any periodic UI work would have: how late does it fire?
struct LatenessProbe : QObject {
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = -1;
    qint64 worst = 0;
    int ticks = 0;
    bool measuring = false;

    LatenessProbe() {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(int(kProbeMs));
        connect(&timer, &QTimer::timeout, this, [this] {
            const qint64 now = clock.elapsed();
            if (measuring && last >= 0) {
                worst = std::max(worst, now - last - kProbeMs);
                ++ticks;
            }
            last = now;
        });
        clock.start();
        timer.start();
    }
};

struct Figures {
    QString scenario;
    int datagrams = 0;
    quint64 sent = 0;
    quint64 handled = 0;
    quint64 oversized = 0;
    qint64 floodMs = 0;
    qint64 rssBeforeKiB = 0;
    qint64 rssAfterKiB = 0;
    qint64 worstLatenessMs = 0;
    int probeTicks = 0;
    int messages = 0;

    void record() const {
        const QJsonObject o{{u"scenario"_qs, scenario},
                            {u"datagrams"_qs, datagrams},
                            {u"sent"_qs, double(sent)},
                            {u"handled"_qs, double(handled)},
                            {u"dropped_over_8192"_qs, double(oversized)},
                            {u"flood_ms"_qs, double(floodMs)},
                            {u"rss_before_kib"_qs, double(rssBeforeKiB)},
                            {u"rss_after_kib"_qs, double(rssAfterKiB)},
                            {u"worst_lateness_ms"_qs, double(worstLatenessMs)},
                            {u"probe_ticks"_qs, probeTicks},
                            {u"messages"_qs, messages}};
        const QByteArray line = QJsonDocument(o).toJson(QJsonDocument::Compact);
        qInfo("flood: %s", line.constData());
        const QString path = qEnvironmentVariable("LEDCFG_FLOOD_REPORT");
        if (!path.isEmpty()) {
            QFile out(path);
            if (out.open(QIODevice::Append)) {
                out.write(line + '\n');
            }
        }
    }
};

} // namespace

class FloodTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testbed::NetBed> bed_;
    std::unique_ptr<net::ScopedInterfaceSource> adapters_;
    std::unique_ptr<CountingMessageBoxes> boxes_;
    std::unique_ptr<platform::ScopedMessageBoxes> boxesGuard_;

    std::unique_ptr<ui::MainWindow> openWindow(int searchTimes) {
        return testbed::ShowEnglishWindow(*bed_, searchTimes);
    }

    std::unique_ptr<Flood> makeFlood() {
        testbed::SideScope cardSide(*bed_, Side::Card);
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        if (fd < 0) {
            return nullptr;
        }
        return std::make_unique<Flood>(fd, bed_->toolAddress());
    }

    // Waits until the endpoint has taken everything the kernel still holds for it.
    static void drain(discovery::UdpEndpoint& endpoint) {
        quint64 last = ~0ULL;
        while (endpoint.counters().delivered + endpoint.counters().oversized != last) {
            last = endpoint.counters().delivered + endpoint.counters().oversized;
            QTest::qWait(300);
        }
    }

    void checkFigures(const Figures& f) {
        f.record();
        QVERIFY2(f.sent > 0, "nothing was sent");
        QVERIFY2(f.handled > 0, "nothing reached the window");
        QVERIFY2(f.probeTicks > 0, "the probe never ran during the flood");
        if (!kRssTellsGrowth) {
            qInfo("flood: memory growth not judged under AddressSanitizer");
        }
        QVERIFY2(
            !kRssTellsGrowth || f.rssAfterKiB - f.rssBeforeKiB < 5 * 1024,
            qPrintable(QStringLiteral("RSS %1 -> %2 KiB").arg(f.rssBeforeKiB).arg(f.rssAfterKiB)));
        QVERIFY2(
            f.worstLatenessMs <= 250,
            qPrintable(QStringLiteral("a 50 ms timer came %1 ms late").arg(f.worstLatenessMs)));
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
        boxes_ = std::make_unique<CountingMessageBoxes>();
        boxesGuard_ = std::make_unique<platform::ScopedMessageBoxes>(*boxes_);
    }

    void cleanup() {
        boxesGuard_.reset();
        boxes_.reset();
    }

    void idleWindowSurvivesTheFlood() {
        auto w = openWindow(20);
        auto* endpoint = dynamic_cast<discovery::UdpEndpoint*>(&w->UDPBSer());
        QVERIFY(endpoint);
        QVERIFY2(endpoint->isActive(), qPrintable(endpoint->lastActivationError()));
        auto flood = makeFlood();
        QVERIFY(flood);

        // Settle first, so lazy allocations of the first handled datagrams are not counted.
        LatenessProbe probe;
        QTest::qWait(500);
        Figures f{.scenario = u"idle"_qs, .datagrams = floodSize()};
        const auto before = endpoint->counters();
        f.rssBeforeKiB = rssKiB();
        probe.measuring = true;
        flood->start(f.datagrams, 7);
        while (!flood->done()) {
            QTest::qWait(20);
        }
        drain(*endpoint);
        probe.measuring = false;
        f.rssAfterKiB = rssKiB();
        f.sent = flood->sent();
        f.floodMs = flood->elapsedMs();
        f.handled = endpoint->counters().delivered - before.delivered;
        f.oversized = endpoint->counters().oversized - before.oversized;
        f.worstLatenessMs = probe.worst;
        f.probeTicks = probe.ticks;
        for (int n : std::as_const(boxes_->counts)) {
            f.messages += n;
        }
        checkFigures(f);
        QCOMPARE(endpoint->counters().handlerFailures, before.handlerFailures);

        // The window still works: its sockets are open and a search still goes out.
        QVERIFY(endpoint->isActive());
        QVERIFY(!w->session().searchDialog());
    }

    // However slow each datagram's handling, the event loop gets a turn within a few of them:
    // 200 datagrams waiting, 2 ms each, and a timer due at once.
    void aSlowHandlerStillLetsTimersIn() {
        discovery::UdpEndpoint endpoint;
        endpoint.bindLocalAddress(bed_->toolAddress());
        QVERIFY2(endpoint.isActive(), qPrintable(endpoint.lastActivationError()));
        constexpr int kWaiting = 200;
        int handled = 0;
        int handledWhenTimerRan = -1;
        endpoint.setReceiveHandler([&](const QByteArray&) {
            if (++handled == 1) {
                QTimer::singleShot(0, &endpoint, [&] { handledWhenTimerRan = handled; });
            }
            QThread::msleep(2);
        });
        {
            testbed::SideScope cardSide(*bed_, Side::Card);
            const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
            QVERIFY(fd >= 0);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(4400);
            inet_pton(AF_INET, qPrintable(bed_->toolAddress()), &to.sin_addr);
            for (int i = 0; i < kWaiting; ++i) {
                ::sendto(fd, "x", 1, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
            }
            ::close(fd);
        }
        QTRY_VERIFY_WITH_TIMEOUT(handledWhenTimerRan > 0, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(handled, kWaiting, 10000);
        // A turn ends after 20 ms: about ten datagrams of 2 ms.
        QVERIFY2(handledWhenTimerRan <= 30, qPrintable(QString::number(handledWhenTimerRan)));
    }

    void searchThroughTheFloodListsEveryCardOnce() {
        SimProcess sim(*bed_, {u"--cards"_qs, u"5"_qs, u"--quiet"_qs});
        QString error;
        QVERIFY2(sim.start(&error), qPrintable(error));
        std::map<QString, QString> cards; // MAC -> IP
        for (const QJsonObject& e : sim.events(u"state"_qs)) {
            const QJsonObject s = e[u"state"].toObject();
            cards.emplace(s[u"mac"].toString(), s[u"ip"].toString());
        }
        QCOMPARE(int(cards.size()), 5);

        // Long enough a countdown for any flood; the test stops the search itself.
        auto w = openWindow(600);
        auto* endpoint = dynamic_cast<discovery::UdpEndpoint*>(&w->UDPBSer());
        QVERIFY(endpoint);
        QVERIFY2(endpoint->isActive(), qPrintable(endpoint->lastActivationError()));
        auto flood = makeFlood();
        QVERIFY(flood);

        LatenessProbe probe;
        QTest::qWait(500);
        Figures f{.scenario = u"search"_qs, .datagrams = floodSize()};
        const auto before = endpoint->counters();
        int requestsAfterFlood = 0;
        connect(w->tSendSpan(), &QTimer::timeout, this, [&] {
            if (flood->done()) {
                ++requestsAfterFlood;
            }
        });

        // Inside the dialog's modal loop: start the flood after the first request went out,
        // stop the search once the flood is over and two more requests had their answers.
        QElapsedTimer sinceStart;
        QTimer driver;
        driver.setInterval(100);
        bool started = false;
        bool stopped = false;
        connect(&driver, &QTimer::timeout, this, [&] {
            discovery::SearchDialog* dialog = w->session().searchDialog();
            if (!dialog || stopped) {
                return;
            }
            if (!started && sinceStart.elapsed() > 1500) {
                started = true;
                f.rssBeforeKiB = rssKiB();
                probe.measuring = true;
                flood->start(f.datagrams, 11);
            }
            // A request sent 1.2 s before has had its answers by now; give it a margin.
            if (started && flood->done() && requestsAfterFlood >= 3) {
                stopped = true;
                probe.measuring = false;
                dialog->btStopClick();
            }
            // A stuck flood or a search that never ends must not hang the suite.
            if (sinceStart.elapsed() > 240000) {
                stopped = true;
                dialog->btStopClick();
            }
        });
        driver.start();
        sinceStart.start();
        w->findChild<QPushButton*>(u"btSModm"_qs)->click();
        driver.stop();
        QVERIFY2(started && flood->done(), "the search ended before the flood did");
        QVERIFY(!w->session().searchDialog());
        drain(*endpoint);
        f.rssAfterKiB = rssKiB();
        f.sent = flood->sent();
        f.floodMs = flood->elapsedMs();
        f.handled = endpoint->counters().delivered - before.delivered;
        f.oversized = endpoint->counters().oversized - before.oversized;
        f.worstLatenessMs = probe.worst;
        f.probeTicks = probe.ticks;
        for (int n : std::as_const(boxes_->counts)) {
            f.messages += n;
        }
        checkFigures(f);

        // Every real card once. Random short datagrams are search answers too: those that hold
        // no card frames make one "unknown" row with empty MAC and IP, the rest whatever their
        // stray frames say; none may repeat or shadow a real card.
        const auto* list = w->findChild<QTableWidget*>(u"lvModList"_qs);
        std::map<QString, int> seen;
        QStringList others;
        for (int r = 0; r < list->rowCount(); ++r) {
            const QString mac = list->item(r, 2)->text();
            const QString ip = list->item(r, 3)->text();
            if (cards.count(mac) && cards.at(mac) == ip) {
                ++seen[mac];
            } else {
                QVERIFY2(!cards.count(mac), qPrintable(mac + u' ' + ip));
                others << list->item(r, 1)->text() + u'|' + mac + u'|' + ip;
            }
        }
        qInfo("flood: %d rows besides the five cards: %s", int(others.size()),
              qPrintable(others.join(u", ")));
        for (const auto& [mac, ip] : cards) {
            QVERIFY2(
                seen[mac] == 1,
                qPrintable(QStringLiteral("%1 %2 listed %3 times").arg(mac, ip).arg(seen[mac])));
        }
        QCOMPARE(int(w->foundCards().size()), list->rowCount());
    }
};

QTEST_MAIN(FloodTest)
#include "FloodTest.moc"
