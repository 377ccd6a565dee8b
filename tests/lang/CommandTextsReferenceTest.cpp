#include "OpenCcReference.h"
#include "lang/CommandTexts.h"

#include <gtest/gtest.h>
#include <string>

namespace lang {
namespace {

// The traditional texts of the commands are written by hand; OpenCC finds no simplified
// character left in any of them.
TEST(CommandTexts, TraditionalTextsHoldNoSimplifiedCharacter) {
    test::TraditionalConverter converter;
    ASSERT_TRUE(converter.Available()) << "OpenCC's s2t configuration is not installed";
    for (int i = 0; i < static_cast<int>(CommandText::Count); ++i) {
        const std::string text(CommandTextOf(LanguageId::TraditionalChinese, CommandText(i)));
        EXPECT_EQ(converter.Convert(text), text) << i;
    }
}

} // namespace
} // namespace lang
