// ledcardctl apply: one profile written to many cards at once, each confirmed, with a run of
// new addresses when asked.

#include "ctl/Subcommand.h"
#include "ctl/commands/CardWrites.h"
#include "ctl/commands/Commands.h"

#include <set>

namespace ctl {

namespace {

class ApplyRun final : public CardWriteRun {
public:
    using CardWriteRun::CardWriteRun;

private:
    std::optional<fleet::Refusal> change(protocol::PanelModel& panel,
                                         std::size_t index) const override {
        fleet::ApplyOptions options;
        if (command_.ipFrom) {
            options.ip = NthAddress(*command_.ipFrom, index);
        } else {
            options.keepNetworkAddresses = true;
        }
        return fleet::ApplyProfile(panel, *command_.profile, context_.cardProfile, options);
    }
};

std::string CardKey(const fleet::CardTarget& t) {
    return t.byMac ? t.macText : t.ip;
}

class Apply final : public Subcommand {
public:
    CommandKind kind() const override { return CommandKind::Apply; }
    QString name() const override { return u"apply"_qs; }
    Text summary() const override { return Text::HelpApplyCmd; }
    QString usage() const override {
        return u"apply PROFILE --to CARD ... [--ip-from A.B.C.D] [--parallel N] [--dry-run] "
               u"[--format table|json]"_qs;
    }
    Text about() const override { return Text::HelpApply; }

    void addOptions(OptionSet& options, lang::LanguageId language) const override {
        options.add({u"to"_qs}, Tr(Text::OptTo, language), u"CARD"_qs);
        options.add({u"ip-from"_qs}, Tr(Text::OptIpFrom, language), u"A.B.C.D"_qs);
        options.add({u"parallel"_qs}, Tr(Text::OptParallel, language), u"N"_qs);
        options.add({u"dry-run"_qs}, Tr(Text::OptDryRun, language));
        options.add({u"base"_qs}, Tr(Text::OptBase, language), u"FILE"_qs);
    }

    std::optional<QString> take(const OptionSet& options, const FileReader& readFile,
                                Command& command) const override {
        const lang::LanguageId language = command.language;
        const auto tr = [language](Text t) { return Tr(t, language); };
        const QStringList positional = options.positional();
        if (positional.isEmpty()) {
            return tr(Text::MissingProfile);
        }
        if (positional.size() > 1) {
            return tr(Text::ExtraArgument).arg(positional[1]);
        }
        std::set<std::string> seen;
        for (const QString& value : options.values(u"to"_qs)) {
            // "--to A --to B" and "--to A,B" both name two cards.
            for (const QString& item : value.split(u',', Qt::SkipEmptyParts)) {
                const auto card = fleet::ParseCardTarget(item);
                if (!card) {
                    return tr(Text::BadCard).arg(item);
                }
                if (!seen.insert(CardKey(*card)).second) {
                    return tr(Text::DuplicateCard).arg(item);
                }
                command.cards.push_back(*card);
            }
        }
        if (command.cards.empty()) {
            return tr(Text::NoTargets);
        }
        if (options.isSet(u"parallel"_qs)) {
            const QString given = options.value(u"parallel"_qs);
            const auto n = AtLeast(given, 1);
            if (!n) {
                return tr(Text::BadNumber).arg(u"--parallel"_qs, given).arg(1);
            }
            command.parallel = *n;
        }
        QString refusal;
        command.profile = LoadProfile(positional.front(), readFile, language, &refusal);
        if (!command.profile) {
            return refusal;
        }
        if (options.isSet(u"ip-from"_qs)) {
            const QString given = options.value(u"ip-from"_qs);
            const auto first = fleet::ParseAddress(given.toStdString());
            if (!first) {
                return tr(Text::BadIpFrom).arg(given);
            }
            std::string mask;
            for (const fleet::Setting& s : command.profile->settings) {
                if (s.parameter->name == "network.mask") {
                    mask = s.text;
                }
            }
            if (auto why = CheckAddressRun(*first, command.cards.size(), mask, language)) {
                return why;
            }
            command.ipFrom = first;
        }
        command.dryRun = options.isSet(u"dry-run"_qs);
        if (options.isSet(u"base"_qs)) {
            command.base = LoadProfile(options.value(u"base"_qs), readFile, language, &refusal);
            if (!command.base) {
                return refusal;
            }
        } else if (command.dryRun) {
            command.base = command.profile; // the profile stands for each card's current values
        }
        return std::nullopt;
    }

    std::unique_ptr<CommandRun> run(Command command, const RunContext& context) const override {
        std::vector<fleet::CardTarget> cards = command.cards;
        return std::make_unique<ApplyRun>(std::move(command), context, name(), std::move(cards));
    }
};

} // namespace

const Subcommand& ApplyCommand() {
    static const Apply command;
    return command;
}

} // namespace ctl
