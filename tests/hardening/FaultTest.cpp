// Faults from outside the program, each against the real main window: another process holding
// port 4400, the bound address vanishing, the card dying between a write and its read-back, a
// search-by-IP text that resolves nowhere, a settings folder that cannot be written and a
// settings file that is a folder.
//
// The process runs in a mount namespace of its own (made in main, before any thread exists):
// an empty resolv.conf keeps name lookups on the tool side's loopback, and a tmpfs it can
// remount read-only holds the settings.

#include "NetBed.h"
#include "SimProcess.h"
#include "ToolSide.h"
#include "discovery/UdpEndpoint.h"
#include "lang/Catalogue.h"
#include "net/AdapterDialog.h"
#include "net/AdapterList.h"
#include "session/CardSession.h"
#include "settings/SettingsStore.h"
#include "support/FakeEndpoint.h"
#include "support/RecordingMessageBoxes.h"
#include "ui/MainWindow.h"
#include "ui/Program.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testbed::Side;
using testbed::SimProcess;

namespace {

struct Mounts {
    QString unavailable; // why the mount namespace could not be made, empty when it was
    QString root;        // the tmpfs
};
Mounts g_mounts;

Mounts prepareMounts() {
    Mounts m;
    if (::geteuid() != 0) {
        m.unavailable = QStringLiteral("mount namespaces need root");
        return m;
    }
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        m.unavailable = QStringLiteral("cannot make a private mount namespace");
        return m;
    }
    char dir[] = "/tmp/ledcfg-faults-XXXXXX";
    if (!::mkdtemp(dir) || ::mount("tmpfs", dir, "tmpfs", 0, "size=4m,mode=0755") != 0) {
        m.unavailable = QStringLiteral("cannot mount a tmpfs");
        return m;
    }
    m.root = QString::fromLocal8Bit(dir);
    const QByteArray resolv = QByteArray(dir) + "/resolv.conf";
    const int fd = ::open(resolv.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0) {
        ::close(fd);
    }
    // No name server configured: the resolver asks 127.0.0.1, which refuses at once.
    if (::access("/etc/resolv.conf", F_OK) == 0 &&
        ::mount(resolv.constData(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0) {
        m.unavailable = QStringLiteral("cannot replace resolv.conf");
        return m;
    }
    ::mkdir((QByteArray(dir) + "/config").constData(), 0755);
    qputenv("XDG_CONFIG_HOME", QByteArray(dir) + "/config");
    return m;
}

bool remountReadOnly(bool readOnly) {
    const QByteArray dir = g_mounts.root.toLocal8Bit();
    const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
    return ::mount(nullptr, dir.constData(), nullptr, flags, "size=4m,mode=0755") == 0;
}

// A process of its own holding UDP port 4400 on every address, without sharing it.
pid_t holdPort4400() {
    int ready[2];
    if (::pipe(ready) != 0) {
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::close(ready[0]);
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_port = htons(4400);
        any.sin_addr.s_addr = htonl(INADDR_ANY);
        const char ok = ::bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) == 0 ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        for (;;) {
            ::pause();
        }
    }
    ::close(ready[1]);
    char ok = '0';
    (void)!::read(ready[0], &ok, 1);
    ::close(ready[0]);
    if (ok != '1') {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class FaultTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testbed::NetBed> bed_;
    std::unique_ptr<net::ScopedInterfaceSource> adapters_;
    std::unique_ptr<testsupport::RecordingMessageBoxes> boxes_;
    std::unique_ptr<platform::ScopedMessageBoxes> boxesGuard_;
    QTemporaryDir lock_; // not on the tmpfs, which is read-only at times

    std::unique_ptr<SimProcess> startSim(const QStringList& args) {
        return SimProcess::launch(*bed_, args);
    }

    std::unique_ptr<ui::MainWindow> openWindow(int searchTimes) {
        return testbed::ShowEnglishWindow(*bed_, searchTimes);
    }

    static QString failedText(const ui::MainWindow& w) {
        return w.catalogueText(lang::Lookup::Messages, "item_search_device_failed");
    }

    static int rows(const ui::MainWindow& w) {
        return w.findChild<QTableWidget*>(u"lvModList"_qs)->rowCount();
    }

    static int searchRequests(SimProcess& sim) {
        int n = 0;
        for (const QJsonObject& e : sim.events(u"request"_qs)) {
            n += e[u"kind"].toString() == u"search";
        }
        return n;
    }

    // Presses search and waits for the reply of the first card found.
    void searchFinds(ui::MainWindow& w, int cards) {
        QSignalSpy replies(&w.session(), &session::CardSession::replyApplied);
        w.findChild<QPushButton*>(u"btSModm"_qs)->click();
        QCOMPARE(rows(w), cards);
        QTRY_COMPARE_WITH_TIMEOUT(replies.count(), 1, 3000);
    }

    // The veth holding the tool's address, by the kernel's own list.
    QString toolDevice() {
        QString out;
        bed_->run(Side::Tool, {u"ip"_qs, u"-o"_qs, u"-4"_qs, u"addr"_qs, u"show"_qs}, &out);
        for (const QString& line : out.split(u'\n')) {
            const QStringList f = line.simplified().split(u' ');
            if (f.size() > 3 && f[3].startsWith(bed_->toolAddress() + u'/')) {
                return f[1];
            }
        }
        return {};
    }

    // One run of the program from its entry, against a fake endpoint.
    void runProgram(const std::function<void(ui::MainWindow&)>& during) {
        lang::ResetGlobalCatalogues();
        testsupport::FakeEndpoint endpoint;
        net::ScopedInterfaceSource adapters([] {
            return QList<net::InterfaceRecord>{
                {u"eth0"_qs,
                 QByteArray::fromHex("001a2b3c4d5e"),
                 QNetworkInterface::IsUp | QNetworkInterface::IsRunning,
                 {{u"192.168.1.10"_qs, u"255.255.255.0"_qs}}}};
        });
        ui::EntryOptions options;
        options.lockFolder = lock_.path();
        options.userLocale = QLocale(QLocale::English, QLocale::UnitedStates);
        options.network.endpoint = &endpoint;
        options.network.lookupLocalAddress = [] { return u"192.168.1.10"_qs; };
        options.runLoop = [&](ui::MainWindow& window) {
            window.show();
            during(window);
            return 0;
        };
        ui::RunProgram(options);
    }

private slots:
    void initTestCase() {
        if (!g_mounts.unavailable.isEmpty()) {
            QSKIP(qPrintable(g_mounts.unavailable));
        }
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
    }

    void cleanup() {
        boxesGuard_.reset();
        boxes_.reset();
    }

    void portTakenAtStartFailsTheFirstSearchOnly() {
        auto sim = startSim({u"--cards"_qs, u"2"_qs});
        QVERIFY(sim);
        const pid_t holder = holdPort4400();
        QVERIFY2(holder > 0, "could not take port 4400");
        auto release = qScopeGuard([&] {
            if (::kill(holder, SIGKILL) == 0) {
                ::waitpid(holder, nullptr, 0);
            }
        });

        auto w = openWindow(2);
        auto* endpoint = dynamic_cast<discovery::UdpEndpoint*>(&w->UDPBSer());
        QVERIFY(endpoint);
        // Start-up binds, fails and says nothing.
        QVERIFY(!endpoint->isActive());
        QVERIFY(boxes_->texts.isEmpty());

        // The first repetition retries the binding, fails and ends the search.
        QElapsedTimer searching;
        searching.start();
        w->findChild<QPushButton*>(u"btSModm"_qs)->click();
        QVERIFY2(searching.elapsed() < 1900, qPrintable(QString::number(searching.elapsed())));
        QCOMPARE(boxes_->texts, QStringList{failedText(*w)});
        QCOMPARE(rows(*w), 0);
        QVERIFY(!w->tSendSpan()->isActive());
        QCOMPARE(searchRequests(*sim), 0);

        release.dismiss();
        QCOMPARE(::kill(holder, SIGKILL), 0);
        QCOMPARE(::waitpid(holder, nullptr, 0), holder);

        // The next search binds and works from then on.
        boxes_->texts.clear();
        searchFinds(*w, 2);
        QVERIFY(endpoint->isActive());
        QVERIFY2(boxes_->texts.isEmpty(), qPrintable(boxes_->texts.join(u'\n')));
        QCOMPARE(searchRequests(*sim), 1);
    }

    void boundAddressVanishesAndComesBack() {
        auto sim = startSim({u"--cards"_qs, u"2"_qs});
        QVERIFY(sim);
        auto w = openWindow(2);
        searchFinds(*w, 2);
        if (QTest::currentTestFailed()) {
            return;
        }
        const QString device = toolDevice();
        QVERIFY(!device.isEmpty());
        const QString cidr = bed_->config().toolAddress;
        QCOMPARE(bed_->run(Side::Tool, {u"ip"_qs, u"addr"_qs, u"del"_qs, cidr, u"dev"_qs, device}),
                 0);
        auto restore = qScopeGuard([&] {
            bed_->run(Side::Tool, {u"ip"_qs, u"addr"_qs, u"add"_qs, cidr, u"brd"_qs, u"+"_qs,
                                   u"dev"_qs, device});
        });

        // The socket stays bound to an address the machine no longer has: the first request
        // cannot leave, which ends the search with the failure message and nothing listed.
        const int before = searchRequests(*sim);
        w->findChild<QPushButton*>(u"btSModm"_qs)->click();
        QCOMPARE(boxes_->texts, QStringList{failedText(*w)});
        QCOMPARE(rows(*w), 0);
        QCOMPARE(searchRequests(*sim), before);
        // Nor can a read of the card chosen before.
        boxes_->texts.clear();
        w->findChild<QPushButton*>(u"btRefresh"_qs)->click();
        QCOMPARE(boxes_->texts, QStringList{failedText(*w)});

        // The address comes back: the same binding works again, nothing to do for the operator.
        restore.dismiss();
        QCOMPARE(bed_->run(Side::Tool, {u"ip"_qs, u"addr"_qs, u"add"_qs, cidr, u"brd"_qs, u"+"_qs,
                                        u"dev"_qs, device}),
                 0);
        boxes_->texts.clear();
        searchFinds(*w, 2);
        QVERIFY2(boxes_->texts.isEmpty(), qPrintable(boxes_->texts.join(u'\n')));
    }

    void cardDiesBetweenWriteAndReadBack() {
        auto sim = startSim({u"--cards"_qs, u"1"_qs, u"--versions"_qs, u"53"_qs});
        QVERIFY(sim);
        auto w = openWindow(2);
        searchFinds(*w, 1);
        if (QTest::currentTestFailed()) {
            return;
        }
        const std::size_t from = sim->events().size();
        auto* several = w->findChild<QAction*>(u"menu_sub_write_several_cards"_qs);
        QVERIFY(several->isEnabled());
        w->findChild<QPushButton*>(u"btSend"_qs)->click();
        QCOMPARE(w->session().writePhase(), session::CardSession::WritePhase::Sent);
        // The batch would take the read-back's replies away from this write.
        QVERIFY(!several->isEnabled());
        QVERIFY(sim->waitFor(
            [](const QJsonObject& e) { return e[u"event"].toString() == u"write"; }, 3000, from));
        QElapsedTimer sinceWrite;
        sinceWrite.start();
        sim->kill();

        // Reads at 5, 7 and 9 s find nobody; the failure comes at 11 s, and only it.
        QTRY_VERIFY_WITH_TIMEOUT(!boxes_->texts.isEmpty(), 15000);
        const qint64 after = sinceWrite.elapsed();
        QVERIFY2(after >= 10500 && after < 13000, qPrintable(QString::number(after)));
        QCOMPARE(boxes_->texts,
                 QStringList{w->catalogueText(lang::Lookup::Messages, "item_update_failed")});
        QCOMPARE(w->session().writePhase(), session::CardSession::WritePhase::Idle);
        QVERIFY(several->isEnabled());
        QVERIFY(!w->tDelay()->isActive());
        QVERIFY(!w->tMody()->isActive());
        for (const char* button : {"btSModm", "btSend", "btRefresh"}) {
            QVERIFY2(w->findChild<QPushButton*>(QLatin1String(button))->isEnabled(), button);
        }
        // Nothing more comes, and the window still answers the operator.
        QTest::qWait(2500);
        QCOMPARE(boxes_->texts.size(), 1);
        w->findChild<QPushButton*>(u"btRefresh"_qs)->click();
        QCOMPARE(boxes_->texts.size(), 1);
    }

    void searchByANameThatResolvesNowhere_data() {
        QTest::addColumn<QString>("address");
        // Four fields joined by dots that make no dotted quad, and a plain name.
        QTest::newRow("octet over 255") << u"192.168.1.300"_qs;
        QTest::newRow("empty field") << u"192.168..100"_qs;
        QTest::newRow("name") << u"no-such-card.invalid"_qs;
    }

    void searchByANameThatResolvesNowhere() {
        QFETCH(QString, address);
        auto sim = startSim({u"--cards"_qs, u"2"_qs});
        QVERIFY(sim);
        auto w = openWindow(5);
        w->session().askSearchAddress = [address] { return address; };
        QElapsedTimer searching;
        searching.start();
        w->findChild<QAction*>(u"menu_sub_search_device_assign_ip"_qs)->trigger();
        // The first repetition fails; the dialog does not count down its five seconds.
        QVERIFY2(searching.elapsed() < 3000, qPrintable(QString::number(searching.elapsed())));
        QCOMPARE(w->session().searchAddress(), address);
        QCOMPARE(boxes_->texts, QStringList{failedText(*w)});
        QCOMPARE(rows(*w), 0);
        QVERIFY(!w->tSendSpan()->isActive());
        QTest::qWait(300);
        QCOMPARE(searchRequests(*sim), 0);

        // A plain search afterwards broadcasts again and finds both cards.
        boxes_->texts.clear();
        searchFinds(*w, 2);
        QVERIFY2(boxes_->texts.isEmpty(), qPrintable(boxes_->texts.join(u'\n')));
    }

    void readOnlySettingsFolder() {
        QVERIFY(remountReadOnly(false));
        const QString path = settings::SettingsPath();
        QVERIFY2(path.startsWith(g_mounts.root), qPrintable(path));
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[LgType]\r\nLgType=2\r\n[Params]\r\nDeviceType=\r\nCardColor=2\r\n"
                    "DHCP=0\r\nSearchTimes=7\r\n[IsShowMulNetCard]\r\nIsShowMulNetCard=1\r\n"
                    "[ServerIP]\r\nServerIP=192.168.1.10\r\n");
        }
        const QByteArray original = fileBytes(path);
        QVERIFY(remountReadOnly(true));
        auto writable = qScopeGuard([] { remountReadOnly(false); });

        // Nothing changed during the run: nothing to write, nothing to say.
        runProgram([&](ui::MainWindow& w) {
            QCOMPARE(w.settings().SearchTimes, 7);
            QCOMPARE(w.findChild<QComboBox*>(u"cmdPClor"_qs)->count(), 2);
        });
        QVERIFY2(boxes_->texts.isEmpty(), qPrintable(boxes_->texts.join(u'\n')));

        // The language changed: the write fails, the operator is told where, the file stays.
        runProgram([&](ui::MainWindow& w) {
            QVERIFY(boxes_->texts.isEmpty());
            w.menu_sub_simplechnClick();
        });
        QCOMPARE(boxes_->texts,
                 QStringList{u"Unable to write to %1."_qs.arg(QDir::toNativeSeparators(path))});
        QCOMPARE(fileBytes(path), original);
        QVERIFY(QDir(QFileInfo(path).absolutePath())
                    .entryList(QDir::Files | QDir::Hidden)
                    .contains(u"SysCfg.ini"_qs));
        QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden).size(),
                 1);
    }

    void settingsFileThatIsAFolder() {
        QVERIFY(remountReadOnly(false));
        const QString path = settings::SettingsPath();
        QFile::remove(path);
        QVERIFY(QDir().mkpath(path));
        {
            QFile inside(QDir(path).filePath(u"keep"_qs));
            QVERIFY(inside.open(QIODevice::WriteOnly));
            inside.write("kept");
        }
        auto cleanupFolder = qScopeGuard([&] { QDir(path).removeRecursively(); });

        // Read as a missing file: the defaults, silently.
        runProgram([&](ui::MainWindow& w) {
            QCOMPARE(w.settings().SearchTimes, 20);
            QCOMPARE(w.settings().CardColor, 3);
            QCOMPARE(w.findChild<QComboBox*>(u"cmdPClor"_qs)->count(), 3);
            QVERIFY(boxes_->texts.isEmpty());
        });
        // Written back: refused with the path, and the folder is left as it was.
        QCOMPARE(boxes_->texts,
                 QStringList{u"Unable to write to %1."_qs.arg(QDir::toNativeSeparators(path))});
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{u"keep"_qs});
        QCOMPARE(fileBytes(QDir(path).filePath(u"keep"_qs)), QByteArray("kept"));
    }
};

int main(int argc, char** argv) {
    // Before QApplication: a mount namespace can only be made while the process has one thread.
    g_mounts = prepareMounts();
    QApplication app(argc, argv);
    FaultTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    const int result = QTest::qExec(&test, argc, argv);
    if (!g_mounts.root.isEmpty()) {
        const QByteArray dir = g_mounts.root.toLocal8Bit();
        ::umount2(dir.constData(), MNT_DETACH);
        ::rmdir(dir.constData());
    }
    return result;
}

#include "FaultTest.moc"
