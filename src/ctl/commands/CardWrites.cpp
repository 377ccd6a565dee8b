#include "ctl/commands/CardWrites.h"

#include "ctl/CardList.h"
#include "ctl/Output.h"
#include "discovery/Requests.h"
#include "protocol/Encoding.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <set>
#include <unordered_map>

namespace ctl {

namespace {

constexpr int kProgressRedrawMs = 250;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A card read and changed that the run would write: the checks and the dry run are about these.
bool Writable(const fleet::CardOutcome& o) {
    using Status = fleet::CardOutcome::Status;
    return !o.datagram.isEmpty() && !o.written &&
           (o.status == Status::Pending || o.status == Status::Held);
}

int Rank(int status) {
    switch (status) {
    case kExitNotConfirmed:
        return 3;
    case kExitNoAnswer:
        return 2;
    case kExitRefused:
        return 1;
    default:
        return 0;
    }
}

} // namespace

int WorseStatus(int a, int b) {
    return Rank(b) > Rank(a) ? b : a;
}

// --- the options ----------------------------------------------------------------------------

void AddRunOptions(OptionSet& options, lang::LanguageId language, RunOptionsOf which) {
    const auto tr = [language](Text t) { return Tr(t, language); };
    if (which.cardLists) {
        options.add({u"to-file"_qs}, tr(Text::OptToFile), u"FILE"_qs);
        options.add({u"to-found"_qs}, tr(Text::OptToFound));
    }
    options.add({u"times"_qs}, tr(Text::OptSearchTimes), u"N"_qs);
    if (which.noSearch) {
        options.add({u"no-search"_qs}, tr(Text::OptNoSearch));
    }
    options.add({u"allow-other-subnet"_qs}, tr(Text::OptAllowOtherSubnet));
    options.add({u"dry-run"_qs}, tr(Text::OptDryRun));
    options.add({u"hex"_qs}, tr(Text::OptHex));
    if (which.base) {
        options.add({u"base"_qs}, tr(Text::OptBase), u"FILE"_qs);
    }
}

std::optional<QString> TakeRunOptions(const OptionSet& options, const FileReader& readFile,
                                      RunOptionsOf which, Command& command) {
    const lang::LanguageId language = command.language;
    const auto tr = [language](Text t) { return Tr(t, language); };
    command.dryRun = options.isSet(u"dry-run"_qs);
    command.hex = options.isSet(u"hex"_qs);
    command.allowOtherSubnet = options.isSet(u"allow-other-subnet"_qs);
    command.search = !(which.noSearch && options.isSet(u"no-search"_qs));
    if (options.isSet(u"times"_qs)) {
        const QString given = options.value(u"times"_qs);
        const auto n = AtLeast(given, 1);
        if (!n) {
            return tr(Text::BadNumber).arg(u"--times"_qs, given).arg(1);
        }
        command.times = *n;
    }
    if (command.hex && !command.dryRun) {
        return tr(Text::HexNeedsDryRun);
    }
    if (which.base && options.isSet(u"base"_qs)) {
        QString refusal;
        command.base = LoadProfile(options.value(u"base"_qs), readFile, language, &refusal);
        if (!command.base) {
            return refusal;
        }
        if (!command.dryRun) {
            return tr(Text::BaseNeedsDryRun);
        }
        command.search = false; // a dry run on a file reaches no card
    }
    if (which.cardLists && options.isSet(u"to-found"_qs)) {
        if (!command.cards.empty() || options.isSet(u"to-file"_qs)) {
            return tr(Text::ToFoundAlone);
        }
        if (!command.search) {
            return tr(Text::ToFoundNeedsSearch);
        }
        command.toFound = true;
    }
    if (which.cardLists) {
        for (const QString& path : options.values(u"to-file"_qs)) {
            QString error;
            const std::optional<QByteArray> bytes = readFile(path, &error);
            if (!bytes) {
                return tr(Text::CannotReadFile).arg(path, error);
            }
            auto parsed = ParseCardFile(*bytes, path, language);
            if (const auto* why = std::get_if<QString>(&parsed)) {
                return *why;
            }
            for (fleet::CardTarget& card : std::get<std::vector<fleet::CardTarget>>(parsed)) {
                command.cards.push_back(std::move(card));
            }
        }
    }
    std::set<std::string> seen;
    for (const fleet::CardTarget& card : command.cards) {
        if (!seen.insert(CardKey(card)).second) {
            return tr(Text::DuplicateCard).arg(card.given);
        }
    }
    return std::nullopt;
}

// --- the run --------------------------------------------------------------------------------

CardWriteRun::CardWriteRun(Command command, const RunContext& context, QString name)
    : CommandRun(std::move(command), context), name_(std::move(name)),
      family_(context.cardProfile) {}

CardWriteRun::~CardWriteRun() {
    if (context_.scheduler) {
        context_.scheduler->cancel(progressTimer_);
    }
}

void CardWriteRun::refuse(const QString& message) {
    clearProgress();
    *context_.err << message << u'\n';
    finish(kExitRefused);
}

std::optional<std::string>
CardWriteRun::profileRefusal(const std::optional<fleet::Refusal>& refusal) const {
    if (refusal) {
        return fleet::RefusalMessage(*refusal, command_.language);
    }
    return std::nullopt;
}

void CardWriteRun::begin() {
    if (command_.dryRun && command_.base) {
        runDryRunFromBase();
        return;
    }
    // What would refuse every card is refused before anything is sent, the search included.
    if (probeFirst()) {
        protocol::PanelModel probe = family_.emptyPanel();
        if (auto refusal = change(probe, 0)) {
            refuse(Q(*refusal));
            return;
        }
    }
    if (command_.search) {
        startSearch();
        return;
    }
    *context_.err << Tr(Text::NotChecked, command_.language) << u'\n';
    if (chooseCards({})) {
        startBatch();
    }
}

void CardWriteRun::cancel() {
    if (search_ && !search_->finished()) {
        search_->cancel();
    } else if (batch_) {
        batch_->cancel();
    }
}

bool CardWriteRun::chooseCards(const std::vector<protocol::DeviceEntry>& found) {
    const lang::LanguageId language = command_.language;
    if (command_.toFound) {
        if (found.empty()) {
            *context_.err << Tr(Text::NoCardFound, language) << u'\n';
            finish(kExitNoAnswer);
            return false;
        }
        for (const protocol::DeviceEntry& card : found) {
            cards_.push_back(TargetOf(card));
        }
    } else {
        for (const fleet::CardTarget& card : command_.cards) {
            cards_.push_back(ResolvedTarget(card, found));
        }
    }
    // Two cards below firmware 54 at one address are one address to a read.
    std::set<std::string> seen;
    for (const fleet::CardTarget& card : cards_) {
        if (!seen.insert(CardKey(card)).second) {
            refuse(Tr(Text::CardsShareAddress, language).arg(Q(card.ip)) + u'\n' +
                   Tr(Text::SharedAddressHint, language));
            return false;
        }
    }
    return true;
}

void CardWriteRun::startSearch() {
    fleet::SearchTiming timing;
    timing.searchTimes = command_.times > 0 ? command_.times : context_.searchTimes;
    search_ = std::make_unique<fleet::Search>(router(), *context_.scheduler, timing);
    if (context_.progress) {
        drawProgress();
    }
    search_->start([this] { searchDone(); });
}

void CardWriteRun::searchDone() {
    clearProgress();
    searchEndedMs_ = context_.scheduler->nowMs();
    const lang::LanguageId language = command_.language;
    if (interrupted_) {
        *context_.err << Tr(Text::InterruptedBeforeSending, language) << u'\n';
        finish(kExitInterrupted);
        return;
    }
    if (const auto& failure = search_->failure()) {
        *context_.err << Tr(Text::SearchFailed, language).arg(SendFailureText(*failure, language))
                      << u'\n';
        finish(kExitNoAnswer);
        return;
    }
    found_ = search_->found().entries();
    if (chooseCards(found_)) {
        startBatch();
    }
}

void CardWriteRun::startBatch() {
    record_ = std::make_unique<fleet::RunRecord>(
        context_.dataFolder, "ledcardctl", context_.cardProfile, command_.language, context_.now);
    backups_.assign(cards_.size(), QString());
    sentLogged_.assign(cards_.size(), false);
    std::vector<fleet::CardJob> jobs;
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        jobs.push_back(
            {cards_[i], [this, i](protocol::PanelModel& panel) { return change(panel, i); }});
    }
    fleet::BatchWriter::Options options;
    options.parallel = command_.parallel;
    options.approve = [this](const std::vector<fleet::CardOutcome>& outcomes) {
        return approve(outcomes);
    };
    options.beforeSend = [this](std::size_t i, const fleet::CardOutcome& outcome) {
        return beforeSend(i, outcome);
    };
    batch_ = std::make_unique<fleet::BatchWriter>(router(), *context_.scheduler, family_,
                                                  std::move(jobs), options);
    if (context_.progress) {
        drawProgress();
    }
    batch_->start([this](std::size_t i) { cardFinished(i); }, [this] { batchDone(); });
}

// --- the checks -----------------------------------------------------------------------------

bool CardWriteRun::approve(const std::vector<fleet::CardOutcome>& outcomes) {
    approvedMs_ = context_.scheduler->nowMs();
    planned_.clear();
    // The search's names, by MAC, for the messages.
    std::unordered_map<std::string, const std::string*> names;
    for (const protocol::DeviceEntry& f : found_) {
        names.emplace(f.mac, &f.name);
    }
    for (const fleet::CardOutcome& o : outcomes) {
        if (Writable(o)) {
            const auto name = names.find(o.read.mac);
            planned_.push_back(
                fleet::PlannedCardOf(o.readPanel, o.sentPanel, context_.cardProfile,
                                     name == names.end() ? std::string() : *name->second));
        }
    }
    findings_ = fleet::CheckWrites(planned_, found_, context_.localSubnets);
    refusedByChecks_ = fleet::Refuses(findings_, command_.allowOtherSubnet);
    reportFindings();
    return !refusedByChecks_ && !command_.dryRun && !interrupted_;
}

void CardWriteRun::reportFindings() {
    if (findings_.empty()) {
        return;
    }
    clearProgress();
    const lang::LanguageId language = command_.language;
    Text heading = Text::ChecksWarn;
    if (refusedByChecks_) {
        heading = command_.dryRun ? Text::ChecksWouldRefuse : Text::ChecksRefuse;
    }
    QTextStream& err = *context_.err;
    err << Tr(heading, language) << u'\n';
    bool heldWarning = false;
    for (const fleet::Finding& f : findings_) {
        err << u"  "_qs << Q(fleet::FindingMessage(f, planned_[f.card], language)) << u'\n';
        heldWarning = heldWarning || (f.warning && !command_.allowOtherSubnet);
    }
    if (heldWarning) {
        err << Tr(Text::AllowOtherSubnetHint, language) << u'\n';
    }
    err.flush();
}

// --- the records ----------------------------------------------------------------------------

std::optional<std::string> CardWriteRun::beforeSend(std::size_t index,
                                                    const fleet::CardOutcome& outcome) {
    QString error;
    const std::optional<QString> backup = record_->backUp(outcome.readPanel, &error);
    if (!backup) {
        return error.toStdString();
    }
    backups_[index] = *backup;
    if (auto failed = record_->append(
            record_->entryFor(outcome.readPanel, outcome.sentPanel, "sent", *backup))) {
        journalFailed(*failed);
    }
    sentLogged_[index] = true;
    return std::nullopt;
}

void CardWriteRun::journalFailed(const QString& error) {
    // Said once: the backups are the way back, so the writes go on.
    if (journalFailed_) {
        return;
    }
    journalFailed_ = true;
    clearProgress();
    *context_.err << Tr(Text::JournalFailed, command_.language).arg(error) << u'\n';
}

// --- each card, and the end -----------------------------------------------------------------

void CardWriteRun::cardFinished(std::size_t index) {
    const fleet::CardOutcome& outcome = batch_->outcomes()[index];
    if (sentLogged_[index]) {
        sentLogged_[index] = false;
        // A write that could not leave closes its "sent" line too.
        std::string word = fleet::JournalOutcome(outcome);
        if (word.empty()) {
            word = "no answer";
        }
        if (auto failed = record_->append(
                record_->entryFor(outcome.readPanel, outcome.sentPanel, word, backups_[index]))) {
            journalFailed(*failed);
        }
    }
    if (command_.dryRun) {
        return; // printed whole at the end
    }
    if (command_.format == Format::Json) {
        clearProgress();
        *context_.out << OutcomeJsonLine(cards_[index], outcome, context_.cardProfile,
                                         command_.language);
        context_.out->flush();
    }
    if (context_.progress && !batch_->done()) {
        drawProgress();
    }
}

void CardWriteRun::drawProgress() {
    context_.scheduler->cancel(progressTimer_);
    const QString line = batch_ ? ProgressLine(batch_->finishedCount(), cards_.size(),
                                               batch_->writtenCount(), command_.language)
                                : Tr(Text::Searching, command_.language);
    *context_.err << u'\r' << line << "\x1b[K";
    context_.err->flush();
    progressShown_ = true;
    progressTimer_ = context_.scheduler->after(kProgressRedrawMs, [this] {
        progressTimer_ = 0;
        drawProgress();
    });
}

void CardWriteRun::clearProgress() {
    if (!progressShown_) {
        return;
    }
    context_.scheduler->cancel(progressTimer_);
    progressTimer_ = 0;
    *context_.err << "\r\x1b[K";
    context_.err->flush();
    progressShown_ = false;
}

void CardWriteRun::batchDone() {
    clearProgress();
    const auto& outcomes = batch_->outcomes();
    const lang::LanguageId language = command_.language;
    if (command_.dryRun) {
        printDryRun();
        printTiming();
        finish(refusedByChecks_ ? kExitRefused
                                : WorseStatus(ExitStatus(outcomes, interrupted_), otherStatus_));
        return;
    }
    if (command_.format == Format::Table) {
        *context_.out << OutcomeTable(cards_, outcomes, context_.cardProfile, language)
                      << OutcomeSummary(outcomes, language);
    }
    if (interrupted_) {
        *context_.err
            << Tr(Text::Interrupted, language).arg(batch_->writtenCount()).arg(outcomes.size())
            << u'\n';
    }
    if (std::any_of(backups_.begin(), backups_.end(),
                    [](const QString& b) { return !b.isEmpty(); })) {
        *context_.err
            << Tr(Text::RecordsKept, language).arg(record_->backupFolder(), record_->journalPath())
            << u'\n';
    }
    printTiming();
    if (refusedByChecks_) {
        finish(interrupted_ ? kExitInterrupted : kExitRefused);
        return;
    }
    const int status = ExitStatus(outcomes, interrupted_);
    finish(status == kExitInterrupted ? status : WorseStatus(status, otherStatus_));
}

void CardWriteRun::printTiming() {
    if (!command_.timing) {
        return;
    }
    const auto& outcomes = batch_->outcomes();
    std::int64_t firstWrite = -1;
    std::int64_t lastWrite = -1;
    std::int64_t lastFinish = -1;
    // The protocol's floor as this run met it: the wait after a write and one read-back.
    std::int64_t shortestConfirm = -1;
    qint64 confirmed = 0;
    for (const fleet::CardOutcome& o : outcomes) {
        if (o.writtenMs >= 0) {
            firstWrite = firstWrite < 0 ? o.writtenMs : std::min(firstWrite, o.writtenMs);
            lastWrite = std::max(lastWrite, o.writtenMs);
        }
        lastFinish = std::max(lastFinish, o.finishedMs);
        if (o.status == fleet::CardOutcome::Status::Confirmed) {
            ++confirmed;
            const std::int64_t took = o.finishedMs - o.writtenMs;
            shortestConfirm = shortestConfirm < 0 ? took : std::min(shortestConfirm, took);
        }
    }
    const auto rel = [this](std::int64_t t) { return qint64(t < 0 ? -1 : t - startedMs_); };
    const QJsonObject timing{{u"command"_qs, name_},
                             {u"cards"_qs, qint64(outcomes.size())},
                             {u"written"_qs, qint64(batch_->writtenCount())},
                             {u"confirmed"_qs, confirmed},
                             {u"searchEndedMs"_qs, rel(searchEndedMs_)},
                             {u"approvedMs"_qs, rel(approvedMs_)},
                             {u"firstWriteMs"_qs, rel(firstWrite)},
                             {u"lastWriteMs"_qs, rel(lastWrite)},
                             {u"doneMs"_qs, rel(lastFinish)},
                             {u"shortestConfirmMs"_qs, qint64(shortestConfirm)}};
    *context_.err << QJsonDocument(timing).toJson(QJsonDocument::Compact) << u'\n';
}

// --- the dry run ----------------------------------------------------------------------------

void CardWriteRun::printDryRun() {
    const lang::LanguageId language = command_.language;
    const auto& outcomes = batch_->outcomes();
    QTextStream& out = *context_.out;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const fleet::CardOutcome& o = outcomes[i];
        const fleet::CardTarget& target = cards_[i];
        if (!Writable(o)) {
            if (command_.format == Format::Json) {
                out << OutcomeJsonLine(target, o, context_.cardProfile, language);
            } else {
                const QString detail = OutcomeDetail(o, context_.cardProfile, language);
                out << target.given << u": "_qs << OutcomeText(o, language)
                    << (detail.isEmpty() ? QString() : u": "_qs + detail) << u'\n';
            }
            continue;
        }
        const protocol::Destination to =
            protocol::destinationFor(protocol::RequestKind::Write, {}, o.addressing);
        if (command_.format == Format::Json) {
            const fleet::JournalEntry entry =
                record_->entryFor(o.readPanel, o.sentPanel, "dry run", QString());
            QJsonObject line =
                QJsonDocument::fromJson(QByteArray::fromStdString(fleet::JournalLine(entry)))
                    .object();
            line[u"card"_qs] = target.given;
            if (command_.hex) {
                line[u"to"_qs] = Q(to.host);
                line[u"port"_qs] = int(to.port);
                line[u"broadcast"_qs] = to.broadcast;
                line[u"bytes"_qs] = HexBytes(o.datagram);
            }
            out << QJsonDocument(line).toJson(QJsonDocument::Compact) << u'\n';
            continue;
        }
        const auto changes =
            fleet::ParameterChanges(o.readPanel, o.sentPanel, context_.cardProfile);
        out << Tr(Text::DryRunCard, language).arg(target.given, Q(o.read.mac), Q(o.read.ip))
            << u'\n';
        if (changes.empty()) {
            out << u"  "_qs << Tr(Text::DryRunNoChange, language) << u'\n';
        }
        for (const fleet::ParameterChange& c : changes) {
            out << u"  "_qs << Q(fleet::ChangeText(c)) << u'\n';
        }
        if (command_.hex) {
            out << u"  "_qs
                << Tr(Text::DryRunLine, language)
                       .arg(target.given, Q(to.host))
                       .arg(to.port)
                       .arg(o.datagram.size())
                       .arg(to.broadcast ? Tr(Text::DryRunBroadcast, language) : QString())
                << u"\n  "_qs << HexBytes(o.datagram) << u'\n';
        }
    }
    if (command_.format == Format::Table) {
        out << Tr(Text::DryRunNothingSent, language) << u'\n';
    }
}

// Without cards: each card's values come from the --base file, and the write is printed as it
// would leave.
void CardWriteRun::runDryRunFromBase() {
    const fleet::Profile& base = *command_.base;
    const lang::LanguageId language = command_.language;
    cards_ = command_.cards;
    bool refused = false;
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        const fleet::CardTarget& target = cards_[i];
        // The panel as a read of the card would leave it, taken from the base file.
        protocol::PanelModel panel = family_.emptyPanel();
        fleet::ApplyOptions all;
        std::optional<std::string> refusal =
            profileRefusal(fleet::ApplyProfile(panel, base, context_.cardProfile, all));
        for (const fleet::Setting& s : base.settings) {
            if (s.parameter->readOnly && s.parameter->edit != protocol::Edit::Count) {
                panel[s.parameter->edit] = s.text;
            }
        }
        const std::string mac = target.byMac ? target.macText : base.card.mac;
        panel[protocol::Edit::MACAddr] = mac;
        if (!refusal) {
            refusal = change(panel, i);
        }
        protocol::SelectedCard selected;
        selected.ip = target.byMac ? base.card.ip : target.ip;
        selected.mac = target.byMac ? target.mac : protocol::MacFromText(mac);
        const auto firmware = protocol::ParseDecimal(base.card.firmware);
        selected.byMac = firmware && protocol::AddressedByMac(int(std::min(*firmware, 255U)));
        if (!refusal) {
            const protocol::WriteResult result = family_.compose(panel, selected);
            if (const auto* r = std::get_if<protocol::WriteRefusal>(&result)) {
                refusal = fleet::WriteRefusalMessage(*r, language);
            } else {
                const QByteArray bytes =
                    discovery::toByteArray(std::get<protocol::WriteMessage>(result).bytes);
                const protocol::Destination to =
                    protocol::destinationFor(protocol::RequestKind::Write, {}, selected);
                if (command_.format == Format::Json) {
                    const QJsonObject line{{u"card"_qs, target.given},
                                           {u"to"_qs, Q(to.host)},
                                           {u"port"_qs, int(to.port)},
                                           {u"broadcast"_qs, to.broadcast},
                                           {u"bytes"_qs, HexBytes(bytes)}};
                    *context_.out << QJsonDocument(line).toJson(QJsonDocument::Compact) << u'\n';
                } else {
                    *context_.out << Tr(Text::DryRunLine, language)
                                         .arg(target.given, Q(to.host))
                                         .arg(to.port)
                                         .arg(bytes.size())
                                         .arg(to.broadcast ? Tr(Text::DryRunBroadcast, language)
                                                           : QString())
                                  << u'\n' << HexBytes(bytes) << u'\n';
                }
                continue;
            }
        }
        refused = true;
        *context_.err << target.given << ": " << Q(*refusal) << u'\n';
    }
    if (command_.format == Format::Table) {
        *context_.out << Tr(Text::DryRunNothingSent, language) << u'\n';
    }
    finish(refused ? kExitRefused : kExitConfirmed);
}

} // namespace ctl
