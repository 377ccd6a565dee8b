// The main window after start-up and after each language: texts, lists, layout, menus, About.

#include "StartedWindow.h"
#include "discovery/dialogs/SearchByIpDialog.h"
#include "discovery/dialogs/SearchDialog.h"
#include "net/AdapterDialog.h"
#include "platform/ScreenScale.h"
#include "support/RecordingMessageBoxes.h"
#include "ui/RadioGroup.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace uitest;
using namespace Qt::StringLiterals;

namespace {

const lang::TLanguage& Catalogue() {
    return *lang::GlobalCatalogues().current();
}
QString At(int section, std::size_t position) {
    return QString::fromStdString(
        Catalogue().TextAt(static_cast<lang::Section>(section), position));
}
QString Key(lang::Lookup lookup, const char* key) {
    return QString::fromStdString(lang::GlobalCatalogues().CatalogueText(lookup, key));
}
QString MenuKey(const QString& name) {
    for (const auto& entry : Catalogue().SectionEntries(lang::Section::Menus)) {
        if (QString::fromStdString(entry.key) == name) {
            return QString::fromStdString(entry.text);
        }
    }
    return {};
}

// Runs `inspect` on the modal dialog once it is up; a dialog that never appears is closed
// after a while so the test fails instead of hanging.
void WhenModal(const std::function<void(QDialog*)>& inspect) {
    QTimer::singleShot(
        0, [inspect] { inspect(qobject_cast<QDialog*>(QApplication::activeModalWidget())); });
    QTimer::singleShot(3000, [] {
        if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            open->reject();
        }
    });
}

const char* const kPanelHeaders[] = {"pnSizeSet",      "pnCommInterface",   "pnIPInfo",
                                     "pnInternalCode", "pnSoftwearVersion", "pnMacAddr",
                                     "pnServerCfg",    "pnDnsServer",       "pnServerPort"};
const char* const kRebuiltCombos[] = {
    "cmdPClor", "cmdScan",     "cmdDLamp", "cmdNLamp", "cmdOE",    "cmdDataBit",     "cmdSContent",
    "cmdCF",    "cmdRowOrder", "cmdComm",  "cmdRate",  "cmdTrans", "cmdEmptyDisplay"};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    testsupport::RecordingMessageBoxes boxes_;
    std::unique_ptr<platform::ScopedMessageBoxes> scoped_;

private slots:
    void init() { scoped_ = std::make_unique<platform::ScopedMessageBoxes>(boxes_); }
    void cleanup() {
        scoped_.reset();
        QVERIFY2(boxes_.texts.isEmpty(), qPrintable(boxes_.texts.join(QLatin1Char('|'))));
    }

    void everyTextComesFromTheCatalogue_data() {
        QTest::addColumn<int>("id");
        QTest::newRow("simplified") << 0;
        QTest::newRow("traditional") << 1;
        QTest::newRow("english") << 2;
    }
    void everyTextComesFromTheCatalogue() {
        QFETCH(int, id);
        auto w = StartedWindow();
        w->ApplyLanguage(true, static_cast<lang::LanguageId>(id));
        QCOMPARE(static_cast<int>(lang::GlobalCatalogues().currentId()), id);
        QCOMPARE(w->settings().LgType, id);

        for (std::size_t p = 0; p < std::size(kPanelHeaders); ++p) {
            QCOMPARE(Find<QLabel>(w.get(), kPanelHeaders[p])->text(), QString(6, u' ') + At(0, p));
        }
        // The many-card commands take their texts from a table of their own.
        const QStringList manyCards{u"menu_main_cards"_s,
                                    u"menu_sub_export_list"_s,
                                    u"menu_sub_save_parameters"_s,
                                    u"menu_sub_load_parameters"_s,
                                    u"menu_sub_write_several_cards"_s,
                                    u"menu_sub_restore_backup"_s};
        int menuItems = 0;
        for (QMenu* menu : w->findChildren<QMenu*>()) {
            if (menu->objectName().startsWith(QLatin1String("menu_")) &&
                !manyCards.contains(menu->objectName())) {
                QCOMPARE(menu->title(), MenuKey(menu->objectName()));
                ++menuItems;
            }
        }
        for (QAction* item : w->findChildren<QAction*>()) {
            if (item->objectName().startsWith(QLatin1String("menu_")) &&
                !manyCards.contains(item->objectName())) {
                QCOMPARE(item->text(), MenuKey(item->objectName()));
                ++menuItems;
            }
        }
        QCOMPARE(menuItems, 12);
        QCOMPARE(Find<QAction>(w.get(), "pmiSModm")->text(), MenuKey(u"menu_sub_search_device"_s));
        QCOMPARE(Find<QAction>(w.get(), "pmiClearList")->text(),
                 MenuKey(u"menu_sub_clear_device_list"_s));
        QCOMPARE(Find<QAction>(w.get(), "pmiExit")->text(), MenuKey(u"menu_sub_exit"_s));
        for (const char* separator : {"N1", "N2", "N3", "N4", "N5", "N10"}) {
            QCOMPARE(Find<QAction>(w.get(), separator)->text(), u"-"_s);
        }

        const char* buttons[] = {"btSModm", "btSend", "btRefresh"};
        for (std::size_t b = 0; b < 3; ++b) {
            QCOMPARE(Find<QPushButton>(w.get(), buttons[b])->text(), u"  "_s + At(2, b));
        }
        const std::pair<const char*, int> lists[] = {
            {"lvSizeSet", 3}, {"lvCommInterface", 4}, {"lvIPInfo", 5}};
        for (const auto& [name, section] : lists) {
            auto* list = Find<QTableWidget>(w.get(), name);
            const auto captions = Catalogue().RowCaptions(static_cast<lang::Section>(section));
            QCOMPARE(static_cast<std::size_t>(list->rowCount()), captions.size());
            for (int r = 0; r < list->rowCount(); ++r) {
                QCOMPARE(list->item(r, 0)->text(), QString::fromStdString(captions[r]));
            }
        }
        auto* devices = Find<QTableWidget>(w.get(), "lvModList");
        QCOMPARE(devices->columnCount(), 4);
        for (int c = 0; c < 4; ++c) {
            QCOMPARE(devices->horizontalHeaderItem(c)->text(), At(8, c));
        }
        QCOMPARE(w->windowTitle(), Key(lang::Lookup::Messages, "softwear_title") + u" V3.68"_s);
        QCOMPARE(Find<QRadioButton>(w.get(), "rBtnServerIP")->text(),
                 Key(lang::Lookup::ServerCaptions, "item_service_IP"));
        QCOMPARE(Find<QRadioButton>(w.get(), "rBtnServerDomain")->text(),
                 Key(lang::Lookup::ServerCaptions, "item_service_domain"));
        auto* group = Find<ui::TRadioGroup>(w.get(), "rGCfg");
        QCOMPARE(group->count(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(group->itemText(i), At(13, i));
        }
        QCOMPARE(Find<QCheckBox>(w.get(), "cbDNSAddr")->text(),
                 Key(lang::Lookup::DnsCaptions, "item_dns_set"));
    }

    // Texts written out from the catalogue tables, not computed through the catalogue.
    void knownTexts_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("simplified") << 0
                                    << QStringList{U("显示屏控制卡参数配置 V3.68"),
                                                   U("      常规参数"),
                                                   QString(16, u' ') + U("服务器端口"),
                                                   U("  搜索设备"),
                                                   U("退出(&E)"),
                                                   U("配置(&C)"),
                                                   U("像素宽度"),
                                                   U("内容为空时显示"),
                                                   U("序号"),
                                                   U("服务器IP"),
                                                   U("手工配置"),
                                                   U("DNS手工配置"),
                                                   U("不转换（默认）"),
                                                   U("强制上移"),
                                                   U("无138译码"),
                                                   U("静态扫描 (A)")};
        QTest::newRow("english") << 2
                                 << QStringList{
                                        U("Display control card parameter configuration V3.68"),
                                        U("      Size Setting"),
                                        QString(16, u' ') + U("Server Port"),
                                        U("  Search devices"),
                                        U("Exit(&E)"),
                                        U("Configuration(&C)"),
                                        U("Pixels Width"),
                                        U("Display when Empty"),
                                        U("Order Num"),
                                        U("Service IP"),
                                        U("Handle Set"),
                                        U("DNS Handle Set"),
                                        U("No Conversion (Default)"),
                                        U("Forced up "),
                                        U("No 138 decoding"),
                                        U("Static Scan (A)")};
    }
    void knownTexts() {
        QFETCH(int, id);
        QFETCH(QStringList, texts);
        auto w = StartedWindow();
        w->ApplyLanguage(true, static_cast<lang::LanguageId>(id));
        const QStringList shown{
            w->windowTitle(),
            Find<QLabel>(w.get(), "pnSizeSet")->text(),
            Find<QLabel>(w.get(), "pnServerPort")->text(),
            Find<QPushButton>(w.get(), "btSModm")->text(),
            Find<QAction>(w.get(), "menu_sub_exit")->text(),
            Find<QMenu>(w.get(), "menu_main_config")->title(),
            Find<QTableWidget>(w.get(), "lvSizeSet")->item(0, 0)->text(),
            Find<QTableWidget>(w.get(), "lvSizeSet")->item(11, 0)->text(),
            Find<QTableWidget>(w.get(), "lvModList")->horizontalHeaderItem(0)->text(),
            Find<QRadioButton>(w.get(), "rBtnServerIP")->text(),
            Find<ui::TRadioGroup>(w.get(), "rGCfg")->itemText(0),
            Find<QCheckBox>(w.get(), "cbDNSAddr")->text(),
            Find<QComboBox>(w.get(), "cmdTrans")->itemText(0),
            Find<QComboBox>(w.get(), "cmdTrans")->itemText(3),
            Find<QComboBox>(w.get(), "cmdRowOrder")->itemText(3),
            Find<QComboBox>(w.get(), "cmdScan")->itemText(48),
        };
        QCOMPARE(shown, texts);
    }

    void comboItemsAfterEachLanguage() {
        auto w = StartedWindow();
        for (int id : {0, 1, 2, 2}) {
            w->ApplyLanguage(true, static_cast<lang::LanguageId>(id));
            const std::pair<const char*, int> counts[] = {
                {"cmdPClor", 3},        {"cmdScan", 95},   {"cmdDLamp", 8},    {"cmdNLamp", 8},
                {"cmdOE", 2},           {"cmdDataBit", 2}, {"cmdSContent", 2}, {"cmdCF", 3},
                {"cmdRowOrder", 4},     {"cmdComm", 3},    {"cmdRate", 3},     {"cmdTrans", 4},
                {"cmdEmptyDisplay", 2}, {"cmdBaud", 5},    {"cmd485Addr", 99}};
            for (const auto& [name, count] : counts) {
                auto* combo = Find<QComboBox>(w.get(), name);
                QVERIFY2(combo->count() == count, name);
                QVERIFY2(combo->currentIndex() == -1, name);
                QVERIFY2(!combo->isEditable(), name);
            }
            QCOMPARE(Items(Find<QComboBox>(w.get(), "cmdBaud")),
                     (QStringList{u"9600"_s, u"19200"_s, u"38400"_s, u"57600"_s, u"115200"_s}));
            const QStringList addresses = Items(Find<QComboBox>(w.get(), "cmd485Addr"));
            QCOMPARE(addresses.first(), u"1"_s);
            QCOMPARE(addresses.at(41), u"42"_s);
            QCOMPARE(addresses.last(), u"99"_s);
            const QStringList lamp = Items(Find<QComboBox>(w.get(), "cmdDLamp"));
            QCOMPARE(lamp.mid(1, 6), (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s}));
            QCOMPARE(lamp.first(), At(12, 4));
            QCOMPARE(lamp.last(), At(12, 5));
            QCOMPARE(Items(Find<QComboBox>(w.get(), "cmdNLamp")), lamp);
            const QStringList scan = Items(Find<QComboBox>(w.get(), "cmdScan"));
            QCOMPARE(scan.at(0), u"1/16 (A)"_s);
            QCOMPARE(scan.at(48), At(12, 3) + u" (A)"_s);
            QCOMPARE(scan.at(60), At(12, 3) + u" (M)"_s);
            QCOMPARE(scan.at(94), u"1/6  (D)"_s);
            QCOMPARE(w->scanModes().entries().size(), std::size_t{95});
            QCOMPARE(Items(Find<QComboBox>(w.get(), "cmdRowOrder")),
                     (QStringList{At(12, 11), At(12, 12), At(12, 13), At(12, 26)}));
        }
    }

    void pixelColourItemsFollowCardColor_data() {
        QTest::addColumn<int>("cardColor");
        QTest::addColumn<int>("items");
        QTest::newRow("3") << 3 << 3;
        QTest::newRow("2") << 2 << 2;
        QTest::newRow("0") << 0 << 2;
    }
    void pixelColourItemsFollowCardColor() {
        QFETCH(int, cardColor);
        QFETCH(int, items);
        Profile profile;
        profile.cardColor = cardColor;
        auto w = StartedWindow(profile);
        auto* colour = Find<QComboBox>(w.get(), "cmdPClor");
        QCOMPARE(colour->count(), items);
        QCOMPARE(colour->itemText(items - 1), At(12, static_cast<std::size_t>(items - 1)));
    }

    void languageSwitchDropsChoicesAndKeepsEdits() {
        auto w = StartedWindow();
        Find<QLineEdit>(w.get(), "edtPLen")->setText(u"128"_s);
        Find<QLineEdit>(w.get(), "edtDomain")->setText(u"led.example.org"_s);
        for (int id : {2, 2, 1}) { // the same language again drops the choices too
            for (QComboBox* combo : w->findChildren<QComboBox*>()) {
                combo->setCurrentIndex(1);
            }
            w->ApplyLanguage(true, static_cast<lang::LanguageId>(id));
            for (const char* name : kRebuiltCombos) {
                QVERIFY2(Find<QComboBox>(w.get(), name)->currentIndex() == -1, name);
            }
            QCOMPARE(Find<QComboBox>(w.get(), "cmdBaud")->currentIndex(), 1);
            QCOMPARE(Find<QComboBox>(w.get(), "cmd485Addr")->currentIndex(), 1);
            QCOMPARE(Find<QLineEdit>(w.get(), "edtPLen")->text(), u"128"_s);
            QCOMPARE(Find<QLineEdit>(w.get(), "edtDomain")->text(), u"led.example.org"_s);
        }
    }

    void languageMenuIsOneRadioGroup() {
        auto w = StartedWindow();
        auto* simplified = Find<QAction>(w.get(), "menu_sub_simplechn");
        auto* traditional = Find<QAction>(w.get(), "menu_sub_traditionalchn");
        auto* english = Find<QAction>(w.get(), "menu_sub_english");
        QVERIFY(simplified->isChecked());
        english->trigger();
        QVERIFY(english->isChecked() && !simplified->isChecked() && !traditional->isChecked());
        QCOMPARE(w->settings().LgType, 2);
        QCOMPARE(w->windowTitle(), u"Display control card parameter configuration V3.68"_s);
        simplified->trigger();
        QVERIFY(simplified->isChecked() && !english->isChecked());
        QCOMPARE(w->settings().LgType, 0);
        QCOMPARE(w->windowTitle(), U("显示屏控制卡参数配置 V3.68"));
    }

    void startUpLanguageFromLocale_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("simplifiedItem");
        QTest::addColumn<bool>("traditionalItem");
        QTest::newRow("no file, China")
            << 0 << QLocale(QLocale::Chinese, QLocale::China) << 0 << true << false;
        QTest::newRow("1 on Singapore")
            << 1 << QLocale(QLocale::Chinese, QLocale::Singapore) << 0 << true << false;
        QTest::newRow("2 on Taiwan")
            << 2 << QLocale(QLocale::Chinese, QLocale::Taiwan) << 2 << false << true;
        QTest::newRow("0 on Hong Kong")
            << 0 << QLocale(QLocale::Chinese, QLocale::HongKong) << 1 << false << true;
        QTest::newRow("0 on English")
            << 0 << QLocale(QLocale::English, QLocale::UnitedStates) << 2 << false << false;
    }
    void startUpLanguageFromLocale() {
        QFETCH(int, stored);
        QFETCH(QLocale, locale);
        QFETCH(int, language);
        QFETCH(bool, simplifiedItem);
        QFETCH(bool, traditionalItem);
        Profile profile;
        profile.lgType = stored;
        profile.locale = locale;
        auto w = StartedWindow(profile);
        QCOMPARE(w->settings().LgType, language);
        QCOMPARE(static_cast<int>(lang::GlobalCatalogues().currentId()), language);
        QCOMPARE(Find<QAction>(w.get(), "menu_sub_simplechn")->isVisible(), simplifiedItem);
        QCOMPARE(Find<QAction>(w.get(), "menu_sub_traditionalchn")->isVisible(), traditionalItem);
        QVERIFY(Find<QAction>(w.get(), "menu_sub_english")->isVisible());
        const char* items[] = {"menu_sub_simplechn", "menu_sub_traditionalchn", "menu_sub_english"};
        QVERIFY(Find<QAction>(w.get(), items[language])->isChecked());
    }

    void dhcpProfile_data() {
        QTest::addColumn<int>("dhcp");
        QTest::addColumn<bool>("dnsShown");
        QTest::addColumn<int>("height");
        QTest::newRow("0 hides") << 0 << false << 630;
        QTest::newRow("1 shows") << 1 << true << 713;
        QTest::newRow("2 shows") << 2 << true << 713;
    }
    void dhcpProfile() {
        QFETCH(int, dhcp);
        QFETCH(bool, dnsShown);
        QFETCH(int, height);
        Profile profile;
        profile.dhcp = dhcp;
        auto w = StartedWindow(profile);
        const double factor = platform::ScreenScaleFactor(w->screen());
        auto* group = Find<ui::TRadioGroup>(w.get(), "rGCfg");
        QCOMPARE(!group->isHidden(), dnsShown);
        QCOMPARE(group->isEnabled(), dnsShown);
        QCOMPARE(group->itemIndex(), dnsShown ? 0 : -1);
        QCOMPARE(!Find<QWidget>(w.get(), "pnDnsServer")->isHidden(), dnsShown);
        QCOMPARE(!Find<QWidget>(w.get(), "pnDnsMode")->isHidden(), dnsShown);
        QCOMPARE(w->height(), platform::ScaledSize(height, factor));
        QCOMPARE(w->width(), platform::ScaledSize(793, factor));
        // Start-up leaves the DNS row manual whether or not it is shown.
        QVERIFY(Find<QCheckBox>(w.get(), "cbDNSAddr")->isChecked());
        QVERIFY(Find<QLineEdit>(w.get(), "edtDNS1")->isEnabled());
        QVERIFY(Find<QRadioButton>(w.get(), "rBtnServerIP")->isChecked());

        w->show(); // the layouts must let the window keep that height
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(w->height(), platform::ScaledSize(height, factor));
    }

    void labelRowsStandLevelWithTheirEditors() {
        Profile profile;
        profile.dhcp = 1;
        auto w = StartedWindow(profile);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const auto check = [&](const char* listName, int row,
                               std::initializer_list<const char*> editors) {
            auto* list = Find<QTableWidget>(w.get(), listName);
            const QRect cell = list->visualItemRect(list->item(row, 0));
            const QPoint top = list->viewport()->mapTo(w.get(), cell.topLeft());
            for (const char* name : editors) {
                auto* editor = Find<QWidget>(w.get(), name);
                const QPoint at = editor->mapTo(w.get(), QPoint(0, 0));
                QVERIFY2(at.y() == top.y(), name);
                QVERIFY2(editor->height() == 18 && list->rowHeight(row) == 18, name);
                QVERIFY2(at.x() > top.x() + 120, name);
            }
        };
        const char* size[] = {"edtPLen",     "edtPHeight", "cmdPClor",    "cmdScan",
                              "cmdDLamp",    "cmdNLamp",   "cmdOE",       "cmdDataBit",
                              "cmdSContent", "cmdCF",      "cmdRowOrder", "cmdEmptyDisplay"};
        for (int r = 0; r < 12; ++r) {
            check("lvSizeSet", r, {size[r]});
        }
        const char* comm[] = {"cmdComm", "cmdBaud", "cmdRate", "cmdTrans", "cmd485Addr"};
        for (int r = 0; r < 5; ++r) {
            check("lvCommInterface", r, {comm[r]});
        }
        check("lvIPInfo", 0, {"edtIP1", "edtIP2", "edtIP3", "edtIP4"});
        check("lvIPInfo", 1, {"edtC1", "edtC2", "edtC3", "edtC4"});
        check("lvIPInfo", 2, {"edtGate1", "edtGate2", "edtGate3", "edtGate4"});
        QCOMPARE(Find<QWidget>(w.get(), "Panel1")->width(), 303);
    }

    // A separator keeps its caption "-", yet every menu draws and sizes it as a bare line,
    // exactly as the application's own style draws a separator without text.
    void separatorsAreBareLines() {
        auto w = StartedWindow();
        QStyleOptionMenuItem captioned;
        captioned.menuItemType = QStyleOptionMenuItem::Separator;
        captioned.text = u"-"_s;
        captioned.rect = QRect(0, 0, 120, 20);
        captioned.palette = QApplication::palette();
        captioned.fontMetrics = QFontMetrics(QApplication::font());
        QStyleOptionMenuItem bare = captioned;
        bare.text.clear();
        const auto drawn = [](const QStyle* style, const QStyleOptionMenuItem& option) {
            QImage image(option.rect.size(), QImage::Format_ARGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            style->drawControl(QStyle::CE_MenuItem, &option, &painter);
            return image;
        };
        const QStyle* plain = QApplication::style();
        if (drawn(plain, captioned) == drawn(plain, bare)) {
            QSKIP("this style never draws a separator's caption"); // the Windows styles
        }

        const auto menus = w->findChildren<QMenu*>();
        // Configuration, language, many cards, help, the device list's pop-up.
        QCOMPARE(menus.size(), 5);
        for (const QMenu* menu : menus) {
            const QStyle* style = menu->style();
            QVERIFY(drawn(style, captioned) == drawn(plain, bare));
            QCOMPARE(style->sizeFromContents(QStyle::CT_MenuItem, &captioned, QSize(0, 0)),
                     plain->sizeFromContents(QStyle::CT_MenuItem, &bare, QSize(0, 0)));
        }
    }

    void clearDeviceListFromMenuAndPopup() {
        auto w = StartedWindow();
        auto* devices = Find<QTableWidget>(w.get(), "lvModList");
        for (const char* command : {"menu_sub_clear_device_list", "pmiClearList"}) {
            devices->setRowCount(3);
            devices->setItem(0, 0, new QTableWidgetItem(u"1"_s));
            Find<QAction>(w.get(), command)->trigger();
            QVERIFY2(devices->rowCount() == 0, command);
            QCOMPARE(devices->columnCount(), 4);
        }
    }

    void exitFromMenuAndPopupClosesTheWindow() {
        auto w = StartedWindow();
        for (const char* command : {"menu_sub_exit", "pmiExit"}) {
            w->show();
            QVERIFY(w->isVisible());
            Find<QAction>(w.get(), command)->trigger();
            QVERIFY2(!w->isVisible(), command);
        }
    }

    void timersStoppedWithTheirIntervals() {
        auto w = StartedWindow();
        const std::pair<const char*, int> timers[] = {
            {"tSendSpan", 1200}, {"tDelay", 5000}, {"tMody", 2000}};
        for (const auto& [name, interval] : timers) {
            auto* timer = Find<QTimer>(w.get(), name);
            QVERIFY2(timer != nullptr && !timer->isActive(), name);
            QCOMPARE(timer->interval(), interval);
            QCOMPARE(timer->timerType(), Qt::PreciseTimer);
        }
    }

    // A screen reader names an editor by its accessible name; the captions stand beside the
    // editors in list rows, header strips and radio buttons, so each editor must carry its
    // row's caption, in the language in force.
    void editorsAreNamedByTheirRowCaption() {
        // Editor -> where its row caption stands: a label list and row, or a widget.
        struct Row {
            const char* editor;
            const char* caption;
            int row;
        };
        const Row rows[] = {
            {"edtPLen", "lvSizeSet", 0},
            {"edtPHeight", "lvSizeSet", 1},
            {"cmdPClor", "lvSizeSet", 2},
            {"cmdScan", "lvSizeSet", 3},
            {"cmdDLamp", "lvSizeSet", 4},
            {"cmdNLamp", "lvSizeSet", 5},
            {"cmdOE", "lvSizeSet", 6},
            {"cmdDataBit", "lvSizeSet", 7},
            {"cmdSContent", "lvSizeSet", 8},
            {"cmdCF", "lvSizeSet", 9},
            {"cmdRowOrder", "lvSizeSet", 10},
            {"cmdEmptyDisplay", "lvSizeSet", 11},
            {"cmdComm", "lvCommInterface", 0},
            {"cmdBaud", "lvCommInterface", 1},
            {"cmdRate", "lvCommInterface", 2},
            {"cmdTrans", "lvCommInterface", 3},
            {"cmd485Addr", "lvCommInterface", 4},
            {"edtIP1", "lvIPInfo", 0},
            {"edtIP2", "lvIPInfo", 0},
            {"edtIP3", "lvIPInfo", 0},
            {"edtIP4", "lvIPInfo", 0},
            {"edtC1", "lvIPInfo", 1},
            {"edtC2", "lvIPInfo", 1},
            {"edtC3", "lvIPInfo", 1},
            {"edtC4", "lvIPInfo", 1},
            {"edtGate1", "lvIPInfo", 2},
            {"edtGate2", "lvIPInfo", 2},
            {"edtGate3", "lvIPInfo", 2},
            {"edtGate4", "lvIPInfo", 2},
            {"edtDNS1", "pnDnsServer", -1},
            {"edtDNS2", "pnDnsServer", -1},
            {"edtDNS3", "pnDnsServer", -1},
            {"edtDNS4", "pnDnsServer", -1},
            {"edtDIP1", "rBtnServerIP", -1},
            {"edtDIP2", "rBtnServerIP", -1},
            {"edtDIP3", "rBtnServerIP", -1},
            {"edtDIP4", "rBtnServerIP", -1},
            {"edtDomain", "rBtnServerDomain", -1},
            {"edtDPort", "pnServerPort", -1},
            {"edtInnerCode_Hex", "pnInternalCode", -1},
            {"edtInnerCode_Dec", "pnInternalCode", -1},
            {"edtVersion", "pnSoftwearVersion", -1},
            {"edtMACAddr", "pnMacAddr", -1},
        };
        const auto nameOf = [](QWidget* editor) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(editor);
            return face ? face->text(QAccessible::Name) : u"(no interface)"_s;
        };
        Profile profile;
        profile.dhcp = 1;
        auto w = StartedWindow(profile);
        // Each language, and the first one again after the others.
        const struct {
            void (ui::MainWindow::*choose)();
            const char* pixelsWidth;
            const char* serverPort;
            const char* dnsServer;
            const char* domain;
        } languages[] = {
            {&ui::MainWindow::menu_sub_englishClick, "Pixels Width", "Server Port", "DNS Server",
             "Service Domain"},
            {&ui::MainWindow::menu_sub_traditionalchnClick, "像素長度", "服務器端口", "DNS服務器",
             "服務器域名"},
            {&ui::MainWindow::menu_sub_simplechnClick, "像素宽度", "服务器端口", "DNS服务器",
             "服务器域名"},
            {&ui::MainWindow::menu_sub_englishClick, "Pixels Width", "Server Port", "DNS Server",
             "Service Domain"},
        };
        for (const auto& language : languages) {
            (w.get()->*language.choose)();
            int editors = 0;
            for (const Row& row : rows) {
                auto* editor = Find<QWidget>(w.get(), row.editor);
                QVERIFY2(editor, row.editor);
                QString caption;
                if (row.row >= 0) {
                    caption = Find<QTableWidget>(w.get(), row.caption)->item(row.row, 0)->text();
                } else if (auto* label = Find<QLabel>(w.get(), row.caption)) {
                    caption = label->text();
                } else {
                    caption = Find<QRadioButton>(w.get(), row.caption)->text();
                }
                QVERIFY2(!caption.trimmed().isEmpty(), row.editor);
                QVERIFY2(nameOf(editor) == caption.trimmed(),
                         qPrintable(QString::fromLatin1(row.editor) + u": "_s + nameOf(editor) +
                                    u" / "_s + caption));
                ++editors;
            }
            QCOMPARE(editors, 23 + 15 + 1 + 4);
            QCOMPARE(nameOf(Find<QWidget>(w.get(), "edtPLen")), U(language.pixelsWidth));
            QCOMPARE(nameOf(Find<QWidget>(w.get(), "edtDPort")), U(language.serverPort));
            QCOMPARE(nameOf(Find<QWidget>(w.get(), "edtDNS3")), U(language.dnsServer));
            QCOMPARE(nameOf(Find<QWidget>(w.get(), "edtDomain")), U(language.domain));
        }
    }

    void aboutShowsVersionAndClosesOnOk() {
        Profile profile;
        profile.lgType = 2;
        auto w = StartedWindow(profile);
        QPointer<QDialog> about;
        QString title, verNo, rights;
        WhenModal([&](QDialog* dialog) {
            QVERIFY(dialog);
            about = dialog;
            title = dialog->windowTitle();
            verNo = Find<QLabel>(dialog, "lbVerNo")->text();
            rights = Find<QLabel>(dialog, "lbVersion")->text();
            QVERIFY(Find<QLabel>(dialog, "Image1")->pixmap().size() == QSize(35, 33));
            QTest::mouseClick(Find<QPushButton>(dialog, "Button1"), Qt::LeftButton);
        });
        w->menu_sub_aboutClick();
        QVERIFY(about.isNull()); // gone once closed
        QCOMPARE(title, u"About..."_s);
        QCOMPARE(verNo, u"Version   V3.68"_s);
        QVERIFY2(rights.startsWith(u"All Rights Reserved \u00a9 2026"_s), qPrintable(rights));
    }

    void aboutClosesOnItsSurfaceAndIsFreshEachTime() {
        auto w = StartedWindow();
        QPointer<QDialog> first;
        QString firstTitle;
        WhenModal([&](QDialog* dialog) {
            QVERIFY(dialog);
            first = dialog;
            firstTitle = dialog->windowTitle();
            QTest::mouseClick(dialog, Qt::LeftButton, {}, QPoint(10, dialog->height() - 10));
        });
        w->menu_sub_aboutClick();
        QVERIFY(first.isNull());
        QCOMPARE(firstTitle, U("关于..."));

        // The next one is built anew and takes the language in force now.
        w->ApplyLanguage(true, lang::LanguageId::English);
        bool secondSeen = false;
        QString secondTitle;
        WhenModal([&](QDialog* dialog) {
            QVERIFY(dialog);
            secondSeen = true;
            secondTitle = dialog->windowTitle();
            Find<QPushButton>(dialog, "Button1")->click();
        });
        w->menu_sub_aboutClick();
        QVERIFY(secondSeen);
        QCOMPARE(secondTitle, u"About..."_s);
    }

    // Menu captions, scripts and the names table find the windows by these names.
    void windowsKeepTheirObjectNames() {
        auto w = StartedWindow();
        QString about;
        WhenModal([&](QDialog* dialog) {
            QVERIFY(dialog);
            about = dialog->objectName();
            dialog->accept();
        });
        w->menu_sub_aboutClick();
        QString search;
        w->session().runSearchDialog = [&](discovery::SearchDialog& dialog) {
            search = dialog.objectName();
        };
        w->menu_sub_search_deviceClick();

        const struct {
            QString actual;
            const char* expected;
        } windows[] = {
            {w->objectName(), "TForm1"},
            {about, "TForm2"},
            {search, "TForm3"},
            {w->searchByIpDialog().objectName(), "TformAssignIP"},
            {w->adapterDialog().objectName(), "TfrmMulNetCardChoice"},
        };
        for (const auto& window : windows) {
            QCOMPARE(window.actual, QLatin1String(window.expected));
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
