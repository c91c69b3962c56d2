#include "pipeline/folder_copy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "platform/file_system.h"
#include "tests/support/example.h"
#include "tests/support/matchers.h"
#include "tests/support/test_folder.h"

#ifdef _WIN32
#include <windows.h>
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

    TestFolder folder_;
};

TEST_F(CopyFolderTest, CopiesTheWholeTreeIntoNewParents) {
    CopyFolder(Path(u"src"), Path(u"out/de/index_files"));
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
    CopyFolder(Path(u"src"), Path(u"out"));
    EXPECT_EQ(ReadBytes(At(u"out/style.css")), "body{}");
    EXPECT_EQ(ReadBytes(At(u"out/images/other.png")), "kept");
    EXPECT_THAT(NamesIn(At(u"out/images")), ElementsAre("empty", "logo.png", "other.png"));
}

TEST_F(CopyFolderTest, AFolderThatCannotBeCreatedIsSkippedWithItsContent) {
    // A file where the copy of the images folder would go.
    fs::create_directories(At(u"out"));
    WriteBytes(At(u"out/images"), "a file");
    CopyFolder(Path(u"src"), Path(u"out"));
    EXPECT_EQ(ReadBytes(At(u"out/images")), "a file");
    EXPECT_THAT(NamesIn(At(u"out")), ElementsAre(".hidden", "images", "style.css"));
    EXPECT_EQ(ReadBytes(At(u"out/style.css")), "body{}");
}

TEST_F(CopyFolderTest, SiblingWithTheSameBeginningIsNotInside) {
    CopyFolder(Path(u"src"), Path(u"src2"));
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
            CopyFolder(source, destination);
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
            CopyFolder(c.source, c.destination);
            EXPECT_TRUE(c.copied);
            EXPECT_EQ(ReadBytes(fs::path(c.destination) / "style.css"), "body{}");
        } catch (const FileSystemError& error) {
            EXPECT_FALSE(c.copied) << error.what();
            EXPECT_THAT(error.what(), HasSubstr("must be shorter than 248 characters"));
        }
    }
    // The 247-character source is the folder just copied.
    CopyFolder(of_length(247), Path(u"back"));
    EXPECT_EQ(ReadBytes(At(u"back/style.css")), "body{}");
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
    CopyFolder(Path(u"src"), Path(u"out"));
    WriteSource("second, longer");
    CopyFolder(Path(u"src"), Path(u"out"));
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
    EXPECT_THROW(CopyFolder(Path(u"src"), Path(u"link/copy")), FileSystemError);
    EXPECT_FALSE(fs::exists(At(u"src/images/copy")));
}

TEST_F(CopyFolderTest, LinksToFoldersAreNotFollowed) {
    fs::create_directory_symlink(At(u"src"), At(u"src/images/loop"));
    CopyFolder(Path(u"src"), Path(u"out"));
    EXPECT_THAT(NamesIn(At(u"out/images")), ElementsAre("empty", "logo.png"));
}

TEST_F(CopyFolderTest, FilesThatCannotBeReadAreSkipped) {
    WriteBytes(At(u"src/images/secret.png"), "s");
    fs::permissions(At(u"src/images/secret.png"), fs::perms::owner_write);
    fs::permissions(folder_.Root(), fs::perms::all);
    const auto outcome = RunWithoutPrivileges([&](std::string&) {
        CopyFolder(Path(u"src"), Path(u"out"));
        return 0;
    });
    EXPECT_EQ(outcome.exit_code, 0);
    EXPECT_THAT(NamesIn(At(u"out/images")), ElementsAre("empty", "logo.png"));
    EXPECT_EQ(ReadBytes(At(u"out/style.css")), "body{}");
}
#endif

}  // namespace
}  // namespace quillmoor::test_support
