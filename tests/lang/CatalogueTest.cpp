#include "lang/Catalogue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace lang {
namespace {

using ::testing::ElementsAre;

constexpr LanguageId kAllLanguages[] = {LanguageId::SimplifiedChinese,
                                        LanguageId::TraditionalChinese, LanguageId::English};

std::unique_ptr<TLanguage> Build(LanguageId id) {
    auto catalogue = MakeCatalogue(id);
    EXPECT_NE(catalogue, nullptr);
    return catalogue;
}

// --- Shape of every catalogue ---

TEST(CatalogueShape, SectionSizesAndTotalInEveryLanguage) {
    const std::vector<std::size_t> expected{9, 12, 3, 12, 5, 3, 2, 1, 4, 7, 2, 5, 27, 3, 2, 2, 8};
    for (auto id : kAllLanguages) {
        auto catalogue = Build(id);
        std::vector<std::size_t> sizes;
        sizes.reserve(TLanguage::kSectionCount);
        for (int s = 0; s < TLanguage::kSectionCount; ++s) {
            sizes.push_back(catalogue->SectionEntries(static_cast<lang::Section>(s)).size());
        }
        EXPECT_EQ(sizes, expected) << "language " << static_cast<int>(id);
        EXPECT_EQ(catalogue->EntryCount(), 107u);
        EXPECT_EQ(catalogue->TraditionalTexts().size(), 107u);
    }
}

TEST(CatalogueShape, KeysSectionsOrdinalsAgreeExceptEnglishServerKey) {
    auto simplified = Build(LanguageId::SimplifiedChinese);
    auto traditional = Build(LanguageId::TraditionalChinese);
    auto english = Build(LanguageId::English);
    for (int s = 0; s < TLanguage::kSectionCount; ++s) {
        const auto& a = simplified->SectionEntries(static_cast<lang::Section>(s));
        const auto& b = traditional->SectionEntries(static_cast<lang::Section>(s));
        const auto& c = english->SectionEntries(static_cast<lang::Section>(s));
        ASSERT_EQ(a.size(), b.size());
        ASSERT_EQ(a.size(), c.size());
        for (std::size_t p = 0; p < a.size(); ++p) {
            SCOPED_TRACE("section " + std::to_string(s) + " position " + std::to_string(p));
            EXPECT_EQ(a[p].section, s);
            EXPECT_EQ(b[p].section, s);
            EXPECT_EQ(c[p].section, s);
            EXPECT_EQ(a[p].ordinal, b[p].ordinal);
            EXPECT_EQ(a[p].ordinal, c[p].ordinal);
            EXPECT_EQ(a[p].key, b[p].key);
            if (s == 0 && p == 6) {
                EXPECT_EQ(a[p].key, "pn_server_cfg");
                EXPECT_EQ(c[p].key, "pn_server_set");
            } else {
                EXPECT_EQ(a[p].key, c[p].key);
            }
        }
    }
}

TEST(CatalogueShape, SelectedOrdinalsAsRegistered) {
    auto catalogue = Build(LanguageId::English);
    const auto& combo = catalogue->SectionEntries(lang::Section::ComboItems);
    EXPECT_EQ(combo[2].ordinal, 25);  // tricolour
    EXPECT_EQ(combo[3].ordinal, 2);   // static scan
    EXPECT_EQ(combo[19].ordinal, 26); // adaptive
    EXPECT_EQ(combo[26].ordinal, 24);
    EXPECT_EQ(catalogue->SectionEntries(lang::Section::ConfigModes)[2].ordinal, 27);
    EXPECT_EQ(catalogue->SectionEntries(lang::Section::DnsCaptions)[1].ordinal, 29);
    EXPECT_EQ(catalogue->SectionEntries(lang::Section::AdapterDialog)[3].ordinal, 0);
    EXPECT_EQ(catalogue->SectionEntries(lang::Section::AdapterDialog)[4].ordinal, 1);
}

// --- Positional reading used when a language is applied ---

TEST(PositionalReading, SectionsReadByPositionHoldEnough) {
    for (auto id : kAllLanguages) {
        auto catalogue = Build(id);
        EXPECT_FALSE(catalogue->TextAt(lang::Section::PanelHeaders, 8).empty());
        EXPECT_FALSE(catalogue->TextAt(lang::Section::Buttons, 2).empty());
        EXPECT_FALSE(catalogue->TextAt(lang::Section::ConfigModes, 2).empty());
        EXPECT_GE(catalogue->SectionEntries(lang::Section::ComboItems).size(), 27u);
        EXPECT_FALSE(catalogue->TextAt(lang::Section::ComboItems, 26).empty());
        EXPECT_EQ(catalogue->SectionEntries(lang::Section::DeviceColumns).size(), 4u);
        EXPECT_EQ(catalogue->RowCaptions(lang::Section::SizeRows).size(), 12u);
        EXPECT_EQ(catalogue->RowCaptions(lang::Section::CommRows).size(), 5u);
        EXPECT_EQ(catalogue->RowCaptions(lang::Section::AddressRows).size(), 3u);
    }
}

TEST(PositionalReading, OutOfRangeGivesEmptyText) {
    auto catalogue = Build(LanguageId::English);
    EXPECT_EQ(catalogue->TextAt(lang::Section::PanelHeaders, 9), "");
    EXPECT_EQ(catalogue->TextAt(lang::Section::ComboItems, 27), "");
    EXPECT_EQ(catalogue->TextAt(static_cast<lang::Section>(17), 0), "");
    EXPECT_EQ(catalogue->TextAt(static_cast<lang::Section>(-1), 0), "");
    EXPECT_TRUE(catalogue->SectionEntries(static_cast<lang::Section>(17)).empty());
    EXPECT_TRUE(catalogue->SectionEntries(static_cast<lang::Section>(-1)).empty());
}

TEST(PositionalReading, TransItemsAreNoConversionAndTheThreeRecommendations) {
    auto english = Build(LanguageId::English);
    EXPECT_EQ(english->TextAt(lang::Section::ComboItems, 20), "No Conversion (Default)");
    EXPECT_EQ(english->TextAt(lang::Section::ComboItems, 21), "Combined when continue moving left");
    EXPECT_EQ(english->TextAt(lang::Section::ComboItems, 22),
              "Transform forcibly all to move left");
    EXPECT_EQ(english->TextAt(lang::Section::ComboItems, 23), "Forced up ");
    for (std::size_t p = 21; p <= 23; ++p) {
        EXPECT_EQ(english->SectionEntries(lang::Section::ComboItems)[p].key,
                  "item_sub_ecommendation");
    }

    auto simplified = Build(LanguageId::SimplifiedChinese);
    EXPECT_EQ(simplified->TextAt(lang::Section::ComboItems, 20), "不转换（默认）");
    EXPECT_EQ(simplified->TextAt(lang::Section::ComboItems, 21), "连续左移时合并在一起");
    EXPECT_EQ(simplified->TextAt(lang::Section::ComboItems, 22), "强制转换所有显示内容为左移");
    EXPECT_EQ(simplified->TextAt(lang::Section::ComboItems, 23), "强制上移");
}

TEST(PositionalReading, BlanksAreKept) {
    EXPECT_EQ(Build(LanguageId::SimplifiedChinese)->TextAt(lang::Section::PanelHeaders, 8),
              "          服务器端口");
    EXPECT_EQ(Build(LanguageId::TraditionalChinese)->TextAt(lang::Section::PanelHeaders, 8),
              "          服務器端口");
    auto english = Build(LanguageId::English);
    EXPECT_EQ(english->TextAt(lang::Section::PanelHeaders, 8), "          Server Port");
    EXPECT_EQ(english->TextAt(lang::Section::SearchDialog, 2), "Remaining time: "); // position 53
    EXPECT_EQ(english->TextAt(lang::Section::ComboItems, 23), "Forced up ");        // position 88
}

TEST(PositionalReading, RowCaptionsSkipLargeOrdinals) {
    TLanguage catalogue;
    catalogue.AddEntry(lang::Section::SizeRows, 0, "a", "first");
    catalogue.AddEntry(lang::Section::SizeRows, 12, "b", "skipped");
    catalogue.AddEntry(lang::Section::SizeRows, 11, "c", "second");
    EXPECT_THAT(catalogue.RowCaptions(lang::Section::SizeRows), ElementsAre("first", "second"));

    auto english = Build(LanguageId::English);
    EXPECT_THAT(english->RowCaptions(lang::Section::AddressRows),
                ElementsAre("Control Card IP", "Subnet Mask", "Default Gateway"));
}

// --- Lookup by key ---

TEST(FindText, DnsCaptionsAreFoundThroughLookupTwelve) {
    auto english = Build(LanguageId::English);
    EXPECT_EQ(english->FindText(lang::Lookup::DnsCaptions, "item_dns_set"), "DNS Handle Set");
    EXPECT_EQ(english->FindText(lang::Lookup::DnsCaptions, "item_auto_get"), "DNS Auto Get");
    EXPECT_EQ(english->SectionEntries(lang::Section::DnsCaptions)[0].key, "item_dns_set");
    for (const auto& entry : english->SectionEntries(lang::Section::ComboItems)) {
        EXPECT_NE(entry.key, "item_dns_set");
    }
    EXPECT_EQ(
        Build(LanguageId::SimplifiedChinese)->FindText(lang::Lookup::DnsCaptions, "item_dns_set"),
        "DNS手工配置");
    EXPECT_EQ(
        Build(LanguageId::TraditionalChinese)->FindText(lang::Lookup::DnsCaptions, "item_auto_get"),
        "DNS自動獲取");
}

TEST(FindText, OnlyTheKnownLookupNumbersSearch) {
    auto english = Build(LanguageId::English);
    EXPECT_EQ(english->FindText(lang::Lookup::AddressRows, "item_subnet_mask"), "Subnet Mask");
    EXPECT_EQ(english->FindText(static_cast<lang::Lookup>(14), "item_dns_set"), "");
    EXPECT_EQ(english->FindText(static_cast<lang::Lookup>(0), "pn_size_set"), "");
    EXPECT_EQ(english->FindText(static_cast<lang::Lookup>(1), "menu_sub_exit"), "");
    EXPECT_EQ(english->FindText(static_cast<lang::Lookup>(3), "item_pixels_width"), "");
    EXPECT_EQ(english->FindText(static_cast<lang::Lookup>(-1), "item_dns_set"), "");
    EXPECT_EQ(english->FindText(static_cast<lang::Lookup>(17), "id"), "");
}

TEST(FindText, FirstOfDuplicateKeysWins) {
    TLanguage catalogue;
    catalogue.AddEntry(lang::Section::Messages, 0, "dup", "first");
    catalogue.AddEntry(lang::Section::Messages, 1, "dup", "second");
    EXPECT_EQ(catalogue.FindText(lang::Lookup::Messages, "dup"), "first");
    EXPECT_EQ(catalogue.SectionEntries(lang::Section::Messages).size(), 2u);
}

TEST(FindText, MissingKeyIsEmptyInEveryCatalogue) {
    for (auto id : kAllLanguages) {
        auto catalogue = Build(id);
        EXPECT_EQ(catalogue->FindText(lang::Lookup::Messages, "no_such_key"), "");
        EXPECT_EQ(catalogue->FindText(lang::Lookup::Messages, ""), "");
        EXPECT_EQ(catalogue->FindText(lang::Lookup::SearchDialog, "softwear_title"),
                  ""); // exists, but in section 11
    }
}

TEST(FindText, EveryKeyLookedUpByNameIsPresent) {
    const std::vector<std::pair<int, std::string>> lookups{
        {9, "item_search"},
        {9, "item_search_network_device"},
        {9, "item_remaining_search_time"},
        {9, "item_second"},
        {9, "item_search_for"},
        {9, "item_devices"},
        {9, "item_stop"},
        {10, "item_abort"},
        {10, "item_all_rights_reserved"},
        {11, "softwear_title"},
        {11, "item_search_device_failed"},
        {11, "item_information_empty"},
        {11, "item_update_failed"},
        {11, "item_update_success"},
        {12, "item_dns_set"},
        {12, "item_auto_get"},
        {15, "item_service_IP"},
        {15, "item_service_domain"},
        {16, "netWorkChoice"},
        {16, "cbNotShow"},
        {16, "btnOK"},
        {16, "netWorkAdapter"},
        {16, "IPAddress"},
        {16, "macAddress"},
        {16, "dlg_not_choice"},
    };
    for (auto id : kAllLanguages) {
        auto catalogue = Build(id);
        for (const auto& [lookup, key] : lookups) {
            EXPECT_FALSE(catalogue->FindText(static_cast<lang::Lookup>(lookup), key).empty())
                << "language " << static_cast<int>(id) << " key " << key;
        }
    }
}

TEST(FindText, MessagesByteExact) {
    auto english = Build(LanguageId::English);
    EXPECT_EQ(english->FindText(lang::Lookup::Messages, "softwear_title"),
              "Display control card parameter configuration");
    EXPECT_EQ(english->FindText(lang::Lookup::Messages, "item_search_device_failed"),
              "Search device failed: network is not connected or not on the same network "
              "segment, check the networkconnection and settings!");
    EXPECT_EQ(english->FindText(lang::Lookup::SearchDialog, "item_remaining_search_time"),
              "Remaining time: ");

    auto simplified = Build(LanguageId::SimplifiedChinese);
    EXPECT_EQ(simplified->FindText(lang::Lookup::Messages, "softwear_title"),
              "显示屏控制卡参数配置");
    EXPECT_EQ(simplified->FindText(lang::Lookup::Messages, "item_search_device_failed"),
              "搜索设备失败：网络未连接或不在同一网段上，请检查网络连接及设置！");
    EXPECT_EQ(simplified->FindText(lang::Lookup::Messages, "item_information_empty"),
              "要修改的配置信息不能为空！");
    EXPECT_EQ(simplified->FindText(lang::Lookup::AdapterDialog, "cbNotShow"),
              "不再显示该界面，以后使用已选的网卡");
    EXPECT_EQ(simplified->FindText(lang::Lookup::AboutDialog, "item_abort"), "关于...");
}

// --- The language in force ---

TEST(Catalogues, NothingBeforeTheFirstApply) {
    Catalogues catalogues;
    EXPECT_EQ(catalogues.current(), nullptr);
    EXPECT_FALSE(catalogues.hasCurrent());
    for (auto id : kAllLanguages) {
        EXPECT_EQ(catalogues.catalogue(id), nullptr);
    }
    EXPECT_EQ(catalogues.CatalogueText(lang::Lookup::Messages, "softwear_title"), "");
}

TEST(Catalogues, DlgNotChoiceFollowsTheLanguageInForce) {
    Catalogues catalogues;
    ASSERT_TRUE(catalogues.apply(LanguageId::SimplifiedChinese));
    EXPECT_EQ(catalogues.CatalogueText(lang::Lookup::AdapterDialog, "dlg_not_choice"),
              "请从列表选择其中一张网卡！");
    ASSERT_TRUE(catalogues.apply(LanguageId::TraditionalChinese));
    EXPECT_EQ(catalogues.CatalogueText(lang::Lookup::AdapterDialog, "dlg_not_choice"),
              "在列表選擇其中一網卡！");
    ASSERT_TRUE(catalogues.apply(LanguageId::English));
    EXPECT_EQ(catalogues.currentId(), LanguageId::English);
    EXPECT_EQ(catalogues.CatalogueText(lang::Lookup::AdapterDialog, "dlg_not_choice"),
              "Please choose one card from the list!");
    EXPECT_EQ(catalogues.CatalogueText(lang::Lookup::Messages, "softwear_title"),
              "Display control card parameter configuration");
}

TEST(Catalogues, ApplyRebuildsOnlyThatLanguage) {
    Catalogues catalogues;
    ASSERT_TRUE(catalogues.apply(LanguageId::English));
    const TLanguage* firstEnglish = catalogues.current();
    ASSERT_TRUE(catalogues.apply(LanguageId::SimplifiedChinese));
    EXPECT_EQ(catalogues.catalogue(LanguageId::English), firstEnglish);
    EXPECT_EQ(catalogues.catalogue(LanguageId::TraditionalChinese), nullptr);

    ASSERT_TRUE(catalogues.apply(LanguageId::English));
    EXPECT_NE(catalogues.current(), firstEnglish);
    EXPECT_NE(dynamic_cast<const TEnglish*>(catalogues.current()), nullptr);
    EXPECT_NE(catalogues.catalogue(LanguageId::SimplifiedChinese), nullptr);
}

TEST(Catalogues, InvalidIdChangesNothing) {
    Catalogues catalogues;
    ASSERT_TRUE(catalogues.apply(LanguageId::English));
    EXPECT_FALSE(catalogues.apply(static_cast<LanguageId>(3)));
    EXPECT_EQ(catalogues.currentId(), LanguageId::English);
    EXPECT_EQ(catalogues.catalogue(static_cast<LanguageId>(3)), nullptr);
    EXPECT_EQ(MakeCatalogue(static_cast<LanguageId>(3)), nullptr);
    EXPECT_EQ(MakeCatalogue(static_cast<LanguageId>(-1)), nullptr);
}

TEST(Catalogues, InjectedFactoryIsCalledOnEveryApply) {
    int builds = 0;
    Catalogues catalogues([&builds](LanguageId) {
        ++builds;
        auto catalogue = std::make_unique<TLanguage>();
        catalogue->AddEntry(lang::Section::Messages, 0, "softwear_title",
                            "build " + std::to_string(builds));
        return catalogue;
    });
    catalogues.apply(LanguageId::TraditionalChinese);
    catalogues.apply(LanguageId::TraditionalChinese);
    EXPECT_EQ(builds, 2);
    EXPECT_EQ(catalogues.CatalogueText(lang::Lookup::Messages, "softwear_title"), "build 2");

    Catalogues failing([](LanguageId) { return std::unique_ptr<TLanguage>{}; });
    EXPECT_FALSE(failing.apply(LanguageId::English));
    EXPECT_FALSE(failing.hasCurrent());
}

TEST(Catalogues, GlobalHolderIsResettable) {
    ResetGlobalCatalogues();
    EXPECT_EQ(CatalogueText(lang::Lookup::Messages, "softwear_title"), "");
    ASSERT_TRUE(GlobalCatalogues().apply(LanguageId::SimplifiedChinese));
    EXPECT_EQ(CatalogueText(lang::Lookup::Messages, "softwear_title"), "显示屏控制卡参数配置");
    ResetGlobalCatalogues();
    EXPECT_FALSE(GlobalCatalogues().hasCurrent());
    EXPECT_EQ(CatalogueText(lang::Lookup::Messages, "softwear_title"), "");
}

// --- Registration ---

TEST(AddEntry, SectionOutsideRangeRegistersNothing) {
    TLanguage catalogue;
    catalogue.AddEntry(static_cast<lang::Section>(17), 0, "k", "t");
    catalogue.AddEntry(static_cast<lang::Section>(-1), 0, "k", "t");
    EXPECT_EQ(catalogue.EntryCount(), 0u);
    catalogue.AddEntry(lang::Section::AdapterDialog, 3, "k", "t");
    ASSERT_EQ(catalogue.SectionEntries(lang::Section::AdapterDialog).size(), 1u);
    EXPECT_EQ(catalogue.SectionEntries(lang::Section::AdapterDialog)[0].section, 16);
    EXPECT_EQ(catalogue.SectionEntries(lang::Section::AdapterDialog)[0].ordinal, 3);
    EXPECT_EQ(catalogue.FindText(lang::Lookup::AdapterDialog, "k"), "t");
}

} // namespace
} // namespace lang
