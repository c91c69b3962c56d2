// The scripted engine's document model on its own: which pages bring the widget in, what the
// pick scripts click, and what the widget's work writes into the markup.
#include "tests/win/scripted_engine/library/widget_page.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "handlers/page_scripts.h"
#include "pipeline/current_widget_traces.h"
#include "pipeline/page_text.h"
#include "platform/utf.h"

namespace quillmoor::scripted_engine {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

std::string Utf8(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

// The page with the program's snippet for code, as the program writes it.
std::u16string WithWidget(std::u16string_view page, std::u16string_view code = u"fr") {
    return *InjectWidget(std::u16string(page), code);
}

constexpr std::u16string_view kPage =
    u"<html><head><title>T</title></head><body><p>One</p>\n  <div>  Two <b>three</b></div>"
    u"<!-- a comment --><script>var x = 'no';</script><p class=\"notranslate\">Keep</p>"
    u"<div class=\"skiptranslate\"><span>Also kept</span></div><textarea>typed</textarea>"
    u"</body></html>";

TEST(WidgetPageTest, APageWithoutTheSnippetHasNoWidget) {
    const WidgetPage page = WidgetPage::FromText(std::u16string(kPage), WidgetStyle::kClassic);
    EXPECT_FALSE(page.ShowsMenu());
    EXPECT_EQ(page.Markup(), kPage);
    EXPECT_FALSE(page.EntryClickedBy(kPickLanguageScript));
    EXPECT_FALSE(HoldsLanguageMenu(page.Markup()));
}

TEST(WidgetPageTest, ADocumentAlwaysHasItsRootElement) {
    const WidgetPage page =
        WidgetPage::FromText(u"<!DOCTYPE html>\n<p>bare</p>", WidgetStyle::kClassic);
    EXPECT_EQ(page.Markup(), u"<!DOCTYPE html>\n<html><p>bare</p></html>");
}

TEST(WidgetPageTest, TheSnippetShowsTheGadgetAndTheMenuOfItsLanguages) {
    const WidgetPage page =
        WidgetPage::FromText(WithWidget(kPage, u"fr,de"), WidgetStyle::kClassic);
    ASSERT_TRUE(page.ShowsMenu());
    EXPECT_THAT(page.MenuCodes(), ElementsAre(u"fr", u"de"));
    EXPECT_TRUE(HoldsLanguageMenu(page.Markup()));
    EXPECT_THAT(Utf8(page.Markup()), HasSubstr("<span>Select Language</span>"));
    // The menu frame closes the body.
    EXPECT_THAT(Utf8(page.Markup()), HasSubstr("display: none;\"></iframe></body></html>"));
    EXPECT_THAT(Utf8(page.MenuDocument()), HasSubstr("<a class=\"goog-te-menu2-item\"><div><span "
                                                     "class=\"text\">de</span></div></a>"));
    // The earlier widget's script clicks the first entry; the current widget's script
    // stands back.
    EXPECT_EQ(page.EntryClickedBy(kPickLanguageScript), u"fr");
    EXPECT_FALSE(page.EntryClickedBy(kPickLanguageInCurrentMenuScript));
    EXPECT_FALSE(page.EntryClickedBy(u"window.scrollTo(0,0)"));
}

TEST(WidgetPageTest, ASnippetWithoutTheLoaderOrItsCallbackBringsNoWidget) {
    std::u16string without_loader = WithWidget(kPage);
    without_loader.replace(without_loader.find(u"translate.google.com"), 20, u"example.test");
    EXPECT_FALSE(WidgetPage::FromText(without_loader, WidgetStyle::kClassic).ShowsMenu());

    std::u16string other_callback = WithWidget(kPage);
    other_callback.replace(other_callback.find(u"function googleTranslateElementInit"), 35,
                           u"function somethingElse");
    EXPECT_FALSE(WidgetPage::FromText(other_callback, WidgetStyle::kClassic).ShowsMenu());
}

TEST(WidgetPageTest, TranslationMarksTheBodysTextsOutsideTheSkippedElements) {
    WidgetPage page = WidgetPage::FromText(WithWidget(kPage), WidgetStyle::kClassic);
    const std::vector<WidgetFrame> frames = page.Translate(u"fr");
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].url, u"https://translate.google.com/translate_a/banner.html?tl=fr");
    const std::string markup = Utf8(page.Markup());
    EXPECT_THAT(markup, HasSubstr("<html class=\"translated-ltr\">"));
    EXPECT_THAT(markup, HasSubstr("<p>[fr] One</p>\n  <div>  [fr] Two <b>[fr] three</b></div>"));
    EXPECT_THAT(markup, HasSubstr("<!-- a comment --><script>var x = 'no';</script>"));
    EXPECT_THAT(markup, HasSubstr("<p class=\"notranslate\">Keep</p>"));
    EXPECT_THAT(markup, HasSubstr("<span>Also kept</span>"));
    EXPECT_THAT(markup, HasSubstr("<textarea>typed</textarea>"));
    EXPECT_THAT(markup, HasSubstr("<title>T</title>"));
    EXPECT_THAT(markup, HasSubstr("<span>Select Language</span>"));
    EXPECT_THAT(markup,
                HasSubstr("<body><iframe id=\":2.container\" class=\"goog-te-banner-frame"));
    EXPECT_THAT(markup, HasSubstr("t?tl=fr&amp;part=2\" style=\"display: none;\"></iframe></div>"
                                  "<iframe class=\"goog-te-menu-frame skiptranslate\""));
    EXPECT_TRUE(CarriesTranslationMark(page.Markup()));

    // Once translated, the page stays as it is.
    const std::u16string translated = page.Markup();
    EXPECT_TRUE(page.Translate(u"fr").empty());
    EXPECT_EQ(page.Markup(), translated);
}

TEST(WidgetPageTest, TheSnippetWorksWhereverTheProgramWritesIt) {
    // Before the head (the window program's pages) and just inside the body (a site's).
    for (const std::u16string& text : {*InjectWidget(std::u16string(kPage), u"fr"),
                                       *InjectWidgetInBody(std::u16string(kPage), u"fr")}) {
        WidgetPage page = WidgetPage::FromText(text, WidgetStyle::kClassic);
        ASSERT_TRUE(page.ShowsMenu()) << Utf8(text);
        ASSERT_EQ(page.Translate(u"fr").size(), 3u);
        EXPECT_THAT(Utf8(page.Markup()), HasSubstr("<p>[fr] One</p>"));
        EXPECT_THAT(Utf8(page.Markup()),
                    HasSubstr("<span>Select Language</span></span></div></div>"));
        EXPECT_TRUE(CarriesTranslationMark(page.Markup()));
    }
}

TEST(WidgetPageTest, AnElementLeftOpenEndsWhereTheBrowserWouldEndIt) {
    WidgetPage page = WidgetPage::FromText(
        WithWidget(u"<html><body><p class=\"notranslate\">kept<p>changed<ul><li class="
                   u"\"notranslate\">kept<li>changed</ul></body></html>"),
        WidgetStyle::kClassic);
    page.Translate(u"fr");
    EXPECT_THAT(Utf8(page.Markup()),
                HasSubstr("<p class=\"notranslate\">kept<p>[fr] changed<ul><li "
                          "class=\"notranslate\">kept<li>[fr] changed</ul>"));
}

TEST(WidgetPageTest, ARightToLeftLanguageMarksTheRootRightToLeftBesideItsClasses) {
    WidgetPage page = WidgetPage::FromText(
        WithWidget(u"<html class=\"site\" lang=\"en\"><head></head><body>Hi</body></html>", u"ar"),
        WidgetStyle::kClassic);
    page.Translate(u"ar");
    EXPECT_THAT(Utf8(page.Markup()), HasSubstr("<html class=\"site translated-rtl\" lang=\"en\">"));
}

TEST(WidgetPageTest, TheCurrentWidgetWrapsItsTextsAndLeavesTracesTheProgramCuts) {
    WidgetPage page = WidgetPage::FromText(WithWidget(kPage, u"de"), WidgetStyle::kCurrent);
    ASSERT_TRUE(HoldsLanguageMenu(page.Markup()));
    EXPECT_FALSE(page.EntryClickedBy(kPickLanguageScript));
    ASSERT_EQ(page.EntryClickedBy(kPickLanguageInCurrentMenuScript), u"de");
    const std::vector<WidgetFrame> frames = page.Translate(u"de");
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[1].name, u"votingFrame");
    const std::string markup = Utf8(page.Markup());
    EXPECT_THAT(markup, HasSubstr("<p><font style=\"vertical-align: inherit;\"><font "
                                  "style=\"vertical-align: inherit;\">[de] One</font></font></p>"));
    const std::string cleaned = Utf8(StripCurrentWidgetTraces(page.Markup()));
    EXPECT_THAT(cleaned, Not(HasSubstr("<iframe")));
    EXPECT_THAT(cleaned, Not(HasSubstr("goog-gt-tt")));
    EXPECT_THAT(cleaned, HasSubstr("[de] One"));
}

TEST(WidgetPageTest, TheUntranslatingWidgetsMenuHasNothingToClick) {
    WidgetPage page = WidgetPage::FromText(WithWidget(kPage), WidgetStyle::kUntranslating);
    EXPECT_TRUE(HoldsLanguageMenu(page.Markup()));
    EXPECT_TRUE(page.MenuCodes().empty());
    EXPECT_FALSE(page.EntryClickedBy(kPickLanguageScript));
    EXPECT_FALSE(page.EntryClickedBy(kPickLanguageInCurrentMenuScript));
    EXPECT_TRUE(page.Translate(u"fr").empty());
}

TEST(WidgetPageTest, WindowOpenCallsAreFoundWithTheirAddressNameAndFeatures) {
    const std::vector<WindowOpenCall> calls = FindWindowOpenCalls(
        u"window.open('a.html'); x(); window.open( \"https://b.test/\" , 'side', 'width=9');"
        u"window.open(variable);");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].url, u"a.html");
    EXPECT_EQ(calls[0].name, u"");
    EXPECT_FALSE(calls[0].with_features);
    EXPECT_EQ(calls[1].url, u"https://b.test/");
    EXPECT_EQ(calls[1].name, u"side");
    EXPECT_TRUE(calls[1].with_features);
}

TEST(WidgetPageTest, TheTextLeavesOutTagsScriptsAndTheHead) {
    const WidgetPage page = WidgetPage::FromText(
        u"<html><head><title>T</title></head><body>A<script>s()</script> <b>B</b></body></html>",
        WidgetStyle::kClassic);
    EXPECT_EQ(page.Text(), u"A B");
}

}  // namespace
}  // namespace quillmoor::scripted_engine
