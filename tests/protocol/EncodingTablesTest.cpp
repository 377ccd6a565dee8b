// The display-block bytes that are byte codes or ranges rather than plain positions: every code
// both ways, a byte outside each list, the RS-485 address ends and the data-polarity nibble.

#include "PanelFixture.h"
#include "protocol/Reply.h"
#include "protocol/WriteComposer.h"

#include <gtest/gtest.h>

using namespace protocol;

namespace {

class DisplayBytes : public PanelFixture, public ::testing::Test {
protected:
    SelectedCard card;

    void SetUp() override {
        applyParameterReply(panel, fullReply(), scan, profile);
        card.ip = "192.168.1.100";
    }

    // Byte `offset` of the display payload of the write.
    int written(std::size_t offset) {
        const auto r = composeWrite(panel, card, scan, profile);
        if (!std::holds_alternative<WriteMessage>(r)) {
            ADD_FAILURE() << "write refused";
            return -1;
        }
        const auto& b = std::get<WriteMessage>(r).bytes;
        EXPECT_EQ(testsupport::toHex({b.begin(), b.begin() + 3}), "A1 21 11");
        return b[3 + offset];
    }

    // Applies a display frame whose byte `offset` is `value`.
    void read(std::size_t offset, int value) {
        auto frame =
            testsupport::hex("A1 21 11 01 01 02 80 01 E0 03 00 07 01 05 33 44 22 00 21 1F FF");
        frame[3 + offset] = static_cast<std::uint8_t>(value);
        applyParameterReply(panel, frame, scan, profile);
    }
};

struct CodedList {
    Combo combo;
    const char* name;
    std::size_t offset;
    std::vector<int> codes; // by position
    int unlisted;           // a byte of no item here (some are codes of a neighbouring list)
};

const CodedList kCodedLists[] = {
    {Combo::Comm, "cmdComm", 11, {0x00, 0x33, 0x22}, 0x11},
    {Combo::Baud, "cmdBaud", 12, {0x00, 0x11, 0x22, 0x33, 0x44}, 0x55},
    {Combo::Rate, "cmdRate", 13, {0x00, 0x22, 0x33}, 0x44},
    {Combo::Trans, "cmdTrans", 14, {0x00, 0x22, 0x33, 0x44}, 0x11},
};

TEST_F(DisplayBytes, ByteCodedListsBothWays) {
    for (const CodedList& list : kCodedLists) {
        SCOPED_TRACE(list.name);
        const int count = static_cast<int>(list.codes.size());
        ASSERT_EQ(panel[list.combo].count, count);
        for (int position = 0; position < count; ++position) {
            SCOPED_TRACE(position);
            panel[list.combo].index = position;
            EXPECT_EQ(written(list.offset), list.codes[static_cast<std::size_t>(position)]);

            // From another position, so a list left as it was would show.
            panel[list.combo].index = (position + 1) % count;
            read(list.offset, list.codes[static_cast<std::size_t>(position)]);
            EXPECT_EQ(panel[list.combo].index, position);
        }
        for (int before : {-1, 0, count - 1}) {
            panel[list.combo].index = before;
            read(list.offset, list.unlisted);
            EXPECT_EQ(panel[list.combo].index, before) << "byte " << list.unlisted;
        }
    }
}

TEST_F(DisplayBytes, Rs485AddressEnds) {
    const struct {
        int position;
        int byte;
    } writes[] = {{0, 1}, {41, 42}, {98, 99}};
    for (const auto& w : writes) {
        panel[Combo::Addr485].index = w.position;
        EXPECT_EQ(written(10), w.byte) << "position " << w.position;
    }
    const struct {
        int byte;
        int position;
    } reads[] = {{1, 0}, {2, 1}, {99, 98}, {0, 0}, {100, 0}, {255, 0}};
    for (const auto& r : reads) {
        panel[Combo::Addr485].index = 50;
        read(10, r.byte);
        EXPECT_EQ(panel[Combo::Addr485].index, r.position) << "byte " << r.byte;
    }
}

TEST_F(DisplayBytes, DataPolarityReadsTheLowNibbleOnly) {
    for (int position : {0, 1}) {
        panel[Combo::DataBit].index = position;
        EXPECT_EQ(written(9), position) << "high nibble 0, low nibble the position";
    }
    const struct {
        int byte;
        int position;
    } reads[] = {{0x00, 0}, {0x01, 1}, {0x11, 1}, {0xF1, 1}, {0x10, 0},
                 {0x02, 0}, {0x0F, 0}, {0xF0, 0}, {0x21, 1}};
    for (const auto& r : reads) {
        panel[Combo::DataBit].index = 1 - r.position;
        read(9, r.byte);
        EXPECT_EQ(panel[Combo::DataBit].index, r.position) << "byte " << r.byte;
    }
}

} // namespace
