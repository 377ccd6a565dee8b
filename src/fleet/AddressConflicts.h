#pragma once
// Cards that answer at one IP address: a read or a write to that address reaches any of them.
// Fresh cards often all come with one address and a MAC each, so the search list shows which
// cards share their address before anything is written.

#include "protocol/SearchAnswer.h"

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace fleet {

// Which cards of a list share their IP with a card of another MAC. The same MAC at two
// addresses is one card that moved, not a conflict; an empty IP shares nothing. Linear in the
// list, so a search of thousands of cards is checked at once.
class AddressConflicts {
public:
    static constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();

    // One shared address and the cards that answer there, by index in the list, in list order.
    struct Shared {
        std::string ip;
        std::vector<std::size_t> cards;
    };

    AddressConflicts() = default;
    explicit AddressConflicts(const std::vector<protocol::DeviceEntry>& cards);

    // The shared addresses in the order their first card stands in the list.
    const std::vector<Shared>& shared() const { return shared_; }
    bool empty() const { return shared_.empty(); }

    bool conflicts(std::size_t card) const;
    // The cards at `card`'s address with another MAC, in list order: the first `limit` of them.
    std::vector<std::size_t> othersOf(std::size_t card, std::size_t limit = kAll) const;
    std::size_t othersCount(std::size_t card) const;

private:
    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    struct CardMark {
        std::size_t group = kNone; // index into shared_
        std::size_t mac = 0;       // the first card of the group with this card's MAC
        std::size_t sameMac = 0;   // cards of the group with this card's MAC, itself included
    };
    std::vector<CardMark> marks_;
    std::vector<Shared> shared_;
};

} // namespace fleet
