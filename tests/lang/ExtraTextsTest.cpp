#include "lang/ExtraTexts.h"

#include <gtest/gtest.h>

namespace lang {
namespace {

TEST(RangeMessage, EachLanguage) {
    EXPECT_EQ(RangeMessage(LanguageId::English, "Control Card IP", 0, 255),
              "Control Card IP: the value must be between 0 and 255.");
    EXPECT_EQ(RangeMessage(LanguageId::SimplifiedChinese, "控制卡IP", 0, 255),
              "控制卡IP：数值必须在0到255之间。");
    EXPECT_EQ(RangeMessage(LanguageId::TraditionalChinese, "控制卡IP", 0, 255),
              "控制卡IP：數值必須在0到255之間。");
}

TEST(RangeMessage, LimitsAndCaptionEdges) {
    EXPECT_EQ(RangeMessage(LanguageId::English, "Pixels Width", -1, 65535),
              "Pixels Width: the value must be between -1 and 65535.");
    EXPECT_EQ(RangeMessage(LanguageId::English, "", 1, 6), "The value must be between 1 and 6.");
    EXPECT_EQ(RangeMessage(LanguageId::SimplifiedChinese, "  ", 1, 6), "数值必须在1到6之间。");
    EXPECT_EQ(RangeMessage(LanguageId::English, "      Server Port ", 0, 65535),
              "Server Port: the value must be between 0 and 65535.");
    EXPECT_EQ(RangeMessage(static_cast<LanguageId>(7), "Row", 0, 1),
              "Row: the value must be between 0 and 1.");
}

TEST(NotNumberMessage, EachLanguage) {
    EXPECT_EQ(NotNumberMessage(LanguageId::English, "Pixels Width", "12a"),
              "Pixels Width: \"12a\" is not a whole number.");
    EXPECT_EQ(NotNumberMessage(LanguageId::SimplifiedChinese, "像素宽度", "12a"),
              "像素宽度：“12a”不是整数。");
    EXPECT_EQ(NotNumberMessage(LanguageId::TraditionalChinese, "像素長度", "12a"),
              "像素長度：「12a」不是整數。");
}

TEST(NotNumberMessage, EmptyCaptionAndEmptyText) {
    EXPECT_EQ(NotNumberMessage(LanguageId::English, "", "x"), "\"x\" is not a whole number.");
    EXPECT_EQ(NotNumberMessage(LanguageId::TraditionalChinese, "", ""), "「」不是整數。");
}

} // namespace
} // namespace lang
