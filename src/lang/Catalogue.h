// String catalogues of the user interface: simplified Chinese, traditional Chinese and English.
// All texts are UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lang {

enum class LanguageId : int {
    SimplifiedChinese = 0,
    TraditionalChinese = 1,
    English = 2,
};

inline constexpr int kLanguageCount = 3;

// The settings value LgType may hold anything; only 0, 1 and 2 name a language.
std::optional<LanguageId> LanguageIdFromInt(int value);

struct rLgMap {
    std::int32_t ordinal = 0;
    std::int32_t section = 0;
    std::string key;
    std::string text;
};

class TLanguage {
public:
    static constexpr int kSectionCount = 17;
    // Row captions of the label lists come only from entries with an ordinal up to this.
    static constexpr std::int32_t kMaxRowOrdinal = 11;

    // An empty catalogue: 17 empty sections and the stored traditional texts.
    TLanguage();
    virtual ~TLanguage() = default;
    TLanguage(const TLanguage&) = default;
    TLanguage(TLanguage&&) = default;
    TLanguage& operator=(const TLanguage&) = default;
    TLanguage& operator=(TLanguage&&) = default;

    // Appends to the section; a section outside 0..16 registers nothing.
    void AddEntry(int section, std::int32_t ordinal, std::string key, std::string text);

    // First entry with exactly this key in the section the lookup number selects
    // (5, 9, 10, 11, 15, 16 select themselves, 12 selects section 14). Empty when nothing matches
    // or the lookup number is not one of those.
    std::string FindText(int lookupNumber, std::string_view key) const;

    // Text of the entry at a 0-based position in a section, empty when there is none.
    std::string TextAt(int section, std::size_t position) const;

    // Entries of a section in registration order; empty for a section outside 0..16.
    const std::vector<rLgMap>& Section(int section) const;

    // Texts of the section's entries whose ordinal is at most kMaxRowOrdinal, in order: one per
    // row of the label list fed by that section.
    std::vector<std::string> RowCaptions(int section) const;

    std::size_t EntryCount() const;

    // The 107 stored traditional texts, in registration order.
    const std::vector<std::string>& TraditionalTexts() const { return traditionalTexts_; }

private:
    std::array<std::vector<rLgMap>, kSectionCount> sections_;
    std::vector<std::string> traditionalTexts_;
};

class TSimpleChinese : public TLanguage {
public:
    TSimpleChinese();
};

class TTraditionalChinese : public TLanguage {
public:
    // The stored texts as converted to traditional characters when the program was built.
    TTraditionalChinese();
};

class TEnglish : public TLanguage {
public:
    TEnglish();
};

// A freshly built catalogue of the language's class; nullptr for an id outside 0..2.
std::unique_ptr<TLanguage> MakeCatalogue(LanguageId id);

// One catalogue per language, each empty until its language is first applied, and the language
// in force.
class Catalogues {
public:
    using Factory = std::function<std::unique_ptr<TLanguage>(LanguageId)>;

    Catalogues();
    explicit Catalogues(Factory factory);

    // Makes id the language in force and builds its catalogue anew, replacing the earlier one.
    // False, and nothing changes, for an id outside 0..2 or when the factory builds nothing.
    bool apply(LanguageId id);

    // nullptr until some language has been applied.
    const TLanguage* current() const;
    LanguageId currentId() const { return currentId_; }
    bool hasCurrent() const { return current() != nullptr; }
    // nullptr until that language has been applied.
    const TLanguage* catalogue(LanguageId id) const;

    // FindText on the catalogue in force; empty before any language is applied.
    std::string CatalogueText(int lookupNumber, std::string_view key) const;

    void reset();

private:
    Factory factory_;
    std::array<std::unique_ptr<TLanguage>, kLanguageCount> catalogues_;
    LanguageId currentId_ = LanguageId::SimplifiedChinese;
};

// Program-wide holder for code that has no Catalogues at hand (dialogs, message boxes).
Catalogues& GlobalCatalogues();
// Back to no language applied; for tests.
void ResetGlobalCatalogues();
std::string CatalogueText(int lookupNumber, std::string_view key);

} // namespace lang
