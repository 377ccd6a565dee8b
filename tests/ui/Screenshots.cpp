// Writes PNGs of the main window in each language and of its dialogs into a folder.
// Usage: ui_screenshots OUTPUT_FOLDER

#include "discovery/dialogs/SearchByIpDialog.h"
#include "discovery/dialogs/SearchDialog.h"
#include "fleet/Profile.h"
#include "net/AdapterDialog.h"
#include "net/AdapterList.h"
#include "support/FakeEndpoint.h"
#include "support/RecordingMessageBoxes.h"
#include "ui/AboutDialog.h"
#include "ui/BatchWriteDialog.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>

namespace {

// A card as a reply would show it, so the shots show filled editors.
void ShowSampleCard(ui::MainWindow& window) {
    protocol::PanelModel card = window.readPanel();
    const std::pair<protocol::Edit, const char*> texts[] = {
        {protocol::Edit::PLen, "128"},
        {protocol::Edit::PHeight, "64"},
        {protocol::Edit::IP1, "192"},
        {protocol::Edit::IP2, "168"},
        {protocol::Edit::IP3, "1"},
        {protocol::Edit::IP4, "100"},
        {protocol::Edit::C1, "255"},
        {protocol::Edit::C2, "255"},
        {protocol::Edit::C3, "255"},
        {protocol::Edit::C4, "0"},
        {protocol::Edit::Gate1, "192"},
        {protocol::Edit::Gate2, "168"},
        {protocol::Edit::Gate3, "1"},
        {protocol::Edit::Gate4, "1"},
        {protocol::Edit::DNS1, "8"},
        {protocol::Edit::DNS2, "8"},
        {protocol::Edit::DNS3, "8"},
        {protocol::Edit::DNS4, "8"},
        {protocol::Edit::DIP1, "192"},
        {protocol::Edit::DIP2, "168"},
        {protocol::Edit::DIP3, "1"},
        {protocol::Edit::DIP4, "10"},
        {protocol::Edit::Domain, "led.example.org"},
        {protocol::Edit::DPort, "5000"},
        {protocol::Edit::InnerCodeHex, "16进制：00-1a-2b-3c-4d-5e-6f-70"},
        {protocol::Edit::InnerCodeDec, "10进制：0-26-43-60-77-94-111-112"},
        {protocol::Edit::Version, "56"},
        {protocol::Edit::MACAddr, "00:1A:2B:3C:4D:5E"},
    };
    for (const auto& [edit, text] : texts) {
        card[edit] = text;
    }
    for (auto& combo : card.combos) {
        combo.index = combo.count > 1 ? 1 : 0;
    }
    card[protocol::Combo::Trans].index = 0;
    card[protocol::Combo::Scan].index = 48;
    card[protocol::Combo::Addr485].index = 0;
    card[protocol::Combo::Baud].index = 4;
    window.writePanel(card);

    auto* devices = window.findChild<QTableWidget*>(QStringLiteral("lvModList"));
    const char* rows[][4] = {{"1", "LED-C4", "00:1A:2B:3C:4D:5E", "192.168.1.100"},
                             {"2", "LED-C2", "00:1A:2B:3C:4D:61", "192.168.1.101"}};
    devices->setRowCount(2);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 4; ++c) {
            devices->setItem(r, c, new QTableWidgetItem(QString::fromUtf8(rows[r][c])));
        }
    }
    devices->selectRow(0);
}

bool Save(QWidget& widget, const QString& path) {
    QApplication::processEvents();
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ui_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        return 1;
    }
    testsupport::RecordingMessageBoxes boxes;
    platform::ScopedMessageBoxes scoped(boxes);
    // No socket and no adapter question: the shots are of an idle window.
    testsupport::FakeEndpoint endpoint;
    net::ScopedInterfaceSource adapters([] { return QList<net::InterfaceRecord>{}; });
    ui::MainWindow::NetworkHooks hooks;
    hooks.endpoint = &endpoint;
    hooks.lookupLocalAddress = [] { return QStringLiteral("192.168.1.10"); };
    const QTemporaryDir records;
    bool ok = true;

    const struct {
        int dhcp;
        const char* suffix;
    } profiles[] = {{0, ""}, {1, "-dhcp"}};
    for (const auto& profile : profiles) {
        ui::MainWindow window(nullptr, hooks);
        window.setDataFolder(records.path());
        window.setUserLocale(QLocale(QLocale::Chinese, QLocale::China));
        window.setSettingsHooks(
            {[&profile](settings::AppSettings& values) { values.DHCP = profile.dhcp; }, {}});
        window.show();
        const char* names[] = {"zh", "zh-hant", "en"};
        for (int id = 0; id < 3; ++id) {
            window.ApplyLanguage(true, static_cast<lang::LanguageId>(id));
            ShowSampleCard(window);
            ok = Save(window, out.filePath(QStringLiteral("main-%1%2.png")
                                               .arg(QLatin1String(names[id]),
                                                    QLatin1String(profile.suffix)))) &&
                 ok;
        }
        if (profile.dhcp == 0) {
            for (int id = 0; id < 3; ++id) {
                window.ApplyLanguage(true, static_cast<lang::LanguageId>(id));
                ui::AboutDialog about;
                about.setWindowTitle(window.catalogueText(lang::Lookup::AboutDialog, "item_abort"));
                about.setRightsText(
                    window.catalogueText(lang::Lookup::AboutDialog, "item_all_rights_reserved"));
                about.show();
                ok = Save(about,
                          out.filePath(
                              QStringLiteral("about-%1.png").arg(QLatin1String(names[id])))) &&
                     ok;

                // The search dialog halfway through a search.
                discovery::SearchDialog search(
                    20,
                    [&window](lang::Lookup lookup, const char* key) {
                        return window.catalogueText(lookup, key);
                    },
                    &window);
                window.ApplyColumnCaptions(search.list());
                const protocol::DeviceEntry found[] = {
                    {1, "LED-C4", "00:1A:2B:3C:4D:5E", "192.168.1.100", 54},
                    {2, "unknown", "00:1A:2B:3C:4D:61", "192.168.1.101", 53},
                    {3, "LED-C2", "00:1A:2B:3C:4D:62", "192.168.1.102", 60}};
                for (const auto& entry : found) {
                    search.addRow(entry);
                }
                search.show();
                for (int tick = 0; tick < 7; ++tick) {
                    search.tSTimeTimer();
                }
                ok = Save(search,
                          out.filePath(
                              QStringLiteral("search-%1.png").arg(QLatin1String(names[id])))) &&
                     ok;
                search.onFormClose = nullptr;

                net::AdapterDialog choice(window.catalogues(), &window);
                choice.FillAdapters(
                    {{QStringLiteral("Intel(R) Ethernet Connection I219-LM"),
                      QStringLiteral("192.168.1.10"), QStringLiteral("00-1A-2B-3C-4D-5E")},
                     {QStringLiteral("Realtek USB GbE Family Controller"),
                      QStringLiteral("10.0.0.5"), QStringLiteral("00-E0-4C-68-01-02")}},
                    QStringLiteral("192.168.1.10"));
                choice.show();
                ok = Save(choice,
                          out.filePath(
                              QStringLiteral("adapters-%1.png").arg(QLatin1String(names[id])))) &&
                     ok;
                choice.hide();

                // Writing several cards: the found cards, three ticked, sequential addresses.
                ui::BatchWriteDialog::Setup setup;
                const char* cards[][4] = {{"1", "LED-C4", "00:1A:2B:3C:4D:5E", "192.168.1.100"},
                                          {"2", "LED-C2", "00:1A:2B:3C:4D:61", "192.168.1.101"},
                                          {"3", "大厅东", "00:1A:2B:3C:4D:62", "192.168.1.102"},
                                          {"4", "unknown", "00:1A:2B:3C:4D:63", "192.168.1.103"}};
                for (const auto& card : cards) {
                    setup.cards.push_back({std::atoi(card[0]), card[1], card[2], card[3], 60});
                }
                setup.source = window.readPanel();
                auto* devices = window.findChild<QTableWidget*>(QStringLiteral("lvModList"));
                for (int c = 0; c < 4; ++c) {
                    setup.columns << devices->horizontalHeaderItem(c)->text();
                }
                setup.language = static_cast<lang::LanguageId>(id);
                ui::BatchWriteDialog batch(window.router(), setup, &window);
                for (int r = 0; r < 3; ++r) {
                    batch.list()->item(r, 0)->setCheckState(Qt::Checked);
                }
                batch.findChild<QCheckBox*>(QStringLiteral("cbSequentialIp"))->setChecked(true);
                batch.findChild<QLineEdit*>(QStringLiteral("edtFirstIp"))
                    ->setText(QStringLiteral("192.168.1.130"));
                batch.show();
                ok = Save(batch,
                          out.filePath(
                              QStringLiteral("batch-%1.png").arg(QLatin1String(names[id])))) &&
                     ok;
                // Started, then cancelled before any card answered: states and summary.
                batch.btStartClick();
                batch.btCancelClick();
                ok = Save(batch, out.filePath(QStringLiteral("batch-cancelled-%1.png")
                                                  .arg(QLatin1String(names[id])))) &&
                     ok;
                batch.hide();

                // Restoring a backup of two cards, one of which the list does not hold.
                ui::BatchWriteDialog::Setup restore = setup;
                restore.backupFolder =
                    QStringLiteral("/home/operator/.local/share/ledcardcfg/backups/"
                                   "2026-12-09_16-05-46");
                for (const char* mac : {"00:1A:2B:3C:4D:5E", "00:1A:2B:3C:4D:70"}) {
                    protocol::PanelModel saved = window.readPanel();
                    saved[protocol::Edit::MACAddr] = mac;
                    const std::string json = fleet::ProfileJson(saved, window.session().profile());
                    auto backup = std::get<fleet::Profile>(fleet::ParseProfile(json, {}));
                    backup.file = (restore.backupFolder + QLatin1Char('/') +
                                   QString::fromLatin1(mac).replace(QLatin1Char(':'), u'-') +
                                   QStringLiteral(".json"))
                                      .toStdString();
                    restore.backups.push_back(std::move(backup));
                }
                ui::BatchWriteDialog restoring(window.router(), restore, &window);
                restoring.show();
                ok = Save(restoring,
                          out.filePath(
                              QStringLiteral("restore-%1.png").arg(QLatin1String(names[id])))) &&
                     ok;
                restoring.hide();

                // A wall of 200: the 180 cards of one subnet chosen by a filter and Ctrl+A.
                ui::BatchWriteDialog::Setup wall = setup;
                wall.cards.clear();
                for (int n = 1; n <= 200; ++n) {
                    const bool hall = n <= 180;
                    const int host = hall ? 10 + n : n - 180 + 20;
                    char mac[18];
                    std::snprintf(mac, sizeof mac, "00:1A:2B:3C:%02X:%02X", n >> 8, n & 0xFF);
                    wall.cards.push_back(
                        {n, hall ? "LED-C4" : "LED-C2", mac,
                         (hall ? "192.168.1." : "192.168.2.") + std::to_string(host), 60});
                }
                ui::BatchWriteDialog walls(window.router(), wall, &window);
                walls.resize(walls.width(), 620);
                walls.show();
                walls.findChild<QLineEdit*>(QStringLiteral("edtFilter"))
                    ->setText(QStringLiteral("192.168.1."));
                walls.btSelectAllClick();
                walls.findChild<QCheckBox*>(QStringLiteral("cbSequentialIp"))->setChecked(true);
                walls.findChild<QLineEdit*>(QStringLiteral("edtFirstIp"))
                    ->setText(QStringLiteral("192.168.1.11"));
                ok =
                    Save(walls, out.filePath(
                                    QStringLiteral("wall-%1.png").arg(QLatin1String(names[id])))) &&
                    ok;
                walls.hide();
            }
            window.searchByIpDialog().show();
            ok = Save(window.searchByIpDialog(), out.filePath(QStringLiteral("assign-ip.png"))) &&
                 ok;
            window.searchByIpDialog().hide();
        }
    }
    return ok ? 0 : 1;
}
