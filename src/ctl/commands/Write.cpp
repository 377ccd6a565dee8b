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
    std::optional<fleet::Refusal> change(protocol::PanelModel& panel, std::size_t) const override {
        return fleet::ApplySettings(panel, command_.settings, context_.cardProfile);
    }
};

class Write final : public Subcommand {
public:
    CommandKind kind() const override { return CommandKind::Write; }
    QString name() const override { return u"write"_qs; }
    Text summary() const override { return Text::HelpWriteCmd; }
    QString usage() const override {
        return u"write CARD --set NAME=VALUE ... [--dry-run --base FILE] [--format table|json]"_qs;
    }
    Text about() const override { return Text::HelpWrite; }

    void addOptions(OptionSet& options, lang::LanguageId language) const override {
        options.add({u"by-mac"_qs}, Tr(Text::OptByMac, language));
        options.add({u"set"_qs}, Tr(Text::OptSet, language), u"NAME=VALUE"_qs);
        options.add({u"dry-run"_qs}, Tr(Text::OptDryRun, language));
        options.add({u"base"_qs}, Tr(Text::OptBase, language), u"FILE"_qs);
    }

    std::optional<QString> take(const OptionSet& options, const FileReader& readFile,
                                Command& command) const override {
        const lang::LanguageId language = command.language;
        if (auto refusal = TakeCard(options, command)) {
            return refusal;
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
        command.dryRun = options.isSet(u"dry-run"_qs);
        if (options.isSet(u"base"_qs)) {
            QString refusal;
            command.base = LoadProfile(options.value(u"base"_qs), readFile, language, &refusal);
            if (!command.base) {
                return refusal;
            }
        }
        if (command.dryRun && !command.base) {
            return Tr(Text::DryRunNeedsBase, language);
        }
        return std::nullopt;
    }

    std::unique_ptr<CommandRun> run(Command command, const RunContext& context) const override {
        std::vector<fleet::CardTarget> cards{command.card};
        return std::make_unique<WriteRun>(std::move(command), context, name(), std::move(cards));
    }
};

} // namespace

const Subcommand& WriteCommand() {
    static const Write command;
    return command;
}

} // namespace ctl
