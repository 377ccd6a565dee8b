// Every window at a screen of 120 pixels per inch: a scale factor of 1.25, sizes rounded half
// to even, and where each window opens.

#include "StartedWindow.h"
#include "discovery/dialogs/SearchByIpDialog.h"
#include "discovery/dialogs/SearchDialog.h"
#include "net/AdapterDialog.h"
#include "platform/ScreenScale.h"
#include "support/RecordingMessageBoxes.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace uitest;

namespace {

// Runs `inspect` on the modal dialog once it is up, and closes it after a while should it
// stay, so a failure cannot hang the test.
void WhenModal(const std::function<void(QDialog*)>& inspect) {
    QTimer::singleShot(
        0, [inspect] { inspect(qobject_cast<QDialog*>(QApplication::activeModalWidget())); });
    QTimer::singleShot(3000, [] {
        if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            open->reject();
        }
    });
}

QPoint ScreenCentre() {
    return QGuiApplication::primaryScreen()->availableGeometry().center();
}

} // namespace

class ScaleTest : public QObject {
    Q_OBJECT

    testsupport::RecordingMessageBoxes boxes_;
    std::unique_ptr<platform::ScopedMessageBoxes> scoped_;

private slots:
    void initTestCase() {
        // Everything below is meaningless unless the screen really reports 120 dpi.
        QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 120.0);
        QCOMPARE(platform::ScreenScaleFactor(), 1.25);
    }
    void init() { scoped_ = std::make_unique<platform::ScopedMessageBoxes>(boxes_); }
    void cleanup() { scoped_.reset(); }

    // The height is set for the card profile first, then both sides are scaled: a short
    // window is 630 x 1.25 = 787.5 -> 788, not 630.
    void mainWindowHeightThenScale_data() {
        QTest::addColumn<int>("dhcp");
        QTest::addColumn<QSize>("size");
        QTest::newRow("DHCP 0: 793 x 630") << 0 << QSize(991, 788);
        QTest::newRow("DHCP 1: 793 x 713") << 1 << QSize(991, 891);
    }
    void mainWindowHeightThenScale() {
        QFETCH(int, dhcp);
        QFETCH(QSize, size);
        Profile profile;
        profile.dhcp = dhcp;
        auto w = StartedWindow(profile);
        QCOMPARE(w->size(), size);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(w->size(), size);
    }

    // 430 x 340 -> 537.5 x 425 -> 538 x 425; centred on the screen, not over the main window.
    void searchDialogScaledAndOnTheScreenCentre() {
        auto w = StartedWindow();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->move(0, 0);
        QSize size;
        QPoint centre;
        w->session().runSearchDialog = [&](discovery::SearchDialog& dialog) {
            dialog.show();
            size = dialog.size();
            centre = dialog.frameGeometry().center();
            dialog.close();
        };
        w->menu_sub_search_deviceClick();
        QCOMPARE(size, QSize(538, 425));
        QCOMPARE(centre, ScreenCentre());
        QVERIFY(centre != w->frameGeometry().center());
    }

    // 330 x 110 -> 412.5 x 137.5 -> 412 x 138; centred on the main window on every showing,
    // also after the window has been moved.
    void searchByIpDialogScaledAndOverTheMainWindow() {
        auto w = StartedWindow();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(w->searchByIpDialog().size(), QSize(412, 138));
        for (const QPoint at : {QPoint(0, 0), QPoint(150, 70)}) {
            w->move(at);
            QPoint centre;
            QSize size;
            WhenModal([&](QDialog* dialog) {
                QVERIFY(dialog);
                centre = dialog->frameGeometry().center();
                size = dialog->size();
                Find<QPushButton>(dialog, "Button1")->click();
            });
            QCOMPARE(w->searchByIpDialog().ask(), QStringLiteral("192.168.1.100"));
            QCOMPARE(size, QSize(412, 138));
            QCOMPARE(centre, w->frameGeometry().center());
        }
    }

    // 461 x 227 -> 576.25 x 283.75 -> 576 x 284, from the constructor alone.
    void adapterDialogScaledWhenMade() {
        auto w = StartedWindow();
        QCOMPARE(w->adapterDialog().size(), QSize(576, 284));
        net::AdapterDialog fresh(net::TextLookup{});
        QCOMPARE(fresh.size(), QSize(576, 284));
    }

    // 306 x 150 -> 382.5 x 187.5 -> 382 x 188.
    void aboutDialogScaledWhenMade() {
        auto w = StartedWindow();
        QSize size;
        WhenModal([&](QDialog* dialog) {
            QVERIFY(dialog);
            size = dialog->size();
            dialog->accept();
        });
        w->menu_sub_aboutClick();
        QCOMPARE(size, QSize(382, 188));
    }
};

int main(int argc, char** argv) {
    // A 120-dpi screen whose density reaches the program as it is, instead of being folded
    // into Qt's device-pixel ratio.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("QT_FONT_DPI", "120");
    QApplication app(argc, argv);
    ScaleTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ScaleTest.moc"
