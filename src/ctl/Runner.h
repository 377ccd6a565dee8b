#pragma once
// Runs one parsed command against an endpoint and a scheduler and prints what it found; the
// program hands in the real ones, the tests a fake endpoint and a manual clock. The run itself
// is the command's own (commands/).

#include "ctl/CommandLine.h"
#include "ctl/Subcommand.h"

#include <functional>
#include <memory>

namespace ctl {

class Runner {
public:
    using Context = RunContext;

    Runner(Command command, const Context& context);
    ~Runner();
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    // `finished` runs once with the exit status; it may run before start() returns.
    void start(std::function<void(int)> finished);
    // Ctrl+C: nothing more is sent; what was done is reported.
    void interrupt();

private:
    std::unique_ptr<CommandRun> run_;
};

} // namespace ctl
