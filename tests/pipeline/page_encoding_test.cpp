#include "pipeline/page_encoding.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/utf.h"
#include "tests/pipeline/mixed_text.h"
#include "tests/support/example.h"

namespace quillmoor {
namespace {

using namespace std::string_literals;
using test_support::CodePageExample;
using test_support::Example;

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
    const auto unit_by_unit = [](std::u16string_view text) {
        std::u16string result;
        for (size_t i = 0; i < text.size(); ++i) {
            const bool cr_before_lf =
                text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
            if (text[i] == u'\n' || (text[i] == u'\r' && !cr_before_lf)) {
                result += u"\r\n";
            } else if (!cr_before_lf) {
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
        EXPECT_EQ(part, unit_by_unit(text.substr(start)));
        EXPECT_EQ(DecodePageText(Utf16ToUtf8(text.substr(start)), AnsiCodePage::ForCodePage(65001)),
                  part);
    }
}

// The decoded text, checked for the room it leaves after itself.
std::u16string Decoded(const std::string& bytes, unsigned code_page) {
    const std::u16string text = DecodePageText(bytes, AnsiCodePage::ForCodePage(code_page), 64);
    EXPECT_GE(text.capacity(), text.size() + 64);
    return text;
}

TEST(PageEncoding, AByteOrderMarkOrAsciiDecodesAlikeInEveryCodePage) {
    const Example<std::string, std::u16string> cases[] = {
        {"utf-8 mark", "\xEF\xBB\xBFh\xC3\xA9\n", u"h\u00E9\r\n"},
        {"utf-16 little endian", "\xFF\xFEh\0i\0\n\0"s, u"hi\r\n"},
        {"utf-16 big endian", "\xFE\xFF\0h\0i\0\r"s, u"hi\r\n"},
        {"utf-16 with a pair", "\xFF\xFE\x3D\xD8\x00\xDE"s, u"\U0001F600"},
        {"utf-16 of odd length", "\xFF\xFEh\0i"s, u"h\uFFFD"},
        {"utf-16 mark alone", "\xFE\xFF", u""},
        {"utf-8 mark alone", "\xEF\xBB\xBF", u""},
        {"utf-8 mark wins over a utf-16 mark after it", "\xEF\xBB\xBF\xFF\xFE", u"\uFFFD\uFFFD"},
        {"four bytes of a utf-32 mark read as utf-16", "\xFF\xFE\0\0"s, u"\0"s},
        {"invalid utf-8 after a utf-8 mark",
         "\xEF\xBB\xBF"
         "a\xFF"
         "b",
         u"a\uFFFDb"},
        {"no mark: NUL bytes stay", "a\0\0b"s, u"a\0\0b"s},
        {"no mark: LF CR is two breaks", "a\n\rb", u"a\r\n\r\nb"},
        {"empty", "", u""},
    };
    for (const unsigned code_page : {1252u, 936u, 65001u}) {
        SCOPED_TRACE(code_page);
        for (const auto& c : cases) {
            EXPECT_EQ(Decoded(c.input, code_page), c.expected) << c.name;
        }
    }
}

TEST(PageEncoding, WithoutAMarkTheCodePageDecodes) {
    const CodePageExample<std::string, std::u16string> cases[] = {
        {"western", 1252, "caf\xE9\r\n", u"caf\u00E9\r\n"},
        {"western: half a utf-8 mark", 1252, "\xEF\xBBx", u"\u00EF\u00BBx"},
        {"utf-8: not utf-8 is read as windows-1252", 65001, "a\xFFz\xC3\xA9\x80\x81",
         u"a\u00FFz\u00C3\u00A9\u20AC\u0081"},
        {"utf-8", 65001, "a\xC3\xA9z", u"a\u00E9z"},
        {"double-byte", 936, "\xD6\xD0\n", u"\u4E2D\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Decoded(c.input, c.code_page), c.expected) << c.name;
    }
}

TEST(PageEncoding, WritesInTheCodePageOnlyWhatSurvivesIt) {
    const CodePageExample<std::pair<std::u16string, std::u16string>, std::string> cases[] = {
        {"ascii", 1252, {u"<p>a</p>", u"\r\n"}, "<p>a</p>\r\n"},
        {"western text in a western code page", 1252, {u"caf\u00E9 \u20AC", u""}, "caf\xE9 \x80"},
        {"chinese in a western code page",
         1252,
         {u"\u4E2D", u"\r\n"},
         "\xEF\xBB\xBF\xE4\xB8\xAD\r\n"},
        {"one piece decides for all",
         1252,
         {u"\u00E9", u"\u4E2D"},
         "\xEF\xBB\xBF\xC3\xA9\xE4\xB8\xAD"},
        {"a best-fit letter is not good enough", 1252, {u"\u0101", u""}, "\xEF\xBB\xBF\xC4\x81"},
        {"chinese in a chinese code page", 936, {u"\u4E2D", u""}, "\xD6\xD0"},
        {"utf-8 code page writes no mark", 65001, {u"\u4E2D", u""}, "\xE4\xB8\xAD"},
        {"a lone surrogate",
         65001,
         {u"a"s + char16_t(0xD800), u""},
         "\xEF\xBB\xBF"
         "a\xEF\xBF\xBD"},
        {"NUL characters stay", 1252, {u"a\0b"s, u""}, "a\0b"s},
        {"nothing", 1252, {u"", u""}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StringSink sink;
        WriteEncodedPage(sink, {c.input.first, c.input.second},
                         AnsiCodePage::ForCodePage(c.code_page));
        EXPECT_EQ(sink.bytes_, c.expected);
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

// A sink that can take back what it was given, as a file can.
class RewindableSink : public FileContentSink {
  public:
    void Write(std::string_view bytes) override { bytes_ += bytes; }
    bool CanRewind() const override { return true; }
    void Rewind() override {
        bytes_.clear();
        ++rewinds_;
    }
    std::string bytes_;
    int rewinds_ = 0;
};

TEST(PageEncoding, PagesCheckedAsTheyAreWrittenComeOutAsPagesCheckedFirst) {
    // Long enough that the page is handed over in several blocks before the character
    // that the code page lacks comes.
    const std::u16string long_text = test_support::MixedText(600000);
    std::u16string long_western = long_text;
    std::erase_if(long_western, [](char16_t c) { return c > 0xFF; });
    const struct {
        const char* name;
        unsigned code_page;
        std::vector<std::u16string> pieces;
        LineBreaks line_breaks;
        std::string bytes;
    } cases[] = {
        {"western", 1252, {u"caf\u00E9\n", u"\r\n"}, LineBreaks::kAsTheyAre, "caf\xE9\n\r\n"},
        {"breaks normalised across pieces",
         1252,
         {u"a\r", u"\nb\n", u"\r"},
         LineBreaks::kNormalized,
         "a\r\nb\r\n\r\n"},
        {"chinese in the second piece",
         1252,
         {u"\u00E9\n", u"\u4E2D"},
         LineBreaks::kNormalized,
         "\xEF\xBB\xBF\xC3\xA9\r\n\xE4\xB8\xAD"},
        {"utf-8 code page", 65001, {u"\u4E2D\r"}, LineBreaks::kNormalized, "\xE4\xB8\xAD\r\n"},
        {"a lone surrogate in utf-8",
         65001,
         {u"a\r"s + char16_t(0xD800)},
         LineBreaks::kAsTheyAre,
         "\xEF\xBB\xBF"
         "a\r\xEF\xBF\xBD"},
        {"long western page",
         1252,
         {long_western},
         LineBreaks::kNormalized,
         AnsiCodePage::ForCodePage(1252).Encode(test_support::Normalized(long_western))},
        {"long page, the last character not western",
         1252,
         {long_western, u"\u4E2D"},
         LineBreaks::kNormalized,
         "\xEF\xBB\xBF" + Utf16ToUtf8(test_support::Normalized(long_western)) + "\xE4\xB8\xAD"},
        {"long utf-8 page, a lone surrogate at its end",
         65001,
         {long_text, std::u16string(1, char16_t(0xDC00))},
         LineBreaks::kAsTheyAre,
         "\xEF\xBB\xBF" + Utf16ToUtf8(long_text) + "\xEF\xBF\xBD"},
        {"long chinese page",
         936,
         {u"\u4E2D\u6587\n" + std::u16string(300000, u'x')},
         LineBreaks::kNormalized,
         "\xD6\xD0\xCE\xC4\r\n" + std::string(300000, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const AnsiCodePage code_page = AnsiCodePage::ForCodePage(c.code_page);
        const auto write = [&](FileContentSink& sink) {
            switch (c.pieces.size()) {
                case 1:
                    WriteEncodedPage(sink, {c.pieces[0]}, code_page, c.line_breaks);
                    break;
                case 2:
                    WriteEncodedPage(sink, {c.pieces[0], c.pieces[1]}, code_page, c.line_breaks);
                    break;
                default:
                    WriteEncodedPage(sink, {c.pieces[0], c.pieces[1], c.pieces[2]}, code_page,
                                     c.line_breaks);
            }
        };
        StringSink checked_first;
        write(checked_first);
        RewindableSink checked_as_written;
        write(checked_as_written);
        EXPECT_TRUE(checked_first.bytes_ == c.bytes);
        EXPECT_TRUE(checked_as_written.bytes_ == c.bytes);
        EXPECT_EQ(checked_as_written.rewinds_, c.bytes.starts_with("\xEF\xBB\xBF") ? 1 : 0);
    }
}

}  // namespace
}  // namespace quillmoor
