#include "ui/BatchWriteDialog.h"

#include "discovery/dialogs/DeviceRowColour.h"
#include "fleet/AddressRun.h"
#include "fleet/Profile.h"
#include "fleet/WriteCycle.h"
#include "lang/QtText.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "ui/WindowFace.h"
#include "ui_BatchWriteDialog.h"

#include <QDir>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableWidget>
#include <algorithm>
#include <utility>

namespace ui {

namespace {

enum Column { kNumber, kName, kMac, kIp, kNewIp, kState, kColumnCount };

// A dialog's title is its command without the dots that promise the dialog.
QString DialogTitle(QString command) {
    command.remove(QStringLiteral("..."));
    return command.trimmed();
}

} // namespace

BatchWriteDialog::BatchWriteDialog(fleet::DatagramRouter& router, Setup setup, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::BatchWriteDialog>()), setup_(std::move(setup)) {
    ApplyWindowFace(this);
    ui_->setupUi(this);
    run_ = std::make_unique<BatchWriteRun>(router, scheduler_, setup_.language);
    run_->askToGoOn = [this](const QString& question) {
        return platform::ask(this, question, text(lang::CommandText::AnswerYes),
                             text(lang::CommandText::AnswerNo));
    };

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

    if (restoring()) {
        setWindowTitle(DialogTitle(text(CommandText::RestoreBackup)));
        ui_->lbSource->setText(
            text(CommandText::RestoreSource).arg(QDir::toNativeSeparators(setup_.backupFolder)));
        // Each card gets its own saved address back.
        ui_->cbSequentialIp->hide();
        ui_->edtFirstIp->hide();
    }
    fillRows();

    connect(ui_->btStart, &QPushButton::clicked, this, &BatchWriteDialog::btStartClick);
    connect(ui_->btCancel, &QPushButton::clicked, this, &BatchWriteDialog::btCancelClick);
    connect(ui_->btClose, &QPushButton::clicked, this, &BatchWriteDialog::btCloseClick);
    connect(ui_->btExportResults, &QPushButton::clicked, this,
            &BatchWriteDialog::btExportResultsClick);
    connect(ui_->cbSequentialIp, &QCheckBox::toggled, this, &BatchWriteDialog::cbSequentialIpClick);
    connect(ui_->cbSequentialIp, &QCheckBox::toggled, this, &BatchWriteDialog::previewPlan);
    connect(ui_->edtFirstIp, &QLineEdit::textChanged, this, &BatchWriteDialog::previewPlan);
    connect(ui_->lvCards, &QTableWidget::itemChanged, this, &BatchWriteDialog::previewPlan);
    connect(run_.get(), &BatchWriteRun::cardChanged, this, &BatchWriteDialog::showCard);
    connect(run_.get(), &BatchWriteRun::finished, this, &BatchWriteDialog::runFinished);
    previewPlan();
}

BatchWriteDialog::~BatchWriteDialog() = default;

void BatchWriteDialog::fillRows() {
    rows_.clear();
    if (restoring()) {
        for (std::size_t b = 0; b < setup_.backups.size(); ++b) {
            const fleet::CardIdentity& saved = setup_.backups[b].card;
            const auto listed =
                std::find_if(setup_.cards.begin(), setup_.cards.end(),
                             [&](const BatchWriteRun::Card& c) { return c.mac == saved.mac; });
            if (listed != setup_.cards.end()) {
                rows_.push_back({*listed, int(b), true});
            } else {
                rows_.push_back({{0, std::string(), saved.mac, saved.ip, 0}, int(b), false});
            }
        }
    } else {
        for (const BatchWriteRun::Card& card : setup_.cards) {
            rows_.push_back({card, -1, true});
        }
    }

    QTableWidget* list = ui_->lvCards;
    list->setRowCount(int(rows_.size()));
    for (int r = 0; r < list->rowCount(); ++r) {
        const Row& row = rows_[std::size_t(r)];
        const QString cells[kColumnCount] = {row.found ? QString::number(row.card.number)
                                                       : QString(),
                                             QString::fromStdString(row.card.name),
                                             QString::fromStdString(row.card.mac),
                                             QString::fromStdString(row.card.ip),
                                             {},
                                             {}};
        for (int c = 0; c < kColumnCount; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setFlags(Qt::ItemIsEnabled);
            item->setForeground(discovery::DeviceRowColour(r));
            list->setItem(r, c, item);
        }
        QTableWidgetItem* number = list->item(r, kNumber);
        number->setData(Qt::UserRole, r);
        if (!row.found) {
            // Nothing to write it to: no box to tick.
            list->item(r, kState)->setText(text(lang::CommandText::StateNotFound));
            const QString tip =
                text(lang::CommandText::NotFoundTip).arg(QString::fromStdString(row.card.mac));
            setRowTip(r, tip, tip);
            continue;
        }
        number->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        number->setCheckState(restoring() ? Qt::Checked : Qt::Unchecked);
        if (restoring()) {
            const fleet::Profile& backup = setup_.backups[std::size_t(row.backup)];
            const auto saved = BatchWriteRun::SavedAddresses(backup);
            list->item(r, kNewIp)->setText(saved[0]);
            const QString tip = BatchWriteRun::PlanTip(
                setup_.language, QString::fromStdString(backup.file), saved[0], saved[1], saved[2]);
            setRowTip(r, tip, tip);
        }
    }
    list->resizeColumnsToContents();
    list->horizontalHeader()->setMinimumSectionSize(60);
    for (int c = kNumber; c < kState; ++c) {
        list->setColumnWidth(c, std::max(list->columnWidth(c) + 16, c == kNumber ? 70 : 110));
    }
}

const BatchWriteDialog::Row& BatchWriteDialog::rowAt(int tableRow) const {
    return rows_[std::size_t(ui_->lvCards->item(tableRow, kNumber)->data(Qt::UserRole).toInt())];
}

void BatchWriteDialog::setRowTip(int tableRow, const QString& tip, const QString& stateTip) {
    for (int c = 0; c < kColumnCount; ++c) {
        ui_->lvCards->item(tableRow, c)->setToolTip(c == kState ? stateTip : tip);
    }
}

void BatchWriteDialog::markRefusedRows(const std::vector<QStringList>& findings) {
    for (std::size_t k = 0; k < findings.size() && k < runRows_.size(); ++k) {
        if (findings[k].isEmpty()) {
            continue;
        }
        const int row = runRows_[k];
        const QString why = findings[k].join(QLatin1Char('\n'));
        ui_->lvCards->item(row, kState)->setText(text(lang::CommandText::StateRefused));
        ui_->lvCards->item(row, kState)->setToolTip(why);
        markedRows_.push_back(row);
    }
}

void BatchWriteDialog::previewPlan() {
    // A restore shows each backup's own values from the start; a run shows its own.
    if (restoring() || !runRows_.empty() || run_->running()) {
        return;
    }
    const QSignalBlocker quiet(ui_->lvCards);
    const bool sequential = ui_->cbSequentialIp->isChecked();
    const auto first = sequential
                           ? fleet::ParseAddress(ui_->edtFirstIp->text().trimmed().toStdString())
                           : std::nullopt;
    const QString mask = QString::fromStdString(fleet::TypedMask(setup_.source));
    const QString gateway =
        QString::fromStdString(fleet::TypedQuad(setup_.source, protocol::Edit::Gate1));
    std::size_t k = 0;
    for (int r = 0; r < ui_->lvCards->rowCount(); ++r) {
        QString ip;
        QString tip;
        if (ui_->lvCards->item(r, kNumber)->checkState() == Qt::Checked) {
            if (first) {
                ip = QString::fromStdString(fleet::QuadText(fleet::NthAddress(*first, k)));
            }
            ++k;
            // A start address still being typed promises nothing about the addresses yet.
            tip = sequential && !first ? text(lang::CommandText::ParameterSource)
                                       : BatchWriteRun::PlanTip(setup_.language, QString(), ip,
                                                                ip.isEmpty() ? QString() : mask,
                                                                ip.isEmpty() ? QString() : gateway);
        }
        ui_->lvCards->item(r, kNewIp)->setText(ip);
        const bool marked =
            std::find(markedRows_.begin(), markedRows_.end(), r) != markedRows_.end();
        setRowTip(r, tip, marked ? ui_->lvCards->item(r, kState)->toolTip() : tip);
    }
}

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
    plan.found = setup_.cards;
    plan.local = setup_.local;
    plan.dataFolder = setup_.dataFolder;
    std::vector<int> rows;
    for (int r = 0; r < ui_->lvCards->rowCount(); ++r) {
        if (ui_->lvCards->item(r, kNumber)->checkState() == Qt::Checked) {
            const Row& row = rowAt(r);
            rows.push_back(r);
            plan.cards.push_back(row.card);
            if (row.backup >= 0) {
                plan.backups.push_back(std::make_shared<const fleet::Profile>(
                    setup_.backups[std::size_t(row.backup)]));
            }
        }
    }
    if (!restoring() && ui_->cbSequentialIp->isChecked()) {
        const QString typed = ui_->edtFirstIp->text().trimmed();
        plan.firstIp = fleet::ParseAddress(typed.toStdString());
        if (!plan.firstIp) {
            platform::error(this, text(lang::CommandText::BadStartAddress).arg(typed));
            return;
        }
    }
    // What an earlier start refused may be allowed now.
    for (int row : std::exchange(markedRows_, {})) {
        ui_->lvCards->item(row, kState)->setText(QString());
        ui_->lvCards->item(row, kState)->setToolTip(ui_->lvCards->item(row, kNumber)->toolTip());
    }
    runRows_ = rows;
    if (const auto refused = run_->start(std::move(plan))) {
        markRefusedRows(run_->findingsByCard());
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
    ui_->lvCards->item(row, kState)->setText(run_->stateText(card.state));
    setRowTip(row, card.tip,
              card.detail.isEmpty() ? card.tip : card.detail + QStringLiteral("\n\n") + card.tip);
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
    if (!run_->recordProblems().isEmpty()) {
        platform::error(this, text(lang::CommandText::RecordsFailed) + QLatin1Char('\n') +
                                  run_->recordProblems().join(QLatin1Char('\n')));
    }
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
    const QString path = platform::fileDialogs().saveFileName(
        this, DialogTitle(text(lang::CommandText::ExportResults)), QStringLiteral("results.csv"),
        text(lang::CommandText::CsvFiles));
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
