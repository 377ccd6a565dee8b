#include "protocol/ScanModeTable.h"

#include <initializer_list>

namespace protocol {

namespace {

struct Family {
    const char* prefix; // empty for the static-scan family, which takes the word
    std::initializer_list<int> codes;
};

// Device codes per family, in the order of the letters. They are not in the order of the
// positions (code 16 is "1/16 (B)", codes 17-19 are "1/4  (M)" to "1/4  (O)").
const Family kFamilies[] = {
    {"1/16 ", {1, 16, 47, 48, 120, 121, 122, 123, 124, 125}},
    {"1/8  ", {2, 3, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39}},
    {"1/4  ", {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 130, 131, 132}},
    {"1/32  ", {50, 51, 52, 53, 54, 55, 56, 57}},
    {nullptr, {20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 40, 41, 42}},
    {"1/10  ", {60, 61, 62, 63, 64, 65, 66, 67, 68, 69}},
    {"1/12  ", {70, 71, 72, 73}},
    {"1/20  ", {80, 81, 82, 83}},
    {"1/24  ", {90, 91, 92, 93}},
    {"1/5  ", {100, 101, 102, 103, 104, 105, 106, 107}},
    {"1/6  ", {110, 111, 112, 113}},
};

} // namespace

std::vector<std::string> ScanModeTable::Build(const std::string& staticScanWord) {
    entries_.clear();
    std::vector<std::string> names;
    names.reserve(EntryCount);
    int position = 0;
    for (const Family& family : kFamilies) {
        char letter = 'A';
        for (int code : family.codes) {
            const std::string name =
                (family.prefix ? std::string(family.prefix) : staticScanWord + ' ') + '(' + letter +
                ')';
            entries_.push_back({position, name, static_cast<std::uint8_t>(code)});
            names.push_back(name);
            ++position;
            ++letter;
        }
    }
    return names;
}

std::uint8_t ScanModeTable::CodeAt(int position) const {
    for (const auto& e : entries_) {
        if (e.position == position) {
            return e.code;
        }
    }
    return 0;
}

int ScanModeTable::PositionOf(std::uint8_t code) const {
    for (const auto& e : entries_) {
        if (e.code == code) {
            return e.position;
        }
    }
    return 0;
}

} // namespace protocol
