#include "ui/CardChoice.h"

#include "fleet/AddressRun.h"
#include "fleet/Profile.h"

#include <algorithm>
#include <numeric>

namespace ui {

namespace {

// An address as a number; what is no address sorts after every address.
std::uint64_t AddressKey(const std::string& text) {
    const auto quad = fleet::ParseAddress(text);
    if (!quad) {
        return std::uint64_t(1) << 32U;
    }
    return fleet::AddressValue(*quad);
}

} // namespace

CardChoice::CardChoice(std::vector<protocol::DeviceEntry> cards)
    : cards_(std::move(cards)), ticked_(cards_.size(), false), tickable_(cards_.size(), true),
      shown_(cards_.size(), true), newIps_(cards_.size()), stateRanks_(cards_.size(), 0),
      order_(cards_.size()) {
    std::iota(order_.begin(), order_.end(), std::size_t(0));
}

void CardChoice::setTickable(std::size_t card, bool tickable) {
    tickable_[card] = tickable;
    ticked_[card] = ticked_[card] && tickable;
}

void CardChoice::setTicked(std::size_t card, bool ticked) {
    ticked_[card] = ticked && tickable_[card];
}

std::size_t CardChoice::tickedCount() const {
    return std::size_t(std::count(ticked_.begin(), ticked_.end(), true));
}

std::size_t CardChoice::hiddenTickedCount() const {
    std::size_t n = 0;
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        n += ticked_[i] && !shown_[i] ? 1 : 0;
    }
    return n;
}

bool CardChoice::shown(std::size_t card) const {
    return shown_[card];
}

void CardChoice::tickShown() {
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        ticked_[i] = ticked_[i] || (shown_[i] && tickable_[i]);
    }
}

void CardChoice::untickShown() {
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        ticked_[i] = ticked_[i] && !shown_[i];
    }
}

void CardChoice::invertShown() {
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        ticked_[i] = shown_[i] && tickable_[i] ? !ticked_[i] : bool(ticked_[i]);
    }
}

void CardChoice::click(std::size_t card, bool shift) {
    if (!shift || !anchor_ || *anchor_ >= cards_.size()) {
        ticked_[card] = !ticked_[card] && tickable_[card];
        anchor_ = card;
        return;
    }
    const auto from = std::find(order_.begin(), order_.end(), *anchor_);
    const auto to = std::find(order_.begin(), order_.end(), card);
    const bool state = ticked_[*anchor_];
    for (auto it = std::min(from, to); it <= std::max(from, to) && it != order_.end(); ++it) {
        if (shown_[*it] && tickable_[*it]) {
            ticked_[*it] = state;
        }
    }
}

void CardChoice::toggle(const std::vector<std::size_t>& cards) {
    const bool anyUnticked = std::any_of(
        cards.begin(), cards.end(), [this](std::size_t c) { return tickable_[c] && !ticked_[c]; });
    for (std::size_t c : cards) {
        ticked_[c] = anyUnticked && tickable_[c];
    }
}

void CardChoice::setFilter(const QString& text) {
    filter_ = text.trimmed();
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        const auto& c = cards_[i];
        shown_[i] = filter_.isEmpty() ||
                    QString::fromStdString(c.name).contains(filter_, Qt::CaseInsensitive) ||
                    QString::fromStdString(c.mac).contains(filter_, Qt::CaseInsensitive) ||
                    QString::fromStdString(c.ip).contains(filter_, Qt::CaseInsensitive);
    }
}

void CardChoice::setNewIp(std::size_t card, const QString& ip) {
    newIps_[card] = ip;
}

void CardChoice::setStateRank(std::size_t card, int rank) {
    stateRanks_[card] = rank;
}

void CardChoice::sortBy(Column column, bool ascending) {
    const auto less = [this, column](std::size_t a, std::size_t b) {
        const auto& x = cards_[a];
        const auto& y = cards_[b];
        switch (column) {
        case Column::Number:
            return x.number < y.number;
        case Column::Name:
            return QString::fromStdString(x.name).compare(QString::fromStdString(y.name),
                                                          Qt::CaseInsensitive) < 0;
        case Column::Mac:
            return QString::fromStdString(x.mac).compare(QString::fromStdString(y.mac),
                                                         Qt::CaseInsensitive) < 0;
        case Column::Ip:
            return AddressKey(x.ip) < AddressKey(y.ip);
        case Column::NewIp:
            return AddressKey(newIps_[a].toStdString()) < AddressKey(newIps_[b].toStdString());
        case Column::State:
            return stateRanks_[a] < stateRanks_[b];
        }
        return false;
    };
    // Sorting from the list order each time keeps ties in the order the search found them.
    std::iota(order_.begin(), order_.end(), std::size_t(0));
    if (ascending) {
        std::stable_sort(order_.begin(), order_.end(), less);
    } else {
        std::stable_sort(order_.begin(), order_.end(),
                         [&less](std::size_t a, std::size_t b) { return less(b, a); });
    }
}

std::vector<std::size_t> CardChoice::shownInOrder() const {
    std::vector<std::size_t> out;
    std::copy_if(order_.begin(), order_.end(), std::back_inserter(out),
                 [this](std::size_t c) { return bool(shown_[c]); });
    return out;
}

std::vector<std::size_t> CardChoice::tickedInOrder() const {
    std::vector<std::size_t> out;
    std::copy_if(order_.begin(), order_.end(), std::back_inserter(out),
                 [this](std::size_t c) { return bool(ticked_[c]); });
    return out;
}

} // namespace ui
