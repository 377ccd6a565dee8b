#include "ui/BatchWriteRun.h"

#include "fleet/AddressRun.h"
#include "fleet/BatchWriter.h"
#include "fleet/CardFamily.h"
#include "fleet/CardTarget.h"
#include "fleet/DataFolder.h"
#include "fleet/ParameterNames.h"
#include "fleet/Profile.h"
#include "fleet/Scheduler.h"
#include "fleet/WriteCycle.h"
#include "lang/QtText.h"
#include "lang/Texts.h"

#include <QDir>
#include <QTimer>
#include <string_view>
#include <utility>
#include <variant>

namespace ui {

namespace {

// The findings a box names; the table shows the rest.
constexpr int kFindingsShown = 12;

QString Text(lang::LanguageId language, lang::CommandText which) {
    return lang::QtText(language, which);
}

QString SentIp(const fleet::CardOutcome& out) {
    return QString::fromStdString(fleet::TypedIp(out.sentPanel));
}

// The journal's word for how a card's write ended; a write that could not leave got no answer.
std::string OutcomeWord(const fleet::CardOutcome& out) {
    std::string outcome = fleet::JournalOutcome(out);
    return outcome.empty() ? std::string("no answer") : outcome;
}

QString ChangesTip(lang::LanguageId language, const std::vector<fleet::ParameterChange>& changes) {
    if (changes.empty()) {
        return Text(language, lang::CommandText::NoChangesOnCard);
    }
    QStringList lines{Text(language, lang::CommandText::ChangesOnCard)};
    for (const fleet::ParameterChange& change : changes) {
        lines << QString::fromStdString(fleet::ChangeText(change));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

BatchWriteRun::BatchWriteRun(fleet::DatagramRouter& router, fleet::Scheduler& scheduler,
                             lang::LanguageId language, QObject* parent)
    : QObject(parent), router_(router), scheduler_(scheduler), language_(language) {}

BatchWriteRun::~BatchWriteRun() = default;

QString BatchWriteRun::PlanTip(lang::LanguageId language, const QString& file, const QString& ip,
                               const QString& mask, const QString& gateway) {
    QStringList lines;
    lines << (file.isEmpty() ? Text(language, lang::CommandText::ParameterSource)
                             : Text(language, lang::CommandText::RestoreSource)
                                   .arg(QDir::toNativeSeparators(file)));
    if (ip.isEmpty()) {
        lines << Text(language, lang::CommandText::PlanKeepsAddresses);
        return lines.join(QLatin1Char('\n'));
    }
    const std::pair<const char*, const QString*> values[] = {
        {"network.ip", &ip}, {"network.mask", &mask}, {"network.gateway", &gateway}};
    for (const auto& [name, value] : values) {
        if (!value->isEmpty()) {
            lines << QLatin1String(name) + QStringLiteral(" -> ") + *value;
        }
    }
    return lines.join(QLatin1Char('\n'));
}

std::array<QString, 3> BatchWriteRun::SavedAddresses(const fleet::Profile& backup) {
    std::array<QString, 3> out;
    const std::string_view names[] = {"network.ip", "network.mask", "network.gateway"};
    for (const fleet::Setting& setting : backup.settings) {
        for (std::size_t n = 0; n < out.size(); ++n) {
            if (setting.parameter && setting.parameter->name == names[n]) {
                out[n] = QString::fromStdString(setting.text);
            }
        }
    }
    return out;
}

std::optional<QString> BatchWriteRun::start(Plan plan) {
    if (running_ || writer_) {
        return QString();
    }
    if (plan.cards.empty()) {
        return Text(language_, lang::CommandText::NoCardTicked);
    }
    const bool restore = !plan.backups.empty();
    if (!restore &&
        QString::fromStdString(plan.source[protocol::Edit::MACAddr]).trimmed().isEmpty()) {
        return Text(language_, lang::CommandText::NothingRead);
    }
    std::vector<QString> plannedIps(plan.cards.size());
    if (!restore && plan.firstIp) {
        // The cards get the panel's mask, so the run must keep clear of that subnet's network
        // and broadcast addresses, as ledcardctl's --ip-from does.
        const std::string mask = fleet::TypedMask(plan.source);
        const QString from = QString::fromStdString(fleet::QuadText(*plan.firstIp));
        if (const auto refusal = fleet::CheckAddressRun(*plan.firstIp, plan.cards.size(), mask)) {
            if (refusal->reason == fleet::AddressRunRefusal::Reason::PastTheEnd) {
                return Text(language_, lang::CommandText::AddressesRunOut)
                    .arg(from)
                    .arg(plan.cards.size());
            }
            return Text(language_, lang::CommandText::AddressNotForCards)
                .arg(from)
                .arg(plan.cards.size())
                .arg(QString::fromStdString(fleet::QuadText(refusal->address)),
                     QString::fromStdString(fleet::QuadText(refusal->network)) + u'/' +
                         QString::fromStdString(mask));
        }
        for (std::size_t k = 0; k < plan.cards.size(); ++k) {
            plannedIps[k] =
                QString::fromStdString(fleet::QuadText(fleet::NthAddress(*plan.firstIp, k)));
        }
    }
    // The panel goes through the profile format, so every card gets exactly what a profile
    // file of this panel would give it with ledcardctl apply.
    std::shared_ptr<const fleet::Profile> panelProfile;
    if (!restore) {
        const auto parsed =
            fleet::ParseProfile(fleet::ProfileJson(plan.source, plan.profile), std::string_view());
        if (const auto* refusal = std::get_if<fleet::Refusal>(&parsed)) {
            return QString::fromStdString(fleet::RefusalMessage(*refusal, language_));
        }
        panelProfile = std::make_shared<const fleet::Profile>(std::get<fleet::Profile>(parsed));
    }

    const QString panelMask = QString::fromStdString(fleet::TypedMask(plan.source));
    const QString panelGateway =
        QString::fromStdString(fleet::TypedQuad(plan.source, protocol::Edit::Gate1));
    cards_.clear();
    cards_.reserve(plan.cards.size());
    for (std::size_t k = 0; k < plan.cards.size(); ++k) {
        CardState state{plan.cards[k], State::Waiting, {}, {}, {}, {}};
        if (restore) {
            const auto saved = SavedAddresses(*plan.backups[k]);
            state.newIp = saved[0];
            state.tip = PlanTip(language_, QString::fromStdString(plan.backups[k]->file), saved[0],
                                saved[1], saved[2]);
        } else {
            state.newIp = plannedIps[k];
            state.tip = PlanTip(language_, QString(), plannedIps[k],
                                plannedIps[k].isEmpty() ? QString() : panelMask,
                                plannedIps[k].isEmpty() ? QString() : panelGateway);
        }
        cards_.push_back(std::move(state));
    }
    findingsByCard_.assign(plan.cards.size(), QStringList());
    if (auto refused = check(plan)) {
        return refused;
    }

    family_ = std::make_unique<fleet::CardFamily>(plan.profile);
    profile_ = plan.profile;
    record_ = std::make_unique<fleet::RunRecord>(plan.dataFolder.isEmpty() ? fleet::DataFolder()
                                                                           : plan.dataFolder,
                                                 "ledcardcfg", plan.profile, language_);
    journalled_.assign(cards_.size(), false);
    recordProblems_.clear();

    std::vector<fleet::CardJob> jobs;
    std::vector<std::size_t> jobCard;
    std::vector<std::size_t> unreachable;
    for (std::size_t k = 0; k < cards_.size(); ++k) {
        const Card& card = cards_[k].card;
        // Addressed as a double click on its row would address it.
        const QString mac = QString::fromStdString(card.mac).trimmed();
        const bool byMac = protocol::AddressedByMac(card.version) && !mac.isEmpty();
        const auto target = byMac
                                ? fleet::ParseCardTarget(mac, true)
                                : fleet::ParseCardTarget(QString::fromStdString(card.ip).trimmed());
        if (!target) {
            unreachable.push_back(k);
            continue;
        }
        // A backup gives everything back, its addresses too; the panel keeps each card's
        // addresses unless a run of them is given.
        fleet::ApplyOptions options;
        if (!restore) {
            if (plan.firstIp) {
                options.ip = fleet::ParseAddress(plannedIps[k].toStdString());
            } else {
                options.keepNetworkAddresses = true;
            }
        }
        fleet::CardJob job;
        job.target = *target;
        job.change = [profile = restore ? plan.backups[k] : panelProfile, options,
                      cardProfile = plan.profile, language = language_](
                         protocol::PanelModel& panel) -> std::optional<std::string> {
            if (auto refusal = fleet::ApplyProfile(panel, *profile, cardProfile, options)) {
                return fleet::RefusalMessage(*refusal, language);
            }
            return std::nullopt;
        };
        jobs.push_back(std::move(job));
        jobCard.push_back(k);
    }

    fleet::BatchWriter::Options options;
    options.beforeSend = [this, jobCard](std::size_t i, const fleet::CardOutcome& out) {
        return beforeSend(jobCard[i], out);
    };
    options.sent = [this, jobCard](std::size_t i, const fleet::CardOutcome& out) {
        const std::size_t k = jobCard[i];
        cards_[k].newIp = SentIp(out);
        if (cards_[k].state == State::Waiting) {
            setState(k, State::Sent);
        }
    };

    running_ = true;
    cancelled_ = false;
    finished_ = 0;
    for (std::size_t k : unreachable) {
        cards_[k].newIp.clear();
        cardFinishedAs(k, State::NoAnswer);
    }
    writer_ = std::make_unique<fleet::BatchWriter>(router_, scheduler_, *family_, std::move(jobs),
                                                   std::move(options));
    writer_->start([this, jobCard](std::size_t i) { cardFinished(jobCard[i], i); },
                   [this] { allFinished(); });
    return std::nullopt;
}

std::optional<QString> BatchWriteRun::check(const Plan& plan) {
    // A card that keeps its addresses keeps its own mask and gateway, unknown before it is
    // read: empty, they are not checked.
    const bool restore = !plan.backups.empty();
    const bool newAddresses = restore || plan.firstIp;
    const std::string mask = newAddresses ? fleet::TypedMask(plan.source) : std::string();
    const std::string gateway =
        newAddresses ? fleet::TypedQuad(plan.source, protocol::Edit::Gate1) : std::string();
    std::vector<fleet::PlannedCard> run;
    run.reserve(cards_.size());
    for (std::size_t k = 0; k < cards_.size(); ++k) {
        const Card& card = cards_[k].card;
        fleet::PlannedCard planned{card.name,
                                   card.mac,
                                   card.ip,
                                   card.version > 0 ? card.version : -1,
                                   newAddresses ? cards_[k].newIp.toStdString() : card.ip,
                                   mask,
                                   gateway};
        if (restore) {
            const auto saved = SavedAddresses(*plan.backups[k]);
            planned.newMask = saved[1].toStdString();
            planned.newGateway = saved[2].toStdString();
        }
        run.push_back(std::move(planned));
    }
    const std::vector<fleet::Finding> findings = fleet::CheckWrites(run, plan.found, plan.local);
    if (findings.empty()) {
        return std::nullopt;
    }
    QStringList shown;
    for (const fleet::Finding& finding : findings) {
        const QString line =
            QString::fromStdString(fleet::FindingMessage(finding, run[finding.card], language_));
        findingsByCard_[finding.card] << line;
        if (shown.size() < kFindingsShown) {
            shown << line;
        }
    }
    if (findings.size() > std::size_t(kFindingsShown)) {
        shown << Text(language_, lang::CommandText::ChecksMore)
                     .arg(findings.size() - std::size_t(kFindingsShown));
    }
    if (fleet::Refuses(findings, true)) {
        return Text(language_, lang::CommandText::ChecksRefuseRun) + QLatin1Char('\n') +
               shown.join(QLatin1Char('\n'));
    }
    // Only what the operator may allow: a card by MAC that leaves the local subnet.
    const QString question = Text(language_, lang::CommandText::ChecksFound) + QLatin1Char('\n') +
                             shown.join(QLatin1Char('\n')) + QStringLiteral("\n\n") +
                             Text(language_, lang::CommandText::WriteAnyway);
    // Nothing refused: the rows are not marked, whatever the answer.
    findingsByCard_.assign(cards_.size(), QStringList());
    if (askToGoOn && askToGoOn(question)) {
        return std::nullopt;
    }
    return QString();
}

std::optional<std::string> BatchWriteRun::beforeSend(std::size_t i, const fleet::CardOutcome& out) {
    CardState& card = cards_[i];
    card.tip =
        ChangesTip(language_, fleet::ParameterChanges(out.readPanel, out.sentPanel, profile_));
    QString error;
    const std::optional<QString> backup = record_->backUp(out.readPanel, &error);
    if (!backup) {
        // Without its backup the card is not written: there would be no way back.
        card.detail = error;
        if (!recordProblems_.contains(error)) {
            recordProblems_ << error;
        }
        emit cardChanged(int(i));
        return error.toStdString();
    }
    card.backup = *backup;
    journalled_[i] = true;
    if (const auto failed =
            record_->append(record_->entryFor(out.readPanel, out.sentPanel, "sent", *backup))) {
        if (!recordProblems_.contains(*failed)) {
            recordProblems_ << *failed;
        }
    }
    emit cardChanged(int(i));
    return std::nullopt;
}

void BatchWriteRun::recordOutcome(std::size_t i, const fleet::CardOutcome& out) {
    if (!journalled_[i]) {
        return;
    }
    journalled_[i] = false;
    if (const auto failed = record_->append(
            record_->entryFor(out.readPanel, out.sentPanel, OutcomeWord(out), cards_[i].backup))) {
        if (!recordProblems_.contains(*failed)) {
            recordProblems_ << *failed;
        }
    }
}

void BatchWriteRun::cancel() {
    if (!running_ || !writer_) {
        return;
    }
    cancelled_ = true;
    writer_->cancel();
}

void BatchWriteRun::setState(std::size_t i, State state) {
    cards_[i].state = state;
    emit cardChanged(int(i));
}

void BatchWriteRun::cardFinishedAs(std::size_t i, State state) {
    ++finished_;
    setState(i, state);
}

void BatchWriteRun::cardFinished(std::size_t i, std::size_t job) {
    const fleet::CardOutcome& out = writer_->outcomes()[job];
    CardState& card = cards_[i];
    recordOutcome(i, out);
    // A card that got no write gets no address; a written one the address sent, confirmed or
    // not, since it may well hold it now.
    if (out.written) {
        card.newIp = SentIp(out);
    } else {
        card.newIp.clear();
    }
    switch (out.status) {
    case fleet::CardOutcome::Status::Confirmed:
        cardFinishedAs(i, State::Confirmed);
        return;
    case fleet::CardOutcome::Status::NotConfirmed:
        cardFinishedAs(i, State::NotConfirmed);
        return;
    case fleet::CardOutcome::Status::Refused: {
        const std::string why = out.writeRefusal
                                    ? fleet::WriteRefusalMessage(*out.writeRefusal, language_)
                                    : out.changeRefusal;
        if (!why.empty()) {
            card.detail = QString::fromStdString(why);
        }
        cardFinishedAs(i, State::Refused);
        return;
    }
    case fleet::CardOutcome::Status::Cancelled:
    case fleet::CardOutcome::Status::Held:
        cardFinishedAs(i, State::NotWritten);
        return;
    case fleet::CardOutcome::Status::NoAnswer:
    case fleet::CardOutcome::Status::Pending:
        break;
    }
    cardFinishedAs(i, State::NoAnswer);
}

void BatchWriteRun::allFinished() {
    running_ = false;
    // The engine is still on the call stack here; it is let go of once it has returned.
    QTimer::singleShot(0, this, [this] { writer_.reset(); });
    emit finished();
}

int BatchWriteRun::count(State state) const {
    int n = 0;
    for (const CardState& card : cards_) {
        n += card.state == state ? 1 : 0;
    }
    return n;
}

QString BatchWriteRun::summary() const {
    QString counts = lang::QtText(language_, lang::CommandText::Summary)
                         .arg(cards_.size())
                         .arg(count(State::Confirmed))
                         .arg(count(State::NotConfirmed))
                         .arg(count(State::NoAnswer))
                         .arg(count(State::Refused))
                         .arg(count(State::NotWritten));
    if (!cancelled_) {
        return counts;
    }
    const QString cancelled = lang::QtText(language_, lang::CommandText::Cancelled);
    return cancelled + (language_ == lang::LanguageId::English ? QStringLiteral(" ") : QString()) +
           counts;
}

QString BatchWriteRun::stateText(State state) const {
    using lang::CommandText;
    switch (state) {
    case State::Waiting:
        return lang::QtText(language_, CommandText::StateWaiting);
    case State::Sent:
        return lang::QtText(language_, CommandText::StateSent);
    case State::Confirmed:
        return lang::QtText(language_, CommandText::StateConfirmed);
    case State::NotConfirmed:
        return lang::QtText(language_, CommandText::StateNotConfirmed);
    case State::NoAnswer:
        return lang::QtText(language_, CommandText::StateNoAnswer);
    case State::Refused:
        return lang::QtText(language_, CommandText::StateRefused);
    case State::NotWritten:
        return lang::QtText(language_, CommandText::StateNotWritten);
    }
    return {};
}

fleet::CsvTable BatchWriteRun::results(const QStringList& header) const {
    fleet::CsvTable file(header, fleet::CsvTable::Mark::ByteOrder);
    for (const CardState& card : cards_) {
        QString state = stateText(card.state);
        if (!card.detail.isEmpty()) {
            state += QStringLiteral(": ") + card.detail;
        }
        file.addRow({QString::number(card.card.number), QString::fromStdString(card.card.name),
                     QString::fromStdString(card.card.mac), QString::fromStdString(card.card.ip),
                     card.newIp, state});
    }
    return file;
}

} // namespace ui
