#include "platform/utf.h"

#include <gtest/gtest.h>

namespace quillmoor {
namespace {

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::u16string utf16;
    bool valid;
};

TEST(Utf, DecodesWellFormedAndReplacesMalformedSequences) {
    const Utf8Case cases[] = {
        {"ascii", "abc", u"abc", true},
        {"two, three and four bytes", "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", u"\u00E9\u4E2D\U0001F600", true},
        {"stray continuation byte", "a\x80z", u"a\uFFFDz", false},
        {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD", false},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD", false},
        {"truncated at the end", "ab\xE4\xB8", u"ab\uFFFD", false},
        {"truncated before ascii", "\xE4x", u"\uFFFDx", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
        EXPECT_EQ(IsValidUtf8(c.utf8), c.valid);
        if (c.valid) {
            EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
        }
    }
}

TEST(Utf, UnpairedSurrogatesEncodeAsReplacement) {
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDC00)}), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace quillmoor
