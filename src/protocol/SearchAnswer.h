#pragma once
// Search answers: the card's name, MAC, IP and version, and the list of cards found.

#include "protocol/Frame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace protocol {

struct SearchAnswer {
    std::string name; // "unknown" when missing or marked
    std::string mac;  // "00:1A:2B:3C:4D:5E" or empty
    std::string ip;   // dotted quad or empty
    int version = 0;  // 0 when the answer has no version frame
};

struct DeviceEntry {
    int number = 0; // 1-based row number
    std::string name;
    std::string mac;
    std::string ip;
    int version = 0;
};

SearchAnswer DecodeSearchAnswer(ByteView datagram);

// The cards of the current search, in the order they first answered. The duplicate test
// (same MAC and same IP) and the MAC lookup are O(1), since a search can bring thousands.
class FoundCards {
public:
    // Appends the card unless a row with the same MAC and IP exists; returns the new entry.
    std::optional<DeviceEntry> add(const SearchAnswer& answer);
    const DeviceEntry* firstWithMac(const std::string& mac) const;
    void clear();
    const std::vector<DeviceEntry>& entries() const { return entries_; }
    std::size_t size() const { return entries_.size(); }

private:
    std::vector<DeviceEntry> entries_;
    std::unordered_set<std::string> keys_;
    std::unordered_map<std::string, std::size_t> firstByMac_;
};

} // namespace protocol
