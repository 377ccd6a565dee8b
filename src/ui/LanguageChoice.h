#pragma once
// Which language the program starts in, from the stored choice and the user locale.

#include "lang/Catalogue.h"

#include <QString>

class QLocale;

namespace ui {

// Three-letter code of the user locale: "CHS" (Chinese, China), "ZHI" (Singapore),
// "CHT" (Taiwan), "ZHH" (Hong Kong), "ZHM" (Macao); otherwise the upper-case ISO 639-2/T code of
// the language (for example "ENG"), or empty when the locale has none.
QString LocaleLanguageCode(const QLocale& locale);

enum class ChineseMenuItem { None, Simplified, Traditional };

struct LanguageChoice {
    lang::LanguageId language = lang::LanguageId::English;
    ChineseMenuItem visibleChinese = ChineseMenuItem::None;
    bool operator==(const LanguageChoice&) const = default;
};

// A stored 2 keeps English; anything else is replaced by the locale's own Chinese, or English
// when the locale is in neither Chinese group. The Chinese menu item shown is the locale's.
LanguageChoice ChooseLanguage(int lgType, const QString& code);

} // namespace ui
