#include "net/AdapterDialog.h"

#include "Fakes.h"
#include "Suites.h"
#include "lang/Catalogue.h"
#include "support/RecordingMessageBoxes.h"

#include <QHeaderView>
#include <QTest>
#include <QTimer>

namespace net::test {

namespace {

const QList<TAdapterInfo> kList{
    {"Ethernet", "192.168.1.10", "00-1A-2B-3C-4D-5E"},
    {"Wi-Fi", " 10.0.0.2\t", "A0-B1-C2-D3-E4-F5"},
    {"Wi-Fi", "10.0.0.3", "A0-B1-C2-D3-E4-F5"},
};

} // namespace

class AdapterDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        boxes_ = std::make_unique<testsupport::RecordingMessageBoxes>();
        scopedBoxes_ = std::make_unique<platform::ScopedMessageBoxes>(*boxes_);
        catalogues_ = std::make_unique<lang::Catalogues>();
        QVERIFY(catalogues_->apply(lang::LanguageId::English));
        dialog_ = std::make_unique<AdapterDialog>(*catalogues_);
    }
    void cleanup() {
        dialog_.reset();
        scopedBoxes_.reset();
    }

    void controlsAndColumnsAsDesigned() {
        QCOMPARE(dialog_->size(), QSize(461, 227));
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("网卡选择"));
        QTreeWidget* view = dialog_->findChild<QTreeWidget*>(QStringLiteral("lvNetCard"));
        QCOMPARE(view, dialog_->lvNetCard());
        QCOMPARE(dialog_->findChild<QCheckBox*>(QStringLiteral("cbNotShow")), dialog_->cbNotShow());
        QCOMPARE(dialog_->findChild<QPushButton*>(QStringLiteral("btnOK")), dialog_->btnOK());
        QCOMPARE(view->columnCount(), 4);
        QList<int> widths;
        for (int c = 0; c < 4; ++c) {
            widths.append(view->header()->sectionSize(c));
        }
        QCOMPARE(widths, (QList<int>{5, 200, 100, 130}));
        QCOMPARE(view->font().pixelSize(), 12);
        QVERIFY(!dialog_->cbNotShow()->isChecked());
        QVERIFY(dialog_->ChosenAddress().isEmpty());
    }

    void fillPreselectsTheLocalAddressTrimmed() {
        dialog_->FillAdapters(kList, QStringLiteral("10.0.0.2 \r\n"));
        QCOMPARE(dialog_->lvNetCard()->topLevelItemCount(), 3);
        QCOMPARE(SelectedRow(*dialog_), 1);
        QCOMPARE(dialog_->ChosenAddress(), QStringLiteral("10.0.0.2"));
        QCOMPARE(Row(*dialog_, 1)->text(0), QString());
        QCOMPARE(Row(*dialog_, 1)->text(1), QStringLiteral("Wi-Fi"));
        QCOMPARE(Row(*dialog_, 1)->text(2), QStringLiteral(" 10.0.0.2\t"));
        QCOMPARE(Row(*dialog_, 1)->text(3), QStringLiteral("A0-B1-C2-D3-E4-F5"));
    }

    void lastMatchingRowWins() {
        QList<TAdapterInfo> twice = kList;
        twice.append({"Bridge", "192.168.1.10", ""});
        dialog_->FillAdapters(twice, QStringLiteral("192.168.1.10"));
        QCOMPARE(SelectedRow(*dialog_), 3);
        QCOMPARE(dialog_->lvNetCard()->selectedItems().size(), 1);
    }

    void comparisonIsExact() {
        dialog_->FillAdapters(kList, QStringLiteral("10.0.0.20"));
        QCOMPARE(SelectedRow(*dialog_), -1);
        dialog_->FillAdapters(kList, QStringLiteral("010.0.0.2"));
        QCOMPARE(SelectedRow(*dialog_), -1);
    }

    void chosenAddressSurvivesARefillWithoutMatch() {
        dialog_->FillAdapters(kList, QStringLiteral("10.0.0.3"));
        dialog_->FillAdapters(kList, QStringLiteral("172.16.0.1"));
        QCOMPARE(SelectedRow(*dialog_), -1);
        QCOMPARE(dialog_->ChosenAddress(), QStringLiteral("10.0.0.3"));
    }

    void clickAndArrowKeysPickARow() {
        dialog_->FillAdapters(kList, QStringLiteral("172.16.0.1"));
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
        ClickRow(*dialog_, 1);
        QCOMPARE(dialog_->ChosenAddress(), QStringLiteral("10.0.0.2"));
        QTest::keyClick(dialog_->lvNetCard(), Qt::Key_Down);
        QCOMPARE(SelectedRow(*dialog_), 2);
        QCOMPARE(dialog_->ChosenAddress(), QStringLiteral("10.0.0.3"));
        QVERIFY(boxes_->texts.isEmpty());
    }

    void closingWithoutARowIsRefusedEveryWay() {
        dialog_->FillAdapters(kList, QStringLiteral("172.16.0.1"));
        int result = -1;
        bool stayedOpen = true;
        QTimer::singleShot(0, dialog_.get(), [&] {
            PressOK(*dialog_);
            dialog_->close();
            QTest::keyClick(dialog_.get(), Qt::Key_Escape);
            stayedOpen = dialog_->isVisible();
            ClickRow(*dialog_, 2);
            PressOK(*dialog_);
        });
        QTimer::singleShot(5000, dialog_.get(), [&] { dialog_->hide(); }); // never hang
        result = dialog_->exec();
        QVERIFY(stayedOpen);
        const QString refusal = QStringLiteral("Please choose one card from the list!");
        QCOMPARE(boxes_->texts, (QStringList{refusal, refusal, refusal}));
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(dialog_->ChosenAddress(), QStringLiteral("10.0.0.3"));
    }

    void textsFollowTheLanguageOnEveryShowing() {
        dialog_->FillAdapters(kList, QStringLiteral("10.0.0.3"));
        dialog_->show();
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("You must choice one netWork card"));
        QCOMPARE(dialog_->cbNotShow()->text(),
                 QStringLiteral("Not show, use the selected network adapter"));
        QCOMPARE(dialog_->btnOK()->text(), QStringLiteral("OK"));
        QTreeWidgetItem* header = dialog_->lvNetCard()->headerItem();
        QCOMPARE(header->text(0), QString());
        QCOMPARE(header->text(1), QStringLiteral("Network Adapter"));
        QCOMPARE(header->text(2), QStringLiteral("IP Address"));
        QCOMPARE(header->text(3), QStringLiteral("Mac Address"));
        PressOK(*dialog_);
        QVERIFY(!dialog_->isVisible());

        QVERIFY(catalogues_->apply(lang::LanguageId::SimplifiedChinese));
        QCOMPARE(dialog_->btnOK()->text(), QStringLiteral("OK")); // not before the next showing
        dialog_->show();
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("网卡选择"));
        QCOMPARE(dialog_->cbNotShow()->text(),
                 QStringLiteral("不再显示该界面，以后使用已选的网卡"));
        QCOMPARE(dialog_->btnOK()->text(), QStringLiteral("确定"));
        QCOMPARE(header->text(1), QStringLiteral("网卡适配器"));
        QCOMPARE(header->text(2), QStringLiteral("IP地址"));
        QCOMPARE(header->text(3), QStringLiteral("Mac地址"));
        dialog_->hide();
    }

    void checkBoxKeepsItsStateBetweenShowings() {
        dialog_->FillAdapters(kList, QStringLiteral("10.0.0.3"));
        dialog_->show();
        QTest::mouseClick(dialog_->cbNotShow(), Qt::LeftButton);
        PressOK(*dialog_);
        dialog_->FillAdapters(kList, QStringLiteral("10.0.0.3"));
        dialog_->show();
        QVERIFY(dialog_->cbNotShow()->isChecked());
        dialog_->hide();
    }

    void scaleRoundsHalfToEven() {
        dialog_->ApplyScale(1.5);
        QCOMPARE(dialog_->size(), QSize(692, 340)); // 691.5 -> 692, 340.5 -> 340
    }

private:
    std::unique_ptr<testsupport::RecordingMessageBoxes> boxes_;
    std::unique_ptr<platform::ScopedMessageBoxes> scopedBoxes_;
    std::unique_ptr<lang::Catalogues> catalogues_;
    std::unique_ptr<AdapterDialog> dialog_;
};

QObject* MakeAdapterDialogTest() {
    return new AdapterDialogTest;
}

} // namespace net::test

#include "AdapterDialogTest.moc"
