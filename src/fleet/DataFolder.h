#pragma once
// Where the tool keeps what it records of the cards it wrote: the backups and the journal.
// Linux: $XDG_DATA_HOME/ledcardcfg, else ~/.local/share/ledcardcfg. Windows: the executable's
// folder, where the settings file is kept too.

#include <QString>

namespace fleet {

QString DataFolder();

} // namespace fleet
