// The rules of choosing cards that ChoosingTest does not reach with keys and clicks: the filter's
// blanks and case, select none beside hidden ticks, ranges in a sorted and filtered list, Space
// on ticked rows, and the orders the dialog sorts by.

#include "ui/CardChoice.h"

#include <QTest>

using ui::CardChoice;
using Column = CardChoice::Column;
using Cards = std::vector<std::size_t>;

Q_DECLARE_METATYPE(Cards)

namespace {

// Text order would put .10 and .100 before .9, and 10 before 2.
CardChoice Five() {
    return CardChoice({{10, "a", "00:1A:00:00:00:05", "192.168.1.10", 54},
                       {20, "B", "00:1A:00:00:00:04", "192.168.1.9", 54},
                       {2, "A", "00:1A:00:00:00:03", "192.168.1.100", 54},
                       {100, "c", "00:1A:00:00:00:02", "10.0.0.1", 54},
                       {3, "d", "00:1A:00:00:00:01", "", 54}});
}

} // namespace

class CardChoiceTest : public QObject {
    Q_OBJECT

private slots:
    void filterAndSelectNone() {
        CardChoice choice = Five();
        choice.setFilter(QStringLiteral(" 192.168.1. ")); // blanks around it aside
        QCOMPARE(choice.shownInOrder(), (Cards{0, 1, 2}));
        choice.tickShown();
        choice.setFilter(QStringLiteral("10.0"));
        choice.tickShown();
        choice.untickShown(); // the hidden ticks stay
        QCOMPARE(choice.tickedInOrder(), (Cards{0, 1, 2}));
        choice.setFilter(QStringLiteral("b")); // names, case aside
        QCOMPARE(choice.shownInOrder(), (Cards{1}));
        choice.setFilter(QStringLiteral("1a:00:00:00:02")); // MACs, case aside
        QCOMPARE(choice.shownInOrder(), (Cards{3}));
    }

    void sortsNumbersAndAddressesAsNumbers_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<Cards>("order");
        QTest::newRow("IP down, no address first")
            << int(Column::Ip) << false << Cards{4, 2, 0, 1, 3};
        QTest::newRow("number up") << int(Column::Number) << true << Cards{2, 4, 0, 1, 3};
        QTest::newRow("name, ties in list order")
            << int(Column::Name) << true << Cards{0, 2, 1, 3, 4};
        QTest::newRow("MAC") << int(Column::Mac) << true << Cards{4, 3, 2, 1, 0};
        QTest::newRow("state, those that need attention first")
            << int(Column::State) << true << Cards{1, 4, 0, 2, 3};
    }
    void sortsNumbersAndAddressesAsNumbers() {
        QFETCH(int, column);
        QFETCH(bool, ascending);
        QFETCH(Cards, order);
        CardChoice choice = Five();
        for (std::size_t c = 0; c < choice.size(); ++c) {
            choice.setStateRank(c, c == 1 || c == 4 ? 0 : 1); // 1 and 4 failed
        }
        choice.sortBy(Column(column), ascending);
        QCOMPARE(choice.order(), order);
    }

    void shiftClickTicksTheShownRangeInTheOrderShown() {
        CardChoice choice = Five();
        choice.sortBy(Column::Ip, false);
        choice.setFilter(QStringLiteral("192.168.1.")); // shown: 2, 0, 1
        choice.click(0, false);
        choice.click(1, true);
        QCOMPARE(choice.tickedInOrder(), (Cards{0, 1}));
        // Shift+click on the other side: the range takes the anchor's state, and runs in the
        // order shown (in list order it would take card 1 too).
        choice.click(0, false); // unticks the anchor
        choice.click(2, true);
        QCOMPARE(choice.tickedInOrder(), (Cards{1}));
    }

    void spaceUnticksSelectedCardsThatAreAllTicked() {
        CardChoice choice = Five();
        choice.setTicked(1, true);
        choice.toggle({0, 1, 2}); // all ticked
        choice.toggle({0, 1, 2});
        QCOMPARE(choice.tickedCount(), std::size_t(0));
    }
};

QTEST_GUILESS_MAIN(CardChoiceTest)
#include "CardChoiceTest.moc"
