#include "lang/ExtraTexts.h"

#include "lang/Texts.h"

namespace lang {

namespace {

bool Chinese(LanguageId lang) {
    return lang == LanguageId::SimplifiedChinese || lang == LanguageId::TraditionalChinese;
}

// Panel captions carry layout blanks; a message names the row without them.
std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

} // namespace

std::string ComposeMessage(LanguageId lang, std::string_view where, std::string_view key,
                           std::string_view sentence) {
    std::string out(where);
    if (!out.empty()) {
        out += ": ";
    }
    if (!key.empty()) {
        out += key;
        out += Chinese(lang) ? "：" : ": ";
    }
    const bool first = out.empty();
    out += sentence;
    if (first && !Chinese(lang) && !out.empty() && out[0] >= 'a' && out[0] <= 'z') {
        out[0] = static_cast<char>(out[0] - 'a' + 'A');
    }
    out += Chinese(lang) ? "。" : ".";
    return out;
}

std::string RangeMessage(LanguageId lang, std::string_view rowCaption, std::int64_t min,
                         std::int64_t max) {
    const std::string sentence =
        FillIn(TextOf(lang, RefusalText::ValueRange), {std::to_string(min), std::to_string(max)});
    return ComposeMessage(lang, {}, Trimmed(rowCaption), sentence);
}

std::string NotNumberMessage(LanguageId lang, std::string_view rowCaption, std::string_view text) {
    return ComposeMessage(lang, {}, Trimmed(rowCaption),
                          FillIn(TextOf(lang, RefusalText::NotWholeNumber), {text}));
}

} // namespace lang
