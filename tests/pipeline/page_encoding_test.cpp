#include "pipeline/page_encoding.h"

#include <gtest/gtest.h>

#include "platform/utf.h"

namespace quillmoor {
namespace {

using namespace std::string_literals;

class StringSink : public FileContentSink {
  public:
    void Write(std::string_view bytes) override { bytes_ += bytes; }
    std::string bytes_;
};

TEST(PageEncoding, NormalizesEveryKindOfLineBreak) {
    const struct {
        std::u16string text;
        std::u16string normalized;
    } cases[] = {
        {u"", u""},
        {u"no break", u"no break"},
        {u"a\r\nb", u"a\r\nb"},
        {u"a\rb", u"a\r\nb"},
        {u"a\nb", u"a\r\nb"},
        {u"\n\r", u"\r\n\r\n"},
        {u"\r\r\n", u"\r\n\r\n"},
        {u"\r\n\n", u"\r\n\r\n"},
        {u"\r\n\r", u"\r\n\r\n"},
        {u"\n", u"\r\n"},
        {u"\r", u"\r\n"},
        {u"</html>\n", u"</html>\r\n"},
        {u"\n\na\r\rb\r\n", u"\r\n\r\na\r\n\r\nb\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        std::u16string text = c.text;
        EXPECT_EQ(LineBreakGrowth(text), c.normalized.size() - c.text.size());
        NormalizeLineBreaks(text);
        EXPECT_EQ(text, c.normalized);
    }
}

TEST(PageEncoding, NormalizesLongMixedTextLikeTheRuleUnitByUnit) {
    // Line breaks at every distance from each other and from the ends, against the rule
    // applied one code unit at a time.
    const auto unitByUnit = [](std::u16string_view text) {
        std::u16string result;
        for (size_t i = 0; i < text.size(); ++i) {
            const bool crBeforeLf = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
            if (text[i] == u'\n' || (text[i] == u'\r' && !crBeforeLf)) {
                result += u"\r\n";
            } else if (!crBeforeLf) {
                result += text[i];
            }
        }
        return result;
    };
    std::u16string text;
    unsigned seed = 7;
    for (int i = 0; i < 5000; ++i) {
        seed = seed * 1103515245 + 12345;
        const unsigned pick = (seed >> 16) % 10;
        text += pick == 0 ? u'\r' : pick == 1 ? u'\n' : static_cast<char16_t>(u'a' + pick);
    }
    for (size_t start = 0; start < 9; ++start) {
        SCOPED_TRACE(start);
        std::u16string part = text.substr(start);
        NormalizeLineBreaks(part);
        EXPECT_EQ(part, unitByUnit(text.substr(start)));
        EXPECT_EQ(DecodePageText(Utf16ToUtf8(text.substr(start)), AnsiCodePage::ForCodePage(65001)),
                  part);
    }
}

TEST(PageEncoding, DecodesByTheByteOrderMarkOrElseTheCodePage) {
    const struct {
        const char* name;
        unsigned codePage;
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"utf-8 mark", 1252, "\xEF\xBB\xBFh\xC3\xA9\n", u"h\u00E9\r\n"},
        {"utf-16 little endian", 1252, "\xFF\xFEh\0i\0\n\0"s, u"hi\r\n"},
        {"utf-16 big endian", 1252, "\xFE\xFF\0h\0i\0\r"s, u"hi\r\n"},
        {"utf-16 with a pair", 1252, "\xFF\xFE\x3D\xD8\x00\xDE"s, u"\U0001F600"},
        {"utf-16 of odd length", 1252, "\xFF\xFEh\0i"s, u"h\uFFFD"},
        {"utf-16 mark alone", 1252, "\xFE\xFF", u""},
        {"utf-8 mark alone", 1252, "\xEF\xBB\xBF", u""},
        {"utf-8 mark wins over a utf-16 mark after it", 1252, "\xEF\xBB\xBF\xFF\xFE",
         u"\uFFFD\uFFFD"},
        {"four bytes of a utf-32 mark read as utf-16", 1252, "\xFF\xFE\0\0"s, u"\0"s},
        {"invalid utf-8 after a utf-8 mark", 1252,
         "\xEF\xBB\xBF"
         "a\xFF"
         "b",
         u"a\uFFFDb"},
        {"no mark: the code page", 1252, "caf\xE9\r\n", u"caf\u00E9\r\n"},
        {"no mark: half a utf-8 mark", 1252, "\xEF\xBBx", u"\u00EF\u00BBx"},
        {"no mark: NUL bytes stay", 1252, "a\0\0b"s, u"a\0\0b"s},
        {"no mark: invalid utf-8 in a utf-8 code page", 65001, "a\xFFz", u"a\uFFFDz"},
        {"no mark: double-byte code page", 936, "\xD6\xD0\n", u"\u4E2D\r\n"},
        {"LF CR is two breaks", 1252, "a\n\rb", u"a\r\n\r\nb"},
        {"empty", 1252, "", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string text =
            DecodePageText(c.bytes, AnsiCodePage::ForCodePage(c.codePage), 64);
        EXPECT_EQ(text, c.text);
        EXPECT_GE(text.capacity(), text.size() + 64);
    }
}

TEST(PageEncoding, WritesInTheCodePageOnlyWhatSurvivesIt) {
    const struct {
        const char* name;
        unsigned codePage;
        std::u16string first;
        std::u16string second;
        std::string bytes;
    } cases[] = {
        {"ascii", 1252, u"<p>a</p>", u"\r\n", "<p>a</p>\r\n"},
        {"western text in a western code page", 1252, u"caf\u00E9 \u20AC", u"", "caf\xE9 \x80"},
        {"chinese in a western code page", 1252, u"\u4E2D", u"\r\n",
         "\xEF\xBB\xBF\xE4\xB8\xAD\r\n"},
        {"one piece decides for all", 1252, u"\u00E9", u"\u4E2D",
         "\xEF\xBB\xBF\xC3\xA9\xE4\xB8\xAD"},
        {"a best-fit letter is not good enough", 1252, u"\u0101", u"", "\xEF\xBB\xBF\xC4\x81"},
        {"chinese in a chinese code page", 936, u"\u4E2D", u"", "\xD6\xD0"},
        {"utf-8 code page writes no mark", 65001, u"\u4E2D", u"", "\xE4\xB8\xAD"},
        {"a lone surrogate", 65001, u"a"s + char16_t(0xD800), u"",
         "\xEF\xBB\xBF"
         "a\xEF\xBF\xBD"},
        {"NUL characters stay", 1252, u"a\0b"s, u"", "a\0b"s},
        {"nothing", 1252, u"", u"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StringSink sink;
        WriteEncodedPage(sink, {c.first, c.second}, AnsiCodePage::ForCodePage(c.codePage));
        EXPECT_EQ(sink.bytes_, c.bytes);
    }
}

TEST(PageEncoding, LongPagesComeBackWhole) {
    // Several slices long, with pairs and line breaks on every side of the slice borders.
    std::u16string text;
    while (text.size() < 1024 * 1024) {
        text += u"ab\U0001F600\u4E2D\r\n";
    }
    const AnsiCodePage western = AnsiCodePage::ForCodePage(1252);
    StringSink sink;
    WriteEncodedPage(sink, {text}, western);
    EXPECT_EQ(DecodePageText(sink.bytes_, western), text);
}

}  // namespace
}  // namespace quillmoor
