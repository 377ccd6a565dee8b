#include "discovery/dialogs/DeviceRowColour.h"

#include <QTreeWidgetItem>

namespace discovery {

QColor DeviceRowColour(int rowIndex) {
    // Every other row in magenta so neighbouring cards are easy to tell apart.
    return rowIndex % 2 == 0 ? QColor(255, 0, 255) : QColor(Qt::blue);
}

void ColourDeviceRow(QTreeWidgetItem* item, int rowIndex) {
    const QColor colour = DeviceRowColour(rowIndex);
    for (int c = 0; c < item->columnCount(); ++c) {
        item->setForeground(c, colour);
    }
}

} // namespace discovery
