// One page translated by the whole page run on the real Chromium (through the Linux engine
// library), with the hidden browser window on Qt's offscreen platform and the translation
// widget's stand-in served over HTTPS, at the real timings, in one browser session: into
// French by the earlier widget, into German by the widget as it is served today, and into
// Spanish by a widget that never translates. Some six minutes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "pipeline/language_catalogue.h"
#include "pipeline/not_translated_list.h"
#include "pipeline/source_names.h"
#include "pipeline/widget_snippet.h"
#include "platform/utf.h"
#include "tests/browser/chromium_page_run_host.h"
#include "tests/support/test_folder.h"
#include "tests/widget_standin/widget_standin_server.h"

namespace quillmoor::browser_test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::size_t LanguageIndexOf(std::u16string_view code) {
    const std::vector<std::u16string>& codes = LanguageCodes();
    return static_cast<std::size_t>(std::find(codes.begin(), codes.end(), code) - codes.begin());
}

// A page with a style sheet in its resource folder, content of its own that is not to be
// translated, and a script that asks for a popup whose own script would tell the widget's
// host that it ran.
const char kOwnUntranslated[] =
    "<div class=\"skiptranslate\">Brand name</div> <span class=\"notranslate\">Quillmoor</span>";

void WriteSourcePage(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "page_files");
    test_support::WriteBytes(
        folder / "page.html",
        std::string("<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<title>Quillmoor test "
                    "page</title>\r\n<link rel=\"stylesheet\" "
                    "href=\"page_files/style.css\">\r\n</head>\r\n<body>\r\n<h1>"
                    "Hello world</h1>\r\n<p>A page to translate.</p>\r\n") +
            kOwnUntranslated +
            "\r\n<script>window.open('popup.html', 'extra', "
            "'width=300,height=200');</script>\r\n</body>\r\n</html>\r\n");
    test_support::WriteBytes(folder / "page_files" / "style.css", "h1 { color: #345; }\n");
    test_support::WriteBytes(folder / "popup.html",
                             "<html><body><script>new Image().src = "
                             "'https://translate.google.com/translate_a/popup-ran';</script>"
                             "</body></html>");
}

TEST(TranslatePageOnChromiumTest, TranslatesWithEitherWidgetAndNeverStoresAnUntranslatedPage) {
    if (ChromiumOnPath().empty()) {
        GTEST_SKIP() << "no Chromium on PATH";
    }
    test_support::TestFolder folder;
    const std::filesystem::path site = folder.Root() / "site";
    WriteSourcePage(site);
    test_support::WidgetStandinServer standin(folder.Root() / "standin");
    ChromiumPageRunHost host(QUILLMOOR_ENGINE_FOLDER, standin.EngineSwitches());
    ASSERT_TRUE(host.Ready()) << host.Problems();

    PageRun run = host.MakeRun();
    const SourceNames names(Utf8ToUtf16(site.string() + "/"), u"page.html");
    const std::u16string result_root = Utf8ToUtf16((folder.Root() / "result").string() + "/");
    const struct {
        const char* mode;
        const char16_t* code;
        PageOutcome outcome;
    } runs[] = {
        {test_support::WidgetStandinServer::kFirstGeneration, u"fr", PageOutcome::kStored},
        {test_support::WidgetStandinServer::kCurrentGeneration, u"de", PageOutcome::kStored},
        {test_support::WidgetStandinServer::kUntranslating, u"es", PageOutcome::kNotTranslated},
    };
    // An earlier good result of the language that the widget will not translate.
    const std::filesystem::path results = folder.Root() / "result" / "page.html";
    std::filesystem::create_directories(results / "es" / "page_files");
    test_support::WriteBytes(results / "es" / "page.html", "earlier good result");
    test_support::WriteBytes(results / "es" / "page_files" / "style.css", "earlier style");
    LanguageProgress progress{0, 3};
    NotTranslatedList not_translated;
    host.Signals().SetCapturedHtml(u"");
    for (const auto& r : runs) {
        SCOPED_TRACE(r.mode);
        standin.SetMode(r.mode);
        const PageRunResult result =
            run.TranslatePage(LanguageIndexOf(r.code), names, result_root, progress);
        EXPECT_EQ(r.outcome, result.outcome);
        EXPECT_EQ(BrowserState::kKept, result.browser);
        if (result.outcome == PageOutcome::kNotTranslated) {
            not_translated.Add(names.SourceFileName(), r.code);
        }
    }
    EXPECT_EQ(3, progress.counter);

    const auto result_page = [&](const char* code) {
        return test_support::ReadBytes(results / code / "page.html");
    };
    // Every result is stored without the widget's traces of either generation, with the
    // page's own untranslated content as it was and its resources.
    for (const char* code : {"fr", "de"}) {
        SCOPED_TRACE(code);
        const std::string page = result_page(code);
        EXPECT_THAT(page, HasSubstr("<div id=\"google_translate_element\""));
        EXPECT_THAT(page, HasSubstr(kOwnUntranslated));
        for (const MarkerPair& trace : kWidgetTraceMarkers) {
            EXPECT_THAT(page, Not(HasSubstr(Utf16ToUtf8(trace.start))));
        }
        for (const char* trace : {"goog-te-menu-frame", "goog-gt-tt", "VIpgJd-ZVi9od-ORHb-OEVmcd",
                                  "VIpgJd-ZVi9od-xl07Ob-OEVmcd", "votingFrame",
                                  "<div class=\"skiptranslate\"><iframe"}) {
            EXPECT_THAT(page, Not(HasSubstr(trace)));
        }
        EXPECT_EQ("h1 { color: #345; }\n",
                  test_support::ReadBytes(results / code / "page_files" / "style.css"));
    }
    // The earlier widget: the texts marked in place.
    const std::string french = result_page("fr");
    EXPECT_THAT(french, HasSubstr("<html class=\"translated-ltr\">"));
    EXPECT_THAT(french, HasSubstr("[fr] Hello world"));
    EXPECT_THAT(french, HasSubstr("[fr] A page to translate."));
    EXPECT_THAT(french, Not(HasSubstr("[de]")));
    // Today's widget: the entry of the target language was clicked, not the current choice;
    // the font wrappers are the translation and stay.
    const std::string german = result_page("de");
    const std::string font = "<font style=\"vertical-align: inherit;\">";
    EXPECT_THAT(german, HasSubstr("<html class=\"translated-ltr\">"));
    EXPECT_THAT(german, HasSubstr(font + font + "[de] Hello world</font></font>"));
    EXPECT_THAT(german, HasSubstr(font + font + "[de] A page to translate.</font></font>"));
    EXPECT_THAT(german, Not(HasSubstr("[fr]")));
    // The widget that never translates: nothing is stored, the earlier result stays whole,
    // and the page is reported.
    EXPECT_EQ(result_page("es"), "earlier good result");
    EXPECT_EQ(test_support::ReadBytes(results / "es" / "page_files" / "style.css"),
              "earlier style");
    EXPECT_EQ(u"Translate Done!\n\nNot translated (nothing stored): 1\npage.html: es",
              TranslateDoneMessage(not_translated));

    EXPECT_FALSE(std::filesystem::exists(site / "page-temp.html"));
    EXPECT_TRUE(standin.WasAskedFor("/translate_a/element.js?cb=googleTranslateElementInit"));
    EXPECT_TRUE(standin.WasAskedFor("/translate_a/banner.html?tl=fr"));
    EXPECT_TRUE(standin.WasAskedFor("/translate_a/banner.html?tl=de"));
    EXPECT_FALSE(standin.WasAskedFor("/translate_a/banner.html?tl=es"));
    EXPECT_FALSE(standin.WasAskedFor("/translate_a/popup-ran")) << "the popup's script ran";
}

}  // namespace
}  // namespace quillmoor::browser_test
