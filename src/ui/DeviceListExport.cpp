#include "ui/DeviceListExport.h"

namespace ui {

QString DeviceListExport::versionOf(const discovery::SessionView::DeviceRow& row,
                                    const protocol::FoundCards& found) {
    const std::string mac = row.mac.toStdString();
    bool numbered = false;
    const qlonglong number = row.number.toLongLong(&numbered);
    const auto& entries = found.entries();
    if (numbered && number >= 1 && number <= qlonglong(entries.size())) {
        const protocol::DeviceEntry& entry = entries[std::size_t(number - 1)];
        if (entry.mac == mac) {
            return QString::number(entry.version);
        }
    }
    if (const protocol::DeviceEntry* entry = found.firstWithMac(mac)) {
        return QString::number(entry->version);
    }
    return {};
}

void DeviceListExport::addRows(const QList<discovery::SessionView::DeviceRow>& rows,
                               const protocol::FoundCards& found) {
    for (const auto& row : rows) {
        file_.addRow({row.number, row.name, row.mac, row.ip, versionOf(row, found)});
    }
}

} // namespace ui
