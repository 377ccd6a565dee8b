// The device list as the session sees it: one found card per row, kept as a value beside the
// row's cells. Rows of cards that share their IP with another card carry a mark.
#include "discovery/dialogs/DeviceRowColour.h"
#include "fleet/AddressConflicts.h"
#include "lang/QtText.h"
#include "ui/MainWindow.h"
#include "ui_MainWindow.h"

#include <QStyle>
#include <algorithm>

namespace ui {

namespace {

constexpr int kIpColumn = 3;
// Pale amber: the magenta and the blue of the rows both stay readable on it.
const QColor kSharedBackground(0xFF, 0xE0, 0x82);
// A wall of fresh cards can put hundreds at one address; the tooltip names the first few.
constexpr std::size_t kNamedInTip = 5;

// Empty for a card that has its address to itself. The first line is fixed text, so Qt never
// takes a card's name on a later line for rich text.
QString SharedAddressTip(const std::vector<protocol::DeviceEntry>& cards,
                         const fleet::AddressConflicts& conflicts, std::size_t card,
                         lang::LanguageId language) {
    if (!conflicts.conflicts(card)) {
        return {};
    }
    using lang::CommandText;
    QStringList lines{lang::QtText(language, CommandText::SharedAddressTip)
                          .arg(QString::fromStdString(cards[card].ip))};
    const std::vector<std::size_t> named = conflicts.othersOf(card, kNamedInTip);
    for (const std::size_t other : named) {
        const protocol::DeviceEntry& c = cards[other];
        lines << QStringLiteral("%1  %2  (%3)")
                     .arg(QString::number(c.number), QString::fromStdString(c.name),
                          QString::fromStdString(c.mac));
    }
    if (const std::size_t more = conflicts.othersCount(card) - named.size(); more > 0) {
        lines << lang::QtText(language, CommandText::SharedAddressMore).arg(more);
    }
    lines << lang::QtText(language, CommandText::SharedAddressHint);
    return lines.join(QLatin1Char('\n'));
}

// The mark: a warning sign before the IP, the row on amber, and the tooltip, which a screen
// reader gets as the cells' description. An empty tip takes a mark away.
void MarkDeviceRow(QTableWidget* list, int row, const QString& tip) {
    const bool marked = !tip.isEmpty();
    for (int column = 0; column < list->columnCount(); ++column) {
        QTableWidgetItem* item = list->item(row, column);
        if (item == nullptr || (!marked && item->data(Qt::ToolTipRole).toString().isEmpty())) {
            continue;
        }
        item->setData(Qt::BackgroundRole, marked ? QVariant(kSharedBackground) : QVariant());
        item->setData(Qt::ToolTipRole, marked ? QVariant(tip) : QVariant());
        item->setData(Qt::AccessibleDescriptionRole, marked ? QVariant(tip) : QVariant());
        if (column == kIpColumn) {
            item->setData(Qt::DecorationRole,
                          marked
                              ? QVariant(list->style()->standardIcon(QStyle::SP_MessageBoxWarning))
                              : QVariant());
        }
    }
}

} // namespace

int MainWindow::deviceRowCount() const {
    return ui_->lvModList->rowCount();
}

session::SessionView::DeviceRow MainWindow::deviceRow(int row) const {
    return listed_.at(static_cast<std::size_t>(row));
}

void MainWindow::setDeviceRowIp(int row, const QString& ip) {
    DeviceRow& card = listed_.at(static_cast<std::size_t>(row));
    const std::string before = card.ip;
    card.ip = ip.toStdString();
    if (QTableWidgetItem* item = ui_->lvModList->item(row, kIpColumn)) {
        item->setText(ip);
    }
    // The move can end a conflict at the old address and start one at the new.
    markSharedAddresses({before, card.ip});
}

void MainWindow::markSharedAddresses(const std::vector<std::string>& ips) {
    const lang::LanguageId language = catalogues().currentId();
    if (ips.empty()) {
        const fleet::AddressConflicts conflicts(listed_);
        for (std::size_t r = 0; r < listed_.size(); ++r) {
            MarkDeviceRow(ui_->lvModList, static_cast<int>(r),
                          SharedAddressTip(listed_, conflicts, r, language));
        }
        return;
    }
    // Whether a card conflicts depends only on the cards at its address: the rule runs on the
    // rows at the given addresses alone.
    std::vector<int> rows;
    std::vector<DeviceRow> cards;
    for (std::size_t r = 0; r < listed_.size(); ++r) {
        const std::string& at = listed_[r].ip;
        if (!at.empty() && std::find(ips.begin(), ips.end(), at) != ips.end()) {
            rows.push_back(static_cast<int>(r));
            cards.push_back(listed_[r]);
        }
    }
    const fleet::AddressConflicts conflicts(cards);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        MarkDeviceRow(ui_->lvModList, rows[i], SharedAddressTip(cards, conflicts, i, language));
    }
}

void MainWindow::clearDeviceList() {
    ui_->lvModList->setRowCount(0);
    listed_.clear();
}

void MainWindow::appendDeviceRows(const std::vector<DeviceRow>& rows) {
    QTableWidget* list = ui_->lvModList;
    list->setUpdatesEnabled(false);
    const int first = list->rowCount();
    list->setRowCount(first + static_cast<int>(rows.size()));
    listed_.insert(listed_.end(), rows.begin(), rows.end());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = first + static_cast<int>(i);
        const QColor colour = discovery::DeviceRowColour(row);
        const QString cells[] = {
            QString::number(rows[i].number), QString::fromStdString(rows[i].name),
            QString::fromStdString(rows[i].mac), QString::fromStdString(rows[i].ip)};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setForeground(colour);
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            list->setItem(row, column, item);
        }
    }
    markSharedAddresses();
    list->setUpdatesEnabled(true);
}

int MainWindow::selectedDeviceRow() const {
    const QList<QTableWidgetItem*> chosen = ui_->lvModList->selectedItems();
    return chosen.isEmpty() ? -1 : chosen.first()->row();
}

void MainWindow::selectDeviceRow(int row) {
    ui_->lvModList->clearSelection();
    ui_->lvModList->selectRow(row);
}

void MainWindow::setWriteBusy(bool busy) {
    ui_->btSModm->setEnabled(!busy);
    ui_->btSend->setEnabled(!busy);
    ui_->btRefresh->setEnabled(!busy);
    if (busy) {
        ui_->lvModList->setCursor(Qt::WaitCursor);
    } else {
        ui_->lvModList->unsetCursor();
    }
}

} // namespace ui
