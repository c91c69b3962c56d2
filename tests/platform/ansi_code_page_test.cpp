#include "platform/ansi_code_page.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "tests/support/example.h"

namespace quillmoor {
namespace {

using test_support::CodePageExample;

TEST(AnsiCodePage, DecodesAndEncodesSingleAndDoubleByteText) {
    // In: the bytes. Out: the text.
    const CodePageExample<std::string, std::u16string> cases[] = {
        {"western", 1252, "caf\xE9 \x80 \x9F", u"caf\u00E9 \u20AC \u0178"},
        // As in browsers: every byte of a western page comes back as it was.
        {"western, the bytes it leaves undefined", 1252, "\x81\x8D\x8F\x90\x9D",
         u"\u0081\u008D\u008F\u0090\u009D"},
        {"cyrillic", 1251, "\xCF\xF0\xE8\xE2\xE5\xF2", u"\u041F\u0440\u0438\u0432\u0435\u0442"},
        {"simplified chinese", 936, "a\xD6\xD0\xCE\xC4z", u"a\u4E2D\u6587z"},
        {"japanese", 932, "\x93\xFA\x96\x7B", u"\u65E5\u672C"},
        {"utf-8", 65001, "\xE4\xB8\xAD\xF0\x9F\x98\x80", u"\u4E2D\U0001F600"},
        {"control characters and NUL", 1252, std::string("a\0\r\n\x7F", 5),
         std::u16string(u"a\0\r\n\x7F", 5)},
        {"empty", 1252, "", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const AnsiCodePage page = AnsiCodePage::ForCodePage(c.code_page);
        EXPECT_EQ(page.Decode(c.input), c.expected);
        EXPECT_TRUE(page.CanEncodeExactly(c.expected));
        EXPECT_EQ(page.Encode(c.expected), c.input);
    }
}

struct UnencodableCase {
    const char* name;
    unsigned code_page;
    std::u16string text;
};

TEST(AnsiCodePage, FindsTextThatTheCodePageCannotHold) {
    const UnencodableCase cases[] = {
        {"chinese in western", 1252, u"abc\u4E2D"},
        {"arabic in western", 1252, u"\u0639"},
        {"a letter best fitted to a plain one", 1252, u"\u0101"},
        {"hindi in simplified chinese", 936, u"\u0939"},
        {"a lone surrogate in utf-8", 65001, std::u16string(u"a") + char16_t(0xD800)},
        {"a reversed pair in utf-8", 65001, std::u16string{char16_t(0xDC00), char16_t(0xD800)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(AnsiCodePage::ForCodePage(c.code_page).CanEncodeExactly(c.text));
    }
}

TEST(AnsiCodePage, SubstitutesWhatItCannotEncode) {
    const std::string bytes = AnsiCodePage::ForCodePage(1252).Encode(u"a\u4E2Db");
    ASSERT_EQ(bytes.size(), 3u);
    EXPECT_EQ(bytes.front(), 'a');
    EXPECT_EQ(bytes.back(), 'b');
    EXPECT_NE(bytes[1], 'b');
}

TEST(AnsiCodePage, DecodesInvalidBytesToReplacementCharacters) {
    const AnsiCodePage utf8 = AnsiCodePage::ForCodePage(65001);
    EXPECT_EQ(utf8.Decode("a\xFF"
                          "b\xC3"),
              u"a\uFFFDb\uFFFD");
    EXPECT_EQ(utf8.Decode("\xC0\xAF"), u"\uFFFD\uFFFD");
    // A double-byte page that ends inside a character keeps everything before it.
    const std::u16string cut = AnsiCodePage::ForCodePage(936).Decode("ab\xD6");
    ASSERT_GE(cut.size(), 3u);
    EXPECT_EQ(cut.substr(0, 2), u"ab");
}

TEST(AnsiCodePage, LongTextRoundTripsAcrossItsSlices) {
    // Long enough to be converted in several slices, with pairs and double-byte
    // characters on every side of the slice borders.
    std::u16string text;
    while (text.size() < 3 * 1024 * 1024) {
        text += u"x\u4E2D\U0001F600";
    }
    const AnsiCodePage utf8 = AnsiCodePage::ForCodePage(65001);
    EXPECT_TRUE(utf8.CanEncodeExactly(text));
    EXPECT_EQ(utf8.Decode(utf8.Encode(text)), text);
    std::u16string chinese;
    while (chinese.size() < 300 * 1024) {
        chinese += u"a\u4E2D\u6587";
    }
    const AnsiCodePage gbk = AnsiCodePage::ForCodePage(936);
    EXPECT_TRUE(gbk.CanEncodeExactly(chinese));
    EXPECT_EQ(gbk.Decode(gbk.Encode(chinese)), chinese);
    chinese += u"\u0939";
    EXPECT_FALSE(gbk.CanEncodeExactly(chinese));
}

TEST(AnsiCodePage, KnowsWhetherItIsUtf8) {
    EXPECT_TRUE(AnsiCodePage::ForCodePage(65001).IsUtf8());
    EXPECT_FALSE(AnsiCodePage::ForCodePage(1252).IsUtf8());
    EXPECT_FALSE(AnsiCodePage::ForCodePage(936).IsUtf8());
}

TEST(AnsiCodePage, RefusesUnknownCodePages) {
    EXPECT_THROW(AnsiCodePage::ForCodePage(12345), std::invalid_argument);
}

TEST(AnsiCodePage, SystemCodePageHoldsAscii) {
    const AnsiCodePage& page = AnsiCodePage::System();
    EXPECT_FALSE(page.Name().empty());
    EXPECT_TRUE(page.CanEncodeExactly(u"<html>\r\n"));
    EXPECT_EQ(page.Encode(u"<html>\r\n"), "<html>\r\n");
    EXPECT_EQ(page.Decode("<html>\r\n"), u"<html>\r\n");
}

#ifndef _WIN32
TEST(AnsiCodePageDeathTest, PlainAsciiLocaleMeansUtf8) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const char* locale : {"C", "POSIX"}) {
        SCOPED_TRACE(locale);
        EXPECT_EXIT(
            {
                setenv("LC_ALL", locale, 1);
                std::exit(AnsiCodePage::System().Name() == "UTF-8" ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    }
}
#endif

TEST(AnsiCodePage, CutsBytesForDecodingInPiecesOnlyWhereItCan) {
    const CodePageExample<std::string, std::optional<size_t>> cases[] = {
        {"western: anywhere", 1252, "caf\xE9", 4},
        {"cyrillic: anywhere", 1251, "\xCF\xF0", 2},
        {"utf-8: before a character cut short", 65001, "a\xE4\xB8", 1},
        {"utf-8: whole characters", 65001, "a\xE4\xB8\xAD", 4},
        {"double-byte: only whole", 936, "a\xD6\xD0", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AnsiCodePage::ForCodePage(c.code_page).PieceEnd(c.input), c.expected);
    }
}

TEST(AnsiCodePage, EncodingCheckedGivesTheBytesAndTheVerdictOfBoth) {
    // In: the text. Out: whether the code page holds it exactly.
    const CodePageExample<std::u16string, bool> cases[] = {
        {"western", 1252, u"caf\u00E9 \u20AC", true},
        {"chinese in western", 1252, u"a\u4E2Db", false},
        {"a best-fit letter", 1252, u"\u0101", false},
        {"chinese", 936, u"a\u4E2D\u6587", true},
        {"hindi in chinese", 936, u"a\u0939", false},
        {"utf-8", 65001, u"\u4E2D\U0001F600", true},
        {"a lone surrogate in utf-8", 65001, u"a" + std::u16string(1, char16_t(0xD800)), false},
        {"empty", 1252, u"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const AnsiCodePage page = AnsiCodePage::ForCodePage(c.code_page);
        std::string bytes = "kept";
        EXPECT_EQ(page.EncodeAppendChecked(c.input, bytes), c.expected);
        EXPECT_EQ(page.CanEncodeExactly(c.input), c.expected);
        EXPECT_EQ(bytes, "kept" + page.Encode(c.input));
    }
}

}  // namespace
}  // namespace quillmoor
