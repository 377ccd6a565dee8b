// Choosing cards of a wall: ticks by filter, range and Space, and the orders the dialog sorts by.

#include "ui/CardChoice.h"

#include <QTest>

using ui::CardChoice;
using Column = CardChoice::Column;
using Cards = std::vector<std::size_t>;

Q_DECLARE_METATYPE(Cards)

namespace {

protocol::DeviceEntry Card(int number, const char* name, const char* mac, const char* ip) {
    return {number, name, mac, ip, 54};
}

// 200 cards: 180 in 192.168.1.0/24, every tenth one in 192.168.2.0/24.
CardChoice Wall() {
    std::vector<protocol::DeviceEntry> cards;
    for (int i = 0; i < 200; ++i) {
        const std::string subnet = i % 10 == 9 ? "192.168.2." : "192.168.1.";
        const std::string mac = QStringLiteral("00:1A:2B:3C:%1:%2")
                                    .arg(i / 256, 2, 16, QLatin1Char('0'))
                                    .arg(i % 256, 2, 16, QLatin1Char('0'))
                                    .toUpper()
                                    .toStdString();
        cards.push_back({i + 1, "Wall " + std::to_string(i % 20), mac,
                         subnet + std::to_string(10 + i / 10 * 10 + i % 10), 54});
    }
    return CardChoice(cards);
}

} // namespace

class CardChoiceTest : public QObject {
    Q_OBJECT

private slots:
    void filterThenSelectAllTicksWhatIsShown() {
        CardChoice choice = Wall();
        choice.setFilter(QStringLiteral(" 192.168.1. "));
        QCOMPARE(choice.shownInOrder().size(), std::size_t(180));
        choice.tickShown();
        QCOMPARE(choice.tickedCount(), std::size_t(180));
        QCOMPARE(choice.hiddenTickedCount(), std::size_t(0));
        choice.setFilter(QStringLiteral("192.168.2."));
        QCOMPARE(choice.hiddenTickedCount(), std::size_t(180));
        // Invert and none touch the shown cards only: the hidden ticks stay.
        choice.invertShown();
        QCOMPARE(choice.tickedCount(), std::size_t(200));
        choice.untickShown();
        QCOMPARE(choice.tickedCount(), std::size_t(180));
        choice.setFilter(QStringLiteral("wall 19")); // names, case aside
        QCOMPARE(choice.shownInOrder(), (Cards{19, 39, 59, 79, 99, 119, 139, 159, 179, 199}));
        choice.setFilter(QStringLiteral("3c:00:0a")); // MACs, case aside
        QCOMPARE(choice.shownInOrder(), (Cards{10}));
    }

    void sortsNumbersAndAddressesAsNumbers_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<Cards>("order");
        // Text order would put .10 and .100 before .9, and 10 before 2.
        QTest::newRow("IP up") << int(Column::Ip) << true << Cards{3, 1, 0, 2, 4};
        QTest::newRow("IP down") << int(Column::Ip) << false << Cards{4, 2, 0, 1, 3};
        QTest::newRow("number up") << int(Column::Number) << true << Cards{2, 4, 0, 1, 3};
        QTest::newRow("name, ties in list order")
            << int(Column::Name) << true << Cards{0, 2, 1, 3, 4};
        QTest::newRow("MAC") << int(Column::Mac) << true << Cards{4, 3, 2, 1, 0};
    }
    void sortsNumbersAndAddressesAsNumbers() {
        QFETCH(int, column);
        QFETCH(bool, ascending);
        QFETCH(Cards, order);
        CardChoice choice({Card(10, "a", "00:00:00:00:00:05", "192.168.1.10"),
                           Card(20, "B", "00:00:00:00:00:04", "192.168.1.9"),
                           Card(2, "A", "00:00:00:00:00:03", "192.168.1.100"),
                           Card(100, "c", "00:00:00:00:00:02", "10.0.0.1"),
                           Card(3, "d", "00:00:00:00:00:01", "")});
        choice.sortBy(Column(column), ascending);
        QCOMPARE(choice.order(), order);
    }

    void shiftClickTicksTheShownRangeInTheOrderShown() {
        CardChoice choice = Wall();
        choice.sortBy(Column::Ip, false); // 192.168.2.x first
        choice.setFilter(QStringLiteral("192.168.1."));
        const Cards shown = choice.shownInOrder();
        choice.click(shown[5], false);
        choice.click(shown[14], true);
        const Cards ticked = choice.tickedInOrder();
        QCOMPARE(ticked, Cards(shown.begin() + 5, shown.begin() + 15));
        // Shift+click again on the other side: the anchor is still the first click, and the
        // range takes the anchor's state.
        choice.click(shown[5], false); // unticks the anchor
        choice.click(shown[0], true);
        QCOMPARE(choice.tickedInOrder(), Cards(shown.begin() + 6, shown.begin() + 15));
        QCOMPARE(choice.hiddenTickedCount(), std::size_t(0));
    }

    void spaceTicksAllSelectedUnlessAllAreTicked() {
        CardChoice choice = Wall();
        choice.setTicked(1, true);
        choice.toggle({0, 1, 2});
        QCOMPARE(choice.tickedInOrder(), (Cards{0, 1, 2}));
        choice.toggle({0, 1, 2});
        QCOMPARE(choice.tickedCount(), std::size_t(0));
    }

    void stateSortsCardsThatNeedAttentionFirst() {
        CardChoice choice = Wall();
        for (std::size_t c = 0; c < choice.size(); ++c) {
            choice.setStateRank(c, c == 150 || c == 7 ? 0 : 1);
            choice.setTicked(c, c % 2 == 0);
        }
        choice.sortBy(Column::State, true);
        QCOMPARE(choice.order()[0], std::size_t(7));
        QCOMPARE(choice.order()[1], std::size_t(150));
        QCOMPARE(choice.order()[2], std::size_t(0));
        // Sequential addresses follow the order shown.
        QCOMPARE(choice.tickedInOrder()[0], std::size_t(150));
        QCOMPARE(choice.tickedInOrder()[1], std::size_t(0));
    }
};

QTEST_GUILESS_MAIN(CardChoiceTest)
#include "CardChoiceTest.moc"
