// Replacing the browser on the real Chromium (through the Linux engine library): a page
// whose script never yields leaves its browser deaf; the window closes that browser,
// readies a new one, and the new one loads and delivers pages again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/utf.h"
#include "tests/browser/browser_test_support.h"
#include "tests/browser/chromium_page_run_host.h"
#include "tests/support/test_folder.h"

namespace quillmoor::browser_test {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

TEST(ReplaceBrowserOnChromiumTest, AFreshBrowserTakesOverFromOneThatAPageHung) {
    if (ChromiumOnPath().empty()) {
        GTEST_SKIP() << "no Chromium on PATH";
    }
    testing::TestFolder folder;
    testing::WriteBytes(folder.Root() / "hung.html",
                        "<html><body>hung<script>setTimeout(function () { for (;;) {} }, 100);"
                        "</script></body></html>");
    testing::WriteBytes(folder.Root() / "fresh.html", "<html><body>fresh page</body></html>");
    ChromiumPageRunHost host(QUILLMOOR_ENGINE_FOLDER, {});
    ASSERT_TRUE(host.Ready()) << host.Problems();
    JobSignals& signals = host.Signals();
    PageBrowserWindow browser(host.Window());

    signals.ResetPageLoaded();
    browser.Navigate(Utf8ToUtf16((folder.Root() / "hung.html").string()));
    ASSERT_TRUE(PumpUntil([&] { return signals.PageLoaded(); }, 20s));
    PumpFor(500ms);  // the page's script now runs for ever
    signals.ResetHtmlReady();
    browser.RetrieveMarkup();
    PumpFor(2s);
    EXPECT_FALSE(signals.HtmlReady()) << "the hung page delivered its markup";

    browser.ReplaceBrowser();
    EXPECT_FALSE(browser.IsReady());
    ASSERT_TRUE(PumpUntil([&] { return browser.IsReady(); }, 30s)) << "no new browser";
    EXPECT_EQ("about:blank", host.Window().AddressEdt()->text().toStdString());

    signals.ResetPageLoaded();
    browser.Navigate(Utf8ToUtf16((folder.Root() / "fresh.html").string()));
    ASSERT_TRUE(PumpUntil([&] { return signals.PageLoaded(); }, 20s));
    signals.ResetHtmlReady();
    browser.RetrieveMarkup();
    ASSERT_TRUE(PumpUntil([&] { return signals.HtmlReady(); }, 20s));
    EXPECT_THAT(Utf16ToUtf8(signals.CapturedHtml()), HasSubstr("fresh page"));
}

}  // namespace
}  // namespace quillmoor::browser_test
