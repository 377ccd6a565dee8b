// Messages composed from the sentences of the text table (Texts.h): the refusals of a field, a
// profile or a change, in the form "file:line: key: sentence." with the parts that are known.
#pragma once

#include "lang/Catalogue.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lang {

// "<where>: <key>: <sentence>." with the separators and the full stop of the language; `where`
// and `key` are left out when empty, and an English sentence that stands first starts with a
// capital. An id outside 0..2 is English.
std::string ComposeMessage(LanguageId lang, std::string_view where, std::string_view key,
                           std::string_view sentence);

// "<row caption>: the value must be between <min> and <max>." in the given language.
// rowCaption is the caption of the label row beside the field, without its layout blanks; when
// it is empty the message stands without it.
std::string RangeMessage(LanguageId lang, std::string_view rowCaption, std::int64_t min,
                         std::int64_t max);

// "<row caption>: "<text>" is not a whole number." in the given language.
std::string NotNumberMessage(LanguageId lang, std::string_view rowCaption, std::string_view text);

} // namespace lang
