// The many-card commands: the device list exported, the panel kept as a file and brought back,
// and the panel written to several cards.
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
}

void MainWindow::applyManyCardTexts() {
    using lang::CommandText;
    ui_->menu_main_cards->setTitle(commandText(CommandText::ManyCardsMenu));
    ui_->menu_sub_export_list->setText(commandText(CommandText::ExportList));
    ui_->pmiExportList->setText(commandText(CommandText::ExportList));
    ui_->menu_sub_save_parameters->setText(commandText(CommandText::SaveParameters));
    ui_->menu_sub_load_parameters->setText(commandText(CommandText::LoadParameters));
    ui_->menu_sub_write_several_cards->setText(commandText(CommandText::WriteSeveralCards));
}

QList<discovery::SessionView::DeviceRow> MainWindow::deviceRows() const {
    QList<DeviceRow> rows;
    for (int r = 0; r < deviceRowCount(); ++r) {
        rows.append(deviceRow(r));
    }
    return rows;
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
    list.addRows(deviceRows(), foundCards());
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
    for (const DeviceRow& row : deviceRows()) {
        const QString version = DeviceListExport::versionOf(row, foundCards());
        setup.cards.push_back({row, version.toInt()});
    }
    setup.source = readPanel();
    setup.profile = session_->profile();
    setup.columns = deviceColumnCaptions();
    setup.language = catalogues().currentId();
    {
        BatchWriteDialog dialog(*endpoint_, std::move(setup), this);
        const auto giveBack = [this] {
            endpoint_->setReceiveHandler(
                [this](const QByteArray& datagram) { UDPBSerUDPRead(datagram); });
        };
        dialog.run().endpointReleased = giveBack;
        connect(&dialog.run(), &BatchWriteRun::finished, this,
                [this, &dialog] { showNewAddresses(dialog.run()); });
        if (runBatchDialog) {
            runBatchDialog(dialog);
        } else {
            dialog.exec();
        }
    }
    // The engine let go of the endpoint when the dialog went; the window takes it back.
    endpoint_->setReceiveHandler([this](const QByteArray& datagram) { UDPBSerUDPRead(datagram); });
}

void MainWindow::showNewAddresses(const BatchWriteRun& run) {
    for (const BatchWriteRun::CardState& card : run.cards()) {
        if (card.state != BatchWriteRun::State::Confirmed || card.newIp.isEmpty() ||
            card.card.row.mac.isEmpty()) {
            continue;
        }
        for (int r = 0; r < deviceRowCount(); ++r) {
            const DeviceRow row = deviceRow(r);
            if (row.mac == card.card.row.mac && row.ip == card.card.row.ip) {
                setDeviceRowIp(r, card.newIp);
                break;
            }
        }
    }
}

} // namespace ui
