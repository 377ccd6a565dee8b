// Every scan mode both ways: the code a chosen position is written as, the position a code read
// back selects, and position 0 for every code that names no mode.

#include "PanelFixture.h"
#include "protocol/Reply.h"
#include "protocol/WriteComposer.h"

#include <array>
#include <gtest/gtest.h>
#include <set>
#include <utility>

using namespace protocol;

namespace {

struct Mode {
    const char* name;
    int code;
};

// Combo position is the index. Static-scan names take the catalogue word "静态扫描".
// clang-format off
const std::array<Mode, 95> kModes{{
    {"1/16 (A)", 1},   {"1/16 (B)", 16},  {"1/16 (C)", 47},  {"1/16 (D)", 48},
    {"1/16 (E)", 120}, {"1/16 (F)", 121}, {"1/16 (G)", 122}, {"1/16 (H)", 123},
    {"1/16 (I)", 124}, {"1/16 (J)", 125},
    {"1/8  (A)", 2},  {"1/8  (B)", 3},  {"1/8  (C)", 30}, {"1/8  (D)", 31},
    {"1/8  (E)", 32}, {"1/8  (F)", 33}, {"1/8  (G)", 34}, {"1/8  (H)", 35},
    {"1/8  (I)", 36}, {"1/8  (J)", 37}, {"1/8  (K)", 38}, {"1/8  (L)", 39},
    {"1/4  (A)", 4},  {"1/4  (B)", 5},  {"1/4  (C)", 6},  {"1/4  (D)", 7},
    {"1/4  (E)", 8},  {"1/4  (F)", 9},  {"1/4  (G)", 10}, {"1/4  (H)", 11},
    {"1/4  (I)", 12}, {"1/4  (J)", 13}, {"1/4  (K)", 14}, {"1/4  (L)", 15},
    {"1/4  (M)", 17}, {"1/4  (N)", 18}, {"1/4  (O)", 19}, {"1/4  (P)", 130},
    {"1/4  (Q)", 131}, {"1/4  (R)", 132},
    {"1/32  (A)", 50}, {"1/32  (B)", 51}, {"1/32  (C)", 52}, {"1/32  (D)", 53},
    {"1/32  (E)", 54}, {"1/32  (F)", 55}, {"1/32  (G)", 56}, {"1/32  (H)", 57},
    {"静态扫描 (A)", 20}, {"静态扫描 (B)", 21}, {"静态扫描 (C)", 22}, {"静态扫描 (D)", 23},
    {"静态扫描 (E)", 24}, {"静态扫描 (F)", 25}, {"静态扫描 (G)", 26}, {"静态扫描 (H)", 27},
    {"静态扫描 (I)", 28}, {"静态扫描 (J)", 29}, {"静态扫描 (K)", 40}, {"静态扫描 (L)", 41},
    {"静态扫描 (M)", 42},
    {"1/10  (A)", 60}, {"1/10  (B)", 61}, {"1/10  (C)", 62}, {"1/10  (D)", 63},
    {"1/10  (E)", 64}, {"1/10  (F)", 65}, {"1/10  (G)", 66}, {"1/10  (H)", 67},
    {"1/10  (I)", 68}, {"1/10  (J)", 69},
    {"1/12  (A)", 70}, {"1/12  (B)", 71}, {"1/12  (C)", 72}, {"1/12  (D)", 73},
    {"1/20  (A)", 80}, {"1/20  (B)", 81}, {"1/20  (C)", 82}, {"1/20  (D)", 83},
    {"1/24  (A)", 90}, {"1/24  (B)", 91}, {"1/24  (C)", 92}, {"1/24  (D)", 93},
    {"1/5  (A)", 100}, {"1/5  (B)", 101}, {"1/5  (C)", 102}, {"1/5  (D)", 103},
    {"1/5  (E)", 104}, {"1/5  (F)", 105}, {"1/5  (G)", 106}, {"1/5  (H)", 107},
    {"1/6  (A)", 110}, {"1/6  (B)", 111}, {"1/6  (C)", 112}, {"1/6  (D)", 113},
}};
// clang-format on

// Codes that belong to no mode, as ranges.
const std::pair<int, int> kUnassigned[] = {{0, 0},     {43, 46},   {49, 49},  {58, 59},
                                           {74, 79},   {84, 89},   {94, 99},  {108, 109},
                                           {114, 119}, {126, 129}, {133, 255}};

class ScanModeEntries : public PanelFixture, public ::testing::Test {
protected:
    SelectedCard card;

    void SetUp() override {
        applyParameterReply(panel, fullReply(), scan, profile);
        card.ip = "192.168.1.100";
    }

    // Scan-mode byte of the write: the first payload byte of the display frame.
    int writtenCode() {
        const auto r = composeWrite(panel, card, scan, profile);
        if (!std::holds_alternative<WriteMessage>(r)) {
            ADD_FAILURE() << "write refused";
            return -1;
        }
        const auto& b = std::get<WriteMessage>(r).bytes;
        EXPECT_EQ(testsupport::toHex({b.begin(), b.begin() + 3}), "A1 21 11");
        return b[3];
    }

    // Position chosen by a display frame carrying `code`, from a chosen position of 7.
    int readPosition(int code) {
        panel[Combo::Scan].index = 7;
        auto frame =
            testsupport::hex("A1 21 11 00 01 02 80 01 E0 03 00 07 01 05 33 44 22 00 21 1F FF");
        frame[3] = static_cast<std::uint8_t>(code);
        applyParameterReply(panel, frame, scan, profile);
        return panel[Combo::Scan].index;
    }
};

TEST_F(ScanModeEntries, EveryEntryBothWays) {
    const auto names = scan.Build("静态扫描");
    ASSERT_EQ(names.size(), kModes.size());
    for (int position = 0; position < static_cast<int>(kModes.size()); ++position) {
        const Mode& mode = kModes[static_cast<std::size_t>(position)];
        SCOPED_TRACE(mode.name);
        EXPECT_EQ(names[static_cast<std::size_t>(position)], mode.name);
        EXPECT_EQ(scan.CodeAt(position), mode.code);
        EXPECT_EQ(scan.PositionOf(static_cast<std::uint8_t>(mode.code)), position);

        panel[Combo::Scan].index = position;
        EXPECT_EQ(writtenCode(), mode.code);
        EXPECT_EQ(readPosition(mode.code), position);
    }
}

TEST_F(ScanModeEntries, CodesOfNoEntryReadAsTheFirst) {
    std::set<int> seen;
    for (const auto& [first, last] : kUnassigned) {
        for (int code = first; code <= last; ++code) {
            SCOPED_TRACE(code);
            seen.insert(code);
            EXPECT_EQ(scan.PositionOf(static_cast<std::uint8_t>(code)), 0);
            EXPECT_EQ(readPosition(code), 0) << "\"1/16 (A)\", not left as it was";
        }
    }
    // The two tables above together name every byte exactly once.
    for (const Mode& mode : kModes) {
        EXPECT_TRUE(seen.insert(mode.code).second) << mode.code;
    }
    EXPECT_EQ(seen.size(), 256u);
}

} // namespace
