// Choosing cards of a wall in the several-cards dialog with the keys and clicks an operator
// uses: a filter and Ctrl+A in the field, Enter that must not start, Space on selected rows,
// Shift+click ranges, and a header click that orders addresses as numbers.

#include "SeveralCardsFixture.h"
#include "StartedWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QTest>

using namespace uitest;
using namespace Qt::StringLiterals;

namespace {

QList<int> TickedRows(const QTableWidget* list) {
    QList<int> out;
    for (int r = 0; r < list->rowCount(); ++r) {
        if (list->item(r, 0)->checkState() == Qt::Checked) {
            out << r;
        }
    }
    return out;
}

void ClickBox(QTableWidget* list, int row, Qt::KeyboardModifiers modifiers = {}) {
    const QPoint at = list->visualItemRect(list->item(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, at);
}

} // namespace

class ChoosingTest : public QObject {
    Q_OBJECT

private slots:
    void aWallIsChosenFromTheKeyboardAndWithRanges() {
        testsupport::RecordingMessageBoxes boxes;
        platform::ScopedMessageBoxes scopedBoxes(boxes);
        QTemporaryDir dir;
        auto w = StartedWindow(Profile{.lgType = 2});
        w->setDataFolder(dir.filePath(u"data"_s));
        auto& endpoint = dynamic_cast<testsupport::FakeEndpoint&>(w->UDPBSer());
        w->appendDeviceRows({{1, "A", "00:1A:2B:00:00:01", "192.168.1.100", 60},
                             {2, "B", "00:1A:2B:00:00:02", "192.168.1.9", 60},
                             {3, "C", "00:1A:2B:00:00:03", "192.168.2.7", 60},
                             {4, "D", "00:1A:2B:00:00:04", "192.168.1.10", 60},
                             {5, "E", "00:1A:2B:00:00:05", "192.168.2.8", 60}});
        const std::size_t sentBefore = endpoint.sent.size();
        w->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            dialog.show();
            auto* list = dialog.list();
            auto* filter = dialog.findChild<QLineEdit*>(u"edtFilter"_s);
            auto* ticked = dialog.findChild<QLabel*>(u"lbTicked"_s);
            filter->setFocus();
            QTest::keyClicks(filter, u"192.168.1."_s);
            QTest::keyClick(filter, Qt::Key_A, Qt::ControlModifier);
            QCOMPARE(TickedRows(list), (QList<int>{0, 1, 3}));
            QCOMPARE(filter->text(), u"192.168.1."_s); // the field kept its text
            QCOMPARE(ticked->text(), u"3 of 5 cards ticked"_s);
            QTest::keyClick(filter, Qt::Key_Return); // never a start
            QVERIFY(!dialog.run().running());
            filter->clear();
            QTest::keyClicks(filter, u"192.168.2"_s);
            QCOMPARE(ticked->text(), u"3 of 5 cards ticked, 3 of them hidden by the filter"_s);
            QVERIFY(list->isRowHidden(0) && !list->isRowHidden(2));
            QTest::keyClick(filter, Qt::Key_I, Qt::ControlModifier); // invert the shown two
            filter->clear();
            QCOMPARE(TickedRows(list), (QList<int>{0, 1, 2, 3, 4}));

            // None, then a box and a Shift+click on another: the range between.
            QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(TickedRows(list), QList<int>{});
            ClickBox(list, 1);
            ClickBox(list, 3, Qt::ShiftModifier);
            QCOMPARE(TickedRows(list), (QList<int>{1, 2, 3}));
            // Space on selected rows: ticks them all unless all were ticked.
            list->clearSelection();
            list->selectionModel()->select(list->model()->index(3, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
            list->selectionModel()->select(list->model()->index(4, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
            QTest::keyClick(list, Qt::Key_Space);
            QCOMPARE(TickedRows(list), (QList<int>{1, 2, 3, 4}));

            // The IP header orders addresses as numbers; the new addresses follow that order.
            QHeaderView* header = list->horizontalHeader();
            const QPoint ipHeader(header->sectionViewportPosition(3) + 5, header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, ipHeader);
            QCOMPARE(Column(list, 3),
                     (QStringList{u"192.168.1.9"_s, u"192.168.1.10"_s, u"192.168.1.100"_s,
                                  u"192.168.2.7"_s, u"192.168.2.8"_s}));
            QCOMPARE(Column(list, 1), (QStringList{u"B"_s, u"D"_s, u"A"_s, u"C"_s, u"E"_s}));
            QCOMPARE(TickedRows(list), (QList<int>{0, 1, 3, 4})); // B, D, C, E
            Tick(dialog, {}, u"192.168.1.50"_s);
            QCOMPARE(Column(list, kNewIpColumn), (QStringList{u"192.168.1.50"_s,
                                                              u"192.168.1.51"_s,
                                                              {},
                                                              u"192.168.1.52"_s,
                                                              u"192.168.1.53"_s}));
        };
        w->writeSeveralCards();
        QCOMPARE(endpoint.sent.size(), sentBefore);
        QVERIFY2(boxes.texts.isEmpty(), qPrintable(boxes.texts.join(u'\n')));
    }
};

QTEST_MAIN(ChoosingTest)
#include "ChoosingTest.moc"
