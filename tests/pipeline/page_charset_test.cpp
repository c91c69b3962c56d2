// Every page the program writes, temporary page or result, must read in a browser as the
// text the program meant. Each source page of the table goes through the read path
// (ReadSourcePage, InjectWidget, WriteTempPage) and, translated, through StoreResult, for a
// Western and a UTF-8 code page and the system's own; the files written are decoded as a
// browser decodes them.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "pipeline/page_text.h"
#include "pipeline/result_store.h"
#include "pipeline/source_names.h"
#include "pipeline/widget_snippet.h"
#include "platform/utf.h"
#include "tests/pipeline/browser_decoding.h"
#include "tests/pipeline/mixed_text.h"
#include "tests/support/test_folder.h"

namespace quillmoor {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test_support::BrowserDefault;
using test_support::DecodeAsBrowser;
using test_support::EncodingSeenByBrowser;
using test_support::ReadBytes;
using test_support::TestFolder;
using test_support::WriteBytes;

constexpr std::size_t kGerman = 30;

// A code page and what a browser on a system of that code page falls back on.
struct SystemCase {
    std::string name;
    AnsiCodePage code_page;
    BrowserDefault fallback;

    bool IsUtf8() const { return fallback == BrowserDefault::kUtf8ElseWindows1252; }
};

std::vector<SystemCase> Systems() {
    std::vector<SystemCase> systems = {
        {"western code page", AnsiCodePage::ForCodePage(1252), BrowserDefault::kWindows1252},
        {"utf-8 code page", AnsiCodePage::ForCodePage(65001), BrowserDefault::kUtf8ElseWindows1252},
    };
    const AnsiCodePage& system = AnsiCodePage::System();
    if (system.IsUtf8()) {
        systems.push_back(
            {"system code page (utf-8)", system, BrowserDefault::kUtf8ElseWindows1252});
    } else if (system.Name() == "CP1252") {
        systems.push_back({"system code page (1252)", system, BrowserDefault::kWindows1252});
    }
    return systems;
}

// A source page: the bytes of the file and the declaration a browser keeps in the markup it
// delivers (the meta element, unchanged).
struct SourceCase {
    const char* name;
    std::string bytes;
    std::u16string declaration;
};

const std::string kWesternUtf8 =
    "<p>Menu du caf\xC3\xA9, 3 \xE2\x82\xAC, \xE2\x80\x9C"
    "d\xC3\xA9licieux\xE2\x80\x9D</p>";
const std::string kWestern1252 =
    "<p>Menu du caf\xE9, 3 \x80, \x93"
    "d\xE9licieux\x94</p>";
const std::u16string kChinese = u"<p>\u83DC\u5355\uFF1A\u5496\u5561 3 \u20AC</p>";

std::string Page(const std::string& declaration, const std::string& body) {
    return "<!DOCTYPE html>\r\n<html>\r\n<head>" + declaration +
           "<title>Menu</title></head>\r\n<body>" + body + "</body>\r\n</html>\r\n";
}

std::vector<SourceCase> Sources() {
    const std::string utf8_meta = "<meta charset=\"utf-8\">";
    const std::string western_meta =
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">";
    const std::string latin1_meta =
        "<META HTTP-EQUIV='content-type' CONTENT='text/html; "
        "charset=ISO-8859-1'>";
    const std::string utf16_meta = "<meta charset=\"utf-16\">";
    const std::string japanese_meta = "<meta charset=\"Shift_JIS\">";
    const AnsiCodePage japanese = AnsiCodePage::ForCodePage(932);
    return {
        {"utf-8, declared", Page(utf8_meta, kWesternUtf8), Utf8ToUtf16(utf8_meta)},
        {"utf-8, undeclared", Page("", kWesternUtf8), u""},
        {"utf-8, declared, line feeds only",
         "<html>\n<head>" + utf8_meta + "</head>\n<body>" + kWesternUtf8 + "\n</body></html>\n",
         Utf8ToUtf16(utf8_meta)},
        {"utf-8 with a mark, declared", "\xEF\xBB\xBF" + Page(utf8_meta, kWesternUtf8),
         Utf8ToUtf16(utf8_meta)},
        {"utf-8 with a mark, undeclared, chinese", "\xEF\xBB\xBF" + Page("", Utf16ToUtf8(kChinese)),
         u""},
        {"windows-1252, declared", Page(western_meta, kWestern1252), Utf8ToUtf16(western_meta)},
        {"windows-1252, declared as iso-8859-1", Page(latin1_meta, kWestern1252),
         Utf8ToUtf16(latin1_meta)},
        {"windows-1252, undeclared", Page("", kWestern1252), u""},
        {"utf-16 little endian with a mark, declared, chinese",
         test_support::Utf16File(Utf8ToUtf16(Page(utf16_meta, Utf16ToUtf8(kChinese))), false),
         Utf8ToUtf16(utf16_meta)},
        {"utf-16 big endian with a mark, undeclared, western",
         test_support::Utf16File(Utf8ToUtf16(Page("", kWesternUtf8)), true), u""},
        {"shift_jis, declared",
         Page(japanese_meta, "<p>" +
                                 japanese.Encode(u"\u65E5\u672C\u8A9E\u306E\u30E1\u30CB"
                                                 u"\u30E5\u30FC") +
                                 "</p>"),
         Utf8ToUtf16(japanese_meta)},
    };
}

// Translations a widget could put into a page: one that every code page holds, one that only
// UTF-8 holds.
struct TranslationCase {
    const char* name;
    std::u16string text;
};

const TranslationCase kTranslations[] = {
    {"german", u"Speisekarte des Caf\u00E9s: 3 \u20AC, \u201Ek\u00F6stlich\u201C"},
    {"russian", u"\u041C\u0435\u043D\u044E \u043A\u0430\u0444\u0435: 3 \u20AC"},
    {"chinese", u"\u5496\u5561\u9986\u7684\u83DC\u5355"},
};

// text with every line break as CR LF, as the program writes pages.
std::u16string WithCrLf(std::u16string_view text) {
    std::u16string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' || text[i] == u'\r') {
            result += u"\r\n";
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
        } else {
            result += text[i];
        }
    }
    return result;
}

bool HasOnlyCrLf(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if ((bytes[i] == '\r') != (i + 1 < bytes.size() && bytes[i + 1] == '\n') ||
            (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))) {
            return false;
        }
    }
    return true;
}

class PageCharsetTest : public ::testing::Test {
  protected:
    std::u16string Path(std::u16string_view name) const { return folder_.Path(name); }

    // The temporary page the read path makes of the source bytes.
    std::string TempPageOf(const std::string& source, const AnsiCodePage& code_page) {
        WriteBytes(fs::path(Path(u"page.html")), source);
        SourcePage page = ReadSourcePage(Path(u"page.html"), code_page);
        const auto injected = InjectWidget(std::move(page.text), u"de");
        EXPECT_TRUE(injected.has_value());
        const std::u16string temp =
            WriteTempPage(Path(u"page-temp.html"), injected.value_or(u""), page.encoding);
        std::string bytes = ReadBytes(fs::path(temp));
        EXPECT_TRUE(RemoveTempPage(temp));
        return bytes;
    }

    TestFolder folder_;
};

TEST_F(PageCharsetTest, TempPageReadsInABrowserAsItsSourceWithTheWidget) {
    for (const SystemCase& system : Systems()) {
        for (const SourceCase& source : Sources()) {
            SCOPED_TRACE(system.name + ", " + source.name);
            std::u16string expected = WithCrLf(DecodeAsBrowser(source.bytes, system.fallback));
            expected.insert(expected.find(u"<head"), WidgetSnippet(u"de"));
            const std::string temp = TempPageOf(source.bytes, system.code_page);
            EXPECT_EQ(DecodeAsBrowser(temp, system.fallback), expected)
                << "source read as " << EncodingSeenByBrowser(source.bytes, system.fallback)
                << ", temporary page as " << EncodingSeenByBrowser(temp, system.fallback);
            // A page without a mark reaches the browser with its own bytes.
            const bool marked = source.bytes.starts_with("\xEF\xBB\xBF") ||
                                source.bytes.starts_with("\xFF\xFE") ||
                                source.bytes.starts_with("\xFE\xFF");
            if (!marked && HasOnlyCrLf(source.bytes)) {
                std::string passed = source.bytes;
                passed.insert(passed.find("<head"), Utf16ToUtf8(WidgetSnippet(u"de")));
                EXPECT_TRUE(temp == passed);
            }
            if (marked) {
                EXPECT_TRUE(temp.starts_with("\xEF\xBB\xBF"));
            }
        }
    }
}

TEST_F(PageCharsetTest, ResultReadsInABrowserAsTheTranslatedMarkup) {
    fs::create_directories(fs::path(Path(u"site")));
    const SourceNames names(Path(u"site") + SeparatorOf(kNativePathStyle), u"index.html");
    const std::u16string root = ResultRootFor(Path(u"program"));
    const fs::path result = fs::path(root) / u"index.html" / u"de" / u"index.html";
    for (const SystemCase& system : Systems()) {
        for (const SourceCase& source : Sources()) {
            for (const TranslationCase& translation : kTranslations) {
                SCOPED_TRACE(system.name + ", " + source.name + ", " + translation.name);
                // The markup as the browser delivers it: the snippet ahead of what was the
                // head, which the parser moved into the body.
                const std::u16string captured = u"<html><head></head><body>" +
                                                WidgetSnippet(u"de") + source.declaration +
                                                u"<title>" + translation.text + u"</title><p>" +
                                                translation.text + u"</p></body></html>";
                const std::u16string cleaned =
                    StoreResult(captured, names, kGerman, root, system.code_page).markup;
                const std::string bytes = ReadBytes(result);
                EXPECT_EQ(DecodeAsBrowser(bytes, system.fallback), cleaned + u"\r\n")
                    << "read as " << EncodingSeenByBrowser(bytes, system.fallback);
            }
        }
    }
}

TEST_F(PageCharsetTest, ResultWhoseDeclarationABrowserMayMissIsMarkedUnlessItNamesTheDefault) {
    // A declaration that lies past the first 1024 bytes: browsers that look no further take
    // their default, others read on through the head. Unless it names the system's own code
    // page, only a mark gives every browser the same text.
    const std::u16string long_title(1100, u'x');
    const std::u16string accented_title(700, u'\u00E9');  // 700 units, 1400 bytes in UTF-8
    const struct {
        const char* name;
        std::u16string markup;
        bool declares_utf8;
    } cases[] = {
        {"after a long title",
         u"<html><head><title>" + long_title +
             u"</title><meta charset=\"utf-8\"></head><body>caf\u00E9",
         true},
        {"within 1024 characters, past 1024 bytes",
         u"<html><head><title>" + accented_title + u"</title><meta charset=\"utf-8\">", true},
        {"declared windows-1252 past 1024 bytes",
         u"<html><head><title>" + long_title +
             u"</title><meta charset=\"windows-1252\"></head><body>caf\u00E9",
         false},
    };
    for (const SystemCase& system : Systems()) {
        for (const auto& c : cases) {
            SCOPED_TRACE(system.name + ", " + c.name);
            const std::u16string path = Path(u"result.html");
            WriteTextFile(path, c.markup, system.code_page);
            const std::string bytes = ReadBytes(fs::path(path));
            EXPECT_EQ(DecodeAsBrowser(bytes, system.fallback), c.markup + u"\r\n")
                << "read as " << EncodingSeenByBrowser(bytes, system.fallback);
            EXPECT_EQ(bytes.starts_with("\xEF\xBB\xBF"), c.declares_utf8 != system.IsUtf8());
        }
    }
}

TEST_F(PageCharsetTest, EveryByteOfAPageWithoutAMarkPassesThrough) {
    // Every byte value but the line breaks: what is not UTF-8 is read as windows-1252, whose
    // every byte (the five it leaves undefined too) comes back as it was.
    const std::string bytes = test_support::EveryByteButLineBreaks();
    const std::string after = "<head>" + bytes + "\r\n</head>";
    for (const SystemCase& system : Systems()) {
        SCOPED_TRACE(system.name);
        EXPECT_TRUE(TempPageOf("<html>\r\n" + after, system.code_page) ==
                    "<html>\r\n" + Utf16ToUtf8(WidgetSnippet(u"de")) + after);
    }
}

TEST_F(PageCharsetTest, InvalidUtf8InAUtf8CodePageReadsAsWindows1252) {
    const AnsiCodePage utf8 = AnsiCodePage::ForCodePage(65001);
    const struct {
        const char* name;
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"valid utf-8", "<p>caf\xC3\xA9</p>\n", u"<p>caf\u00E9</p>\r\n"},
        {"western bytes", "<p>caf\xE9 \x80 \x81</p>\n", u"<p>caf\u00E9 \u20AC \u0081</p>\r\n"},
        {"utf-8 cut short at the end", "<p>caf\xC3", u"<p>caf\u00C3"},
        {"one bad byte far behind good utf-8",
         std::string(100000, 'a') + "\xC3\xA9" + std::string(100000, 'b') + "\xE9",
         std::u16string(100000, u'a') + u"\u00C3\u00A9" + std::u16string(100000, u'b') + u"\u00E9"},
        {"a utf-8 mark keeps utf-8, bad bytes and all",
         "\xEF\xBB\xBF"
         "caf\xE9",
         u"caf\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(fs::path(Path(u"page.html")), c.bytes);
        EXPECT_TRUE(ReadPageText(Path(u"page.html"), utf8) == c.text);
        EXPECT_TRUE(ReadSourcePage(Path(u"page.html"), utf8).text == c.text);
    }
}

}  // namespace
}  // namespace quillmoor
