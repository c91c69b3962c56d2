#include "platform/utf.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/example.h"

namespace quillmoor {
namespace {

using test_support::Example;

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::u16string utf16;
    bool valid;
};

TEST(Utf, DecodesWellFormedAndReplacesMalformedSequences) {
    const Utf8Case cases[] = {
        {"ascii", "abc", u"abc", true},
        {"two, three and four bytes", "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80",
         u"\u00E9\u4E2D\U0001F600", true},
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
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDC00)}), "\xEF\xBF\xBD");
}

TEST(Utf, AsciiRunsAroundMultiByteCharactersAtEveryOffset) {
    // The converters take ASCII in blocks; a character at any position must still come out.
    const std::string ascii = "abcdefghijklmnopqrstuvwx";
    for (size_t at = 0; at <= ascii.size(); ++at) {
        SCOPED_TRACE(at);
        const std::string utf8 =
            ascii.substr(0, at) + "\xE4\xB8\xAD\xF0\x9F\x98\x80" + ascii.substr(at);
        const std::u16string utf16 =
            Utf8ToUtf16(ascii.substr(0, at)) + u"\u4E2D\U0001F600" + Utf8ToUtf16(ascii.substr(at));
        EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
        EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
        EXPECT_EQ(Utf8ToUtf16(ascii.substr(0, at) + "\xFF" + ascii.substr(at)),
                  Utf8ToUtf16(ascii.substr(0, at)) + u"\uFFFD" + Utf8ToUtf16(ascii.substr(at)));
    }
}

TEST(Utf, AppendingKeepsWhatIsThere) {
    std::u16string text = u"ab";
    AppendUtf8AsUtf16("c\xC3\xA9", text);
    EXPECT_EQ(text, u"abc\u00E9");
    std::string bytes = "x";
    AppendUtf16AsUtf8(u"\u00E9", bytes);
    EXPECT_EQ(bytes, "x\xC3\xA9");
}

TEST(Utf, WellFormedUtf16HasOnlyCompletePairs) {
    const Example<std::u16string, bool> cases[] = {
        {"empty", u"", true},
        {"a pair", u"a\U0001F600b", true},
        {"a lone high half", std::u16string{char16_t(0xD800)}, false},
        {"a low half before a high half", std::u16string{char16_t(0xDC00), char16_t(0xD800)},
         false},
        {"a high half between letters", std::u16string{u'a', char16_t(0xD800), u'b'}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsWellFormedUtf16(c.input), c.expected) << c.name;
    }
}

TEST(Utf, SlicesNeverSplitAPair) {
    const std::u16string text = u"ab\U0001F600c";  // a b high low c
    EXPECT_EQ(Utf16SliceEnd(text, 0, 2), 2u);
    EXPECT_EQ(Utf16SliceEnd(text, 0, 3), 2u);  // would end between high and low
    EXPECT_EQ(Utf16SliceEnd(text, 0, 4), 4u);
    EXPECT_EQ(Utf16SliceEnd(text, 2, 1), 3u);  // a lone high half cannot be moved back further
    EXPECT_EQ(Utf16SliceEnd(text, 3, 100), 5u);
}

TEST(Utf, PieceEndsBeforeASequenceThatTheEndCutsShort) {
    const Example<std::string, size_t> cases[] = {
        {"empty", "", 0},
        {"ascii", "abc", 3},
        {"whole characters", "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", 10},
        {"two-byte lead at the end", "ab\xC3", 2},
        {"three-byte sequence missing one", "ab\xE4\xB8", 2},
        {"four-byte sequence missing one", "a\xF0\x9F\x98", 1},
        {"four-byte lead alone", "\xF0", 0},
        {"stray continuation bytes end nothing", "a\x80\x80\x80", 4},
        {"bytes that lead nothing", "a\xC0\xF8\xFF", 4},
        {"a lead whose sequence fails before the end", "\xE4x\xC3", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8PieceEnd(c.input), c.expected);
        // Decoding the prefix and then the rest gives the text of the whole.
        EXPECT_EQ(Utf8ToUtf16(c.input.substr(0, c.expected)) +
                      Utf8ToUtf16(c.input.substr(c.expected) + "z"),
                  Utf8ToUtf16(c.input + "z"));
    }
}

TEST(Utf, WritesUtf8WithinThreeBytesPerUnitAndReportsUnpairedSurrogates) {
    const Example<std::u16string, bool> cases[] = {
        {"three-byte characters only", u"\u4E2D\u6587\u4E2D\u6587\u4E2D\u6587\u4E2D\u6587", true},
        {"ascii run longer than a block", std::u16string(40, u'a') + u"\u00E9", true},
        {"pairs", u"\U0001F600\U0001F600", true},
        {"lone high half", u"\u4E2D" + std::u16string(1, char16_t(0xD800)), false},
        {"lone low half in ascii", u"abc" + std::u16string(1, char16_t(0xDC00)) + u"def", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Exactly the room promised, so that a sanitizer sees any write past it.
        std::vector<char> out(3 * c.input.size());
        bool well_formed = true;
        char* const end = WriteUtf16AsUtf8(c.input, out.data(), well_formed);
        EXPECT_EQ(std::string(out.data(), static_cast<size_t>(end - out.data())),
                  Utf16ToUtf8(c.input));
        EXPECT_EQ(well_formed, c.expected);
        std::string appended;
        EXPECT_EQ(AppendUtf16AsUtf8(c.input, appended), c.expected);
    }
}

}  // namespace
}  // namespace quillmoor
