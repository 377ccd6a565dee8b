#include "fleet/Records.h"

#include "fleet/ParameterNames.h"
#include "lang/Texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <cctype>
#include <utility>

namespace fleet {

namespace {

// A message naming a file or folder, the system's reason after it where there is one.
QString Say(lang::LanguageId language, lang::SafetyText text, const QString& path,
            const QString& reason = {}) {
    const std::string where = QDir::toNativeSeparators(path).toStdString();
    const std::string why = reason.toStdString();
    return QString::fromStdString(lang::FillIn(lang::TextOf(language, text), {where, why}));
}

// "2026-12-09T16:05:46+01:00": the local time and how far it is from UTC, UTC as "+00:00".
std::string TimeText(const QDateTime& time) {
    const int offset = time.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    const QString text = time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) +
                         (offset < 0 ? u'-' : u'+') +
                         QStringLiteral("%1:%2")
                             .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                             .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    return text.toStdString();
}

// The file name a MAC gives on every system: "00-1A-2B-3C-4D-5E".
QString BackupName(const std::string& mac, const std::string& ip) {
    QString name;
    for (const char c : mac) {
        if (std::isxdigit(static_cast<unsigned char>(c)) != 0) {
            name +=
                QChar::fromLatin1(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        } else if (c == ':' || c == '-') {
            name += u'-';
        }
    }
    if (name.isEmpty()) {
        for (const char c : ip) {
            if ((c >= '0' && c <= '9') || c == '.') {
                name += QChar::fromLatin1(c);
            }
        }
    }
    return (name.isEmpty() ? QStringLiteral("card") : name) + QStringLiteral(".json");
}

bool ReadEntry(const QByteArray& line, JournalEntry& entry) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        return false;
    }
    const QJsonObject o = doc.object();
    bool ok = true;
    const auto text = [&ok](const QJsonObject& from, const QString& key) {
        const QJsonValue v = from.value(key);
        if (v.isUndefined()) {
            return std::string();
        }
        ok = ok && v.isString();
        return v.toString().toStdString();
    };
    entry.time = QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODate);
    entry.program = text(o, QStringLiteral("program"));
    entry.mac = text(o, QStringLiteral("mac"));
    entry.firmware = text(o, QStringLiteral("firmware"));
    entry.ipBefore = text(o, QStringLiteral("ipBefore"));
    entry.ipAfter = text(o, QStringLiteral("ipAfter"));
    entry.outcome = text(o, QStringLiteral("outcome"));
    entry.backup = text(o, QStringLiteral("backup"));
    const QJsonValue changes = o.value(QStringLiteral("changes"));
    if (!changes.isUndefined()) {
        ok = ok && changes.isArray();
        for (const QJsonValue c : changes.toArray()) {
            ok = ok && c.isObject();
            const QJsonObject change = c.toObject();
            entry.changes.push_back({text(change, QStringLiteral("name")),
                                     text(change, QStringLiteral("before")),
                                     text(change, QStringLiteral("after"))});
        }
    }
    return ok && entry.time.isValid();
}

void ReadBackupFile(const QString& path, lang::LanguageId language, BackupSet& set) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        set.problems.push_back(
            Say(language, lang::SafetyText::BackupNotRead, path, file.errorString()));
        return;
    }
    const QByteArray text = file.readAll();
    const std::string name = QDir::toNativeSeparators(path).toStdString();
    auto parsed = ParseProfile(std::string_view(text.constData(), std::size_t(text.size())), name);
    if (auto* refusal = std::get_if<Refusal>(&parsed)) {
        set.problems.push_back(QString::fromStdString(RefusalMessage(*refusal, language)));
        return;
    }
    set.profiles.push_back(std::move(std::get<Profile>(parsed)));
}

} // namespace

std::vector<ParameterChange> ParameterChanges(const protocol::PanelModel& before,
                                              const protocol::PanelModel& after,
                                              const protocol::CardProfile& profile) {
    const auto was = ReadParameters(before, profile);
    const auto is = ReadParameters(after, profile);
    std::vector<ParameterChange> changes;
    for (std::size_t i = 0; i < was.size() && i < is.size(); ++i) {
        if (was[i].parameter->readOnly) {
            continue;
        }
        std::string from = DisplayText(was[i]);
        std::string to = DisplayText(is[i]);
        if (from != to) {
            changes.push_back(
                {std::string(was[i].parameter->name), std::move(from), std::move(to)});
        }
    }
    return changes;
}

std::string ChangeText(const ParameterChange& change) {
    return change.name + ": " + change.before + " -> " + change.after;
}

std::string JournalLine(const JournalEntry& e) {
    const auto field = [](std::string_view key, std::string_view value) {
        return JsonString(key) + ":" + JsonString(value);
    };
    std::string out = "{" + field("time", TimeText(e.time));
    out += "," + field("program", e.program);
    out += "," + field("mac", e.mac);
    out += "," + field("firmware", e.firmware);
    out += "," + field("ipBefore", e.ipBefore);
    out += "," + field("ipAfter", e.ipAfter);
    out += "," + JsonString("changes") + ":[";
    for (std::size_t i = 0; i < e.changes.size(); ++i) {
        const ParameterChange& c = e.changes[i];
        out += (i == 0 ? "{" : ",{") + field("name", c.name) + "," + field("before", c.before) +
               "," + field("after", c.after) + "}";
    }
    out += "]," + field("outcome", e.outcome);
    out += "," + field("backup", e.backup) + "}";
    return out;
}

JournalContents ReadJournal(const QString& path, lang::LanguageId language) {
    JournalContents contents;
    QFile file(path);
    if (!file.exists()) {
        return contents;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        contents.error = Say(language, lang::SafetyText::JournalNotRead, path, file.errorString());
        return contents;
    }
    const QByteArray all = file.readAll();
    int number = 0;
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf('\n', start);
        if (end < 0) {
            end = all.size();
        }
        ++number;
        const QByteArray line = all.mid(start, end - start).trimmed();
        start = end + 1;
        if (line.isEmpty()) {
            continue;
        }
        JournalEntry entry;
        if (ReadEntry(line, entry)) {
            contents.entries.push_back(std::move(entry));
        } else {
            contents.badLines.push_back(number);
        }
    }
    return contents;
}

RunRecord::RunRecord(QString dataFolder, std::string program, protocol::CardProfile profile,
                     lang::LanguageId language, std::function<QDateTime()> now)
    : dataFolder_(std::move(dataFolder)), program_(std::move(program)),
      profile_(std::move(profile)), language_(language), now_(std::move(now)) {}

std::optional<QString> RunRecord::backUp(const protocol::PanelModel& read, QString* error) {
    const auto fail = [error](QString message) -> std::optional<QString> {
        if (error != nullptr) {
            *error = std::move(message);
        }
        return std::nullopt;
    };
    if (folder_.isEmpty()) {
        const QString backups = dataFolder_ + QStringLiteral("/backups");
        const QString stamp = now_().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
        QDir dir;
        if (!dir.mkpath(backups)) {
            return fail(Say(language_, lang::SafetyText::BackupFolderNotMade, backups));
        }
        // mkdir fails on a folder that is there already: another run of this second has it.
        for (int n = 1; folder_.isEmpty(); ++n) {
            const QString candidate =
                backups + u'/' + stamp + (n == 1 ? QString() : QStringLiteral("_%1").arg(n));
            if (dir.mkdir(candidate)) {
                folder_ = candidate;
            } else if (!QFileInfo::exists(candidate) || n >= 1000) {
                return fail(Say(language_, lang::SafetyText::BackupFolderNotMade, candidate));
            }
        }
    }
    const auto values = ReadParameters(read, profile_);
    const QString path =
        folder_ + u'/' + BackupName(ValueText(values, "card.mac"), ValueText(values, "network.ip"));
    if (QFileInfo(path).isFile()) {
        return path;
    }
    const std::string json = ProfileJson(read, profile_);
    const QString part = path + QStringLiteral(".part");
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return fail(Say(language_, lang::SafetyText::BackupNotSaved, path, file.errorString()));
    }
    const bool written =
        file.write(json.data(), qint64(json.size())) == qint64(json.size()) && file.flush();
    QString reason = file.errorString(); // close() forgets it
    file.close();
    if (!written || !file.rename(path)) {
        reason = written ? file.errorString() : reason;
        QFile::remove(part);
        return fail(Say(language_, lang::SafetyText::BackupNotSaved, path, reason));
    }
    return path;
}

std::optional<QString> RunRecord::append(const JournalEntry& entry) {
    const QString path = journalPath();
    if (!dataFolderMade_) {
        QDir().mkpath(dataFolder_); // a failure shows when the file cannot be opened
        dataFolderMade_ = QFileInfo(dataFolder_).isDir();
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        return Say(language_, lang::SafetyText::JournalNotWritten, path, file.errorString());
    }
    const std::string line = JournalLine(entry) + '\n';
    if (file.write(line.data(), qint64(line.size())) != qint64(line.size())) {
        return Say(language_, lang::SafetyText::JournalNotWritten, path, file.errorString());
    }
    return std::nullopt;
}

JournalEntry RunRecord::entryFor(const protocol::PanelModel& read, const protocol::PanelModel& sent,
                                 const std::string& outcome, const QString& backup) const {
    const auto before = ReadParameters(read, profile_);
    const auto after = ReadParameters(sent, profile_);
    JournalEntry entry;
    entry.time = now_();
    entry.program = program_;
    entry.mac = ValueText(before, "card.mac");
    entry.firmware = ValueText(before, "card.firmware");
    entry.ipBefore = ValueText(before, "network.ip");
    entry.ipAfter = ValueText(after, "network.ip");
    entry.changes = ParameterChanges(read, sent, profile_);
    entry.outcome = outcome;
    entry.backup = QDir::toNativeSeparators(backup).toStdString();
    return entry;
}

QString RunRecord::backupFolder() const {
    return folder_;
}

QString RunRecord::journalPath() const {
    return dataFolder_ + QStringLiteral("/journal.jsonl");
}

BackupSet ReadBackups(const std::vector<QString>& paths, lang::LanguageId language) {
    BackupSet set;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.isDir()) {
            ReadBackupFile(path, language, set);
            continue;
        }
        const QDir dir(path);
        if (!dir.isReadable()) {
            set.problems.push_back(Say(language, lang::SafetyText::BackupFolderNotRead, path));
            continue;
        }
        const QStringList names =
            dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
        if (names.isEmpty()) {
            set.problems.push_back(Say(language, lang::SafetyText::BackupFolderEmpty, path));
        }
        for (const QString& name : names) {
            ReadBackupFile(dir.filePath(name), language, set);
        }
    }
    return set;
}

} // namespace fleet
