#include "settings/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <cstdint>

namespace settings {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
bool isBlankByte(char c) {
    return c == ' ' || c == '\t';
}

QString trimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin).toString();
}

QByteArray trimBlankBytes(const QByteArray& bytes) {
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && isBlankByte(bytes[begin])) {
        ++begin;
    }
    while (end > begin && isBlankByte(bytes[end - 1])) {
        --end;
    }
    return bytes.mid(begin, end - begin);
}

// Cuts at `length` characters without splitting a surrogate pair.
QString cutAt(const QString& text, int length) {
    if (text.size() <= length) {
        return text;
    }
    qsizetype end = length;
    if (text[end - 1].isHighSurrogate()) {
        --end;
    }
    return text.left(end);
}

// A Windows editor may save the file in the ANSI code page (GBK on Chinese systems); a line that
// is not UTF-8 is read as GBK.
class LineDecoder {
public:
    LineDecoder()
        // Only the file's own first bytes can be a byte order mark; inside a line it is a
        // character like any other, as it is to the Windows profile functions.
        : utf8_(QStringDecoder::Utf8,
                QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom),
          gbk_("GBK", QStringDecoder::Flag::Stateless) {
        if (!gbk_.isValid()) {
            gbk_ = QStringDecoder("GB18030", QStringDecoder::Flag::Stateless);
        }
    }

    QString decode(const QByteArray& bytes) {
        QString text = utf8_.decode(bytes);
        if (!utf8_.hasError()) {
            return text;
        }
        utf8_.resetState();
        if (gbk_.isValid()) {
            text = gbk_.decode(bytes);
            gbk_.resetState();
            return text;
        }
        return QString::fromLatin1(bytes);
    }

private:
    QStringDecoder utf8_;
    QStringDecoder gbk_;
};

struct ParsedLine {
    bool section = false;
    bool entry = false;
    QString name;
    QString value;
};

ParsedLine parse(const QString& text) {
    ParsedLine parsed;
    const QString line = trimBlanks(text);
    if (line.isEmpty() || line.front() == u';' || line.front() == u'#') {
        return parsed;
    }
    if (line.front() == u'[') {
        qsizetype close = line.indexOf(u']');
        parsed.section = true;
        parsed.name = trimBlanks(QStringView(line).mid(1, close < 0 ? -1 : close - 1));
        return parsed;
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals <= 0) {
        return parsed;
    }
    parsed.name = trimBlanks(QStringView(line).left(equals));
    if (parsed.name.isEmpty()) {
        return parsed;
    }
    parsed.entry = true;
    QString value = trimBlanks(QStringView(line).mid(equals + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
    }
    parsed.value = cutAt(value, IniFile::kMaxValueLength);
    return parsed;
}

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A value must stay on its line.
QString oneLine(QString value) {
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    return value;
}

// Reading drops blanks at the ends and one pair of enclosing quotes; a value that has either
// is written in quotes, so it reads back as it was (the Windows functions drop them too).
QString quotedIfNeeded(const QString& value) {
    const bool blankEnds = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
    const bool enclosed = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
                          value.back() == value.front();
    return blankEnds || enclosed ? u'"' + value + u'"' : value;
}

} // namespace

IniFile::Line IniFile::parseLine(QByteArray raw, QByteArray terminator) {
    static thread_local LineDecoder decoder;
    Line line;
    line.raw = std::move(raw);
    line.terminator = std::move(terminator);
    ParsedLine parsed = parse(decoder.decode(line.raw));
    line.kind = parsed.section ? Kind::Section : parsed.entry ? Kind::Entry : Kind::Other;
    line.name = std::move(parsed.name);
    line.value = std::move(parsed.value);
    return line;
}

IniFile IniFile::fromBytes(const QByteArray& bytes) {
    IniFile ini;
    qsizetype pos = 0;
    if (bytes.startsWith(kUtf8Bom)) {
        ini.bom_ = kUtf8Bom;
        pos = kUtf8Bom.size();
    }
    const qsizetype size = bytes.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && bytes[end] != '\n' && bytes[end] != '\r') {
            ++end;
        }
        qsizetype next = end;
        if (next < size && bytes[next] == '\r') {
            ++next;
        }
        if (next < size && bytes[next] == '\n' && (next == end || bytes[end] == '\r')) {
            ++next;
        }
        ini.lines_.push_back(parseLine(bytes.mid(pos, end - pos), bytes.mid(end, next - end)));
        pos = next;
    }
    return ini;
}

std::optional<IniFile> IniFile::load(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        return IniFile();
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return fromBytes(file.readAll());
}

int IniFile::findSection(const QString& section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::Section && sameName(lines_[i].name, section)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int IniFile::findEntry(int sectionLine, const QString& key) const {
    for (std::size_t i = static_cast<std::size_t>(sectionLine) + 1; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::Section) {
            break;
        }
        if (lines_[i].kind == Kind::Entry && sameName(lines_[i].name, key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const {
    const int s = findSection(section);
    if (s < 0) {
        return std::nullopt;
    }
    const int e = findEntry(s, key);
    if (e < 0) {
        return std::nullopt;
    }
    return lines_[static_cast<std::size_t>(e)].value;
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const {
    return value(section, key).value_or(defaultValue);
}

std::optional<int> IniFile::parseInt(const QString& text) {
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        std::uint64_t result = 0;
        for (qsizetype i = 2; i < text.size(); ++i) {
            const int digit = hexDigit(text[i].unicode());
            if (digit < 0) {
                return std::nullopt;
            }
            result = result * 16 + static_cast<std::uint64_t>(digit);
            if (result > 0xFFFFFFFFu) {
                return std::nullopt;
            }
        }
        return static_cast<int>(static_cast<std::uint32_t>(result));
    }
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    std::int64_t result = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        result = result * 10 + (c - u'0');
        if (result > 2147483648LL) {
            return std::nullopt;
        }
    }
    if (negative) {
        result = -result;
    }
    if (result > 2147483647LL) {
        return std::nullopt;
    }
    return static_cast<int>(result);
}

int IniFile::readInt(const QString& section, const QString& key, int defaultValue) const {
    const auto text = value(section, key);
    if (!text) {
        return defaultValue;
    }
    return parseInt(*text).value_or(defaultValue);
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInt(section, key, defaultValue ? 1 : 0) != 0;
}

QByteArray IniFile::newLineTerminator() const {
    for (const Line& line : lines_) {
        if (!line.terminator.isEmpty()) {
            return line.terminator;
        }
    }
    return QByteArrayLiteral("\r\n");
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    const QString text = oneLine(value);
    const QByteArray newline = newLineTerminator();
    const int s = findSection(section);
    if (s < 0) {
        if (!lines_.empty() && lines_.back().terminator.isEmpty()) {
            lines_.back().terminator = newline;
        }
        lines_.push_back(parseLine("[" + section.toUtf8() + "]", newline));
        lines_.push_back(parseLine(key.toUtf8() + "=" + quotedIfNeeded(text).toUtf8(), newline));
        return;
    }
    const int e = findEntry(s, key);
    if (e >= 0) {
        Line& line = lines_[static_cast<std::size_t>(e)];
        if (line.value == text) {
            return;
        }
        // Keep the key as the file spells it, in the file's own bytes.
        const QByteArray rawKey = trimBlankBytes(line.raw.left(line.raw.indexOf('=')));
        line = parseLine(rawKey + "=" + quotedIfNeeded(text).toUtf8(), line.terminator);
        return;
    }
    std::size_t after = static_cast<std::size_t>(s);
    for (std::size_t i = after + 1; i < lines_.size() && lines_[i].kind != Kind::Section; ++i) {
        if (lines_[i].kind == Kind::Entry) {
            after = i;
        }
    }
    if (lines_[after].terminator.isEmpty()) {
        lines_[after].terminator = newline;
    }
    // A lone CR before an empty LF line would join it into one CR LF: the empty line would go.
    QByteArray ending = newline;
    if (ending == "\r" && after + 1 < lines_.size() && lines_[after + 1].raw.isEmpty() &&
        lines_[after + 1].terminator.startsWith('\n')) {
        ending = QByteArrayLiteral("\r\n");
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after) + 1,
                  parseLine(key.toUtf8() + "=" + quotedIfNeeded(text).toUtf8(), ending));
}

void IniFile::setInt(const QString& section, const QString& key, int value) {
    setValue(section, key, QString::number(value));
}

void IniFile::setBool(const QString& section, const QString& key, bool value) {
    setInt(section, key, value ? 1 : 0);
}

QByteArray IniFile::toBytes() const {
    QByteArray bytes = bom_;
    for (const Line& line : lines_) {
        bytes += line.raw;
        bytes += line.terminator;
    }
    return bytes;
}

bool IniFile::save(const QString& path) const {
    QSaveFile file(path);
    // Unbuffered: a short write on a full disk must show here; a buffered flush inside commit()
    // can lose the rest without telling.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return false;
    }
    const QByteArray bytes = toBytes();
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            file.cancelWriting();
            return false;
        }
        done += written;
    }
    return file.commit();
}

} // namespace settings
