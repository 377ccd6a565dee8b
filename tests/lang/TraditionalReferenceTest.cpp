#include "OpenCcReference.h"
#include "RegistrationOrder.h"
#include "lang/Catalogue.h"

#include <gtest/gtest.h>

namespace lang {
namespace {

using test::TextsInRegistrationOrder;

TEST(ToTraditional, ReferenceConvertsSimplifiedCharacters) {
    EXPECT_EQ(test::ToTraditional("要更改的设定信息不能為空！"), "要更改的設定信息不能為空！");
    EXPECT_EQ(test::ToTraditional("设备"), "設備");
    EXPECT_EQ(test::ToTraditional("Mac Address"), "Mac Address");
}

// The catalogue is converted on the build host by OpenCC's command-line tool; every text must
// equal what OpenCC's library gives for the stored text.
TEST(TraditionalCatalogue, EqualsWhatOpenCcGivesForEveryStoredText) {
    test::TraditionalConverter converter;
    ASSERT_TRUE(converter.Available()) << "OpenCC's s2t configuration is not installed";
    TTraditionalChinese catalogue;
    const auto texts = TextsInRegistrationOrder(catalogue);
    const auto& stored = catalogue.TraditionalTexts();
    ASSERT_EQ(texts.size(), stored.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i], converter.Convert(stored[i])) << "position " << i;
    }
}

} // namespace
} // namespace lang
