#include "ctl/JournalView.h"

#include "ctl/Output.h"
#include "ctl/Texts.h"
#include "fleet/CsvTable.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <map>

namespace ctl {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The time as the journal writes it, with its UTC offset.
QString TimeText(const fleet::JournalEntry& e) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(fleet::JournalLine(e)))
        .object()[u"time"]
        .toString();
}

QString Changes(const fleet::JournalEntry& e, const QString& separator) {
    QStringList out;
    for (const fleet::ParameterChange& c : e.changes) {
        out << Q(fleet::ChangeText(c));
    }
    return out.join(separator);
}

QString OutcomeShown(const std::string& outcome, lang::LanguageId language) {
    static const std::map<std::string, Text> kTexts{
        {"confirmed", Text::Confirmed},          {"not confirmed", Text::NotConfirmed},
        {"no answer", Text::JournalNoAnswer},    {"cancelled", Text::JournalCancelled},
        {kStoppedOutcome, Text::JournalStopped},
    };
    const auto it = kTexts.find(outcome);
    return it == kTexts.end() ? Q(outcome) : Tr(it->second, language);
}

} // namespace

std::vector<fleet::JournalEntry> JournalWrites(const std::vector<fleet::JournalEntry>& lines) {
    std::vector<fleet::JournalEntry> writes;
    // A write is one card of one run: its MAC and its backup file.
    std::map<std::pair<std::string, std::string>, std::size_t> open;
    for (const fleet::JournalEntry& line : lines) {
        const auto key = std::make_pair(line.mac, line.backup);
        if (line.outcome == "sent") {
            if (const auto it = open.find(key); it != open.end()) {
                open.erase(it); // sent again: the first one never heard of
            }
            fleet::JournalEntry w = line;
            w.outcome = kStoppedOutcome;
            open[key] = writes.size();
            writes.push_back(std::move(w));
            continue;
        }
        if (const auto it = open.find(key); it != open.end()) {
            writes[it->second].outcome = line.outcome;
            open.erase(it);
            continue;
        }
        writes.push_back(line);
    }
    return writes;
}

std::vector<fleet::JournalEntry> FilterWrites(const std::vector<fleet::JournalEntry>& writes,
                                              const std::optional<QDateTime>& since,
                                              const std::string& mac) {
    std::vector<fleet::JournalEntry> out;
    for (const fleet::JournalEntry& w : writes) {
        if (since && w.time < *since) {
            continue;
        }
        if (!mac.empty() && QString::fromStdString(w.mac).compare(QString::fromStdString(mac),
                                                                  Qt::CaseInsensitive) != 0) {
            continue;
        }
        out.push_back(w);
    }
    return out;
}

QString JournalTable(const std::vector<fleet::JournalEntry>& writes, lang::LanguageId language) {
    std::vector<QStringList> rows;
    rows.reserve(writes.size());
    const QString separator = language == lang::LanguageId::English ? u"; "_qs : u"；"_qs;
    for (const fleet::JournalEntry& w : writes) {
        rows.push_back({w.time.toString(u"yyyy-MM-dd HH:mm:ss"_qs), Q(w.program), Q(w.mac),
                        Q(w.firmware), Q(w.ipBefore), Q(w.ipAfter),
                        OutcomeShown(w.outcome, language), Changes(w, separator)});
    }
    return TextTable({Tr(Text::ColTime, language), Tr(Text::ColProgram, language),
                      Tr(Text::ColMac, language), Tr(Text::ColFirmware, language),
                      Tr(Text::ColIp, language), Tr(Text::ColNewIp, language),
                      Tr(Text::ColResult, language), Tr(Text::ColChanges, language)},
                     rows);
}

QString JournalJson(const std::vector<fleet::JournalEntry>& writes) {
    QString out;
    for (const fleet::JournalEntry& w : writes) {
        out += Q(fleet::JournalLine(w)) + u'\n';
    }
    return out;
}

QString JournalCsv(const std::vector<fleet::JournalEntry>& writes) {
    fleet::CsvTable table({u"time"_qs, u"program"_qs, u"mac"_qs, u"firmware"_qs, u"ipBefore"_qs,
                           u"ipAfter"_qs, u"outcome"_qs, u"changes"_qs, u"backup"_qs},
                          fleet::CsvTable::Mark::None);
    for (const fleet::JournalEntry& w : writes) {
        table.addRow({TimeText(w), Q(w.program), Q(w.mac), Q(w.firmware), Q(w.ipBefore),
                      Q(w.ipAfter), Q(w.outcome), Changes(w, u"; "_qs), Q(w.backup)});
    }
    return table.text();
}

std::optional<QDateTime> ParseSince(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() == 10) {
        const QDate date = QDate::fromString(t, Qt::ISODate);
        if (date.isValid()) {
            return date.startOfDay();
        }
        return std::nullopt;
    }
    QString iso = t;
    if (iso.size() > 10 && iso[10] == u' ') {
        iso[10] = u'T';
    }
    const QDateTime time = QDateTime::fromString(iso, Qt::ISODate);
    if (!time.isValid()) {
        return std::nullopt;
    }
    return time;
}

} // namespace ctl
