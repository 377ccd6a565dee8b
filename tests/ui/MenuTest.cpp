// The main menu and the device list's pop-up menu as the operator meets them: items in order,
// separators, and each item clicked with the mouse reaching its command. Exit ends the program
// and leaves the settings file behind.

#include "StartedWindow.h"
#include "discovery/dialogs/SearchByIpDialog.h"
#include "net/AdapterList.h"
#include "settings/SettingsStore.h"
#include "support/RecordingMessageBoxes.h"
#include "ui/Program.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace uitest;
using namespace Qt::StringLiterals;

namespace {

// A menu's entries by name; a submenu by its menu's name, a separator as "-name".
QStringList Entries(const QMenu* menu) {
    QStringList names;
    for (const QAction* action : menu->actions()) {
        if (action->menu()) {
            names << action->menu()->objectName();
        } else {
            names << (action->isSeparator() ? u"-"_s : QString()) + action->objectName();
        }
    }
    return names;
}

// Clicks `item` in an open menu with the mouse.
void ClickItem(QMenu* menu, const QString& item) {
    QAction* action = nullptr;
    for (QAction* a : menu->actions()) {
        if ((a->menu() ? a->menu()->objectName() : a->objectName()) == item) {
            action = a;
        }
    }
    QVERIFY2(action && action->isVisible() && action->isEnabled(), qPrintable(item));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

// Opens the menu bar's menu path[0] with the mouse, then each submenu, and clicks the last.
void ChooseFromMenuBar(QWidget* window, const QStringList& path) {
    auto* bar = Find<QMenuBar>(window, "mainMenu");
    auto* menu = window->findChild<QMenu*>(path.first());
    QVERIFY(bar && menu);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    QTRY_VERIFY(menu->isVisible());
    for (qsizetype i = 1; i + 1 < path.size(); ++i) {
        auto* sub = window->findChild<QMenu*>(path[i]);
        ClickItem(menu, path[i]);
        QTRY_VERIFY(sub->isVisible());
        menu = sub;
    }
    ClickItem(menu, path.last());
}

// Right-clicks the device list and clicks `item` in the menu that pops up.
void ChooseFromPopup(ui::MainWindow* window, const QString& item) {
    QWidget* viewport = Find<QTableWidget>(window, "lvModList")->viewport();
    const QPoint at(20, 20);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &click);
    QTRY_VERIFY(window->pMenuItem()->isVisible());
    ClickItem(window->pMenuItem(), item);
}

// Runs `inspect` on the modal dialog once it is up; one that never appears is closed after a
// while so the test fails instead of hanging.
void WhenModal(const std::function<void(QDialog*)>& inspect) {
    QTimer::singleShot(
        0, [inspect] { inspect(qobject_cast<QDialog*>(QApplication::activeModalWidget())); });
    QTimer::singleShot(3000, [] {
        if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            open->reject();
        }
    });
}

std::unique_ptr<ui::MainWindow> ShownWindow(const Profile& profile = {}) {
    auto w = StartedWindow(profile);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get())) {
        qWarning("window not exposed");
    }
    return w;
}

void FillDeviceList(ui::MainWindow& w) {
    w.appendDeviceRows({{1, "LED", "00:1A:2B:3C:4D:5E", "192.168.1.100", 0},
                        {2, "LED", "00:1A:2B:3C:4D:5F", "192.168.1.101", 0}});
}

} // namespace

class MenuTest : public QObject {
    Q_OBJECT

    testsupport::RecordingMessageBoxes boxes_;
    std::unique_ptr<platform::ScopedMessageBoxes> scoped_;
    QTemporaryDir lock_;

private slots:
    void init() {
        boxes_.texts.clear();
        scoped_ = std::make_unique<platform::ScopedMessageBoxes>(boxes_);
    }
    void cleanup() { scoped_.reset(); }

    void itemsInOrderWithTheirSeparators() {
        auto w = StartedWindow();
        QStringList bar;
        for (const QAction* a : Find<QMenuBar>(w.get(), "mainMenu")->actions()) {
            bar << (a->menu() ? a->menu()->objectName() : a->objectName());
        }
        QCOMPARE(bar,
                 (QStringList{u"menu_main_config"_s, u"menu_main_cards"_s, u"menu_main_help"_s}));
        QCOMPARE(
            Entries(Find<QMenu>(w.get(), "menu_main_config")),
            (QStringList{u"menu_sub_search_device"_s, u"menu_sub_search_device_assign_ip"_s,
                         u"-N1"_s, u"menu_sub_network"_s, u"-N4"_s, u"menu_sub_clear_device_list"_s,
                         u"-N5"_s, u"menu_sub_languge"_s, u"-N10"_s, u"menu_sub_exit"_s}));
        QCOMPARE(Entries(Find<QMenu>(w.get(), "menu_sub_languge")),
                 (QStringList{u"menu_sub_simplechn"_s, u"menu_sub_traditionalchn"_s,
                              u"menu_sub_english"_s}));
        QCOMPARE(Entries(Find<QMenu>(w.get(), "menu_main_help")), QStringList{u"menu_sub_about"_s});
        QCOMPARE(Entries(w->pMenuItem()),
                 (QStringList{u"pmiSModm"_s, u"-N2"_s, u"pmiClearList"_s, u"pmiExportList"_s,
                              u"-N3"_s, u"pmiExit"_s}));

        // The language items are radio items: one group, one checked.
        const QActionGroup* group = Find<QAction>(w.get(), "menu_sub_english")->actionGroup();
        QVERIFY(group && group->isExclusive());
        for (const char* name : {"menu_sub_simplechn", "menu_sub_traditionalchn"}) {
            QCOMPARE(Find<QAction>(w.get(), name)->actionGroup(), group);
        }
    }

    void searchItemsStartASearch_data() {
        QTest::addColumn<QStringList>("path"); // empty menu name: the pop-up
        QTest::addColumn<QString>("address");
        QTest::newRow("menu_sub_search_device")
            << QStringList{u"menu_main_config"_s, u"menu_sub_search_device"_s} << QString();
        QTest::newRow("pmiSModm") << QStringList{QString(), u"pmiSModm"_s} << QString();
        QTest::newRow("menu_sub_search_device_assign_ip")
            << QStringList{u"menu_main_config"_s, u"menu_sub_search_device_assign_ip"_s}
            << u"10.1.2.3"_s;
    }
    void searchItemsStartASearch() {
        QFETCH(QStringList, path);
        QFETCH(QString, address);
        auto w = ShownWindow();
        FillDeviceList(*w);
        int searches = 0;
        QString searchedAt = u"none"_s;
        w->session().runSearchDialog = [&](discovery::SearchDialog&) {
            ++searches;
            searchedAt = w->session().searchAddress();
        };
        if (!address.isEmpty()) {
            WhenModal([&](QDialog* dialog) {
                QVERIFY(qobject_cast<discovery::SearchByIpDialog*>(dialog));
                const QStringList octets = address.split(u'.');
                for (int i = 0; i < 4; ++i) {
                    const QByteArray name = "edtIP" + QByteArray::number(i + 1);
                    dialog->findChild<QLineEdit*>(QString::fromLatin1(name))->setText(octets[i]);
                }
                QTest::mouseClick(Find<QPushButton>(dialog, "Button1"), Qt::LeftButton);
            });
        }
        if (path.first().isEmpty()) {
            ChooseFromPopup(w.get(), path.last());
        } else {
            ChooseFromMenuBar(w.get(), path);
        }
        QCOMPARE(searches, 1);
        QCOMPARE(searchedAt, address);
        QCOMPARE(w->deviceRowCount(), 0); // a search empties the list first
    }

    void clearItemsEmptyTheList_data() {
        QTest::addColumn<QStringList>("path");
        QTest::newRow("menu_sub_clear_device_list")
            << QStringList{u"menu_main_config"_s, u"menu_sub_clear_device_list"_s};
        QTest::newRow("pmiClearList") << QStringList{QString(), u"pmiClearList"_s};
    }
    void clearItemsEmptyTheList() {
        QFETCH(QStringList, path);
        auto w = ShownWindow();
        FillDeviceList(*w);
        QCOMPARE(w->deviceRowCount(), 2);
        if (path.first().isEmpty()) {
            ChooseFromPopup(w.get(), path.last());
        } else {
            ChooseFromMenuBar(w.get(), path);
        }
        QCOMPARE(w->deviceRowCount(), 0);
    }

    void networkItemRebinds() {
        net::ScopedInterfaceSource oneAdapter([] {
            return QList<net::InterfaceRecord>{
                {u"eth0"_s,
                 QByteArray::fromHex("001a2b3c4d5e"),
                 QNetworkInterface::IsUp | QNetworkInterface::IsRunning,
                 {{u"192.168.1.10"_s, u"255.255.255.0"_s}}}};
        });
        auto w = ShownWindow();
        auto& endpoint = dynamic_cast<testsupport::FakeEndpoint&>(w->UDPBSer());
        const qsizetype before = endpoint.bindings.size();
        ChooseFromMenuBar(w.get(), {u"menu_main_config"_s, u"menu_sub_network"_s});
        QCOMPARE(endpoint.bindings.size(), before + 1);
        QCOMPARE(endpoint.bindings.last(), w->LocalAddress);
    }

    void languageItemsSwitchTheLanguage_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("lgType");
        QTest::addColumn<QString>("title");
        const QLocale china(QLocale::Chinese, QLocale::China);
        const QLocale hongKong(QLocale::Chinese, QLocale::HongKong);
        QTest::newRow("english") << china << u"menu_sub_english"_s << 2
                                 << u"Display control card parameter configuration V3.68"_s;
        QTest::newRow("simplified, after English")
            << china << u"menu_sub_simplechn"_s << 0 << U("显示屏控制卡参数配置 V3.68");
        QTest::newRow("traditional, after English")
            << hongKong << u"menu_sub_traditionalchn"_s << 1 << U("顯示屏控制卡參數設定 V3.68");
    }
    void languageItemsSwitchTheLanguage() {
        QFETCH(QLocale, locale);
        QFETCH(QString, item);
        QFETCH(int, lgType);
        QFETCH(QString, title);
        Profile profile;
        profile.locale = locale;
        auto w = ShownWindow(profile);
        const QStringList path{u"menu_main_config"_s, u"menu_sub_languge"_s};
        if (lgType != 2) {
            ChooseFromMenuBar(w.get(), path + QStringList{u"menu_sub_english"_s});
            QCOMPARE(w->settings().LgType, 2);
        }
        ChooseFromMenuBar(w.get(), path + QStringList{item});
        QCOMPARE(w->settings().LgType, lgType);
        QCOMPARE(w->windowTitle(), title);
        QVERIFY(w->findChild<QAction*>(item)->isChecked());
    }

    void aboutItemOpensAbout() {
        auto w = ShownWindow(Profile{.lgType = 2});
        QString title;
        WhenModal([&](QDialog* dialog) {
            QVERIFY(dialog);
            title = dialog->windowTitle();
            QTest::mouseClick(Find<QPushButton>(dialog, "Button1"), Qt::LeftButton);
        });
        ChooseFromMenuBar(w.get(), {u"menu_main_help"_s, u"menu_sub_about"_s});
        QCOMPARE(title, u"About..."_s);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    // From the program entry: the operator picks English, then Exit; the loop ends by itself
    // and the settings file holds the seven keys with the language in force.
    void exitEndsTheProgramAndWritesTheSettings_data() {
        QTest::addColumn<QStringList>("path");
        QTest::newRow("menu_sub_exit") << QStringList{u"menu_main_config"_s, u"menu_sub_exit"_s};
        QTest::newRow("pmiExit") << QStringList{QString(), u"pmiExit"_s};
    }
    void exitEndsTheProgramAndWritesTheSettings() {
        QFETCH(QStringList, path);
        const QString file = settings::SettingsPath();
#ifndef Q_OS_WIN // Windows keeps it beside the test program, whose folder is writable
        QVERIFY(file.startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
#endif
        QFile::remove(file);
        net::ScopedInterfaceSource noAdapters([] { return QList<net::InterfaceRecord>{}; });
        testsupport::FakeEndpoint endpoint;
        lang::ResetGlobalCatalogues();
        ui::EntryOptions options;
        options.lockFolder = lock_.path();
        options.userLocale = QLocale(QLocale::Chinese, QLocale::China);
        options.network.endpoint = &endpoint;
        options.network.lookupLocalAddress = [] { return u"192.168.1.10"_s; };
        bool stillOpen = false;
        options.runLoop = [&](ui::MainWindow& w) {
            w.show();
            QTimer::singleShot(0, &w, [&] {
                ChooseFromMenuBar(
                    &w, {u"menu_main_config"_s, u"menu_sub_languge"_s, u"menu_sub_english"_s});
                if (path.first().isEmpty()) {
                    ChooseFromPopup(&w, path.last());
                } else {
                    ChooseFromMenuBar(&w, path);
                }
            });
            QTimer giveUp;
            giveUp.setSingleShot(true);
            QObject::connect(&giveUp, &QTimer::timeout, [&] {
                stillOpen = true;
                QApplication::exit(1);
            });
            giveUp.start(5000);
            return QApplication::exec();
        };
        QCOMPARE(ui::RunProgram(options), 0);
        QVERIFY2(!stillOpen, "the program did not end");
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(),
                 QByteArray("[LgType]\r\nLgType=2\r\n"
                            "[Params]\r\nDeviceType=\r\nCardColor=3\r\nDHCP=0\r\n"
                            "SearchTimes=20\r\n"
                            "[IsShowMulNetCard]\r\nIsShowMulNetCard=1\r\n"
                            "[ServerIP]\r\nServerIP=192.168.1.10\r\n"));
        QVERIFY(endpoint.sent.empty());
        QVERIFY(boxes_.texts.isEmpty());
    }
};

int main(int argc, char** argv) {
    // The settings file goes to a folder of this run only.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    MenuTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "MenuTest.moc"
