// The real main window, with its own adapter list, address lookup and UDP endpoint, inside a
// test bed that a script made around it: the process already runs on the tool side and the
// card simulator already answers on the card side. This is how the Windows build is proved
// under Wine, where the test cannot make namespaces itself; the Linux build runs the same
// cases in the same bed, and the script compares what the cards received.
//
//   LEDCFG_BED_TOOL_ADDRESS  the tool side's address (the test skips without it)
//   LEDCFG_BED_CARDS         how many cards the simulator answers for

#include "lang/Catalogue.h"
#include "net/AdapterList.h"
#include "platform/MessageBox.h"
#include "session/CardSession.h"
#include "support/RecordingMessageBoxes.h"
#include "ui/MainWindow.h"

#include <QComboBox>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kSuccess = QStringLiteral("Update the device information successfully!");

QString bedToolAddress() {
    return qEnvironmentVariable("LEDCFG_BED_TOOL_ADDRESS");
}

} // namespace

class GuestBedTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::RecordingMessageBoxes> boxes_;
    std::unique_ptr<platform::ScopedMessageBoxes> boxesGuard_;
    std::unique_ptr<ui::MainWindow> window_;
    int cards_ = 0;

    QTableWidget* deviceList() const {
        return window_->findChild<QTableWidget*>(QStringLiteral("lvModList"));
    }

private slots:
    void initTestCase() {
        if (bedToolAddress().isEmpty()) {
            QSKIP("runs only inside a test bed made by tests/windows/run.sh");
        }
        cards_ = qEnvironmentVariableIntValue("LEDCFG_BED_CARDS");
        QVERIFY(cards_ > 0);
        boxes_ = std::make_unique<testsupport::RecordingMessageBoxes>();
        boxesGuard_ = std::make_unique<platform::ScopedMessageBoxes>(*boxes_);
        // The search broadcasts: refuse to start anywhere but on the tool side of a bed, where
        // the bed's address is the only one besides loopback.
        const QList<net::TAdapterInfo> adapters = net::EnumerateAdapters();
        for (const net::TAdapterInfo& a : adapters) {
            QVERIFY2(a.IPAddress == bedToolAddress(),
                     qPrintable(u"not inside a test bed: this machine also has "_s + a.IPAddress));
        }
        QVERIFY2(!adapters.isEmpty(), "not inside a test bed: no adapter");
        boxes_->texts.clear();
        lang::ResetGlobalCatalogues();
        // Everything as the program has it, but the settings file: English, a 3 s search.
        window_ = std::make_unique<ui::MainWindow>();
        window_->setUserLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        window_->setSettingsHooks({[](settings::AppSettings& values) {
                                       values.LgType = 2;
                                       values.SearchTimes = 3;
                                   },
                                   {}});
        window_->show();
    }

    void cleanupTestCase() {
        window_.reset();
        boxesGuard_.reset();
        boxes_.reset();
    }

    // The adapter step finds the bed's one adapter: no failure message, bound to its address.
    void startUpBindsTheBedAdapter() {
        QTRY_COMPARE_WITH_TIMEOUT(window_->LocalAddress, bedToolAddress(), 10000);
        QVERIFY2(boxes_->texts.isEmpty(), qPrintable(boxes_->texts.join(u" | ")));
        const QList<net::TAdapterInfo> adapters = net::EnumerateAdapters();
        const bool listed = std::any_of(adapters.begin(), adapters.end(), [](const auto& a) {
            return a.IPAddress == bedToolAddress();
        });
        QVERIFY2(listed, "the adapter list lacks the tool side's address");
    }

    // Every card once, in rows 1..N; then the first card is read, and a plain read brings no
    // success message, however many copies of its reply arrive.
    void broadcastSearchListsEveryCardOnce() {
        QSignalSpy replies(&window_->session(), &session::CardSession::replyApplied);
        window_->findChild<QPushButton*>(QStringLiteral("btSModm"))->click();
        QCOMPARE(deviceList()->rowCount(), cards_);
        QSet<QString> macs;
        for (int r = 0; r < cards_; ++r) {
            QCOMPARE(deviceList()->item(r, 0)->text(), QString::number(r + 1));
            macs.insert(deviceList()->item(r, 2)->text());
        }
        QCOMPARE(int(macs.size()), cards_);
        QTRY_VERIFY_WITH_TIMEOUT(replies.count() >= 1, 3000);
        QTest::qWait(1500); // room for a duplicated reply
        QCOMPARE(replies.count(), 1);
        QVERIFY2(!boxes_->texts.contains(kSuccess), qPrintable(boxes_->texts.join(u" | ")));
    }

    // The operator changes the day brightness and submits: the card confirms.
    void writeIsConfirmed() {
        auto* day = window_->findChild<QComboBox*>(QStringLiteral("cmdDLamp"));
        QVERIFY(day);
        day->setCurrentIndex(day->findText(QStringLiteral("5")));
        QCOMPARE(day->currentText(), QStringLiteral("5"));
        window_->findChild<QPushButton*>(QStringLiteral("btSend"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(boxes_->texts.contains(kSuccess), 12000);
    }
};

QTEST_MAIN(GuestBedTest)
#include "GuestBedTest.moc"
