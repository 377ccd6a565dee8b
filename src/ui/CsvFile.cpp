#include "ui/CsvFile.h"

#include <QSaveFile>

namespace ui {

namespace {

QString Cell(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void AppendLine(QByteArray& out, const QStringList& cells) {
    QStringList line;
    line.reserve(cells.size());
    for (const QString& cell : cells) {
        line.append(Cell(cell));
    }
    out += line.join(QLatin1Char(',')).toUtf8();
    out += "\r\n";
}

} // namespace

QByteArray CsvFile::bytes() const {
    QByteArray out("\xEF\xBB\xBF");
    AppendLine(out, header_);
    for (const QStringList& row : rows_) {
        AppendLine(out, row);
    }
    return out;
}

bool CsvFile::save(const QString& path) const {
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

} // namespace ui
