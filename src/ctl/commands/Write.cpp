// ledcardctl write: parameters of one card changed by name, written and confirmed.

#include "ctl/Subcommand.h"
#include "ctl/commands/CardWrites.h"
#include "ctl/commands/Commands.h"

namespace ctl {

namespace {

class WriteRun final : public CardWriteRun {
public:
    using CardWriteRun::CardWriteRun;

private:
    std::optional<std::string> change(protocol::PanelModel& panel, std::size_t) const override {
        return profileRefusal(fleet::ApplySettings(panel, command_.settings, context_.cardProfile));
    }
};

class Write final : public Subcommand {
public:
    CommandKind kind() const override { return CommandKind::Write; }
    QString name() const override { return u"write"_qs; }
    Text summary() const override { return Text::HelpWriteCmd; }
    QString usage() const override {
        return u"write (CARD | --to-file FILE | --to-found) --set NAME=VALUE ... "
               u"[--times N | --no-search] [--allow-other-subnet] [--dry-run [--hex] [--base "
               u"FILE]] "
               u"[--format table|json]"_qs;
    }
    Text about() const override { return Text::HelpWrite; }

    void addOptions(OptionSet& options, lang::LanguageId language) const override {
        options.add({u"by-mac"_qs}, Tr(Text::OptByMac, language));
        options.add({u"set"_qs}, Tr(Text::OptSet, language), u"NAME=VALUE"_qs);
        AddRunOptions(options, language, {});
    }

    std::optional<QString> take(const OptionSet& options, const FileReader& readFile,
                                Command& command) const override {
        const lang::LanguageId language = command.language;
        // The card as read names it, unless the cards come from a list.
        if (!options.positional().isEmpty() ||
            !(options.isSet(u"to-file"_qs) || options.isSet(u"to-found"_qs))) {
            if (auto refusal = TakeCard(options, command)) {
                return refusal;
            }
            command.cards.push_back(command.card);
        }
        for (const QString& assignment : options.values(u"set"_qs)) {
            auto s = fleet::ParseSetting(assignment.toStdString());
            if (const auto* r = std::get_if<fleet::Refusal>(&s)) {
                return QString::fromStdString(fleet::RefusalMessage(*r, language));
            }
            command.settings.push_back(std::get<fleet::Setting>(s));
        }
        if (command.settings.empty()) {
            return Tr(Text::NoSetting, language);
        }
        return TakeRunOptions(options, readFile, {}, command);
    }

    std::unique_ptr<CommandRun> run(Command command, const RunContext& context) const override {
        return std::make_unique<WriteRun>(std::move(command), context, name());
    }
};

} // namespace

const Subcommand& WriteCommand() {
    static const Write command;
    return command;
}

} // namespace ctl
