#include "ui/LanguageChoice.h"

#include <QLocale>

namespace ui {

namespace {

bool IsSimplifiedCode(const QString& code) {
    return code == QLatin1String("CHS") || code == QLatin1String("ZHI");
}

bool IsTraditionalCode(const QString& code) {
    return code == QLatin1String("CHT") || code == QLatin1String("ZHH") ||
           code == QLatin1String("ZHM");
}

} // namespace

QString LocaleLanguageCode(const QLocale& locale) {
    if (locale.language() == QLocale::Chinese) {
        switch (locale.territory()) {
        case QLocale::China:
            return QStringLiteral("CHS");
        case QLocale::Singapore:
            return QStringLiteral("ZHI");
        case QLocale::Taiwan:
            return QStringLiteral("CHT");
        case QLocale::HongKong:
            return QStringLiteral("ZHH");
        case QLocale::Macao:
            return QStringLiteral("ZHM");
        default:
            break;
        }
    }
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage) {
        return {};
    }
    return QLocale::languageToCode(locale.language(), QLocale::ISO639Part2T).trimmed().toUpper();
}

LanguageChoice ChooseLanguage(int lgType, const QString& code) {
    LanguageChoice choice;
    if (IsSimplifiedCode(code)) {
        choice.visibleChinese = ChineseMenuItem::Simplified;
    } else if (IsTraditionalCode(code)) {
        choice.visibleChinese = ChineseMenuItem::Traditional;
    }
    if (lgType == static_cast<int>(lang::LanguageId::English)) {
        choice.language = lang::LanguageId::English;
        return choice;
    }
    switch (choice.visibleChinese) {
    case ChineseMenuItem::Simplified:
        choice.language = lang::LanguageId::SimplifiedChinese;
        break;
    case ChineseMenuItem::Traditional:
        choice.language = lang::LanguageId::TraditionalChinese;
        break;
    case ChineseMenuItem::None:
        choice.language = lang::LanguageId::English;
        break;
    }
    return choice;
}

} // namespace ui
