// The engine library against the real Chromium: start-up, browsers, loads, markup,
// scripts, new windows, and the end of Chromium.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/engine_string.h"
#include "tests/bridge/chromium_engine_fixture.h"
#include "tests/bridge/loopback_http_server.h"
#include "tests/bridge/process_table.h"
#include "tests/bridge/waiting.h"

namespace quillmoor::bridge_test {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

std::string Describe(const std::vector<LoadEnd>& ends) {
    std::string text = "load ends:";
    for (const LoadEnd& end : ends) {
        text += "\n  frame " + std::to_string(end.frame_identifier) +
                (end.main ? " (main) " : " ") + end.url + " " + std::to_string(end.status);
    }
    return text;
}

TEST_F(ChromiumEngineTest, StartsChromiumWithTheProgramsAndTheApplicationsSwitches) {
    EXPECT_NE(std::this_thread::get_id(), app_->Handler().ContextThread());
    EXPECT_EQ(1, app_->CommandLineCalls());
    EXPECT_EQ(u"", app_->ProcessType());
    const std::vector<std::string> arguments = ArgumentsOf(chromium_);
    EXPECT_THAT(arguments,
                Contains("--host-resolver-rules=MAP a.test 127.0.0.1, MAP b.test 127.0.0.1"));
    EXPECT_THAT(arguments, Contains("--quillmoor-test-switch=from-app"));
    EXPECT_THAT(arguments, Contains("--headless"));
    EXPECT_THAT(arguments, Contains("--no-sandbox"));
}

TEST_F(ChromiumEngineTest, CreatesABrowserOfTheViewSizeOnTheEngineThread) {
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_browser_t* browser = OpenBrowser(*client);
    ASSERT_NE(nullptr, browser);
    EXPECT_NE(std::this_thread::get_id(), client->CreatedThreads().at(0));
    EXPECT_EQ(app_->Handler().ContextThread(), client->CreatedThreads().at(0));
    EXPECT_GT(browser->get_identifier(browser), 0);
    EXPECT_EQ(0, browser->is_popup(browser));

    LoopbackHttpServer server;
    server.Serve("/size.html",
                 "<!DOCTYPE html><html><body style='margin:0'><script>"
                 "document.body.setAttribute('data-size', innerWidth + 'x' + "
                 "innerHeight);</script></body></html>");
    LoadUrl(browser, server.Url("a.test", "/size.html"));
    ASSERT_TRUE(client->WaitForLoadEnds(1, 10s));
    EXPECT_THAT(SourceOf(browser, 10s), HasSubstr("data-size=\"" + std::to_string(kViewWidth) +
                                                  "x" + std::to_string(kViewHeight) + "\""));
}

// The program navigates as soon as it hears of its browser, while the engine's own first
// load of about:blank may still be on its way: the program's page must report its end.
TEST_F(ChromiumEngineTest, ReportsTheLoadOfAPageRequestedRightAfterCreation) {
    LoopbackHttpServer server;
    server.Serve("/first.html", "<html><body>first</body></html>");
    for (int round = 0; round < 3; ++round) {
        auto client = EngineObjectPtr<TestClient>::Make();
        cef_window_info_t window{};
        const std::u16string blank = u"about:blank";
        cef_string_t url = EngineStringView(blank);
        ASSERT_EQ(1, library_->cef_browser_host_create_browser(&window, client->NewReference(),
                                                               &url, nullptr, nullptr, nullptr));
        ASSERT_TRUE(client->WaitForBrowsers(1, 10s));
        cef_browser_t* browser = client->Browser(0);
        LoadUrl(browser, server.Url("a.test", "/first.html"));
        const bool loaded = PollUntil(
            [&] {
                for (const LoadEnd& end : client->LoadEnds()) {
                    if (end.url == server.Url("a.test", "/first.html")) {
                        return true;
                    }
                }
                return false;
            },
            10s, 10ms);
        EXPECT_TRUE(loaded) << Describe(client->LoadEnds());
        browser->base.release(&browser->base);
    }
}

TEST_F(ChromiumEngineTest, ReportsALoadEndForEveryFrameCrossOriginIframesIncluded) {
    LoopbackHttpServer server;
    server.Serve("/main.html",
                 "<!DOCTYPE html><html><head><title>main</title></head><body>"
                 "<iframe src='" +
                     server.Url("a.test", "/same.html") +
                     "'></iframe>"
                     "<iframe src='" +
                     server.Url("b.test", "/other.html") +
                     "'></iframe>"
                     "</body></html>");
    server.Serve("/same.html", "<html><body>same origin</body></html>");
    server.Serve("/other.html", "<html><body>other origin</body></html>");
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_browser_t* browser = OpenBrowserAt(*client, server.Url("a.test", "/main.html"));
    ASSERT_NE(nullptr, browser);
    client->WaitForLoadEnds(3, 15s);
    WaitOutQuietPeriod(1500ms);  // and no more come
    const std::vector<LoadEnd> ends = client->LoadEnds();
    ASSERT_EQ(3u, ends.size()) << Describe(ends);
    int main_frames = 0;
    for (const LoadEnd& end : ends) {
        EXPECT_EQ(200, end.status) << end.url;
        EXPECT_EQ(app_->Handler().ContextThread(), end.thread);
        main_frames += end.main ? 1 : 0;
    }
    EXPECT_EQ(1, main_frames);
    EXPECT_TRUE(ends.back().main) << "the main frame ends after its iframes";
    EXPECT_EQ(server.Url("a.test", "/main.html"), ends.back().url);
    EXPECT_NE(ends[0].frame_identifier, ends[1].frame_identifier);
    EXPECT_THAT((std::vector<std::string>{ends[0].url, ends[1].url}),
                ::testing::UnorderedElementsAre(server.Url("a.test", "/same.html"),
                                                server.Url("b.test", "/other.html")));
}

TEST_F(ChromiumEngineTest, LoadsAPlainFilePathAsAFileUrl) {
    const std::string folder = profile_ + "-page with space";
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/page#1.html";
    std::ofstream(path) << "<html><body>from a file</body></html>";
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_browser_t* browser = OpenBrowserAt(*client, path);
    ASSERT_NE(nullptr, browser);
    ASSERT_TRUE(client->WaitForLoadEnds(1, 10s));
    EXPECT_EQ("file://" + profile_ + "-page%20with%20space/page%231.html",
              client->LoadEnds().at(0).url);
    EXPECT_THAT(SourceOf(browser, 10s), HasSubstr("from a file"));
    std::filesystem::remove_all(folder);
}

TEST_F(ChromiumEngineTest, SourceCarriesWhatScriptsChangedAndIsDeliveredOnceOnTheEngineThread) {
    LoopbackHttpServer server;
    // The page's own scripts change the DOM and try to spoil serialisation for scripts
    // running in the page's world; the engine's reading must not be fooled by either.
    server.Serve(
        "/changing.html",
        "<!DOCTYPE html><html><head><title>t</title></head><body><p id='p'>before</p><script>"
        "document.getElementById('p').textContent = 'changed by the page';"
        "Object.defineProperty(Element.prototype, 'outerHTML', {get() { return 'SPOIL' + 'ED'; }});"
        "Object.defineProperty(Node.prototype, 'firstChild', {get() { return null; }});"
        "</script></body></html>");
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_browser_t* browser = OpenBrowserAt(*client, server.Url("a.test", "/changing.html"));
    ASSERT_NE(nullptr, browser);
    ASSERT_TRUE(client->WaitForLoadEnds(1, 10s));
    RunScript(browser,
              "var added = document.createElement('div'); added.id = 'added'; "
              "added.textContent = 'added by the program \\u00e9\\u4e2d'; "
              "document.body.appendChild(added);"
              "var broken = document.createElement('i'); broken.textContent = 'a\\ud800b';"
              "document.body.appendChild(broken);");

    auto visitor = EngineObjectPtr<TestVisitor>::Make();
    cef_frame_t* frame = browser->get_main_frame(browser);
    frame->get_source(frame, visitor->NewReference());
    frame->base.release(&frame->base);
    ASSERT_TRUE(visitor->WaitForVisit(10s));
    const std::string source = visitor->Text();
    EXPECT_EQ(0u, source.find("<!DOCTYPE html><html><head><title>t</title></head>")) << source;
    EXPECT_THAT(source, HasSubstr("<p id=\"p\">changed by the page</p>"));
    EXPECT_THAT(source, HasSubstr("<div id=\"added\">added by the program \u00e9\u4e2d</div>"));
    EXPECT_THAT(source, Not(HasSubstr("SPOILED")));
    EXPECT_THAT(source, HasSubstr("<i>a\xef\xbf\xbd"
                                  "b</i>"))
        << "an unpaired surrogate in the page's text";
    EXPECT_EQ(app_->Handler().ContextThread(), visitor->Thread());
    WaitOutQuietPeriod(300ms);
    EXPECT_EQ(1, visitor->Visits());
    EXPECT_EQ(1, visitor->ReferenceCount())
        << "the engine must release the visitor after its visit";
}

TEST_F(ChromiumEngineTest, ScriptsWithErrorsAreHarmless) {
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_browser_t* browser = OpenBrowser(*client);
    ASSERT_NE(nullptr, browser);
    RunScript(browser, "this is not javascript (");
    RunScript(browser, "throw new Error('thrown on purpose')");
    RunScript(browser, "undefinedFunction()");
    RunScript(browser, "Promise.reject(new Error('rejected'))");
    RunScript(browser, "alert('nobody sees this'); confirm('nor this?'); prompt('or this')");
    RunScript(browser, "document.body.setAttribute('data-after', 'still running')");
    EXPECT_THAT(SourceOf(browser, 10s), HasSubstr("data-after=\"still running\""));
}

}  // namespace
}  // namespace quillmoor::bridge_test
