// New windows a page asks for: the client hears of each before it exists, with the way
// the page asked for it, and decides whether it opens.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "tests/bridge/chromium_engine_fixture.h"
#include "tests/bridge/loopback_http_server.h"
#include "tests/bridge/waiting.h"

namespace quillmoor::bridge_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The page asks for three windows: with window features, plainly, and through a link with
// a target. Each new window's page tells the server when its script runs.
void ServeOpenerAndPopup(LoopbackHttpServer& server) {
    server.Serve(
        "/opener.html",
        "<!DOCTYPE html><html><body><a id='link' href='/popup.html?link' "
        "target='_blank'>link</a><script>"
        "var steps = [];"
        "window.open('/popup.html?features', 'small', 'width=300,height=200,left=10,top=20');"
        "steps.push('features');"
        "window.open('/popup.html?plain');"
        "steps.push('plain');"
        "document.getElementById('link').click();"
        "steps.push('link');"
        "document.body.setAttribute('data-steps', steps.join(','));"
        "</script></body></html>");
    server.Serve(
        "/popup.html",
        "<html><body><script>new Image().src = '/ran' + location.search;</script></body></html>");
    server.Serve("/ran", "");
}

TEST_F(ChromiumEngineTest, AsksBeforeEveryNewWindowAndACancelledOneNeverRuns) {
    LoopbackHttpServer server;
    ServeOpenerAndPopup(server);
    auto client = EngineObjectPtr<TestClient>::Make();  // cancels dispositions 3 to 6
    cef_browser_t* browser = OpenBrowserAt(*client, server.Url("a.test", "/opener.html"));
    ASSERT_NE(nullptr, browser);
    ASSERT_TRUE(client->WaitForPopups(3, 15s));
    ASSERT_TRUE(client->WaitForLoadEnds(1, 10s));
    const std::vector<PopupRequest> popups = client->Popups();
    ASSERT_EQ(3u, popups.size());
    EXPECT_EQ(server.Url("a.test", "/popup.html?features"), popups[0].url);
    EXPECT_EQ("small", popups[0].frame_name);
    EXPECT_EQ(WOD_NEW_POPUP, popups[0].disposition);
    EXPECT_EQ(1, popups[0].features.widthSet);
    EXPECT_EQ(300, popups[0].features.width);
    EXPECT_EQ(200, popups[0].features.height);
    EXPECT_EQ(10, popups[0].features.x);
    EXPECT_EQ(20, popups[0].features.y);
    EXPECT_EQ(0, popups[0].features.menuBarVisible);
    EXPECT_EQ(server.Url("a.test", "/popup.html?plain"), popups[1].url);
    EXPECT_EQ(WOD_NEW_FOREGROUND_TAB, popups[1].disposition) << "as Chromium opens it";
    EXPECT_EQ(server.Url("a.test", "/popup.html?link"), popups[2].url);
    EXPECT_EQ(WOD_NEW_FOREGROUND_TAB, popups[2].disposition);
    for (const PopupRequest& popup : popups) {
        EXPECT_TRUE(popup.opener_frame_is_main);
    }

    // The opener went on after each cancelled window; the windows never loaded anything.
    EXPECT_THAT(SourceOf(browser, 10s), HasSubstr("data-steps=\"features,plain,link\""));
    WaitOutQuietPeriod(500ms);
    EXPECT_FALSE(server.WasAskedFor("/popup.html"));
    EXPECT_FALSE(server.WasAskedFor("/ran"));
    EXPECT_EQ(1u, client->CreatedThreads().size()) << "a cancelled window became a browser";
}

// The page's window.open learns of a cancelled window at once: it gets null, so nothing it
// would write into the window ever loads or runs, and the window's name is free again.
TEST_F(ChromiumEngineTest, ACancelledWindowOpenGivesNullAndNothingOfTheWindowLoads) {
    LoopbackHttpServer server;
    server.Serve("/opener.html",
                 "<!DOCTYPE html><html><body><script>"
                 "var results = [];"
                 "for (const url of ['', '/popup.html']) {"
                 "  const opened = window.open(url, 'named');"
                 "  results.push(opened === null ? 'null' : 'window');"
                 "  if (opened) {"
                 "    try {"
                 "      opened.document.write(\"<img src='/written.png'>\");"
                 "      opened.eval(\"new Image().src = '/evaluated'\");"
                 "    } catch (e) { results.push('refused'); }"
                 "  }"
                 "}"
                 "document.body.setAttribute('data-results', results.join(','));"
                 "</script></body></html>");
    server.Serve("/popup.html",
                 "<html><body><script>new Image().src = '/ran';</script></body></html>");
    server.Serve("/written.png", "", "image/png");
    server.Serve("/evaluated", "");
    server.Serve("/ran", "");
    auto client = EngineObjectPtr<TestClient>::Make();  // cancels dispositions 3 to 6
    cef_browser_t* browser = OpenBrowserAt(*client, server.Url("a.test", "/opener.html"));
    ASSERT_NE(nullptr, browser);
    ASSERT_TRUE(client->WaitForLoadEnds(1, 10s));
    EXPECT_THAT(SourceOf(browser, 10s), HasSubstr("data-results=\"null,null\""));
    ASSERT_EQ(2u, client->Popups().size()) << "the second window of the same name was not asked";
    for (const PopupRequest& popup : client->Popups()) {
        EXPECT_EQ("named", popup.frame_name);
        EXPECT_EQ(WOD_NEW_FOREGROUND_TAB, popup.disposition);
    }
    std::this_thread::sleep_for(500ms);
    for (const char* path : {"/written.png", "/evaluated", "/popup.html", "/ran"}) {
        EXPECT_FALSE(server.WasAskedFor(path)) << path;
    }
    EXPECT_EQ(1u, client->CreatedThreads().size()) << "a cancelled window became a browser";
}

TEST_F(ChromiumEngineTest, AnAllowedWindowBecomesAHiddenPopupBrowserThatCanBeClosed) {
    LoopbackHttpServer server;
    server.Serve("/opener.html",
                 "<html><body><script>window.open('/popup.html?allowed');</script></body></html>");
    server.Serve(
        "/popup.html",
        "<html><body><script>new Image().src = '/ran' + location.search;</script></body></html>");
    server.Serve("/ran", "");
    auto client =
        EngineObjectPtr<TestClient>::Make([](cef_window_open_disposition_t) { return true; });
    cef_browser_t* browser = OpenBrowserAt(*client, server.Url("a.test", "/opener.html"));
    ASSERT_NE(nullptr, browser);
    ASSERT_TRUE(client->WaitForBrowsers(2, 15s));
    cef_browser_t* popup = client->Browser(1);
    EXPECT_EQ(1, popup->is_popup(popup));
    EXPECT_NE(browser->get_identifier(browser), popup->get_identifier(popup));
    ASSERT_TRUE(client->WaitForLoadEnds(2, 10s));  // the opener's page and the popup's
    std::vector<std::string> urls;
    for (const LoadEnd& end : client->LoadEnds()) {
        urls.push_back(end.url);
    }
    EXPECT_THAT(urls, ::testing::UnorderedElementsAre(server.Url("a.test", "/opener.html"),
                                                      server.Url("a.test", "/popup.html?allowed")));
    WaitOutQuietPeriod(300ms);
    EXPECT_TRUE(server.WasAskedFor("/ran")) << "the allowed window's script did not run";

    cef_browser_host_t* host = popup->get_host(popup);
    host->close_browser(host, 0);
    host->base.release(&host->base);
    ASSERT_TRUE(client->WaitForClosed(1, 10s));
    EXPECT_EQ(1, client->DoCloseCalls());
    cef_frame_t* frame = popup->get_main_frame(popup);
    EXPECT_EQ(0, frame->is_valid(frame));
    frame->base.release(&frame->base);
    popup->base.release(&popup->base);
    // The opener lives on.
    RunScript(browser, "document.body.setAttribute('data-alive', 'yes')");
    EXPECT_THAT(SourceOf(browser, 10s), HasSubstr("data-alive=\"yes\""));
}

}  // namespace
}  // namespace quillmoor::bridge_test
