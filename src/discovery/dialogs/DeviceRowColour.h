#pragma once
// The colour of a row of cards, the same in the search dialog, the device list and the dialogs
// that show the list's cards.

#include <QColor>

class QTreeWidgetItem;

namespace discovery {

QColor DeviceRowColour(int rowIndex);
void ColourDeviceRow(QTreeWidgetItem* item, int rowIndex);

} // namespace discovery
