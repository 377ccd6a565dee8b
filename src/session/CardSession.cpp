#include "session/CardSession.h"

#include "discovery/Dispatch.h"
#include "discovery/QtBytes.h"
#include "discovery/Requests.h"
#include "discovery/dialogs/SearchDialog.h"
#include "fleet/CardTarget.h"
#include "lang/Catalogue.h"
#include "lang/ExtraTexts.h"
#include "lang/QtText.h"
#include "protocol/CardText.h"

#include <QTimer>
#include <memory>

namespace session {

namespace {

// Not from the catalogue: the card's limit is fixed, whatever the language.
const char* const kDomainTooLong = "服务器的域名长度不能超过64！";

} // namespace

CardSession::CardSession(discovery::Endpoint& endpoint, SessionView& view, SessionTimers timers,
                         const lang::Catalogues& catalogues, QObject* parent)
    : QObject(parent), endpoint_(&endpoint), view_(view), timers_(timers), catalogues_(catalogues),
      family_(std::make_shared<const fleet::CardFamily>()) {
    runSearchDialog = [](discovery::SearchDialog& dialog) { dialog.exec(); };
}

CardSession::~CardSession() = default;

void CardSession::setProfile(const protocol::CardProfile& profile) {
    // A write being confirmed keeps the family it was composed with (cycleFamily_).
    family_ = std::make_shared<const fleet::CardFamily>(profile);
}

QString CardSession::text(lang::Lookup lookup, const char* key) const {
    return lang::QtText(catalogues_, lookup, key);
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
    updateConfirmed_ = false;
    // A new write ends the confirmation of the one before: its tries would otherwise run out
    // before this write's wait is over and report this write as failed.
    timers_.tMody->stop();
    cycle_.reset();
    if (!discovery::sendWrite(*endpoint_, searchAddress_, selected_, message.bytes)) {
        reportSendFailure();
        setPhase(WritePhase::Idle);
        return;
    }
    cycleFamily_ = family_;
    cycle_.emplace(*cycleFamily_, panel, selected_, message.hasDomain);
    timers_.tDelay->setInterval(cycle_->delayMs());
    timers_.tDelay->start();
    view_.setWriteBusy(true);
    setPhase(WritePhase::Sent);
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
    bool matched = false;
    if (cycle_ && !cycle_->confirmed() && phase_ != WritePhase::Idle &&
        cycle_->belongsTo(fleet::IdentifyReply(datagram))) {
        matched = cycle_->confirms(datagram);
    }
    emit replyApplied(matched);
    if (!matched) {
        return;
    }
    timers_.tMody->stop();
    updateConfirmed_ = true;
    if (phase_ == WritePhase::Confirming) {
        setPhase(WritePhase::Idle);
    }
    view_.report(SessionView::Report::UpdateConfirmed,
                 text(lang::Lookup::Messages, "item_update_success"));
}

} // namespace session
