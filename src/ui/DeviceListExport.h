#pragma once
// The device list as shown, with each card's firmware version, as a CSV file.

#include "discovery/session/CardSession.h"
#include "fleet/CsvTable.h"
#include "protocol/SearchAnswer.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace ui {

class DeviceListExport {
public:
    // `header`: the captions of number, name, MAC, IP and firmware version.
    explicit DeviceListExport(const QStringList& header)
        : file_(header, fleet::CsvTable::Mark::ByteOrder) {}

    // The list's rows in order. The version comes from the search's record of the row's card:
    // the entry the row was numbered after when its MAC still matches (the row's IP moves
    // after a write), otherwise the first entry with that MAC; empty when there is none.
    void addRows(const QList<discovery::SessionView::DeviceRow>& rows,
                 const protocol::FoundCards& found);

    const fleet::CsvTable& file() const { return file_; }
    bool save(const QString& path) const { return file_.save(path); }

    static QString versionOf(const discovery::SessionView::DeviceRow& row,
                             const protocol::FoundCards& found);

private:
    fleet::CsvTable file_;
};

} // namespace ui
