#include "ctl/Texts.h"

#include <array>

namespace ctl {

namespace {

struct Row {
    Text id;
    const char* simplified;
    const char* traditional;
    const char* english;
};

// The traditional texts are OpenCC's s2t conversion of the simplified ones, as for the catalogue;
// TextsTest holds them to it.
constexpr std::array<Row, static_cast<std::size_t>(Text::Count)> kRows{{
    {Text::ColNumber, "序号", "序號", "No."},
    {Text::ColName, "设备名称", "設備名稱", "Name"},
    {Text::ColMac, "MAC地址", "MAC地址", "MAC"},
    {Text::ColIp, "IP地址", "IP地址", "IP"},
    {Text::ColFirmware, "固件版本", "固件版本", "Firmware"},
    {Text::ColParameter, "参数", "參數", "Parameter"},
    {Text::ColValue, "值", "值", "Value"},
    {Text::ColCard, "控制卡", "控制卡", "Card"},
    {Text::ColNewIp, "新IP地址", "新IP地址", "New IP"},
    {Text::ColResult, "结果", "結果", "Result"},
    {Text::ColDetail, "说明", "說明", "Detail"},
    {Text::Confirmed, "已确认", "已確認", "confirmed"},
    {Text::NotConfirmed, "已写入，未确认", "已寫入，未確認", "written, not confirmed"},
    {Text::NoAnswer, "无应答，未写入", "無應答，未寫入", "no answer, not written"},
    {Text::Refused, "已拒绝，未写入", "已拒絕，未寫入", "refused, not written"},
    {Text::Cancelled, "写入前已停止，未写入", "寫入前已停止，未寫入",
     "stopped before writing, not written"},
    {Text::OtherValues, "控制卡回读的值不同：%1", "控制卡回讀的值不同：%1",
     "the card reads back other values: %1"},
    {Text::WrittenValue, "%1 为 %2（写入的是 %3）", "%1 爲 %2（寫入的是 %3）",
     "%1 is %2 (written: %3)"},
    {Text::SilentAfterWrite, "写入后控制卡没有应答", "寫入後控制卡沒有應答",
     "the card did not answer after the write"},
    {Text::StoppedBeforeReadBack, "回读前已停止", "回讀前已停止", "stopped before the read-back"},
    {Text::CouldNotSend, "无法发送：%1", "無法發送：%1", "could not send: %1"},
    {Text::CardSilent, "控制卡没有应答读取请求", "控制卡沒有應答讀取請求",
     "the card did not answer the read"},
    {Text::SendUnresolvable, "地址无法解析", "地址無法解析", "the address cannot be resolved"},
    {Text::SendNotBound, "无法绑定本机地址（端口4400被占用，或地址不属于本机）",
     "無法綁定本機地址（端口4400被佔用，或地址不屬於本機）",
     "the local address cannot be bound (port 4400 is taken, or the address is not this "
     "machine's)"},
    {Text::SendSocketError, "系统拒绝了该数据报", "系統拒絕了該數據報",
     "the system refused the datagram"},
    {Text::SendTooLarge, "数据报过大", "數據報過大", "the datagram is too large"},
    {Text::SendIncomplete, "数据报未能完整发送", "數據報未能完整發送",
     "the datagram went out incomplete"},
    {Text::NoCardFound, "没有控制卡应答搜索。", "沒有控制卡應答搜索。",
     "No card answered the search."},
    {Text::SearchFailed, "搜索请求无法发送：%1", "搜索請求無法發送：%1",
     "The search request could not be sent: %1"},
    {Text::ReadNoAnswer, "%1 没有应答。", "%1 沒有應答。", "%1 did not answer."},
    {Text::ReadFailed, "无法读取 %1：%2", "無法讀取 %1：%2", "Cannot read %1: %2"},
    {Text::Summary, "%1 块控制卡：已确认 %2，未确认 %3，无应答 %4，已拒绝 %5，已停止 %6",
     "%1 塊控制卡：已確認 %2，未確認 %3，無應答 %4，已拒絕 %5，已停止 %6",
     "%1 cards: %2 confirmed, %3 not confirmed, %4 no answer, %5 refused, %6 stopped"},
    {Text::Progress, "已完成 %1/%2，已写入 %3", "已完成 %1/%2，已寫入 %3",
     "%1/%2 done, %3 written"},
    {Text::Interrupted, "已按 Ctrl+C 停止：%2 块中已写入 %1 块，其余未写入。",
     "已按 Ctrl+C 停止：%2 塊中已寫入 %1 塊，其餘未寫入。",
     "Stopped by Ctrl+C: %1 of %2 cards written, the others not written."},
    {Text::DryRunLine, "%1：将向 %2 端口 %3 发送 %4 字节%5", "%1：將向 %2 端口 %3 發送 %4 字節%5",
     "%1: would send %4 bytes to %2 port %3%5"},
    {Text::DryRunBroadcast, "（广播）", "（廣播）", " (broadcast)"},
    {Text::DryRunNothingSent, "试运行：没有发送任何数据。", "試運行：沒有發送任何數據。",
     "Dry run: nothing was sent."},
    {Text::UsageError, "参数错误：%1", "參數錯誤：%1", "Bad arguments: %1"},
    {Text::UnknownCommand, "未知命令：%1", "未知命令：%1", "Unknown command: %1"},
    {Text::NoCommand, "请指定命令：search、read、write 或 apply。",
     "請指定命令：search、read、write 或 apply。", "Name a command: search, read, write or apply."},
    {Text::MissingCard, "请指定控制卡：IP地址或MAC地址。", "請指定控制卡：IP地址或MAC地址。",
     "Name the card: an IP address or a MAC address."},
    {Text::ExtraArgument, "多余的参数：%1", "多餘的參數：%1", "Unexpected argument: %1"},
    {Text::BadCard, "%1 既不是IP地址也不是MAC地址。", "%1 既不是IP地址也不是MAC地址。",
     "%1 is neither an IP address nor a MAC address."},
    {Text::NotAMac, "%1 不是MAC地址。", "%1 不是MAC地址。", "%1 is not a MAC address."},
    {Text::DuplicateCard, "控制卡 %1 被指定了两次。", "控制卡 %1 被指定了兩次。",
     "The card %1 is named twice."},
    {Text::BadFormat, "--format：%1 不是 %2 之一。", "--format：%1 不是 %2 之一。",
     "--format: %1 is not one of %2."},
    {Text::BadNumber, "%1：%2 不是不小于 %3 的整数。", "%1：%2 不是不小於 %3 的整數。",
     "%1: %2 is not a whole number of at least %3."},
    {Text::BadLocal, "--local：%1 不是IPv4地址。", "--local：%1 不是IPv4地址。",
     "--local: %1 is not an IPv4 address."},
    {Text::BadLanguage, "--lang：%1 不是 zh_CN、zh_TW 或 en。",
     "--lang：%1 不是 zh_CN、zh_TW 或 en。", "--lang: %1 is not zh_CN, zh_TW or en."},
    {Text::BadIpFrom, "--ip-from：%1 不是IPv4地址。", "--ip-from：%1 不是IPv4地址。",
     "--ip-from: %1 is not an IPv4 address."},
    {Text::IpRunBadAddress,
     "--ip-from：从 %1 起的 %2 个地址包含 %3，它是子网 %4 的网络地址或广播地址。",
     "--ip-from：從 %1 起的 %2 個地址包含 %3，它是子網 %4 的網絡地址或廣播地址。",
     "--ip-from: the %2 addresses from %1 include %3, the network or broadcast address of the "
     "subnet %4."},
    {Text::IpRunOverflow, "--ip-from：从 %1 起没有 %2 个地址。",
     "--ip-from：從 %1 起沒有 %2 個地址。", "--ip-from: there are not %2 addresses from %1 on."},
    {Text::NoSetting, "请用 --set 名称=值 指定要修改的参数。",
     "請用 --set 名稱=值 指定要修改的參數。",
     "Name the parameters to change with --set NAME=VALUE."},
    {Text::NoTargets, "请用 --to 指定至少一块控制卡。", "請用 --to 指定至少一塊控制卡。",
     "Name at least one card with --to."},
    {Text::MissingProfile, "请指定参数文件。", "請指定參數文件。", "Name the profile file."},
    {Text::CannotReadFile, "%1：无法读取：%2", "%1：無法讀取：%2", "%1: cannot be read: %2"},
    {Text::DryRunNeedsBase,
     "--dry-run 不读取控制卡：请用 --base 文件 给出它的当前参数（read --format json 的输出）。",
     "--dry-run 不讀取控制卡：請用 --base 文件 給出它的當前參數（read --format json 的輸出）。",
     "--dry-run reads nothing from the card: give its values with --base FILE (what read --format "
     "json printed)."},
    {Text::HelpSummary, "ledcardctl：搜索、读取、写入和批量配置LED显示屏控制卡。",
     "ledcardctl：搜索、讀取、寫入和批量配置LED顯示屏控制卡。",
     "ledcardctl: search, read, write and configure many LED display controller cards."},
    {Text::HelpCommands, "命令：", "命令：", "Commands:"},
    {Text::HelpSearchCmd, "搜索网络中的控制卡", "搜索網絡中的控制卡",
     "find the cards on the network"},
    {Text::HelpReadCmd, "读取一块控制卡的全部参数", "讀取一塊控制卡的全部參數",
     "read every parameter of one card"},
    {Text::HelpWriteCmd, "修改一块控制卡的参数并确认", "修改一塊控制卡的參數並確認",
     "change parameters of one card and confirm"},
    {Text::HelpApplyCmd, "把参数文件写入多块控制卡并逐一确认", "把參數文件寫入多塊控制卡並逐一確認",
     "write a profile to many cards and confirm each"},
    {Text::HelpMore, "各命令的说明：ledcardctl 命令 --help", "各命令的說明：ledcardctl 命令 --help",
     "Help on a command: ledcardctl COMMAND --help"},
    {Text::HelpExit,
     "退出状态：0 全部已确认；2 发送前已拒绝；3 已发送但至少一块未确认；4 无应答；130 被 Ctrl+C "
     "停止。",
     "退出狀態：0 全部已確認；2 發送前已拒絕；3 已發送但至少一塊未確認；4 無應答；130 被 Ctrl+C "
     "停止。",
     "Exit status: 0 all confirmed; 2 refused before sending; 3 sent but not confirmed for at "
     "least one card; 4 no answer; 130 stopped by Ctrl+C."},
    {Text::HelpSearch, "搜索一次，与窗口的搜索相同，按应答顺序列出控制卡。",
     "搜索一次，與窗口的搜索相同，按應答順序列出控制卡。",
     "Searches once as the window does and lists the cards in the order they answered."},
    {Text::HelpRead, "读取一块控制卡（IP地址或MAC地址）并列出全部参数。",
     "讀取一塊控制卡（IP地址或MAC地址）並列出全部參數。",
     "Reads one card (an IP address or a MAC address) and lists every parameter."},
    {Text::HelpWrite, "读取控制卡，修改给定参数，写入，等待并回读确认。",
     "讀取控制卡，修改給定參數，寫入，等待並回讀確認。",
     "Reads the card, changes the given parameters, writes them, waits and reads back to confirm."},
    {Text::HelpApply, "把参数文件写入每块控制卡并逐一确认；控制卡自己的MAC地址始终保留。",
     "把參數文件寫入每塊控制卡並逐一確認；控制卡自己的MAC地址始終保留。",
     "Writes a profile to every card and confirms each; a card's own MAC address is always kept."},
    {Text::OptTimes, "搜索时间（秒），默认取 SysCfg.ini 的 SearchTimes。",
     "搜索時間（秒），默認取 SysCfg.ini 的 SearchTimes。",
     "Search time in seconds; default SearchTimes of SysCfg.ini."},
    {Text::OptLocal, "绑定的本机地址，默认与窗口相同。", "綁定的本機地址，默認與窗口相同。",
     "Local address to bind; default the window's."},
    {Text::OptFormat, "输出格式：%1。", "輸出格式：%1。", "Output format: %1."},
    {Text::OptLang, "信息语言：zh_CN、zh_TW 或 en，默认取环境变量。",
     "信息語言：zh_CN、zh_TW 或 en，默認取環境變量。",
     "Language of the messages: zh_CN, zh_TW or en; default from the environment."},
    {Text::OptByMac, "控制卡以MAC地址指定（固件54及以上）。",
     "控制卡以MAC地址指定（固件54及以上）。",
     "The card is named by its MAC address (firmware 54 and later)."},
    {Text::OptSet, "要修改的参数，可重复。", "要修改的參數，可重複。",
     "A parameter to change; may be repeated."},
    {Text::OptDryRun, "只显示将发送的数据报（十六进制），不发送任何数据。",
     "只顯示將發送的數據報（十六進制），不發送任何數據。",
     "Only print the datagram that would be sent, in hex; send nothing."},
    {Text::OptBase, "试运行时控制卡的当前参数（read --format json 的输出）。",
     "試運行時控制卡的當前參數（read --format json 的輸出）。",
     "For a dry run: the card's current values (what read --format json printed)."},
    {Text::OptTo, "要写入的控制卡（IP地址或MAC地址），可重复。",
     "要寫入的控制卡（IP地址或MAC地址），可重複。",
     "A card to write (an IP address or a MAC address); may be repeated."},
    {Text::OptIpFrom, "依次分配的第一个IP地址；掩码和网关取自参数文件。",
     "依次分配的第一個IP地址；掩碼和網關取自參數文件。",
     "First of a run of sequential IP addresses; mask and gateway from the profile."},
    {Text::OptParallel, "同时读取的控制卡数量上限。", "同時讀取的控制卡數量上限。",
     "How many cards are read at once at most."},
    {Text::OptTiming, "在标准错误上输出计时（JSON）。", "在標準錯誤上輸出計時（JSON）。",
     "Print timings to standard error (JSON)."},
    {Text::OptHelp, "显示本帮助。", "顯示本幫助。", "Show this help."},
    {Text::ArgCard, "控制卡：IP地址或MAC地址", "控制卡：IP地址或MAC地址",
     "the card: an IP address or a MAC address"},
    {Text::ArgProfile, "参数文件（read --format json 的输出）",
     "參數文件（read --format json 的輸出）", "the profile file (what read --format json printed)"},
}};

} // namespace

QString Tr(Text text, lang::LanguageId language) {
    const Row& row = kRows.at(static_cast<std::size_t>(text));
    switch (language) {
    case lang::LanguageId::SimplifiedChinese:
        return QString::fromUtf8(row.simplified);
    case lang::LanguageId::TraditionalChinese:
        return QString::fromUtf8(row.traditional);
    case lang::LanguageId::English:
        break;
    }
    return QString::fromUtf8(row.english);
}

std::optional<lang::LanguageId> ChooseLanguage(const QString& option, const QString& lcAll,
                                               const QString& lcMessages, const QString& lang) {
    const auto fromLocale = [](const QString& locale) {
        // "zh_TW.UTF-8", "zh_HK", "zh-tw": the region decides between the two scripts.
        const QString name = locale.section(u'.', 0, 0).section(u'@', 0, 0).toLower();
        if (!name.startsWith(u"zh")) {
            return lang::LanguageId::English;
        }
        const QString region = name.mid(3);
        return region == u"tw" || region == u"hk" || region == u"mo" || region == u"hant"
                   ? lang::LanguageId::TraditionalChinese
                   : lang::LanguageId::SimplifiedChinese;
    };
    if (!option.isEmpty()) {
        const QString name = option.toLower().replace(u'-', u'_');
        if (name == u"zh_cn" || name == u"zh") {
            return lang::LanguageId::SimplifiedChinese;
        }
        if (name == u"zh_tw" || name == u"zh_hk") {
            return lang::LanguageId::TraditionalChinese;
        }
        if (name == u"en" || name.startsWith(u"en_")) {
            return lang::LanguageId::English;
        }
        return std::nullopt;
    }
    // The POSIX order: LC_ALL over LC_MESSAGES over LANG; an empty one does not count.
    for (const QString* v : {&lcAll, &lcMessages, &lang}) {
        if (!v->isEmpty()) {
            return fromLocale(*v);
        }
    }
    return lang::LanguageId::English;
}

} // namespace ctl
