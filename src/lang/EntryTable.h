// The catalogue rows in registration order. Positions, sections and ordinals are kept as
// registered: the positional readers and the row-caption filler depend on them, not on keys.
// Internal to the lang library.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace lang::detail {

struct EntryRow {
    int position;
    int section;
    int ordinal;
    std::string_view key;
    std::string_view englishKey; // differs from key at position 6 only
    std::string_view simplified;
    std::string_view english;
    std::string_view traditional; // as stored, before the build-time conversion
};

inline constexpr std::size_t kEntryCount = 107;

// clang-format off
inline constexpr std::array<EntryRow, kEntryCount> kEntryTable{{
    {0, 0, 0, "pn_size_set", "pn_size_set", "常规参数", "Size Setting", "普通參數"},
    {1, 0, 0, "pn_comm_interface", "pn_comm_interface", "通讯接口", "Comm Interface", "通訊接口"},
    {2, 0, 0, "pn_IP_address", "pn_IP_address", "IP地址", "IP Address", "IP地址"},
    {3, 0, 0, "pn_internal_code", "pn_internal_code", "内部码", "Internal Code", "內部碼"},
    {4, 0, 0, "pn_softwear_version", "pn_softwear_version", "软件版本", "Version", "應用版本"},
    {5, 0, 0, "pn_mac_addr", "pn_mac_addr", "Mac地址", "Mac Address", "Mac地址"},
    {6, 0, 0, "pn_server_cfg", "pn_server_set", "服务器配置", "Server Set", "服務器設定"},
    {7, 0, 0, "pn_dns_server", "pn_dns_server", "DNS服务器", "DNS Server", "DNS服務器"},
    {8, 0, 0, "pn_server_Port", "pn_server_Port", "          服务器端口", "          Server Port", "          服務器端口"},
    {9, 1, 0, "menu_main_config", "menu_main_config", "配置(&C)", "Configuration(&C)", "設定(&C)"},
    {10, 1, 0, "menu_sub_search_device", "menu_sub_search_device", "搜索设备(&S)", "Search devices(&S)", "搜索設備(&S)"},
    {11, 1, 0, "menu_sub_search_device_assign_ip", "menu_sub_search_device_assign_ip", "指定IP地址搜索设备(&A)", "Search devices by IP(&A)", "使用IP地址搜索設備(&A)"},
    {12, 1, 0, "menu_sub_network", "menu_sub_network", "网卡选择(&N)", "Choice network(&N)", "網卡選擇(&N)"},
    {13, 1, 0, "menu_sub_clear_device_list", "menu_sub_clear_device_list", "清空设备列表(&L)", "Clear device-list(&L)", "清空設備列表(&L)"},
    {14, 1, 0, "menu_sub_languge", "menu_sub_languge", "语言", "Languge", "語言"},
    {15, 1, 0, "menu_sub_simplechn", "menu_sub_simplechn", "简体中文", "Simple Chiness", "普通中文"},
    {16, 1, 0, "menu_sub_traditionalchn", "menu_sub_traditionalchn", "繁体中文", "Traditional Chiness", "繁體中文"},
    {17, 1, 0, "menu_sub_english", "menu_sub_english", "英文", "English", "英文"},
    {18, 1, 0, "menu_sub_exit", "menu_sub_exit", "退出(&E)", "Exit(&E)", "退出(&E)"},
    {19, 1, 0, "menu_main_help", "menu_main_help", "帮助(&H)", "Help(&H)", "幫助(&H)"},
    {20, 1, 0, "menu_sub_about", "menu_sub_about", "关于...(&A)", "About...(&A)", "關於...(&A)"},
    {21, 2, 0, "btn_search_device", "btn_search_device", "搜索设备", "Search devices", "搜索設備"},
    {22, 2, 0, "btn_submit_change", "btn_submit_change", "提交更改", "Submit changes", "提交更改"},
    {23, 2, 0, "btn_refresh", "btn_refresh", "刷新", "Refresh", "刷新"},
    {24, 3, 0, "item_pixels_width", "item_pixels_width", "像素宽度", "Pixels Width", "像素長度"},
    {25, 3, 1, "item_pixels_height", "item_pixels_height", "像素高度", "Pixels Height", "像素高度"},
    {26, 3, 2, "item_pixels_color", "item_pixels_color", "像素颜色", "Pixels Color", "像素色"},
    {27, 3, 3, "item_scan_mode", "item_scan_mode", "扫描方式", "Scan Mode", "掃描方式"},
    {28, 3, 4, "item_day_bright", "item_day_bright", "白天亮度", "Day Brightness", "白天亮度"},
    {29, 3, 5, "item_night_bright", "item_night_bright", "晚上亮度", "Night Brightness", "晚上亮度"},
    {30, 3, 6, "item_OE_signal", "item_OE_signal", "OE信号", "OE Signal", "OE"},
    {31, 3, 7, "item_data_bit", "item_data_bit", "数据高低", "Data Bit", "數據高低"},
    {32, 3, 8, "item_display", "item_display", "显示内容", "Display Content", "顯示內容"},
    {33, 3, 9, "item_clock_frequency", "item_clock_frequency", "时钟频率", "Clock Frequency", "時率"},
    {34, 3, 10, "item_line_order", "item_line_order", "行顺序", "Row Order", "行序"},
    {35, 3, 11, "item_empty_show", "item_empty_show", "内容为空时显示", "Display when Empty", "內容為空時顯示"},
    {36, 4, 0, "item_comm_interface", "item_comm_interface", "通讯接口", "Comm Interface", "通信接口"},
    {37, 4, 1, "item_baud_rate", "item_baud_rate", "串口通讯率", "Baud Rate", "串口通信率"},
    {38, 4, 2, "item_network_speed", "item_network_speed", "网络速度", "Net Speed", "網絡速度"},
    {39, 4, 3, "item_display_conversion", "item_display_conversion", "长屏显示转换", "Display Conversion", "長屏顯示轉換"},
    {40, 4, 4, "item_485_addr", "item_485_addr", "485地址", "485 address", "485地址"},
    {41, 5, 0, "item_card_IP", "item_card_IP", "控制卡IP", "Control Card IP", "控制卡IP"},
    {42, 5, 1, "item_subnet_mask", "item_subnet_mask", "子网掩码", "Subnet Mask", "子網掩碼"},
    {43, 5, 2, "item_default_gateway", "item_default_gateway", "默认网关", "Default Gateway", "默認網關"},
    {44, 6, 0, "item_internal_code", "item_internal_code", "内部码", "Internal Code", "內部碼"},
    {45, 6, 1, "item_softwear_version", "item_softwear_version", "软件版本", "Softwear Version", "應用版本"},
    {46, 7, 0, "item_mac_address", "item_mac_address", "MAC地址", "Mac Address", "MAC地址"},
    {47, 8, 0, "item_no", "item_no", "序号", "Order Num", "No"},
    {48, 8, 1, "item_device_name", "item_device_name", "设备型号", "Device Model", "設備Model"},
    {49, 8, 2, "item_mac_address", "item_mac_address", "MAC地址", "Mac Address", "MAC地址"},
    {50, 8, 3, "item_ip_address", "item_ip_address", "IP地址", "IP Address", "IP地址"},
    {51, 9, 0, "item_search", "item_search", "搜索...", "Search...", "搜索..."},
    {52, 9, 1, "item_search_network_device", "item_search_network_device", "正在搜索网络中的设备", "Searching for network device", "正在搜索網絡中的設備"},
    {53, 9, 2, "item_remaining_search_time", "item_remaining_search_time", "剩余搜索时间：", "Remaining time: ", "剩餘搜索時間："},
    {54, 9, 3, "item_second", "item_second", "秒", "seconds", "秒"},
    {55, 9, 4, "item_search_for", "item_search_for", "搜索到", "Search for", "搜索到"},
    {56, 9, 5, "item_devices", "item_devices", "个设备", "devices", "設備"},
    {57, 9, 6, "item_stop", "item_stop", "停止", "Stop", "停止"},
    {58, 10, 0, "item_abort", "item_abort", "关于...", "About...", "關於..."},
    {59, 10, 1, "item_all_rights_reserved", "item_all_rights_reserved", "版权所有", "All Rights Reserved", "版權所有"},
    {60, 11, 0, "softwear_title", "softwear_title", "显示屏控制卡参数配置", "Display control card parameter configuration", "顯示屏控制卡參數設定"},
    {61, 11, 1, "item_search_device_failed", "item_search_device_failed", "搜索设备失败：网络未连接或不在同一网段上，请检查网络连接及设置！", "Search device failed: network is not connected or not on the same network segment, check the networkconnection and settings!", "搜索設備失敗：網絡未連接或不在同一網段上，檢查網絡連接及設定！"},
    {62, 11, 2, "item_information_empty", "item_information_empty", "要修改的配置信息不能为空！", "To modify the configuration information can not be empty!", "要更改的设定信息不能為空！"},
    {63, 11, 3, "item_update_failed", "item_update_failed", "更新设备信息失败！", "Update the device information failed!", "更新設備信息失敗！"},
    {64, 11, 4, "item_update_success", "item_update_success", "更新设备信息成功！", "Update the device information successfully!", "更新設備信息成功！"},
    {65, 12, 0, "item_sub_pixels_monochrome", "item_sub_pixels_monochrome", "1 ------ 单基色", "1 ------ Monochrome", "1 ------ 單基色"},
    {66, 12, 1, "item_sub_pixels_bicolor", "item_sub_pixels_bicolor", "2 ------ 双基色", "2 ------ Dual Color", "2 ------ 雙基色"},
    {67, 12, 25, "item_sub_pixels_tricolor", "item_sub_pixels_tricolor", "3 ------ 三基色", "3 ------ Tricolor", "3 ------ 三基色"},
    {68, 12, 2, "item_sub_static_scan", "item_sub_static_scan", "静态扫描", "Static Scan", "靜態掃描"},
    {69, 12, 3, "item_sub_day_brightnest", "item_sub_day_brightnest", "0 ----- 最亮", "0 ----- Brightest", "0 ----- 最亮"},
    {70, 12, 4, "item_sub_day_darkest", "item_sub_day_darkest", "7 ----- 最暗", "7 ----- Darkest", "7 ----- 最暗"},
    {71, 12, 5, "item_sub_signal_not_reverse", "item_sub_signal_not_reverse", "1 ----- 不反相", "1 ----- Not Inverted", "1 ----- 不反相"},
    {72, 12, 6, "item_sub_signal_reverse", "item_sub_signal_reverse", "2 ----- 反相", "2 ----- RP", "2 ----- 反相"},
    {73, 12, 7, "item_sub_12M_default", "item_sub_12M_default", "12兆（默认）", "12M (Default)", "12兆（默認）"},
    {74, 12, 8, "item_sub_8M", "item_sub_8M", "8兆", "8M", "8兆"},
    {75, 12, 9, "item_sub_6M", "item_sub_6M", "6兆", "6M", "6兆"},
    {76, 12, 10, "item_sub_line_normal", "item_sub_line_normal", "行正常", "Row Normal", "行正常"},
    {77, 12, 11, "item_sub_line_1", "item_sub_line_1", "行 + 1", "Row + 1", "行 + 1"},
    {78, 12, 12, "item_sub_line_reverse", "item_sub_line_reverse", "行颠倒", "Row Reverse", "行倒立"},
    {79, 12, 13, "item_sub_comm_client", "item_sub_comm_client", "网络客户端（多点使用）", "Client(Multi-Point)", "網絡客戶端（多點使用）"},
    {80, 12, 14, "item_sub_comm_server", "item_sub_comm_server", "网络服务器端（单点使用）", "Server(Single-Point)", "網絡服務器端（單點使用）"},
    {81, 12, 15, "item_sub_comm_serial", "item_sub_comm_serial", "串口", "Serial", "串口"},
    {82, 12, 16, "item_sub_enforce", "item_sub_enforce", "强制10兆 (推荐)", "Enforce 10M (Ecommendation)", "10兆 (推薦)"},
    {83, 12, 17, "item_sub_100M", "item_sub_100M", "100兆", "100M", "100兆"},
    {84, 12, 26, "item_sub_Adaptive", "item_sub_Adaptive", "自适应", "Adaptive", "自適應"},
    {85, 12, 18, "item_sub_no_conversion", "item_sub_no_conversion", "不转换（默认）", "No Conversion (Default)", "不轉換（默認）"},
    {86, 12, 19, "item_sub_ecommendation", "item_sub_ecommendation", "连续左移时合并在一起", "Combined when continue moving left", "連續左移時合併在一起"},
    {87, 12, 20, "item_sub_ecommendation", "item_sub_ecommendation", "强制转换所有显示内容为左移", "Transform forcibly all to move left", "轉換所有顯示內容為左移"},
    {88, 12, 21, "item_sub_ecommendation", "item_sub_ecommendation", "强制上移", "Forced up ", "上移"},
    {89, 12, 22, "item_sub_empty_black", "item_sub_empty_black", "黑屏", "Black Screen", "黑屏"},
    {90, 12, 23, "item_sub_empty_welcome", "item_sub_empty_welcome", "欢迎光临", "Welcome", "歡迎光臨"},
    {91, 12, 24, "item_sub_line_no_138", "item_sub_line_no_138", "无138译码", "No 138 decoding", "無138譯碼"},
    {92, 13, 25, "item_handle_set", "item_handle_set", "手工配置", "Handle Set", "手工設定"},
    {93, 13, 26, "item_dhcp_set", "item_dhcp_set", "DHCP配置", "DHCP Set", "DHCP設定"},
    {94, 13, 27, "item_softwear_set", "item_softwear_set", "软件配置", "Softwear Set", "應用設定"},
    {95, 14, 28, "item_dns_set", "item_dns_set", "DNS手工配置", "DNS Handle Set", "DNS手工設定"},
    {96, 14, 29, "item_auto_get", "item_auto_get", "DNS自动获取", "DNS Auto Get", "DNS自動獲取"},
    {97, 15, 0, "item_service_IP", "item_service_IP", "服务器IP", "Service IP", "服務器IP"},
    {98, 15, 1, "item_service_domain", "item_service_domain", "服务器域名", "Service Domain", "服務器域名"},
    {99, 16, 0, "netWorkChoice", "netWorkChoice", "网卡选择", "You must choice one netWork card", "網卡選擇"},
    {100, 16, 0, "cbNotShow", "cbNotShow", "不再显示该界面，以后使用已选的网卡", "Not show, use the selected network adapter", "不再顯示選擇介面，以後使用已選的網卡"},
    {101, 16, 0, "btnOK", "btnOK", "确定", "OK", "確定"},
    {102, 16, 0, "dlg_not_choice", "dlg_not_choice", "请从列表选择其中一张网卡！", "Please choose one card from the list!", "在列表選擇其中一網卡！"},
    {103, 16, 1, "id", "id", "ID", "ID", "ID"},
    {104, 16, 1, "netWorkAdapter", "netWorkAdapter", "网卡适配器", "Network Adapter", "網卡適配器"},
    {105, 16, 1, "IPAddress", "IPAddress", "IP地址", "IP Address", "IP地址"},
    {106, 16, 1, "macAddress", "macAddress", "Mac地址", "Mac Address", "Mac地址"},
}};
// clang-format on

consteval bool positionsMatchIndices() {
    for (std::size_t i = 0; i < kEntryTable.size(); ++i) {
        if (kEntryTable[i].position != static_cast<int>(i)) {
            return false;
        }
    }
    return true;
}
static_assert(positionsMatchIndices(), "a row was dropped or duplicated");

// The traditional column converted by OpenCC's s2t on the build host (make_traditional.py): the
// stored texts still carry a few simplified characters.
extern const std::array<std::string_view, kEntryCount> kTraditionalTexts;

} // namespace lang::detail
