#include "ctl/Runner.h"

#include "ctl/Output.h"
#include "ctl/Texts.h"
#include "discovery/Requests.h"
#include "fleet/ParameterNames.h"
#include "fleet/Profile.h"
#include "protocol/Encoding.h"

#include <QJsonArray>
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

Runner::Runner(Command command, const Context& context)
    : command_(std::move(command)), context_(context), family_(context.cardProfile) {}

Runner::~Runner() {
    if (context_.scheduler) {
        context_.scheduler->cancel(progressTimer_);
    }
}

fleet::DatagramRouter& Runner::router() {
    if (!router_) {
        router_ = std::make_unique<fleet::DatagramRouter>(*context_.endpoint);
    }
    return *router_;
}

void Runner::start(std::function<void(int)> finished) {
    finished_ = std::move(finished);
    startedMs_ = context_.scheduler->nowMs();
    switch (command_.kind) {
    case CommandKind::Search:
        runSearch();
        return;
    case CommandKind::Read:
        runRead();
        return;
    case CommandKind::Write:
    case CommandKind::Apply:
        if (command_.dryRun) {
            runDryRun();
        } else {
            runBatch();
        }
        return;
    }
}

void Runner::interrupt() {
    if (done_ || interrupted_) {
        return;
    }
    interrupted_ = true;
    if (search_) {
        search_->cancel();
    } else if (reader_) {
        reader_->cancel();
    } else if (batch_) {
        batch_->cancel();
    }
}

void Runner::finish(int status) {
    if (done_) {
        return;
    }
    done_ = true;
    context_.out->flush();
    context_.err->flush();
    if (finished_) {
        finished_(status);
    }
}

// --- search ---------------------------------------------------------------------------------

void Runner::runSearch() {
    fleet::SearchTiming timing;
    timing.searchTimes = command_.times > 0 ? command_.times : context_.searchTimes;
    search_ = std::make_unique<fleet::Search>(router(), *context_.scheduler, timing);
    search_->start([this] {
        const fleet::Search& s = *search_;
        const auto& cards = s.found().entries();
        QTextStream& out = *context_.out;
        const lang::LanguageId language = command_.language;
        switch (command_.format) {
        case Format::Table:
            if (!cards.empty()) {
                out << SearchTable(cards, language);
            }
            break;
        case Format::Json:
            out << SearchJson(cards);
            break;
        case Format::Csv:
            out << SearchCsv(cards);
            break;
        }
        out.flush();
        const std::int64_t printed = context_.scheduler->nowMs();
        if (s.failure()) {
            *context_.err
                << Tr(Text::SearchFailed, language).arg(SendFailureText(*s.failure(), language))
                << u'\n';
        } else if (cards.empty() && !interrupted_) {
            *context_.err << Tr(Text::NoCardFound, language) << u'\n';
        }
        if (command_.timing) {
            const auto rel = [&s](std::int64_t t) { return t < 0 ? -1 : t - s.startedMs(); };
            const QJsonObject timing{{u"command"_qs, u"search"_qs},
                                     {u"cards"_qs, qint64(cards.size())},
                                     {u"requests"_qs, s.requestsSent()},
                                     {u"lastRequestMs"_qs, qint64(rel(s.lastRequestMs()))},
                                     {u"lastAnswerMs"_qs, qint64(rel(s.lastAnswerMs()))},
                                     {u"endedMs"_qs, qint64(rel(s.endedMs()))},
                                     {u"printedMs"_qs, qint64(rel(printed))}};
            *context_.err << QJsonDocument(timing).toJson(QJsonDocument::Compact) << u'\n';
        }
        if (interrupted_) {
            finish(kExitInterrupted);
        } else {
            finish(cards.empty() ? kExitNoAnswer : kExitConfirmed);
        }
    });
}

// --- read -----------------------------------------------------------------------------------

void Runner::runRead() {
    reader_ = std::make_unique<fleet::CardReader>(router(), *context_.scheduler, family_,
                                                  command_.card);
    reader_->listen();
    reader_->start([this] {
        const fleet::CardReader& r = *reader_;
        const lang::LanguageId language = command_.language;
        switch (r.status()) {
        case fleet::CardReader::Status::Read:
            if (command_.format == Format::Json) {
                *context_.out << Q(fleet::ProfileJson(r.panel(), context_.cardProfile));
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
    });
}

// --- write and apply ------------------------------------------------------------------------

std::vector<fleet::CardTarget> Runner::targets() const {
    return command_.kind == CommandKind::Write ? std::vector<fleet::CardTarget>{command_.card}
                                               : command_.cards;
}

std::optional<std::string> Runner::change(protocol::PanelModel& panel, std::size_t index) const {
    std::optional<fleet::Refusal> refusal;
    if (command_.kind == CommandKind::Write) {
        refusal = fleet::ApplySettings(panel, command_.settings, context_.cardProfile);
    } else {
        fleet::ApplyOptions options;
        if (command_.ipFrom) {
            options.ip = NthAddress(*command_.ipFrom, index);
        } else {
            options.keepNetworkAddresses = true;
        }
        refusal = fleet::ApplyProfile(panel, *command_.profile, context_.cardProfile, options);
    }
    if (refusal) {
        return fleet::RefusalMessage(*refusal, command_.language);
    }
    return std::nullopt;
}

std::vector<fleet::CardJob> Runner::jobs() const {
    std::vector<fleet::CardJob> out;
    const std::vector<fleet::CardTarget> cards = targets();
    for (std::size_t i = 0; i < cards.size(); ++i) {
        out.push_back(
            {cards[i], [this, i](protocol::PanelModel& panel) { return change(panel, i); }});
    }
    return out;
}

void Runner::runBatch() {
    // What would refuse every card is refused before anything is sent, the read included.
    protocol::PanelModel probe = family_.emptyPanel();
    if (auto refusal = change(probe, 0)) {
        *context_.err << Q(*refusal) << u'\n';
        finish(kExitRefused);
        return;
    }
    fleet::BatchWriter::Options options;
    options.parallel = command_.parallel;
    batch_ = std::make_unique<fleet::BatchWriter>(router(), *context_.scheduler, family_,
                                                  jobs(), options);
    if (context_.progress) {
        drawProgress();
    }
    batch_->start([this](std::size_t i) { cardFinished(i); }, [this] { batchDone(); });
}

void Runner::cardFinished(std::size_t index) {
    if (command_.format == Format::Json) {
        clearProgress();
        *context_.out << OutcomeJsonLine(targets()[index], batch_->outcomes()[index],
                                         context_.cardProfile, command_.language);
        context_.out->flush();
    }
    if (context_.progress && !batch_->done()) {
        drawProgress();
    }
}

void Runner::drawProgress() {
    context_.scheduler->cancel(progressTimer_);
    *context_.err << u'\r'
                  << ProgressLine(batch_->finishedCount(), targets().size(), batch_->writtenCount(),
                                  command_.language)
                  << "\x1b[K";
    context_.err->flush();
    progressShown_ = true;
    progressTimer_ = context_.scheduler->after(kProgressRedrawMs, [this] {
        progressTimer_ = 0;
        drawProgress();
    });
}

void Runner::clearProgress() {
    if (!progressShown_) {
        return;
    }
    context_.scheduler->cancel(progressTimer_);
    progressTimer_ = 0;
    *context_.err << "\r\x1b[K";
    context_.err->flush();
    progressShown_ = false;
}

void Runner::batchDone() {
    clearProgress();
    const auto& outcomes = batch_->outcomes();
    const lang::LanguageId language = command_.language;
    if (command_.format == Format::Table) {
        *context_.out << OutcomeTable(targets(), outcomes, context_.cardProfile, language)
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
        const QJsonObject timing{
            {u"command"_qs, command_.kind == CommandKind::Write ? u"write"_qs : u"apply"_qs},
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

// --- dry run --------------------------------------------------------------------------------

void Runner::runDryRun() {
    const fleet::Profile& base = *command_.base;
    const std::vector<fleet::CardTarget> cards = targets();
    const lang::LanguageId language = command_.language;
    bool refused = false;
    for (std::size_t i = 0; i < cards.size(); ++i) {
        const fleet::CardTarget& target = cards[i];
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
