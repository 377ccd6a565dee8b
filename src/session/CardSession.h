#pragma once
// The search, selection, write and confirmation cycle of the main window, without the window:
// the window hands in its timers and a view of its widgets, and its handlers call these. The
// rules of the write cycle (the waits, where and how often to read back, what confirms) and of
// the search's repetition are the fleet engine's, shared with ledcardctl and the batch writer.

#include "discovery/Endpoint.h"
#include "fleet/CardFamily.h"
#include "fleet/Search.h"
#include "fleet/WriteCycle.h"
#include "lang/Catalogue.h"
#include "protocol/Addressing.h"
#include "protocol/Panel.h"
#include "protocol/ScanModeTable.h"
#include "protocol/SearchAnswer.h"
#include "protocol/WriteComposer.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTimer;
class QAbstractItemView;
class QWidget;

namespace discovery {
class SearchDialog;
}

namespace session {

// What the session needs of the main window.
class SessionView {
public:
    virtual ~SessionView() = default;
    virtual QWidget* window() = 0;
    virtual void ClearParameterPanel() = 0;
    virtual protocol::PanelModel readPanel() const = 0;
    virtual void showPanel(const protocol::PanelModel& panel) = 0;
    // The main device list: one found card per row, as the search listed it.
    using DeviceRow = protocol::DeviceEntry;
    virtual int deviceRowCount() const = 0;
    virtual DeviceRow deviceRow(int row) const = 0;
    virtual void setDeviceRowIp(int row, const QString& ip) = 0;
    virtual void clearDeviceList() = 0;
    // Appends in one go; a search can bring thousands of rows.
    virtual void appendDeviceRows(const std::vector<DeviceRow>& rows) = 0;
    virtual int selectedDeviceRow() const = 0; // -1 for none
    virtual void selectDeviceRow(int row) = 0;
    // Disables search, submit and refresh and shows the hourglass over the list, or undoes it.
    virtual void setWriteBusy(bool busy) = 0;
    virtual void ApplyColumnCaptions(QAbstractItemView* list) = 0;
    // The label of the row an editor stands in, for messages that name the field.
    virtual QString captionFor(protocol::Edit edit) const = 0;

    // What the operator must be told, with its text in the language in force.
    enum class Report {
        SendFailed,      // a request could not leave
        WriteRefused,    // the panel holds a value the card cannot take; nothing was sent
        UpdateConfirmed, // a read-back showed the values that were sent
        UpdateFailed,    // the last read-back came and went without them
    };
    virtual void report(Report what, const QString& text) = 0;
};

struct SessionTimers {
    QTimer* tSendSpan;
    QTimer* tDelay;
    QTimer* tMody;
};

class CardSession : public QObject {
    Q_OBJECT

public:
    enum class WritePhase { Idle, Sent, Confirming };

    CardSession(discovery::Endpoint& endpoint, SessionView& view, SessionTimers timers,
                const lang::Catalogues& catalogues, QObject* parent = nullptr);
    ~CardSession() override;

    void setEndpoint(discovery::Endpoint& endpoint) { endpoint_ = &endpoint; }

    // Settings that shape the cycle.
    void setSearchTimes(int searchTimes) { repetition_.setSearchTimes(searchTimes); }
    void setProfile(const protocol::CardProfile& profile);
    const protocol::CardProfile& profile() const { return family_->profile(); }
    const fleet::CardFamily& family() const { return *family_; }

    // Seams for tests: how the search dialog and the search-by-IP question are run.
    std::function<void(discovery::SearchDialog&)> runSearchDialog;
    std::function<QString()> askSearchAddress;

    // What the window's handlers ask for.
    void searchAllCards();
    void searchAtAddress();
    void startSearch();
    void searchSendTick();
    void noteSelectedCard();
    void readSelectedCard();
    // The first row of a finished search is chosen and read, as a double click on it would.
    void readFirstFoundCard();
    void refreshCard();
    void submitPanel();
    void delayElapsed();
    void confirmationTick();
    void receiveDatagram(const QByteArray& datagram);

    // State, readable for the window and the tests.
    const QString& searchAddress() const { return searchAddress_; }
    const protocol::SelectedCard& selectedCard() const { return selected_; }
    const protocol::FoundCards& foundCards() const { return found_; }
    int sendCount() const { return repetition_.sendCount(); }
    int confirmTries() const { return cycle_ ? cycle_->confirmTries() : 0; }
    bool updateConfirmed() const { return updateConfirmed_; }
    WritePhase writePhase() const { return phase_; }
    // The write being confirmed, or the last one; nothing before the first write.
    const fleet::WriteCycle* writeCycle() const { return cycle_ ? &*cycle_ : nullptr; }
    discovery::SearchDialog* searchDialog() const { return searchDialog_; }

signals:
    // A datagram was decoded into the panel; `matched` when it confirmed the write.
    void replyApplied(bool matched);
    // A write was sent, its read-back began, or the cycle ended.
    void writePhaseChanged(session::CardSession::WritePhase phase);

private:
    void setPhase(WritePhase phase);
    void sendReadReporting(const protocol::SelectedCard& card);
    void reportSendFailure();
    void reportRefusal(const protocol::WriteRefusal& refusal);
    QString text(lang::Lookup lookup, const char* key) const;

    discovery::Endpoint* endpoint_;
    SessionView& view_;
    SessionTimers timers_;
    const lang::Catalogues& catalogues_;

    QString searchAddress_;
    protocol::SelectedCard selected_;
    protocol::FoundCards found_;
    std::shared_ptr<const fleet::CardFamily> family_;
    fleet::SearchRepetition repetition_;
    std::shared_ptr<const fleet::CardFamily> cycleFamily_;
    std::optional<fleet::WriteCycle> cycle_; // after cycleFamily_, which it refers to
    bool updateConfirmed_ = false;
    WritePhase phase_ = WritePhase::Idle;
    discovery::SearchDialog* searchDialog_ = nullptr;
};

} // namespace session
