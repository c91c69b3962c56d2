#include "pipeline/language_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

namespace quillmoor {
namespace {

TEST(LanguageCatalogue, HoldsTheLanguagesInTheirOrder) {
    ASSERT_EQ(LanguageNames().size(), 104u);
    ASSERT_EQ(LanguageCodes().size(), 104u);
    const struct {
        size_t index;
        std::u16string name;
        std::u16string code;
    } samples[] = {
        {0, u"Afrikaans", u"af"},
        {12, u"Cebuano", u"ceb"},
        {14, u"Chinese(Simplified)", u"zh-CN"},
        {15, u"Chinese(Traditional)", u"zh-TW"},
        {24, u"Filipino", u"tl"},
        {33, u"HaitianCreole", u"ht"},
        {35, u"Hawaiian", u"haw"},
        {36, u"Hebrew", u"iw"},
        {38, u"Hmong", u"hmn"},
        {46, u"Javanese", u"jw"},
        {51, u"Kurdish(Kurmanji)", u"ku"},
        {66, u"Myanmar(Burmese)", u"my"},
        {77, u"ScotsGaelic", u"gd"},
        {103, u"Zulu", u"zu"},
    };
    for (const auto& s : samples) {
        EXPECT_EQ(LanguageNames()[s.index], s.name) << s.index;
        EXPECT_EQ(LanguageCodes()[s.index], s.code) << s.index;
    }
}

TEST(LanguageCatalogue, EntriesFollowTheCatalogueRules) {
    const auto& names = LanguageNames();
    const auto& codes = LanguageCodes();
    // The catalogue is alphabetical: a swapped or misspelt entry usually breaks the order.
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(std::set<std::u16string>(names.begin(), names.end()).size(), names.size());
    EXPECT_EQ(std::set<std::u16string>(codes.begin(), codes.end()).size(), codes.size());
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(i);
        for (const auto* entry : {&names[i], &codes[i]}) {
            EXPECT_FALSE(entry->empty());
            EXPECT_EQ(entry->find_first_of(u" |\""), std::u16string::npos);
        }
        const std::u16string& code = codes[i];
        const bool chinese = code == u"zh-CN" || code == u"zh-TW";
        EXPECT_TRUE(chinese || std::all_of(code.begin(), code.end(),
                                           [](char16_t c) { return c >= u'a' && c <= u'z'; }));
        EXPECT_TRUE(code.size() == 2 || chinese || code == u"ceb" || code == u"haw" ||
                    code == u"hmn");
    }
}

TEST(LanguageCatalogue, CheckboxNamesDropBlanksAndParentheses) {
    EXPECT_EQ(CheckboxComponentName(0), u"CheckboxAfrikaans");
    EXPECT_EQ(CheckboxComponentName(14), u"CheckboxChineseSimplified");
    EXPECT_EQ(CheckboxComponentName(51), u"CheckboxKurdishKurmanji");
    EXPECT_EQ(CheckboxComponentName(66), u"CheckboxMyanmarBurmese");
    EXPECT_EQ(CheckboxComponentName(103), u"CheckboxZulu");
    EXPECT_THROW(CheckboxComponentName(104), std::out_of_range);
    std::set<std::u16string> all;
    for (size_t i = 0; i < LanguageNames().size(); ++i) {
        all.insert(CheckboxComponentName(i));
    }
    EXPECT_EQ(all.size(), LanguageNames().size());
}

}  // namespace
}  // namespace quillmoor
