#include "net/AdapterChoice.h"

#include "Fakes.h"
#include "Suites.h"
#include "lang/Catalogue.h"
#include "support/MockClock.h"
#include "support/RecordingMessageBoxes.h"

#include <QTest>

namespace net::test {

class AdapterChoiceTest : public QObject {
    Q_OBJECT

    // The operator: records each showing and acts through the given script.
    struct Operator {
        std::function<void(AdapterDialog&)> script;
        int showings = 0;
        void operator()(AdapterDialog& dialog) {
            ++showings;
            dialog.show();
            if (script) {
                script(dialog);
            }
            QVERIFY2(!dialog.isVisible(), "the scripted operator left the dialog open");
        }
    };
    ShowModal showWith(Operator& op) {
        return [&op](AdapterDialog& dialog) { op(dialog); };
    }

    void useInterfaces(const QList<InterfaceRecord>& interfaces) {
        source_.reset(); // guards must unwind in order
        source_ = std::make_unique<ScopedInterfaceSource>(
            [interfaces] { return std::optional(interfaces); });
    }

    // Runs the network menu command and returns the addresses bound.
    QStringList menu(Operator& op) {
        QStringList bound;
        NetworkMenuCommand(
            *dialog_, localAddress_, isShow_, [&bound](const QString& a) { bound.append(a); },
            showWith(op));
        return bound;
    }
    void startup(Operator& op) {
        StartupAdapterStep(
            *dialog_, localAddress_, isShow_, [] { return QStringLiteral("192.168.7.7"); },
            showWith(op));
    }

private slots:
    void init() {
        boxes_ = std::make_unique<testsupport::RecordingMessageBoxes>();
        scopedBoxes_ = std::make_unique<platform::ScopedMessageBoxes>(*boxes_);
        catalogues_ = std::make_unique<lang::Catalogues>();
        QVERIFY(catalogues_->apply(lang::LanguageId::SimplifiedChinese));
        dialog_ = std::make_unique<AdapterDialog>(*catalogues_);
        localAddress_ = QStringLiteral("10.0.0.2");
        isShow_ = true;
    }
    void cleanup() {
        dialog_.reset();
        source_.reset();
        scopedBoxes_.reset();
    }

    void oneAddressOrNoneShowsNoDialog() {
        for (const auto& interfaces : {OneAddress(), QList<InterfaceRecord>{}}) {
            useInterfaces(interfaces);
            Operator op;
            localAddress_ = QStringLiteral("10.0.0.2");
            QCOMPARE(menu(op), QStringList{QStringLiteral("10.0.0.2")});
            QCOMPARE(localAddress_, QStringLiteral("10.0.0.2"));
            startup(op);
            QCOMPARE(localAddress_, QStringLiteral("192.168.7.7"));
            QCOMPARE(op.showings, 0);
            QVERIFY(isShow_);
        }
        QVERIFY(boxes_->texts.isEmpty());
    }

    void failedEnumerationCountsAsNoAdapter() {
        source_ = std::make_unique<ScopedInterfaceSource>(
            [] { return std::optional<QList<InterfaceRecord>>(); });
        Operator op;
        QCOMPARE(menu(op), QStringList{QStringLiteral("10.0.0.2")});
        startup(op);
        QCOMPARE(localAddress_, QStringLiteral("192.168.7.7"));
        QCOMPARE(op.showings, 0);
        QCOMPARE(boxes_->texts.size(), 2);
    }

    void currentAddressIsPreselectedAndOKKeepsIt() {
        useInterfaces(ThreeAddresses());
        Operator op{[](AdapterDialog& d) {
            QCOMPARE(SelectedRow(d), 1);
            PressOK(d);
        }};
        QCOMPARE(menu(op), QStringList{QStringLiteral("10.0.0.2")});
        QCOMPARE(op.showings, 1);
        QCOMPARE(localAddress_, QStringLiteral("10.0.0.2"));
        QVERIFY(isShow_);
        QVERIFY(boxes_->texts.isEmpty());
    }

    void unknownAddressMustBeChosen() {
        useInterfaces(ThreeAddresses());
        localAddress_ = QStringLiteral("172.16.0.1");
        Operator op{[](AdapterDialog& d) {
            QCOMPARE(SelectedRow(d), -1);
            PressOK(d);
            QVERIFY(d.isVisible());
            ClickRow(d, 0);
            PressOK(d);
        }};
        QCOMPARE(menu(op), QStringList{QStringLiteral("192.168.1.10")});
        QCOMPARE(boxes_->texts, QStringList{QStringLiteral("请从列表选择其中一张网卡！")});
    }

    void notShowTickedThenMenuUntickedAgain() {
        useInterfaces(ThreeAddresses());
        Operator tick{[](AdapterDialog& d) {
            QTest::mouseClick(d.cbNotShow(), Qt::LeftButton);
            ClickRow(d, 2);
            PressOK(d);
        }};
        startup(tick);
        QCOMPARE(tick.showings, 1);
        QVERIFY(!isShow_);
        QCOMPARE(localAddress_, QStringLiteral("10.0.0.3"));

        // The next start keeps the address from the file and asks nothing.
        Operator none;
        localAddress_ = QStringLiteral("10.0.0.9");
        startup(none);
        QCOMPARE(none.showings, 0);
        QCOMPARE(localAddress_, QStringLiteral("10.0.0.9"));

        // The menu still asks; the box kept its tick, and unticking turns the dialog back on.
        Operator untick{[](AdapterDialog& d) {
            QVERIFY(d.cbNotShow()->isChecked());
            QTest::mouseClick(d.cbNotShow(), Qt::LeftButton);
            ClickRow(d, 0);
            PressOK(d);
        }};
        QCOMPARE(menu(untick), QStringList{QStringLiteral("192.168.1.10")});
        QCOMPARE(untick.showings, 1);
        QVERIFY(isShow_);
    }

    void loopbackRetriesAtMostSevenLookupsAndSixWaits() {
        testsupport::MockClock clock;
        platform::ScopedClock scopedClock(clock);
        int lookups = 0;
        const QString result = RetryLoopbackAddress(QStringLiteral("127.0.0.1"), [&] {
            ++lookups;
            return QStringLiteral("127.0.0.1");
        });
        QCOMPARE(result, QStringLiteral("127.0.0.1"));
        QCOMPARE(lookups, 7);
        QCOMPARE(clock.sleeps, 6);
        QCOMPARE(clock.nowMs(), 3000);
    }

    void loopbackRetryStopsAtTheFirstOtherAddress() {
        testsupport::MockClock clock;
        platform::ScopedClock scopedClock(clock);
        QStringList answers{"127.0.0.1", "127.0.0.1", "192.168.1.10", "127.0.0.1"};
        int lookups = 0;
        const auto lookup = [&] { return answers.at(lookups++); };
        QCOMPARE(RetryLoopbackAddress(QStringLiteral("127.0.0.1"), lookup),
                 QStringLiteral("192.168.1.10"));
        QCOMPARE(lookups, 3);
        QCOMPARE(clock.sleeps, 2);

        lookups = 0;
        QCOMPARE(RetryLoopbackAddress(QStringLiteral("10.0.0.2"), lookup),
                 QStringLiteral("10.0.0.2"));
        QCOMPARE(lookups, 0);
        QCOMPARE(clock.sleeps, 2);
    }

private:
    std::unique_ptr<testsupport::RecordingMessageBoxes> boxes_;
    std::unique_ptr<platform::ScopedMessageBoxes> scopedBoxes_;
    std::unique_ptr<lang::Catalogues> catalogues_;
    std::unique_ptr<AdapterDialog> dialog_;
    std::unique_ptr<ScopedInterfaceSource> source_;
    QString localAddress_;
    bool isShow_ = true;
};

QObject* MakeAdapterChoiceTest() {
    return new AdapterChoiceTest;
}

} // namespace net::test

#include "AdapterChoiceTest.moc"
