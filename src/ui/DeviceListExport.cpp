#include "ui/DeviceListExport.h"

namespace ui {

void DeviceListExport::addRows(const std::vector<protocol::DeviceEntry>& rows) {
    for (const protocol::DeviceEntry& row : rows) {
        file_.addRow({QString::number(row.number), QString::fromStdString(row.name),
                      QString::fromStdString(row.mac), QString::fromStdString(row.ip),
                      QString::number(row.version)});
    }
}

} // namespace ui
