// ledcardctl journal: every write either program made, one row each with how it ended.

#include "ctl/JournalView.h"
#include "ctl/Output.h"
#include "ctl/Subcommand.h"
#include "ctl/commands/Commands.h"
#include "fleet/Records.h"

namespace ctl {

namespace {

class JournalRun final : public CommandRun {
public:
    using CommandRun::CommandRun;

private:
    void begin() override {
        const lang::LanguageId language = command_.language;
        const fleet::RunRecord record(context_.dataFolder, "ledcardctl", context_.cardProfile,
                                      language, context_.now);
        const QString path = record.journalPath();
        const fleet::JournalContents contents = fleet::ReadJournal(path, language);
        QTextStream& err = *context_.err;
        if (!contents.error.isEmpty()) {
            err << contents.error << u'\n';
            finish(kExitRefused);
            return;
        }
        for (const int line : contents.badLines) {
            err << Tr(Text::JournalBadLine, language).arg(path).arg(line) << u'\n';
        }
        const auto writes =
            FilterWrites(JournalWrites(contents.entries), command_.since, command_.journalCard);
        QTextStream& out = *context_.out;
        switch (command_.format) {
        case Format::Table:
            if (writes.empty()) {
                err << Tr(Text::JournalNothing, language).arg(path) << u'\n';
            } else {
                out << JournalTable(writes, language);
            }
            break;
        case Format::Json:
            out << JournalJson(writes);
            break;
        case Format::Csv:
            out << JournalCsv(writes);
            break;
        }
        finish(kExitConfirmed);
    }

    void cancel() override {}
};

class Journal final : public Subcommand {
public:
    CommandKind kind() const override { return CommandKind::Journal; }
    QString name() const override { return u"journal"_qs; }
    Text summary() const override { return Text::HelpJournalCmd; }
    QString usage() const override {
        return u"journal [--since DATE] [--card MAC] [--format table|json|csv]"_qs;
    }
    Text about() const override { return Text::HelpJournal; }
    QStringList formats() const override { return {u"table"_qs, u"json"_qs, u"csv"_qs}; }

    void addOptions(OptionSet& options, lang::LanguageId language) const override {
        options.add({u"since"_qs}, Tr(Text::OptSince, language), u"DATE"_qs);
        options.add({u"card"_qs}, Tr(Text::OptCard, language), u"MAC"_qs);
    }

    std::optional<QString> take(const OptionSet& options, const FileReader&,
                                Command& command) const override {
        const lang::LanguageId language = command.language;
        const QStringList positional = options.positional();
        if (!positional.isEmpty()) {
            return Tr(Text::ExtraArgument, language).arg(positional.front());
        }
        if (options.isSet(u"since"_qs)) {
            const QString given = options.value(u"since"_qs);
            command.since = ParseSince(given);
            if (!command.since) {
                return Tr(Text::BadSince, language).arg(given);
            }
        }
        if (options.isSet(u"card"_qs)) {
            const QString given = options.value(u"card"_qs);
            const auto card = fleet::ParseCardTarget(given, true);
            if (!card) {
                return Tr(Text::NotAMac, language).arg(given);
            }
            command.journalCard = card->macText;
        }
        return std::nullopt;
    }

    std::unique_ptr<CommandRun> run(Command command, const RunContext& context) const override {
        return std::make_unique<JournalRun>(std::move(command), context);
    }
};

} // namespace

const Subcommand& JournalCommand() {
    static const Journal command;
    return command;
}

} // namespace ctl
