#pragma once
// Catalogue and table texts as Qt strings, for the layers that speak QString. The catalogues and
// the table stay plain C++; this header is the one place their UTF-8 becomes a QString.

#include "lang/Catalogue.h"
#include "lang/Texts.h"

#include <QString>
#include <string_view>

namespace lang {

inline QString QtText(const Catalogues& catalogues, Lookup lookup, std::string_view key) {
    return QString::fromStdString(catalogues.CatalogueText(lookup, key));
}

inline QString QtText(LanguageId language, TextKey text) {
    const std::string_view utf8 = TextOf(language, text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace lang
