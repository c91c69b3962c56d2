#include "pipeline/result_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "pipeline/language_catalogue.h"
#include "pipeline/widget_snippet.h"
#include "platform/file_system.h"
#include "platform/no_copy.h"
#include "platform/utf.h"
#include "tests/support/example.h"
#include "tests/support/test_folder.h"

#ifndef _WIN32
#include <sys/mount.h>
#endif

namespace quillmoor {
namespace {

using test_support::Example;

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr size_t kGerman = 30;
constexpr size_t kChinese = 14;

class ResultStoreTest : public ::testing::Test {
  protected:
    fs::path At(std::u16string_view name) const { return fs::path(folder_.Path(name)); }
    std::u16string Path(std::u16string_view name) const { return folder_.Path(name); }
    // The names of a source file in folder (relative to the test folder).
    SourceNames Source(std::u16string_view folder, std::u16string_view file) const {
        fs::create_directories(At(folder));
        return SourceNames(Path(folder) + SeparatorOf(kNativePathStyle), file);
    }
    std::u16string Root() const { return ResultRootFor(Path(u"program")); }

    test_support::TestFolder folder_;
    const AnsiCodePage western_ = AnsiCodePage::ForCodePage(1252);
};

TEST_F(ResultStoreTest, WriteTextFileEndsTheTextWithCrLf) {
    const Example<std::u16string, std::string> cases[] = {
        {"western", u"<p>caf\u00E9</p>", "<p>caf\xE9</p>\r\n"},
        {"breaks inside stay as they are", u"a\nb\rc", "a\nb\rc\r\n"},
        {"chinese gets utf-8 and a mark", u"<p>\u4E2D</p>", "\xEF\xBB\xBF<p>\xE4\xB8\xAD</p>\r\n"},
        {"empty", u"", "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteTextFile(Path(u"result.html"), c.input, western_);
        EXPECT_EQ(test_support::ReadBytes(At(u"result.html")), c.expected);
    }
}

TEST_F(ResultStoreTest, WriteTextFileReplacesTheWholeOldResult) {
    test_support::WriteBytes(At(u"result.html"),
                             "an old result that is much longer than the new one");
    WriteTextFile(Path(u"result.html"), u"new", western_);
    EXPECT_EQ(test_support::ReadBytes(At(u"result.html")), "new\r\n");
    EXPECT_THAT(test_support::NamesIn(folder_.Root()), ElementsAre("result.html"));
}

TEST_F(ResultStoreTest, WriteTextFileRefusesAFolder) {
    fs::create_directory(At(u"result.html"));
    EXPECT_THROW(WriteTextFile(Path(u"result.html"), u"new", western_), FileSystemError);
}

#ifdef _WIN32
TEST_F(ResultStoreTest, ReadOnlyResultIsNotReplaced) {
    test_support::WriteBytes(At(u"result.html"), "old");
    fs::permissions(At(u"result.html"), fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_THROW(WriteTextFile(Path(u"result.html"), u"new", western_), FileSystemError);
    EXPECT_EQ(test_support::ReadBytes(At(u"result.html")), "old");
}
#else
// What WriteTextFile reports when run as an ordinary user; empty when it succeeds.
std::string ErrorOfUnprivilegedWrite(const std::u16string& path) {
    return test_support::RunWithoutPrivileges([&](std::string& message) {
               try {
                   WriteTextFile(path, u"new");
               } catch (const FileSystemError& error) {
                   message = error.what();
               }
               return 0;
           })
        .output;
}

TEST_F(ResultStoreTest, ReadOnlyResultIsNotReplaced) {
    test_support::WriteBytes(At(u"result.html"), "old");
    fs::permissions(At(u"result.html"),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(folder_.Root(), fs::perms::all);
    EXPECT_THAT(ErrorOfUnprivilegedWrite(Path(u"result.html")),
                HasSubstr("Cannot replace the file \"" + Utf16ToUtf8(Path(u"result.html")) + "\""));
    EXPECT_EQ(test_support::ReadBytes(At(u"result.html")), "old");
    EXPECT_THAT(test_support::NamesIn(folder_.Root()), ElementsAre("result.html"));
}

TEST_F(ResultStoreTest, ResultThatCannotBeDeletedIsNotAppendedTo) {
    // A writable result in a folder that cannot be written: the old result can be neither
    // deleted nor replaced, and it must not get the new text tacked on.
    test_support::WriteBytes(At(u"result.html"), "old");
    fs::permissions(At(u"result.html"), fs::perms::all);
    EXPECT_THAT(ErrorOfUnprivilegedWrite(Path(u"result.html")), HasSubstr("Permission denied"));
    EXPECT_EQ(test_support::ReadBytes(At(u"result.html")), "old");
    EXPECT_THAT(test_support::NamesIn(folder_.Root()), ElementsAre("result.html"));
}

// A small file system of its own mounted on a folder for the length of a test.
class SmallDisk {
  public:
    explicit SmallDisk(const fs::path& at) : at_(at) {
        fs::create_directories(at);
        mounted_ = mount("tmpfs", at.c_str(), "tmpfs", 0, "size=1m") == 0;
    }
    ~SmallDisk() {
        if (mounted_) {
            umount(at_.c_str());
        }
    }
    QUILLMOOR_NO_COPY(SmallDisk);
    bool Mounted() const { return mounted_; }

  private:
    fs::path at_;
    bool mounted_ = false;
};

TEST_F(ResultStoreTest, AFullDiskFailsTheStoreAndKeepsTheEarlierResult) {
    const SourceNames source = Source(u"site", u"index.html");
    SmallDisk disk(At(u"program"));
    if (!disk.Mounted()) {
        GTEST_SKIP() << "cannot mount a small file system here (mounting needs root)";
    }
    fs::create_directories(At(u"site/index_files"));
    test_support::WriteBytes(At(u"site/index_files/a.css"), "first");
    StoreResult(u"first page", source, kGerman, Root(), western_);

    // More than the disk holds.
    test_support::WriteBytes(At(u"site/index_files/a.css"), "second");
    test_support::WriteBytes(At(u"site/index_files/big.png"), std::string(2 << 20, 'x'));
    try {
        StoreResult(u"second page", source, kGerman, Root(), western_);
        ADD_FAILURE() << "stored";
    } catch (const FileSystemError& error) {
        EXPECT_THAT(error.what(), HasSubstr("big.png"));
        EXPECT_THAT(error.what(), HasSubstr("No space left on device"));
    }
    const fs::path german = At(u"program/result/index.html/de");
    EXPECT_EQ(test_support::ReadBytes(german / "index.html"), "first page\r\n");
    EXPECT_THAT(test_support::NamesIn(german), ElementsAre("index.html", "index_files"));
    EXPECT_THAT(test_support::NamesIn(german / "index_files"), ElementsAre("a.css"));
    EXPECT_EQ(test_support::ReadBytes(german / "index_files" / "a.css"), "first");
}

TEST_F(ResultStoreTest, ResultRootThatCannotBeWrittenEndsTheStore) {
    const SourceNames source = Source(u"site", u"index.html");
    const auto outcome = test_support::RunWithoutPrivileges([&](std::string& message) {
        try {
            StoreResult(u"<p>x</p>", source, kGerman, Root());
        } catch (const FileSystemError& error) {
            message = error.what();
        }
        return 0;
    });
    EXPECT_THAT(outcome.output, HasSubstr("Cannot create the folder \"" +
                                          Utf16ToUtf8(Root() + u"index.html" +
                                                      SeparatorOf(kNativePathStyle) + u"de") +
                                          "\": Permission denied"));
    EXPECT_FALSE(fs::exists(At(u"program")));
}
#endif

TEST_F(ResultStoreTest, StoresTheCleanedPageWithItsResources) {
    const SourceNames source = Source(u"site", u"index.html");
    fs::create_directories(At(u"site/index_files/img"));
    test_support::WriteBytes(At(u"site/index_files/img/a.png"), "png");
    const std::u16string markup =
        u"<html>" + WidgetSnippet(u"zh-CN") + u"<head></head><body>\u4E2D</body></html>";
    const std::u16string cleaned = StoreResult(markup, source, kChinese, Root(), western_).markup;
    const std::u16string container =
        WidgetSnippet(u"zh-CN").substr(0, WidgetSnippet(u"").find(u"<script>"));
    EXPECT_EQ(cleaned, u"<html>" + container + u"<head></head><body>\u4E2D</body></html>");
    const fs::path language_folder = At(u"program/result/index.html/zh-CN");
    EXPECT_THAT(test_support::NamesIn(language_folder), ElementsAre("index.html", "index_files"));
    EXPECT_EQ(test_support::ReadBytes(language_folder / "index.html"),
              "\xEF\xBB\xBF" + Utf16ToUtf8(cleaned) + "\r\n");
    EXPECT_EQ(test_support::ReadBytes(language_folder / "index_files" / "img" / "a.png"), "png");
}

TEST_F(ResultStoreTest, ASitePageIsStoredCleanInItsLanguageTreeWithoutResources) {
    const SourceNames source = Source(u"site/guide", u"intro.html");
    fs::create_directories(At(u"site/guide/intro_files"));
    const std::u16string text =
        u"<!DOCTYPE html><html lang=\"en\"><head><title>Intro</title></head>"
        u"<body><p>Hi</p></body></html>";
    // The browser closed the head at the snippet: the title came into the body.
    const std::u16string captured =
        u"<html lang=\"en\" class=\"translated-rtl\"><head></head><body>" + WidgetSnippet(u"ar") +
        u"<title>\u0645</title><p>\u0645</p></body></html>";
    // The path inside the site comes with the system's separators.
    const std::u16string site_path =
        std::u16string(u"guide") + SeparatorOf(kNativePathStyle) + u"intro.html";
    const ResultPlace place = SiteResultPlace(Path(u"out"), site_path, u"ar");
    EXPECT_EQ(fs::path(place.page), At(u"out/ar/guide/intro.html"));
    const StoredResult stored = StoreSitePage(captured, text, place, u"ar", western_);
    EXPECT_EQ(stored.markup,
              u"<!DOCTYPE html><html lang=\"ar\" dir=\"rtl\"><head><title>\u0645</title></head>"
              u"<body><p>\u0645</p></body></html>");
    EXPECT_THAT(test_support::NamesIn(At(u"out/ar/guide")), ElementsAre("intro.html"));
    EXPECT_EQ(test_support::ReadBytes(At(u"out/ar/guide/intro.html")),
              "\xEF\xBB\xBF" + Utf16ToUtf8(stored.markup) + "\r\n");
}

TEST_F(ResultStoreTest, PageWithoutResourcesGetsNoResourceFolder) {
    StoreResult(u"<p>x</p>", Source(u"site", u"page.htm"), kGerman, Root(), western_);
    EXPECT_THAT(test_support::NamesIn(At(u"program/result/page.htm/de")), ElementsAre("page.htm"));
}

TEST_F(ResultStoreTest, SourcesOfTheSameNameShareTheirResultFolderTheLastOneWhole) {
    const SourceNames first = Source(u"one", u"index.html");
    const SourceNames second = Source(u"two", u"index.html");
    fs::create_directories(At(u"one/index_files"));
    fs::create_directories(At(u"two/index_files"));
    test_support::WriteBytes(At(u"one/index_files/a.css"), "one a");
    test_support::WriteBytes(At(u"one/index_files/b.css"), "one b");
    test_support::WriteBytes(At(u"two/index_files/b.css"), "two b");
    StoreResult(u"first page", first, kGerman, Root(), western_);
    StoreResult(u"second", second, kGerman, Root(), western_);
    const fs::path german = At(u"program/result/index.html/de");
    EXPECT_EQ(test_support::ReadBytes(german / "index.html"), "second\r\n");
    // The resource folder is the second page's: nothing of the first one's is left in it.
    EXPECT_THAT(test_support::NamesIn(german / "index_files"), ElementsAre("b.css"));
    EXPECT_EQ(test_support::ReadBytes(german / "index_files" / "b.css"), "two b");
}

TEST_F(ResultStoreTest, ResultTranslatedOntoItselfEndsWithTheCopyError) {
    const SourceNames source = Source(u"program/result/index.html/de", u"index.html");
    test_support::WriteBytes(At(u"program/result/index.html/de/index.html"), "earlier result");
    fs::create_directories(At(u"program/result/index.html/de/index_files"));
    try {
        StoreResult(u"new result", source, kGerman, Root(), western_);
        ADD_FAILURE() << "stored";
    } catch (const FileSystemError& error) {
        EXPECT_THAT(error.what(), HasSubstr("the destination is the same folder"));
    }
    // The page is written after its resources: a store that failed on them leaves the
    // earlier result as it was, never a new page without its resources.
    EXPECT_EQ(test_support::ReadBytes(At(u"program/result/index.html/de/index.html")),
              "earlier result");
}

TEST_F(ResultStoreTest, UnknownLanguageIsAProgrammingError) {
    EXPECT_THROW(StoreResult(u"x", Source(u"site", u"a.html"), LanguageCodes().size(), Root()),
                 std::out_of_range);
}

}  // namespace
}  // namespace quillmoor
