// The many-card commands: the device list exported, the panel kept as a file and brought back,
// the panel written to several cards, and the cards of a backup written back.
#include "fleet/Records.h"
#include "lang/QtText.h"
#include "lang/Texts.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "ui/BatchWriteDialog.h"
#include "ui/CatalogueWidgets.h"
#include "ui/DeviceListExport.h"
#include "ui/MainWindow.h"
#include "ui/ParameterFile.h"
#include "ui_MainWindow.h"

#include <QDir>
#include <QMenu>

namespace ui {

namespace {

// A dialog's title is its command without the dots that promise the dialog.
QString DialogTitle(QString command) {
    command.remove(QStringLiteral("..."));
    return command.trimmed();
}

} // namespace

QString MainWindow::commandText(lang::CommandText which) const {
    return lang::QtText(catalogues().currentId(), which);
}

void MainWindow::setUpManyCardCommands() {
    ui_->N11->setSeparator(true);
    pMenuItem_->insertAction(ui_->N3, ui_->pmiExportList);
    connect(ui_->menu_sub_export_list, &QAction::triggered, this,
            &MainWindow::menu_sub_export_listClick);
    connect(ui_->pmiExportList, &QAction::triggered, this, &MainWindow::menu_sub_export_listClick);
    connect(ui_->menu_sub_save_parameters, &QAction::triggered, this,
            &MainWindow::menu_sub_save_parametersClick);
    connect(ui_->menu_sub_load_parameters, &QAction::triggered, this,
            &MainWindow::menu_sub_load_parametersClick);
    connect(ui_->menu_sub_write_several_cards, &QAction::triggered, this,
            &MainWindow::menu_sub_write_several_cardsClick);
    connect(ui_->menu_sub_restore_backup, &QAction::triggered, this,
            &MainWindow::menu_sub_restore_backupClick);
}

void MainWindow::applyManyCardTexts() {
    using lang::CommandText;
    ui_->menu_main_cards->setTitle(commandText(CommandText::ManyCardsMenu));
    ui_->menu_sub_export_list->setText(commandText(CommandText::ExportList));
    ui_->pmiExportList->setText(commandText(CommandText::ExportList));
    ui_->menu_sub_save_parameters->setText(commandText(CommandText::SaveParameters));
    ui_->menu_sub_load_parameters->setText(commandText(CommandText::LoadParameters));
    ui_->menu_sub_write_several_cards->setText(commandText(CommandText::WriteSeveralCards));
    ui_->menu_sub_restore_backup->setText(commandText(CommandText::RestoreBackup));
}

QStringList MainWindow::deviceColumnCaptions() const {
    QStringList captions;
    for (int c = 0; c < ui_->lvModList->columnCount(); ++c) {
        const QTableWidgetItem* header = ui_->lvModList->horizontalHeaderItem(c);
        captions << (header ? header->text() : QString());
    }
    return captions;
}

void MainWindow::exportDeviceList() {
    const QString path = platform::fileDialogs().saveFileName(
        this, DialogTitle(commandText(lang::CommandText::ExportList)),
        QStringLiteral("devices.csv"), commandText(lang::CommandText::CsvFiles));
    if (path.isEmpty()) {
        return;
    }
    // The version column is headed as the version strip of the panel is.
    QStringList header = deviceColumnCaptions();
    header << ui_->pnSoftwearVersion->text().trimmed();
    DeviceListExport list(header);
    list.addRows(deviceRows());
    if (!list.save(path)) {
        platform::error(
            this, commandText(lang::CommandText::CannotWrite).arg(QDir::toNativeSeparators(path)));
    }
}

void MainWindow::saveParameters() {
    const protocol::PanelModel shown = readPanel();
    const QString mac = QString::fromStdString(shown[protocol::Edit::MACAddr]).trimmed();
    if (mac.isEmpty()) {
        platform::inform(this, commandText(lang::CommandText::NothingRead));
        return;
    }
    QString suggested = mac;
    suggested.replace(QLatin1Char(':'), QLatin1Char('-'));
    const QString path = platform::fileDialogs().saveFileName(
        this, DialogTitle(commandText(lang::CommandText::SaveParameters)),
        suggested + QStringLiteral(".json"), commandText(lang::CommandText::ParameterFiles));
    if (path.isEmpty()) {
        return;
    }
    if (const auto failure =
            ParameterFile::save(path, shown, session_->profile(), catalogues().currentId())) {
        platform::error(this, failure->message);
    }
}

void MainWindow::loadParameters() {
    const QString path = platform::fileDialogs().openFileName(
        this, DialogTitle(commandText(lang::CommandText::LoadParameters)),
        commandText(lang::CommandText::ParameterFiles));
    if (path.isEmpty()) {
        return;
    }
    const auto loaded =
        ParameterFile::load(path, readPanel(), session_->profile(), catalogues().currentId());
    if (const auto* failure = std::get_if<ParameterFile::Failure>(&loaded)) {
        platform::error(this, failure->message);
        return;
    }
    showPanel(std::get<protocol::PanelModel>(loaded));
}

void MainWindow::writeSeveralCards() {
    BatchWriteDialog::Setup setup;
    setup.source = readPanel();
    BatchWriteDialog dialog(*router_, setUpSeveralCards(std::move(setup)), this);
    runSeveralCardsDialog(dialog);
}

void MainWindow::restoreFromBackup() {
    const lang::LanguageId language = catalogues().currentId();
    const QString folder = platform::fileDialogs().folderName(
        this, DialogTitle(commandText(lang::CommandText::RestoreBackup)),
        QDir(dataFolder()).filePath(QStringLiteral("backups")));
    if (folder.isEmpty()) {
        return;
    }
    fleet::BackupSet backups = fleet::ReadBackups({folder}, language);
    if (!backups.problems.empty()) {
        // What is left out, named file by file; the rest can still be restored.
        QStringList lines(backups.problems.begin(), backups.problems.end());
        if (!backups.profiles.empty()) {
            lines.prepend(commandText(lang::CommandText::BackupsSkipped));
        }
        platform::error(this, lines.join(QLatin1Char('\n')));
    }
    if (backups.profiles.empty()) {
        return;
    }
    BatchWriteDialog::Setup setup;
    setup.backups = std::move(backups.profiles);
    setup.backupFolder = folder;
    BatchWriteDialog dialog(*router_, setUpSeveralCards(std::move(setup)), this);
    runSeveralCardsDialog(dialog);
}

BatchWriteDialog::Setup MainWindow::setUpSeveralCards(BatchWriteDialog::Setup setup) const {
    setup.cards = deviceRows();
    setup.profile = session_->profile();
    setup.columns = deviceColumnCaptions();
    setup.language = catalogues().currentId();
    setup.local = localSubnets();
    setup.dataFolder = dataFolder();
    return setup;
}

void MainWindow::runSeveralCardsDialog(BatchWriteDialog& dialog) {
    connect(&dialog.run(), &BatchWriteRun::finished, this,
            [this, &dialog] { showNewAddresses(dialog.run()); });
    if (runBatchDialog) {
        runBatchDialog(dialog);
    } else {
        dialog.exec();
    }
}

void MainWindow::showNewAddresses(const BatchWriteRun& run) {
    for (const BatchWriteRun::CardState& card : run.cards()) {
        if (card.state != BatchWriteRun::State::Confirmed || card.newIp.isEmpty() ||
            card.card.mac.empty()) {
            continue;
        }
        for (int r = 0; r < deviceRowCount(); ++r) {
            const DeviceRow row = deviceRow(r);
            if (row.mac == card.card.mac && row.ip == card.card.ip) {
                setDeviceRowIp(r, card.newIp);
                break;
            }
        }
    }
}

} // namespace ui
