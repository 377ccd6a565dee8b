#include "ctl/commands/CardWrites.h"

#include "ctl/Output.h"
#include "discovery/Requests.h"
#include "protocol/Encoding.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace ctl {

namespace {

constexpr int kProgressRedrawMs = 250;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

CardWriteRun::CardWriteRun(Command command, const RunContext& context, QString name,
                           std::vector<fleet::CardTarget> cards)
    : CommandRun(std::move(command), context), name_(std::move(name)), cards_(std::move(cards)),
      family_(context.cardProfile) {}

CardWriteRun::~CardWriteRun() {
    if (context_.scheduler) {
        context_.scheduler->cancel(progressTimer_);
    }
}

void CardWriteRun::begin() {
    if (command_.dryRun) {
        runDryRun();
    } else {
        runBatch();
    }
}

void CardWriteRun::cancel() {
    if (batch_) {
        batch_->cancel();
    }
}

std::optional<std::string> CardWriteRun::changeMessage(protocol::PanelModel& panel,
                                                       std::size_t index) const {
    if (const std::optional<fleet::Refusal> refusal = change(panel, index)) {
        return fleet::RefusalMessage(*refusal, command_.language);
    }
    return std::nullopt;
}

// --- the batch ------------------------------------------------------------------------------

void CardWriteRun::runBatch() {
    // What would refuse every card is refused before anything is sent, the read included.
    protocol::PanelModel probe = family_.emptyPanel();
    if (auto refusal = changeMessage(probe, 0)) {
        *context_.err << Q(*refusal) << u'\n';
        finish(kExitRefused);
        return;
    }
    std::vector<fleet::CardJob> jobs;
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        jobs.push_back({cards_[i], [this, i](protocol::PanelModel& panel) {
                            return changeMessage(panel, i);
                        }});
    }
    fleet::BatchWriter::Options options;
    options.parallel = command_.parallel;
    batch_ = std::make_unique<fleet::BatchWriter>(router(), *context_.scheduler, family_,
                                                  std::move(jobs), options);
    if (context_.progress) {
        drawProgress();
    }
    batch_->start([this](std::size_t i) { cardFinished(i); }, [this] { batchDone(); });
}

void CardWriteRun::cardFinished(std::size_t index) {
    if (command_.format == Format::Json) {
        clearProgress();
        *context_.out << OutcomeJsonLine(cards_[index], batch_->outcomes()[index],
                                         context_.cardProfile, command_.language);
        context_.out->flush();
    }
    if (context_.progress && !batch_->done()) {
        drawProgress();
    }
}

void CardWriteRun::drawProgress() {
    context_.scheduler->cancel(progressTimer_);
    *context_.err << u'\r'
                  << ProgressLine(batch_->finishedCount(), cards_.size(), batch_->writtenCount(),
                                  command_.language)
                  << "\x1b[K";
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
    if (command_.format == Format::Table) {
        *context_.out << OutcomeTable(cards_, outcomes, context_.cardProfile, language)
                      << OutcomeSummary(outcomes, language);
    }
    if (interrupted_) {
        *context_.err
            << Tr(Text::Interrupted, language).arg(batch_->writtenCount()).arg(outcomes.size())
            << u'\n';
    }
    if (command_.timing) {
        std::int64_t firstWrite = -1;
        std::int64_t lastWrite = -1;
        std::int64_t lastFinish = -1;
        qint64 confirmed = 0;
        for (const fleet::CardOutcome& o : outcomes) {
            if (o.writtenMs >= 0) {
                firstWrite = firstWrite < 0 ? o.writtenMs : std::min(firstWrite, o.writtenMs);
                lastWrite = std::max(lastWrite, o.writtenMs);
            }
            lastFinish = std::max(lastFinish, o.finishedMs);
            confirmed += o.status == fleet::CardOutcome::Status::Confirmed ? 1 : 0;
        }
        const auto rel = [this](std::int64_t t) { return qint64(t < 0 ? -1 : t - startedMs_); };
        const QJsonObject timing{{u"command"_qs, name_},
                                 {u"cards"_qs, qint64(outcomes.size())},
                                 {u"written"_qs, qint64(batch_->writtenCount())},
                                 {u"confirmed"_qs, confirmed},
                                 {u"firstWriteMs"_qs, rel(firstWrite)},
                                 {u"lastWriteMs"_qs, rel(lastWrite)},
                                 {u"doneMs"_qs, rel(lastFinish)}};
        *context_.err << QJsonDocument(timing).toJson(QJsonDocument::Compact) << u'\n';
    }
    finish(ExitStatus(outcomes, interrupted_));
}

// --- the dry run ----------------------------------------------------------------------------

void CardWriteRun::runDryRun() {
    const fleet::Profile& base = *command_.base;
    const lang::LanguageId language = command_.language;
    bool refused = false;
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        const fleet::CardTarget& target = cards_[i];
        // The panel as a read of the card would leave it, taken from the base file.
        protocol::PanelModel panel = family_.emptyPanel();
        fleet::ApplyOptions all;
        std::optional<std::string> refusal;
        if (auto r = fleet::ApplyProfile(panel, base, context_.cardProfile, all)) {
            refusal = fleet::RefusalMessage(*r, language);
        }
        for (const fleet::Setting& s : base.settings) {
            if (s.parameter->readOnly && s.parameter->edit != protocol::Edit::Count) {
                panel[s.parameter->edit] = s.text;
            }
        }
        const std::string mac = target.byMac ? target.macText : base.card.mac;
        panel[protocol::Edit::MACAddr] = mac;
        if (!refusal) {
            refusal = changeMessage(panel, i);
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
