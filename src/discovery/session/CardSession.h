#pragma once
// The search, selection, write and confirmation cycle of the main window, without the window:
// the window hands in its timers and a view of its widgets, and its handlers call these.

#include "discovery/Endpoint.h"
#include "discovery/HostResolution.h"
#include "lang/Catalogue.h"
#include "protocol/Addressing.h"
#include "protocol/Panel.h"
#include "protocol/ScanModeTable.h"
#include "protocol/SearchAnswer.h"
#include "protocol/WriteComposer.h"

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

class QTimer;
class QAbstractItemView;
class QWidget;

namespace lang {
class Catalogues;
}

namespace discovery {

class SearchDialog;

// What the session needs of the main window.
class SessionView {
public:
    virtual ~SessionView() = default;
    virtual QWidget* window() = 0;
    virtual void ClearParameterPanel() = 0;
    virtual protocol::PanelModel readPanel() const = 0;
    virtual void showPanel(const protocol::PanelModel& panel) = 0;
    // The main device list: rows of number, name, MAC and IP.
    struct DeviceRow {
        QString number, name, mac, ip;
    };
    virtual int deviceRowCount() const = 0;
    virtual DeviceRow deviceRow(int row) const = 0;
    virtual void setDeviceRowIp(int row, const QString& ip) = 0;
    virtual void clearDeviceList() = 0;
    // Appends in one go; a search can bring thousands of rows.
    virtual void appendDeviceRows(const QList<DeviceRow>& rows) = 0;
    virtual int selectedDeviceRow() const = 0; // -1 for none
    virtual void selectDeviceRow(int row) = 0;
    // Disables search, submit and refresh and shows the hourglass over the list, or undoes it.
    virtual void setWriteBusy(bool busy) = 0;
    virtual void ApplyColumnCaptions(QAbstractItemView* list) = 0;
    virtual const protocol::ScanModeTable& scanModes() const = 0;
    // The label of the row an editor stands in, for messages that name the field.
    virtual QString captionFor(protocol::Edit edit) const = 0;
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

    CardSession(Endpoint& endpoint, SessionView& view, SessionTimers timers,
                const lang::Catalogues& catalogues, QObject* parent = nullptr);
    ~CardSession() override;

    void setEndpoint(Endpoint& endpoint) { endpoint_ = &endpoint; }

    // Settings that shape the cycle.
    void setSearchTimes(int searchTimes) { searchTimes_ = searchTimes < 1 ? 1 : searchTimes; }
    void setProfile(const protocol::CardProfile& profile) { profile_ = profile; }
    const protocol::CardProfile& profile() const { return profile_; }

    // Seams for tests: how the search dialog and the search-by-IP question are run.
    std::function<void(SearchDialog&)> runSearchDialog;
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
    int sendCount() const { return sendCount_; }
    int confirmTries() const { return confirmTries_; }
    bool updateConfirmed() const { return updateConfirmed_; }
    WritePhase writePhase() const { return phase_; }
    SearchDialog* searchDialog() const { return searchDialog_; }

signals:
    // A datagram was decoded into the panel.
    void replyApplied(bool matched);
    // A write was sent, its read-back began, or the cycle ended.
    void writePhaseChanged(discovery::CardSession::WritePhase phase);

private:
    void setPhase(WritePhase phase);
    void sendReadReporting();
    void reportSendFailure();
    void reportRefusal(const protocol::WriteRefusal& refusal);
    void copyDialogRows(SearchDialog& dialog);
    QString text(lang::Lookup lookup, const char* key) const;

    Endpoint* endpoint_;
    SessionView& view_;
    SessionTimers timers_;
    const lang::Catalogues& catalogues_;

    QString searchAddress_;
    protocol::SelectedCard selected_;
    protocol::FoundCards found_;
    protocol::CardProfile profile_;
    int searchTimes_ = 20;
    int sendCount_ = 1;
    int confirmTries_ = 0;
    bool updateConfirmed_ = false;
    WritePhase phase_ = WritePhase::Idle;
    SearchDialog* searchDialog_ = nullptr;
};

} // namespace discovery
