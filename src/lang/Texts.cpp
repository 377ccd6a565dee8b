#include "lang/Texts.h"

#include <array>

namespace lang {

namespace {

// One row per text: id, simplified, traditional, English. Rows follow the order of CtlText,
// CommandText, RefusalText, then SafetyText, so a text is found by its index.
// clang-format off
constexpr std::array<TextRow, kTextCount> kTexts{{
    // ledcardctl
    {CtlText::ColNumber, "序号", "序號", "No."},
    {CtlText::ColName, "设备名称", "設備名稱", "Name"},
    {CtlText::ColMac, "MAC地址", "MAC地址", "MAC"},
    {CtlText::ColIp, "IP地址", "IP地址", "IP"},
    {CtlText::ColFirmware, "固件版本", "韌體版本", "Firmware"},
    {CtlText::ColParameter, "参数", "參數", "Parameter"},
    {CtlText::ColValue, "值", "值", "Value"},
    {CtlText::ColCard, "控制卡", "控制卡", "Card"},
    {CtlText::ColNewIp, "新IP地址", "新IP地址", "New IP"},
    {CtlText::ColResult, "结果", "結果", "Result"},
    {CtlText::ColDetail, "说明", "說明", "Detail"},
    {CtlText::Confirmed, "已确认", "已確認", "confirmed"},
    {CtlText::NotConfirmed, "已写入，未确认", "已寫入，未確認", "written, not confirmed"},
    {CtlText::NoAnswer, "无应答，未写入", "無應答，未寫入", "no answer, not written"},
    {CtlText::Refused, "已拒绝，未写入", "已拒絕，未寫入", "refused, not written"},
    {CtlText::Cancelled, "写入前已停止，未写入", "寫入前已停止，未寫入", "stopped before writing, not written"},
    {CtlText::OtherValues, "控制卡回读的值不同：%1", "控制卡回讀的值不同：%1", "the card reads back other values: %1"},
    {CtlText::WrittenValue, "%1 为 %2（写入的是 %3）", "%1 為 %2（寫入的是 %3）", "%1 is %2 (written: %3)"},
    {CtlText::SilentAfterWrite, "写入后控制卡没有应答", "寫入後控制卡沒有應答", "the card did not answer after the write"},
    {CtlText::StoppedBeforeReadBack, "回读前已停止", "回讀前已停止", "stopped before the read-back"},
    {CtlText::CouldNotSend, "无法发送：%1", "無法發送：%1", "could not send: %1"},
    {CtlText::CardSilent, "控制卡没有应答读取请求", "控制卡沒有應答讀取請求", "the card did not answer the read"},
    {CtlText::SendUnresolvable, "地址无法解析", "地址無法解析", "the address cannot be resolved"},
    {CtlText::SendNotBound, "无法绑定本机地址（端口4400被占用，或地址不属于本机）", "無法繫結本機地址（端口4400被佔用，或地址不屬於本機）", "the local address cannot be bound (port 4400 is taken, or the address is not this machine's)"},
    {CtlText::SendSocketError, "系统拒绝了该数据报", "系統拒絕了該資料包", "the system refused the datagram"},
    {CtlText::SendTooLarge, "数据报过大", "資料包過大", "the datagram is too large"},
    {CtlText::SendIncomplete, "数据报未能完整发送", "資料包未能完整發送", "the datagram went out incomplete"},
    {CtlText::NoCardFound, "没有控制卡应答搜索。", "沒有控制卡應答搜索。", "No card answered the search."},
    {CtlText::SearchFailed, "搜索请求无法发送：%1", "搜索請求無法發送：%1", "The search request could not be sent: %1"},
    {CtlText::SharedAddress, "%1 块控制卡在 %2 应答：%3", "%1 塊控制卡在 %2 應答：%3", "%1 cards answer at %2: %3"},
    {CtlText::SharedAddressHint, "共用一个地址的控制卡无法按地址区分：请用MAC地址指定它们，或给每块控制卡分配各自的地址（apply --ip-from）。", "共用一個地址的控制卡無法按地址區分：請用MAC地址指定它們，或給每塊控制卡分配各自的地址（apply --ip-from）。", "Cards that share an address cannot be told apart by it: name them by MAC address, or give each its own address (apply --ip-from)."},
    {CtlText::ReadNoAnswer, "%1 没有应答。", "%1 沒有應答。", "%1 did not answer."},
    {CtlText::ReadFailed, "无法读取 %1：%2", "無法讀取 %1：%2", "Cannot read %1: %2"},
    {CtlText::Summary, "%1 块控制卡：已确认 %2，未确认 %3，无应答 %4，已拒绝 %5，已停止 %6", "%1 塊控制卡：已確認 %2，未確認 %3，無應答 %4，已拒絕 %5，已停止 %6", "%1 cards: %2 confirmed, %3 not confirmed, %4 no answer, %5 refused, %6 stopped"},
    {CtlText::Progress, "已完成 %1/%2，已写入 %3", "已完成 %1/%2，已寫入 %3", "%1/%2 done, %3 written"},
    {CtlText::Interrupted, "已按 Ctrl+C 停止：%2 块中已写入 %1 块，其余未写入。", "已按 Ctrl+C 停止：%2 塊中已寫入 %1 塊，其餘未寫入。", "Stopped by Ctrl+C: %1 of %2 cards written, the others not written."},
    {CtlText::DryRunLine, "%1：将向 %2 端口 %3 发送 %4 字节%5", "%1：將向 %2 端口 %3 發送 %4 位元組%5", "%1: would send %4 bytes to %2 port %3%5"},
    {CtlText::DryRunBroadcast, "（广播）", "（廣播）", " (broadcast)"},
    {CtlText::DryRunNothingSent, "试运行：没有发送任何数据。", "試執行：沒有發送任何資料。", "Dry run: nothing was sent."},
    {CtlText::UsageError, "参数错误：%1", "引數錯誤：%1", "Bad arguments: %1"},
    {CtlText::UnknownCommand, "未知命令：%1", "未知命令：%1", "Unknown command: %1"},
    {CtlText::NoCommand, "请指定命令：search、read、write、apply、restore 或 journal。", "請指定命令：search、read、write、apply、restore 或 journal。", "Name a command: search, read, write, apply, restore or journal."},
    {CtlText::MissingCard, "请指定控制卡：IP地址或MAC地址。", "請指定控制卡：IP地址或MAC地址。", "Name the card: an IP address or a MAC address."},
    {CtlText::ExtraArgument, "多余的参数：%1", "多餘的引數：%1", "Unexpected argument: %1"},
    {CtlText::BadCard, "%1 既不是IP地址也不是MAC地址。", "%1 既不是IP地址也不是MAC地址。", "%1 is neither an IP address nor a MAC address."},
    {CtlText::NotAMac, "%1 不是MAC地址。", "%1 不是MAC地址。", "%1 is not a MAC address."},
    {CtlText::DuplicateCard, "控制卡 %1 被指定了两次。", "控制卡 %1 被指定了兩次。", "The card %1 is named twice."},
    {CtlText::BadFormat, "--format：%1 不是 %2 之一。", "--format：%1 不是 %2 之一。", "--format: %1 is not one of %2."},
    {CtlText::BadNumber, "%1：%2 不是不小于 %3 的整数。", "%1：%2 不是不小於 %3 的整數。", "%1: %2 is not a whole number of at least %3."},
    {CtlText::BadLocal, "--local：%1 不是IPv4地址。", "--local：%1 不是IPv4地址。", "--local: %1 is not an IPv4 address."},
    {CtlText::BadLanguage, "--lang：%1 不是 zh_CN、zh_TW 或 en。", "--lang：%1 不是 zh_CN、zh_TW 或 en。", "--lang: %1 is not zh_CN, zh_TW or en."},
    {CtlText::BadIpFrom, "--ip-from：%1 不是IPv4地址。", "--ip-from：%1 不是IPv4地址。", "--ip-from: %1 is not an IPv4 address."},
    {CtlText::IpRunBadAddress, "--ip-from：从 %1 起的 %2 个地址包含 %3，它是子网 %4 的网络地址或广播地址。", "--ip-from：從 %1 起的 %2 個地址包含 %3，它是子網 %4 的網絡地址或廣播地址。", "--ip-from: the %2 addresses from %1 include %3, the network or broadcast address of the subnet %4."},
    {CtlText::IpRunOverflow, "--ip-from：从 %1 起没有 %2 个地址。", "--ip-from：從 %1 起沒有 %2 個地址。", "--ip-from: there are not %2 addresses from %1 on."},
    {CtlText::NoSetting, "请用 --set 名称=值 指定要修改的参数。", "請用 --set 名稱=值 指定要修改的參數。", "Name the parameters to change with --set NAME=VALUE."},
    {CtlText::NoTargets, "请用 --to 指定至少一块控制卡。", "請用 --to 指定至少一塊控制卡。", "Name at least one card with --to."},
    {CtlText::MissingProfile, "请指定参数文件。", "請指定參數檔案。", "Name the profile file."},
    {CtlText::CannotReadFile, "%1：无法读取：%2", "%1：無法讀取：%2", "%1: cannot be read: %2"},
    {CtlText::HelpSummary, "ledcardctl：搜索、读取、写入和批量配置LED显示屏控制卡。", "ledcardctl：搜索、讀取、寫入和批次設定LED顯示屏控制卡。", "ledcardctl: search, read, write and configure many LED display controller cards."},
    {CtlText::HelpCommands, "命令：", "命令：", "Commands:"},
    {CtlText::HelpSearchCmd, "搜索网络中的控制卡", "搜索網絡中的控制卡", "find the cards on the network"},
    {CtlText::HelpReadCmd, "读取一块控制卡的全部参数", "讀取一塊控制卡的全部參數", "read every parameter of one card"},
    {CtlText::HelpWriteCmd, "修改一块控制卡的参数并确认", "修改一塊控制卡的參數並確認", "change parameters of one card and confirm"},
    {CtlText::HelpApplyCmd, "把参数文件写入多块控制卡并逐一确认", "把參數檔案寫入多塊控制卡並逐一確認", "write a profile to many cards and confirm each"},
    {CtlText::HelpMore, "各命令的说明：ledcardctl 命令 --help", "各命令的說明：ledcardctl 命令 --help", "Help on a command: ledcardctl COMMAND --help"},
    {CtlText::HelpExit, "退出状态：0 全部已确认；2 发送前已拒绝；3 已发送但至少一块未确认；4 无应答；130 被 Ctrl+C 停止。", "退出狀態：0 全部已確認；2 發送前已拒絕；3 已發送但至少一塊未確認；4 無應答；130 被 Ctrl+C 停止。", "Exit status: 0 all confirmed; 2 refused before sending; 3 sent but not confirmed for at least one card; 4 no answer; 130 stopped by Ctrl+C."},
    {CtlText::HelpSearch, "搜索一次，与窗口的搜索相同，按应答顺序列出控制卡。", "搜索一次，與視窗的搜索相同，按應答順序列出控制卡。", "Searches once as the window does and lists the cards in the order they answered."},
    {CtlText::HelpRead, "读取一块控制卡（IP地址或MAC地址）并列出全部参数。", "讀取一塊控制卡（IP地址或MAC地址）並列出全部參數。", "Reads one card (an IP address or a MAC address) and lists every parameter."},
    {CtlText::HelpWrite, "读取控制卡，修改给定参数，对照搜索到的控制卡检查，备份后写入，等待并回读确认。", "讀取控制卡，修改給定參數，對照搜索到的控制卡檢查，備份後寫入，等待並回讀確認。", "Reads the card, changes the given parameters, checks them against the cards a search found, backs the card up, writes, waits and reads back to confirm."},
    {CtlText::HelpApply, "把参数文件写入每块控制卡并逐一确认；控制卡自己的MAC地址始终保留。", "把參數檔案寫入每塊控制卡並逐一確認；控制卡自己的MAC地址始終保留。", "Writes a profile to every card and confirms each; a card's own MAC address is always kept."},
    {CtlText::OptTimes, "搜索时间（秒），默认取 SysCfg.ini 的 SearchTimes。", "搜索時間（秒），預設取 SysCfg.ini 的 SearchTimes。", "Search time in seconds; default SearchTimes of SysCfg.ini."},
    {CtlText::OptLocal, "绑定的本机地址，默认与窗口相同。", "繫結的本機地址，預設與視窗相同。", "Local address to bind; default the window's."},
    {CtlText::OptFormat, "输出格式：%1。", "輸出格式：%1。", "Output format: %1."},
    {CtlText::OptLang, "信息语言：zh_CN、zh_TW 或 en，默认取环境变量。", "訊息語言：zh_CN、zh_TW 或 en，預設取環境變數。", "Language of the messages: zh_CN, zh_TW or en; default from the environment."},
    {CtlText::OptByMac, "控制卡以MAC地址指定（固件54及以上）。", "控制卡以MAC地址指定（韌體54及以上）。", "The card is named by its MAC address (firmware 54 and later)."},
    {CtlText::OptSet, "要修改的参数，可重复。", "要修改的參數，可重複。", "A parameter to change; may be repeated."},
    {CtlText::OptDryRun, "读取控制卡、执行检查并列出将改变的参数，不写入任何控制卡。", "讀取控制卡、執行檢查並列出將改變的參數，不寫入任何控制卡。", "Read the cards, run the checks and print what would change; write nothing."},
    {CtlText::OptBase, "无控制卡的试运行：控制卡的当前参数取自文件（read --format json 的输出）。", "無控制卡的試執行：控制卡的目前參數取自檔案（read --format json 的輸出）。", "For a dry run without cards: their current values from a file (what read --format json printed)."},
    {CtlText::OptTo, "要写入的控制卡（IP地址或MAC地址），可重复。", "要寫入的控制卡（IP地址或MAC地址），可重複。", "A card to write (an IP address or a MAC address); may be repeated."},
    {CtlText::OptIpFrom, "依次分配的第一个IP地址；掩码和网关取自参数文件。", "依次分配的第一個IP地址；掩碼和網關取自參數檔案。", "First of a run of sequential IP addresses; mask and gateway from the profile."},
    {CtlText::OptParallel, "同时读取的控制卡数量上限。", "同時讀取的控制卡數量上限。", "How many cards are read at once at most."},
    {CtlText::OptTiming, "在标准错误上输出计时（JSON）。", "在標準錯誤上輸出計時（JSON）。", "Print timings to standard error (JSON)."},
    {CtlText::OptHelp, "显示本帮助。", "顯示本幫助。", "Show this help."},
    {CtlText::ArgCard, "控制卡：IP地址或MAC地址", "控制卡：IP地址或MAC地址", "the card: an IP address or a MAC address"},
    {CtlText::ArgProfile, "参数文件（read --format json 的输出）", "參數檔案（read --format json 的輸出）", "the profile file (what read --format json printed)"},
    {CtlText::Held, "已拦下，未写入", "已攔下，未寫入", "held back, not written"},
    {CtlText::NotChecked, "--no-search：未先搜索，没有检查其他控制卡已占用的地址。", "--no-search：未先搜索，沒有檢查其他控制卡已佔用的地址。", "--no-search: no search first, so addresses that other cards hold were not checked."},
    {CtlText::ChecksRefuse, "没有写入任何控制卡：检查拒绝了本次写入：", "沒有寫入任何控制卡：檢查拒絕了本次寫入：", "No card was written: the checks refuse this run:"},
    {CtlText::ChecksWouldRefuse, "检查将拒绝本次写入：", "檢查將拒絕本次寫入：", "The checks would refuse this run:"},
    {CtlText::ChecksWarn, "仍然写入（--allow-other-subnet）：", "仍然寫入（--allow-other-subnet）：", "Written all the same (--allow-other-subnet):"},
    {CtlText::AllowOtherSubnetHint, "固件54及以上、新地址在本机子网之外的控制卡可用 --allow-other-subnet 放行。", "韌體54及以上、新地址在本機子網之外的控制卡可用 --allow-other-subnet 放行。", "--allow-other-subnet lets cards of firmware 54 and later through to an address outside the local subnet."},
    {CtlText::JournalFailed, "%1写入继续进行，每块控制卡写入前都已备份。", "%1寫入繼續進行，每塊控制卡寫入前都已備份。", "%1 The writes go on; each card is backed up before it is written."},
    {CtlText::RecordsKept, "备份位于 %1，日志为 %2", "備份位於 %1，日誌為 %2", "Backups in %1, journal %2"},
    {CtlText::Searching, "正在搜索控制卡……", "正在搜索控制卡……", "Searching for the cards..."},
    {CtlText::InterruptedBeforeSending, "搜索中已按 Ctrl+C 停止：没有写入任何控制卡。", "搜索中已按 Ctrl+C 停止：沒有寫入任何控制卡。", "Stopped by Ctrl+C during the search: no card was written."},
    {CtlText::CardsShareAddress, "指定的多块控制卡都在 %1 应答，且按该地址读取（固件低于54）：无法区分它们。", "指定的多塊控制卡都在 %1 應答，且按該地址讀取（韌體低於54）：無法區分它們。", "Several of the cards answer at %1 and are read by that address (firmware below 54): they cannot be told apart."},
    {CtlText::DryRunCard, "%1（MAC地址 %2，IP地址 %3）：", "%1（MAC地址 %2，IP地址 %3）：", "%1 (MAC %2, IP %3):"},
    {CtlText::DryRunNoChange, "没有参数会改变", "沒有參數會改變", "nothing would change"},
    {CtlText::HexNeedsDryRun, "--hex 输出试运行的数据报：请同时指定 --dry-run。", "--hex 輸出試執行的資料包：請同時指定 --dry-run。", "--hex prints the datagrams of a dry run: give --dry-run too."},
    {CtlText::BaseNeedsDryRun, "--base 只用于试运行：请同时指定 --dry-run。", "--base 只用於試執行：請同時指定 --dry-run。", "--base is for a dry run: give --dry-run too."},
    {CtlText::ToFoundAlone, "--to-found 使用搜索到的全部控制卡：不要再指定其他控制卡。", "--to-found 使用搜索到的全部控制卡：不要再指定其他控制卡。", "--to-found takes every card the search finds: name no other card."},
    {CtlText::ToFoundNeedsSearch, "--to-found 使用搜索到的控制卡：不能与 --no-search 或 --base 同时使用。", "--to-found 使用搜索到的控制卡：不能與 --no-search 或 --base 同時使用。", "--to-found takes the cards of the search: it cannot go with --no-search or --base."},
    {CtlText::CardFileBadEntry, "%1:%2：%3 既不是IP地址也不是MAC地址。", "%1:%2：%3 既不是IP地址也不是MAC地址。", "%1:%2: %3 is neither an IP address nor a MAC address."},
    {CtlText::CardFileNotJson, "%1:%2：不是 search --format json 输出的控制卡列表。", "%1:%2：不是 search --format json 輸出的控制卡清單。", "%1:%2: not a list of cards as search --format json prints it."},
    {CtlText::CardFileBadItem, "%1：第 %2 块控制卡既没有可用的MAC地址也没有可用的IP地址。", "%1：第 %2 塊控制卡既沒有可用的MAC地址也沒有可用的IP地址。", "%1: card %2 has neither a usable MAC address nor a usable IP address."},
    {CtlText::CardFileEmpty, "%1 没有指定任何控制卡。", "%1 沒有指定任何控制卡。", "%1 names no card."},
    {CtlText::MissingBackup, "请指定备份：备份所在的目录或备份文件。", "請指定備份：備份所在的目錄或備份檔案。", "Name the backups: backup folders or files."},
    {CtlText::BackupTwice, "%1 的备份被指定了两次：%2 和 %3。", "%1 的備份被指定了兩次：%2 和 %3。", "The backup of %1 is given twice: %2 and %3."},
    {CtlText::NoBackups, "没有可恢复的备份。", "沒有可恢復的備份。", "No backup to restore."},
    {CtlText::BackupCardNotFound, "%1：MAC地址为 %2 的控制卡没有应答搜索，未恢复。", "%1：MAC地址為 %2 的控制卡沒有應答搜索，未恢復。", "%1: no card with the MAC address %2 answered the search; not restored."},
    {CtlText::RestoreOtherCard, "应答的控制卡是 %1，而不是备份 %3 中的 %2", "應答的控制卡是 %1，而不是備份 %3 中的 %2", "the card that answers is %1, not %2 of the backup %3"},
    {CtlText::HelpRestoreCmd, "把备份写回各自的控制卡并逐一确认", "把備份寫回各自的控制卡並逐一確認", "write backups back to their cards and confirm each"},
    {CtlText::HelpJournalCmd, "列出日志中记录的写入", "列出日誌中記錄的寫入", "list the writes the journal records"},
    {CtlText::HelpRestore, "把每个备份（备份所在的目录或单个备份文件）写回搜索中按MAC地址找到的控制卡，包括网络参数，并像 apply 一样逐一确认。", "把每個備份（備份所在的目錄或單個備份檔案）寫回搜索中按MAC地址找到的控制卡，包括網絡參數，並像 apply 一樣逐一確認。", "Writes each backup (a backup folder or single files) back to its card, found by its MAC address in a search, network values included, and confirms each as apply does."},
    {CtlText::HelpJournal, "列出日志中记录的每次写入（来自窗口或 ledcardctl）及其结果。", "列出日誌中記錄的每次寫入（來自視窗或 ledcardctl）及其結果。", "Lists every write the journal records, from the window or from ledcardctl, with how it ended."},
    {CtlText::OptSince, "只列出此日期或时间之后的写入（2026-12-09 或 2026-12-09T14:30）。", "只列出此日期或時間之後的寫入（2026-12-09 或 2026-12-09T14:30）。", "Only the writes from this date or time on (2026-12-09 or 2026-12-09T14:30)."},
    {CtlText::OptCard, "只列出写入此MAC地址的控制卡的记录。", "只列出寫入此MAC地址的控制卡的記錄。", "Only the writes to the card with this MAC address."},
    {CtlText::BadSince, "--since：%1 不是日期（2026-12-09）或日期和时间（2026-12-09T14:30）。", "--since：%1 不是日期（2026-12-09）或日期和時間（2026-12-09T14:30）。", "--since: %1 is not a date (2026-12-09) or a date and time (2026-12-09T14:30)."},
    {CtlText::JournalBadLine, "%1:%2：不是完整的日志行，已跳过。", "%1:%2：不是完整的日誌行，已跳過。", "%1:%2: not a complete journal line; skipped."},
    {CtlText::JournalNothing, "日志 %1 中没有写入记录。", "日誌 %1 中沒有寫入記錄。", "The journal %1 records no write."},
    {CtlText::JournalNoAnswer, "无法发送", "無法發送", "could not be sent"},
    {CtlText::JournalCancelled, "已写入，回读前已停止", "已寫入，回讀前已停止", "written, stopped before the read-back"},
    {CtlText::JournalStopped, "已发送，程序在得知结果前已停止", "已發送，程式在得知結果前已停止", "sent; the program stopped before the outcome"},
    {CtlText::ColTime, "时间", "時間", "Time"},
    {CtlText::ColProgram, "程序", "程式", "Program"},
    {CtlText::ColChanges, "修改", "修改", "Changes"},
    {CtlText::OptToFile, "从文件读取要写入的控制卡：每行一块，或 search --format json 或 csv 的输出。", "從檔案讀取要寫入的控制卡：每行一塊，或 search --format json 或 csv 的輸出。", "The cards to write from a file: one a line, or what search --format json or csv printed."},
    {CtlText::OptToFound, "写入搜索到的全部控制卡。", "寫入搜索到的全部控制卡。", "Write every card the search finds."},
    {CtlText::OptSearchTimes, "写入前搜索的时间（秒），默认取 SysCfg.ini 的 SearchTimes。", "寫入前搜索的時間（秒），預設取 SysCfg.ini 的 SearchTimes。", "Search time in seconds of the search before the writes; default SearchTimes of SysCfg.ini."},
    {CtlText::OptNoSearch, "不先搜索：不检查其他控制卡已占用的地址。", "不先搜索：不檢查其他控制卡已佔用的地址。", "No search first: addresses that other cards hold are not checked."},
    {CtlText::OptAllowOtherSubnet, "允许固件54及以上的控制卡使用本机子网之外的地址。", "允許韌體54及以上的控制卡使用本機子網之外的地址。", "Let cards of firmware 54 and later take an address outside the local subnet."},
    {CtlText::OptHex, "与 --dry-run 同用：同时以十六进制输出将发送的数据报。", "與 --dry-run 同用：同時以十六進位輸出將發送的資料包。", "With --dry-run: print the datagrams that would be sent, in hex, too."},
    // the window's many-card commands
    {CommandText::ManyCardsMenu, "多卡(&M)", "多卡(&M)", "Many cards(&M)"},
    {CommandText::ExportList, "导出设备列表...", "匯出設備列表...", "Export list..."},
    {CommandText::SaveParameters, "保存参数...", "儲存參數...", "Save parameters..."},
    {CommandText::LoadParameters, "载入参数...", "載入參數...", "Load parameters..."},
    {CommandText::WriteSeveralCards, "写入多张控制卡...", "寫入多張控制卡...", "Write to several cards..."},
    {CommandText::CsvFiles, "CSV文件 (*.csv)", "CSV檔案 (*.csv)", "CSV files (*.csv)"},
    {CommandText::ParameterFiles, "参数文件 (*.json)", "參數檔案 (*.json)", "Parameter files (*.json)"},
    {CommandText::CannotWrite, "无法写入文件：%1", "無法寫入檔案：%1", "Cannot write the file %1"},
    {CommandText::CannotRead, "无法读取文件：%1", "無法讀取檔案：%1", "Cannot read the file %1"},
    {CommandText::NothingRead, "尚未读取控制卡的参数，请先选择一张控制卡。", "尚未讀取控制卡的參數，請先選擇一張控制卡。", "No card has been read yet: choose a card first."},
    {CommandText::BatchTitle, "写入多张控制卡", "寫入多張控制卡", "Write to several cards"},
    {CommandText::ParameterSource, "写入主窗口中显示的参数。", "寫入主視窗中顯示的參數。", "Writes the parameters shown in the main window."},
    {CommandText::SequentialFrom, "顺序IP地址，起始地址", "順序IP地址，起始地址", "Sequential IP addresses from"},
    {CommandText::Start, "开始", "開始", "Start"},
    {CommandText::Cancel, "取消", "取消", "Cancel"},
    {CommandText::Close, "关闭", "關閉", "Close"},
    {CommandText::ExportResults, "导出结果...", "匯出結果...", "Export results..."},
    {CommandText::StateColumn, "状态", "狀態", "State"},
    {CommandText::NewIpColumn, "新IP地址", "新IP地址", "New IP address"},
    {CommandText::StateWaiting, "等待", "等待", "Waiting"},
    {CommandText::StateSent, "已发送", "已發送", "Sent"},
    {CommandText::StateConfirmed, "已确认", "已確認", "Confirmed"},
    {CommandText::StateNotConfirmed, "未确认", "未確認", "Not confirmed"},
    {CommandText::StateNoAnswer, "无应答", "無應答", "No answer"},
    {CommandText::StateRefused, "已拒绝", "已拒絕", "Refused"},
    {CommandText::StateNotWritten, "未写入", "未寫入", "Not written"},
    {CommandText::Summary, "%1张控制卡：%2张已确认，%3张未确认，%4张无应答，%5张已拒绝，%6张未写入。", "%1張控制卡：%2張已確認，%3張未確認，%4張無應答，%5張已拒絕，%6張未寫入。", "%1 cards: %2 confirmed, %3 not confirmed, %4 no answer, %5 refused, %6 not written."},
    {CommandText::Cancelled, "已取消。", "已取消。", "Cancelled."},
    {CommandText::NoCardTicked, "请至少勾选一张控制卡。", "請至少勾選一張控制卡。", "Tick at least one card."},
    {CommandText::BadStartAddress, "起始地址不是有效的IP地址：%1", "起始地址不是有效的IP地址：%1", "The start address is not a valid IP address: %1"},
    {CommandText::AddressesRunOut, "从%1开始的地址不够%2张控制卡使用。", "從%1開始的地址不夠%2張控制卡使用。", "The addresses from %1 run out before %2 cards."},
    {CommandText::AddressNotForCards, "从%1开始给%2张控制卡的地址包含%3，它是子网%4的网络地址或广播地址。", "從%1開始給%2張控制卡的地址包含%3，它是子網%4的網絡地址或廣播地址。", "The addresses from %1 for %2 cards include %3, the network or broadcast address of the subnet %4."},
    {CommandText::SharedAddressTip, "以下设备也使用IP地址 %1：", "以下設備也使用IP地址 %1：", "Also at %1:"},
    {CommandText::SharedAddressMore, "……以及另外 %1 个设备", "……以及另外 %1 個設備", "… and %1 more"},
    {CommandText::SharedAddressHint, "共用一个地址的设备无法按地址区分，请给每个设备分配各自的地址。", "共用一個地址的設備無法按地址區分，請給每個設備分配各自的地址。", "Cards that share an address cannot be told apart by it: give each its own address."},
    {CommandText::RestoreBackup, "从备份恢复...", "從備份恢復...", "Restore from backup..."},
    {CommandText::RestoreSource, "写回%1中保存的参数。", "寫回%1中儲存的參數。", "Writes back the parameters saved in %1."},
    {CommandText::BackupsSkipped, "以下备份已跳过：", "以下備份已跳過：", "These backups were left out:"},
    {CommandText::StateNotFound, "未找到", "未找到", "Not found"},
    {CommandText::NotFoundTip, "设备列表中没有MAC地址为%1的控制卡，请先搜索设备。", "設備列表中沒有MAC地址為%1的控制卡，請先搜索設備。", "No card of the device list has the MAC address %1: search for devices first."},
    {CommandText::ChecksFound, "写入前的检查发现：", "寫入前的檢查發現：", "The checks before writing found:"},
    {CommandText::ChecksRefuseRun, "写入前的检查拒绝了这次写入，没有发送任何数据：", "寫入前的檢查拒絕了這次寫入，沒有發送任何資料：", "The checks before writing refuse this run; nothing was sent:"},
    {CommandText::ChecksMore, "……以及另外%1条，见表格。", "……以及另外%1條，見表格。", "… and %1 more, shown in the table."},
    {CommandText::WriteAnyway, "仍要写入吗？", "仍要寫入嗎？", "Write anyway?"},
    {CommandText::NoReadToBackUp, "尚未读取这张控制卡，因此无法保存它的备份。", "尚未讀取這張控制卡，因此無法儲存它的備份。", "This card has not been read, so no backup of it can be saved."},
    {CommandText::WriteNotSent, "写入未发送。", "寫入未發送。", "The write was not sent."},
    {CommandText::RecordsFailed, "以下备份或日志无法写入：", "以下備份或日誌無法寫入：", "These backups or journal lines could not be written:"},
    {CommandText::PlanKeepsAddresses, "IP地址、子网掩码和网关保持不变。", "IP地址、子網掩碼和網關保持不變。", "Its IP address, subnet mask and gateway stay as they are."},
    {CommandText::ChangesOnCard, "这张控制卡上将改变的参数：", "這張控制卡上將改變的參數：", "What changes on this card:"},
    {CommandText::NoChangesOnCard, "这张控制卡上没有参数改变。", "這張控制卡上沒有參數改變。", "Nothing changes on this card."},
    {CommandText::AnswerYes, "是(&Y)", "是(&Y)", "&Yes"},
    {CommandText::AnswerNo, "否(&N)", "否(&N)", "&No"},
    {CommandText::FilterLabel, "筛选：", "篩選：", "Filter:"},
    {CommandText::FilterHint, "名称、MAC地址或IP地址", "名稱、MAC地址或IP地址", "Name, MAC or IP address"},
    {CommandText::SelectAll, "全选", "全選", "Select all"},
    {CommandText::SelectNone, "全不选", "全不選", "Select none"},
    {CommandText::InvertTicks, "反选", "反選", "Invert"},
    {CommandText::TickedCount, "已勾选%1张，共%2张控制卡", "已勾選%1張，共%2張控制卡", "%1 of %2 cards ticked"},
    {CommandText::TickedHidden, "已勾选%1张，共%2张控制卡，其中%3张被筛选隐藏", "已勾選%1張，共%2張控制卡，其中%3張被篩選隱藏", "%1 of %2 cards ticked, %3 of them hidden by the filter"},
    {CommandText::RunCounters, "已发送 %1 · 已确认 %2 · 未确认 %3 · 无应答 %4 · 已拒绝 %5", "已發送 %1 · 已確認 %2 · 未確認 %3 · 無應答 %4 · 已拒絕 %5", "Sent %1 · confirmed %2 · not confirmed %3 · no answer %4 · refused %5"},
    {CommandText::CardListName, "控制卡列表", "控制卡清單", "Cards"},
    {CommandText::ShortcutTip, "%1（%2）", "%1（%2）", "%1 (%2)"},
    // refusals of profiles, changes and field values
    {RefusalText::ExpectText, "应为文本", "應為文字", "expected a text"},
    {RefusalText::ExpectObject, "应为JSON对象", "應為JSON物件", "expected a JSON object"},
    {RefusalText::ExpectNumber, "应为数字或由数字组成的文本", "應為數字或由數字組成的文字", "expected a number or a text of digits"},
    {RefusalText::ExpectAddress, "应为点分十进制的IPv4地址文本", "應為點分十進位的IPv4地址文字", "expected an IPv4 address as a text"},
    {RefusalText::ExpectEntry, "应为项的文本、位置或{\"text\", \"position\"}对象", "應為項目的文字、位置或{\"text\", \"position\"}物件", "expected an entry's text, its position or a {\"text\", \"position\"} object"},
    {RefusalText::NotJson, "不是JSON文档", "不是JSON文件", "not a JSON document"},
    {RefusalText::NotAProfile, "不是参数配置文件：\"format\"应为\"ledcardctl-profile\"", "不是參數設定檔案：\"format\"應為\"ledcardctl-profile\"", "not a parameter profile: \"format\" must be \"ledcardctl-profile\""},
    {RefusalText::UnsupportedVersion, "不支持版本“%1”，本程序读取版本1", "不支援版本「%1」，本程式讀取版本1", "version \"%1\" is not supported; this program reads version 1"},
    {RefusalText::UnknownKey, "未知的键", "未知的鍵", "unknown key"},
    {RefusalText::UnknownParameter, "没有这个名称的参数", "沒有這個名稱的參數", "no parameter has this name"},
    {RefusalText::UnknownValue, "“%1”不是此列表中的项", "「%1」不是此清單中的項目", "\"%1\" is no entry of this list"},
    {RefusalText::PositionOutOfRange, "位置“%1”超出范围：该列表共有%2项（#0到#%3）", "位置「%1」超出範圍：該清單共有%2項（#0到#%3）", "position \"%1\" is out of range: the list has %2 entries (#0 to #%3)"},
    {RefusalText::NotWholeNumber, "“%1”不是整数", "「%1」不是整數", "\"%1\" is not a whole number"},
    {RefusalText::BadAddress, "“%1”不是由四个0到255的数字组成的IPv4地址", "「%1」不是由四個0到255的數字組成的IPv4地址", "\"%1\" is not an IPv4 address of four numbers from 0 to 255"},
    {RefusalText::ReadOnly, "这是从控制卡读取的值，不能设置", "這是從控制卡讀取的值，不能設定", "this value is read from the card and cannot be set"},
    {RefusalText::NotForCard, "只有DHCP为1的控制卡才有此参数", "只有DHCP為1的控制卡才有此參數", "only cards with DHCP set to 1 hold this parameter"},
    {RefusalText::NoAssignment, "“%1”不是NAME=VALUE的形式", "「%1」不是NAME=VALUE的形式", "\"%1\" is not of the form NAME=VALUE"},
    {RefusalText::NotUtf8, "不是UTF-8文本", "不是UTF-8文字", "not UTF-8 text"},
    {RefusalText::EntryMismatch, "“%1”不是位置%2的项", "「%1」不是位置%2的項目", "\"%1\" is not the entry at position %2"},
    {RefusalText::NoEntryChosen, "未选择任何项", "未選擇任何項目", "no entry is chosen"},
    {RefusalText::NoValue, "没有值", "沒有值", "no value"},
    {RefusalText::DnsIncomplete, "手工配置DNS时需要全部四个数字", "手工設定DNS時需要全部四個數字", "all four numbers are needed when the DNS is set by hand"},
    {RefusalText::DomainNotAscii, "域名只能包含ASCII字符，其他文字的域名请使用“xn--”形式", "域名只能包含ASCII字元，其他文字的域名請使用「xn--」形式", "the name must be in ASCII letters; give a name in other letters in its \"xn--\" form"},
    {RefusalText::DomainTooLong, "域名不能超过63个字符", "域名不能超過63個字元", "the name must not be longer than 63 characters"},
    {RefusalText::ValueRange, "数值必须在%1到%2之间", "數值必須在%1到%2之間", "the value must be between %1 and %2"},
    // the checks before a write, the backups and the journal
    {SafetyText::HeldByOtherCard, "%1 已是 %2 的地址", "%1 已是 %2 的地址", "%1 is already the address of %2"},
    {SafetyText::SameNewIpInRun, "本次写入中 %2 也将获得 %1", "本次寫入中 %2 也將獲得 %1", "%2 is given %1 in this run as well"},
    {SafetyText::NetworkAddress, "%1 是子网 %2 的网络地址", "%1 是子網 %2 的網絡地址", "%1 is the network address of the subnet %2"},
    {SafetyText::BroadcastAddress, "%1 是子网 %2 的广播地址", "%1 是子網 %2 的廣播地址", "%1 is the broadcast address of the subnet %2"},
    {SafetyText::UnusableAddress, "控制卡不能使用 %1：0.0.0.0、127.0.0.0/8 以及 224.0.0.0 及以上的地址都不能分配给控制卡", "控制卡不能使用 %1：0.0.0.0、127.0.0.0/8 以及 224.0.0.0 及以上的地址都不能分配給控制卡", "no card can use %1: 0.0.0.0, 127.0.0.0/8 and the addresses from 224.0.0.0 on are not for cards"},
    {SafetyText::MaskNotContiguous, "%1 不是有效的子网掩码：其中为1的位不连续", "%1 不是有效的子網掩碼：其中為1的位不連續", "%1 is no subnet mask: its one-bits are not contiguous"},
    {SafetyText::GatewayOutsideSubnet, "网关 %1 不在控制卡的新子网 %2 内", "網關 %1 不在控制卡的新子網 %2 內", "the gateway %1 is outside the card's new subnet %2"},
    {SafetyText::OutsideLocalUnreachable, "%1 不在本机的任何子网内（%2）：固件低于54的控制卡按IP地址读写，写入后将无法再访问", "%1 不在本機的任何子網內（%2）：韌體低於54的控制卡按IP地址讀寫，寫入後將無法再訪問", "%1 is in none of this computer's subnets (%2): a card of firmware below 54 is read and written by its IP and could not be reached again"},
    {SafetyText::OutsideLocalWarning, "%1 不在本机的任何子网内（%2）：控制卡仍可按MAC地址访问，但本机无法按IP地址访问", "%1 不在本機的任何子網內（%2）：控制卡仍可按MAC地址訪問，但本機無法按IP地址訪問", "%1 is in none of this computer's subnets (%2): the card stays reachable by its MAC address, but not by its IP from here"},
    {SafetyText::BackupFolderNotMade, "无法建立备份目录 %1。", "無法建立備份目錄 %1。", "Cannot make the backup folder %1."},
    {SafetyText::BackupNotSaved, "无法保存备份 %1：%2。", "無法儲存備份 %1：%2。", "Cannot save the backup %1: %2."},
    {SafetyText::JournalNotWritten, "无法写入日志 %1：%2。", "無法寫入日誌 %1：%2。", "Cannot write to the journal %1: %2."},
    {SafetyText::JournalNotRead, "无法读取日志 %1：%2。", "無法讀取日誌 %1：%2。", "Cannot read the journal %1: %2."},
    {SafetyText::BackupNotRead, "无法读取备份 %1：%2。", "無法讀取備份 %1：%2。", "Cannot read the backup %1: %2."},
    {SafetyText::BackupFolderNotRead, "无法读取备份目录 %1。", "無法讀取備份目錄 %1。", "Cannot read the backup folder %1."},
    {SafetyText::BackupFolderEmpty, "备份目录 %1 中没有备份（*.json）。", "備份目錄 %1 中沒有備份（*.json）。", "The backup folder %1 holds no backup (*.json)."},
}};
// clang-format on

constexpr bool InOrder() {
    for (std::size_t i = 0; i < kTexts.size(); ++i) {
        if (kTexts[i].id.Index() != i) {
            return false;
        }
    }
    return true;
}
static_assert(InOrder(),
              "kTexts must follow the order of CtlText, CommandText, RefusalText and SafetyText");

} // namespace

std::span<const TextRow> AllTexts() {
    return kTexts;
}

std::string_view TextOf(LanguageId language, TextKey text) {
    if (text.Index() >= kTexts.size()) {
        return {};
    }
    const TextRow& row = kTexts[text.Index()];
    switch (language) {
    case LanguageId::SimplifiedChinese:
        return row.simplified;
    case LanguageId::TraditionalChinese:
        return row.traditional;
    case LanguageId::English:
        break;
    }
    return row.english;
}

std::string FillIn(std::string_view text, std::initializer_list<std::string_view> values) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool placeholder =
            text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9';
        const auto n = placeholder ? static_cast<std::size_t>(text[i + 1] - '1') : 0;
        if (placeholder && n < values.size()) {
            out += *(values.begin() + n);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace lang
