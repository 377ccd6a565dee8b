#pragma once
// The search, selection, write and confirmation cycle of the main window, without the window:
// the window hands in its timers and a view of its widgets, and its handlers call these. The
// rules of the write cycle (the waits, where and how often to read back, what confirms) and of
// the search's repetition are the fleet engine's, shared with ledcardctl and the batch writer.

#include "discovery/Endpoint.h"
#include "fleet/CardFamily.h"
#include "fleet/Preflight.h"
#include "fleet/Records.h"
#include "fleet/Search.h"
#include "fleet/WriteCycle.h"
#include "lang/Catalogue.h"
#include "lang/Texts.h"
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
#include <unordered_map>
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
        RecordFailed,    // a backup or a journal line could not be written; names the file
    };
    virtual void report(Report what, const QString& text) = 0;
    // Asks the operator, with Yes and No and No the default; true for Yes.
    virtual bool confirm(const QString& text) = 0;
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
    // The subnets of the local address in use, for the checks before a write; none set, the
    // check that the card stays reachable is left out.
    std::function<std::vector<fleet::LocalSubnet>()> localSubnets;
    // Where the backups and the journal go; empty: fleet::DataFolder() at the time of a write.
    void setDataFolder(const QString& folder) { dataFolder_ = folder; }

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
    // The panel as last read from the card of this MAC ("00:1A:2B:3C:4D:5E"), outside a write
    // or by the reply that confirmed one: what a write to it backs up.
    const protocol::PanelModel* lastRead(const std::string& mac) const;

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
    QString commandText(lang::CommandText which) const;
    // The checks before the write of `panel` to the selected card; false when the operator
    // said No to what they found.
    bool checksAllowWrite(const protocol::PanelModel& panel, const protocol::PanelModel* read);
    fleet::PlannedCard plannedCard(const protocol::PanelModel& panel,
                                   const protocol::PanelModel* read) const;
    // Backs the card up and writes the journal's "sent"; false when the write must not go.
    bool recordWrite(const protocol::PanelModel& panel, const protocol::PanelModel* read);
    // The journal line of the write's outcome, once.
    void recordOutcome(const char* outcome);
    void reportRecordError();

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

    QString dataFolder_;
    std::unordered_map<std::string, protocol::PanelModel> lastRead_; // by MAC
    // The records of the write being confirmed, until its outcome is in the journal.
    struct WriteRecord {
        fleet::RunRecord record;
        protocol::PanelModel read; // as sent when the card was not read
        protocol::PanelModel sent;
        QString backup;        // empty without a read
        std::string writtenTo; // the card's IP when the write left
        bool wasRead = false;
        fleet::JournalEntry entry(const std::string& outcome) const;
    };
    std::optional<WriteRecord> writeRecord_;
    QString recordError_; // a journal line that could not be written, shown once it is safe
};

} // namespace session
