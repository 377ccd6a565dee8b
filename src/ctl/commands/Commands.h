#pragma once
// The commands of ledcardctl. A new one is a file of its own in this folder deriving from
// Subcommand, its CommandKind, and a line in Commands.cpp.

#include "ctl/Subcommand.h"

#include <vector>

namespace ctl {

const Subcommand& SearchCommand();
const Subcommand& ReadCommand();
const Subcommand& WriteCommand();
const Subcommand& ApplyCommand();
const Subcommand& RestoreCommand();
const Subcommand& JournalCommand();

// In the order the program's help lists them.
const std::vector<const Subcommand*>& Subcommands();
// Nothing when no command has that name.
const Subcommand* FindSubcommand(const QString& name);
const Subcommand& SubcommandOf(CommandKind kind);

} // namespace ctl
