#include "fleet/CsvTable.h"

#include <QSaveFile>

namespace fleet {

namespace {

void AppendRecord(QString& out, const QStringList& cells) {
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            out += u',';
        }
        out += CsvCell(cells[i]);
    }
    out += u"\r\n";
}

} // namespace

QString CsvCell(const QString& text) {
    QString cell = text;
    // Security: card names come from the network, and a spreadsheet runs a cell starting with
    // one of these as a formula (a link that sends data away, a command). The apostrophe makes
    // it plain text there.
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    if (!cell.isEmpty() && kFormulaStarts.contains(cell.front())) {
        cell.prepend(u'\'');
    }
    if (!cell.contains(u',') && !cell.contains(u'"') && !cell.contains(u'\n') &&
        !cell.contains(u'\r')) {
        return cell;
    }
    cell.replace(u'"', QStringLiteral("\"\""));
    return u'"' + cell + u'"';
}

QString CsvTable::text() const {
    QString out;
    AppendRecord(out, header_);
    for (const QStringList& row : rows_) {
        AppendRecord(out, row);
    }
    return out;
}

QByteArray CsvTable::bytes() const {
    QByteArray out = mark_ == Mark::ByteOrder ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    out += text().toUtf8();
    return out;
}

bool CsvTable::save(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray content = bytes();
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace fleet
