// The device list as the session sees it: one found card per row, kept as a value beside the
// row's cells.
#include "discovery/dialogs/DeviceRowColour.h"
#include "ui/MainWindow.h"
#include "ui_MainWindow.h"

namespace ui {

int MainWindow::deviceRowCount() const {
    return ui_->lvModList->rowCount();
}

session::SessionView::DeviceRow MainWindow::deviceRow(int row) const {
    return listed_.at(static_cast<std::size_t>(row));
}

void MainWindow::setDeviceRowIp(int row, const QString& ip) {
    listed_.at(static_cast<std::size_t>(row)).ip = ip.toStdString();
    if (QTableWidgetItem* item = ui_->lvModList->item(row, 3)) {
        item->setText(ip);
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
