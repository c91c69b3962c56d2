// Pages and results on Windows as the program meets them there: read and written through
// the active ANSI code page by the system's own conversion, and lying at the root of a drive.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "pipeline/language_catalogue.h"
#include "pipeline/page_text.h"
#include "pipeline/result_store.h"
#include "pipeline/source_names.h"
#include "pipeline/widget_snippet.h"
#include "platform/utf.h"
#include "tests/pipeline/mixed_text.h"
#include "tests/support/example.h"
#include "tests/support/test_folder.h"

namespace quillmoor {
namespace {

using test_support::Example;

namespace fs = std::filesystem;
using namespace std::string_literals;
using ::testing::ElementsAre;

constexpr size_t kGerman = 30;

std::string SnippetBytes() {
    return Utf16ToUtf8(WidgetSnippet(u"de"));
}

TEST(WindowsCodePage, SystemCodePageIsTheActiveAnsiCodePage) {
    EXPECT_EQ(AnsiCodePage::System().Name(), "CP" + std::to_string(GetACP()));
}

// The tables below hold the bytes of the Western European code page, which Wine gives the
// C.UTF-8 locale that scripts/test-win32 runs it in.
class ActiveCodePageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (GetACP() != 1252) {
            GTEST_SKIP() << "the active code page is " << GetACP() << ", not 1252";
        }
    }
    // The temporary page for the source file's bytes, as the page run makes it with the
    // system's code page.
    std::string TempPageOf(const std::string& source) {
        test_support::WriteBytes(fs::path(folder_.Path(u"page.html")), source);
        SourcePage page = ReadSourcePage(folder_.Path(u"page.html"));
        const auto injected = InjectWidget(std::move(page.text), u"de");
        EXPECT_TRUE(injected.has_value());
        return test_support::ReadBytes(
            WriteTempPage(folder_.Path(u"page-temp.html"), injected.value_or(u""), page.encoding));
    }

    test_support::TestFolder folder_;
};

TEST_F(ActiveCodePageTest, PageWithoutAMarkPassesThroughByteForByte) {
    // Every byte value but the line breaks, the five that the code page leaves undefined
    // among them.
    const std::string bytes = test_support::EveryByteButLineBreaks();
    const std::string after = "<head>" + bytes + "\r\n</head>";
    EXPECT_EQ(TempPageOf("<html>\r\n" + after), "<html>\r\n" + SnippetBytes() + after);
}

TEST_F(ActiveCodePageTest, MarkedPagesAreWrittenAsUtf8WithAMark) {
    // Whatever their characters: in the code page a page that declares UTF-8 would read
    // wrongly.
    const Example<std::string, std::string> cases[] = {
        {"utf-16 big endian, western", "\xFE\xFF\0<\0h\0e\0a\0d\0>\0c\0a\0f\0\xE9\0\n\x20\xAC"s,
         "<head>caf\xC3\xA9\r\n\xE2\x82\xAC"},
        {"utf-16 little endian, western", "\xFF\xFE<\0h\0e\0a\0d\0>\0\xAC\x20\r\0"s,
         "<head>\xE2\x82\xAC\r\n"},
        {"utf-8, western", "\xEF\xBB\xBF<head>caf\xC3\xA9\r", "<head>caf\xC3\xA9\r\n"},
        {"utf-16 big endian, chinese", "\xFE\xFF\0<\0h\0e\0a\0d\0>\x4E\x2D\0\n"s,
         "<head>\xE4\xB8\xAD\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TempPageOf(c.input), "\xEF\xBB\xBF" + SnippetBytes() + c.expected);
    }
}

TEST_F(ActiveCodePageTest, ResultsAreWrittenInTheCodePageUnlessItLacksTheirCharacters) {
    const std::u16string path = folder_.Path(u"result.html");
    WriteTextFile(path, u"<p>caf\u00E9 \u20AC</p>");
    EXPECT_EQ(test_support::ReadBytes(fs::path(path)), "<p>caf\xE9 \x80</p>\r\n");
    WriteTextFile(path, u"<p>\u4E2D\u6587</p>");
    EXPECT_EQ(test_support::ReadBytes(fs::path(path)),
              "\xEF\xBB\xBF<p>\xE4\xB8\xAD\xE6\x96\x87</p>\r\n");
}

// Files at the root of the drive that holds the temporary folder, removed at the end.
class DriveRootTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path().root_path();
        base_ = u"quillmoor-test-" + Utf8ToUtf16(std::to_string(std::random_device()()));
        const fs::path probe = root_ / (base_ + u".html");
        if (!CreateDirectoryW((root_ / (base_ + u"_files")).c_str(), nullptr)) {
            GTEST_SKIP() << "cannot write at " << root_.string() << " (error " << GetLastError()
                         << ")";
        }
        test_support::WriteBytes(probe, "<html><head></head></html>");
        test_support::WriteBytes(root_ / (base_ + u"_files") / "style.css", "body{}");
    }
    void TearDown() override {
        std::error_code ignored;
        for (const std::u16string suffix : {u".html", u"-temp.html", u"_files"}) {
            fs::remove_all(root_ / (base_ + suffix), ignored);
        }
    }

    fs::path root_;
    std::u16string base_;
    test_support::TestFolder folder_;
};

TEST_F(DriveRootTest, PageAtTheRootGetsItsTempPageAndResultBesideIt) {
    const std::u16string drive = root_.u16string();  // C:\ (with its backslash)
    const SourceNames names(drive, base_ + u".html");
    EXPECT_EQ(names.SourceDir(), drive);
    EXPECT_EQ(names.TempPagePath(), drive + u"\\" + base_ + u"-temp.html");
    EXPECT_EQ(names.ResourceDir(), drive + u"\\" + base_ + u"_files");

    const auto injected = InjectWidget(ReadPageText(names.SourcePath()), u"de");
    ASSERT_TRUE(injected.has_value());
    const std::u16string temp = WriteTempPage(names.TempPagePath(), *injected);
    EXPECT_EQ(test_support::ReadBytes(root_ / (base_ + u"-temp.html")),
              "<html>" + SnippetBytes() + "<head></head></html>");
    EXPECT_TRUE(IsTempPage(temp));
    EXPECT_TRUE(RemoveTempPage(temp));
    EXPECT_FALSE(fs::exists(root_ / (base_ + u"-temp.html")));

    const std::u16string result_root = ResultRootFor(folder_.Path(u"program"));
    StoreResult(u"<p>x</p>", names, kGerman, result_root);
    const fs::path language = fs::path(result_root) / (base_ + u".html") / "de";
    EXPECT_EQ(test_support::ReadBytes(language / (base_ + u".html")), "<p>x</p>\r\n");
    EXPECT_THAT(test_support::NamesIn(language / (base_ + u"_files")), ElementsAre("style.css"));
}

}  // namespace
}  // namespace quillmoor
