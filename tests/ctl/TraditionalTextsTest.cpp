// The traditional messages are OpenCC's s2t conversion of the simplified ones, the rule the
// catalogue's traditional texts follow.

#include "ctl/Texts.h"
#include "lang/OpenCcReference.h"

#include <gtest/gtest.h>

TEST(Texts, TraditionalIsTheConvertedSimplifiedText) {
    lang::test::TraditionalConverter converter;
    if (!converter.Available()) {
        GTEST_SKIP() << "OpenCC's s2t configuration is not installed";
    }
    for (int i = 0; i < static_cast<int>(ctl::Text::Count); ++i) {
        const auto t = static_cast<ctl::Text>(i);
        const std::string simplified =
            ctl::Tr(t, lang::LanguageId::SimplifiedChinese).toStdString();
        EXPECT_EQ(ctl::Tr(t, lang::LanguageId::TraditionalChinese).toStdString(),
                  converter.Convert(simplified))
            << ctl::Tr(t, lang::LanguageId::English).toStdString();
    }
}
