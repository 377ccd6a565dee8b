// ledcardctl restore: backups written back to the cards they were taken from, found by their
// MAC, network values included, each confirmed as apply confirms it.

#include "ctl/CardList.h"
#include "ctl/Output.h"
#include "ctl/Subcommand.h"
#include "ctl/commands/CardWrites.h"
#include "ctl/commands/Commands.h"
#include "fleet/Records.h"
#include "protocol/Encoding.h"

#include <map>

namespace ctl {

namespace {

class RestoreRun final : public CardWriteRun {
public:
    using CardWriteRun::CardWriteRun;

private:
    // Each backup has its own values: nothing refuses every card alike.
    bool probeFirst() const override { return false; }

    bool chooseCards(const std::vector<protocol::DeviceEntry>& found) override {
        const lang::LanguageId language = command_.language;
        for (const QString& note : command_.notes) {
            *context_.err << note << u'\n';
        }
        std::map<std::string, const protocol::DeviceEntry*> byMac;
        for (const protocol::DeviceEntry& card : found) {
            byMac.emplace(protocol::UpperMac(card.mac), &card);
        }
        for (std::size_t b = 0; b < command_.backups.size(); ++b) {
            const fleet::Profile& backup = command_.backups[b];
            const auto it = byMac.find(protocol::UpperMac(backup.card.mac));
            if (it == byMac.end()) {
                *context_.err << Tr(Text::BackupCardNotFound, language)
                                     .arg(QString::fromStdString(backup.file),
                                          QString::fromStdString(backup.card.mac))
                              << u'\n';
                otherStatus_ = kExitNoAnswer;
                continue;
            }
            fleet::CardTarget target = TargetOf(*it->second);
            target.given = QString::fromStdString(it->second->mac);
            cards_.push_back(target);
            backupOf_.push_back(b);
        }
        if (cards_.empty()) {
            finish(otherStatus_ != 0 ? otherStatus_ : kExitNoAnswer);
            return false;
        }
        return true;
    }

    std::optional<std::string> change(protocol::PanelModel& panel,
                                      std::size_t index) const override {
        const fleet::Profile& backup = command_.backups[backupOf_[index]];
        // A card below firmware 54 is read at the address the search found it at: make sure
        // the card there is the one of the backup.
        const std::string mac = panel[protocol::Edit::MACAddr];
        if (protocol::UpperMac(mac) != protocol::UpperMac(backup.card.mac)) {
            return Tr(Text::RestoreOtherCard, command_.language)
                .arg(QString::fromStdString(mac), QString::fromStdString(backup.card.mac),
                     QString::fromStdString(backup.file))
                .toStdString();
        }
        return profileRefusal(fleet::ApplyProfile(panel, backup, context_.cardProfile, {}));
    }

    std::vector<std::size_t> backupOf_; // per card of the run, its backup
};

class Restore final : public Subcommand {
public:
    CommandKind kind() const override { return CommandKind::Restore; }
    QString name() const override { return u"restore"_qs; }
    Text summary() const override { return Text::HelpRestoreCmd; }
    QString usage() const override {
        return u"restore PATH ... [--times N] [--allow-other-subnet] [--parallel N] "
               u"[--dry-run [--hex]] [--format table|json]"_qs;
    }
    Text about() const override { return Text::HelpRestore; }

    void addOptions(OptionSet& options, lang::LanguageId language) const override {
        AddRunOptions(options, language, {false, false, false});
        options.add({u"parallel"_qs}, Tr(Text::OptParallel, language), u"N"_qs);
    }

    std::optional<QString> take(const OptionSet& options, const FileReader& readFile,
                                Command& command) const override {
        const lang::LanguageId language = command.language;
        const auto tr = [language](Text t) { return Tr(t, language); };
        const QStringList positional = options.positional();
        if (positional.isEmpty()) {
            return tr(Text::MissingBackup);
        }
        if (options.isSet(u"parallel"_qs)) {
            const QString given = options.value(u"parallel"_qs);
            const auto n = AtLeast(given, 1);
            if (!n) {
                return tr(Text::BadNumber).arg(u"--parallel"_qs, given).arg(1);
            }
            command.parallel = *n;
        }
        if (auto why = TakeRunOptions(options, readFile, {false, false, false}, command)) {
            return why;
        }
        std::vector<QString> paths(positional.begin(), positional.end());
        fleet::BackupSet set = fleet::ReadBackups(paths, language);
        command.notes = QStringList(set.problems.begin(), set.problems.end());
        std::map<std::string, std::string> fileOf;
        for (fleet::Profile& backup : set.profiles) {
            const std::string mac = protocol::UpperMac(backup.card.mac);
            if (const auto it = fileOf.find(mac); it != fileOf.end()) {
                return tr(Text::BackupTwice)
                    .arg(QString::fromStdString(backup.card.mac),
                         QString::fromStdString(it->second), QString::fromStdString(backup.file));
            }
            fileOf.emplace(mac, backup.file);
            command.backups.push_back(std::move(backup));
        }
        if (command.backups.empty()) {
            QStringList lines = command.notes;
            lines << tr(Text::NoBackups);
            return lines.join(u'\n');
        }
        return std::nullopt;
    }

    std::unique_ptr<CommandRun> run(Command command, const RunContext& context) const override {
        return std::make_unique<RestoreRun>(std::move(command), context, name());
    }
};

} // namespace

const Subcommand& RestoreCommand() {
    static const Restore command;
    return command;
}

} // namespace ctl
