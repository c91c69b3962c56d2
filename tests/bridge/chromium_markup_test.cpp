// The markup of a frame as the engine library hands it over: every request answered once,
// also while the document is being replaced, and in Chromium's own serialisation whatever
// the kind of document.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/bridge/chromium_engine_fixture.h"
#include "tests/bridge/loopback_http_server.h"

namespace quillmoor::bridge_test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// Markup read whole up to its closer, the longer openers first.
struct Section {
    std::string_view open;
    std::string_view close;
    std::string_view name;
};
constexpr Section kSections[] = {
    {"<!--", "-->", "comment"},
    {"<![CDATA[", "]]>", "CDATA section"},
    {"<!", ">", "declaration"},
};

// The section that opens at `at` in text, or null.
const Section* SectionAt(const std::string& text, std::size_t at) {
    for (const Section& section : kSections) {
        if (text.compare(at, section.open.size(), section.open) == 0) {
            return &section;
        }
    }
    return nullptr;
}

// What is wrong with text as an XML document, or empty when it is well-formed as far as
// the markup goes: every tag closed in order, every processing instruction, comment and
// declaration ended, every attribute value quoted, no bare ampersand or "<".
std::string XmlFault(const std::string& text) {
    std::vector<std::string> open;
    std::size_t at = 0;
    bool root_seen = false;
    while (at < text.size()) {
        if (text[at] == '&') {
            const std::size_t semicolon = text.find(';', at);
            if (semicolon == std::string::npos || semicolon - at > 10) {
                return "a bare ampersand at " + std::to_string(at);
            }
            at = semicolon + 1;
            continue;
        }
        if (text[at] != '<') {
            ++at;
            continue;
        }
        if (text.compare(at, 2, "<?") == 0) {
            const std::size_t end = text.find("?>", at + 2);
            if (end == std::string::npos || text.find('<', at + 1) < end) {
                return "a processing instruction without its end at " + std::to_string(at);
            }
            at = end + 2;
        } else if (const Section* section = SectionAt(text, at); section != nullptr) {
            const std::size_t end = text.find(section->close, at + section->open.size());
            if (end == std::string::npos) {
                return "an unended " + std::string(section->name) + " at " + std::to_string(at);
            }
            at = end + section->close.size();
        } else {
            // A start, end or empty-element tag; quoted values may hold ">".
            std::size_t end = at + 1;
            char quote = 0;
            for (; end < text.size(); ++end) {
                if (quote != 0) {
                    if (text[end] == quote) {
                        quote = 0;
                    }
                } else if (text[end] == '"' || text[end] == '\'') {
                    quote = text[end];
                } else if (text[end] == '<') {
                    return "a \"<\" inside a tag at " + std::to_string(end);
                } else if (text[end] == '>') {
                    break;
                }
            }
            if (end >= text.size()) {
                return "an unended tag at " + std::to_string(at);
            }
            const std::string tag = text.substr(at + 1, end - at - 1);
            at = end + 1;
            const bool closing = !tag.empty() && tag.front() == '/';
            const bool empty = !tag.empty() && tag.back() == '/';
            const std::string body = tag.substr(closing ? 1 : 0);
            const std::string name = body.substr(0, body.find_first_of(" \t\r\n/"));
            if (name.empty()) {
                return "a tag without a name: <" + tag + ">";
            }
            for (std::size_t i = name.size(); i < body.size(); ++i) {
                if (body[i] == '=' &&
                    (i + 1 >= body.size() || (body[i + 1] != '"' && body[i + 1] != '\''))) {
                    return "an unquoted attribute value in <" + tag + ">";
                }
                if (body[i] == '"' || body[i] == '\'') {
                    i = body.find(body[i], i + 1);
                    if (i == std::string::npos) {
                        return "an unended attribute value in <" + tag + ">";
                    }
                }
            }
            if (closing) {
                if (open.empty() || open.back() != name) {
                    return "</" + name + "> closes " + (open.empty() ? "nothing" : open.back());
                }
                open.pop_back();
            } else if (!empty) {
                if (open.empty() && root_seen) {
                    return "a second root element <" + name + ">";
                }
                root_seen = true;
                open.push_back(name);
            } else {
                root_seen = true;
            }
        }
    }
    if (!open.empty()) {
        return "<" + open.back() + "> is never closed";
    }
    return root_seen ? std::string() : "no root element";
}

TEST(XmlFault, TellsWellFormedMarkupFromMalformed) {
    EXPECT_EQ("", XmlFault("<?xml version=\"1.0\"?><?s a=\"1\"?><!DOCTYPE html><a x=\"1>\">"
                           "<b/><!-- c --><c>&amp;</c></a>"));
    EXPECT_NE("", XmlFault("<?xml-stylesheet href=\"s.css\"><a></a>"));
    EXPECT_NE("", XmlFault("<a><b></a></b>"));
    EXPECT_NE("", XmlFault("<a x=1></a>"));
    EXPECT_NE("", XmlFault("<a>&</a>"));
    EXPECT_NE("", XmlFault("<a></a><b></b>"));
    EXPECT_NE("", XmlFault("<a>"));
}

// Requests the markup of the browser's main frame count times at once and returns their
// visitors.
std::vector<EngineObjectPtr<TestVisitor>> RequestSources(cef_browser_t* browser, int count) {
    std::vector<EngineObjectPtr<TestVisitor>> visitors;
    cef_frame_t* frame = browser->get_main_frame(browser);
    for (int i = 0; i < count; ++i) {
        visitors.push_back(EngineObjectPtr<TestVisitor>::Make());
        frame->get_source(frame, visitors.back()->NewReference());
    }
    frame->base.release(&frame->base);
    return visitors;
}

TEST_F(ChromiumEngineTest, EverySourceRequestDuringADocumentReplacementIsAnsweredOnce) {
    LoopbackHttpServer server;
    server.Serve("/first.html", "<html><body>first page</body></html>");
    server.Serve("/second.html", "<html><body>second page</body></html>");
    server.Serve("/refresh.html",
                 "<html><head><meta http-equiv='refresh' content='0;url=/second.html'></head>"
                 "<body>refreshing page</body></html>");
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_browser_t* browser = OpenBrowser(*client);
    ASSERT_NE(nullptr, browser);

    struct Case {
        const char* replacement;
        std::function<void()> replace;
    } cases[] = {
        {"a load of another page", [&] { LoadUrl(browser, server.Url("a.test", "/second.html")); }},
        {"a reload by the page", [&] { RunScript(browser, "location.reload()"); }},
        {"a load of another site", [&] { LoadUrl(browser, server.Url("b.test", "/first.html")); }},
        {"a page that refreshes itself at once",
         [&] { LoadUrl(browser, server.Url("a.test", "/refresh.html")); }},
    };
    constexpr int kRequests = 40;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.replacement);
        LoadUrl(browser, server.Url("a.test", "/first.html"));
        ASSERT_TRUE(client->WaitForLoadEnds(1, 10s));
        client->ForgetLoadEnds();

        test.replace();
        std::vector<EngineObjectPtr<TestVisitor>> visitors = RequestSources(browser, kRequests);
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        int answered = 0;
        for (const auto& visitor : visitors) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            answered += visitor->WaitForVisit(std::max(left, 0ms)) ? 1 : 0;
        }
        EXPECT_EQ(kRequests, answered) << "requests left without an answer";
        client->WaitForLoadEnds(1, 10s);
        std::this_thread::sleep_for(300ms);  // and no second answer comes
        for (const auto& visitor : visitors) {
            EXPECT_EQ(visitor->Visits() > 0 ? 1 : 0, visitor->Visits());
            EXPECT_EQ(1, visitor->ReferenceCount()) << "a visitor was kept";
            if (visitor->Visits() > 0) {
                EXPECT_THAT(visitor->Text(), StartsWith("<html>"));
            }
        }
        client->ForgetLoadEnds();
    }
}

TEST_F(ChromiumEngineTest, SourceOfAnXhtmlPageIsWellFormedXml) {
    LoopbackHttpServer server;
    server.Serve(
        "/page.xhtml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<?xml-stylesheet type=\"text/css\" href=\"page.css\"?>\n"
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
        "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>x</title></head>"
        "<body><p>fish &amp; chips<br/></p><!-- a note --><script>//<![CDATA[\n"
        "document.body.appendChild(document.createElement('hr'));\n//]]></script></body></html>",
        "application/xhtml+xml");
    server.Serve("/page.css", "p { color: black }", "text/css");
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_browser_t* browser = OpenBrowserAt(*client, server.Url("a.test", "/page.xhtml"));
    ASSERT_NE(nullptr, browser);
    ASSERT_TRUE(client->WaitForLoadEnds(1, 10s));

    const std::string source = SourceOf(browser, 10s);
    EXPECT_THAT(source, StartsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_THAT(source, HasSubstr("<?xml-stylesheet type=\"text/css\" href=\"page.css\"?>"));
    EXPECT_THAT(source, HasSubstr("<br />"));
    EXPECT_THAT(source, HasSubstr("<hr />")) << "what the page's script added";
    EXPECT_EQ("", XmlFault(source)) << source;
}

}  // namespace
}  // namespace quillmoor::bridge_test
