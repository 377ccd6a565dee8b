#include "lang/ExtraTexts.h"

namespace lang {

namespace {

// Panel captions carry layout blanks; a message names the row without them.
std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// Caption and separator, or nothing when there is no caption.
std::string Prefix(LanguageId lang, std::string_view rowCaption) {
    const auto caption = Trimmed(rowCaption);
    if (caption.empty()) {
        return {};
    }
    const bool chinese =
        lang == LanguageId::SimplifiedChinese || lang == LanguageId::TraditionalChinese;
    return std::string(caption) + (chinese ? "：" : ": ");
}

} // namespace

std::string RangeMessage(LanguageId lang, std::string_view rowCaption, std::int64_t min,
                         std::int64_t max) {
    const std::string prefix = Prefix(lang, rowCaption);
    const std::string low = std::to_string(min);
    const std::string high = std::to_string(max);
    switch (lang) {
    case LanguageId::SimplifiedChinese:
        return prefix + "数值必须在" + low + "到" + high + "之间。";
    case LanguageId::TraditionalChinese:
        return prefix + "數值必須在" + low + "到" + high + "之間。";
    case LanguageId::English:
        break;
    }
    return prefix + (prefix.empty() ? "The" : "the") + " value must be between " + low + " and " +
           high + ".";
}

std::string NotNumberMessage(LanguageId lang, std::string_view rowCaption, std::string_view text) {
    const std::string prefix = Prefix(lang, rowCaption);
    const std::string value(text);
    switch (lang) {
    case LanguageId::SimplifiedChinese:
        return prefix + "“" + value + "”不是整数。";
    case LanguageId::TraditionalChinese:
        return prefix + "「" + value + "」不是整數。";
    case LanguageId::English:
        break;
    }
    return prefix + "\"" + value + "\" is not a whole number.";
}

} // namespace lang
