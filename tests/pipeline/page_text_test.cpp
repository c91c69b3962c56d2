#include "pipeline/page_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "pipeline/widget_snippet.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "tests/pipeline/mixed_text.h"
#include "tests/support/test_folder.h"

namespace quillmoor {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(InjectWidget, PutsTheSnippetBeforeTheFirstHeadOrElseBody) {
    const struct {
        const char* name;
        std::u16string page;
        size_t anchor;  // npos: no anchor
    } cases[] = {
        {"head", u"<html><head><title>t</title></head><body></body></html>", 6},
        {"header before head", u"<html><body><header>x</header><head>", 12},
        {"header and no head", u"<html><body><header>x</header></body>", 12},
        {"starts with head", u"<head></head>", 0},
        {"head in capitals, body in lower case", u"<HTML><HEAD></HEAD><body>x</body>", 19},
        {"body only", u"<p>x</p>\r\n<body>", 10},
        {"both in capitals", u"<HTML><HEAD></HEAD><BODY></BODY></HTML>", std::u16string::npos},
        {"neither", u"just text\r\n", std::u16string::npos},
        {"empty", u"", std::u16string::npos},
        {"only the start of a tag name", u"<hea", std::u16string::npos},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<std::u16string> injected = InjectWidget(c.page, u"de");
        if (c.anchor == std::u16string::npos) {
            EXPECT_FALSE(injected.has_value());
            continue;
        }
        ASSERT_TRUE(injected.has_value());
        EXPECT_EQ(*injected,
                  c.page.substr(0, c.anchor) + WidgetSnippet(u"de") + c.page.substr(c.anchor));
    }
}

class PageTextTest : public ::testing::Test {
  protected:
    std::u16string Write(std::u16string_view name, std::string_view bytes) {
        const std::u16string path = folder_.Path(name);
        test_support::WriteBytes(path, bytes);
        return path;
    }
    // Reads, injects and writes the temporary page, as the page run does; returns the path
    // written.
    std::u16string MakeTempPage(std::u16string_view source, const AnsiCodePage& code_page) {
        SourcePage page = ReadSourcePage(folder_.Path(source), code_page);
        const auto injected = InjectWidget(std::move(page.text), u"de");
        EXPECT_TRUE(injected.has_value());
        return WriteTempPage(folder_.Path(u"page-temp.html"), injected.value_or(u""),
                             page.encoding);
    }
    std::string SnippetBytes() const { return Utf16ToUtf8(WidgetSnippet(u"de")); }

    test_support::TestFolder folder_;
    const AnsiCodePage western_ = AnsiCodePage::ForCodePage(1252);
};

TEST(InjectWidgetInBody, PutsTheSnippetAfterTheBodyStartTagOrElseWhereInjectWidgetDoes) {
    const struct {
        const char* name;
        std::u16string page;
        size_t anchor;  // npos: no anchor
    } cases[] = {
        {"head and body", u"<html><head><title>t</title></head><body class=\"x\"><p>", 51},
        {"a > inside an attribute of the body", u"<head></head><body data-a=\"1>2\">x", 32},
        {"a body that ends the text", u"<head></head><body>", 19},
        {"no body: before the head", u"<html><head></head></html>", 6},
        {"a tag that only starts like body", u"<head></head><bodyguard>x</bodyguard>", 0},
        {"body in capitals: before the head", u"<head></head><BODY>x", 0},
        {"an unfinished body tag: before the head", u"<head></head><body class=\"", 0},
        {"neither", u"<p>x</p>", std::u16string::npos},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<std::u16string> injected = InjectWidgetInBody(c.page, u"de");
        if (c.anchor == std::u16string::npos) {
            EXPECT_FALSE(injected.has_value());
            continue;
        }
        ASSERT_TRUE(injected.has_value());
        EXPECT_EQ(*injected,
                  c.page.substr(0, c.anchor) + WidgetSnippet(u"de") + c.page.substr(c.anchor));
    }
}

TEST_F(PageTextTest, ReadPageTextReportsUnreadableFilesWithPathAndReason) {
    fs::create_directory(fs::path(folder_.Path(u"folder.html")));
    const std::u16string huge = folder_.Path(u"huge.html");
    test_support::WriteBytes(huge, "");
    fs::resize_file(huge, std::uintmax_t{1} << 30);  // sparse: nothing is written
    const struct {
        const char* name;
        std::u16string path;
        const char* reason;
    } cases[] = {
        {"missing", folder_.Path(u"missing.html"), "Cannot open the file"},
        {"folder", folder_.Path(u"folder.html"), "it is a folder"},
        {"1 GiB", huge, "holds 1073741824 bytes, more than the 134217728 bytes that can be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ReadPageText(c.path, western_);
            ADD_FAILURE() << "read";
        } catch (const FileSystemError& error) {
            EXPECT_THAT(error.what(), HasSubstr("\"" + Utf16ToUtf8(c.path) + "\": "));
            EXPECT_THAT(error.what(), HasSubstr(c.reason));
        }
    }
}

TEST_F(PageTextTest, PagesWithoutAnAnchorGiveNoTempPage) {
    for (const char* bytes : {"", "\xEF\xBB\xBF", "<HTML><HEAD></HEAD><BODY></BODY></HTML>"}) {
        EXPECT_FALSE(
            InjectWidget(ReadPageText(Write(u"p.html", bytes), western_), u"de").has_value());
    }
}

TEST_F(PageTextTest, AnsiPagePassesThroughByteForByte) {
    const std::string before = "<html>\r\n";
    const std::string after =
        "<head><meta charset=\"windows-1252\">caf\xE9 \x80\r\n</head>\0\x01</html>"s;
    Write(u"page.html", before + after);
    const std::u16string temp = MakeTempPage(u"page.html", western_);
    EXPECT_EQ(test_support::ReadBytes(temp), before + SnippetBytes() + after);
}

TEST_F(PageTextTest, Utf16PageOfAsciiBecomesUtf8WithAMarkAndCrLf) {
    // Single bytes for its characters, and a mark so that a browser reads it as UTF-8
    // whatever the page declares.
    Write(u"page.html", "\xFF\xFE<\0h\0e\0a\0d\0>\0\n\0x\0\r\0<\0/\0h\0t\0m\0l\0>\0"s);
    const std::u16string temp = MakeTempPage(u"page.html", western_);
    EXPECT_EQ(test_support::ReadBytes(temp),
              "\xEF\xBB\xBF" + SnippetBytes() + "<head>\r\nx\r\n</html>");
}

TEST_F(PageTextTest, PageInAScriptTheCodePageLacksIsWrittenWhole) {
    // Chinese through a western code page: the temporary page must still say the same.
    const std::string chinese = "<head><title>\xE4\xB8\xAD\xE6\x96\x87</title>\n</head>";
    Write(u"page.html", "\xEF\xBB\xBF" + chinese);
    const std::u16string temp = MakeTempPage(u"page.html", western_);
    const std::string bytes = test_support::ReadBytes(temp);
    EXPECT_EQ(bytes, "\xEF\xBB\xBF" + SnippetBytes() +
                         "<head><title>\xE4\xB8\xAD\xE6\x96\x87</title>\r\n</head>");
    EXPECT_EQ(ReadPageText(temp, western_),
              WidgetSnippet(u"de") + u"<head><title>\u4E2D\u6587</title>\r\n</head>");
}

TEST_F(PageTextTest, WriteTempPageNormalizesLineBreaks) {
    const std::u16string temp = WriteTempPage(folder_.Path(u"a-temp.html"), u"a\nb\rc", western_);
    EXPECT_EQ(test_support::ReadBytes(temp), "a\r\nb\r\nc");
}

TEST_F(PageTextTest, TempPageNeverReplacesAFileOfTheUsers) {
    const std::u16string own = Write(u"page-temp.html", "my own page");
    const std::u16string written = WriteTempPage(own, u"<head>", western_);
    EXPECT_EQ(written, folder_.Path(u"page-temp-2.html"));
    EXPECT_EQ(test_support::ReadBytes(written), "<head>");
    EXPECT_EQ(test_support::ReadBytes(own), "my own page");
    // Removing it afterwards removes the temporary page only.
    EXPECT_FALSE(RemoveTempPage(own));
    EXPECT_EQ(test_support::ReadBytes(own), "my own page");
}

TEST_F(PageTextTest, TempPageTakesTheFirstFreeNumberedName) {
    Write(u"page-temp.html", "mine");
    Write(u"page-temp-2.html", "mine too");
    fs::create_directory(fs::path(folder_.Path(u"page-temp-3.html")));
    const std::u16string injected = *InjectWidget(u"<head>", u"fr");
    const std::u16string written =
        WriteTempPage(folder_.Path(u"page-temp.html"), injected, western_);
    EXPECT_EQ(written, folder_.Path(u"page-temp-4.html"));
    EXPECT_TRUE(RemoveTempPage(written));
    EXPECT_THAT(test_support::NamesIn(folder_.Root()),
                ElementsAre("page-temp-2.html", "page-temp-3.html", "page-temp.html"));
}

TEST_F(PageTextTest, TempPageLeftByAnEarlierRunIsReplaced) {
    const std::u16string leftover = folder_.Path(u"page-temp.html");
    WriteTempPage(leftover, *InjectWidget(u"<head>old page, rather longer", u"fr"), western_);
    ASSERT_TRUE(IsTempPage(leftover));
    const std::u16string injected = *InjectWidget(u"<head>new", u"de");
    EXPECT_EQ(WriteTempPage(leftover, injected, western_), leftover);
    EXPECT_EQ(test_support::ReadBytes(leftover), SnippetBytes() + "<head>new");
    EXPECT_TRUE(RemoveTempPage(leftover));
    EXPECT_FALSE(fs::exists(fs::path(leftover)));
}

TEST_F(PageTextTest, LongPagesComeThroughWhole) {
    // Read and written in many blocks, with characters and line breaks cut between them.
    const std::u16string text = test_support::MixedText(1500000);
    std::u16string western = text;
    std::erase_if(western, [](char16_t c) { return c > 0xFF; });
    const std::u16string body = test_support::Normalized(western);
    const std::u16string injected_western = WidgetSnippet(u"de") + u"<head>" + body;
    const struct {
        const char* name;
        std::string source;
        std::u16string text;
        std::string temp;
    } cases[] = {
        {"utf-8 page, western text", "\xEF\xBB\xBF<head>" + Utf16ToUtf8(western), u"<head>" + body,
         "\xEF\xBB\xBF" + Utf16ToUtf8(injected_western)},
        {"western page without a mark", western_.Encode(u"<head>" + western), u"<head>" + body,
         western_.Encode(injected_western)},
        {"western page, one chinese character at its end",
         "\xEF\xBB\xBF<head>" + Utf16ToUtf8(western) + "\xE4\xB8\xAD", u"<head>" + body + u"\u4E2D",
         "\xEF\xBB\xBF" + Utf16ToUtf8(injected_western) + "\xE4\xB8\xAD"},
        {"utf-8 page of every kind of character", "\xEF\xBB\xBF<head>" + Utf16ToUtf8(text),
         u"<head>" + test_support::Normalized(text),
         "\xEF\xBB\xBF" + SnippetBytes() + "<head>" + Utf16ToUtf8(test_support::Normalized(text))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write(u"page.html", c.source);
        EXPECT_TRUE(ReadPageText(folder_.Path(u"page.html"), western_) == c.text);
        const std::u16string temp = MakeTempPage(u"page.html", western_);
        EXPECT_TRUE(test_support::ReadBytes(temp) == c.temp);
        EXPECT_TRUE(RemoveTempPage(temp));
    }
}

#ifndef _WIN32
TEST_F(PageTextTest, UnreadablePageAndUnwritableFolderAreReported) {
    const std::u16string page = Write(u"page.html", "<head>");
    fs::permissions(fs::path(page), fs::perms::owner_write);
    const auto read = test_support::RunWithoutPrivileges([&](std::string& message) {
        try {
            ReadPageText(page);
        } catch (const FileSystemError& error) {
            message = error.what();
        }
        return 0;
    });
    EXPECT_THAT(read.output, HasSubstr("\"" + Utf16ToUtf8(page) + "\": Permission denied"));
    const auto write = test_support::RunWithoutPrivileges([&](std::string& message) {
        try {
            WriteTempPage(folder_.Path(u"page-temp.html"), u"<head>");
        } catch (const FileSystemError& error) {
            message = error.what();
        }
        return 0;
    });
    EXPECT_THAT(write.output,
                HasSubstr("Cannot create the file \"" +
                          Utf16ToUtf8(folder_.Path(u"page-temp.html")) + "\": Permission denied"));
    EXPECT_THAT(test_support::NamesIn(folder_.Root()), ElementsAre("page.html"));
}
#endif

}  // namespace
}  // namespace quillmoor
