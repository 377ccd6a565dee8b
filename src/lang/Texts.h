// The texts outside the catalogue: ledcardctl's messages, the window's many-card commands, the
// refusals of profiles, changes and writes, and the checks and records of a write, in one table
// (Texts.cpp) of rows with an id and the simplified, traditional and English text, UTF-8. "%1",
// "%2", ... stand for values.
//
// The traditional texts follow Taiwan usage (檔案, 儲存, 匯出, 視窗, 預設, 韌體, 資料, 程式,
// 支援, 字元, 物件, 文字, 清單, 「」 quotes). A thing the window's catalogue already names keeps
// the catalogue's word, so a message and the captions beside it agree: 地址 (IP地址, MAC地址),
// 設備, 搜索, 網絡, 端口, 網關, 域名, 發送. TextsTest holds every row to that convention.
#pragma once

#include "lang/Catalogue.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace lang {

// ledcardctl's messages; ctl::Text names them. Parameter names, JSON keys and the outcome words
// of the JSON output are not messages: they stay as they are for scripts.
enum class CtlText : std::uint8_t {
    ColNumber,
    ColName,
    ColMac,
    ColIp,
    ColFirmware,
    ColParameter,
    ColValue,
    ColCard,
    ColNewIp,
    ColResult,
    ColDetail,
    Confirmed,
    NotConfirmed,
    NoAnswer,
    Refused,
    Cancelled,
    OtherValues,
    WrittenValue,
    SilentAfterWrite,
    StoppedBeforeReadBack,
    CouldNotSend,
    CardSilent,
    SendUnresolvable,
    SendNotBound,
    SendSocketError,
    SendTooLarge,
    SendIncomplete,
    NoCardFound,
    SearchFailed,
    SharedAddress,     // %1: how many cards, %2: the address, %3: their MACs
    SharedAddressHint, // after the lines of shared addresses
    ReadNoAnswer,
    ReadFailed,
    Summary,
    Progress,
    Interrupted,
    DryRunLine,
    DryRunBroadcast,
    DryRunNothingSent,
    UsageError,
    UnknownCommand,
    NoCommand,
    MissingCard,
    ExtraArgument,
    BadCard,
    NotAMac,
    DuplicateCard,
    BadFormat,
    BadNumber,
    BadLocal,
    BadLanguage,
    BadIpFrom,
    IpRunBadAddress,
    IpRunOverflow,
    NoSetting,
    NoTargets,
    MissingProfile,
    CannotReadFile,
    HelpSummary,
    HelpCommands,
    HelpSearchCmd,
    HelpReadCmd,
    HelpWriteCmd,
    HelpApplyCmd,
    HelpMore,
    HelpExit,
    HelpSearch,
    HelpRead,
    HelpWrite,
    HelpApply,
    OptTimes,
    OptLocal,
    OptFormat,
    OptLang,
    OptByMac,
    OptSet,
    OptDryRun,
    OptBase,
    OptTo,
    OptIpFrom,
    OptParallel,
    OptTiming,
    OptHelp,
    ArgCard,
    ArgProfile,
    Held,
    NotChecked,
    ChecksRefuse,
    ChecksWouldRefuse,
    ChecksWarn,
    AllowOtherSubnetHint,
    JournalFailed,
    RecordsKept,
    Searching,
    InterruptedBeforeSending,
    CardsShareAddress,
    DryRunCard,
    DryRunNoChange,
    HexNeedsDryRun,
    BaseNeedsDryRun,
    ToFoundAlone,
    ToFoundNeedsSearch,
    CardFileBadEntry,
    CardFileNotJson,
    CardFileBadItem,
    CardFileEmpty,
    MissingBackup,
    BackupTwice,
    NoBackups,
    BackupCardNotFound,
    RestoreOtherCard,
    HelpRestoreCmd,
    HelpJournalCmd,
    HelpRestore,
    HelpJournal,
    OptSince,
    OptCard,
    BadSince,
    JournalBadLine,
    JournalNothing,
    JournalNoAnswer,
    JournalCancelled,
    JournalStopped,
    ColTime,
    ColProgram,
    ColChanges,
    OptToFile,
    OptToFound,
    OptSearchTimes,
    OptNoSearch,
    OptAllowOtherSubnet,
    OptHex,
    Count,
};

// The window's many-card commands: exporting the device list, the parameter file and the write
// to several cards.
enum class CommandText : std::uint8_t {
    ManyCardsMenu,     // the top-level menu holding the commands
    ExportList,        // menu and pop-up item, save dialog title
    SaveParameters,    // menu item, save dialog title
    LoadParameters,    // menu item, open dialog title
    WriteSeveralCards, // menu item
    CsvFiles,          // file dialog filter
    ParameterFiles,    // file dialog filter
    CannotWrite,       // %1: the file
    CannotRead,        // %1: the file
    NothingRead,       // save or batch before any card was read
    BatchTitle,        // the dialog's title
    ParameterSource,   // where the batch takes its parameters from
    SequentialFrom,    // the option's check box
    Start,
    Cancel,
    Close,
    ExportResults,
    StateColumn,
    NewIpColumn,
    StateWaiting,
    StateSent,
    StateConfirmed,
    StateNotConfirmed,
    StateNoAnswer,
    StateRefused,
    StateNotWritten,
    Summary,   // %1 cards, %2 confirmed, %3 not confirmed, %4 no answer, %5 refused,
               // %6 not written
    Cancelled, // put before the summary of a cancelled run
    NoCardTicked,
    BadStartAddress, // %1: the text
    AddressesRunOut, // %1: the start address, %2: the number of cards
    // %1: the start address, %2: the number of cards, %3: the address, %4: its subnet
    AddressNotForCards,
    SharedAddressTip,  // a device list row's tooltip, first line; %1: the address
    SharedAddressMore, // its last line when it does not name every card; %1: how many more
    SharedAddressHint, // what to do about it
    // The checks before a write, backups and the journal, and the restore from a backup.
    RestoreBackup,      // menu item; title of the folder dialog and of the restore dialog
    RestoreSource,      // %1: the backup folder or file whose values are written back
    BackupsSkipped,     // first line of the backup files a restore leaves out
    StateNotFound,      // a backup whose card the device list does not hold
    NotFoundTip,        // %1: the MAC of that backup
    ChecksFound,        // first line of findings that need a Yes before writing
    ChecksRefuseRun,    // first line of findings that refuse a run
    ChecksMore,         // last line when the box does not name every finding; %1: how many more
    WriteAnyway,        // the question after the findings
    NoReadToBackUp,     // a single write to a card this window has not read
    WriteNotSent,       // after a backup that could not be saved
    RecordsFailed,      // first line of the backups and journal lines a run could not write
    PlanKeepsAddresses, // a row's tooltip before its card is read
    ChangesOnCard,      // first line of a row's tooltip once its card is read
    NoChangesOnCard,
    AnswerYes, // the buttons of a question
    AnswerNo,
    // Choosing the cards of a wall and watching the run.
    FilterLabel,  // before the filter field
    FilterHint,   // the field's placeholder
    SelectAll,    // button; Ctrl+A
    SelectNone,   // button; Ctrl+Shift+A
    InvertTicks,  // button; Ctrl+I
    TickedCount,  // %1 ticked of %2 cards
    TickedHidden, // %1 ticked of %2, %3 of the ticked hidden by the filter
    RunCounters,  // %1 sent, %2 confirmed, %3 not confirmed, %4 no answer, %5 refused
    CardListName, // the card list's accessible name
    ShortcutTip,  // a button's tooltip: %1 its text, %2 its shortcut
    Count
};

// Why a profile, a change or a field's value is refused: the sentence after "file:line: key: ",
// without its full stop (ComposeMessage adds both).
enum class RefusalText : std::uint8_t {
    ExpectText, // a JSON value of the wrong type, by what the key holds
    ExpectObject,
    ExpectNumber,
    ExpectAddress,
    ExpectEntry,
    NotJson,
    NotAProfile,
    UnsupportedVersion, // %1: the version found
    UnknownKey,
    UnknownParameter,
    UnknownValue,       // %1: the value
    PositionOutOfRange, // %1: the position, %2: the entry count, %3: the last position
    NotWholeNumber,     // %1: the text
    BadAddress,         // %1: the text
    ReadOnly,
    NotForCard,
    NoAssignment, // %1: the change
    NotUtf8,
    EntryMismatch, // %1: the text, %2: the position
    NoEntryChosen,
    NoValue,
    DnsIncomplete,
    DomainNotAscii,
    DomainTooLong,
    ValueRange, // %1: the least value, %2: the greatest
    Count
};

// The checks before a write and what a write leaves on this machine (backups, the journal).
// A check's text is the sentence after "card: parameter: ", without its full stop; the others
// are whole messages.
enum class SafetyText : std::uint8_t {
    HeldByOtherCard,         // %1: the address, %2: the other card
    SameNewIpInRun,          // %1: the address, %2: the other card
    NetworkAddress,          // %1: the address, %2: the subnet
    BroadcastAddress,        // %1: the address, %2: the subnet
    UnusableAddress,         // %1: the address
    MaskNotContiguous,       // %1: the mask
    GatewayOutsideSubnet,    // %1: the gateway, %2: the subnet
    OutsideLocalUnreachable, // %1: the address, %2: this computer's subnets
    OutsideLocalWarning,     // %1: the address, %2: this computer's subnets
    BackupFolderNotMade,     // %1: the folder
    BackupNotSaved,          // %1: the file, %2: the system's reason
    JournalNotWritten,       // %1: the file, %2: the system's reason
    JournalNotRead,          // %1: the file, %2: the system's reason
    BackupNotRead,           // %1: the file, %2: the system's reason
    BackupFolderNotRead,     // %1: the folder
    BackupFolderEmpty,       // %1: the folder
    Count
};

inline constexpr std::size_t kCtlTextCount = static_cast<std::size_t>(CtlText::Count);
inline constexpr std::size_t kCommandTextCount = static_cast<std::size_t>(CommandText::Count);
inline constexpr std::size_t kRefusalTextCount = static_cast<std::size_t>(RefusalText::Count);
inline constexpr std::size_t kSafetyTextCount = static_cast<std::size_t>(SafetyText::Count);
inline constexpr std::size_t kTextCount =
    kCtlTextCount + kCommandTextCount + kRefusalTextCount + kSafetyTextCount;

namespace detail {
// The row of the n-th text of a list whose rows start at `first`; none for n past the list.
constexpr std::size_t RowIndex(std::size_t first, std::size_t count, std::size_t n) {
    return n < count ? first + n : kTextCount;
}
} // namespace detail

// A row of the table, named by any of the lists; a list's Count names no row.
class TextKey {
public:
    constexpr TextKey(CtlText text)
        : index_(detail::RowIndex(0, kCtlTextCount, static_cast<std::size_t>(text))) {}
    constexpr TextKey(CommandText text)
        : index_(
              detail::RowIndex(kCtlTextCount, kCommandTextCount, static_cast<std::size_t>(text))) {}
    constexpr TextKey(RefusalText text)
        : index_(detail::RowIndex(kCtlTextCount + kCommandTextCount, kRefusalTextCount,
                                  static_cast<std::size_t>(text))) {}
    constexpr TextKey(SafetyText text)
        : index_(detail::RowIndex(kCtlTextCount + kCommandTextCount + kRefusalTextCount,
                                  kSafetyTextCount, static_cast<std::size_t>(text))) {}

    constexpr std::size_t Index() const { return index_; }

private:
    std::size_t index_;
};

struct TextRow {
    TextKey id;
    std::string_view simplified;
    std::string_view traditional;
    std::string_view english;
};

// The whole table, in the order of CtlText, CommandText, RefusalText, then SafetyText.
std::span<const TextRow> AllTexts();

// The text in the language; an id outside 0..2 gives the English one, a Count nothing.
std::string_view TextOf(LanguageId language, TextKey text);

inline std::string_view CommandTextOf(LanguageId language, CommandText text) {
    return TextOf(language, text);
}

// The text with %1, %2, ... replaced by values[0], values[1], ... in one pass, so a value that
// itself holds "%2" stays as it is; a placeholder without a value stays too.
std::string FillIn(std::string_view text, std::initializer_list<std::string_view> values);

} // namespace lang
