#include "fleet/AddressConflicts.h"

#include <string_view>
#include <unordered_map>

namespace fleet {

AddressConflicts::AddressConflicts(const std::vector<protocol::DeviceEntry>& cards)
    : marks_(cards.size()) {
    // Cards by address first; most addresses hold one card and are dropped again below.
    std::vector<Shared> groups;
    std::unordered_map<std::string_view, std::size_t> groupByIp;
    groupByIp.reserve(cards.size());
    for (std::size_t i = 0; i < cards.size(); ++i) {
        const std::string& ip = cards[i].ip;
        if (ip.empty()) {
            continue;
        }
        const auto [it, added] = groupByIp.try_emplace(ip, groups.size());
        if (added) {
            groups.push_back({ip, {}});
        }
        groups[it->second].cards.push_back(i);
    }

    std::unordered_map<std::string_view, std::size_t> firstWithMac;
    for (Shared& group : groups) {
        if (group.cards.size() < 2) {
            continue;
        }
        firstWithMac.clear();
        for (const std::size_t i : group.cards) {
            const std::size_t first = firstWithMac.try_emplace(cards[i].mac, i).first->second;
            marks_[i].mac = first;
            ++marks_[first].sameMac;
        }
        if (firstWithMac.size() < 2) {
            continue; // one card, listed twice at one address
        }
        for (const std::size_t i : group.cards) {
            marks_[i].group = shared_.size();
            marks_[i].sameMac = marks_[marks_[i].mac].sameMac;
        }
        shared_.push_back(std::move(group));
    }
}

bool AddressConflicts::conflicts(std::size_t card) const {
    return card < marks_.size() && marks_[card].group != kNone;
}

std::vector<std::size_t> AddressConflicts::othersOf(std::size_t card, std::size_t limit) const {
    std::vector<std::size_t> others;
    if (!conflicts(card)) {
        return others;
    }
    for (const std::size_t other : shared_[marks_[card].group].cards) {
        if (others.size() >= limit) {
            break;
        }
        if (marks_[other].mac != marks_[card].mac) {
            others.push_back(other);
        }
    }
    return others;
}

std::size_t AddressConflicts::othersCount(std::size_t card) const {
    if (!conflicts(card)) {
        return 0;
    }
    return shared_[marks_[card].group].cards.size() - marks_[card].sameMac;
}

} // namespace fleet
