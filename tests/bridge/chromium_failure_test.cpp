// Pages that go wrong, as the program hears of them through the engine library: loads
// that fail are reported as failed loads, and a page that never answers costs no more
// than its browser.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/bridge/chromium_engine_fixture.h"
#include "tests/bridge/loopback_http_server.h"

namespace quillmoor::bridge_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A port on 127.0.0.1 where nobody listens: bound and closed again at once.
int RefusingPort() {
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (probe < 0 || bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "cannot bind a port on 127.0.0.1";
    }
    close(probe);
    return ntohs(address.sin_port);
}

TEST_F(ChromiumEngineTest, AFailedLoadAfterAGoodOneIsReportedAsAFailedLoad) {
    LoopbackHttpServer server;
    server.Serve("/good.html", "<html><body>good</body></html>");
    const std::string refused = "http://a.test:" + std::to_string(RefusingPort()) + "/page.html";
    struct Case {
        const char* failure;
        std::string address;     // as the program asks for it
        std::string failed_url;  // as the engine reports it
        int code;
        const char* text;
    } cases[] = {
        {"connection refused", refused, refused, -102, "ERR_CONNECTION_REFUSED"},
        {"missing file", "/nonexistent-quillmoor-folder/page.html",
         "file:///nonexistent-quillmoor-folder/page.html", -6, "ERR_FILE_NOT_FOUND"},
    };
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_browser_t* browser = OpenBrowser(*client);
    ASSERT_NE(nullptr, browser);

    for (const Case& test : cases) {
        SCOPED_TRACE(test.failure);
        LoadUrl(browser, server.Url("a.test", "/good.html"));
        ASSERT_TRUE(client->WaitForLoadEnds(1, 10s));
        ASSERT_EQ(200, client->LoadEnds().at(0).status);
        ASSERT_TRUE(client->WaitForIdle(10s));
        client->ForgetLoadEnds();

        LoadUrl(browser, test.address);
        ASSERT_TRUE(client->WaitForLoadEnds(1, 10s));
        ASSERT_TRUE(client->WaitForIdle(10s));
        std::this_thread::sleep_for(2s);  // nothing more comes: no second end, no retry
        const std::vector<LoadEnd> ends = client->LoadEnds();
        ASSERT_EQ(1u, ends.size());
        EXPECT_TRUE(ends[0].main);
        EXPECT_EQ(0, ends[0].status) << "a status from another load";
        EXPECT_EQ(test.failed_url, ends[0].url);
        const std::vector<LoadError> errors = client->LoadErrors();
        ASSERT_EQ(1u, errors.size());
        EXPECT_TRUE(errors[0].main);
        EXPECT_EQ(test.code, errors[0].code);
        EXPECT_EQ(test.text, errors[0].text);
        EXPECT_EQ(test.failed_url, errors[0].failed_url);
        EXPECT_EQ(app_->Handler().ContextThread(), errors[0].thread);
        EXPECT_EQ(1, client->LoadStarts()) << "one load start for the failed load";
        EXPECT_THAT(client->LoadingStates(), ElementsAre(true, false));
        client->ForgetLoadEnds();
    }
}

TEST_F(ChromiumEngineTest, AHungPagesBrowserClosesReleasingItsVisitorsAndANewOneLoads) {
    LoopbackHttpServer server;
    server.Serve("/hung.html",
                 "<html><body>hung<script>setTimeout(() => { for (;;) {} }, 100);</script>"
                 "</body></html>");
    server.Serve("/after.html", "<html><body>after the hung page</body></html>");
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_browser_t* browser = OpenBrowserAt(*client, server.Url("a.test", "/hung.html"));
    ASSERT_NE(nullptr, browser);
    ASSERT_TRUE(client->WaitForLoadEnds(1, 10s));
    std::this_thread::sleep_for(300ms);  // the page is in its endless loop

    std::vector<EngineObjectPtr<TestVisitor>> visitors;
    cef_frame_t* frame = browser->get_main_frame(browser);
    for (int i = 0; i < 3; ++i) {
        visitors.push_back(EngineObjectPtr<TestVisitor>::Make());
        frame->get_source(frame, visitors.back()->NewReference());
    }
    frame->base.release(&frame->base);
    LoadUrl(browser, server.Url("a.test", "/after.html"));
    EXPECT_FALSE(visitors.back()->WaitForVisit(500ms)) << "the page answered after all";

    cef_browser_host_t* host = browser->get_host(browser);
    host->close_browser(host, 0);
    host->base.release(&host->base);
    ASSERT_TRUE(client->WaitForClosed(1, 10s));
    const auto deadline = std::chrono::steady_clock::now() + 1s;
    for (const auto& visitor : visitors) {
        while (visitor->ReferenceCount() > 1 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
        EXPECT_EQ(0, visitor->Visits());
        EXPECT_EQ(1, visitor->ReferenceCount()) << "a visitor of the closed browser was kept";
    }

    auto next_client = EngineObjectPtr<TestClient>::Make();
    cef_browser_t* next = OpenBrowser(*next_client);
    ASSERT_NE(nullptr, next);
    LoadUrl(next, server.Url("a.test", "/after.html"));
    ASSERT_TRUE(next_client->WaitForLoadEnds(1, 10s));
    EXPECT_THAT(SourceOf(next, 10s), HasSubstr("after the hung page"));
}

}  // namespace
}  // namespace quillmoor::bridge_test
