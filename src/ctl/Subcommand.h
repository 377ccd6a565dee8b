#pragma once
// What each command of ledcardctl is made of: its own options, help and checks, and its run.
// The options every command shares (--local, --format, --lang, --timing, --help) are here, so
// a command states only what is its own; one file per command under commands/.

#include "ctl/CommandLine.h"
#include "ctl/Texts.h"
#include "discovery/Endpoint.h"
#include "fleet/DatagramRouter.h"
#include "fleet/Preflight.h"
#include "fleet/Scheduler.h"
#include "protocol/Panel.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QTextStream>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ctl {

// The parser of one command and the lines of its help, in the order the options were added.
class OptionSet {
public:
    OptionSet();
    OptionSet(const OptionSet&) = delete;
    OptionSet& operator=(const OptionSet&) = delete;

    // One-letter names are shown with "-", the others with "--"; `value` names the argument.
    void add(const QStringList& names, const QString& text, const QString& value = {});

    bool isSet(const QString& name) const { return parser_.isSet(name); }
    QString value(const QString& name) const { return parser_.value(name); }
    QStringList values(const QString& name) const { return parser_.values(name); }
    QStringList positional() const { return parser_.positionalArguments(); }

    bool parse(const QStringList& arguments) { return parser_.parse(arguments); }
    QString errorText() const { return parser_.errorText(); }
    QString help(const QString& usage, const QString& about, lang::LanguageId language) const;

private:
    struct Line {
        QString names; // "--set <NAME=VALUE>"
        QString text;
    };
    QCommandLineParser parser_;
    std::vector<Line> lines_;
};

// What a run is given: the program hands in the real endpoint and clock, the tests fakes.
struct RunContext {
    discovery::Endpoint* endpoint = nullptr; // not needed by a dry run, which sends nothing
    fleet::Scheduler* scheduler = nullptr;
    protocol::CardProfile cardProfile; // from the settings, as the window has it
    int searchTimes = 20;              // the settings' SearchTimes
    QTextStream* out = nullptr;
    QTextStream* err = nullptr;
    bool progress = false; // standard error is a terminal
    // Where the backups and the journal go (fleet::DataFolder()), and the clock that names
    // them.
    QString dataFolder;
    std::function<QDateTime()> now = &QDateTime::currentDateTime;
    // The subnets of the address the run sends from, for the checks before a write.
    std::vector<fleet::LocalSubnet> localSubnets;
};

// One command run: started once, it ends once with an exit status.
class CommandRun {
public:
    CommandRun(Command command, const RunContext& context);
    virtual ~CommandRun() = default;
    CommandRun(const CommandRun&) = delete;
    CommandRun& operator=(const CommandRun&) = delete;

    // `finished` runs once with the exit status; it may run before start() returns.
    void start(std::function<void(int)> finished);
    // Ctrl+C: nothing more is sent; what was done is reported.
    void interrupt();

protected:
    virtual void begin() = 0;
    // Stops the engine at work, which then reports as it ends.
    virtual void cancel() = 0;
    void finish(int status);
    // The endpoint's one receiver, made when the run first listens; it outlives the engines of
    // the derived runs, which stop listening as they go.
    fleet::DatagramRouter& router();

    Command command_;
    RunContext context_;
    std::int64_t startedMs_ = 0;
    bool interrupted_ = false;
    bool done_ = false;

private:
    std::function<void(int)> finished_;
    std::unique_ptr<fleet::DatagramRouter> router_;
};

class Subcommand {
public:
    virtual ~Subcommand() = default;

    virtual CommandKind kind() const = 0;
    virtual QString name() const = 0;
    virtual Text summary() const = 0; // its line in the program's help
    virtual QString usage() const = 0;
    virtual Text about() const = 0;
    virtual QStringList formats() const { return {u"table"_qs, u"json"_qs}; }

    // Its own options, shown before the shared ones.
    virtual void addOptions(OptionSet& options, lang::LanguageId language) const = 0;
    // Fills `command` from what was given, or says why it is refused. The shared options are
    // taken already; nothing is sent.
    virtual std::optional<QString> take(const OptionSet& options, const FileReader& readFile,
                                        Command& command) const = 0;
    virtual std::unique_ptr<CommandRun> run(Command command, const RunContext& context) const = 0;

    // `arguments` are those after the command's name.
    Parsed parse(const QStringList& arguments, lang::LanguageId language,
                 const FileReader& readFile) const;
};

Parsed Refuse(QString text);

// Checks more than one command makes.
std::optional<int> AtLeast(const QString& text, int min);
// The one CARD of read and write, by IP or MAC address, or by MAC with --by-mac.
std::optional<QString> TakeCard(const OptionSet& options, Command& command);
std::optional<fleet::Profile> LoadProfile(const QString& path, const FileReader& readFile,
                                          lang::LanguageId language, QString* refusal);

} // namespace ctl
