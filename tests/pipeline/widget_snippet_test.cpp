#include "pipeline/widget_snippet.h"

#include <gtest/gtest.h>

#include "pipeline/language_catalogue.h"
#include "pipeline/result_cleanup.h"

namespace quillmoor {
namespace {

TEST(WidgetSnippet, IsTheExactLineForTheLanguage) {
    // Written out whole: every tab and every run of spaces counts.
    const std::u16string expected =
        u"<div id=\"google_translate_element\" style=\"position:absolute;bottom:10px;right:10px;"
        u"z-index:2000;opacity:0.7\"></div><script>function googleTranslateElementInit() { new "
        u"google.translate.TranslateElement( \t{               \t\t\tincludedLanguages: 'af',    "
        u"\tlayout: google.translate.TranslateElement.InlineLayout.SIMPLE, \tautoDisplay: false,   "
        u" "
        u"},    'google_translate_element');  } </script> <script "
        u"src=\"https://translate.google.com"
        u"/translate_a/element.js?cb=googleTranslateElementInit\"></script>";
    const std::u16string snippet = WidgetSnippet(u"af");
    EXPECT_EQ(snippet, expected);
    // The run that is easiest to get wrong, counted out once more on what the code gives.
    EXPECT_NE(snippet.find(u"( \t{" + std::u16string(15, u' ') + u"\t\t\tincludedLanguages: 'af'"),
              std::u16string::npos);
}

TEST(WidgetSnippet, CarriesTheCodeUnchangedBetweenItsQuotes) {
    const std::u16string snippet = WidgetSnippet(u"zh-CN");
    EXPECT_NE(snippet.find(u"includedLanguages: 'zh-CN',    \tlayout"), std::u16string::npos);
    for (const auto& code : LanguageCodes()) {
        const std::u16string s = WidgetSnippet(code);
        EXPECT_TRUE(s.starts_with(kWidgetSnippetOpening));
        EXPECT_EQ(s.find_first_of(u"\r\n"), std::u16string::npos) << "one line";
        EXPECT_EQ(s.size(), WidgetSnippet(u"af").size() + code.size() - 2);
    }
}

TEST(WidgetSnippet, LoaderIsSecureAndCallsTheSnippetBack) {
    EXPECT_TRUE(kWidgetLoaderAddress.starts_with(u"https://"));
    EXPECT_TRUE(
        kWidgetLoaderAddress.ends_with(u"/translate_a/element.js?cb=googleTranslateElementInit"));
}

TEST(WidgetSnippet, ScriptTraceCoversBothScriptsAndLeavesTheContainer) {
    const std::u16string snippet = WidgetSnippet(u"de");
    const MarkerPair& scripts = kWidgetTraceMarkers[1];
    EXPECT_EQ(CutBetweenMarkers(snippet, scripts.start, scripts.end),
              u"<div id=\"google_translate_element\" style=\"position:absolute;bottom:10px;"
              u"right:10px;z-index:2000;opacity:0.7\"></div>");
}

}  // namespace
}  // namespace quillmoor
