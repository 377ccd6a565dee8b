#include "session/CardSession.h"

#include "discovery/Dispatch.h"
#include "discovery/QtBytes.h"
#include "discovery/Requests.h"
#include "discovery/dialogs/SearchDialog.h"
#include "fleet/CardTarget.h"
#include "fleet/DataFolder.h"
#include "lang/Catalogue.h"
#include "lang/ExtraTexts.h"
#include "lang/QtText.h"
#include "protocol/CardText.h"
#include "protocol/Encoding.h"

#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <utility>

namespace session {

namespace {

// Not from the catalogue: the card's limit is fixed, whatever the language.
const char* const kDomainTooLong = "服务器的域名长度不能超过64！";

// The journal names the program that wrote.
const char* const kProgram = "ledcardcfg";

// "" for a MAC that is not known (all zero).
std::string MacOf(const protocol::SelectedCard& card) {
    const bool known = std::any_of(card.mac.begin(), card.mac.end(), [](auto b) { return b != 0; });
    return known ? protocol::MacText(card.mac.data()) : std::string();
}

} // namespace

CardSession::CardSession(discovery::Endpoint& endpoint, SessionView& view, SessionTimers timers,
                         const lang::Catalogues& catalogues, QObject* parent)
    : QObject(parent), endpoint_(&endpoint), view_(view), timers_(timers), catalogues_(catalogues),
      family_(std::make_shared<const fleet::CardFamily>()) {
    runSearchDialog = [](discovery::SearchDialog& dialog) { dialog.exec(); };
}

CardSession::~CardSession() {
    // A window closed during the wait or the read-backs: the journal says the write was not
    // seen through.
    recordOutcome("cancelled");
}

void CardSession::setProfile(const protocol::CardProfile& profile) {
    // A write being confirmed keeps the family it was composed with (cycleFamily_).
    family_ = std::make_shared<const fleet::CardFamily>(profile);
}

QString CardSession::text(lang::Lookup lookup, const char* key) const {
    return lang::QtText(catalogues_, lookup, key);
}

QString CardSession::commandText(lang::CommandText which) const {
    return lang::QtText(catalogues_.currentId(), which);
}

const protocol::PanelModel* CardSession::lastRead(const std::string& mac) const {
    const auto found = lastRead_.find(mac);
    return found == lastRead_.end() ? nullptr : &found->second;
}

void CardSession::setPhase(WritePhase phase) {
    if (phase_ != phase) {
        phase_ = phase;
        emit writePhaseChanged(phase);
    }
}

void CardSession::searchAllCards() {
    searchAddress_.clear();
    startSearch();
}

void CardSession::searchAtAddress() {
    searchAddress_.clear();
    if (askSearchAddress) {
        searchAddress_ = askSearchAddress();
    }
    startSearch();
}

void CardSession::startSearch() {
    found_.clear();
    view_.clearDeviceList();
    timers_.tSendSpan->start();
    view_.ClearParameterPanel();

    auto dialog = std::make_unique<discovery::SearchDialog>(
        repetition_.searchTimes(),
        [this](lang::Lookup lookup, const char* key) { return text(lookup, key); }, view_.window());
    searchDialog_ = dialog.get();
    view_.ApplyColumnCaptions(dialog->listView());
    // The dialog's rows are the found cards in the order they came; the main list gets the
    // same values, never the cells' texts.
    dialog->onFormClose = [this](discovery::SearchDialog&) {
        timers_.tSendSpan->stop();
        view_.appendDeviceRows(found_.entries());
    };
    runSearchDialog(*dialog);
    // Whatever way the dialog ended, its rows must reach the main list exactly once.
    dialog->close();
    searchDialog_ = nullptr;
    dialog.reset();

    readFirstFoundCard();
}

void CardSession::readFirstFoundCard() {
    if (view_.deviceRowCount() > 0) {
        view_.selectDeviceRow(0);
        readSelectedCard();
    }
}

void CardSession::searchSendTick() {
    if (repetition_.countRequest()) {
        timers_.tSendSpan->stop();
    }
    const discovery::SendResult result = discovery::sendSearch(*endpoint_, searchAddress_);
    if (!result) {
        timers_.tSendSpan->stop();
        view_.report(SessionView::Report::SendFailed,
                     text(lang::Lookup::Messages, "item_search_device_failed"));
        if (searchDialog_) {
            searchDialog_->close();
        }
    }
}

void CardSession::sendReadReporting(const protocol::SelectedCard& card) {
    if (!discovery::sendRead(*endpoint_, searchAddress_, card)) {
        reportSendFailure();
    }
}

void CardSession::reportSendFailure() {
    if (timers_.tSendSpan->isActive()) {
        timers_.tSendSpan->stop();
    }
    view_.report(SessionView::Report::SendFailed,
                 text(lang::Lookup::Messages, "item_search_device_failed"));
}

void CardSession::noteSelectedCard() {
    const int row = view_.selectedDeviceRow();
    if (row >= 0) {
        selected_.ip = view_.deviceRow(row).ip;
    }
}

void CardSession::readSelectedCard() {
    const int row = view_.selectedDeviceRow();
    if (row < 0) {
        return;
    }
    const SessionView::DeviceRow chosen = view_.deviceRow(row);
    protocol::chooseCard(selected_, chosen.ip, chosen.mac, found_);
    view_.ClearParameterPanel();
    sendReadReporting(selected_);
}

void CardSession::refreshCard() {
    view_.ClearParameterPanel();
    updateConfirmed_ = false;
    sendReadReporting(selected_);
}

void CardSession::submitPanel() {
    const protocol::PanelModel panel = view_.readPanel();
    const protocol::WriteResult result = family_->compose(panel, selected_);
    if (const auto* refusal = std::get_if<protocol::WriteRefusal>(&result)) {
        reportRefusal(*refusal);
        return;
    }
    const auto& message = std::get<protocol::WriteMessage>(result);
    const protocol::PanelModel* read = lastRead(MacOf(selected_));
    if (!checksAllowWrite(panel, read) || !recordWrite(panel, read)) {
        return;
    }
    updateConfirmed_ = false;
    // A new write ends the confirmation of the one before: its tries would otherwise run out
    // before this write's wait is over and report this write as failed.
    timers_.tMody->stop();
    cycle_.reset();
    if (!discovery::sendWrite(*endpoint_, searchAddress_, selected_, message.bytes)) {
        reportSendFailure();
        recordOutcome("no answer");
        setPhase(WritePhase::Idle);
        reportRecordError();
        return;
    }
    cycleFamily_ = family_;
    cycle_.emplace(*cycleFamily_, panel, selected_, message.hasDomain);
    timers_.tDelay->setInterval(cycle_->delayMs());
    timers_.tDelay->start();
    view_.setWriteBusy(true);
    setPhase(WritePhase::Sent);
    // Only now, so the wait has begun when the operator reads it.
    reportRecordError();
}

void CardSession::reportRecordError() {
    if (!recordError_.isEmpty()) {
        view_.report(SessionView::Report::RecordFailed, std::exchange(recordError_, QString()));
    }
}

fleet::PlannedCard CardSession::plannedCard(const protocol::PanelModel& panel,
                                            const protocol::PanelModel* read) const {
    // The new values and the firmware from the panels, as every program plans a card; the card
    // itself is the one selected, where the write goes.
    fleet::PlannedCard card = fleet::PlannedCardOf(read ? *read : panel, panel, family_->profile());
    card.mac = MacOf(selected_);
    card.ip = selected_.ip;
    if (card.version < 0 && selected_.byMac) {
        card.version = protocol::MacAddressingThreshold;
    }
    // The name and firmware the search gave: the row of this card at this address first.
    int best = -1;
    for (int i = 0; i < view_.deviceRowCount() && !card.mac.empty(); ++i) {
        const SessionView::DeviceRow row = view_.deviceRow(i);
        if (row.mac == card.mac && (best < 0 || row.ip == card.ip)) {
            best = i;
            if (row.ip == card.ip) {
                break;
            }
        }
    }
    if (best >= 0) {
        const SessionView::DeviceRow row = view_.deviceRow(best);
        card.name = row.name;
        if (row.version > 0) {
            card.version = row.version;
        }
    }
    return card;
}

bool CardSession::checksAllowWrite(const protocol::PanelModel& panel,
                                   const protocol::PanelModel* read) {
    const std::vector<fleet::PlannedCard> run{plannedCard(panel, read)};
    std::vector<protocol::DeviceEntry> found;
    found.reserve(std::size_t(std::max(0, view_.deviceRowCount())));
    for (int i = 0; i < view_.deviceRowCount(); ++i) {
        found.push_back(view_.deviceRow(i));
    }
    const std::vector<fleet::Finding> findings = fleet::CheckWrites(
        run, found, localSubnets ? localSubnets() : std::vector<fleet::LocalSubnet>{});
    QStringList lines;
    if (!findings.empty()) {
        lines << commandText(lang::CommandText::ChecksFound);
        for (const fleet::Finding& finding : findings) {
            lines << QString::fromStdString(
                fleet::FindingMessage(finding, run[finding.card], catalogues_.currentId()));
        }
    }
    if (!read) {
        lines << commandText(lang::CommandText::NoReadToBackUp);
    }
    if (lines.isEmpty()) {
        return true;
    }
    return view_.confirm(lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n") +
                         commandText(lang::CommandText::WriteAnyway));
}

fleet::JournalEntry CardSession::WriteRecord::entry(const std::string& outcome) const {
    fleet::JournalEntry line = record.entryFor(read, sent, outcome, backup);
    if (!wasRead) {
        // Nothing read to compare with: where it was written is all that is known of before.
        line.ipBefore = writtenTo;
        line.changes.clear();
    }
    return line;
}

bool CardSession::recordWrite(const protocol::PanelModel& panel, const protocol::PanelModel* read) {
    WriteRecord next{fleet::RunRecord(dataFolder_.isEmpty() ? fleet::DataFolder() : dataFolder_,
                                      kProgram, family_->profile(), catalogues_.currentId()),
                     read ? *read : panel,
                     panel,
                     QString(),
                     selected_.ip,
                     read != nullptr};
    if (read) {
        QString error;
        const std::optional<QString> saved = next.record.backUp(*read, &error);
        if (!saved) {
            view_.report(SessionView::Report::RecordFailed,
                         error + QLatin1Char('\n') + commandText(lang::CommandText::WriteNotSent));
            return false;
        }
        next.backup = *saved;
    }
    // The write before, if still being confirmed, ends here; its line goes first.
    recordOutcome("cancelled");
    writeRecord_.emplace(std::move(next));
    if (const std::optional<QString> error =
            writeRecord_->record.append(writeRecord_->entry("sent"))) {
        recordError_ = *error;
    }
    return true;
}

void CardSession::recordOutcome(const char* outcome) {
    if (!writeRecord_) {
        return;
    }
    const std::optional<QString> error = writeRecord_->record.append(writeRecord_->entry(outcome));
    writeRecord_.reset();
    if (error) {
        view_.report(SessionView::Report::RecordFailed, *error);
    }
}

void CardSession::reportRefusal(const protocol::WriteRefusal& refusal) {
    using Reason = protocol::WriteRefusal::Reason;
    const lang::LanguageId language = catalogues_.currentId();
    const bool isEdit = refusal.component.kind == protocol::PanelComponent::Kind::Edit;
    const std::string caption =
        isEdit ? view_.captionFor(refusal.component.edit()).toStdString() : std::string();
    QString message;
    switch (refusal.reason) {
    case Reason::EmptyField:
    case Reason::DnsFieldEmpty:
        message = text(lang::Lookup::Messages, "item_information_empty");
        break;
    case Reason::NotANumber:
        message = QString::fromStdString(lang::NotNumberMessage(language, caption, refusal.text));
        break;
    case Reason::OutOfRange:
        message =
            QString::fromStdString(lang::RangeMessage(language, caption, 0, refusal.maxValue));
        break;
    case Reason::DomainTooLong:
        message = QString::fromUtf8(kDomainTooLong);
        break;
    }
    view_.report(SessionView::Report::WriteRefused, message);
}

void CardSession::delayElapsed() {
    timers_.tDelay->stop();
    view_.setWriteBusy(false);
    if (!cycle_) {
        return;
    }
    const protocol::SelectedCard written = cycle_->card();
    cycle_->delayOver();
    // The list row that held the card's address, the first one, takes the address written.
    const QString newIp = QString::fromStdString(cycle_->newIp());
    for (int i = 0; i < view_.deviceRowCount(); ++i) {
        if (view_.deviceRow(i).ip == written.ip) {
            view_.setDeviceRowIp(i, newIp);
            break;
        }
    }
    // The card is there now, whether or not the list still shows it; a card chosen meanwhile
    // keeps its own address.
    if (selected_.ip == written.ip && selected_.mac == written.mac) {
        selected_.ip = cycle_->newIp();
    }
    sendReadReporting(cycle_->card());
    timers_.tMody->start();
    setPhase(WritePhase::Confirming);
}

void CardSession::confirmationTick() {
    if (!cycle_) {
        timers_.tMody->stop();
        return;
    }
    if (cycle_->recheck()) {
        sendReadReporting(cycle_->card());
    } else {
        timers_.tMody->stop();
        setPhase(WritePhase::Idle);
        if (!updateConfirmed_) {
            recordOutcome("not confirmed");
            view_.report(SessionView::Report::UpdateFailed,
                         text(lang::Lookup::Messages, "item_update_failed"));
        }
    }
    if (updateConfirmed_) {
        timers_.tMody->stop();
        setPhase(WritePhase::Idle);
    }
}

void CardSession::receiveDatagram(const QByteArray& datagram) {
    if (discovery::classifyDatagram(datagram) == discovery::DatagramKind::SearchAnswer) {
        // An answer outside a search has no list to go to.
        if (!searchDialog_) {
            return;
        }
        const protocol::ByteView bytes = discovery::toByteView(datagram);
        if (auto entry = found_.add(protocol::DecodeSearchAnswer(bytes))) {
            searchDialog_->addRow(*entry);
        }
        return;
    }
    protocol::PanelModel panel = view_.readPanel();
    family_->apply(panel, datagram);
    view_.showPanel(panel);
    // Only the written card's own reply can confirm, and only by the values that were sent:
    // never by what the panel shows, which a reply of the card's old values has overwritten.
    const fleet::ReplyIdentity sender = fleet::IdentifyReply(datagram);
    bool matched = false;
    if (cycle_ && !cycle_->confirmed() && phase_ != WritePhase::Idle && cycle_->belongsTo(sender)) {
        matched = cycle_->confirms(datagram);
    }
    // What a later write backs up: the card as read, not a reply that may predate a write
    // still unconfirmed.
    if (!sender.mac.empty() && (phase_ == WritePhase::Idle || matched)) {
        lastRead_.insert_or_assign(sender.mac, panel);
    }
    emit replyApplied(matched);
    if (!matched) {
        return;
    }
    timers_.tMody->stop();
    updateConfirmed_ = true;
    recordOutcome("confirmed");
    if (phase_ == WritePhase::Confirming) {
        setPhase(WritePhase::Idle);
    }
    view_.report(SessionView::Report::UpdateConfirmed,
                 text(lang::Lookup::Messages, "item_update_success"));
}

} // namespace session
