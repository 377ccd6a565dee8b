#include "lang/Catalogue.h"

#include "lang/EntryTable.h"

#include <utility>

namespace lang {

namespace {

// Section searched for a lookup number. 12 goes to 14: the DNS captions were registered in
// section 14, but every caller asks for them with 12.
std::optional<Section> SectionForLookup(Lookup lookup) {
    switch (lookup) {
    case Lookup::AddressRows:
        return Section::AddressRows;
    case Lookup::SearchDialog:
        return Section::SearchDialog;
    case Lookup::AboutDialog:
        return Section::AboutDialog;
    case Lookup::Messages:
        return Section::Messages;
    case Lookup::DnsCaptions:
        return Section::DnsCaptions;
    case Lookup::ServerCaptions:
        return Section::ServerCaptions;
    case Lookup::AdapterDialog:
        return Section::AdapterDialog;
    }
    return std::nullopt; // a number cast from outside the enum
}

bool ValidSection(Section section) {
    const int number = static_cast<int>(section);
    return number >= 0 && number < TLanguage::kSectionCount;
}

} // namespace

std::optional<LanguageId> LanguageIdFromInt(int value) {
    if (value < 0 || value >= kLanguageCount) {
        return std::nullopt;
    }
    return static_cast<LanguageId>(value);
}

TLanguage::TLanguage() {
    traditionalTexts_.reserve(detail::kEntryCount);
    for (const auto& row : detail::kEntryTable) {
        traditionalTexts_.emplace_back(row.traditional);
    }
}

void TLanguage::AddEntry(Section section, std::int32_t ordinal, std::string key, std::string text) {
    if (!ValidSection(section)) {
        return;
    }
    sections_[static_cast<std::size_t>(section)].push_back(
        rLgMap{ordinal, static_cast<std::int32_t>(section), std::move(key), std::move(text)});
}

std::string TLanguage::FindText(Lookup lookup, std::string_view key) const {
    const auto section = SectionForLookup(lookup);
    if (!section) {
        return {};
    }
    for (const auto& entry : SectionEntries(*section)) {
        if (entry.key == key) {
            return entry.text;
        }
    }
    return {};
}

std::string TLanguage::TextAt(Section section, std::size_t position) const {
    const auto& entries = SectionEntries(section);
    return position < entries.size() ? entries[position].text : std::string{};
}

const std::vector<rLgMap>& TLanguage::SectionEntries(Section section) const {
    static const std::vector<rLgMap> none;
    return ValidSection(section) ? sections_[static_cast<std::size_t>(section)] : none;
}

std::vector<std::string> TLanguage::RowCaptions(Section section) const {
    std::vector<std::string> captions;
    for (const auto& entry : SectionEntries(section)) {
        if (entry.ordinal <= kMaxRowOrdinal) {
            captions.push_back(entry.text);
        }
    }
    return captions;
}

std::size_t TLanguage::EntryCount() const {
    std::size_t count = 0;
    for (const auto& section : sections_) {
        count += section.size();
    }
    return count;
}

TSimpleChinese::TSimpleChinese() {
    for (const auto& row : detail::kEntryTable) {
        AddEntry(static_cast<Section>(row.section), row.ordinal, std::string(row.key),
                 std::string(row.simplified));
    }
}

TEnglish::TEnglish() {
    for (const auto& row : detail::kEntryTable) {
        AddEntry(static_cast<Section>(row.section), row.ordinal, std::string(row.englishKey),
                 std::string(row.english));
    }
}

TTraditionalChinese::TTraditionalChinese() {
    for (std::size_t i = 0; i < detail::kEntryTable.size(); ++i) {
        const auto& row = detail::kEntryTable[i];
        AddEntry(static_cast<Section>(row.section), row.ordinal, std::string(row.key),
                 std::string(detail::kTraditionalTexts[i]));
    }
}

std::unique_ptr<TLanguage> MakeCatalogue(LanguageId id) {
    switch (id) {
    case LanguageId::SimplifiedChinese:
        return std::make_unique<TSimpleChinese>();
    case LanguageId::TraditionalChinese:
        return std::make_unique<TTraditionalChinese>();
    case LanguageId::English:
        return std::make_unique<TEnglish>();
    }
    return nullptr;
}

Catalogues::Catalogues() : Catalogues(MakeCatalogue) {}

Catalogues::Catalogues(Factory factory) : factory_(std::move(factory)) {}

bool Catalogues::apply(LanguageId id) {
    if (!LanguageIdFromInt(static_cast<int>(id)) || !factory_) {
        return false;
    }
    auto built = factory_(id);
    if (!built) {
        return false;
    }
    catalogues_[static_cast<std::size_t>(id)] = std::move(built);
    currentId_ = id;
    return true;
}

const TLanguage* Catalogues::current() const {
    return catalogue(currentId_);
}

const TLanguage* Catalogues::catalogue(LanguageId id) const {
    if (!LanguageIdFromInt(static_cast<int>(id))) {
        return nullptr;
    }
    return catalogues_[static_cast<std::size_t>(id)].get();
}

std::string Catalogues::CatalogueText(Lookup lookup, std::string_view key) const {
    const TLanguage* language = current();
    return language ? language->FindText(lookup, key) : std::string{};
}

void Catalogues::reset() {
    for (auto& catalogue : catalogues_) {
        catalogue.reset();
    }
    currentId_ = LanguageId::SimplifiedChinese;
}

Catalogues& GlobalCatalogues() {
    static Catalogues catalogues;
    return catalogues;
}

void ResetGlobalCatalogues() {
    GlobalCatalogues().reset();
}

std::string CatalogueText(Lookup lookup, std::string_view key) {
    return GlobalCatalogues().CatalogueText(lookup, key);
}

} // namespace lang
