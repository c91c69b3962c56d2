// One page translated into two languages by the whole page run on the real Chromium
// (through the Linux engine library), with the hidden browser window on Qt's offscreen
// platform and the translation widget's stand-in served over HTTPS, at the real timings:
// some two and a half minutes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "pipeline/language_catalogue.h"
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

// A page with a style sheet in its resource folder, and a script that asks for a popup
// whose own script would tell the widget's host that it ran.
void WriteSourcePage(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "page_files");
    testing::WriteBytes(folder / "page.html",
                        "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<title>Quillmoor test page</title>"
                        "\r\n<link rel=\"stylesheet\" href=\"page_files/style.css\">\r\n</head>"
                        "\r\n<body>\r\n<h1>Hello world</h1>\r\n<p>A page to translate.</p>\r\n"
                        "<script>window.open('popup.html', 'extra', "
                        "'width=300,height=200');</script>\r\n</body>\r\n</html>\r\n");
    testing::WriteBytes(folder / "page_files" / "style.css", "h1 { color: #345; }\n");
    testing::WriteBytes(folder / "popup.html",
                        "<html><body><script>new Image().src = "
                        "'https://translate.google.com/translate_a/popup-ran';</script>"
                        "</body></html>");
}

TEST(TranslatePageOnChromiumTest, TranslatesAPageWithItsResourceFolderIntoTwoLanguages) {
    if (ChromiumOnPath().empty()) {
        GTEST_SKIP() << "no Chromium on PATH";
    }
    testing::TestFolder folder;
    const std::filesystem::path site = folder.Root() / "site";
    WriteSourcePage(site);
    testing::WidgetStandinServer standin(folder.Root() / "standin");
    ChromiumPageRunHost host(QUILLMOOR_ENGINE_FOLDER, standin.EngineSwitches());
    ASSERT_TRUE(host.Ready()) << host.Problems();

    PageRun run = host.MakeRun();
    const SourceNames names(Utf8ToUtf16(site.string() + "/"), u"page.html");
    const std::u16string result_root = Utf8ToUtf16((folder.Root() / "result").string() + "/");
    LanguageProgress progress{0, 2};
    host.Signals().SetCapturedHtml(u"");
    for (const std::u16string code : {u"fr", u"de"}) {
        const PageRunResult result =
            run.TranslatePage(LanguageIndexOf(code), names, result_root, progress);
        EXPECT_EQ(PageOutcome::kStored, result.outcome) << Utf16ToUtf8(code);
        EXPECT_EQ(BrowserState::kKept, result.browser);
    }
    EXPECT_EQ(2, progress.counter);

    const std::filesystem::path results = folder.Root() / "result" / "page.html";
    for (const auto& [code, other] : {std::pair{"fr", "de"}, std::pair{"de", "fr"}}) {
        SCOPED_TRACE(code);
        const std::string page = testing::ReadBytes(results / code / "page.html");
        EXPECT_THAT(page, HasSubstr(std::string("[") + code + "] Hello world"));
        EXPECT_THAT(page, HasSubstr(std::string("[") + code + "] A page to translate."));
        EXPECT_THAT(page, Not(HasSubstr(std::string("[") + other + "]")));
        EXPECT_THAT(page, HasSubstr("<div id=\"google_translate_element\""));
        for (const MarkerPair& trace : kWidgetTraceMarkers) {
            EXPECT_THAT(page, Not(HasSubstr(Utf16ToUtf8(trace.start))));
        }
        EXPECT_THAT(page, Not(HasSubstr("goog-te-menu-frame")));
        EXPECT_EQ("h1 { color: #345; }\n",
                  testing::ReadBytes(results / code / "page_files" / "style.css"));
    }
    EXPECT_FALSE(std::filesystem::exists(site / "page-temp.html"));
    EXPECT_TRUE(standin.WasAskedFor("/translate_a/element.js?cb=googleTranslateElementInit"));
    EXPECT_TRUE(standin.WasAskedFor("/translate_a/banner.html?tl=de"));
    EXPECT_FALSE(standin.WasAskedFor("/translate_a/popup-ran")) << "the popup's script ran";
}

}  // namespace
}  // namespace quillmoor::browser_test
