// ledcardctl apply: one profile written to many cards at once, each confirmed, with a run of
// new addresses when asked.

#include "ctl/Subcommand.h"
#include "ctl/commands/CardWrites.h"
#include "ctl/commands/Commands.h"

namespace ctl {

namespace {

std::string MaskOf(const fleet::Profile& profile) {
    for (const fleet::Setting& s : profile.settings) {
        if (s.parameter->name == "network.mask") {
            return s.text;
        }
    }
    return {};
}

class ApplyRun final : public CardWriteRun {
public:
    using CardWriteRun::CardWriteRun;

private:
    std::optional<std::string> change(protocol::PanelModel& panel,
                                      std::size_t index) const override {
        fleet::ApplyOptions options;
        if (command_.ipFrom) {
            options.ip = NthAddress(*command_.ipFrom, index);
        } else {
            options.keepNetworkAddresses = true;
        }
        return profileRefusal(
            fleet::ApplyProfile(panel, *command_.profile, context_.cardProfile, options));
    }

    bool chooseCards(const std::vector<protocol::DeviceEntry>& found) override {
        if (!CardWriteRun::chooseCards(found)) {
            return false;
        }
        // The cards of the search are counted only now.
        if (command_.toFound && command_.ipFrom) {
            if (auto why = CheckAddressRun(*command_.ipFrom, cards_.size(),
                                           MaskOf(*command_.profile), command_.language)) {
                refuse(*why);
                return false;
            }
        }
        return true;
    }
};

class Apply final : public Subcommand {
public:
    CommandKind kind() const override { return CommandKind::Apply; }
    QString name() const override { return u"apply"_qs; }
    Text summary() const override { return Text::HelpApplyCmd; }
    QString usage() const override {
        return u"apply PROFILE (--to CARD ... | --to-file FILE | --to-found) [--ip-from A.B.C.D] "
               u"[--parallel N] [--times N | --no-search] [--allow-other-subnet] "
               u"[--dry-run [--hex] [--base FILE]] [--format table|json]"_qs;
    }
    Text about() const override { return Text::HelpApply; }

    void addOptions(OptionSet& options, lang::LanguageId language) const override {
        options.add({u"to"_qs}, Tr(Text::OptTo, language), u"CARD"_qs);
        AddRunOptions(options, language, {});
        options.add({u"ip-from"_qs}, Tr(Text::OptIpFrom, language), u"A.B.C.D"_qs);
        options.add({u"parallel"_qs}, Tr(Text::OptParallel, language), u"N"_qs);
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
        for (const QString& value : options.values(u"to"_qs)) {
            // "--to A --to B" and "--to A,B" both name two cards.
            for (const QString& item : value.split(u',', Qt::SkipEmptyParts)) {
                const auto card = fleet::ParseCardTarget(item);
                if (!card) {
                    return tr(Text::BadCard).arg(item);
                }
                command.cards.push_back(*card);
            }
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
        if (auto why = TakeRunOptions(options, readFile, {}, command)) {
            return why;
        }
        if (command.cards.empty() && !command.toFound) {
            return tr(Text::NoTargets);
        }
        if (options.isSet(u"ip-from"_qs)) {
            const QString given = options.value(u"ip-from"_qs);
            const auto first = fleet::ParseAddress(given.toStdString());
            if (!first) {
                return tr(Text::BadIpFrom).arg(given);
            }
            if (!command.toFound) {
                if (auto why = CheckAddressRun(*first, command.cards.size(),
                                               MaskOf(*command.profile), language)) {
                    return why;
                }
            }
            command.ipFrom = first;
        }
        return std::nullopt;
    }

    std::unique_ptr<CommandRun> run(Command command, const RunContext& context) const override {
        return std::make_unique<ApplyRun>(std::move(command), context, name());
    }
};

} // namespace

const Subcommand& ApplyCommand() {
    static const Apply command;
    return command;
}

} // namespace ctl
