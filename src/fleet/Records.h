#pragma once
// What a write leaves behind on this machine: a backup of every card before it is written (a
// profile file named by its MAC in backups/<date and time>/ of the data folder), and one line
// per event in journal.jsonl. The window, the several-cards dialog and ledcardctl record
// through one RunRecord per run, so a backup, a journal line and a restore mean the same from
// either program.

#include "fleet/Profile.h"
#include "lang/Catalogue.h"
#include "protocol/Panel.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fleet {

// One parameter a write changes, by its documented dotted name, as the window shows it.
struct ParameterChange {
    std::string name;
    std::string before;
    std::string after;
};

// The parameters whose shown value differs between the panel read and the panel sent, in
// table order; read-only ones never count.
std::vector<ParameterChange> ParameterChanges(const protocol::PanelModel& before,
                                              const protocol::PanelModel& after,
                                              const protocol::CardProfile& profile);
// "name: before -> after"
std::string ChangeText(const ParameterChange& change);

// One journal line. `outcome` is one of "sent", "confirmed", "not confirmed", "no answer",
// "cancelled": a write appends "sent" before its datagram leaves and its outcome once known, so
// a program killed halfway leaves "sent" for every card it wrote.
struct JournalEntry {
    QDateTime time;      // local time; written with its UTC offset
    std::string program; // "ledcardcfg" or "ledcardctl"
    std::string mac;
    std::string firmware;
    std::string ipBefore;
    std::string ipAfter;
    std::vector<ParameterChange> changes;
    std::string outcome;
    std::string backup; // the backup file's path; empty for none
};

// One JSON object, no newline, its keys in this order (the dry runs print the same keys):
//   "time"     "2026-12-09T16:05:46+01:00": local time with its UTC offset
//   "program", "mac", "firmware", "ipBefore", "ipAfter": texts
//   "changes"  [{"name": "display.width", "before": "64", "after": "128"}, ...]: objects, so a
//              value holding " -> " stays readable; ChangeText gives "name: before -> after"
//   "outcome"  one of the words above
//   "backup"   the backup file's path, "" for none
std::string JournalLine(const JournalEntry& entry);

struct JournalContents {
    std::vector<JournalEntry> entries;
    std::vector<int> badLines; // 1-based numbers of lines that are no complete entry
    QString error;             // the file exists but cannot be read; names the path
};
// A missing file is an empty journal. A line is an entry when it is a JSON object with a valid
// "time" and the keys above of the right type (missing ones empty); a blank line is skipped,
// any other line, a last one cut off by a crash among them, is a bad line, and the rest is read.
JournalContents ReadJournal(const QString& path,
                            lang::LanguageId language = lang::LanguageId::English);

// The records of one run of writes. Every failure comes back as a message in the language of
// the run that names the file.
class RunRecord {
public:
    // `now` is the clock of the run (tests hand in their own); the backup folder is named by its
    // time when the first card is backed up, and made then.
    RunRecord(QString dataFolder, std::string program, protocol::CardProfile profile,
              lang::LanguageId language,
              std::function<QDateTime()> now = &QDateTime::currentDateTime);

    // Saves the panel as just read from the card (ProfileJson: every parameter, the network
    // values too) as <MAC with "-">.json; the write must not be sent when this fails. The file
    // is written beside its name and renamed into place, so it is whole or absent; a card
    // backed up before in this run keeps that first backup, its state before the run. The
    // folder is backups/<yyyy-MM-dd_HH-mm-ss> of the data folder, "_2", "_3"... after it when a
    // run of the same second has it. No fsync: a thousand cards must not wait for the disk.
    // Returns the file's path or, in `error`, why not.
    std::optional<QString> backUp(const protocol::PanelModel& read, QString* error);

    // Appends a line with its newline in one write, unbuffered, before returning; the error,
    // naming the file, or nothing.
    std::optional<QString> append(const JournalEntry& entry);

    // A journal entry for a card's write with the time, program and changes filled in.
    JournalEntry entryFor(const protocol::PanelModel& read, const protocol::PanelModel& sent,
                          const std::string& outcome, const QString& backup) const;

    QString backupFolder() const;
    QString journalPath() const;

private:
    QString dataFolder_;
    std::string program_;
    protocol::CardProfile profile_;
    lang::LanguageId language_;
    std::function<QDateTime()> now_;
    QString folder_; // made on the first backup
    bool dataFolderMade_ = false;
};

// The backups named on a restore: folders (their *.json files, in name order) and single files.
// A file that is no profile, or a folder that cannot be read, is reported and skipped; the
// rest is restored.
struct BackupSet {
    std::vector<Profile> profiles;
    std::vector<QString> problems; // one message per file or folder skipped, naming it
};
BackupSet ReadBackups(const std::vector<QString>& paths, lang::LanguageId language);

} // namespace fleet
