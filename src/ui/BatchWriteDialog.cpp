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
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
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

// Cards that need the operator's attention sort first: refused, silent, then unconfirmed.
int AttentionRank(BatchWriteRun::State state) {
    using State = BatchWriteRun::State;
    switch (state) {
    case State::Refused:
        return 0;
    case State::NoAnswer:
        return 1;
    case State::NotConfirmed:
        return 2;
    case State::Waiting:
    case State::Sent:
        return 3;
    case State::NotWritten:
        return 4;
    case State::Confirmed:
        return 5;
    }
    return 6;
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
    ui_->lbFilter->setText(text(CommandText::FilterLabel));
    ui_->edtFilter->setPlaceholderText(text(CommandText::FilterHint));
    const std::pair<QPushButton*, std::pair<CommandText, QKeySequence>> choosers[] = {
        {ui_->btSelectAll, {CommandText::SelectAll, QKeySequence(QKeySequence::SelectAll)}},
        {ui_->btSelectNone, {CommandText::SelectNone, QKeySequence(u"Ctrl+Shift+A"_qs)}},
        {ui_->btInvert, {CommandText::InvertTicks, QKeySequence(u"Ctrl+I"_qs)}},
    };
    for (const auto& [button, what] : choosers) {
        button->setText(text(what.first));
        button->setToolTip(
            text(CommandText::ShortcutTip)
                .arg(text(what.first), what.second.toString(QKeySequence::NativeText)));
    }
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
    // Screen readers name every control in the language in force.
    setAccessibleName(windowTitle());
    ui_->lvCards->setAccessibleName(text(CommandText::CardListName));
    ui_->edtFilter->setAccessibleName(text(CommandText::FilterHint));
    ui_->edtFirstIp->setAccessibleName(text(CommandText::SequentialFrom));
    ui_->cbSequentialIp->setAccessibleName(ui_->cbSequentialIp->text());
    for (QPushButton* button : {ui_->btSelectAll, ui_->btSelectNone, ui_->btInvert, ui_->btStart,
                                ui_->btCancel, ui_->btClose, ui_->btExportResults}) {
        button->setAccessibleName(button->text().remove(QStringLiteral("...")));
    }
    fillRows();
    showTicks();
    ui_->lvCards->viewport()->installEventFilter(this);
    ui_->lvCards->installEventFilter(this);
    ui_->edtFilter->installEventFilter(this);
    ui_->lvCards->horizontalHeader()->setSectionsClickable(true);

    connect(ui_->btStart, &QPushButton::clicked, this, &BatchWriteDialog::btStartClick);
    connect(ui_->btCancel, &QPushButton::clicked, this, &BatchWriteDialog::btCancelClick);
    connect(ui_->btClose, &QPushButton::clicked, this, &BatchWriteDialog::btCloseClick);
    connect(ui_->btExportResults, &QPushButton::clicked, this,
            &BatchWriteDialog::btExportResultsClick);
    connect(ui_->cbSequentialIp, &QCheckBox::toggled, this, &BatchWriteDialog::cbSequentialIpClick);
    connect(ui_->cbSequentialIp, &QCheckBox::toggled, this, &BatchWriteDialog::previewPlan);
    connect(ui_->edtFirstIp, &QLineEdit::textChanged, this, &BatchWriteDialog::previewPlan);
    connect(ui_->lvCards, &QTableWidget::itemChanged, this, &BatchWriteDialog::previewPlan);
    connect(ui_->btSelectAll, &QPushButton::clicked, this, &BatchWriteDialog::btSelectAllClick);
    connect(ui_->btSelectNone, &QPushButton::clicked, this, &BatchWriteDialog::btSelectNoneClick);
    connect(ui_->btInvert, &QPushButton::clicked, this, &BatchWriteDialog::btInvertClick);
    connect(ui_->edtFilter, &QLineEdit::textChanged, this, &BatchWriteDialog::edtFilterChange);
    connect(ui_->lvCards->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &BatchWriteDialog::lvCardsHeaderClick);
    connect(ui_->lvCards, &QTableWidget::itemChanged, this, &BatchWriteDialog::boxChanged);
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

    std::vector<protocol::DeviceEntry> cards;
    cards.reserve(rows_.size());
    for (const Row& row : rows_) {
        cards.push_back(row.card);
    }
    choice_ = std::make_unique<CardChoice>(std::move(cards));
    numberItems_.assign(rows_.size(), nullptr);

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
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setForeground(discovery::DeviceRowColour(r));
            list->setItem(r, c, item);
        }
        QTableWidgetItem* number = list->item(r, kNumber);
        number->setData(Qt::UserRole, r);
        numberItems_[std::size_t(r)] = number;
        if (!row.found) {
            choice_->setTickable(std::size_t(r), false);
            // Nothing to write it to: no box to tick.
            list->item(r, kState)->setText(text(lang::CommandText::StateNotFound));
            const QString tip =
                text(lang::CommandText::NotFoundTip).arg(QString::fromStdString(row.card.mac));
            setRowTip(r, tip, tip);
            continue;
        }
        number->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        number->setCheckState(restoring() ? Qt::Checked : Qt::Unchecked);
        choice_->setTicked(std::size_t(r), restoring());
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

std::size_t BatchWriteDialog::indexAt(int tableRow) const {
    return std::size_t(ui_->lvCards->item(tableRow, kNumber)->data(Qt::UserRole).toInt());
}

const BatchWriteDialog::Row& BatchWriteDialog::rowAt(int tableRow) const {
    return rows_[indexAt(tableRow)];
}

void BatchWriteDialog::setRowTip(int tableRow, const QString& tip, const QString& stateTip) {
    for (int c = 0; c < kColumnCount; ++c) {
        ui_->lvCards->item(tableRow, c)->setToolTip(c == kState ? stateTip : tip);
    }
}

void BatchWriteDialog::markRefusedRows(const std::vector<QStringList>& findings) {
    for (std::size_t k = 0; k < findings.size() && k < runCards_.size(); ++k) {
        if (findings[k].isEmpty()) {
            continue;
        }
        const int row = tableRowOf(runCards_[k]);
        const QString why = findings[k].join(QLatin1Char('\n'));
        ui_->lvCards->item(row, kState)->setText(text(lang::CommandText::StateRefused));
        ui_->lvCards->item(row, kState)->setToolTip(why);
        markedRows_.push_back(int(runCards_[k]));
    }
}

void BatchWriteDialog::previewPlan() {
    // A restore shows each backup's own values from the start; a run shows its own.
    if (restoring() || !runCards_.empty() || run_->running()) {
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
            std::find(markedRows_.begin(), markedRows_.end(), int(indexAt(r))) != markedRows_.end();
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
    // Sequential addresses follow the order shown; hidden ticked cards are written too.
    const std::vector<std::size_t> ticked = choice_->tickedInOrder();
    for (std::size_t index : ticked) {
        {
            const Row& row = rows_[index];
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
    for (int marked : std::exchange(markedRows_, {})) {
        const int row = tableRowOf(std::size_t(marked));
        ui_->lvCards->item(row, kState)->setText(QString());
        ui_->lvCards->item(row, kState)->setToolTip(ui_->lvCards->item(row, kNumber)->toolTip());
    }
    runCards_ = ticked;
    if (const auto refused = run_->start(std::move(plan))) {
        markRefusedRows(run_->findingsByCard());
        runCards_.clear();
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
    ui_->btSelectAll->setEnabled(false);
    ui_->btSelectNone->setEnabled(false);
    ui_->btInvert->setEnabled(false);
    ui_->pbProgress->setRange(0, int(runCards_.size()));
    ui_->pbProgress->setValue(run_->finishedCount());
    for (QTableWidgetItem* number : numberItems_) {
        number->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    for (std::size_t k = 0; k < run_->cards().size(); ++k) {
        showCard(int(k));
    }
}

void BatchWriteDialog::showCard(int index) {
    if (index < 0 || std::size_t(index) >= runCards_.size()) {
        return;
    }
    const BatchWriteRun::CardState& card = run_->cards()[std::size_t(index)];
    const std::size_t shown = runCards_[std::size_t(index)];
    const int row = tableRowOf(shown);
    choice_->setNewIp(shown, card.newIp);
    choice_->setStateRank(shown, AttentionRank(card.state));
    ui_->lvCards->item(row, kState)->setText(run_->stateText(card.state));
    setRowTip(row, card.tip,
              card.detail.isEmpty() ? card.tip : card.detail + QStringLiteral("\n\n") + card.tip);
    ui_->lvCards->item(row, kNewIp)->setText(card.newIp);
    ui_->pbProgress->setValue(run_->finishedCount());
    showCounters();
}

void BatchWriteDialog::runFinished() {
    ui_->pbProgress->setRange(0, int(runCards_.size()));
    ui_->pbProgress->setValue(run_->finishedCount());
    showCounters();
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

std::vector<int> BatchWriteDialog::runRows() const {
    std::vector<int> rows;
    rows.reserve(runCards_.size());
    for (std::size_t index : runCards_) {
        rows.push_back(tableRowOf(index));
    }
    return rows;
}

int BatchWriteDialog::tableRowOf(std::size_t row) const {
    return numberItems_[row]->row();
}

bool BatchWriteDialog::choosing() const {
    return runCards_.empty() && !run_->running() && run_->finishedCount() == 0;
}

void BatchWriteDialog::boxChanged(QTableWidgetItem* item) {
    // A box ticked another way than by a click here: a screen reader's toggle, say.
    if (item->column() != kNumber || !choosing()) {
        return;
    }
    const auto index = std::size_t(item->data(Qt::UserRole).toInt());
    const bool checked = item->checkState() == Qt::Checked;
    if (index < rows_.size() && choice_->tickable(index) && checked != choice_->ticked(index)) {
        choice_->setTicked(index, checked);
        showTicks();
    }
}

void BatchWriteDialog::showTicks() {
    {
        // One preview after all the boxes, not one per box: a wall has hundreds.
        const QSignalBlocker quiet(ui_->lvCards);
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (choice_->tickable(i)) {
                numberItems_[i]->setCheckState(choice_->ticked(i) ? Qt::Checked : Qt::Unchecked);
            }
            ui_->lvCards->setRowHidden(tableRowOf(i), !choice_->shown(i));
        }
    }
    previewPlan();
    const std::size_t hidden = choice_->hiddenTickedCount();
    const QString count = QString::number(choice_->tickedCount());
    const QString all = QString::number(rows_.size());
    ui_->lbTicked->setText(hidden == 0
                               ? text(lang::CommandText::TickedCount).arg(count, all)
                               : text(lang::CommandText::TickedHidden).arg(count, all).arg(hidden));
}

void BatchWriteDialog::showOrder() {
    // Moving the items keeps each card's texts, tick, colour and tooltips with it.
    QTableWidget* list = ui_->lvCards;
    const QSignalBlocker quiet(list);
    std::vector<std::array<QTableWidgetItem*, kColumnCount>> taken(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const int r = tableRowOf(i);
        for (int c = 0; c < kColumnCount; ++c) {
            taken[i][std::size_t(c)] = list->takeItem(r, c);
        }
    }
    const std::vector<std::size_t>& order = choice_->order();
    for (std::size_t r = 0; r < order.size(); ++r) {
        for (int c = 0; c < kColumnCount; ++c) {
            list->setItem(int(r), c, taken[order[r]][std::size_t(c)]);
        }
    }
    showTicks();
}

void BatchWriteDialog::showCounters() {
    using State = BatchWriteRun::State;
    const int sent =
        run_->count(State::Sent) + run_->count(State::Confirmed) + run_->count(State::NotConfirmed);
    ui_->lbCounters->setText(text(lang::CommandText::RunCounters)
                                 .arg(sent)
                                 .arg(run_->count(State::Confirmed))
                                 .arg(run_->count(State::NotConfirmed))
                                 .arg(run_->count(State::NoAnswer))
                                 .arg(run_->count(State::Refused)));
}

void BatchWriteDialog::btSelectAllClick() {
    if (choosing()) {
        choice_->tickShown();
        showTicks();
    }
}

void BatchWriteDialog::btSelectNoneClick() {
    if (choosing()) {
        choice_->untickShown();
        showTicks();
    }
}

void BatchWriteDialog::btInvertClick() {
    if (choosing()) {
        choice_->invertShown();
        showTicks();
    }
}

void BatchWriteDialog::edtFilterChange(const QString& typed) {
    choice_->setFilter(typed);
    showTicks();
}

void BatchWriteDialog::lvCardsHeaderClick(int column) {
    sortAscending_ = column == sortColumn_ ? !sortAscending_ : true;
    sortColumn_ = column;
    choice_->sortBy(CardChoice::Column(column), sortAscending_);
    QHeaderView* header = ui_->lvCards->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, sortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
    showOrder();
}

bool BatchWriteDialog::chooseByKey(const QKeyEvent& key) {
    const QKeyCombination combination = key.keyCombination();
    if (key.matches(QKeySequence::SelectAll)) {
        btSelectAllClick();
    } else if (combination == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_A)) {
        btSelectNoneClick();
    } else if (combination == QKeyCombination(Qt::ControlModifier, Qt::Key_I)) {
        btInvertClick();
    } else {
        return false;
    }
    return true;
}

bool BatchWriteDialog::eventFilter(QObject* watched, QEvent* event) {
    QTableWidget* list = ui_->lvCards;
    const QEvent::Type type = event->type();
    const bool isField = watched == ui_->edtFilter;
    if ((isField || watched == list) &&
        (type == QEvent::ShortcutOverride || type == QEvent::KeyPress)) {
        auto& key = static_cast<QKeyEvent&>(*event);
        const bool choosingKey =
            key.matches(QKeySequence::SelectAll) ||
            key.keyCombination() ==
                QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_A) ||
            key.keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_I);
        if (type == QEvent::ShortcutOverride) {
            if (choosingKey) {
                key.accept(); // the key press comes to this filter, not to a shortcut
                return true;
            }
            return QDialog::eventFilter(watched, event);
        }
        if (chooseByKey(key)) {
            return true;
        }
        // Enter in the filter field must never start a write.
        if (isField && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)) {
            return true;
        }
        if (watched == list && key.key() == Qt::Key_Space && key.modifiers() == Qt::NoModifier) {
            if (choosing()) {
                std::vector<std::size_t> cards;
                for (const QModelIndex& index : list->selectionModel()->selectedRows(kNumber)) {
                    cards.push_back(indexAt(index.row()));
                }
                choice_->toggle(cards);
                showTicks();
            }
            return true;
        }
    }
    if (watched == list->viewport() && type == QEvent::MouseButtonPress) {
        const auto& mouse = static_cast<const QMouseEvent&>(*event);
        const QModelIndex at = list->indexAt(mouse.position().toPoint());
        if (mouse.button() == Qt::LeftButton && at.isValid() && at.column() == kNumber &&
            choosing()) {
            choice_->click(indexAt(at.row()), mouse.modifiers().testFlag(Qt::ShiftModifier));
            showTicks();
        }
    }
    // The press above ticked the box: the release and a double click must not tick it again.
    if (watched == list->viewport() &&
        (type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick)) {
        const auto& mouse = static_cast<const QMouseEvent&>(*event);
        const QModelIndex at = list->indexAt(mouse.position().toPoint());
        if (mouse.button() == Qt::LeftButton && at.isValid() && at.column() == kNumber) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace ui
