// Frames below the main frame as the program reaches them through the engine library:
// a script run on an iframe's frame runs in that frame, whatever process hosts it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "engine/engine_string.h"
#include "platform/utf.h"
#include "tests/bridge/chromium_engine_fixture.h"
#include "tests/bridge/loopback_http_server.h"

namespace quillmoor::bridge_test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The frame of browser named name, or nullptr.
cef_frame_t* FrameNamed(cef_browser_t* browser, const std::string& name) {
    const std::u16string text = Utf8ToUtf16(name);
    cef_string_t wanted = EngineStringView(text);
    return browser->get_frame(browser, &wanted);
}

void RunScriptIn(cef_frame_t* frame, const std::string& code) {
    const std::u16string text = Utf8ToUtf16(code);
    const std::u16string address = u"about:blank";
    cef_string_t script = EngineStringView(text);
    cef_string_t script_url = EngineStringView(address);
    frame->execute_java_script(frame, &script, &script_url, 0);
}

std::string SourceOfFrame(cef_frame_t* frame) {
    auto visitor = EngineObjectPtr<TestVisitor>::Make();
    frame->get_source(frame, visitor->NewReference());
    return visitor->WaitForVisit(10s) ? visitor->Text() : std::string();
}

TEST_F(ChromiumEngineTest, AScriptRunsInTheIframeItIsRunOn) {
    LoopbackHttpServer server;
    server.Serve("/main.html",
                 "<!DOCTYPE html><html><body><p id='mark'>main</p>"
                 "<iframe name='written' srcdoc=\"<p id='mark'>written</p>\"></iframe>"
                 "<iframe name='same' src='/same.html'></iframe>"
                 "<iframe name='other' src='" +
                     server.Url("b.test", "/other.html") + "'></iframe></body></html>");
    server.Serve("/same.html", "<html><body><p id='mark'>same origin</p></body></html>");
    server.Serve("/other.html", "<html><body><p id='mark'>other site</p></body></html>");
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_browser_t* browser = OpenBrowserAt(*client, server.Url("a.test", "/main.html"));
    ASSERT_NE(nullptr, browser);
    ASSERT_TRUE(client->WaitForLoadEnds(4, 15s));

    for (const char* name : {"written", "same", "other"}) {
        SCOPED_TRACE(name);
        cef_frame_t* frame = FrameNamed(browser, name);
        ASSERT_NE(nullptr, frame);
        EXPECT_EQ(0, frame->is_main(frame));
        RunScriptIn(frame, std::string("document.getElementById('mark').textContent = 'run in ") +
                               name + "'");
        EXPECT_THAT(SourceOfFrame(frame), HasSubstr(std::string("run in ") + name));
        frame->base.release(&frame->base);
    }
    const std::string main = SourceOf(browser, 10s);
    EXPECT_THAT(main, HasSubstr("<p id=\"mark\">main</p>")) << "the main frame was changed";
    EXPECT_THAT(main, Not(HasSubstr("run in")));
}

}  // namespace
}  // namespace quillmoor::bridge_test
