#include "pipeline/page_text_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "pipeline/page_encoding.h"
#include "platform/utf.h"
#include "tests/pipeline/mixed_text.h"

namespace quillmoor {
namespace {

using namespace std::string_literals;

// The page text of bytes handed to a decoder in blocks of block_size bytes, read again in
// windows-1252 when the decoder finds them invalid in a UTF-8 code page.
std::u16string DecodeInBlocks(std::string_view bytes, const AnsiCodePage& code_page,
                              size_t block_size, size_t spare_units = 0) {
    PageTextDecoder decoder(code_page, spare_units);
    decoder.Expect(bytes.size());
    for (size_t start = 0; start < bytes.size(); start += block_size) {
        decoder.Take(bytes.substr(start, block_size));
    }
    std::u16string text = decoder.Finish();
    if (decoder.FoundInvalidUtf8()) {
        return DecodeInBlocks(bytes, *LegacyPageCodePage(), block_size, spare_units);
    }
    return text;
}

TEST(PageTextDecoder, MarksCharactersAndBreaksCutBetweenBlocksReadAsOne) {
    const struct {
        const char* name;
        unsigned code_page;
        std::string bytes;
    } cases[] = {
        {"utf-8 mark", 1252,
         "\xEF\xBB\xBF"
         "a\r\n\xC3\xA9\r\r\n\xE4\xB8\xAD\n\xF0\x9F\x98\x80\r"},
        {"malformed utf-8, cut short at the end", 1252,
         "\xEF\xBB\xBF"
         "a\xFF\xE4\xB8\r\n\xED\xA0\x80\xF4\x90\x80\x80\xF0\x9F\x98"},
        {"utf-16 little endian", 1252,
         "\xFF\xFE"
         "a\0\r\0\n\0\x3D\xD8\x00\xDE\n\0"s},
        {"utf-16 big endian of odd length", 1252, "\xFE\xFF\0a\0\r\0\n\0\r!"s},
        {"utf-8 mark before a utf-16 mark", 1252, "\xEF\xBB\xBF\xFF\xFE"},
        {"half a utf-8 mark", 1252, "\xEF\xBBx\r"},
        {"half a utf-16 mark", 1252, "\xFF"},
        {"western", 1252, "caf\xE9\r\n\x80\n\r\xFF"},
        {"double-byte code page", 936, "\xD6\xD0\r\n\xCE\xC4\n\xD6"},
        {"utf-8 code page", 65001, "a\xC3\xA9\r\xE4\xB8\xAD\n\xF0\x9F\x98\x80\r"},
        {"utf-8 code page, bytes that are not utf-8", 65001,
         "a\xC3\xA9\r\xE4\xB8\xAD\n\xFF\xE4\xB8"},
        {"utf-8 code page, utf-8 cut short at the end", 65001, "a\xC3\xA9\xE4\xB8"},
        {"empty", 1252, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const AnsiCodePage code_page = AnsiCodePage::ForCodePage(c.code_page);
        const std::u16string whole = DecodePageText(c.bytes, code_page);
        for (size_t block_size = 1; block_size <= c.bytes.size(); ++block_size) {
            SCOPED_TRACE(block_size);
            const std::u16string text = DecodeInBlocks(c.bytes, code_page, block_size, 16);
            EXPECT_EQ(text, whole);
            EXPECT_GE(text.capacity(), text.size() + 16);
        }
    }
}

TEST(PageTextDecoder, LongPagesInEveryFormDecodeWhole) {
    // Longer than the decoder's pieces, read in blocks that cut them everywhere.
    const std::u16string text = test_support::MixedText(70000);
    std::u16string western = text;
    std::erase_if(western, [](char16_t c) { return c > 0xFF; });
    std::u16string chinese = text;
    std::erase_if(chinese, [](char16_t c) { return c >= 0xD800 && c <= 0xDFFF; });
    const AnsiCodePage western_page = AnsiCodePage::ForCodePage(1252);
    const AnsiCodePage chinese_page = AnsiCodePage::ForCodePage(936);
    const AnsiCodePage utf8_page = AnsiCodePage::ForCodePage(65001);
    ASSERT_TRUE(chinese_page.CanEncodeExactly(chinese));
    const struct {
        const char* name;
        const AnsiCodePage& code_page;
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"utf-8 mark", western_page, "\xEF\xBB\xBF" + Utf16ToUtf8(text), text},
        {"utf-8 code page", utf8_page, Utf16ToUtf8(text), text},
        {"utf-16 little endian", western_page, test_support::Utf16File(text, false), text},
        {"utf-16 big endian", western_page, test_support::Utf16File(text, true), text},
        {"western code page", western_page, western_page.Encode(western), western},
        {"double-byte code page", chinese_page, chinese_page.Encode(chinese), chinese},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const size_t block_size : {size_t{1000}, size_t{16383}, size_t{16384}, size_t{16385},
                                        size_t{65537}, c.bytes.size()}) {
            SCOPED_TRACE(block_size);
            EXPECT_EQ(DecodeInBlocks(c.bytes, c.code_page, block_size),
                      test_support::Normalized(c.text));
        }
    }
}

}  // namespace
}  // namespace quillmoor
