#pragma once
// Runs one parsed command against an endpoint and a scheduler and prints what it found; the
// program hands in the real ones, the tests a fake endpoint and a manual clock.

#include "ctl/CommandLine.h"
#include "discovery/Endpoint.h"
#include "fleet/BatchWriter.h"
#include "fleet/CardFamily.h"
#include "fleet/CardReader.h"
#include "fleet/DatagramRouter.h"
#include "fleet/Scheduler.h"
#include "fleet/Search.h"

#include <QTextStream>
#include <functional>
#include <memory>

namespace ctl {

class Runner {
public:
    struct Context {
        discovery::Endpoint* endpoint = nullptr; // not needed by a dry run, which sends nothing
        fleet::Scheduler* scheduler = nullptr;
        protocol::CardProfile cardProfile; // from the settings, as the window has it
        int searchTimes = 20;              // the settings' SearchTimes
        QTextStream* out = nullptr;
        QTextStream* err = nullptr;
        bool progress = false; // standard error is a terminal
    };

    Runner(Command command, const Context& context);
    ~Runner();
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    // `finished` runs once with the exit status; it may run before start() returns.
    void start(std::function<void(int)> finished);
    // Ctrl+C: nothing more is sent; what was done is reported.
    void interrupt();

private:
    void runSearch();
    void runRead();
    void runBatch();
    void runDryRun();
    std::vector<fleet::CardJob> jobs() const;
    std::optional<std::string> change(protocol::PanelModel& panel, std::size_t index) const;
    void cardFinished(std::size_t index);
    void batchDone();
    void drawProgress();
    void clearProgress();
    void finish(int status);
    std::vector<fleet::CardTarget> targets() const;
    // The one receiver of the endpoint, made at the first command that listens.
    fleet::DatagramRouter& router();

    Command command_;
    Context context_;
    fleet::CardFamily family_;
    std::unique_ptr<fleet::DatagramRouter> router_;
    std::function<void(int)> finished_;
    std::unique_ptr<fleet::Search> search_;
    std::unique_ptr<fleet::CardReader> reader_;
    std::unique_ptr<fleet::BatchWriter> batch_;
    fleet::TimerId progressTimer_ = 0;
    bool progressShown_ = false;
    bool interrupted_ = false;
    bool done_ = false;
    std::int64_t startedMs_ = 0;
};

} // namespace ctl
