// The traditional column of the text table against OpenCC: no simplified character left, and one
// convention, Taiwan usage with the catalogue's names for what the window names.

#include "OpenCcReference.h"
#include "lang/Texts.h"

#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace lang {
namespace {

// OpenCC's Taiwan configuration: its s2t would write 纔 for the 才 that Taiwan writes.
constexpr const char* kTaiwan = "s2tw.json";

// Where Taiwan usage differs from a character-by-character conversion of the simplified text:
// the simplified word and the traditional one. A word the catalogue uses for a thing the window
// shows (地址, 設備, 搜索, 網絡, 端口, 網關, 域名, 發送) converts as it is and needs no row.
struct Term {
    std::string_view simplified;
    std::string_view traditional;
};
constexpr Term kTerms[] = {
    {"文件", "檔案"},
    {"文档", "文件"},
    {"保存", "儲存"},
    {"导出", "匯出"},
    {"窗口", "視窗"},
    {"默认", "預設"},
    {"当前", "目前"},
    {"固件", "韌體"},
    {"数据报", "資料包"},
    {"数据", "資料"},
    {"字节", "位元組"},
    {"字符", "字元"},
    {"十六进制", "十六進位"},
    {"十进制", "十進位"},
    {"试运行", "試執行"},
    {"绑定", "繫結"},
    {"批量", "批次"},
    {"配置", "設定"},
    {"设置", "設定"},
    {"变量", "變數"},
    {"信息", "訊息"},
    {"支持", "支援"},
    {"程序", "程式"},
    {"对象", "物件"},
    {"文本", "文字"},
    {"列表", "清單"},
    {"设备列表", "設備列表"}, // the catalogue's
    {"项", "項目"},
    {"%2项", "%2項"}, // an entry, but "N entries" counts with 項
    {"参数错误", "引數錯誤"},
    {"多余的参数", "多餘的引數"}, // command-line arguments
    {"“", "「"},
    {"”", "」"},
};

// The simplified text with every term replaced, the longest term first at each place.
std::string InTaiwanTerms(std::string_view text, std::vector<bool>& used) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t best = std::size(kTerms);
        for (std::size_t t = 0; t < std::size(kTerms); ++t) {
            const auto s = kTerms[t].simplified;
            if (text.substr(i).starts_with(s) &&
                (best == std::size(kTerms) || s.size() > kTerms[best].simplified.size())) {
                best = t;
            }
        }
        if (best == std::size(kTerms)) {
            out += text[i++];
        } else {
            used[best] = true;
            out += kTerms[best].traditional;
            i += kTerms[best].simplified.size();
        }
    }
    return out;
}

TEST(TextTable, TraditionalTextsHoldNoSimplifiedCharacter) {
    test::TraditionalConverter converter(kTaiwan);
    ASSERT_TRUE(converter.Available()) << "OpenCC's s2tw configuration is not installed";
    for (const TextRow& row : AllTexts()) {
        EXPECT_EQ(converter.Convert(row.traditional), row.traditional) << row.english;
    }
}

// Every traditional text is its simplified one in Taiwan's words and characters; a text that
// says a thing another way than the rest of the table does not pass.
TEST(TextTable, TraditionalIsTheSimplifiedInTaiwanUsage) {
    test::TraditionalConverter converter(kTaiwan);
    ASSERT_TRUE(converter.Available()) << "OpenCC's s2tw configuration is not installed";
    std::vector<bool> used(std::size(kTerms));
    for (const TextRow& row : AllTexts()) {
        EXPECT_EQ(row.traditional, converter.Convert(InTaiwanTerms(row.simplified, used)))
            << row.english;
    }
    for (std::size_t t = 0; t < std::size(kTerms); ++t) {
        EXPECT_TRUE(used[t]) << "no text uses " << kTerms[t].simplified;
    }
}

} // namespace
} // namespace lang
