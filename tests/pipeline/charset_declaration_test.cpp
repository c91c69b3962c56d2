#include "pipeline/charset_declaration.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/utf.h"

namespace quillmoor {
namespace {

TEST(CharsetDeclaration, FindsTheDeclarationABrowserHonours) {
    const std::u16string long_text(1100, u'x');
    const struct {
        const char* name;
        std::u16string markup;
        const char* encoding;  // nullptr: none
    } cases[] = {
        {"charset", u"<html><head><meta charset=\"utf-8\"><title>t</title>", "UTF-8"},
        {"capitals, no quotes", u"<HTML><HEAD><META CHARSET=UTF8>", "UTF-8"},
        {"content type",
         u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">",
         "windows-1252"},
        {"content type named after its content",
         u"<meta content='text/html;charset=\"shift_jis\"' http-equiv=content-type>", "Shift_JIS"},
        {"content without http-equiv", u"<meta content=\"text/html; charset=windows-1252\">",
         nullptr},
        {"content with an empty charset",
         u"<meta http-equiv=content-type content=\"text/html; charset=\">", nullptr},
        {"latin1 is windows-1252", u"<meta charset=\"latin1\">", "windows-1252"},
        {"us-ascii is windows-1252", u"<meta charset=\"us-ascii\">", "windows-1252"},
        {"utf-16 reads as utf-8", u"<meta charset=\"utf-16\">", "UTF-8"},
        {"x-user-defined reads as windows-1252", u"<meta charset=x-user-defined>", "windows-1252"},
        {"an unknown label is passed over", u"<meta charset=\"klingon\"><meta charset=\"gbk\">",
         "GBK"},
        {"the first charset attribute counts", u"<meta charset=\"shift_jis\" charset=\"utf-8\">",
         "Shift_JIS"},
        {"in a comment", u"<!-- <meta charset=\"shift_jis\"> --><meta charset=\"utf-8\">", "UTF-8"},
        {"after an empty comment", u"<!--><meta charset=\"utf-8\">", "UTF-8"},
        {"inside another tag's attribute",
         u"<a title=\"<meta charset=shift_jis>\"><meta charset=utf-8>", "UTF-8"},
        {"slash before the attributes", u"<meta/charset=utf-8>", "UTF-8"},
        {"not a meta element", u"<metal charset=utf-8>", nullptr},
        {"cut short", u"<meta charset=\"utf-8\"", nullptr},
        {"in the head past 1024 characters",
         u"<head><title>" + long_text + u"</title><meta charset=\"utf-8\">", "UTF-8"},
        {"in the body past 1024 characters",
         u"<head></head><body>" + long_text + u"<meta charset=\"utf-8\">", nullptr},
        {"in the body within 1024 characters",
         u"<head></head><body><div></div><meta charset=\"utf-8\">", "UTF-8"},
        {"plain text", u"no markup at all < 3", nullptr},
        {"empty", u"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<CharsetDeclaration> found = FindCharsetDeclaration(c.markup);
        if (c.encoding == nullptr) {
            EXPECT_FALSE(found.has_value()) << found->encoding;
            continue;
        }
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->encoding, c.encoding);
        EXPECT_EQ(c.markup[found->end - 1], u'>');
    }
    // The end is that of the declaring element, not of one passed over.
    const std::u16string markup =
        u"<!-- <meta charset=gbk> --><meta charset=klingon>"
        u"<meta charset=utf-8><title>";
    const auto found = FindCharsetDeclaration(markup);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->end, markup.find(u"<title>"));
}

TEST(CharsetDeclaration, NamesEncodingsAsTheWebDoes) {
    const struct {
        std::u16string label;
        const char* encoding;  // nullptr: none
    } labels[] = {
        {u" UTF-8\t", "UTF-8"},
        {u"ISO-8859-1", "windows-1252"},
        {u"cp1252", "windows-1252"},
        {u"SJIS", "Shift_JIS"},
        {u"gb2312", "GBK"},
        {u"iso-8859-9", "windows-1254"},
        {u"koi8-r", "KOI8-R"},
        {u"utf-16", "UTF-16LE"},
        {u"klingon", nullptr},
        {u"utf-8\u00A0", nullptr},
        {u"", nullptr},
    };
    for (const auto& c : labels) {
        SCOPED_TRACE(Utf16ToUtf8(c.label));
        const auto encoding = WebEncodingOfLabel(c.label);
        if (c.encoding == nullptr) {
            EXPECT_FALSE(encoding.has_value());
        } else {
            EXPECT_EQ(encoding, c.encoding);
        }
    }
    const struct {
        unsigned code_page;
        const char* encoding;  // nullptr: none
    } code_pages[] = {
        {1252, "windows-1252"},
        {65001, "UTF-8"},
        {932, "Shift_JIS"},
        {936, "GBK"},
        {1251, "windows-1251"},
        {28595, "ISO-8859-5"},
        // ISO-8859-1 lacks the characters that the web's iso-8859-1 gives bytes 80 to 9F.
        {28591, nullptr},
    };
    for (const auto& c : code_pages) {
        SCOPED_TRACE(c.code_page);
        const auto encoding = WebEncodingOf(AnsiCodePage::ForCodePage(c.code_page));
        if (c.encoding == nullptr) {
            EXPECT_FALSE(encoding.has_value());
        } else {
            EXPECT_EQ(encoding, c.encoding);
        }
    }
}

}  // namespace
}  // namespace quillmoor
