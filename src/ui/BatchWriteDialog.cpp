#include "ui/BatchWriteDialog.h"

#include "discovery/dialogs/DeviceRowColour.h"
#include "fleet/Profile.h"
#include "lang/QtText.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "ui/WindowFace.h"
#include "ui_BatchWriteDialog.h"

#include <QDir>
#include <QHeaderView>
#include <QTableWidget>

namespace ui {

namespace {

enum Column { kNumber, kName, kMac, kIp, kNewIp, kState, kColumnCount };

} // namespace

BatchWriteDialog::BatchWriteDialog(fleet::DatagramRouter& router, Setup setup, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::BatchWriteDialog>()), setup_(std::move(setup)) {
    ApplyWindowFace(this);
    ui_->setupUi(this);
    run_ = std::make_unique<BatchWriteRun>(router, scheduler_, setup_.language);

    using lang::CommandText;
    setWindowTitle(text(CommandText::BatchTitle));
    ui_->lbSource->setText(text(CommandText::ParameterSource));
    ui_->cbSequentialIp->setText(text(CommandText::SequentialFrom));
    ui_->btStart->setText(text(CommandText::Start));
    ui_->btCancel->setText(text(CommandText::Cancel));
    ui_->btClose->setText(text(CommandText::Close));
    ui_->btExportResults->setText(text(CommandText::ExportResults));
    QStringList captions = setup_.columns;
    captions.resize(kIp + 1);
    captions << text(CommandText::NewIpColumn) << text(CommandText::StateColumn);
    ui_->lvCards->setHorizontalHeaderLabels(captions);

    // The start address offered: the panel's own card IP, the one the operator has in front.
    QStringList octets;
    for (protocol::Edit e :
         {protocol::Edit::IP1, protocol::Edit::IP2, protocol::Edit::IP3, protocol::Edit::IP4}) {
        octets << QString::fromStdString(setup_.source[e]).trimmed();
    }
    if (fleet::ParseAddress(octets.join(QLatin1Char('.')).toStdString())) {
        ui_->edtFirstIp->setText(octets.join(QLatin1Char('.')));
    }

    QTableWidget* list = ui_->lvCards;
    list->setRowCount(int(setup_.cards.size()));
    for (int r = 0; r < list->rowCount(); ++r) {
        const auto& row = setup_.cards[std::size_t(r)];
        const QString cells[kColumnCount] = {QString::number(row.number),
                                             QString::fromStdString(row.name),
                                             QString::fromStdString(row.mac),
                                             QString::fromStdString(row.ip),
                                             {},
                                             {}};
        for (int c = 0; c < kColumnCount; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setFlags(Qt::ItemIsEnabled);
            item->setForeground(discovery::DeviceRowColour(r));
            list->setItem(r, c, item);
        }
        list->item(r, kNumber)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        list->item(r, kNumber)->setCheckState(Qt::Unchecked);
    }
    list->resizeColumnsToContents();
    list->horizontalHeader()->setMinimumSectionSize(60);
    for (int c = kNumber; c < kState; ++c) {
        list->setColumnWidth(c, std::max(list->columnWidth(c) + 16, c == kNumber ? 70 : 110));
    }

    connect(ui_->btStart, &QPushButton::clicked, this, &BatchWriteDialog::btStartClick);
    connect(ui_->btCancel, &QPushButton::clicked, this, &BatchWriteDialog::btCancelClick);
    connect(ui_->btClose, &QPushButton::clicked, this, &BatchWriteDialog::btCloseClick);
    connect(ui_->btExportResults, &QPushButton::clicked, this,
            &BatchWriteDialog::btExportResultsClick);
    connect(ui_->cbSequentialIp, &QCheckBox::toggled, this, &BatchWriteDialog::cbSequentialIpClick);
    connect(run_.get(), &BatchWriteRun::cardChanged, this, &BatchWriteDialog::showCard);
    connect(run_.get(), &BatchWriteRun::finished, this, &BatchWriteDialog::runFinished);
}

BatchWriteDialog::~BatchWriteDialog() = default;

QTableWidget* BatchWriteDialog::list() const {
    return ui_->lvCards;
}

QString BatchWriteDialog::text(lang::CommandText which) const {
    return lang::QtText(setup_.language, which);
}

void BatchWriteDialog::cbSequentialIpClick() {
    ui_->edtFirstIp->setEnabled(ui_->cbSequentialIp->isChecked() && !run_->running());
}

void BatchWriteDialog::btStartClick() {
    BatchWriteRun::Plan plan;
    plan.source = setup_.source;
    plan.profile = setup_.profile;
    std::vector<int> rows;
    for (int r = 0; r < ui_->lvCards->rowCount(); ++r) {
        if (ui_->lvCards->item(r, kNumber)->checkState() == Qt::Checked) {
            rows.push_back(r);
            plan.cards.push_back(setup_.cards[std::size_t(r)]);
        }
    }
    if (ui_->cbSequentialIp->isChecked()) {
        const QString typed = ui_->edtFirstIp->text().trimmed();
        plan.firstIp = fleet::ParseAddress(typed.toStdString());
        if (!plan.firstIp) {
            platform::error(this, text(lang::CommandText::BadStartAddress).arg(typed));
            return;
        }
    }
    runRows_ = rows;
    if (const auto refused = run_->start(std::move(plan))) {
        runRows_.clear();
        if (!refused->isEmpty()) {
            platform::error(this, *refused);
        }
        return;
    }
    if (!run_->running()) {
        return; // nothing to wait for: finished at once
    }
    ui_->btStart->setEnabled(false);
    ui_->btClose->setEnabled(false);
    ui_->btCancel->setEnabled(true);
    ui_->cbSequentialIp->setEnabled(false);
    ui_->edtFirstIp->setEnabled(false);
    ui_->pbProgress->setRange(0, int(runRows_.size()));
    ui_->pbProgress->setValue(run_->finishedCount());
    for (int r = 0; r < ui_->lvCards->rowCount(); ++r) {
        ui_->lvCards->item(r, kNumber)->setFlags(Qt::ItemIsEnabled);
    }
    for (std::size_t k = 0; k < run_->cards().size(); ++k) {
        showCard(int(k));
    }
}

void BatchWriteDialog::showCard(int index) {
    if (index < 0 || std::size_t(index) >= runRows_.size()) {
        return;
    }
    const BatchWriteRun::CardState& card = run_->cards()[std::size_t(index)];
    const int row = runRows_[std::size_t(index)];
    QTableWidgetItem* state = ui_->lvCards->item(row, kState);
    state->setText(run_->stateText(card.state));
    state->setToolTip(card.detail);
    ui_->lvCards->item(row, kNewIp)->setText(card.newIp);
    ui_->pbProgress->setValue(run_->finishedCount());
}

void BatchWriteDialog::runFinished() {
    ui_->pbProgress->setRange(0, int(runRows_.size()));
    ui_->pbProgress->setValue(run_->finishedCount());
    ui_->lbSummary->setText(run_->summary());
    ui_->btCancel->setEnabled(false);
    ui_->btClose->setEnabled(true);
    ui_->btExportResults->setEnabled(true);
}

void BatchWriteDialog::btCancelClick() {
    run_->cancel();
}

void BatchWriteDialog::btCloseClick() {
    reject();
}

void BatchWriteDialog::reject() {
    run_->cancel();
    QDialog::reject();
}

void BatchWriteDialog::btExportResultsClick() {
    QString title = text(lang::CommandText::ExportResults);
    title.remove(QStringLiteral("..."));
    const QString path = platform::fileDialogs().saveFileName(
        this, title, QStringLiteral("results.csv"), text(lang::CommandText::CsvFiles));
    if (path.isEmpty()) {
        return;
    }
    QStringList header;
    for (int c = 0; c < kColumnCount; ++c) {
        header << ui_->lvCards->horizontalHeaderItem(c)->text();
    }
    if (!run_->results(header).save(path)) {
        platform::error(this,
                        text(lang::CommandText::CannotWrite).arg(QDir::toNativeSeparators(path)));
    }
}

} // namespace ui
