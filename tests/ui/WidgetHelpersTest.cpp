// Pure helpers: scaling, locale codes and the language choice, combo and caption fillers, the
// radio group.

#include "lang/Catalogue.h"
#include "platform/ScreenScale.h"
#include "ui/CatalogueWidgets.h"
#include "ui/LanguageChoice.h"
#include "ui/RadioGroup.h"

#include <QComboBox>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using ui::ChineseMenuItem;

Q_DECLARE_METATYPE(ui::ChineseMenuItem)

class WidgetHelpersTest : public QObject {
    Q_OBJECT

private slots:
    void scaledSize_data() {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("scaled");
        QTest::newRow("96 width") << 96.0 << 793 << 793;
        QTest::newRow("96 height") << 96.0 << 713 << 713;
        QTest::newRow("120 width") << 120.0 << 793 << 991;
        QTest::newRow("120 height") << 120.0 << 713 << 891;
        QTest::newRow("120 short height, half to even up") << 120.0 << 630 << 788;
        QTest::newRow("144 width, half to even up") << 144.0 << 793 << 1190;
        QTest::newRow("144 half to even down") << 144.0 << 5 << 8; // 7.5
        QTest::newRow("144 about width") << 144.0 << 306 << 459;
    }
    void scaledSize() {
        QFETCH(double, dpi);
        QFETCH(int, size);
        QFETCH(int, scaled);
        QCOMPARE(platform::ScaledSize(size, dpi / 96.0), scaled);
    }

    void noScreenMeansNoScaling() { QCOMPARE(platform::ScreenScaleFactor(nullptr), 1.0); }

    void localeCodes_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("code");
        QTest::newRow("China") << QLocale(QLocale::Chinese, QLocale::China) << u"CHS"_s;
        QTest::newRow("Singapore") << QLocale(QLocale::Chinese, QLocale::Singapore) << u"ZHI"_s;
        QTest::newRow("Taiwan") << QLocale(QLocale::Chinese, QLocale::Taiwan) << u"CHT"_s;
        QTest::newRow("Hong Kong") << QLocale(QLocale::Chinese, QLocale::HongKong) << u"ZHH"_s;
        QTest::newRow("Macao") << QLocale(QLocale::Chinese, QLocale::Macao) << u"ZHM"_s;
        QTest::newRow("zh_TW by name") << QLocale(u"zh_TW"_s) << u"CHT"_s;
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << u"ENG"_s;
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << u"DEU"_s;
        QTest::newRow("C") << QLocale::c() << QString();
    }
    void localeCodes() {
        QFETCH(QLocale, locale);
        QFETCH(QString, code);
        QCOMPARE(ui::LocaleLanguageCode(locale), code);
    }

    void chooseLanguage_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("language");
        QTest::addColumn<ChineseMenuItem>("item");
        QTest::newRow("0 CHS") << 0 << u"CHS"_s << 0 << ChineseMenuItem::Simplified;
        QTest::newRow("1 CHS saves 0") << 1 << u"CHS"_s << 0 << ChineseMenuItem::Simplified;
        QTest::newRow("0 ZHI") << 0 << u"ZHI"_s << 0 << ChineseMenuItem::Simplified;
        QTest::newRow("0 CHT") << 0 << u"CHT"_s << 1 << ChineseMenuItem::Traditional;
        QTest::newRow("0 ZHH") << 0 << u"ZHH"_s << 1 << ChineseMenuItem::Traditional;
        QTest::newRow("7 ZHM") << 7 << u"ZHM"_s << 1 << ChineseMenuItem::Traditional;
        QTest::newRow("2 CHT stays English") << 2 << u"CHT"_s << 2 << ChineseMenuItem::Traditional;
        QTest::newRow("2 CHS stays English") << 2 << u"CHS"_s << 2 << ChineseMenuItem::Simplified;
        QTest::newRow("0 ENG") << 0 << u"ENG"_s << 2 << ChineseMenuItem::None;
        QTest::newRow("1 failed query") << 1 << QString() << 2 << ChineseMenuItem::None;
        QTest::newRow("-1 lower case is not a code")
            << -1 << u"chs"_s << 2 << ChineseMenuItem::None;
    }
    void chooseLanguage() {
        QFETCH(int, stored);
        QFETCH(QString, code);
        QFETCH(int, language);
        QFETCH(ChineseMenuItem, item);
        const ui::LanguageChoice choice = ui::ChooseLanguage(stored, code);
        QCOMPARE(static_cast<int>(choice.language), language);
        QCOMPARE(choice.visibleChinese, item);
    }

    void setComboItemsSplitsAtCommas() {
        QComboBox combo;
        combo.addItems({u"old"_s, u"older"_s});
        combo.setCurrentIndex(1);
        ui::SetComboItems(&combo, u"1,2,,x y"_s);
        QCOMPARE(combo.count(), 4);
        QCOMPARE(combo.itemText(2), QString());
        QCOMPARE(combo.itemText(3), u"x y"_s);
        QCOMPARE(combo.currentIndex(), -1);
    }

    void columnCaptionsForTablesAndTrees() {
        const lang::TEnglish english;
        QTableWidget table(0, 4);
        ui::ApplyColumnCaptions(&table, &english);
        QCOMPARE(table.horizontalHeaderItem(0)->text(), u"Order Num"_s);
        QCOMPARE(table.horizontalHeaderItem(3)->text(), u"IP Address"_s);
        QTreeWidget tree;
        tree.setColumnCount(4);
        ui::ApplyColumnCaptions(&tree, &english);
        QCOMPARE(tree.headerItem()->text(1), u"Device Model"_s);
        QCOMPARE(tree.headerItem()->text(2), u"Mac Address"_s);
    }

    void menuRelabellingKeepsSeparatorsAndUnknownNamesGoEmpty() {
        const lang::TEnglish english;
        QMenuBar bar;
        QMenu* config = bar.addMenu(u"x"_s);
        config->setObjectName(u"menu_main_config"_s);
        QAction* exit = config->addAction(u"x"_s);
        exit->setObjectName(u"menu_sub_exit"_s);
        QAction* separator = config->addAction(u"-"_s);
        separator->setSeparator(true);
        QAction* stranger = config->addAction(u"x"_s);
        stranger->setObjectName(u"menu_sub_unknown"_s);
        QMenu* languages = config->addMenu(u"x"_s);
        languages->setObjectName(u"menu_sub_languge"_s);
        QAction* english_item = languages->addAction(u"x"_s);
        english_item->setObjectName(u"menu_sub_english"_s);
        ui::RelabelMenuBar(&bar, english);
        QCOMPARE(config->title(), u"Configuration(&C)"_s);
        QCOMPARE(exit->text(), u"Exit(&E)"_s);
        QCOMPARE(separator->text(), u"-"_s);
        QCOMPARE(stranger->text(), QString());
        QCOMPARE(languages->title(), u"Languge"_s);
        QCOMPARE(english_item->text(), u"English"_s);
    }

    void radioGroupIndexAndOperatorClicks() {
        ui::TRadioGroup group;
        for (int i = 0; i < 3; ++i) {
            new QRadioButton(QString::number(i), &group);
        }
        QCOMPARE(group.count(), 3);
        QCOMPARE(group.itemIndex(), -1);
        QSignalSpy clicked(&group, &ui::TRadioGroup::clicked);
        group.setItemIndex(2);
        QCOMPARE(group.itemIndex(), 2);
        QCOMPARE(clicked.count(), 0); // the program's choice is not a click
        group.item(2)->click();
        QCOMPARE(clicked.count(), 0); // the same item again changes nothing
        group.item(0)->click();
        QCOMPARE(group.itemIndex(), 0);
        QCOMPARE(clicked.count(), 1);
        group.setItemIndex(-1);
        QCOMPARE(group.itemIndex(), -1);
        QVERIFY(!group.item(0)->isChecked());
        group.setItemIndex(3);
        QCOMPARE(group.itemIndex(), -1);
        group.item(0)->click();
        QCOMPARE(clicked.count(), 2);
    }
};

QTEST_MAIN(WidgetHelpersTest)
#include "WidgetHelpersTest.moc"
