// The one table of texts outside the catalogue: every row complete and consistent, and the
// messages composed from it.

#include "lang/Texts.h"

#include "lang/Catalogue.h"
#include "lang/ExtraTexts.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace lang {
namespace {

constexpr LanguageId kAllLanguages[] = {LanguageId::SimplifiedChinese,
                                        LanguageId::TraditionalChinese, LanguageId::English};

// The digits of "%1".."%9" in the text, each as often as it is used.
std::multiset<int> Placeholders(std::string_view text) {
    std::multiset<int> found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') {
            found.insert(text[i + 1] - '0');
        }
    }
    return found;
}

// Every row has its three texts with the same values to fill in, numbered from %1 without a
// gap (QString::arg fills the lowest number first), and TextOf finds it by its id.
TEST(TextTable, EveryRowHasThreeTextsWithTheSamePlaceholders) {
    ASSERT_EQ(AllTexts().size(), kTextCount);
    for (const TextRow& row : AllTexts()) {
        SCOPED_TRACE(std::string(row.english));
        EXPECT_FALSE(row.simplified.empty());
        EXPECT_FALSE(row.traditional.empty());
        EXPECT_FALSE(row.english.empty());
        const auto english = Placeholders(row.english);
        EXPECT_EQ(Placeholders(row.simplified), english);
        EXPECT_EQ(Placeholders(row.traditional), english);
        const std::set<int> numbers(english.begin(), english.end());
        EXPECT_TRUE(numbers.empty() || *numbers.rbegin() == static_cast<int>(numbers.size()));

        EXPECT_EQ(TextOf(LanguageId::SimplifiedChinese, row.id), row.simplified);
        EXPECT_EQ(TextOf(LanguageId::TraditionalChinese, row.id), row.traditional);
        EXPECT_EQ(TextOf(LanguageId::English, row.id), row.english);
        EXPECT_EQ(TextOf(static_cast<LanguageId>(7), row.id), row.english);
    }
}

// Two ids with one English text are one text twice, or a copy that drifts; these pairs say
// the same on purpose: a result word of ledcardctl and the window's state column, a menu item
// and the title of the dialog it opens.
TEST(TextTable, EnglishTextsDifferUnlessDeliberate) {
    const std::set<std::pair<std::size_t, std::size_t>> deliberate{
        {TextKey(CtlText::Confirmed).Index(), TextKey(CommandText::StateConfirmed).Index()},
        {TextKey(CommandText::WriteSeveralCards).Index(), TextKey(CommandText::BatchTitle).Index()},
    };
    // Case, trailing full stops and the ellipsis of a menu item do not make two texts differ.
    const auto folded = [](std::string_view text) {
        std::string out(text.substr(0, text.find_last_not_of('.') + 1));
        std::transform(out.begin(), out.end(), out.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return out;
    };
    std::map<std::string, std::size_t> seen;
    for (const TextRow& row : AllTexts()) {
        const auto [at, fresh] = seen.emplace(folded(row.english), row.id.Index());
        if (!fresh) {
            EXPECT_TRUE(deliberate.contains({at->second, row.id.Index()})) << row.english;
        }
    }
}

TEST(TextTable, ACountNamesNoText) {
    for (LanguageId language : kAllLanguages) {
        EXPECT_EQ(TextOf(language, CtlText::Count), "");
        EXPECT_EQ(TextOf(language, CommandText::Count), "");
        EXPECT_EQ(TextOf(language, RefusalText::Count), "");
        EXPECT_EQ(CommandTextOf(language, CommandText::Count), "");
    }
}

struct Shown {
    TextKey id;
    std::string_view simplified;
    std::string_view traditional;
    std::string_view english;
};

// Texts as the window's menus and dialogs and ledcardctl show them, byte for byte; the
// traditional ones of ledcardctl in the wording they share with the window.
TEST(TextTable, TextsAsShown) {
    const Shown rows[] = {
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
        {CommandText::ParameterFiles, "参数文件 (*.json)", "參數檔案 (*.json)",
         "Parameter files (*.json)"},
        {CtlText::MissingProfile, "请指定参数文件。", "請指定參數檔案。", "Name the profile file."},
        {CtlText::HelpSearch, "搜索一次，与窗口的搜索相同，按应答顺序列出控制卡。",
         "搜索一次，與視窗的搜索相同，按應答順序列出控制卡。",
         "Searches once as the window does and lists the cards in the order they answered."},
        {CtlText::WrittenValue, "%1 为 %2（写入的是 %3）", "%1 為 %2（寫入的是 %3）",
         "%1 is %2 (written: %3)"},
    };
    for (const Shown& row : rows) {
        SCOPED_TRACE(std::string(row.english));
        EXPECT_EQ(TextOf(LanguageId::SimplifiedChinese, row.id), row.simplified);
        EXPECT_EQ(TextOf(LanguageId::TraditionalChinese, row.id), row.traditional);
        EXPECT_EQ(TextOf(LanguageId::English, row.id), row.english);
    }
}

// The commands live beside the catalogue: it keeps its 107 entries, and no menu item of the
// commands has a section-1 entry that the menu relabelling could find.
TEST(TextTable, TheCatalogueIsAsItWas) {
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

TEST(FillIn, OnePassOverTheText) {
    struct Row {
        const char* text;
        std::initializer_list<std::string_view> values;
        const char* filled;
    };
    const Row rows[] = {
        {"位置%1超出范围：共有%2项（#0到#%3）",
         {"9", "2", "1"},
         "位置9超出范围：共有2项（#0到#1）"},
        {"%2 before %1, %1 again", {"a", "b"}, "b before a, a again"},
        {"“%1”", {"%2%1"}, "“%2%1”"},            // a value is not filled in again
        {"%1 and %2", {"only"}, "only and %2"},  // no value: the placeholder stays
        {"%0 %a 100% %", {"x"}, "%0 %a 100% %"}, // no placeholders
        {"%1%1", {""}, ""},
        {"", {"x"}, ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FillIn(row.text, row.values), row.filled) << row.text;
    }
}

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
    // A typed "%1" is the operator's text, not a placeholder.
    EXPECT_EQ(NotNumberMessage(LanguageId::English, "", "%1"), "\"%1\" is not a whole number.");
}

} // namespace
} // namespace lang
