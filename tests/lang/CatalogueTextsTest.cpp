// The simplified-Chinese and English texts of every catalogue entry, in registration order,
// blanks included.

#include "RegistrationOrder.h"
#include "lang/Catalogue.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace lang {
namespace {

// clang-format off
const std::array<std::pair<const char*, const char*>, 107> kExpected{{
    /*   0 */ {"常规参数", "Size Setting"},
    /*   1 */ {"通讯接口", "Comm Interface"},
    /*   2 */ {"IP地址", "IP Address"},
    /*   3 */ {"内部码", "Internal Code"},
    /*   4 */ {"软件版本", "Version"},
    /*   5 */ {"Mac地址", "Mac Address"},
    /*   6 */ {"服务器配置", "Server Set"},
    /*   7 */ {"DNS服务器", "DNS Server"},
    /*   8 */ {"          服务器端口", "          Server Port"},
    /*   9 */ {"配置(&C)", "Configuration(&C)"},
    /*  10 */ {"搜索设备(&S)", "Search devices(&S)"},
    /*  11 */ {"指定IP地址搜索设备(&A)", "Search devices by IP(&A)"},
    /*  12 */ {"网卡选择(&N)", "Choice network(&N)"},
    /*  13 */ {"清空设备列表(&L)", "Clear device-list(&L)"},
    /*  14 */ {"语言", "Languge"},
    /*  15 */ {"简体中文", "Simple Chiness"},
    /*  16 */ {"繁体中文", "Traditional Chiness"},
    /*  17 */ {"英文", "English"},
    /*  18 */ {"退出(&E)", "Exit(&E)"},
    /*  19 */ {"帮助(&H)", "Help(&H)"},
    /*  20 */ {"关于...(&A)", "About...(&A)"},
    /*  21 */ {"搜索设备", "Search devices"},
    /*  22 */ {"提交更改", "Submit changes"},
    /*  23 */ {"刷新", "Refresh"},
    /*  24 */ {"像素宽度", "Pixels Width"},
    /*  25 */ {"像素高度", "Pixels Height"},
    /*  26 */ {"像素颜色", "Pixels Color"},
    /*  27 */ {"扫描方式", "Scan Mode"},
    /*  28 */ {"白天亮度", "Day Brightness"},
    /*  29 */ {"晚上亮度", "Night Brightness"},
    /*  30 */ {"OE信号", "OE Signal"},
    /*  31 */ {"数据高低", "Data Bit"},
    /*  32 */ {"显示内容", "Display Content"},
    /*  33 */ {"时钟频率", "Clock Frequency"},
    /*  34 */ {"行顺序", "Row Order"},
    /*  35 */ {"内容为空时显示", "Display when Empty"},
    /*  36 */ {"通讯接口", "Comm Interface"},
    /*  37 */ {"串口通讯率", "Baud Rate"},
    /*  38 */ {"网络速度", "Net Speed"},
    /*  39 */ {"长屏显示转换", "Display Conversion"},
    /*  40 */ {"485地址", "485 address"},
    /*  41 */ {"控制卡IP", "Control Card IP"},
    /*  42 */ {"子网掩码", "Subnet Mask"},
    /*  43 */ {"默认网关", "Default Gateway"},
    /*  44 */ {"内部码", "Internal Code"},
    /*  45 */ {"软件版本", "Softwear Version"},
    /*  46 */ {"MAC地址", "Mac Address"},
    /*  47 */ {"序号", "Order Num"},
    /*  48 */ {"设备型号", "Device Model"},
    /*  49 */ {"MAC地址", "Mac Address"},
    /*  50 */ {"IP地址", "IP Address"},
    /*  51 */ {"搜索...", "Search..."},
    /*  52 */ {"正在搜索网络中的设备", "Searching for network device"},
    /*  53 */ {"剩余搜索时间：", "Remaining time: "},
    /*  54 */ {"秒", "seconds"},
    /*  55 */ {"搜索到", "Search for"},
    /*  56 */ {"个设备", "devices"},
    /*  57 */ {"停止", "Stop"},
    /*  58 */ {"关于...", "About..."},
    /*  59 */ {"版权所有", "All Rights Reserved"},
    /*  60 */ {"显示屏控制卡参数配置", "Display control card parameter configuration"},
    /*  61 */ {"搜索设备失败：网络未连接或不在同一网段上，请检查网络连接及设置！", "Search device failed: network is not connected or not on the same network segment, check the networkconnection and settings!"},
    /*  62 */ {"要修改的配置信息不能为空！", "To modify the configuration information can not be empty!"},
    /*  63 */ {"更新设备信息失败！", "Update the device information failed!"},
    /*  64 */ {"更新设备信息成功！", "Update the device information successfully!"},
    /*  65 */ {"1 ------ 单基色", "1 ------ Monochrome"},
    /*  66 */ {"2 ------ 双基色", "2 ------ Dual Color"},
    /*  67 */ {"3 ------ 三基色", "3 ------ Tricolor"},
    /*  68 */ {"静态扫描", "Static Scan"},
    /*  69 */ {"0 ----- 最亮", "0 ----- Brightest"},
    /*  70 */ {"7 ----- 最暗", "7 ----- Darkest"},
    /*  71 */ {"1 ----- 不反相", "1 ----- Not Inverted"},
    /*  72 */ {"2 ----- 反相", "2 ----- RP"},
    /*  73 */ {"12兆（默认）", "12M (Default)"},
    /*  74 */ {"8兆", "8M"},
    /*  75 */ {"6兆", "6M"},
    /*  76 */ {"行正常", "Row Normal"},
    /*  77 */ {"行 + 1", "Row + 1"},
    /*  78 */ {"行颠倒", "Row Reverse"},
    /*  79 */ {"网络客户端（多点使用）", "Client(Multi-Point)"},
    /*  80 */ {"网络服务器端（单点使用）", "Server(Single-Point)"},
    /*  81 */ {"串口", "Serial"},
    /*  82 */ {"强制10兆 (推荐)", "Enforce 10M (Ecommendation)"},
    /*  83 */ {"100兆", "100M"},
    /*  84 */ {"自适应", "Adaptive"},
    /*  85 */ {"不转换（默认）", "No Conversion (Default)"},
    /*  86 */ {"连续左移时合并在一起", "Combined when continue moving left"},
    /*  87 */ {"强制转换所有显示内容为左移", "Transform forcibly all to move left"},
    /*  88 */ {"强制上移", "Forced up "},
    /*  89 */ {"黑屏", "Black Screen"},
    /*  90 */ {"欢迎光临", "Welcome"},
    /*  91 */ {"无138译码", "No 138 decoding"},
    /*  92 */ {"手工配置", "Handle Set"},
    /*  93 */ {"DHCP配置", "DHCP Set"},
    /*  94 */ {"软件配置", "Softwear Set"},
    /*  95 */ {"DNS手工配置", "DNS Handle Set"},
    /*  96 */ {"DNS自动获取", "DNS Auto Get"},
    /*  97 */ {"服务器IP", "Service IP"},
    /*  98 */ {"服务器域名", "Service Domain"},
    /*  99 */ {"网卡选择", "You must choice one netWork card"},
    /* 100 */ {"不再显示该界面，以后使用已选的网卡", "Not show, use the selected network adapter"},
    /* 101 */ {"确定", "OK"},
    /* 102 */ {"请从列表选择其中一张网卡！", "Please choose one card from the list!"},
    /* 103 */ {"ID", "ID"},
    /* 104 */ {"网卡适配器", "Network Adapter"},
    /* 105 */ {"IP地址", "IP Address"},
    /* 106 */ {"Mac地址", "Mac Address"},
}};
// clang-format on

using test::TextsInRegistrationOrder;

TEST(CatalogueTexts, SimplifiedChineseEveryEntry) {
    const auto texts = TextsInRegistrationOrder(TSimpleChinese());
    ASSERT_EQ(texts.size(), kExpected.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i], kExpected[i].first) << "position " << i;
    }
}

TEST(CatalogueTexts, EnglishEveryEntry) {
    const auto texts = TextsInRegistrationOrder(TEnglish());
    ASSERT_EQ(texts.size(), kExpected.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i], kExpected[i].second) << "position " << i;
    }
}

} // namespace
} // namespace lang
