// The adapter choice from the program entry on a machine with several addresses: the saved
// address pre-selected, the operator's choice bound at start and from the menu, and "do not
// show again" kept in SysCfg.ini for the next start.

#include "Fakes.h"
#include "lang/Catalogue.h"
#include "settings/SettingsStore.h"
#include "support/FakeEndpoint.h"
#include "support/RecordingMessageBoxes.h"
#include "ui/Program.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace net::test;

class AdapterWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir lock_;
    testsupport::RecordingMessageBoxes boxes_;

    // The operator at the adapter dialog: each showing runs the next step of the script.
    struct Operator {
        std::vector<std::function<void(net::AdapterDialog&)>> steps;
        int showings = 0;
        void operator()(net::AdapterDialog& dialog) {
            dialog.show();
            if (showings < static_cast<int>(steps.size())) {
                steps[static_cast<std::size_t>(showings)](dialog);
            }
            ++showings;
            QVERIFY2(!dialog.isVisible(), "the scripted operator left the dialog open");
        }
    };

    // One run of the program; `during` acts on the started window before it closes.
    void run(Operator& op, testsupport::FakeEndpoint& endpoint,
             const std::function<void(ui::MainWindow&)>& during) {
        lang::ResetGlobalCatalogues();
        platform::ScopedMessageBoxes scoped(boxes_);
        ui::EntryOptions options;
        options.lockFolder = lock_.path();
        options.userLocale = QLocale(QLocale::Chinese, QLocale::China);
        options.network.endpoint = &endpoint;
        options.network.lookupLocalAddress = [] { return QStringLiteral("192.168.7.7"); };
        options.network.showAdapterDialog = [&op](net::AdapterDialog& d) { op(d); };
        options.runLoop = [&](ui::MainWindow& window) {
            window.show();
            during(window);
            return 0;
        };
        ui::RunProgram(options);
    }

    static QByteArray fileText() {
        QFile f(settings::SettingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void severalAdaptersFromStartToNextStart() {
        net::ScopedInterfaceSource adapters([] { return ThreeAddresses(); });
        QFile file(settings::SettingsPath());
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[ServerIP]\r\nServerIP=10.0.0.3\r\n");
        file.close();

        Operator op;
        op.steps.push_back([](net::AdapterDialog& d) {
            QCOMPARE(d.windowTitle(), QString::fromUtf8("网卡选择"));
            QCOMPARE(SelectedRow(d), 2);
            QCOMPARE(d.ChosenAddress(), QStringLiteral("10.0.0.3"));
            ClickRow(d, 1);
            QTest::mouseClick(d.cbNotShow(), Qt::LeftButton);
            PressOK(d);
        });
        op.steps.push_back([](net::AdapterDialog& d) {
            QCOMPARE(SelectedRow(d), 1);
            QVERIFY(d.cbNotShow()->isChecked());
            ClickRow(d, 0);
            PressOK(d);
        });
        testsupport::FakeEndpoint first;
        run(op, first, [&](ui::MainWindow& w) {
            QCOMPARE(op.showings, 1);
            QCOMPARE(first.bindings, QStringList{QStringLiteral("10.0.0.2")});
            QVERIFY(!w.settings().IsShowMulNetCard);
            // The menu asks again although the start-up dialog is switched off.
            w.findChild<QAction*>(QStringLiteral("menu_sub_network"))->trigger();
            QCOMPARE(op.showings, 2);
            QCOMPARE(first.bindings,
                     (QStringList{QStringLiteral("10.0.0.2"), QStringLiteral("192.168.1.10")}));
            QCOMPARE(w.LocalAddress, QStringLiteral("192.168.1.10"));
        });
        QVERIFY(first.sent.empty());
        const QByteArray text = fileText();
        QVERIFY2(text.contains("[IsShowMulNetCard]\r\nIsShowMulNetCard=0\r\n"), text.constData());
        QVERIFY2(text.contains("[ServerIP]\r\nServerIP=192.168.1.10\r\n"), text.constData());

        // Next start: no dialog, the saved address is bound.
        testsupport::FakeEndpoint second;
        run(op, second,
            [&](ui::MainWindow& w) { QCOMPARE(w.LocalAddress, QStringLiteral("192.168.1.10")); });
        QCOMPARE(op.showings, 2);
        QCOMPARE(second.bindings, QStringList{QStringLiteral("192.168.1.10")});
        QVERIFY(fileText().contains("IsShowMulNetCard=0\r\n"));
        QVERIFY(boxes_.texts.isEmpty());
    }
};

int main(int argc, char** argv) {
    // The settings file goes to a folder of this run only.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    AdapterWindowTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "AdapterWindowTest.moc"
