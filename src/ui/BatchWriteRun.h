#pragma once
// Writing several cards from the window: the panel's parameters to every chosen card over the
// batch engine of ledcardctl, each card's state reported as it changes. Runs on the window's
// timers and router, so the window keeps drawing while the cards are written.

#include "fleet/CsvTable.h"
#include "fleet/DatagramRouter.h"
#include "lang/Catalogue.h"
#include "protocol/Panel.h"
#include "protocol/SearchAnswer.h"

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace fleet {
class BatchWriter;
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
        Refused,      // the parameters do not suit this card; nothing was sent
        NotWritten,   // cancelled before it was written
    };

    // One card of the device list, as the search found it.
    using Card = protocol::DeviceEntry;

    struct Plan {
        std::vector<Card> cards;     // the ticked ones, in list order
        protocol::PanelModel source; // the panel as shown
        protocol::CardProfile profile;
        // Card k gets this address plus k, the mask and gateway of the panel; without it every
        // card keeps its own addresses.
        std::optional<std::array<std::uint8_t, 4>> firstIp;
    };

    struct CardState {
        Card card;
        State state = State::Waiting;
        QString newIp;  // the address the card has after a confirmed write
        QString detail; // why a card was refused, in the operator's language
    };

    BatchWriteRun(fleet::DatagramRouter& router, fleet::Scheduler& scheduler,
                  lang::LanguageId language, QObject* parent = nullptr);
    ~BatchWriteRun() override;

    // Why the plan cannot run, or nothing once it has started.
    std::optional<QString> start(Plan plan);
    // Sends nothing more; written cards are not read back. `finished` follows.
    void cancel();

    const std::vector<CardState>& cards() const { return cards_; }
    bool running() const { return running_; }
    bool wasCancelled() const { return cancelled_; }
    int finishedCount() const { return finished_; }
    int count(State state) const;
    QString summary() const;
    QString stateText(State state) const;
    // The table as shown: number, name, MAC, IP, new IP and state.
    fleet::CsvTable results(const QStringList& header) const;

signals:
    void cardChanged(int index);
    void finished();

private:
    void setState(std::size_t i, State state);
    void cardFinishedAs(std::size_t i, State state);
    void cardFinished(std::size_t i, std::size_t job);
    void allFinished();

    fleet::DatagramRouter& router_;
    fleet::Scheduler& scheduler_;
    lang::LanguageId language_;
    std::unique_ptr<fleet::CardFamily> family_;
    std::unique_ptr<fleet::BatchWriter> writer_;
    std::vector<CardState> cards_;
    std::vector<QString> plannedIps_;
    bool running_ = false;
    bool cancelled_ = false;
    int finished_ = 0;
};

} // namespace ui
