// Texts of the address box as the engine is given them.
#include "browser/engine_address.h"

#include <gtest/gtest.h>

namespace quillmoor {
namespace {

TEST(EngineAddressTest, PathsBecomeFileAddressesAndEverythingElsePassesUnchanged) {
    const struct {
        PathStyle style;
        std::u16string_view text;
        std::u16string_view address;
    } table[] = {
        {PathStyle::kPosix, u"/srv/pages/a-temp.html", u"file:///srv/pages/a-temp.html"},
        {PathStyle::kPosix, u"/a b/c#d?e%f.html", u"file:///a%20b/c%23d%3Fe%25f.html"},
        {PathStyle::kPosix, u"/caf\u00e9/\u6587.html", u"file:///caf%C3%A9/%E6%96%87.html"},
        {PathStyle::kPosix, u"/x/\U0001F600.htm", u"file:///x/%F0%9F%98%80.htm"},
        {PathStyle::kPosix, u"about:blank", u"about:blank"},
        {PathStyle::kPosix, u"https://example.test/a b", u"https://example.test/a b"},
        {PathStyle::kPosix, u"file:///already/there.html", u"file:///already/there.html"},
        {PathStyle::kPosix, u"//host/share", u"//host/share"},
        {PathStyle::kPosix, u"relative/page.html", u"relative/page.html"},
        {PathStyle::kPosix, u"", u""},
        {PathStyle::kWindows, u"C:\\Pages\\My Site\\index-temp.html",
         u"file:///C:/Pages/My%20Site/index-temp.html"},
        {PathStyle::kWindows, u"d:/x/y.htm", u"file:///d:/x/y.htm"},
        {PathStyle::kWindows, u"\\\\server\\share\\p.html", u"file://server/share/p.html"},
        {PathStyle::kWindows, u"\\\\?\\C:\\long", u"\\\\?\\C:\\long"},
        {PathStyle::kWindows, u"C:relative.html", u"C:relative.html"},
        {PathStyle::kWindows, u"https://example.test/", u"https://example.test/"},
        {PathStyle::kWindows, u"/not/a/windows/path", u"/not/a/windows/path"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(row.address, EngineAddressOf(row.text, row.style))
            << std::string(row.text.begin(), row.text.end());
    }
}

TEST(EngineAddressTest, AnUnpairedSurrogateIsEncodedAsTheReplacementCharacter) {
    const std::u16string text = u"/a" + std::u16string(1, char16_t(0xD800)) + u"b";
    EXPECT_EQ(u"file:///a%EF%BF%BDb", EngineAddressOf(text, PathStyle::kPosix));
}

}  // namespace
}  // namespace quillmoor
