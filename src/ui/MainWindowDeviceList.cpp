// The device list as the session sees it: rows of number, name, MAC and IP.
#include "discovery/dialogs/DeviceRowColour.h"
#include "ui/MainWindow.h"
#include "ui_MainWindow.h"

namespace ui {

int MainWindow::deviceRowCount() const {
    return ui_->lvModList->rowCount();
}

discovery::SessionView::DeviceRow MainWindow::deviceRow(int row) const {
    const QTableWidget* list = ui_->lvModList;
    const auto text = [&](int column) {
        const QTableWidgetItem* item = list->item(row, column);
        return item ? item->text() : QString();
    };
    return {text(0), text(1), text(2), text(3)};
}

void MainWindow::setDeviceRowIp(int row, const QString& ip) {
    if (QTableWidgetItem* item = ui_->lvModList->item(row, 3)) {
        item->setText(ip);
    }
}

void MainWindow::clearDeviceList() {
    ui_->lvModList->setRowCount(0);
}

void MainWindow::appendDeviceRows(const QList<DeviceRow>& rows) {
    QTableWidget* list = ui_->lvModList;
    list->setUpdatesEnabled(false);
    const int first = list->rowCount();
    list->setRowCount(first + static_cast<int>(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const int row = first + i;
        const QColor colour = discovery::DeviceRowColour(row);
        const QString cells[] = {rows[i].number, rows[i].name, rows[i].mac, rows[i].ip};
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
