#pragma once
// Writing several cards from the window: the panel's parameters to every chosen card, or each
// card's backup back to it, over the batch engine of ledcardctl, each card's state reported as
// it changes. The checks run before anything is sent; every card is backed up before its write
// and every write goes into the journal. Runs on the window's timers and router, so the window
// keeps drawing while the cards are written.

#include "fleet/CsvTable.h"
#include "fleet/DatagramRouter.h"
#include "fleet/Preflight.h"
#include "fleet/Profile.h"
#include "fleet/Records.h"
#include "lang/Catalogue.h"
#include "protocol/Panel.h"
#include "protocol/SearchAnswer.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace fleet {
class BatchWriter;
struct CardOutcome;
class CardFamily;
class Scheduler;
} // namespace fleet

namespace ui {

class BatchWriteRun : public QObject {
    Q_OBJECT

public:
    enum class State : std::uint8_t {
        Waiting,      // queued or being read
        Sent,         // written, waiting for the read-back
        Confirmed,    // a read-back matched what was sent
        NotConfirmed, // written, but no read-back matched, or cancelled before one did
        NoAnswer,     // never answered its read, or the request could not leave
        Refused,      // the parameters do not suit this card, or its backup failed; not sent
        NotWritten,   // cancelled before it was written
    };

    // One card of the device list, as the search found it.
    using Card = protocol::DeviceEntry;

    struct Plan {
        std::vector<Card> cards;     // the ticked ones, in list order
        protocol::PanelModel source; // the panel as shown; a restore does not use it
        protocol::CardProfile profile;
        // Card k gets this address plus k, the mask and gateway of the panel; without it every
        // card keeps its own addresses.
        std::optional<std::array<std::uint8_t, 4>> firstIp;
        // A restore: card k gets backups[k] back, its network values included, in place of
        // the panel. Empty for a write of the panel.
        std::vector<std::shared_ptr<const fleet::Profile>> backups;
        // What the checks hold the new addresses against: the device list's cards and the
        // subnets of the local address (none: reachability is not checked).
        std::vector<Card> found;
        std::vector<fleet::LocalSubnet> local;
        QString dataFolder; // where the backups and the journal go; empty: fleet::DataFolder()
    };

    struct CardState {
        Card card;
        State state = State::Waiting;
        // The address the run gives the card: planned until its write has left, then the
        // address sent; nothing for a card that was not written.
        QString newIp;
        QString detail; // why a card was refused, in the operator's language
        QString tip;    // what changes on the card: planned, then as read
        QString backup; // the file its backup went to
    };

    BatchWriteRun(fleet::DatagramRouter& router, fleet::Scheduler& scheduler,
                  lang::LanguageId language, QObject* parent = nullptr);
    ~BatchWriteRun() override;

    // Asked, with the findings, when the checks find only what the operator may allow (a card
    // by MAC leaving the local subnet); true goes on. Empty: the run does not start.
    std::function<bool(const QString&)> askToGoOn;

    // Why the plan cannot run (empty: the operator said No), or nothing once it has started.
    std::optional<QString> start(Plan plan);
    // Sends nothing more; written cards are not read back. `finished` follows.
    void cancel();

    const std::vector<CardState>& cards() const { return cards_; }
    // After a start the checks refused: the findings that concern each card of the plan.
    const std::vector<QStringList>& findingsByCard() const { return findingsByCard_; }
    // The backups and journal lines the run could not write, one message each.
    const QStringList& recordProblems() const { return recordProblems_; }
    bool running() const { return running_; }
    bool wasCancelled() const { return cancelled_; }
    int finishedCount() const { return finished_; }
    int count(State state) const;
    QString summary() const;
    QString stateText(State state) const;
    // The table as shown: number, name, MAC, IP, new IP and state.
    fleet::CsvTable results(const QStringList& header) const;

    // A row's tooltip before its card is read: what is written (the panel, or the backup
    // `file`) and the network values it gets; no `ip`: it keeps its addresses.
    static QString PlanTip(lang::LanguageId language, const QString& file, const QString& ip,
                           const QString& mask, const QString& gateway);
    // The network values a backup holds, as dotted quads: IP, mask, gateway.
    static std::array<QString, 3> SavedAddresses(const fleet::Profile& backup);

signals:
    void cardChanged(int index);
    void finished();

private:
    // The checks over the plan's addresses; a message when they refuse, an empty one when the
    // operator said No.
    std::optional<QString> check(const Plan& plan);
    std::optional<std::string> beforeSend(std::size_t i, const fleet::CardOutcome& out);
    void recordOutcome(std::size_t i, const fleet::CardOutcome& out);
    void setState(std::size_t i, State state);
    void cardFinishedAs(std::size_t i, State state);
    void cardFinished(std::size_t i, std::size_t job);
    void allFinished();

    fleet::DatagramRouter& router_;
    fleet::Scheduler& scheduler_;
    lang::LanguageId language_;
    std::unique_ptr<fleet::CardFamily> family_;
    std::unique_ptr<fleet::BatchWriter> writer_;
    std::unique_ptr<fleet::RunRecord> record_;
    protocol::CardProfile profile_;
    std::vector<CardState> cards_;
    std::vector<bool> journalled_; // a "sent" line waits for its outcome
    std::vector<QStringList> findingsByCard_;
    QStringList recordProblems_;
    bool running_ = false;
    bool cancelled_ = false;
    int finished_ = 0;
};

} // namespace ui
