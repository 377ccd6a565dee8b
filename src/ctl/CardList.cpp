#include "ctl/CardList.h"

#include "ctl/Texts.h"
#include "protocol/Addressing.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace ctl {

namespace {

using lang::LanguageId;
using Cards = std::vector<fleet::CardTarget>;

// The records of a CSV text (RFC 4180: quoted cells may hold commas, quotes and line ends),
// each with the 1-based line it starts on.
struct Record {
    int line = 0;
    QStringList cells;
};

std::vector<Record> CsvRecords(const QString& text) {
    std::vector<Record> records;
    Record current{1, {}};
    QString cell;
    bool quoted = false;
    bool any = false;
    int line = 1;
    const auto endCell = [&] {
        current.cells << cell;
        cell.clear();
    };
    const auto endRecord = [&] {
        endCell();
        if (any) {
            records.push_back(current);
        }
        current = {line, {}};
        any = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                cell += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                line += c == u'\n' ? 1 : 0;
                cell += c;
            }
            continue;
        }
        if (c == u'"') {
            quoted = true;
            any = true;
        } else if (c == u',') {
            endCell();
            any = true;
        } else if (c == u'\n') {
            ++line;
            endRecord();
        } else if (c != u'\r') {
            cell += c;
            any = true;
        }
    }
    endRecord();
    return records;
}

constexpr int kUnknownVersion = -1;

// A card of a search's JSON or CSV: by MAC when the firmware allows it, else by its IP.
std::optional<fleet::CardTarget> FromSearchRow(const QString& mac, const QString& ip, int version) {
    auto byMac = fleet::ParseCardTarget(mac, true);
    auto byIp = fleet::ParseCardTarget(ip);
    const bool ipOnly = byIp && !byIp->byMac;
    if (byMac && (version == kUnknownVersion || protocol::AddressedByMac(version) || !ipOnly)) {
        return byMac;
    }
    if (ipOnly) {
        return byIp;
    }
    return std::nullopt;
}

QString BadEntry(const QString& file, int line, const QString& text, LanguageId language) {
    return Tr(Text::CardFileBadEntry, language).arg(file).arg(line).arg(text);
}

std::variant<Cards, QString> FromJson(const QByteArray& bytes, const QString& file,
                                      LanguageId language) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray()) {
        const int line = int(bytes.left(error.offset).count('\n')) + 1;
        return Tr(Text::CardFileNotJson, language).arg(file).arg(line);
    }
    Cards cards;
    const QJsonArray array = doc.array();
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonObject o = array[i].toObject();
        const QJsonValue v = o[u"version"];
        const int version = v.isDouble() ? v.toInt() : kUnknownVersion;
        const auto card = FromSearchRow(o[u"mac"].toString(), o[u"ip"].toString(), version);
        if (!card) {
            return Tr(Text::CardFileBadItem, language).arg(file).arg(i + 1);
        }
        cards.push_back(*card);
    }
    return cards;
}

} // namespace

fleet::CardTarget TargetOf(const protocol::DeviceEntry& card) {
    const QString mac = QString::fromStdString(card.mac);
    const QString ip = QString::fromStdString(card.ip);
    if (auto t = FromSearchRow(mac, ip, card.version)) {
        return *t;
    }
    // A card whose answer held neither in a form a request can use: named by what it sent.
    fleet::CardTarget t;
    t.given = mac.isEmpty() ? ip : mac;
    t.ip = card.ip;
    return t;
}

fleet::CardTarget ResolvedTarget(const fleet::CardTarget& target,
                                 const std::vector<protocol::DeviceEntry>& found) {
    if (!target.byMac) {
        return target;
    }
    for (const protocol::DeviceEntry& card : found) {
        if (card.mac == target.macText) {
            if (protocol::AddressedByMac(card.version)) {
                return target;
            }
            if (auto byIp = fleet::ParseCardTarget(QString::fromStdString(card.ip))) {
                byIp->given = target.given;
                return *byIp;
            }
            return target;
        }
    }
    return target;
}

std::string CardKey(const fleet::CardTarget& target) {
    return target.byMac ? target.macText : target.ip;
}

std::variant<Cards, QString> ParseCardFile(const QByteArray& bytes, const QString& file,
                                           LanguageId language) {
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF")) {
        data.remove(0, 3); // a spreadsheet's byte order mark
    }
    if (data.trimmed().startsWith('[')) {
        return FromJson(data, file, language);
    }
    const QString text = QString::fromUtf8(data);
    const std::vector<Record> records = CsvRecords(text);
    Cards cards;
    if (!records.empty()) {
        const QStringList& header = records.front().cells;
        const qsizetype macAt = header.indexOf(u"mac"_qs);
        const qsizetype ipAt = header.indexOf(u"ip"_qs);
        const qsizetype versionAt = header.indexOf(u"version"_qs);
        if (macAt >= 0 && ipAt >= 0) {
            // What search --format csv printed.
            for (std::size_t r = 1; r < records.size(); ++r) {
                const Record& record = records[r];
                bool ok = false;
                const int v = record.cells.value(versionAt).toInt(&ok);
                const auto card =
                    FromSearchRow(record.cells.value(macAt).trimmed(),
                                  record.cells.value(ipAt).trimmed(), ok ? v : kUnknownVersion);
                if (!card) {
                    return BadEntry(file, record.line, record.cells.join(u','), language);
                }
                cards.push_back(*card);
            }
            if (cards.empty()) {
                return Tr(Text::CardFileEmpty, language).arg(file);
            }
            return cards;
        }
    }
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString item = lines[i].trimmed();
        if (item.isEmpty() || item.startsWith(u'#')) {
            continue;
        }
        const auto card = fleet::ParseCardTarget(item);
        if (!card) {
            return BadEntry(file, int(i) + 1, item, language);
        }
        cards.push_back(*card);
    }
    if (cards.empty()) {
        return Tr(Text::CardFileEmpty, language).arg(file);
    }
    return cards;
}

} // namespace ctl
