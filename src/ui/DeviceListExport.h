#pragma once
// The device list as shown, with each card's firmware version, as a CSV file.

#include "fleet/CsvTable.h"
#include "protocol/SearchAnswer.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace ui {

class DeviceListExport {
public:
    // `header`: the captions of number, name, MAC, IP and firmware version.
    explicit DeviceListExport(const QStringList& header)
        : file_(header, fleet::CsvTable::Mark::ByteOrder) {}

    // The list's cards in row order, each with the version its search answer gave.
    void addRows(const std::vector<protocol::DeviceEntry>& rows);

    const fleet::CsvTable& file() const { return file_; }
    bool save(const QString& path) const { return file_.save(path); }

private:
    fleet::CsvTable file_;
};

} // namespace ui
