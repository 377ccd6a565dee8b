// The main window's texts in the language in force: captions, menus, combo items, title.
#include "lang/QtText.h"
#include "ui/CatalogueWidgets.h"
#include "ui/MainWindow.h"
#include "ui_MainWindow.h"

#include <QAbstractItemView>
#include <algorithm>

namespace ui {

QString MainWindow::catalogueText(lang::Lookup lookup, std::string_view key) const {
    return lang::QtText(catalogues(), lookup, key);
}

QAction* MainWindow::languageItem(lang::LanguageId id) const {
    switch (id) {
    case lang::LanguageId::SimplifiedChinese:
        return ui_->menu_sub_simplechn;
    case lang::LanguageId::TraditionalChinese:
        return ui_->menu_sub_traditionalchn;
    case lang::LanguageId::English:
        return ui_->menu_sub_english;
    }
    return nullptr;
}

void MainWindow::ApplyLanguage(bool create, lang::LanguageId id) {
    settings_.LgType = static_cast<int>(id);
    if (create && catalogues().apply(id)) {
        languageItem(id)->setChecked(true);
    }
    const lang::TLanguage* catalogue = catalogues().catalogue(id);
    if (catalogue == nullptr) {
        return;
    }

    const QString sixBlanks(6, QLatin1Char(' '));
    QLabel* const panels[] = {ui_->pnSizeSet,      ui_->pnCommInterface,   ui_->pnIPInfo,
                              ui_->pnInternalCode, ui_->pnSoftwearVersion, ui_->pnMacAddr,
                              ui_->pnServerCfg,    ui_->pnDnsServer,       ui_->pnServerPort};
    for (std::size_t p = 0; p < std::size(panels); ++p) {
        panels[p]->setText(sixBlanks + Utf8(catalogue->TextAt(lang::Section::PanelHeaders, p)));
    }

    RelabelMenuBar(ui_->mainMenu, *catalogue);
    // The many-card commands have no catalogue entries; their texts come from their own table.
    applyManyCardTexts();

    ui_->pmiSModm->setText(SectionText(*catalogue, lang::Section::Menus, "menu_sub_search_device"));
    ui_->pmiClearList->setText(
        SectionText(*catalogue, lang::Section::Menus, "menu_sub_clear_device_list"));
    ui_->pmiExit->setText(SectionText(*catalogue, lang::Section::Menus, "menu_sub_exit"));

    const QString twoBlanks(2, QLatin1Char(' '));
    QPushButton* const buttons[] = {ui_->btSModm, ui_->btSend, ui_->btRefresh};
    for (std::size_t b = 0; b < std::size(buttons); ++b) {
        buttons[b]->setText(twoBlanks + Utf8(catalogue->TextAt(lang::Section::Buttons, b)));
    }

    const std::pair<QTableWidget*, lang::Section> labelLists[] = {
        {ui_->lvSizeSet, lang::Section::SizeRows},
        {ui_->lvCommInterface, lang::Section::CommRows},
        {ui_->lvIPInfo, lang::Section::AddressRows}};
    for (const auto& [list, section] : labelLists) {
        int row = 0;
        for (const std::string& caption : catalogue->RowCaptions(section)) {
            if (row >= list->rowCount()) {
                break;
            }
            if (QTableWidgetItem* cell = list->item(row, 0)) {
                cell->setText(Utf8(caption));
            } else {
                list->setItem(row, 0, new QTableWidgetItem(Utf8(caption)));
            }
            ++row;
        }
    }

    FillComboFromCatalogue(ui_->cmdPClor, 0, settings_.CardColor == 3 ? 2 : 1, true);
    FillComboFromCatalogue(ui_->cmdScan, 3, 3, true);
    FillComboFromCatalogue(ui_->cmdDLamp, 4, 5, true);
    FillComboFromCatalogue(ui_->cmdNLamp, 4, 5, true);
    FillComboFromCatalogue(ui_->cmdOE, 6, 7, true);
    FillComboFromCatalogue(ui_->cmdDataBit, 6, 7, true);
    FillComboFromCatalogue(ui_->cmdSContent, 6, 7, true);
    FillComboFromCatalogue(ui_->cmdCF, 8, 10, true);
    FillComboFromCatalogue(ui_->cmdRowOrder, 11, 13, true);
    FillComboFromCatalogue(ui_->cmdComm, 14, 16, true);
    FillComboFromCatalogue(ui_->cmdRate, 17, 19, true);
    FillComboFromCatalogue(ui_->cmdTrans, 20, 23, true);
    FillComboFromCatalogue(ui_->cmdEmptyDisplay, 24, 25, true);
    FillComboFromCatalogue(ui_->cmdRowOrder, 26, 26, false);

    ApplyColumnCaptions(ui_->lvModList);
    markSharedAddresses();

    setWindowTitle(catalogueText(lang::Lookup::Messages, "softwear_title") + QLatin1Char(' ') +
                   VersionText);

    ui_->rBtnServerIP->setText(catalogueText(lang::Lookup::ServerCaptions, "item_service_IP"));
    ui_->rBtnServerDomain->setText(
        catalogueText(lang::Lookup::ServerCaptions, "item_service_domain"));

    for (int i = 0; i < 3; ++i) {
        ui_->rGCfg->setItemText(
            i, Utf8(catalogue->TextAt(lang::Section::ConfigModes, static_cast<std::size_t>(i))));
    }

    ui_->cbDNSAddr->setText(catalogueText(
        lang::Lookup::DnsCaptions, ui_->cbDNSAddr->isChecked() ? "item_dns_set" : "item_auto_get"));

    // Long items do not fit the 165-pixel boxes; their drop-down lists show them whole.
    for (QComboBox* combo : panel_.combos) {
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i) {
            widest = std::max(widest, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
        }
        combo->view()->setMinimumWidth(widest + 24);
    }

    nameEditors();
}

void MainWindow::FillComboFromCatalogue(QComboBox* combo, int first, int last, bool clear) {
    const lang::TLanguage* catalogue = catalogues().current();
    if (catalogue == nullptr) {
        return;
    }
    // Qt chooses the first item of an empty list by itself; the panel wants no choice.
    const int chosen = clear ? -1 : combo->currentIndex();
    if (clear) {
        combo->clear();
    }
    for (int p = first; p <= last; ++p) {
        const QString text =
            Utf8(catalogue->TextAt(lang::Section::ComboItems, static_cast<std::size_t>(p)));
        if (p == 3) {
            BuildScanModeTable(text);
            break;
        }
        combo->addItem(text);
        if (p == 4) {
            for (int level = 1; level <= 6; ++level) {
                combo->addItem(QString::number(level));
            }
        }
    }
    combo->setCurrentIndex(chosen);
}

void MainWindow::BuildScanModeTable(const QString& staticScanWord) {
    QComboBox* scan = ui_->cmdScan;
    const bool wasEmpty = scan->count() == 0;
    const int chosen = scan->currentIndex();
    for (const std::string& name : scanModes_.Build(staticScanWord.toStdString())) {
        scan->addItem(Utf8(name));
    }
    scan->setCurrentIndex(wasEmpty ? -1 : chosen);
}

void MainWindow::ApplyColumnCaptions(QAbstractItemView* list) {
    ui::ApplyColumnCaptions(list, catalogues().current());
}

void MainWindow::SetComboItems(QComboBox* combo, const QString& text) {
    ui::SetComboItems(combo, text);
}

QString MainWindow::captionFor(protocol::Edit edit) const {
    using protocol::Edit;
    const auto row = [](const QTableWidget* list, int r) {
        const QTableWidgetItem* item = list->item(r, 0);
        return item ? item->text().trimmed() : QString();
    };
    switch (edit) {
    case Edit::PLen:
        return row(ui_->lvSizeSet, 0);
    case Edit::PHeight:
        return row(ui_->lvSizeSet, 1);
    case Edit::IP1:
    case Edit::IP2:
    case Edit::IP3:
    case Edit::IP4:
        return row(ui_->lvIPInfo, 0);
    case Edit::C1:
    case Edit::C2:
    case Edit::C3:
    case Edit::C4:
        return row(ui_->lvIPInfo, 1);
    case Edit::Gate1:
    case Edit::Gate2:
    case Edit::Gate3:
    case Edit::Gate4:
        return row(ui_->lvIPInfo, 2);
    case Edit::DIP1:
    case Edit::DIP2:
    case Edit::DIP3:
    case Edit::DIP4:
        return ui_->rBtnServerIP->text().trimmed();
    case Edit::DNS1:
    case Edit::DNS2:
    case Edit::DNS3:
    case Edit::DNS4:
        return ui_->pnDnsServer->text().trimmed();
    case Edit::DPort:
        return ui_->pnServerPort->text().trimmed();
    default:
        return {};
    }
}

} // namespace ui
