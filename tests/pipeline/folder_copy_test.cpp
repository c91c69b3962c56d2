#include "pipeline/folder_copy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/utf.h"
#include "tests/support/example.h"
#include "tests/support/file_system_error.h"
#include "tests/support/matchers.h"
#include "tests/support/test_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace quillmoor::test_support {
namespace {

class CopyFolderTest : public ::testing::Test {
  protected:
    CopyFolderTest() {
        fs::create_directories(At(u"src/images/empty"));
        WriteBytes(At(u"src/style.css"), "body{}");
        WriteBytes(At(u"src/.hidden"), "h");
        WriteBytes(At(u"src/images/logo.png"), std::string("\x89PNG\0\x01", 6));
    }
    fs::path At(std::u16string_view name) const { return fs::path(folder_.Path(name)); }
    std::u16string Path(std::u16string_view name) const { return folder_.Path(name); }
    // A copy that may take anything in the test folder.
    std::vector<PassedOverEntry> Copy(const std::u16string& source,
                                      const std::u16string& destination) const {
        return CopyFolder(source, destination, folder_.Root().u16string());
    }

    TestFolder folder_;
};

TEST_F(CopyFolderTest, CopiesTheWholeTreeIntoNewParents) {
    EXPECT_THAT(Copy(Path(u"src"), Path(u"out/de/index_files")), IsEmpty());
    const fs::path out = At(u"out/de/index_files");
    EXPECT_THAT(NamesIn(out), ElementsAre(".hidden", "images", "style.css"));
    EXPECT_THAT(NamesIn(out / "images"), ElementsAre("empty", "logo.png"));
    EXPECT_EQ(ReadBytes(out / "images" / "logo.png"), std::string("\x89PNG\0\x01", 6));
    EXPECT_EQ(ReadBytes(out / "style.css"), "body{}");
}

TEST_F(CopyFolderTest, MergesIntoAnExistingDestination) {
    fs::create_directories(At(u"out/images"));
    WriteBytes(At(u"out/style.css"), "old and longer");
    WriteBytes(At(u"out/images/other.png"), "kept");
    Copy(Path(u"src"), Path(u"out"));
    EXPECT_EQ(ReadBytes(At(u"out/style.css")), "body{}");
    EXPECT_EQ(ReadBytes(At(u"out/images/other.png")), "kept");
    EXPECT_THAT(NamesIn(At(u"out/images")), ElementsAre("empty", "logo.png", "other.png"));
}

TEST_F(CopyFolderTest, AFolderThatCannotBeCreatedFailsTheCopy) {
    // A file where the copy of the images folder would go.
    fs::create_directories(At(u"out"));
    WriteBytes(At(u"out/images"), "a file");
    EXPECT_THAT(FileSystemErrorOf([&] { Copy(Path(u"src"), Path(u"out")); }),
                HasSubstr("Cannot create the folder \"" + fs::path(Path(u"out")).string()));
    EXPECT_EQ(ReadBytes(At(u"out/images")), "a file");
}

TEST_F(CopyFolderTest, SiblingWithTheSameBeginningIsNotInside) {
    Copy(Path(u"src"), Path(u"src2"));
    EXPECT_EQ(ReadBytes(At(u"src2/style.css")), "body{}");
}

TEST_F(CopyFolderTest, RefusedCopiesTouchNothing) {
    const std::u16string src = Path(u"src");
    const char16_t sep = static_cast<char16_t>(fs::path::preferred_separator);
    // In: the source and the destination. Out: the reason given.
    const Example<std::pair<std::u16string, std::u16string>, const char*> cases[] = {
        {"same folder", {src, src}, "the destination is the same folder"},
        {"same folder with a final separator",
         {src, src + sep},
         "the destination is the same folder"},
        {"same folder by another way", {src, Path(u"src/images/..")}, "the same folder"},
        {"inside the source", {src, Path(u"src/copy")}, "lies inside it"},
        {"deep inside the source", {src, Path(u"src/images/empty/x/y")}, "lies inside it"},
        {"missing source", {Path(u"nothing"), Path(u"out")}, "the folder does not exist"},
        {"destination too long", {src, Path(u"out" + std::u16string(250, u'x'))}, "too long"},
        {"source not well-formed",
         {src + std::u16string(1, u'\0'), Path(u"out")},
         "not a well-formed path"},
#ifdef _WIN32
        {"destination not well-formed", {src, Path(u"out|x")}, "not a well-formed path"},
        {"same folder in other letters", {src, Path(u"SRC")}, "the same folder"},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto& [source, destination] = c.input;
        try {
            Copy(source, destination);
            ADD_FAILURE() << "copied";
        } catch (const FileSystemError& error) {
            EXPECT_THAT(error.what(), HasSubstr("Cannot copy the folder \""));
            EXPECT_THAT(error.what(), HasSubstr(c.expected));
        }
        EXPECT_THAT(NamesIn(folder_.Root()), ElementsAre("src"));
        EXPECT_THAT(NamesIn(At(u"src")), ElementsAre(".hidden", "images", "style.css"));
    }
}

TEST_F(CopyFolderTest, PathsShorterThan248CharactersAreCopied) {
    // Only files right below a 247-character folder: a deeper path would pass the length
    // that the system allows for a file.
    const std::u16string base = Path(u"");  // ends with a separator
    ASSERT_EQ(base.back(), static_cast<char16_t>(fs::path::preferred_separator));
    ASSERT_LT(base.size(), 200u) << "the temporary folder's path is too long for this test";
    const auto of_length = [&](size_t length) {
        return base + std::u16string(length - base.size(), u'x');
    };
    const struct {
        const char* name;
        std::u16string source;
        std::u16string destination;
        bool copied;
    } cases[] = {
        {"destination of 247", Path(u"src"), of_length(247), true},
        {"destination of 248", Path(u"src"), of_length(248), false},
        {"source of 248", of_length(248), Path(u"out"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(AbsolutePathOf(c.destination), c.destination);
        try {
            Copy(c.source, c.destination);
            EXPECT_TRUE(c.copied);
            EXPECT_EQ(ReadBytes(fs::path(c.destination) / "style.css"), "body{}");
        } catch (const FileSystemError& error) {
            EXPECT_FALSE(c.copied) << error.what();
            EXPECT_THAT(error.what(), HasSubstr("must be shorter than 248 characters"));
        }
    }
    // The 247-character source is the folder just copied.
    Copy(of_length(247), Path(u"back"));
    EXPECT_EQ(ReadBytes(At(u"back/style.css")), "body{}");
}

// Every file and folder below folder, as paths relative to it with slashes, a folder with a
// slash at its end, sorted.
std::vector<std::string> TreeOf(const fs::path& folder) {
    std::vector<std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string name = fs::relative(entry.path(), folder).generic_string();
        tree.push_back(entry.is_directory() ? name + "/" : name);
    }
    std::sort(tree.begin(), tree.end());
    return tree;
}

TEST_F(CopyFolderTest, ReplacingPutsTheCopyInPlaceOfTheEarlierFolder) {
    fs::create_directories(At(u"out/de/index_files/old"));
    WriteBytes(At(u"out/de/index_files/style.css"), "old and longer");
    WriteBytes(At(u"out/de/index_files/old/gone.css"), "stale");
    EXPECT_THAT(ReplaceFolderByCopy(Path(u"src"), Path(u"out/de/index_files"), Path(u"")),
                IsEmpty());
    EXPECT_THAT(TreeOf(At(u"out/de/index_files")),
                ElementsAre(".hidden", "images/", "images/empty/", "images/logo.png", "style.css"));
    EXPECT_EQ(ReadBytes(At(u"out/de/index_files/style.css")), "body{}");
    // No temporary folder is left beside it.
    EXPECT_THAT(NamesIn(At(u"out/de")), ElementsAre("index_files"));
    // A first copy makes the folder and its parents.
    ReplaceFolderByCopy(Path(u"src"), Path(u"new/fr/index_files"), Path(u""));
    EXPECT_EQ(TreeOf(At(u"new/fr/index_files")), TreeOf(At(u"src")));
    EXPECT_THAT(NamesIn(At(u"new/fr")), ElementsAre("index_files"));
}

TEST_F(CopyFolderTest, ReplacingRefusesADestinationThatHoldsTheSource) {
    // Removing the earlier destination would remove the source with it.
    const std::string message = FileSystemErrorOf(
        [&] { ReplaceFolderByCopy(Path(u"src/images/empty"), Path(u"src"), Path(u"")); });
    EXPECT_THAT(message, HasSubstr("lies inside the destination"));
    EXPECT_THAT(TreeOf(At(u"src")),
                ElementsAre(".hidden", "images/", "images/empty/", "images/logo.png", "style.css"));
    EXPECT_THAT(NamesIn(folder_.Root()), ElementsAre("src"));
}

#ifdef _WIN32
TEST_F(CopyFolderTest, CopyingAgainBringsReadOnlyAndHiddenCopiesUpToDate) {
    // A copy keeps its source's attributes; the system does not copy over such a file.
    const struct {
        const char* name;
        DWORD attributes;
    } cases[] = {
        {"read-only.css", FILE_ATTRIBUTE_READONLY},
        {"hidden.css", FILE_ATTRIBUTE_HIDDEN},
        {"system.css", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN},
    };
    const auto WriteSource = [&](const std::string& content) {
        for (const auto& c : cases) {
            const fs::path file = At(u"src") / c.name;
            SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            WriteBytes(file, content);
            ASSERT_TRUE(SetFileAttributesW(file.c_str(), c.attributes));
        }
    };
    WriteSource("first");
    Copy(Path(u"src"), Path(u"out"));
    WriteSource("second, longer");
    Copy(Path(u"src"), Path(u"out"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path copy = At(u"out") / c.name;
        EXPECT_EQ(ReadBytes(copy), "second, longer");
        EXPECT_EQ(GetFileAttributesW(copy.c_str()) & c.attributes, c.attributes);
        SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);  // so that it can be removed
        SetFileAttributesW((At(u"src") / c.name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}
#else
TEST_F(CopyFolderTest, DestinationReachedThroughALinkIntoTheSourceIsInside) {
    fs::create_directory_symlink(At(u"src/images"), At(u"link"));
    EXPECT_THROW(Copy(Path(u"src"), Path(u"link/copy")), FileSystemError);
    EXPECT_FALSE(fs::exists(At(u"src/images/copy")));
}

TEST_F(CopyFolderTest, FilesThatCannotBeReadFailTheCopy) {
    WriteBytes(At(u"src/images/secret.png"), "s");
    fs::permissions(At(u"src/images/secret.png"), fs::perms::owner_write);
    fs::permissions(folder_.Root(), fs::perms::all);
    const auto outcome = RunWithoutPrivileges([&](std::string& message) {
        message = FileSystemErrorOf([&] { Copy(Path(u"src"), Path(u"out")); });
        return 0;
    });
    EXPECT_EQ(outcome.output, "Cannot copy the file \"" +
                                  fs::path(Path(u"src/images/secret.png")).string() +
                                  "\": Permission denied");
}

// The copy of a resource folder beside a page in site, with a secret folder beside site.
class ConfinedCopyTest : public CopyFolderTest {
  protected:
    ConfinedCopyTest() {
        fs::create_directories(At(u"site/page_files/images"));
        WriteBytes(At(u"site/page.html"), "<p>page</p>");
        WriteBytes(At(u"site/page_files/style.css"), "body{}");
        WriteBytes(At(u"site/page_files/images/logo.png"), "png");
        WriteBytes(At(u"site/shared.css"), "shared");
        fs::create_directories(At(u"site/common"));
        WriteBytes(At(u"site/common/c.css"), "common");
        fs::create_directories(At(u"secret/dir"));
        WriteBytes(At(u"secret/shadow"), "root:x");
        WriteBytes(At(u"secret/dir/passwd"), "root:y");
    }
};

// A symbolic link made for a case: where it is, and what it leads to (relative to the test
// folder; one that starts with ".." is written into the link as it is, and the system takes
// it from the link's folder).
struct Link {
    std::u16string at;
    std::string target;
};

struct ConfinedCase {
    std::vector<Link> links;
    std::u16string source = u"site/page_files";
};

struct ConfinedOutcome {
    // The tree of the copy.
    std::vector<std::string> tree;
    // What was passed over, relative to the test folder, and why.
    std::vector<std::pair<std::string, std::string> > passed_over;
};

TEST_F(ConfinedCopyTest, LinksAreFollowedOnlyInsideThePagesFolder) {
    const std::vector<std::string> plain = {"images/", "images/logo.png", "style.css"};
    const auto with = [&](std::vector<std::string> more) {
        more.insert(more.end(), plain.begin(), plain.end());
        std::sort(more.begin(), more.end());
        return more;
    };
    const Example<ConfinedCase, ConfinedOutcome> cases[] = {
        {"a link to a file outside",
         {{{u"site/page_files/shadow", "secret/shadow"}}},
         {plain, {{"site/page_files/shadow", kLeadsOutsideReason}}}},
        {"a link to a folder outside, deep down",
         {{{u"site/page_files/images/etc", "secret"}}},
         {plain, {{"site/page_files/images/etc", kLeadsOutsideReason}}}},
        {"a relative link out of the page's folder",
         {{{u"site/page_files/up.txt", "../../secret/dir/passwd"}}},
         {plain, {{"site/page_files/up.txt", kLeadsOutsideReason}}}},
        {"a link inside that leads to a link outside",
         {{{u"site/inner", "secret/shadow"}, {u"site/page_files/inner", "site/inner"}}},
         {plain, {{"site/page_files/inner", kLeadsOutsideReason}}}},
        {"the resource folder a link to a folder outside",
         {{{u"site/page2_files", "secret"}}, u"site/page2_files"},
         {{}, {{"site/page2_files", kLeadsOutsideReason}}}},
        {"a link to a file beside the page",
         {{{u"site/page_files/shared.css", "../shared.css"}}},
         {with({"shared.css"}), {}}},
        {"a link to a folder beside the page",
         {{{u"site/page_files/common", "site/common"}}},
         {with({"common/", "common/c.css"}), {}}},
        {"the resource folder a link to a folder beside the page",
         {{{u"site/alias_files", "site/page_files"}}, u"site/alias_files"},
         {plain, {}}},
        {"a link back to the resource folder",
         {{{u"site/page_files/images/loop", "site/page_files"}}},
         {plain, {{"site/page_files/images/loop", kLeadsBackReason}}}},
        {"a link to the page's folder, which holds the resource folder",
         {{{u"site/page_files/site", ".."}}},
         {with({"site/", "site/common/", "site/common/c.css", "site/page.html", "site/shared.css"}),
          {{"site/page_files/site/page_files", kLeadsBackReason}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const Link& link : c.input.links) {
            const fs::path target =
                link.target.starts_with("..") ? fs::path(link.target) : At(u"") / link.target;
            fs::create_symlink(target, At(link.at));
        }
        const std::vector<PassedOverEntry> passed_over =
            CopyFolder(Path(c.input.source), Path(u"out"), Path(u"site"));
        EXPECT_EQ(TreeOf(At(u"out")), c.expected.tree);
        std::vector<std::pair<std::string, std::string> > seen;
        for (const PassedOverEntry& entry : passed_over) {
            seen.emplace_back(
                fs::path(entry.path).lexically_relative(folder_.Root()).generic_string(),
                entry.reason);
        }
        EXPECT_EQ(seen, c.expected.passed_over);
        for (const Link& link : c.input.links) {
            fs::remove(At(link.at));
        }
        fs::remove_all(At(u"out"));
    }
    // Nothing outside was touched.
    EXPECT_EQ(ReadBytes(At(u"secret/shadow")), "root:x");
}

TEST_F(ConfinedCopyTest, PassedOverEntriesAreReportedWithTheirPath) {
    fs::create_symlink(At(u"secret/shadow"), At(u"site/page_files/shadow"));
    const std::vector<PassedOverEntry> passed_over =
        CopyFolder(Path(u"site/page_files"), Path(u"out"), Path(u"site"));
    ASSERT_EQ(passed_over.size(), 1u);
    EXPECT_EQ(PassedOverMessage(passed_over[0]),
              "Passed over \"" + Utf16ToUtf8(Path(u"site/page_files/shadow")) +
                  "\": it is a link that leads outside the folder of the page");
}

TEST_F(ConfinedCopyTest, AnEntryThatCannotBeCopiedLeavesTheEarlierCopyAsItWas) {
    // Failures that permissions do not make, so that they fail for root too.
    const Example<std::function<void()>, std::string> cases[] = {
        {"a pipe", [&] { ASSERT_EQ(mkfifo(At(u"site/page_files/images/pipe").c_str(), 0666), 0); },
         "it is a device, a pipe or a socket, not a file"},
        {"a link that leads nowhere",
         [&] { fs::create_symlink(At(u"site/nothing"), At(u"site/page_files/broken")); },
         "it is gone, or it is a link that leads nowhere"},
        {"a link inside to a pipe",
         [&] {
             ASSERT_EQ(mkfifo(At(u"site/pipe").c_str(), 0666), 0);
             fs::create_symlink(At(u"site/pipe"), At(u"site/page_files/pipe"));
         },
         "not a file"},
    };
    const fs::path earlier = At(u"out/de/page_files");
    fs::create_directories(earlier / "images");
    WriteBytes(earlier / "style.css", "earlier");
    WriteBytes(earlier / "images" / "old.png", "old");
    const std::vector<std::string> earlier_tree = TreeOf(earlier);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(At(u"site"));
        fs::create_directories(At(u"site/page_files/images"));
        WriteBytes(At(u"site/page_files/style.css"), "body{}");
        c.input();
        const std::string message = FileSystemErrorOf([&] {
            ReplaceFolderByCopy(Path(u"site/page_files"), fs::path(earlier).u16string(),
                                Path(u"site"));
        });
        EXPECT_THAT(message, HasSubstr(c.expected));
        EXPECT_EQ(TreeOf(earlier), earlier_tree);
        EXPECT_EQ(ReadBytes(earlier / "style.css"), "earlier");
        EXPECT_THAT(NamesIn(At(u"out/de")), ElementsAre("page_files"));
    }
}

TEST_F(ConfinedCopyTest, AnEarlierFolderThatIsALinkIsReplacedNotWhatItLeadsTo) {
    fs::create_directories(At(u"out/de"));
    fs::create_directory_symlink(At(u"secret"), At(u"out/de/page_files"));
    ReplaceFolderByCopy(Path(u"site/page_files"), Path(u"out/de/page_files"), Path(u"site"));
    EXPECT_FALSE(fs::is_symlink(At(u"out/de/page_files")));
    EXPECT_EQ(ReadBytes(At(u"out/de/page_files/style.css")), "body{}");
    EXPECT_THAT(TreeOf(At(u"secret")), ElementsAre("dir/", "dir/passwd", "shadow"));
}
#endif

}  // namespace
}  // namespace quillmoor::test_support
