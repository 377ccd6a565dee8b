#include "lang/Catalogue.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace lang {
namespace {

// The traditional catalogue in registration order, as the operator must see it.
const std::array<std::string, 107> kExpectedTraditional{
    "普通參數", // 0
    "通訊接口", // 1
    "IP地址", // 2
    "內部碼", // 3
    "應用版本", // 4
    "Mac地址", // 5
    "服務器設定", // 6
    "DNS服務器", // 7
    "          服務器端口", // 8
    "設定(&C)", // 9
    "搜索設備(&S)", // 10
    "使用IP地址搜索設備(&A)", // 11
    "網卡選擇(&N)", // 12
    "清空設備列表(&L)", // 13
    "語言", // 14
    "普通中文", // 15
    "繁體中文", // 16
    "英文", // 17
    "退出(&E)", // 18
    "幫助(&H)", // 19
    "關於...(&A)", // 20
    "搜索設備", // 21
    "提交更改", // 22
    "刷新", // 23
    "像素長度", // 24
    "像素高度", // 25
    "像素色", // 26
    "掃描方式", // 27
    "白天亮度", // 28
    "晚上亮度", // 29
    "OE", // 30
    "數據高低", // 31
    "顯示內容", // 32
    "時率", // 33
    "行序", // 34
    "內容為空時顯示", // 35
    "通信接口", // 36
    "串口通信率", // 37
    "網絡速度", // 38
    "長屏顯示轉換", // 39
    "485地址", // 40
    "控制卡IP", // 41
    "子網掩碼", // 42
    "默認網關", // 43
    "內部碼", // 44
    "應用版本", // 45
    "MAC地址", // 46
    "No", // 47
    "設備Model", // 48
    "MAC地址", // 49
    "IP地址", // 50
    "搜索...", // 51
    "正在搜索網絡中的設備", // 52
    "剩餘搜索時間：", // 53
    "秒", // 54
    "搜索到", // 55
    "設備", // 56
    "停止", // 57
    "關於...", // 58
    "版權所有", // 59
    "顯示屏控制卡參數設定", // 60
    "搜索設備失敗：網絡未連接或不在同一網段上，檢查網絡連接及設定！", // 61
    "要更改的設定信息不能為空！", // 62: the one text the conversion changes
    "更新設備信息失敗！", // 63
    "更新設備信息成功！", // 64
    "1 ------ 單基色", // 65
    "2 ------ 雙基色", // 66
    "3 ------ 三基色", // 67
    "靜態掃描", // 68
    "0 ----- 最亮", // 69
    "7 ----- 最暗", // 70
    "1 ----- 不反相", // 71
    "2 ----- 反相", // 72
    "12兆（默認）", // 73
    "8兆", // 74
    "6兆", // 75
    "行正常", // 76
    "行 + 1", // 77
    "行倒立", // 78
    "網絡客戶端（多點使用）", // 79
    "網絡服務器端（單點使用）", // 80
    "串口", // 81
    "10兆 (推薦)", // 82
    "100兆", // 83
    "自適應", // 84
    "不轉換（默認）", // 85
    "連續左移時合併在一起", // 86
    "轉換所有顯示內容為左移", // 87
    "上移", // 88
    "黑屏", // 89
    "歡迎光臨", // 90
    "無138譯碼", // 91
    "手工設定", // 92
    "DHCP設定", // 93
    "應用設定", // 94
    "DNS手工設定", // 95
    "DNS自動獲取", // 96
    "服務器IP", // 97
    "服務器域名", // 98
    "網卡選擇", // 99
    "不再顯示選擇介面，以後使用已選的網卡", // 100
    "確定", // 101
    "在列表選擇其中一網卡！", // 102
    "ID", // 103
    "網卡適配器", // 104
    "IP地址", // 105
    "Mac地址", // 106
};

// Registration order is section by section, so concatenating the sections gives it back.
std::vector<std::string> TextsInRegistrationOrder(const TLanguage& catalogue) {
    std::vector<std::string> texts;
    for (int s = 0; s < TLanguage::kSectionCount; ++s) {
        for (const auto& entry : catalogue.Section(s)) {
            texts.push_back(entry.text);
        }
    }
    return texts;
}

TEST(TraditionalCatalogue, EveryTextAsExpected) {
    TTraditionalChinese catalogue;
    const auto texts = TextsInRegistrationOrder(catalogue);
    ASSERT_EQ(texts.size(), kExpectedTraditional.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i], kExpectedTraditional[i]) << "position " << i;
    }
}

TEST(TraditionalCatalogue, OnlyPositionSixtyTwoDiffersFromTheStoredText) {
    TTraditionalChinese catalogue;
    const auto texts = TextsInRegistrationOrder(catalogue);
    const auto& stored = catalogue.TraditionalTexts();
    ASSERT_EQ(stored.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i == 62) {
            EXPECT_EQ(stored[i], "要更改的设定信息不能為空！");
            EXPECT_NE(texts[i], stored[i]);
        } else {
            EXPECT_EQ(texts[i], stored[i]) << "position " << i;
        }
    }
}

TEST(TraditionalCatalogue, StoredTextsAreTheSameInEveryCatalogue) {
    TSimpleChinese simplified;
    TEnglish english;
    TLanguage bare;
    EXPECT_EQ(simplified.TraditionalTexts(), bare.TraditionalTexts());
    EXPECT_EQ(english.TraditionalTexts(), bare.TraditionalTexts());
    EXPECT_EQ(bare.TraditionalTexts()[0], "普通參數");
    EXPECT_EQ(bare.TraditionalTexts()[8], "          服務器端口");
    EXPECT_EQ(bare.TraditionalTexts()[106], "Mac地址");
}

TEST(ToTraditional, ConvertsSimplifiedCharacters) {
    EXPECT_EQ(ToTraditional("要更改的设定信息不能為空！"), "要更改的設定信息不能為空！");
    EXPECT_EQ(ToTraditional("设备"), "設備");
    EXPECT_EQ(ToTraditional(""), "");
    EXPECT_EQ(ToTraditional("Mac Address"), "Mac Address");
    EXPECT_EQ(ToTraditional("          服務器端口"), "          服務器端口");
}

TEST(ToTraditional, DefaultConverterOpensOnceAndStaysUsable) {
    auto& converter = DefaultTraditionalConverter();
    EXPECT_TRUE(converter.Available());
    EXPECT_EQ(converter.Convert("设定"), "設定");
    EXPECT_EQ(converter.Convert("设定"), "設定");
}

// --- When OpenCC cannot be used, texts pass through unchanged -----------------------------------

class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& contents) {
        path_ = (std::filesystem::temp_directory_path() /
                 ("lang_tests_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++) +
                  ".json"))
                    .string();
        std::ofstream(path_) << contents;
    }
    ~TemporaryFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    static inline int counter_ = 0;
    std::string path_;
};

TEST(ToTraditionalFallback, MissingConfigurationKeepsTheText) {
    const std::string missing = "/nonexistent/lang_tests/s2t.json";
    EXPECT_EQ(ToTraditional("要更改的设定信息不能為空！", missing), "要更改的设定信息不能為空！");
    EXPECT_EQ(ToTraditional("设备", missing), "设备");
    TraditionalConverter converter(missing);
    EXPECT_FALSE(converter.Available());
    EXPECT_EQ(converter.Convert("设备"), "设备");
}

TEST(ToTraditionalFallback, BrokenConfigurationKeepsTheText) {
    TemporaryFile notJson("this is not a configuration {");
    EXPECT_EQ(ToTraditional("设备", notJson.path()), "设备");

    TemporaryFile missingDictionary(R"({"name": "x", "segmentation": {"type": "mmseg",
        "dict": {"type": "ocd2", "file": "/nonexistent/lang_tests/none.ocd2"}},
        "conversion_chain": [{"dict": {"type": "ocd2",
        "file": "/nonexistent/lang_tests/none.ocd2"}}]})");
    EXPECT_EQ(ToTraditional("设备", missingDictionary.path()), "设备");
}

TEST(ToTraditionalFallback, CatalogueKeepsStoredTextsWithoutConverter) {
    TraditionalConverter unusable("/nonexistent/lang_tests/s2t.json");
    TTraditionalChinese catalogue(unusable);
    const auto texts = TextsInRegistrationOrder(catalogue);
    ASSERT_EQ(texts.size(), 107u);
    EXPECT_EQ(texts, catalogue.TraditionalTexts());
    EXPECT_EQ(catalogue.FindText(11, "item_information_empty"), "要更改的设定信息不能為空！");
    EXPECT_EQ(catalogue.FindText(16, "dlg_not_choice"), "在列表選擇其中一網卡！");
}

} // namespace
} // namespace lang
