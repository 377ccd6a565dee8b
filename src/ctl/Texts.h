#pragma once
// The messages of ledcardctl in the three languages of the tool. Parameter names, JSON keys
// and outcome words of the JSON output are not messages: they stay as they are for scripts.

#include "lang/Catalogue.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace ctl {

enum class Text {
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
    DryRunNeedsBase,
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
    Count,
};

// The text in `language`; %1, %2 ... are for QString::arg.
QString Tr(Text text, lang::LanguageId language);

// The language of the messages: `option` (zh_CN, zh_TW or en) when given, else the first of
// LC_ALL, LC_MESSAGES and LANG that is set: zh_TW and zh_HK traditional, other zh simplified,
// anything else English. Nothing when `option` names no language.
std::optional<lang::LanguageId> ChooseLanguage(const QString& option, const QString& lcAll,
                                               const QString& lcMessages, const QString& lang);

} // namespace ctl
