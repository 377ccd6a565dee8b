#pragma once
// A table as a CSV file a spreadsheet on Windows opens as it is: UTF-8 with a byte order mark,
// so Chinese names survive, CR LF line ends and RFC 4180 quoting.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace ui {

class CsvFile {
public:
    explicit CsvFile(QStringList header) : header_(std::move(header)) {}

    void addRow(const QStringList& cells) { rows_.append(cells); }
    qsizetype rowCount() const { return rows_.size(); }

    QByteArray bytes() const;
    // Writes the whole file or nothing: a file that was there stays as it was when the write
    // fails. False when the file could not be written.
    bool save(const QString& path) const;

private:
    QStringList header_;
    QList<QStringList> rows_;
};

} // namespace ui
