#include "ctl/commands/Commands.h"

#include <cstdlib>

namespace ctl {

const std::vector<const Subcommand*>& Subcommands() {
    static const std::vector<const Subcommand*> all{&SearchCommand(),  &ReadCommand(),
                                                    &WriteCommand(),   &ApplyCommand(),
                                                    &RestoreCommand(), &JournalCommand()};
    return all;
}

const Subcommand* FindSubcommand(const QString& name) {
    for (const Subcommand* command : Subcommands()) {
        if (command->name() == name) {
            return command;
        }
    }
    return nullptr;
}

const Subcommand& SubcommandOf(CommandKind kind) {
    for (const Subcommand* command : Subcommands()) {
        if (command->kind() == kind) {
            return *command;
        }
    }
    std::abort(); // every kind has its command in the list
}

} // namespace ctl
