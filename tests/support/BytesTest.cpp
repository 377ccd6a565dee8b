// Every test writes its bytes through hex(): a typo there must fail loudly, never shift bytes.

#include "support/Bytes.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

using testsupport::Bytes;
using testsupport::hex;
using testsupport::toHex;

TEST(Hex, ReadsDigitPairsWithOrWithoutBlanks) {
    const struct {
        const char* text;
        Bytes bytes;
    } cases[] = {
        {"", {}},
        {"A1 15 02 00 00 FF", {0xA1, 0x15, 0x02, 0x00, 0x00, 0xFF}},
        {"A11502 0000FF", {0xA1, 0x15, 0x02, 0x00, 0x00, 0xFF}},
        {"a1 fF 0b", {0xA1, 0xFF, 0x0B}},
        {"  A1\n\t15\r\n", {0xA1, 0x15}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hex(c.text), c.bytes) << c.text;
    }
}

TEST(Hex, RefusesTypos) {
    for (const char* typo : {"A", "A1 5", "A1 5 02", "A 1", "G0", "A1 O0", "0x10", "A1,15"}) {
        EXPECT_THROW(hex(typo), std::invalid_argument) << typo;
    }
}

TEST(Hex, WritesUpperCasePairsThatReadBack) {
    EXPECT_EQ(toHex({}), "");
    EXPECT_EQ(toHex({0x00, 0x0A, 0xA1, 0xFF}), "00 0A A1 FF");
    const Bytes all = [] {
        Bytes b;
        for (int i = 0; i < 256; ++i) {
            b.push_back(static_cast<std::uint8_t>(i));
        }
        return b;
    }();
    EXPECT_EQ(hex(toHex(all)), all);
}

} // namespace
