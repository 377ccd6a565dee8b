#pragma once
// The window side of the card session for its tests: a device list, a panel model and counters,
// no real window.

#include "discovery/dialogs/SearchDialog.h"
#include "platform/MessageBox.h"
#include "session/CardSession.h"

#include <QTreeWidget>

namespace sessiontest {

using protocol::Edit;

class FakeView : public session::SessionView {
public:
    FakeView() {
        list.setColumnCount(4);
        scan.Build("Static Scan");
        panel.SetRuntimeCounts(3);
    }
    QWidget* window() override { return &widget; }
    void ClearParameterPanel() override {
        panel.Clear();
        ++clears;
    }
    protocol::PanelModel readPanel() const override { return panel; }
    void showPanel(const protocol::PanelModel& p) override { panel = p; }
    int deviceRowCount() const override { return list.topLevelItemCount(); }
    DeviceRow deviceRow(int row) const override {
        const QTreeWidgetItem* i = list.topLevelItem(row);
        return {i->text(0).toInt(), i->text(1).toStdString(), i->text(2).toStdString(),
                i->text(3).toStdString(), i->data(0, Qt::UserRole).toInt()};
    }
    void setDeviceRowIp(int row, const QString& ip) override {
        list.topLevelItem(row)->setText(3, ip);
    }
    void clearDeviceList() override { list.clear(); }
    void appendDeviceRows(const std::vector<DeviceRow>& rows) override {
        for (const auto& r : rows) {
            auto* item = new QTreeWidgetItem(
                QStringList{QString::number(r.number), QString::fromStdString(r.name),
                            QString::fromStdString(r.mac), QString::fromStdString(r.ip)});
            item->setData(0, Qt::UserRole, r.version);
            discovery::ColourDeviceRow(item, list.topLevelItemCount());
            list.addTopLevelItem(item);
        }
    }
    int selectedDeviceRow() const override {
        return list.currentItem() ? list.indexOfTopLevelItem(list.currentItem()) : -1;
    }
    void selectDeviceRow(int row) override { list.setCurrentItem(list.topLevelItem(row)); }
    void setWriteBusy(bool b) override { busy = b; }
    void ApplyColumnCaptions(QAbstractItemView*) override {}
    QString captionFor(Edit) const override { return caption; }
    // Shown as the window shows them, in its message boxes.
    void report(Report what, const QString& text) override {
        reports.append(what);
        if (what == Report::UpdateConfirmed) {
            platform::inform(&widget, text);
        } else {
            platform::error(&widget, text);
        }
    }

    bool confirm(const QString& text) override { return platform::ask(&widget, text); }

    void addRow(const QString& number, const QString& mac, const QString& ip) {
        list.addTopLevelItem(
            new QTreeWidgetItem(QStringList{number, QStringLiteral("LED"), mac, ip}));
    }
    QString rowIp(int row) const { return list.topLevelItem(row)->text(3); }

    QWidget widget;
    QTreeWidget list;
    protocol::ScanModeTable scan;
    protocol::PanelModel panel;
    QList<Report> reports;
    bool busy = false;
    int clears = 0;
    QString caption = QStringLiteral("Control Card IP"); // of every panel field
};

} // namespace sessiontest
