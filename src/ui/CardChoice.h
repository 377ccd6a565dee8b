#pragma once
// Which cards of the several-cards dialog are ticked, shown and in what order: the rules for
// choosing a wall of hundreds of cards in a few keystrokes, without the widgets, so the dialog
// only mirrors them and the tests drive them directly.

#include "protocol/SearchAnswer.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace ui {

class CardChoice {
public:
    enum class Column : std::uint8_t { Number, Name, Mac, Ip, NewIp, State };

    explicit CardChoice(std::vector<protocol::DeviceEntry> cards);

    std::size_t size() const { return cards_.size(); }
    const protocol::DeviceEntry& card(std::size_t card) const { return cards_[card]; }

    bool ticked(std::size_t card) const { return ticked_[card]; }
    // A card with nothing to write to (a backup whose card was not found) is never ticked.
    void setTickable(std::size_t card, bool tickable);
    bool tickable(std::size_t card) const { return tickable_[card]; }
    void setTicked(std::size_t card, bool ticked);
    std::size_t tickedCount() const;
    // Ticked cards the filter hides; their ticks are kept.
    std::size_t hiddenTickedCount() const;

    // Select all, select none and invert work on the shown cards only, so a filter followed by
    // Ctrl+A ticks exactly what the operator sees.
    void tickShown();
    void untickShown();
    void invertShown();
    // A click on a card's box toggles it and makes it the anchor; a Shift+click gives every
    // shown card from the anchor to it the state the anchor has.
    void click(std::size_t card, bool shift);
    // Space on the selected cards: all ticked when any was not, else all unticked.
    void toggle(const std::vector<std::size_t>& cards);

    // Cards whose name, MAC or IP contains the text, blanks around it and case aside.
    void setFilter(const QString& text);
    const QString& filter() const { return filter_; }
    bool shown(std::size_t card) const;

    // Numbers and addresses in numeric order, texts without regard to case, the state by how
    // much a card needs attention (those that failed first); equal keys keep the list order.
    void sortBy(Column column, bool ascending);
    // What a run adds to a card: the new IP and the state's rank for sorting (lower first).
    void setNewIp(std::size_t card, const QString& ip);
    void setStateRank(std::size_t card, int rank);

    // All cards in the order shown, hidden ones included where they would stand.
    const std::vector<std::size_t>& order() const { return order_; }
    std::vector<std::size_t> shownInOrder() const;
    // The ticked cards in the order shown: sequential addresses follow it.
    std::vector<std::size_t> tickedInOrder() const;

private:
    std::vector<protocol::DeviceEntry> cards_;
    std::vector<bool> ticked_;
    std::vector<bool> tickable_;
    std::vector<bool> shown_;
    std::vector<QString> newIps_;
    std::vector<int> stateRanks_;
    std::vector<std::size_t> order_;
    QString filter_;
    std::optional<std::size_t> anchor_;
};

} // namespace ui
