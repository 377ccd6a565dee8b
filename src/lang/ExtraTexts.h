// Messages that are not catalogue entries: the refusals of a configuration write whose field
// holds an unusable value. Written directly in each language, UTF-8.
#pragma once

#include "lang/Catalogue.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lang {

// "<row caption>: the value must be between <min> and <max>." in the given language.
// rowCaption is the caption of the label row beside the field; when it is empty the message
// stands without it. An id outside 0..2 gives the English text.
std::string RangeMessage(LanguageId lang, std::string_view rowCaption, std::int64_t min,
                         std::int64_t max);

// "<row caption>: "<text>" is not a whole number." in the given language.
std::string NotNumberMessage(LanguageId lang, std::string_view rowCaption, std::string_view text);

} // namespace lang
