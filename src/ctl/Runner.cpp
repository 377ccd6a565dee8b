#include "ctl/Runner.h"

#include "ctl/commands/Commands.h"

namespace ctl {

Runner::Runner(Command command, const Context& context) {
    const Subcommand& subcommand = SubcommandOf(command.kind);
    run_ = subcommand.run(std::move(command), context);
}

Runner::~Runner() = default;

void Runner::start(std::function<void(int)> finished) {
    run_->start(std::move(finished));
}

void Runner::interrupt() {
    run_->interrupt();
}

} // namespace ctl
