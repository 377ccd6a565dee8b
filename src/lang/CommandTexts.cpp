#include "lang/CommandTexts.h"

#include <array>

namespace lang {

namespace {

struct Row {
    CommandText id;
    std::string_view simplified;
    std::string_view traditional;
    std::string_view english;
};

// clang-format off
constexpr std::array<Row, static_cast<std::size_t>(CommandText::Count)> kRows{{
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
}};
// clang-format on

// The table is in the order of the enumeration, so a text is found by its number.
constexpr bool InOrder() {
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (static_cast<std::size_t>(kRows[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(InOrder(), "kRows must follow the order of CommandText");

} // namespace

std::string_view CommandTextOf(LanguageId language, CommandText text) {
    const auto index = static_cast<std::size_t>(text);
    if (index >= kRows.size()) {
        return {};
    }
    const Row& row = kRows[index];
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

} // namespace lang
