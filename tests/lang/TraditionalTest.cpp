#include "RegistrationOrder.h"
#include "lang/Catalogue.h"

#include <array>
#include <gtest/gtest.h>
#include <string>

namespace lang {
namespace {

// The traditional catalogue in registration order, as the operator must see it.
// clang-format off
const std::array<std::string, 107> kExpectedTraditional{
    /*   0 */ "普通參數",
    /*   1 */ "通訊接口",
    /*   2 */ "IP地址",
    /*   3 */ "內部碼",
    /*   4 */ "應用版本",
    /*   5 */ "Mac地址",
    /*   6 */ "服務器設定",
    /*   7 */ "DNS服務器",
    /*   8 */ "          服務器端口",
    /*   9 */ "設定(&C)",
    /*  10 */ "搜索設備(&S)",
    /*  11 */ "使用IP地址搜索設備(&A)",
    /*  12 */ "網卡選擇(&N)",
    /*  13 */ "清空設備列表(&L)",
    /*  14 */ "語言",
    /*  15 */ "普通中文",
    /*  16 */ "繁體中文",
    /*  17 */ "英文",
    /*  18 */ "退出(&E)",
    /*  19 */ "幫助(&H)",
    /*  20 */ "關於...(&A)",
    /*  21 */ "搜索設備",
    /*  22 */ "提交更改",
    /*  23 */ "刷新",
    /*  24 */ "像素長度",
    /*  25 */ "像素高度",
    /*  26 */ "像素色",
    /*  27 */ "掃描方式",
    /*  28 */ "白天亮度",
    /*  29 */ "晚上亮度",
    /*  30 */ "OE",
    /*  31 */ "數據高低",
    /*  32 */ "顯示內容",
    /*  33 */ "時率",
    /*  34 */ "行序",
    /*  35 */ "內容為空時顯示",
    /*  36 */ "通信接口",
    /*  37 */ "串口通信率",
    /*  38 */ "網絡速度",
    /*  39 */ "長屏顯示轉換",
    /*  40 */ "485地址",
    /*  41 */ "控制卡IP",
    /*  42 */ "子網掩碼",
    /*  43 */ "默認網關",
    /*  44 */ "內部碼",
    /*  45 */ "應用版本",
    /*  46 */ "MAC地址",
    /*  47 */ "No",
    /*  48 */ "設備Model",
    /*  49 */ "MAC地址",
    /*  50 */ "IP地址",
    /*  51 */ "搜索...",
    /*  52 */ "正在搜索網絡中的設備",
    /*  53 */ "剩餘搜索時間：",
    /*  54 */ "秒",
    /*  55 */ "搜索到",
    /*  56 */ "設備",
    /*  57 */ "停止",
    /*  58 */ "關於...",
    /*  59 */ "版權所有",
    /*  60 */ "顯示屏控制卡參數設定",
    /*  61 */ "搜索設備失敗：網絡未連接或不在同一網段上，檢查網絡連接及設定！",
    /*  62 */ "要更改的設定信息不能為空！", // the one text the conversion changes
    /*  63 */ "更新設備信息失敗！",
    /*  64 */ "更新設備信息成功！",
    /*  65 */ "1 ------ 單基色",
    /*  66 */ "2 ------ 雙基色",
    /*  67 */ "3 ------ 三基色",
    /*  68 */ "靜態掃描",
    /*  69 */ "0 ----- 最亮",
    /*  70 */ "7 ----- 最暗",
    /*  71 */ "1 ----- 不反相",
    /*  72 */ "2 ----- 反相",
    /*  73 */ "12兆（默認）",
    /*  74 */ "8兆",
    /*  75 */ "6兆",
    /*  76 */ "行正常",
    /*  77 */ "行 + 1",
    /*  78 */ "行倒立",
    /*  79 */ "網絡客戶端（多點使用）",
    /*  80 */ "網絡服務器端（單點使用）",
    /*  81 */ "串口",
    /*  82 */ "10兆 (推薦)",
    /*  83 */ "100兆",
    /*  84 */ "自適應",
    /*  85 */ "不轉換（默認）",
    /*  86 */ "連續左移時合併在一起",
    /*  87 */ "轉換所有顯示內容為左移",
    /*  88 */ "上移",
    /*  89 */ "黑屏",
    /*  90 */ "歡迎光臨",
    /*  91 */ "無138譯碼",
    /*  92 */ "手工設定",
    /*  93 */ "DHCP設定",
    /*  94 */ "應用設定",
    /*  95 */ "DNS手工設定",
    /*  96 */ "DNS自動獲取",
    /*  97 */ "服務器IP",
    /*  98 */ "服務器域名",
    /*  99 */ "網卡選擇",
    /* 100 */ "不再顯示選擇介面，以後使用已選的網卡",
    /* 101 */ "確定",
    /* 102 */ "在列表選擇其中一網卡！",
    /* 103 */ "ID",
    /* 104 */ "網卡適配器",
    /* 105 */ "IP地址",
    /* 106 */ "Mac地址",
};
// clang-format on

using test::TextsInRegistrationOrder;

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

} // namespace
} // namespace lang
