#pragma once
// The messages of ledcardctl in the three languages of the tool. They are rows of lang's one
// table of texts (lang/Texts.h), where ctl::Text's enumerators are declared, since lang sits
// below ctl. Parameter names, JSON keys and outcome words of the JSON output are not messages:
// they stay as they are for scripts.

#include "lang/Catalogue.h"
#include "lang/Texts.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace ctl {

// Text::ColNumber ... Text::ArgProfile, and Text::Count.
using Text = lang::CtlText;

// The text in `language`; %1, %2 ... are for QString::arg.
QString Tr(Text text, lang::LanguageId language);

// The language of the messages: `option` (zh_CN, zh_TW or en) when given, else the first of
// LC_ALL, LC_MESSAGES and LANG that is set: zh_TW and zh_HK traditional, other zh simplified,
// anything else English. Nothing when `option` names no language.
std::optional<lang::LanguageId> ChooseLanguage(const QString& option, const QString& lcAll,
                                               const QString& lcMessages, const QString& lang);

} // namespace ctl
