#pragma once
// What ledcardctl prints: the search list as a table, a JSON array or CSV; a card's parameters
// as a table or its profile; the outcome of each written card as a table row or a JSON line.

#include "fleet/BatchWriter.h"
#include "fleet/CardTarget.h"
#include "lang/Catalogue.h"
#include "protocol/Panel.h"
#include "protocol/SearchAnswer.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace ctl {

inline constexpr int kExitConfirmed = 0;
inline constexpr int kExitRefused = 2;
inline constexpr int kExitNotConfirmed = 3;
inline constexpr int kExitNoAnswer = 4;
inline constexpr int kExitInterrupted = 130; // 128 + SIGINT, as shells report it

// Columns padded to the widest cell; a CJK character takes two columns on a terminal.
QString TextTable(const QStringList& header, const std::vector<QStringList>& rows);
int DisplayWidth(const QString& text);

// A card that shares its IP with a card of another MAC has " !" after its IP.
QString SearchTable(const std::vector<protocol::DeviceEntry>& cards, lang::LanguageId language);
// Each card with "conflicts": the MACs of the other cards at its IP, empty when none.
QString SearchJson(const std::vector<protocol::DeviceEntry>& cards);
// A header row, then one row per card, as fleet::CsvTable writes them; without a byte order
// mark. The last column, conflicts, holds the other MACs at the card's IP, joined by spaces.
QString SearchCsv(const std::vector<protocol::DeviceEntry>& cards);
// One line per address that several cards answer at, then what to do about it; empty when
// every card has an address of its own.
QString SharedAddressLines(const std::vector<protocol::DeviceEntry>& cards,
                           lang::LanguageId language);

QString ParameterTable(const protocol::PanelModel& panel, const protocol::CardProfile& profile,
                       lang::LanguageId language);

// The word for an outcome in the JSON output; stable for scripts.
QString OutcomeKey(fleet::CardOutcome::Status status);
// The outcome in the operator's language, and what went wrong when it did.
QString OutcomeText(const fleet::CardOutcome& outcome, lang::LanguageId language);
QString OutcomeDetail(const fleet::CardOutcome& outcome, const protocol::CardProfile& profile,
                      lang::LanguageId language);
// The new IP of a card that was written; empty otherwise.
QString WrittenIp(const fleet::CardOutcome& outcome);

// {"card", "mac", "ip", "newIp", "outcome", "written", "detail"} on one line.
QString OutcomeJsonLine(const fleet::CardTarget& target, const fleet::CardOutcome& outcome,
                        const protocol::CardProfile& profile, lang::LanguageId language);
QString OutcomeTable(const std::vector<fleet::CardTarget>& targets,
                     const std::vector<fleet::CardOutcome>& outcomes,
                     const protocol::CardProfile& profile, lang::LanguageId language);
QString OutcomeSummary(const std::vector<fleet::CardOutcome>& outcomes, lang::LanguageId language);

// 3 when a card was written and not confirmed, else 4 when one did not answer, else 2 when
// one was refused, else 0; 130 when stopped by Ctrl+C. Cards held back by the checks or a dry
// run do not count: the run says why it held them.
int ExitStatus(const std::vector<fleet::CardOutcome>& outcomes, bool interrupted);

QString SendFailureText(const discovery::SendFailure& failure, lang::LanguageId language);

// "[#######-------] 12/200 done, 30 written" in `width` columns.
QString ProgressLine(std::size_t done, std::size_t total, std::size_t written,
                     lang::LanguageId language, int width = 72);

QString HexBytes(const QByteArray& bytes);

} // namespace ctl
