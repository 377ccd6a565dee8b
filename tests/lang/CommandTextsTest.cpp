#include "lang/CommandTexts.h"

#include "lang/Catalogue.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <string_view>

namespace lang {
namespace {

constexpr LanguageId kAllLanguages[] = {LanguageId::SimplifiedChinese,
                                        LanguageId::TraditionalChinese, LanguageId::English};

std::set<char> Placeholders(std::string_view text) {
    std::set<char> found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') {
            found.insert(text[i + 1]);
        }
    }
    return found;
}

struct Expected {
    CommandText id;
    const char* simplified;
    const char* traditional;
    const char* english;
};

// The commands as the window's menus, dialogs and messages show them.
TEST(CommandTexts, TheCommandsInEachLanguage) {
    const Expected rows[] = {
        {CommandText::ManyCardsMenu, "多卡(&M)", "多卡(&M)", "Many cards(&M)"},
        {CommandText::ExportList, "导出设备列表...", "匯出設備列表...", "Export list..."},
        {CommandText::SaveParameters, "保存参数...", "儲存參數...", "Save parameters..."},
        {CommandText::LoadParameters, "载入参数...", "載入參數...", "Load parameters..."},
        {CommandText::WriteSeveralCards, "写入多张控制卡...", "寫入多張控制卡...",
         "Write to several cards..."},
        {CommandText::SequentialFrom, "顺序IP地址，起始地址", "順序IP地址，起始地址",
         "Sequential IP addresses from"},
        {CommandText::ExportResults, "导出结果...", "匯出結果...", "Export results..."},
        {CommandText::StateWaiting, "等待", "等待", "Waiting"},
        {CommandText::StateSent, "已发送", "已發送", "Sent"},
        {CommandText::StateConfirmed, "已确认", "已確認", "Confirmed"},
        {CommandText::StateNotConfirmed, "未确认", "未確認", "Not confirmed"},
        {CommandText::StateNoAnswer, "无应答", "無應答", "No answer"},
    };
    for (const Expected& row : rows) {
        EXPECT_EQ(CommandTextOf(LanguageId::SimplifiedChinese, row.id), row.simplified);
        EXPECT_EQ(CommandTextOf(LanguageId::TraditionalChinese, row.id), row.traditional);
        EXPECT_EQ(CommandTextOf(LanguageId::English, row.id), row.english);
    }
}

// Every text exists in each language with the same values to fill in; a language outside
// 0..2 gets the English text.
TEST(CommandTexts, EveryTextInEveryLanguageWithTheSameValues) {
    for (int i = 0; i < static_cast<int>(CommandText::Count); ++i) {
        const auto id = static_cast<CommandText>(i);
        const std::string_view english = CommandTextOf(LanguageId::English, id);
        for (LanguageId language : kAllLanguages) {
            const std::string_view text = CommandTextOf(language, id);
            EXPECT_FALSE(text.empty()) << i;
            EXPECT_EQ(Placeholders(text), Placeholders(english)) << i;
        }
        EXPECT_EQ(CommandTextOf(static_cast<LanguageId>(7), id), english) << i;
    }
    EXPECT_EQ(CommandTextOf(LanguageId::English, CommandText::Count), "");
}

// The commands live beside the catalogue: it keeps its 107 entries, and no menu item of the
// commands has a section-1 entry that the menu relabelling could find.
TEST(CommandTexts, TheCatalogueIsAsItWas) {
    for (LanguageId language : kAllLanguages) {
        const auto catalogue = MakeCatalogue(language);
        ASSERT_NE(catalogue, nullptr);
        EXPECT_EQ(catalogue->EntryCount(), 107u);
        for (const auto& entry : catalogue->SectionEntries(Section::Menus)) {
            for (const char* name :
                 {"menu_main_cards", "menu_sub_export_list", "menu_sub_save_parameters",
                  "menu_sub_load_parameters", "menu_sub_write_several_cards"}) {
                EXPECT_NE(entry.key, name);
            }
        }
    }
}

} // namespace
} // namespace lang
