#pragma once
// The cards of a run named in bulk: a file of them (--to-file), one a line or what
// `search --format json|csv` printed, and the cards a search found (--to-found).

#include "fleet/CardTarget.h"
#include "lang/Catalogue.h"
#include "protocol/SearchAnswer.h"

#include <QByteArray>
#include <QString>
#include <variant>
#include <vector>

namespace ctl {

// A card as a search listed it, addressed as the window addresses it: by MAC from firmware 54
// on, else by its IP.
fleet::CardTarget TargetOf(const protocol::DeviceEntry& card);

// A card named by its MAC that the search found below firmware 54 cannot be read by MAC: it is
// read by the IP it answered the search at. Every other card stays as it was named.
fleet::CardTarget ResolvedTarget(const fleet::CardTarget& target,
                                 const std::vector<protocol::DeviceEntry>& found);

// The cards a file names, in its order, or why not, naming the file and the line. Blank lines
// and lines starting with '#' of a plain list are skipped.
std::variant<std::vector<fleet::CardTarget>, QString>
ParseCardFile(const QByteArray& bytes, const QString& file, lang::LanguageId language);

// Where a card is found again in a list of cards: its MAC, or its IP for a card named by IP.
std::string CardKey(const fleet::CardTarget& target);

} // namespace ctl
