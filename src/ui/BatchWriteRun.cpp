#include "ui/BatchWriteRun.h"

#include "fleet/AddressRun.h"
#include "fleet/BatchWriter.h"
#include "fleet/CardFamily.h"
#include "fleet/CardTarget.h"
#include "fleet/ParameterNames.h"
#include "fleet/Profile.h"
#include "fleet/Scheduler.h"
#include "fleet/WriteCycle.h"
#include "lang/QtText.h"
#include "lang/Texts.h"

#include <QPointer>
#include <QTimer>
#include <variant>

namespace ui {

BatchWriteRun::BatchWriteRun(fleet::DatagramRouter& router, fleet::Scheduler& scheduler,
                             lang::LanguageId language, QObject* parent)
    : QObject(parent), router_(router), scheduler_(scheduler), language_(language) {}

BatchWriteRun::~BatchWriteRun() = default;

std::optional<QString> BatchWriteRun::start(Plan plan) {
    if (running_ || writer_) {
        return QString();
    }
    if (plan.cards.empty()) {
        return lang::QtText(language_, lang::CommandText::NoCardTicked);
    }
    if (QString::fromStdString(plan.source[protocol::Edit::MACAddr]).trimmed().isEmpty()) {
        return lang::QtText(language_, lang::CommandText::NothingRead);
    }
    plannedIps_.assign(plan.cards.size(), QString());
    if (plan.firstIp) {
        // The cards get the panel's mask, so the run must keep clear of that subnet's network
        // and broadcast addresses, as ledcardctl's --ip-from does.
        const std::string mask = fleet::TypedMask(plan.source);
        const QString from = QString::fromStdString(fleet::QuadText(*plan.firstIp));
        if (const auto refusal = fleet::CheckAddressRun(*plan.firstIp, plan.cards.size(), mask)) {
            if (refusal->reason == fleet::AddressRunRefusal::Reason::PastTheEnd) {
                return lang::QtText(language_, lang::CommandText::AddressesRunOut)
                    .arg(from)
                    .arg(plan.cards.size());
            }
            return lang::QtText(language_, lang::CommandText::AddressNotForCards)
                .arg(from)
                .arg(plan.cards.size())
                .arg(QString::fromStdString(fleet::QuadText(refusal->address)),
                     QString::fromStdString(fleet::QuadText(refusal->network)) + u'/' +
                         QString::fromStdString(mask));
        }
        for (std::size_t k = 0; k < plan.cards.size(); ++k) {
            plannedIps_[k] =
                QString::fromStdString(fleet::QuadText(fleet::NthAddress(*plan.firstIp, k)));
        }
    }
    // The panel goes through the profile format, so every card gets exactly what a profile
    // file of this panel would give it with ledcardctl apply.
    const auto parsed =
        fleet::ParseProfile(fleet::ProfileJson(plan.source, plan.profile), std::string_view());
    if (const auto* refusal = std::get_if<fleet::Refusal>(&parsed)) {
        return QString::fromStdString(fleet::RefusalMessage(*refusal, language_));
    }
    auto profile = std::make_shared<const fleet::Profile>(std::get<fleet::Profile>(parsed));

    cards_.clear();
    cards_.reserve(plan.cards.size());
    for (const Card& card : plan.cards) {
        cards_.push_back({card, State::Waiting, QString(), QString()});
    }
    family_ = std::make_unique<fleet::CardFamily>(plan.profile);

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
        fleet::ApplyOptions options;
        if (plan.firstIp) {
            options.ip = fleet::ParseAddress(plannedIps_[k].toStdString());
        } else {
            options.keepNetworkAddresses = true;
        }
        const std::size_t jobIndex = jobs.size();
        QPointer<BatchWriteRun> self(this);
        fleet::CardJob job;
        job.target = *target;
        job.change = [self, jobIndex, k, profile, options, cardProfile = plan.profile,
                      language =
                          language_](protocol::PanelModel& panel) -> std::optional<std::string> {
            if (auto refusal = fleet::ApplyProfile(panel, *profile, cardProfile, options)) {
                return fleet::RefusalMessage(*refusal, language);
            }
            // The write leaves right after this returns; look once it has.
            QTimer::singleShot(0, self, [self, jobIndex, k] {
                if (self && self->writer_ && self->cards_[k].state == State::Waiting &&
                    self->writer_->outcomes()[jobIndex].written) {
                    self->setState(k, State::Sent);
                }
            });
            return std::nullopt;
        };
        jobs.push_back(std::move(job));
        jobCard.push_back(k);
    }

    running_ = true;
    cancelled_ = false;
    finished_ = 0;
    for (std::size_t k : unreachable) {
        cardFinishedAs(k, State::NoAnswer);
    }
    writer_ = std::make_unique<fleet::BatchWriter>(router_, scheduler_, *family_, std::move(jobs),
                                                   fleet::BatchWriter::Options{});
    writer_->start([this, jobCard](std::size_t i) { cardFinished(jobCard[i], i); },
                   [this] { allFinished(); });
    return std::nullopt;
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
    switch (out.status) {
    case fleet::CardOutcome::Status::Confirmed: {
        QStringList octets;
        for (protocol::Edit e :
             {protocol::Edit::IP1, protocol::Edit::IP2, protocol::Edit::IP3, protocol::Edit::IP4}) {
            octets << QString::fromStdString(out.sentPanel[e]).trimmed();
        }
        card.newIp = octets.join(QLatin1Char('.'));
        cardFinishedAs(i, State::Confirmed);
        return;
    }
    case fleet::CardOutcome::Status::NotConfirmed:
        cardFinishedAs(i, State::NotConfirmed);
        return;
    case fleet::CardOutcome::Status::Refused:
        card.detail = QString::fromStdString(
            out.writeRefusal ? fleet::WriteRefusalMessage(*out.writeRefusal, language_)
                             : out.changeRefusal);
        cardFinishedAs(i, State::Refused);
        return;
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
