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

// The catalogue's sections by what their entries caption. The window's list fillers read some
// of them by position, so entries keep their registration order.
enum class Section : int {
    PanelHeaders = 0,    // the nine header strips of the main window, by position
    Menus = 1,           // menu and pop-up items, by the item's objectName
    Buttons = 2,         // the main window's three buttons, by position
    SizeRows = 3,        // row captions of lvSizeSet
    CommRows = 4,        // row captions of lvCommInterface
    AddressRows = 5,     // row captions of lvIPInfo
    CodeLabels = 6,      // internal code and software version labels; nothing reads them
    MacLabel = 7,        // the MAC address label; nothing reads it
    DeviceColumns = 8,   // column captions of the device lists, by column
    SearchDialog = 9,    // the search dialog's texts
    AboutDialog = 10,    // the About dialog's texts
    Messages = 11,       // the window title and the operator's messages
    ComboItems = 12,     // items of the parameter lists, by position
    ConfigModes = 13,    // items of the configuration-mode group rGCfg, by position
    DnsCaptions = 14,    // the two captions of the DNS box cbDNSAddr
    ServerCaptions = 15, // captions of the two server-address radio buttons
    AdapterDialog = 16,  // the adapter choice dialog's texts and message
};

// The numbers FindText knows, each named for the section it searches. The DNS captions are
// looked up with 12, although they are section 14.
enum class Lookup : int {
    AddressRows = 5,
    SearchDialog = 9,
    AboutDialog = 10,
    Messages = 11,
    DnsCaptions = 12,
    ServerCaptions = 15,
    AdapterDialog = 16,
};

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
    void AddEntry(Section section, std::int32_t ordinal, std::string key, std::string text);

    // First entry with exactly this key in the section the lookup number selects. Empty when
    // nothing matches or the number is none of Lookup's.
    std::string FindText(Lookup lookup, std::string_view key) const;

    // Text of the entry at a 0-based position in a section, empty when there is none.
    std::string TextAt(Section section, std::size_t position) const;

    // Entries of a section in registration order; empty for a section outside 0..16.
    const std::vector<rLgMap>& SectionEntries(Section section) const;

    // Texts of the section's entries whose ordinal is at most kMaxRowOrdinal, in order: one per
    // row of the label list fed by that section.
    std::vector<std::string> RowCaptions(Section section) const;

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
    std::string CatalogueText(Lookup lookup, std::string_view key) const;

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
std::string CatalogueText(Lookup lookup, std::string_view key);

} // namespace lang
