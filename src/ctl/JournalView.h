#pragma once
// The journal as `ledcardctl journal` prints it: one row per write with the latest word on how
// it ended, as a table, JSON lines with the journal's own keys, or CSV.

#include "fleet/Records.h"
#include "lang/Catalogue.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace ctl {

// The outcome of a write whose "sent" line has no outcome after it: the program that sent it
// stopped before it knew.
inline constexpr const char* kStoppedOutcome = "stopped";

// One write: the time, card and changes of its "sent" line, the outcome of the line that closes
// it. An outcome line without its "sent" line is a write of its own.
std::vector<fleet::JournalEntry> JournalWrites(const std::vector<fleet::JournalEntry>& lines);

// Writes from `since` on (none: every one) of the card `mac` (empty: every card).
std::vector<fleet::JournalEntry> FilterWrites(const std::vector<fleet::JournalEntry>& writes,
                                              const std::optional<QDateTime>& since,
                                              const std::string& mac);

QString JournalTable(const std::vector<fleet::JournalEntry>& writes, lang::LanguageId language);
QString JournalJson(const std::vector<fleet::JournalEntry>& writes);
QString JournalCsv(const std::vector<fleet::JournalEntry>& writes);

// "2026-12-09", "2026-12-09T14:30", "2026-12-09 14:30:05", with or without a UTC offset; a date
// alone is its local midnight. Nothing for anything else.
std::optional<QDateTime> ParseSince(const QString& text);

} // namespace ctl
