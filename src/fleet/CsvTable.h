#pragma once
// A table as CSV, for the window's exports and for ledcardctl: RFC 4180 quoting, CR LF line
// ends, UTF-8. The window's files start with a byte order mark, so a spreadsheet on Windows
// opens Chinese names as they are; ledcardctl prints none, for scripts.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace fleet {

class CsvTable {
public:
    enum class Mark : std::uint8_t { None, ByteOrder };

    CsvTable(QStringList header, Mark mark) : header_(std::move(header)), mark_(mark) {}

    void addRow(const QStringList& cells) { rows_.append(cells); }
    qsizetype rowCount() const { return rows_.size(); }

    // The records, without the mark.
    QString text() const;
    // The mark, if any, then the records in UTF-8.
    QByteArray bytes() const;
    // Writes the whole file or nothing: a file that was there stays as it was when the write
    // fails. False when the file could not be written.
    bool save(const QString& path) const;

private:
    QStringList header_;
    QList<QStringList> rows_;
    Mark mark_;
};

// One cell as it stands in a record.
QString CsvCell(const QString& text);

} // namespace fleet
