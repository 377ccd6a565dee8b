// ledcardctl read: every parameter of one card, as a table or as a profile to write back.

#include "ctl/Output.h"
#include "ctl/Subcommand.h"
#include "ctl/commands/Commands.h"
#include "fleet/CardFamily.h"
#include "fleet/CardReader.h"

namespace ctl {

namespace {

class ReadRun final : public CommandRun {
public:
    ReadRun(Command command, const RunContext& context)
        : CommandRun(std::move(command), context), family_(context.cardProfile) {}

private:
    void begin() override {
        reader_ = std::make_unique<fleet::CardReader>(router(), *context_.scheduler, family_,
                                                      command_.card);
        reader_->listen();
        reader_->start([this] { report(); });
    }

    void cancel() override {
        if (reader_) {
            reader_->cancel();
        }
    }

    void report() {
        const fleet::CardReader& r = *reader_;
        const lang::LanguageId language = command_.language;
        switch (r.status()) {
        case fleet::CardReader::Status::Read:
            if (command_.format == Format::Json) {
                *context_.out << QString::fromStdString(
                    fleet::ProfileJson(r.panel(), context_.cardProfile));
            } else {
                *context_.out << ParameterTable(r.panel(), context_.cardProfile, language);
            }
            finish(kExitConfirmed);
            return;
        case fleet::CardReader::Status::SendFailed:
            *context_.err << Tr(Text::ReadFailed, language)
                                 .arg(command_.card.given, SendFailureText(r.failure(), language))
                          << u'\n';
            finish(kExitNoAnswer);
            return;
        case fleet::CardReader::Status::Cancelled:
            finish(kExitInterrupted);
            return;
        case fleet::CardReader::Status::NoAnswer:
        case fleet::CardReader::Status::Idle:
        case fleet::CardReader::Status::Waiting:
            *context_.err << Tr(Text::ReadNoAnswer, language).arg(command_.card.given) << u'\n';
            finish(kExitNoAnswer);
            return;
        }
    }

    fleet::CardFamily family_;
    std::unique_ptr<fleet::CardReader> reader_;
};

class Read final : public Subcommand {
public:
    CommandKind kind() const override { return CommandKind::Read; }
    QString name() const override { return u"read"_qs; }
    Text summary() const override { return Text::HelpReadCmd; }
    QString usage() const override { return u"read CARD [--by-mac] [--format table|json]"_qs; }
    Text about() const override { return Text::HelpRead; }

    void addOptions(OptionSet& options, lang::LanguageId language) const override {
        options.add({u"by-mac"_qs}, Tr(Text::OptByMac, language));
    }

    std::optional<QString> take(const OptionSet& options, const FileReader&,
                                Command& command) const override {
        return TakeCard(options, command);
    }

    std::unique_ptr<CommandRun> run(Command command, const RunContext& context) const override {
        return std::make_unique<ReadRun>(std::move(command), context);
    }
};

} // namespace

const Subcommand& ReadCommand() {
    static const Read command;
    return command;
}

} // namespace ctl
