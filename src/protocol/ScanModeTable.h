#pragma once
// The 95 scan modes: combo position, shown name, device code.

#include <cstdint>
#include <string>
#include <vector>

namespace protocol {

struct ScanModeEntry {
    int position;
    std::string name;
    std::uint8_t code;
};

class ScanModeTable {
public:
    static constexpr int EntryCount = 95;

    // Empties the table and appends the 95 entries in order; `staticScanWord` names the
    // thirteen static-scan entries. Returns the names in combo order for the caller to add.
    std::vector<std::string> Build(const std::string& staticScanWord);

    // Code of the first entry at this position; 0 when there is none.
    std::uint8_t CodeAt(int position) const;
    // Position of the first entry with this code; 0 when there is none.
    int PositionOf(std::uint8_t code) const;

    const std::vector<ScanModeEntry>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }

private:
    std::vector<ScanModeEntry> entries_;
};

} // namespace protocol
