// The many-card commands of the main window: the device list exported, the panel saved as a
// file and loaded back, and the write-to-several-cards dialog, with message boxes and file
// dialogs answered by the test.

#include "SeveralCardsFixture.h"
#include "StartedWindow.h"
#include "support/CardBytes.h"
#include "ui/BatchWriteRun.h"
#include "ui/DeviceListExport.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <array>

using namespace uitest;
using namespace Qt::StringLiterals;
using protocol::Combo;
using protocol::Edit;

namespace {

QStringList Entries(const QMenu* menu) {
    QStringList names;
    for (const QAction* action : menu->actions()) {
        names << (action->isSeparator() ? u"-"_s : QString()) + action->objectName();
    }
    return names;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A card as its reply fills the panel: every edit and every list has a value.
protocol::PanelModel SampleCard(const ui::MainWindow& w) {
    protocol::PanelModel card = w.readPanel();
    const std::pair<Edit, const char*> texts[] = {
        {Edit::PLen, "256"},
        {Edit::PHeight, "96"},
        {Edit::IP1, "192"},
        {Edit::IP2, "168"},
        {Edit::IP3, "1"},
        {Edit::IP4, "100"},
        {Edit::C1, "255"},
        {Edit::C2, "255"},
        {Edit::C3, "255"},
        {Edit::C4, "0"},
        {Edit::Gate1, "192"},
        {Edit::Gate2, "168"},
        {Edit::Gate3, "1"},
        {Edit::Gate4, "1"},
        {Edit::DIP1, "192"},
        {Edit::DIP2, "168"},
        {Edit::DIP3, "1"},
        {Edit::DIP4, "200"},
        {Edit::Domain, "led.example.org"},
        {Edit::DPort, "5005"},
        {Edit::InnerCodeHex, "16进制：4c-45-44-00-00-00-00-01"},
        {Edit::InnerCodeDec, "10进制：76-69-68-0-0-0-0-1"},
        {Edit::Version, "60"},
        {Edit::MACAddr, "00:1A:2B:00:00:01"},
    };
    for (const auto& [edit, text] : texts) {
        card[edit] = text;
    }
    const std::pair<Combo, int> chosen[] = {
        {Combo::PClor, 1},    {Combo::Scan, 29},        {Combo::DLamp, 5},    {Combo::NLamp, 3},
        {Combo::OE, 1},       {Combo::DataBit, 0},      {Combo::SContent, 1}, {Combo::CF, 2},
        {Combo::RowOrder, 3}, {Combo::EmptyDisplay, 1}, {Combo::Comm, 2},     {Combo::Baud, 4},
        {Combo::Rate, 1},     {Combo::Trans, 3},        {Combo::Addr485, 41},
    };
    for (const auto& [combo, index] : chosen) {
        card[combo].index = index;
    }
    card.serverByDomain = true;
    return card;
}

void ShowRows(ui::MainWindow& w) {
    w.appendDeviceRows({{1, "一号屏", "00:1A:2B:00:00:01", "192.168.1.100", 0},
                        {2, "Hall, east", "00:1A:2B:00:00:02", "192.168.1.101", 0},
                        {3, "unknown", "", "", 0}});
}

const char* const kPanelCombos[] = {"cmdPClor",    "cmdScan",         "cmdDLamp",    "cmdNLamp",
                                    "cmdOE",       "cmdDataBit",      "cmdSContent", "cmdCF",
                                    "cmdRowOrder", "cmdEmptyDisplay", "cmdComm",     "cmdBaud",
                                    "cmdRate",     "cmdTrans",        "cmd485Addr"};

} // namespace

class ManyCardsTest : public QObject, public AnsweredDialogs {
    Q_OBJECT

private slots:
    void init() { answerDialogs(); }
    void cleanup() { stopAnswering(); }

    // The commands sit in a menu of their own; the menus that were there are as they were.
    void commandsHaveAMenuOfTheirOwn() {
        auto w = StartedWindow();
        QStringList bar;
        for (const QAction* a : Find<QMenuBar>(w.get(), "mainMenu")->actions()) {
            bar << a->menu()->objectName();
        }
        QCOMPARE(bar,
                 (QStringList{u"menu_main_config"_s, u"menu_main_cards"_s, u"menu_main_help"_s}));
        QCOMPARE(Entries(Find<QMenu>(w.get(), "menu_main_cards")),
                 (QStringList{u"menu_sub_export_list"_s, u"menu_sub_save_parameters"_s,
                              u"menu_sub_load_parameters"_s, u"-N11"_s,
                              u"menu_sub_write_several_cards"_s, u"menu_sub_restore_backup"_s}));
        QCOMPARE(
            Entries(Find<QMenu>(w.get(), "menu_main_config")),
            (QStringList{u"menu_sub_search_device"_s, u"menu_sub_search_device_assign_ip"_s,
                         u"-N1"_s, u"menu_sub_network"_s, u"-N4"_s, u"menu_sub_clear_device_list"_s,
                         u"-N5"_s, u""_s, u"-N10"_s, u"menu_sub_exit"_s}));
        QCOMPARE(Entries(w->pMenuItem()),
                 (QStringList{u"pmiSModm"_s, u"-N2"_s, u"pmiClearList"_s, u"pmiExportList"_s,
                              u"-N3"_s, u"pmiExit"_s}));
    }

    void textsFollowTheLanguage_data() {
        QTest::addColumn<int>("language");
        // menu, export, save, load, several, search, restore
        QTest::addColumn<QStringList>("texts");
        // What a screen reader names in the several-cards dialog: the dialog, the list, the
        // filter, select all, select none, invert.
        QTest::addColumn<QStringList>("accessible");
        QTest::newRow("simplified")
            << 0 << QStringList{U("多卡(&M)"),     U("导出设备列表..."),   U("保存参数..."),
                                U("载入参数..."),  U("写入多张控制卡..."), U("搜索设备(&S)"),
                                U("从备份恢复...")}
            << QStringList{U("写入多张控制卡"), U("控制卡列表"), U("名称、MAC地址或IP地址"),
                           U("全选"),           U("全不选"),     U("反选")};
        QTest::newRow("traditional")
            << 1 << QStringList{U("多卡(&M)"),     U("匯出設備列表..."),   U("儲存參數..."),
                                U("載入參數..."),  U("寫入多張控制卡..."), U("搜索設備(&S)"),
                                U("從備份恢復...")}
            << QStringList{U("寫入多張控制卡"), U("控制卡清單"), U("名稱、MAC地址或IP地址"),
                           U("全選"),           U("全不選"),     U("反選")};
        QTest::newRow("english") << 2
                                 << QStringList{u"Many cards(&M)"_s,
                                                u"Export list..."_s,
                                                u"Save parameters..."_s,
                                                u"Load parameters..."_s,
                                                u"Write to several cards..."_s,
                                                u"Search devices(&S)"_s,
                                                u"Restore from backup..."_s}
                                 << QStringList{u"Write to several cards"_s,
                                                u"Cards"_s,
                                                u"Name, MAC or IP address"_s,
                                                u"Select all"_s,
                                                u"Select none"_s,
                                                u"Invert"_s};
    }
    void textsFollowTheLanguage() {
        QFETCH(int, language);
        QFETCH(QStringList, texts);
        auto w = StartedWindow();
        const std::array<void (ui::MainWindow::*)(), 3> items{
            &ui::MainWindow::menu_sub_simplechnClick, &ui::MainWindow::menu_sub_traditionalchnClick,
            &ui::MainWindow::menu_sub_englishClick};
        (w.get()->*items[std::size_t(language)])();
        QCOMPARE(Find<QMenu>(w.get(), "menu_main_cards")->title(), texts[0]);
        QCOMPARE(Find<QAction>(w.get(), "menu_sub_export_list")->text(), texts[1]);
        QCOMPARE(Find<QAction>(w.get(), "pmiExportList")->text(), texts[1]);
        QCOMPARE(Find<QAction>(w.get(), "menu_sub_save_parameters")->text(), texts[2]);
        QCOMPARE(Find<QAction>(w.get(), "menu_sub_load_parameters")->text(), texts[3]);
        QCOMPARE(Find<QAction>(w.get(), "menu_sub_write_several_cards")->text(), texts[4]);
        // An item that was there before keeps its catalogue text.
        QCOMPARE(Find<QAction>(w.get(), "menu_sub_search_device")->text(), texts[5]);
        QCOMPARE(Find<QAction>(w.get(), "menu_sub_restore_backup")->text(), texts[6]);

        QFETCH(QStringList, accessible);
        w->appendDeviceRows({{1, "Hall, east", "00:1A:2B:00:00:02", "192.168.1.101", 60}});
        w->showPanel(SampleCard(*w));
        QStringList named;
        w->runBatchDialog = [&named](ui::BatchWriteDialog& dialog) {
            named << dialog.accessibleName();
            for (const char* name :
                 {"lvCards", "edtFilter", "btSelectAll", "btSelectNone", "btInvert"}) {
                named << Find<QWidget>(&dialog, name)->accessibleName();
            }
        };
        w->writeSeveralCards();
        QCOMPARE(named, accessible);
    }

    // The list as shown, in the language in force, with BOM, CR LF and quoted cells.
    void exportWritesTheListAsShown() {
        auto w = StartedWindow();
        ShowRows(*w);
        files_.answers = {path("devices.csv")};
        Find<QAction>(w.get(), "menu_sub_export_list")->trigger();
        QCOMPARE(files_.questions.size(), 1);
        QVERIFY(files_.questions[0].save);
        QCOMPARE(files_.questions[0].title, U("导出设备列表"));
        QCOMPARE(files_.questions[0].filter, U("CSV文件 (*.csv)"));
        QCOMPARE(ReadAll(path("devices.csv")),
                 QByteArray("\xEF\xBB\xBF"
                            "\xE5\xBA\x8F\xE5\x8F\xB7,\xE8\xAE\xBE\xE5\xA4\x87\xE5\x9E\x8B"
                            "\xE5\x8F\xB7,MAC\xE5\x9C\xB0\xE5\x9D\x80,IP\xE5\x9C\xB0\xE5\x9D"
                            "\x80,\xE8\xBD\xAF\xE4\xBB\xB6\xE7\x89\x88\xE6\x9C\xAC\r\n"
                            "1,\xE4\xB8\x80\xE5\x8F\xB7\xE5\xB1\x8F,00:1A:2B:00:00:01,"
                            "192.168.1.100,0\r\n"
                            "2,\"Hall, east\",00:1A:2B:00:00:02,192.168.1.101,0\r\n"
                            "3,unknown,,,0\r\n"));
        QVERIFY(boxes_.texts.isEmpty());
    }

    void exportFromThePopUpInEnglish() {
        auto w = StartedWindow(Profile{.lgType = 2});
        ShowRows(*w);
        files_.answers = {path("popup.csv")};
        Find<QAction>(w.get(), "pmiExportList")->trigger();
        QCOMPARE(files_.questions.size(), 1);
        QCOMPARE(files_.questions[0].title, u"Export list"_s);
        QCOMPARE(files_.questions[0].suggested, u"devices.csv"_s);
        const QList<QByteArray> lines = ReadAll(path("popup.csv")).split('\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QByteArray("\xEF\xBB\xBFOrder Num,Device Model,Mac Address,IP "
                                      "Address,Version\r"));
    }

    // Each row carries the version its card's search answer gave, also after the row's IP has
    // moved; an answer without a version frame gives 0.
    void exportedVersionsComeFromTheSearch() {
        ui::DeviceListExport list({u"n"_s, u"name"_s, u"mac"_s, u"ip"_s, u"v"_s});
        list.addRows({{1, "A", "00:1A:2B:00:00:01", "192.168.1.100", 60},
                      {2, "B", "00:1A:2B:00:00:02", "10.0.0.7", 53},
                      {3, "unknown", "", "", 0}});
        QCOMPARE(list.file().bytes(), QByteArray("\xEF\xBB\xBFn,name,mac,ip,v\r\n"
                                                 "1,A,00:1A:2B:00:00:01,192.168.1.100,60\r\n"
                                                 "2,B,00:1A:2B:00:00:02,10.0.0.7,53\r\n"
                                                 "3,unknown,,,0\r\n"));
    }

    void exportCancelledWritesNothing() {
        auto w = StartedWindow();
        ShowRows(*w);
        Find<QAction>(w.get(), "menu_sub_export_list")->trigger();
        QCOMPARE(files_.questions.size(), 1);
        QVERIFY(QDir(dir_->path()).isEmpty());
        QVERIFY(boxes_.texts.isEmpty());
    }

    // A file that cannot be written: a message naming it; a file already there stays as it
    // was, and the list is untouched.
    void exportToAnUnwritablePath_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("missing folder") << u"no/such/folder/devices.csv"_s;
        QTest::newRow("a folder") << u"folder"_s;
    }
    void exportToAnUnwritablePath() {
        QFETCH(QString, target);
        QVERIFY(QDir(dir_->path()).mkpath(u"folder"_s));
        const QString file = dir_->filePath(target);
        auto w = StartedWindow();
        ShowRows(*w);
        files_.answers = {file};
        Find<QAction>(w.get(), "menu_sub_export_list")->trigger();
        QCOMPARE(boxes_.texts, QStringList{U("无法写入文件：") + QDir::toNativeSeparators(file)});
        QVERIFY(!QFileInfo(file).isFile());
        QCOMPARE(w->deviceRowCount(), 3);
        QCOMPARE(w->deviceRow(1).name, std::string("Hall, east"));
    }

    void saveBeforeAnyReadIsRefused() {
        auto w = StartedWindow(Profile{.lgType = 2});
        Find<QAction>(w.get(), "menu_sub_save_parameters")->trigger();
        QCOMPARE(boxes_.texts, QStringList{u"No card has been read yet: choose a card first."_s});
        QVERIFY(files_.questions.isEmpty());
    }

    // Save, then load into a panel showing another card: every field comes back as saved,
    // except the other card's MAC, firmware version and internal code; nothing is sent.
    void saveThenLoadRestoresThePanel() {
        auto w = StartedWindow(Profile{.lgType = 2});
        auto& endpoint = dynamic_cast<testsupport::FakeEndpoint&>(w->UDPBSer());
        const std::size_t sentBefore = endpoint.sent.size();
        const protocol::PanelModel saved = SampleCard(*w);
        w->showPanel(saved);
        files_.answers = {path("card.json")};
        Find<QAction>(w.get(), "menu_sub_save_parameters")->trigger();
        QCOMPARE(files_.questions.size(), 1);
        QCOMPARE(files_.questions[0].suggested, u"00-1A-2B-00-00-01.json"_s);
        QCOMPARE(files_.questions[0].filter, u"Parameter files (*.json)"_s);
        QVERIFY(ReadAll(path("card.json")).contains("\"ledcardctl-profile\""));
        QVERIFY(boxes_.texts.isEmpty());

        w->ClearParameterPanel();
        protocol::PanelModel other = w->readPanel();
        other[Edit::MACAddr] = "00:1A:2B:00:00:07";
        other[Edit::Version] = "53";
        other[Edit::InnerCodeHex] = "16进制：4c-45-44-00-00-00-00-07";
        other[Edit::InnerCodeDec] = "10进制：76-69-68-0-0-0-0-7";
        other.serverByDomain = false;
        w->showPanel(other);

        files_.answers = {path("card.json")};
        Find<QAction>(w.get(), "menu_sub_load_parameters")->trigger();
        QCOMPARE(files_.questions.size(), 2);
        QVERIFY(!files_.questions[1].save);
        QVERIFY(boxes_.texts.isEmpty());
        const protocol::PanelModel loaded = w->readPanel();
        for (std::size_t e = 0; e < protocol::EditCount; ++e) {
            const auto edit = Edit(e);
            const bool own = edit == Edit::MACAddr || edit == Edit::Version ||
                             edit == Edit::InnerCodeHex || edit == Edit::InnerCodeDec;
            QCOMPARE(loaded[edit], own ? other[edit] : saved[edit]);
        }
        for (const char* name : kPanelCombos) {
            const auto combo = *protocol::ComboByName(name);
            QVERIFY2(loaded[combo].index == saved[combo].index, name);
        }
        QCOMPARE(loaded.serverByDomain, true);
        QCOMPARE(endpoint.sent.size(), sentBefore);
    }

    // A profile that names an unknown parameter or value is refused with a message naming the
    // first one; the panel stays as it was.
    void loadRefusesUnknownNames_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("named");
        QTest::newRow("parameter") << QByteArray("\"display.height\"")
                                   << QByteArray("\"display.depth\"") << u"display.depth"_s;
        QTest::newRow("value") << QByteArray("\"2 ------ Dual Color\"")
                               << QByteArray("\"Ultraviolet\"") << u"Ultraviolet"_s;
    }
    void loadRefusesUnknownNames() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, named);
        auto w = StartedWindow(Profile{.lgType = 2});
        w->showPanel(SampleCard(*w));
        files_.answers = {path("card.json")};
        w->saveParameters();
        QByteArray text = ReadAll(path("card.json"));
        QVERIFY2(text.contains(from), text.constData());
        text.replace(from, to);
        QFile edited(path("edited.json"));
        QVERIFY(edited.open(QIODevice::WriteOnly));
        edited.write(text);
        edited.close();

        protocol::PanelModel before = w->readPanel();
        before[Edit::PLen] = "64";
        before[Combo::Scan].index = 3;
        w->showPanel(before);
        files_.answers = {path("edited.json")};
        w->loadParameters();
        QCOMPARE(boxes_.texts.size(), 1);
        QVERIFY2(boxes_.texts[0].contains(named), qPrintable(boxes_.texts[0]));
        const protocol::PanelModel after = w->readPanel();
        QCOMPARE(after.edits, before.edits);
        for (std::size_t c = 0; c < protocol::ComboCount; ++c) {
            QCOMPARE(after.combos[c].index, before.combos[c].index);
        }
    }

    void loadOfAMissingFileNamesIt() {
        auto w = StartedWindow();
        files_.answers = {path("missing.json")};
        w->loadParameters();
        QCOMPARE(boxes_.texts,
                 QStringList{U("无法读取文件：") + QDir::toNativeSeparators(path("missing.json"))});
    }

    // The dialog lists the device list's cards, none ticked; Start refuses what cannot run.
    void batchDialogRefusesWhatCannotRun() {
        auto w = StartedWindow(Profile{.lgType = 2});
        ShowRows(*w);
        w->showPanel(SampleCard(*w));
        QStringList seen;
        w->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            seen << dialog.windowTitle();
            QTableWidget* list = dialog.list();
            QCOMPARE(list->rowCount(), 3);
            for (int r = 0; r < 3; ++r) {
                QCOMPARE(list->item(r, 0)->checkState(), Qt::Unchecked);
                QCOMPARE(list->item(r, 0)->text(), QString::number(r + 1));
            }
            QCOMPARE(list->item(1, 3)->text(), u"192.168.1.101"_s);
            QCOMPARE(Find<QCheckBox>(&dialog, "cbSequentialIp")->text(),
                     u"Sequential IP addresses from"_s);
            QVERIFY(!Find<QCheckBox>(&dialog, "cbSequentialIp")->isChecked());
            QCOMPARE(Find<QLineEdit>(&dialog, "edtFirstIp")->text(), u"192.168.1.100"_s);

            dialog.btStartClick();
            list->item(0, 0)->setCheckState(Qt::Checked);
            Find<QCheckBox>(&dialog, "cbSequentialIp")->setChecked(true);
            Find<QLineEdit>(&dialog, "edtFirstIp")->setText(u"192.168.1.300"_s);
            dialog.btStartClick();
            Find<QLineEdit>(&dialog, "edtFirstIp")->setText(u"255.255.255.255"_s);
            list->item(1, 0)->setCheckState(Qt::Checked);
            dialog.btStartClick();
            // The cards take the panel's mask: no card may get its subnet's network or
            // broadcast address, as with ledcardctl's --ip-from.
            Find<QLineEdit>(&dialog, "edtFirstIp")->setText(u"192.168.1.254"_s);
            dialog.btStartClick();
            Find<QLineEdit>(&dialog, "edtFirstIp")->setText(u"192.168.2.0"_s);
            dialog.btStartClick();
            QVERIFY(!dialog.run().running());
        };
        w->writeSeveralCards();
        QCOMPARE(seen, QStringList{u"Write to several cards"_s});
        QCOMPARE(boxes_.texts,
                 (QStringList{u"Tick at least one card."_s,
                              u"The start address is not a valid IP address: 192.168.1.300"_s,
                              u"The addresses from 255.255.255.255 run out before 2 cards."_s,
                              u"The addresses from 192.168.1.254 for 2 cards include "
                              u"192.168.1.255, the network or broadcast address of the subnet "
                              u"192.168.1.0/255.255.255.0."_s,
                              u"The addresses from 192.168.2.0 for 2 cards include 192.168.2.0, "
                              u"the network or broadcast address of the subnet "
                              u"192.168.2.0/255.255.255.0."_s}));
    }

    void batchBeforeAnyReadIsRefused() {
        auto w = StartedWindow(Profile{.lgType = 2});
        ShowRows(*w);
        w->runBatchDialog = [](ui::BatchWriteDialog& dialog) {
            dialog.list()->item(0, 0)->setCheckState(Qt::Checked);
            dialog.btStartClick();
        };
        w->writeSeveralCards();
        QCOMPARE(boxes_.texts, QStringList{u"No card has been read yet: choose a card first."_s});
    }

    // Start reads the ticked cards first, by MAC for firmware 54 on; Cancel before any answer
    // leaves them unwritten; afterwards the window hears its datagrams again.
    void batchCancelledBeforeAnyAnswer() {
        auto w = StartedWindow(Profile{.lgType = 2});
        auto& endpoint = dynamic_cast<testsupport::FakeEndpoint&>(w->UDPBSer());
        ShowRows(*w);
        w->showPanel(SampleCard(*w));
        const std::size_t sentBefore = endpoint.sent.size();
        QString summary;
        QStringList states;
        w->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            dialog.list()->item(0, 0)->setCheckState(Qt::Checked);
            dialog.list()->item(1, 0)->setCheckState(Qt::Checked);
            dialog.btStartClick();
            QVERIFY(dialog.run().running());
            QVERIFY(!Find<QPushButton>(&dialog, "btStart")->isEnabled());
            QVERIFY(Find<QPushButton>(&dialog, "btCancel")->isEnabled());
            QCOMPARE(dialog.list()->item(0, 5)->text(), u"Waiting"_s);
            QCOMPARE(Find<QProgressBar>(&dialog, "pbProgress")->maximum(), 2);
            QTest::mouseClick(Find<QPushButton>(&dialog, "btCancel"), Qt::LeftButton);
            QVERIFY(!dialog.run().running());
            for (int r = 0; r < 3; ++r) {
                states << dialog.list()->item(r, 5)->text();
            }
            summary = Find<QLabel>(&dialog, "lbSummary")->text();
            QVERIFY(Find<QPushButton>(&dialog, "btExportResults")->isEnabled());
        };
        w->writeSeveralCards();
        // Without version records both are read by IP, as a double click would read them.
        QCOMPARE(endpoint.sent.size(), sentBefore + 2);
        QCOMPARE(endpoint.sent[sentBefore].host, u"192.168.1.100"_s);
        QCOMPARE(endpoint.sent[sentBefore + 1].host, u"192.168.1.101"_s);
        QCOMPARE(states, (QStringList{u"Not written"_s, u"Not written"_s, QString()}));
        QCOMPARE(summary, u"Cancelled. 2 cards: 0 confirmed, 0 not confirmed, 0 no answer, "
                          u"0 refused, 2 not written."_s);
        QSignalSpy replies(&w->session(), &session::CardSession::replyApplied);
        endpoint.deliver(QByteArray(171, '\0'));
        QCOMPARE(replies.count(), 1);
    }

    // A card of the list is read and written as a double click would address it: by its MAC
    // by broadcast from firmware 54 on, by its IP before.
    void batchAddressesByFirmware_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("byMac");
        QTest::newRow("53") << 53 << false;
        QTest::newRow("54") << 54 << true;
        QTest::newRow("60") << 60 << true;
    }
    void batchAddressesByFirmware() {
        QFETCH(int, version);
        QFETCH(bool, byMac);
        auto w = StartedWindow(Profile{.lgType = 2});
        auto& endpoint = dynamic_cast<testsupport::FakeEndpoint&>(w->UDPBSer());
        w->appendDeviceRows({{1, "Hall, east", "00:1A:2B:00:00:02", "192.168.1.101", version}});
        w->showPanel(SampleCard(*w));
        const std::size_t before = endpoint.sent.size();
        QString state;
        QString counters;
        w->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            dialog.list()->item(0, 0)->setCheckState(Qt::Checked);
            dialog.btStartClick();
            QCOMPARE(endpoint.sent.size(), before + 1);
            endpoint.deliver(testsupport::parameterReply(
                "00 1A 2B 00 00 02", "C0 A8 01 65", QByteArray::number(version, 16).toStdString()));
            dialog.btCancelClick();
            state = dialog.list()->item(0, 5)->text();
            counters = Find<QLabel>(&dialog, "lbCounters")->text();
        };
        w->writeSeveralCards();
        QCOMPARE(endpoint.sent.size(), before + 2);
        const auto& read = endpoint.sent[before];
        const auto& write = endpoint.sent[before + 1];
        const QString host = byMac ? u"255.255.255.255"_s : u"192.168.1.101"_s;
        QCOMPARE(read.host, host);
        QCOMPARE(read.broadcast, byMac);
        QCOMPARE(read.bytes, byMac ? testsupport::qt::hex("A1 44 06 00 1A 2B 00 00 02 FF")
                                   : testsupport::qt::hex("A1 14 02 00 00 FF"));
        QCOMPARE(write.host, host);
        QCOMPARE(write.broadcast, byMac);
        QCOMPARE(write.bytes.left(3), testsupport::qt::hex(byMac ? "A1 30 06" : "A1 21 11"));
        QCOMPARE(state, u"Not confirmed"_s);
        QCOMPARE(counters, u"Sent 1 · confirmed 0 · not confirmed 1 · no answer 0 · refused 0"_s);
    }

    // The results table as a CSV file, and an unwritable results path. A ticked row without an
    // address, ahead of a card that confirms (after the 5 s wait), takes nothing from it: each
    // row shows its own card, an unticked row nothing, and card k of the ticked rows gets the
    // k-th address.
    void batchResultsExport() {
        auto w = StartedWindow(Profile{.lgType = 2});
        auto& endpoint = dynamic_cast<testsupport::FakeEndpoint&>(w->UDPBSer());
        w->appendDeviceRows({{1, "Hall, west", "00:1A:2B:00:00:01", "192.168.1.100", 60},
                             {2, "unknown", "", "", 0},
                             {3, "Hall, east", "00:1A:2B:00:00:02", "192.168.1.101", 60}});
        protocol::PanelModel panel = SampleCard(*w);
        panel.serverByDomain = false; // the wait of 5 s, not of 10 s
        w->showPanel(panel);
        QStringList states;
        QStringList newIps;
        QStringList counters;
        w->runBatchDialog = [&](ui::BatchWriteDialog& dialog) {
            dialog.list()->item(1, 0)->setCheckState(Qt::Checked); // no address: no answer
            dialog.list()->item(2, 0)->setCheckState(Qt::Checked);
            Find<QCheckBox>(&dialog, "cbSequentialIp")->setChecked(true);
            Find<QLineEdit>(&dialog, "edtFirstIp")->setText(u"192.168.1.150"_s);
            const std::size_t before = endpoint.sent.size();
            dialog.btStartClick();
            QCOMPARE(endpoint.sent.size(), before + 1);
            testsupport::ReplyFields card;
            card.mac = "00 1A 2B 00 00 02";
            card.ip = "C0 A8 01 65";
            endpoint.deliver(testsupport::parameterReply(card));
            QCOMPARE(endpoint.sent.size(), before + 2);
            // The write has left, its confirmation not yet come: sent, and nothing else yet.
            counters << Find<QLabel>(&dialog, "lbCounters")->text();
            QTRY_COMPARE_WITH_TIMEOUT(endpoint.sent.size(), before + 3, 8000);
            card.ip = "C0 A8 01 97";
            card.server = "C0 A8 01 C8";
            card.port = "13 8D";
            endpoint.deliver(testsupport::parameterReply(card));
            QVERIFY(!dialog.run().running());
            counters << Find<QLabel>(&dialog, "lbCounters")->text();
            for (int r = 0; r < 3; ++r) {
                states << dialog.list()->item(r, 5)->text();
                newIps << dialog.list()->item(r, 4)->text();
            }
            files_.answers = {path("results.csv"), path("missing/results.csv")};
            dialog.btExportResultsClick();
            dialog.btExportResultsClick();
        };
        w->writeSeveralCards();
        QCOMPARE(states, (QStringList{QString(), u"No answer"_s, u"Confirmed"_s}));
        QCOMPARE(newIps, (QStringList{QString(), QString(), u"192.168.1.151"_s}));
        QCOMPARE(
            counters,
            (QStringList{u"Sent 1 · confirmed 0 · not confirmed 0 · no answer 1 · refused 0"_s,
                         u"Sent 1 · confirmed 1 · not confirmed 0 · no answer 1 · refused 0"_s}));
        QCOMPARE(w->deviceRow(0).ip, std::string("192.168.1.100"));
        QCOMPARE(w->deviceRow(2).ip, std::string("192.168.1.151"));
        QCOMPARE(ReadAll(path("results.csv")),
                 QByteArray("\xEF\xBB\xBFOrder Num,Device Model,Mac Address,IP Address,"
                            "New IP address,State\r\n"
                            "2,unknown,,,,No answer\r\n"
                            "3,\"Hall, east\",00:1A:2B:00:00:02,192.168.1.101,192.168.1.151,"
                            "Confirmed\r\n"));
        QCOMPARE(boxes_.texts, QStringList{u"Cannot write the file "_s +
                                           QDir::toNativeSeparators(path("missing/results.csv"))});
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ManyCardsTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "ManyCardsTest.moc"
