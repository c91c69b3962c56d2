// Texts of the address box as the engine is given them.
#include "handlers/engine_address.h"

#include <gtest/gtest.h>

#include <string_view>

#include "platform/utf.h"
#include "tests/support/example.h"

namespace quillmoor {
namespace {

using test_support::Example;

TEST(EngineAddressTest, PathsBecomeFileAddresses) {
    const Example<std::u16string_view, std::u16string_view> posix[] = {
        {"plain", u"/srv/pages/a-temp.html", u"file:///srv/pages/a-temp.html"},
        {"reserved characters", u"/a b/c#d?e%f.html", u"file:///a%20b/c%23d%3Fe%25f.html"},
        {"beyond ascii", u"/caf\u00e9/\u6587.html", u"file:///caf%C3%A9/%E6%96%87.html"},
        {"beyond the first plane", u"/x/\U0001F600.htm", u"file:///x/%F0%9F%98%80.htm"},
    };
    const Example<std::u16string_view, std::u16string_view> windows[] = {
        {"drive and a blank", u"C:\\Pages\\My Site\\index-temp.html",
         u"file:///C:/Pages/My%20Site/index-temp.html"},
        {"forward slashes", u"d:/x/y.htm", u"file:///d:/x/y.htm"},
        {"network share", u"\\\\server\\share\\p.html", u"file://server/share/p.html"},
    };
    for (const auto& c : posix) {
        EXPECT_EQ(EngineAddressOf(c.input, PathStyle::kPosix), c.expected) << c.name;
    }
    for (const auto& c : windows) {
        EXPECT_EQ(EngineAddressOf(c.input, PathStyle::kWindows), c.expected) << c.name;
    }
}

TEST(EngineAddressTest, EverythingElsePassesUnchanged) {
    for (const std::u16string_view text :
         {u"about:blank", u"https://example.test/a b", u"file:///already/there.html",
          u"//host/share", u"relative/page.html", u""}) {
        EXPECT_EQ(EngineAddressOf(text, PathStyle::kPosix), text) << Utf16ToUtf8(text);
    }
    for (const std::u16string_view text : {u"\\\\?\\C:\\long", u"C:relative.html",
                                           u"https://example.test/", u"/not/a/windows/path"}) {
        EXPECT_EQ(EngineAddressOf(text, PathStyle::kWindows), text) << Utf16ToUtf8(text);
    }
}

TEST(EngineAddressTest, AnUnpairedSurrogateIsEncodedAsTheReplacementCharacter) {
    const std::u16string text = u"/a" + std::u16string(1, char16_t(0xD800)) + u"b";
    EXPECT_EQ(u"file:///a%EF%BF%BDb", EngineAddressOf(text, PathStyle::kPosix));
}

// The page run takes a page's markup only while the main frame still shows the page it
// loaded: the address the engine reports may differ in its escapes and fragment, not in the
// document.
TEST(EngineAddressTest, TheSameDocumentWhateverItsEscapesAndFragment) {
    const std::u16string page =
        EngineAddressOf(u"/site/caf\u00e9 menu-temp.html", PathStyle::kPosix);
    const struct {
        const char* name;
        std::u16string reported;
        bool same;
    } cases[] = {
        {"as loaded", page, true},
        {"escapes in lower case", u"file:///site/caf%c3%a9%20menu-temp.html", true},
        {"with a fragment", page + u"#top", true},
        {"another page", EngineAddressOf(u"/site/cafe menu-temp.html", PathStyle::kPosix), false},
        {"a private file", u"file:///etc/shadow", false},
        {"a query added", page + u"?x=1", false},
        {"nothing reported", u"", false},
        {"the page a prefix", page + u"x", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSameDocumentAddress(c.reported, page), c.same) << c.name;
    }
}

}  // namespace
}  // namespace quillmoor
