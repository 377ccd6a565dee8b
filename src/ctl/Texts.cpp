#include "ctl/Texts.h"

#include "lang/QtText.h"

namespace ctl {

QString Tr(Text text, lang::LanguageId language) {
    return lang::QtText(language, text);
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
