// The program from its entry with a real settings file: a first start without the file, the
// file it writes at exit, and a second start from that file.

#include "lang/Catalogue.h"
#include "net/AdapterList.h"
#include "settings/SettingsStore.h"
#include "support/FakeEndpoint.h"
#include "support/MockClock.h"
#include "support/RecordingMessageBoxes.h"
#include "ui/MainWindow.h"
#include "ui/Program.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class StartupTest : public QObject {
    Q_OBJECT

    QTemporaryDir lock_;
    testsupport::RecordingMessageBoxes boxes_;

    QString settingsFile() const { return settings::SettingsPath(); }

    // Runs the program once; `during` looks at (and may change) the started window.
    void runOnce(const QLocale& locale, const std::function<void(ui::MainWindow&)>& during,
                 testsupport::FakeEndpoint& endpoint) {
        lang::ResetGlobalCatalogues();
        platform::ScopedMessageBoxes scoped(boxes_);
        ui::EntryOptions options;
        options.lockFolder = lock_.path();
        options.userLocale = locale;
        options.network.endpoint = &endpoint;
        options.network.lookupLocalAddress = [] { return QStringLiteral("192.168.1.10"); };
        options.runLoop = [&](ui::MainWindow& window) {
            window.show();
            during(window);
            return 0;
        };
        ui::RunProgram(options);
    }

    QByteArray fileText() const {
        QFile f(settingsFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
#ifdef Q_OS_WIN
        // A copy in a writable folder keeps its settings beside the executable.
        QCOMPARE(QFileInfo(settingsFile()).absolutePath(), QCoreApplication::applicationDirPath());
        QFile::remove(settingsFile());
#else
        // Not the executable's folder (no SysCfg.ini there): the per-user configuration folder.
        const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
        QVERIFY(!home.isEmpty());
        QCOMPARE(settingsFile().left(home.size()), home);
#endif
        QVERIFY(settingsFile().endsWith(QStringLiteral("/SysCfg.ini")));
    }

    void firstStartWithoutAFileThenSecondStartFromIt() {
        // One adapter, so no adapter dialog; the lookup gives the bound address.
        net::ScopedInterfaceSource adapters([] {
            return QList<net::InterfaceRecord>{
                {QStringLiteral("eth0"),
                 QByteArray::fromHex("001a2b3c4d5e"),
                 QNetworkInterface::IsUp | QNetworkInterface::IsRunning,
                 {{QStringLiteral("192.168.1.10"), QStringLiteral("255.255.255.0")}}}};
        });
        QVERIFY(!QFile::exists(settingsFile()));
        testsupport::FakeEndpoint first;
        runOnce(
            QLocale(QLocale::Chinese, QLocale::China),
            [&](ui::MainWindow& w) {
                QCOMPARE(w.windowTitle(), QString::fromUtf8("显示屏控制卡参数配置 V3.68"));
                QVERIFY(w.findChild<QAction*>(QStringLiteral("menu_sub_simplechn"))->isVisible());
                QVERIFY(
                    !w.findChild<QAction*>(QStringLiteral("menu_sub_traditionalchn"))->isVisible());
                QVERIFY(w.findChild<QAction*>(QStringLiteral("menu_sub_english"))->isVisible());
                QCOMPARE(w.findChild<QComboBox*>(QStringLiteral("cmdPClor"))->count(), 3);
                QVERIFY(!w.findChild<QWidget*>(QStringLiteral("rGCfg"))->isVisible());
                QVERIFY(!w.findChild<QWidget*>(QStringLiteral("pnDnsServer"))->isVisible());
                QCOMPARE(w.height(), 630);
                QCOMPARE(w.settings().SearchTimes, 20);
                QCOMPARE(w.LocalAddress, QStringLiteral("192.168.1.10"));
            },
            first);
        QCOMPARE(first.bindings, QStringList{QStringLiteral("192.168.1.10")});
        QVERIFY(first.sent.empty());
        QVERIFY(boxes_.texts.isEmpty());
        QCOMPARE(fileText(), QByteArray("[LgType]\r\nLgType=0\r\n"
                                        "[Params]\r\nDeviceType=\r\nCardColor=3\r\nDHCP=0\r\n"
                                        "SearchTimes=20\r\n"
                                        "[IsShowMulNetCard]\r\nIsShowMulNetCard=1\r\n"
                                        "[ServerIP]\r\nServerIP=192.168.1.10\r\n"));

        // Second start: the operator switches to English; the file keeps it.
        testsupport::FakeEndpoint second;
        runOnce(
            QLocale(QLocale::Chinese, QLocale::China),
            [&](ui::MainWindow& w) {
                QCOMPARE(w.windowTitle(), QString::fromUtf8("显示屏控制卡参数配置 V3.68"));
                w.menu_sub_englishClick();
            },
            second);
        QVERIFY(fileText().contains("LgType=2\r\n"));

        // Third start: English wins over the Chinese locale, with the Chinese item still offered.
        testsupport::FakeEndpoint third;
        runOnce(
            QLocale(QLocale::Chinese, QLocale::China),
            [&](ui::MainWindow& w) {
                QCOMPARE(w.windowTitle(),
                         QStringLiteral("Display control card parameter configuration V3.68"));
                QVERIFY(w.findChild<QAction*>(QStringLiteral("menu_sub_simplechn"))->isVisible());
            },
            third);

        // An English locale with LgType 0 starts in English and saves 2.
        QFile f(settingsFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(
            "[LgType]\r\nLgType=0\r\n; kept\r\n[Params]\r\nSearchTimes=0x14\r\nCardColor=2\r\n");
        f.close();
        testsupport::FakeEndpoint fourth;
        runOnce(
            QLocale(QLocale::English, QLocale::UnitedStates),
            [&](ui::MainWindow& w) {
                QVERIFY(!w.findChild<QAction*>(QStringLiteral("menu_sub_simplechn"))->isVisible());
                QVERIFY(
                    !w.findChild<QAction*>(QStringLiteral("menu_sub_traditionalchn"))->isVisible());
                QCOMPARE(w.findChild<QComboBox*>(QStringLiteral("cmdPClor"))->count(), 2);
                QCOMPARE(w.settings().SearchTimes, 20);
            },
            fourth);
        const QByteArray text = fileText();
        QVERIFY(text.contains("LgType=2\r\n"));
        QVERIFY(text.contains("; kept\r\n"));
        QVERIFY(text.contains("CardColor=2\r\n"));
    }

    void programEntryPaintsBeforeItLooksAtTheNetwork() {
        struct PaintCount : QObject {
            int paints = 0;
            bool eventFilter(QObject* watched, QEvent* event) override {
                paints += event->type() == QEvent::Paint;
                return QObject::eventFilter(watched, event);
            }
        } painted;
        int paintsAtAdapters = -1;
        int paintsAtLookup = -1;
        net::ScopedInterfaceSource adapters([&] {
            paintsAtAdapters = painted.paints;
            return QList<net::InterfaceRecord>{
                {QStringLiteral("eth0"),
                 QByteArray::fromHex("001a2b3c4d5e"),
                 QNetworkInterface::IsUp | QNetworkInterface::IsRunning,
                 {{QStringLiteral("192.168.1.10"), QStringLiteral("255.255.255.0")}}}};
        });
        QFile::remove(settingsFile());
        testsupport::FakeEndpoint endpoint;
        lang::ResetGlobalCatalogues();
        platform::ScopedMessageBoxes scoped(boxes_);
        ui::EntryOptions options;
        options.lockFolder = lock_.path();
        options.userLocale = QLocale(QLocale::Chinese, QLocale::China);
        options.network.endpoint = &endpoint;
        int lookups = 0;
        options.network.lookupLocalAddress = [&] {
            // The first lookup belongs to the window's creation, before it is shown.
            if (++lookups == 2) {
                paintsAtLookup = painted.paints;
            }
            return QStringLiteral("192.168.1.10");
        };
        const auto during = [&](ui::MainWindow& window) {
            window.installEventFilter(&painted);
            window.setNetworkAfterFirstPaint(true);
            window.show();
            // Language, texts and size are in place; the network is not touched yet.
            QCOMPARE(window.windowTitle(), QString::fromUtf8("显示屏控制卡参数配置 V3.68"));
            QCOMPARE(window.height(), 630);
            QVERIFY(!window.networkStartupDone());
            QVERIFY(endpoint.bindings.isEmpty());
            QCOMPARE(paintsAtAdapters, -1);
            QCOMPARE(lookups, 1);
            QVERIFY(QTest::qWaitFor([&] { return window.networkStartupDone(); }, 5000));
            QCOMPARE(window.LocalAddress, QStringLiteral("192.168.1.10"));
        };
        options.runLoop = [&](ui::MainWindow& window) {
            during(window);
            return 0;
        };
        ui::RunProgram(options);
        if (QTest::currentTestFailed()) {
            return;
        }
        QVERIFY(painted.paints > 0);
        QVERIFY2(paintsAtAdapters > 0, "the adapters were enumerated before the first paint");
        QVERIFY2(paintsAtLookup > 0, "the address was looked up before the first paint");
        QCOMPARE(endpoint.bindings, QStringList{QStringLiteral("192.168.1.10")});
        QVERIFY(boxes_.texts.isEmpty());
        QVERIFY(fileText().contains("ServerIP=192.168.1.10\r\n"));
    }

    void windowClosedBeforeTheNetworkStepKeepsTheSavedAddress() {
        net::ScopedInterfaceSource adapters([] { return QList<net::InterfaceRecord>{}; });
        QFile f(settingsFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[ServerIP]\r\nServerIP=10.1.2.3\r\n");
        f.close();
        testsupport::FakeEndpoint endpoint;
        lang::ResetGlobalCatalogues();
        platform::ScopedMessageBoxes scoped(boxes_);
        ui::EntryOptions options;
        options.lockFolder = lock_.path();
        options.network.endpoint = &endpoint;
        options.network.lookupLocalAddress = [] { return QStringLiteral("192.168.1.10"); };
        options.runLoop = [](ui::MainWindow& window) {
            window.setNetworkAfterFirstPaint(true);
            window.show();
            return 0; // closed at once, before any event ran
        };
        ui::RunProgram(options);
        QVERIFY(endpoint.bindings.isEmpty());
        QVERIFY2(fileText().contains("ServerIP=10.1.2.3\r\n"), fileText().constData());
    }

    void loopbackAddressIsRetriedAtMostSevenTimes() {
        net::ScopedInterfaceSource adapters([] { return QList<net::InterfaceRecord>{}; });
        int lookups = 0;
        QFile f(settingsFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[ServerIP]\r\nServerIP=127.0.0.1\r\n");
        f.close();
        testsupport::FakeEndpoint endpoint;
        lang::ResetGlobalCatalogues();
        testsupport::MockClock mockClock;
        platform::ScopedClock scopedClock(mockClock);
        platform::ScopedMessageBoxes scoped(boxes_);
        ui::EntryOptions options;
        options.lockFolder = lock_.path();
        options.network.endpoint = &endpoint;
        options.network.lookupLocalAddress = [&] {
            ++lookups;
            return QStringLiteral("127.0.0.1");
        };
        options.runLoop = [](ui::MainWindow& window) {
            window.show();
            return 0;
        };
        ui::RunProgram(options);
        // One lookup at creation, one for "at most one adapter", then seven retries.
        QCOMPARE(lookups, 1 + 1 + 7);
        QCOMPARE(mockClock.sleeps, 6);
        QCOMPARE(endpoint.bindings, QStringList{QStringLiteral("127.0.0.1")});
    }
};

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    StartupTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "StartupTest.moc"
