// The device list marks the rows of cards that answer at one address: on exactly those rows, in
// the language in force, and no longer once a write has moved a card away.

#include "StartedWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QTableWidget>
#include <QTest>

using namespace uitest;
using namespace Qt::StringLiterals;

namespace {

// Per row, the tooltip of its cells, or "(mixed)" when the cells disagree or the mark is only
// half there (an icon without a tooltip, a tooltip without the amber or the description).
QStringList Marks(ui::MainWindow& w) {
    auto* list = Find<QTableWidget>(&w, "lvModList");
    QAccessibleTableInterface* cells =
        QAccessible::queryAccessibleInterface(list)->tableInterface();
    QStringList marks;
    for (int r = 0; r < list->rowCount(); ++r) {
        const QString tip = list->item(r, 0)->toolTip();
        bool whole = list->item(r, 3)->icon().isNull() == tip.isEmpty() &&
                     cells->cellAt(r, 3)->text(QAccessible::Description) == tip;
        for (int c = 0; c < 4; ++c) {
            whole = whole && list->item(r, c)->toolTip() == tip &&
                    list->item(r, c)->data(Qt::BackgroundRole).isValid() == !tip.isEmpty();
        }
        marks << (whole ? tip : u"(mixed)"_s);
    }
    return marks;
}

} // namespace

class SharedAddressTest : public QObject {
    Q_OBJECT

private slots:
    void rowsThatShareAnAddressAreMarked() {
        auto w = StartedWindow(); // simplified Chinese
        w->appendDeviceRows({{1, "Card 1", "00:1A:2B:00:00:01", "192.168.1.100", 60},
                             {2, "Card 2", "00:1A:2B:00:00:02", "192.168.1.101", 60},
                             {3, "三号屏", "00:1A:2B:00:00:03", "192.168.1.100", 53},
                             {4, "unknown", "", "", 0},
                             {5, "Card 2", "00:1A:2B:00:00:02", "192.168.1.150", 60},
                             {6, "unknown", "", "", 0}});
        const QString zhHint = U("共用一个地址的设备无法按地址区分，请给每个设备分配各自的地址。");
        QCOMPARE(Marks(*w), (QStringList{U("以下设备也使用IP地址 192.168.1.100：\n3  三号屏  "
                                           "(00:1A:2B:00:00:03)\n") +
                                             zhHint,
                                         {},
                                         U("以下设备也使用IP地址 192.168.1.100：\n1  Card 1  "
                                           "(00:1A:2B:00:00:01)\n") +
                                             zhHint,
                                         {},
                                         {},
                                         {}}));
        QCOMPARE(Find<QTableWidget>(w.get(), "lvModList")->item(0, 3)->text(), u"192.168.1.100"_s);
        QCOMPARE(w->deviceRow(0).ip, "192.168.1.100");

        w->menu_sub_englishClick();
        QCOMPARE(Marks(*w)[2], u"Also at 192.168.1.100:\n1  Card 1  (00:1A:2B:00:00:01)\nCards "
                               u"that share an address cannot be told apart by it: give each its "
                               u"own address."_s);

        // A write moves card 3 away, then card 2 onto card 1's address.
        w->setDeviceRowIp(2, u"192.168.1.103"_s);
        QCOMPARE(Marks(*w), QStringList(6));
        w->setDeviceRowIp(1, u"192.168.1.100"_s);
        QCOMPARE(Marks(*w)[0].section(u'\n', 1, 1), u"2  Card 2  (00:1A:2B:00:00:02)"_s);
        QCOMPARE(Marks(*w)[1].section(u'\n', 1, 1), u"1  Card 1  (00:1A:2B:00:00:01)"_s);
    }

    // Fresh cards all at one address: the tooltip names five and counts the rest.
    void aLongListNamesTheFirstFive() {
        auto w = StartedWindow();
        w->menu_sub_englishClick();
        std::vector<protocol::DeviceEntry> rows;
        for (int k = 1; k <= 8; ++k) {
            rows.push_back({k, "LED", "00:1A:2B:00:00:0" + std::to_string(k), "192.168.1.100", 60});
        }
        w->appendDeviceRows(rows);
        const QStringList lines = Marks(*w)[7].split(u'\n');
        QCOMPARE(lines.mid(5, 2),
                 (QStringList{u"5  LED  (00:1A:2B:00:00:05)"_s, u"… and 2 more"_s}));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SharedAddressTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "SharedAddressTest.moc"
