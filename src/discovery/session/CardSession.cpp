#include "discovery/session/CardSession.h"

#include "discovery/Dispatch.h"
#include "discovery/HostResolution.h"
#include "discovery/Requests.h"
#include "discovery/dialogs/SearchDialog.h"
#include "lang/Catalogue.h"
#include "lang/ExtraTexts.h"
#include "lang/QtText.h"
#include "platform/MessageBox.h"
#include "protocol/CardText.h"
#include "protocol/Encoding.h"
#include "protocol/Reply.h"

#include <QTimer>
#include <QTreeWidget>
#include <memory>

namespace discovery {

namespace {

constexpr int kDelayMs = 5000;
constexpr int kDelayWithDomainMs = 10000;
constexpr int kMaxConfirmTries = 2;

// Not from the catalogue: the card's limit is fixed, whatever the language.
const char* const kDomainTooLong = "服务器的域名长度不能超过64！";

} // namespace

CardSession::CardSession(Endpoint& endpoint, SessionView& view, SessionTimers timers,
                         const lang::Catalogues& catalogues, QObject* parent)
    : QObject(parent), endpoint_(&endpoint), view_(view), timers_(timers), catalogues_(catalogues) {
    runSearchDialog = [](SearchDialog& dialog) { dialog.exec(); };
}

CardSession::~CardSession() = default;

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

    auto dialog = std::make_unique<SearchDialog>(
        searchTimes_, [this](lang::Lookup lookup, const char* key) { return text(lookup, key); },
        view_.window());
    searchDialog_ = dialog.get();
    view_.ApplyColumnCaptions(dialog->list());
    dialog->onFormClose = [this](SearchDialog& d) { copyDialogRows(d); };
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

void CardSession::copyDialogRows(SearchDialog& dialog) {
    timers_.tSendSpan->stop();
    QTreeWidget* from = dialog.list();
    QList<SessionView::DeviceRow> rows;
    rows.reserve(from->topLevelItemCount());
    for (int i = 0; i < from->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = from->topLevelItem(i);
        rows.append({item->text(0), item->text(1), item->text(2), item->text(3)});
    }
    view_.appendDeviceRows(rows);
}

void CardSession::searchSendTick() {
    if (sendCount_ < searchTimes_) {
        ++sendCount_;
    } else {
        sendCount_ = 1;
        timers_.tSendSpan->stop();
    }
    const SendResult result = sendSearch(*endpoint_, searchAddress_);
    if (!result) {
        timers_.tSendSpan->stop();
        platform::error(view_.window(), text(lang::Lookup::Messages, "item_search_device_failed"));
        if (searchDialog_) {
            searchDialog_->close();
        }
    }
}

void CardSession::sendReadReporting() {
    if (!sendRead(*endpoint_, searchAddress_, selected_)) {
        reportSendFailure();
    }
}

void CardSession::reportSendFailure() {
    if (timers_.tSendSpan->isActive()) {
        timers_.tSendSpan->stop();
    }
    platform::error(view_.window(), text(lang::Lookup::Messages, "item_search_device_failed"));
}

void CardSession::noteSelectedCard() {
    const int row = view_.selectedDeviceRow();
    if (row >= 0) {
        selected_.ip = view_.deviceRow(row).ip.toStdString();
    }
}

void CardSession::readSelectedCard() {
    const int row = view_.selectedDeviceRow();
    if (row < 0) {
        return;
    }
    const SessionView::DeviceRow chosen = view_.deviceRow(row);
    protocol::chooseCard(selected_, chosen.ip.toStdString(), chosen.mac.toStdString(), found_);
    view_.ClearParameterPanel();
    sendReadReporting();
}

void CardSession::refreshCard() {
    view_.ClearParameterPanel();
    updateConfirmed_ = false;
    sendReadReporting();
}

void CardSession::submitPanel() {
    protocol::PanelModel panel = view_.readPanel();
    if (panel.serverByDomain) {
        std::string& domain = panel[protocol::Edit::Domain];
        domain = DomainOnTheWire(protocol::TrimControl(domain));
    }
    const protocol::WriteResult result =
        protocol::composeWrite(panel, selected_, view_.scanModes(), profile_);
    if (const auto* refusal = std::get_if<protocol::WriteRefusal>(&result)) {
        reportRefusal(*refusal);
        return;
    }
    const auto& message = std::get<protocol::WriteMessage>(result);
    updateConfirmed_ = false;
    confirmTries_ = 0;
    if (!sendWrite(*endpoint_, searchAddress_, selected_, message.bytes)) {
        reportSendFailure();
        return;
    }
    timers_.tDelay->setInterval(message.hasDomain ? kDelayWithDomainMs : kDelayMs);
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
    platform::error(view_.window(), message);
}

void CardSession::delayElapsed() {
    timers_.tDelay->stop();
    view_.setWriteBusy(false);
    const protocol::PanelModel panel = view_.readPanel();
    const auto octet = [&panel](protocol::Edit e) { return QString::fromStdString(panel[e]); };
    const QString typedIp = joinOctets(octet(protocol::Edit::IP1), octet(protocol::Edit::IP2),
                                       octet(protocol::Edit::IP3), octet(protocol::Edit::IP4));
    const QString oldIp = QString::fromStdString(selected_.ip);
    for (int i = 0; i < view_.deviceRowCount(); ++i) {
        if (view_.deviceRow(i).ip == oldIp) {
            selected_.ip = typedIp.toStdString();
            view_.setDeviceRowIp(i, typedIp);
            break;
        }
    }
    sendReadReporting();
    timers_.tMody->start();
    setPhase(WritePhase::Confirming);
}

void CardSession::confirmationTick() {
    if (confirmTries_ < kMaxConfirmTries) {
        ++confirmTries_;
        sendReadReporting();
    } else {
        confirmTries_ = 0;
        timers_.tMody->stop();
        setPhase(WritePhase::Idle);
        if (!updateConfirmed_) {
            platform::error(view_.window(), text(lang::Lookup::Messages, "item_update_failed"));
        }
    }
    if (updateConfirmed_) {
        confirmTries_ = 0;
        timers_.tMody->stop();
    }
}

void CardSession::receiveDatagram(const QByteArray& datagram) {
    const protocol::ByteView bytes(reinterpret_cast<const std::uint8_t*>(datagram.constData()),
                                   static_cast<std::size_t>(datagram.size()));
    if (classifyDatagram(datagram) == DatagramKind::SearchAnswer) {
        // An answer outside a search has no list to go to.
        if (!searchDialog_) {
            return;
        }
        if (auto entry = found_.add(protocol::DecodeSearchAnswer(bytes))) {
            searchDialog_->addRow(*entry);
        }
        return;
    }
    protocol::PanelModel panel = view_.readPanel();
    const protocol::ReplyOutcome outcome =
        protocol::applyParameterReply(panel, bytes, view_.scanModes(), profile_, DomainOnTheWire);
    view_.showPanel(panel);
    emit replyApplied(outcome.matched);
    if (outcome.matched) {
        timers_.tMody->stop();
        updateConfirmed_ = true;
        if (phase_ == WritePhase::Confirming) {
            setPhase(WritePhase::Idle);
        }
        platform::inform(view_.window(), text(lang::Lookup::Messages, "item_update_success"));
    } else {
        updateConfirmed_ = false;
    }
}

} // namespace discovery
