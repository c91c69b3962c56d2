#include "platform/file_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <stdexcept>
#include <utility>

#include "platform/program_location.h"
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

FileContentWriter Writing(std::string content) {
    return [content](FileContentSink& sink) { sink.Write(content); };
}

// A writer that writes part of its content and then fails, as a full disk would.
FileContentWriter FailingAfter(std::string part) {
    return [part](FileContentSink& sink) {
        sink.Write(part);
        throw FileSystemError("Cannot write the file", u"x", "no space left");
    };
}

class FileSystemTest : public ::testing::Test {
  protected:
    fs::path At(std::u16string_view name) const { return fs::path(folder_.Path(name)); }
    TestFolder folder_;
};

TEST_F(FileSystemTest, ReadFileBytesReportsWhatWentWrongAndWhere) {
    WriteBytes(At(u"ten.txt"), "0123456789");
    fs::create_directory(At(u"folder"));
    // In: the path and the limit. Out: the reason given.
    const Example<std::pair<std::u16string, std::uint64_t>, const char*> cases[] = {
        {"missing file", {folder_.Path(u"missing.html"), 100}, ""},
        {"folder", {folder_.Path(u"folder"), 100}, "it is a folder"},
        {"one byte over the limit",
         {folder_.Path(u"ten.txt"), 9},
         "holds 10 bytes, more than the 9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto& [path, limit] = c.input;
        const std::string message = FileSystemErrorOf([&] { ReadFileBytes(path, limit); });
        EXPECT_THAT(message, HasSubstr("\"" + Utf16ToUtf8(path) + "\": "));
        EXPECT_THAT(message, HasSubstr(c.expected));
        // The system's reason follows the path.
        EXPECT_GT(message.size(), message.find("\": ") + 4);
    }
    EXPECT_EQ(ReadFileBytes(folder_.Path(u"ten.txt"), 10), "0123456789");
    WriteBytes(At(u"empty.txt"), "");
    EXPECT_EQ(ReadFileBytes(folder_.Path(u"empty.txt"), 0), "");
}

TEST_F(FileSystemTest, WriteNewFileNeverTouchesAnExistingFile) {
    const std::u16string path = folder_.Path(u"page.html");
    EXPECT_TRUE(WriteNewFile(path, Writing("new")));
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_FALSE(WriteNewFile(path, Writing("other")));
    EXPECT_EQ(ReadBytes(path), "new");
    fs::create_directory(At(u"folder"));
    EXPECT_FALSE(WriteNewFile(folder_.Path(u"folder"), Writing("x")));
}

TEST_F(FileSystemTest, WriteNewFileRemovesAFileItCouldNotFinish) {
    EXPECT_THROW(WriteNewFile(folder_.Path(u"page.html"), FailingAfter("half")), FileSystemError);
    EXPECT_THAT(NamesIn(folder_.Root()), ::testing::IsEmpty());
}

TEST_F(FileSystemTest, ReplaceFileContentReplacesTheWholeFile) {
    const std::u16string path = folder_.Path(u"result.html");
    ReplaceFileContent(path, Writing("first, rather long content"));
    ReplaceFileContent(path, Writing("second"));
    EXPECT_EQ(ReadBytes(path), "second");
    EXPECT_THAT(NamesIn(folder_.Root()), ::testing::ElementsAre("result.html"));
}

TEST_F(FileSystemTest, ReplaceFileContentKeepsTheOldFileWhenWritingFails) {
    const std::u16string path = folder_.Path(u"result.html");
    WriteBytes(path, "old result");
    EXPECT_THROW(ReplaceFileContent(path, FailingAfter("new res")), FileSystemError);
    EXPECT_EQ(ReadBytes(path), "old result");
    EXPECT_THROW(ReplaceFileContent(path, [](FileContentSink&) { throw std::bad_alloc(); }),
                 std::bad_alloc);
    EXPECT_EQ(ReadBytes(path), "old result");
    EXPECT_THAT(NamesIn(folder_.Root()), ::testing::ElementsAre("result.html"));
}

TEST_F(FileSystemTest, ReplaceFileContentDoesNotReplaceAFolder) {
    fs::create_directory(At(u"result.html"));
    EXPECT_THAT(
        FileSystemErrorOf([&] { ReplaceFileContent(folder_.Path(u"result.html"), Writing("x")); }),
        HasSubstr("it is a folder"));
    EXPECT_TRUE(fs::is_directory(At(u"result.html")));
}

TEST_F(FileSystemTest, ReplaceFileContentDoesNotReplaceAReadOnlyFile) {
    const std::u16string path = folder_.Path(u"result.html");
    WriteBytes(path, "old result");
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
#ifdef _WIN32
    EXPECT_THROW(ReplaceFileContent(path, Writing("new")), FileSystemError);
#else
    // Root may write anything; the check must hold for an ordinary user.
    fs::permissions(folder_.Root(), fs::perms::all);
    const auto outcome = RunWithoutPrivileges([&](std::string& message) {
        message = FileSystemErrorOf([&] { ReplaceFileContent(path, Writing("new")); });
        return 0;
    });
    EXPECT_EQ(outcome.exit_code, 0);
    EXPECT_THAT(outcome.output,
                HasSubstr("Cannot replace the file \"" + Utf16ToUtf8(path) + "\": "));
#endif
    EXPECT_EQ(ReadBytes(path), "old result");
    EXPECT_THAT(NamesIn(folder_.Root()), ::testing::ElementsAre("result.html"));
}

#ifndef _WIN32
TEST_F(FileSystemTest, ReplaceFileContentFailsCleanlyInAFolderThatCannotBeWritten) {
    // The file itself is writable, the folder is not: the new content cannot be put
    // beside it, and the old content must survive whole.
    const std::u16string path = folder_.Path(u"result.html");
    WriteBytes(path, "old result");
    fs::permissions(path, fs::perms::all);
    const auto outcome = RunWithoutPrivileges([&](std::string& message) {
        message = FileSystemErrorOf([&] { ReplaceFileContent(path, Writing("new")); });
        return 0;
    });
    EXPECT_EQ(outcome.exit_code, 0);
    EXPECT_THAT(outcome.output, HasSubstr("Permission denied"));
    EXPECT_EQ(ReadBytes(path), "old result");
    EXPECT_THAT(NamesIn(folder_.Root()), ::testing::ElementsAre("result.html"));
}

TEST_F(FileSystemTest, ReadFileBytesReportsAFileItMayNotRead) {
    const std::u16string path = folder_.Path(u"secret.html");
    WriteBytes(path, "x");
    fs::permissions(path, fs::perms::owner_write);
    const auto outcome = RunWithoutPrivileges([&](std::string& message) {
        message = FileSystemErrorOf([&] { ReadFileBytes(path, 100); });
        return 0;
    });
    EXPECT_THAT(outcome.output,
                HasSubstr("Cannot open the file \"" + Utf16ToUtf8(path) + "\": Permission denied"));
}
#endif

TEST_F(FileSystemTest, CopyFileOverReplacesTheTarget) {
    WriteBytes(At(u"a.css"), "body{}");
    WriteBytes(At(u"b.css"), "a much longer old file");
    CopyFileOver(folder_.Path(u"a.css"), folder_.Path(u"b.css"));
    EXPECT_EQ(ReadBytes(At(u"b.css")), "body{}");
}

TEST_F(FileSystemTest, CopyFileOverReportsWhatItCannotCopy) {
    WriteBytes(At(u"a.css"), "body{}");
    fs::create_directory(At(u"folder"));
    fs::create_directory(At(u"in-the-way.css"));
    // In: the source and the target. Out: the reason given.
    const Example<std::pair<std::u16string, std::u16string>, std::string> cases[] = {
        {"missing source", {u"missing.css", u"c.css"}, "Cannot copy the file"},
        {"folder as source", {u"folder", u"c.css"}, "it is a folder, not a file"},
#ifndef _WIN32
        // Windows does not say which side of the copy failed.
        {"folder in place of the target", {u"a.css", u"in-the-way.css"}, "in-the-way.css"},
        {"target in a missing folder", {u"a.css", u"missing/c.css"}, "missing"},
#else
        {"folder in place of the target", {u"a.css", u"in-the-way.css"}, ""},
        {"target in a missing folder", {u"a.css", u"missing/c.css"}, ""},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string message = FileSystemErrorOf(
            [&] { CopyFileOver(folder_.Path(c.input.first), folder_.Path(c.input.second)); });
        EXPECT_THAT(message, StartsWith("Cannot copy the file \"" +
                                        Utf16ToUtf8(folder_.Path(c.input.first)) + "\": "));
        EXPECT_THAT(message, HasSubstr(c.expected));
        EXPECT_FALSE(fs::exists(At(u"c.css")));
    }
    EXPECT_EQ(ReadBytes(At(u"a.css")), "body{}");
}

TEST_F(FileSystemTest, FoldersAreMadeNewRenamedAndRemovedWhole) {
    EXPECT_TRUE(MakeNewFolder(folder_.Path(u"new")));
    EXPECT_FALSE(MakeNewFolder(folder_.Path(u"new")));
    WriteBytes(At(u"file"), "x");
    EXPECT_FALSE(MakeNewFolder(folder_.Path(u"file")));
    EXPECT_THAT(FileSystemErrorOf([&] { MakeNewFolder(folder_.Path(u"missing/new")); }),
                StartsWith("Cannot create the folder"));

    fs::create_directories(At(u"new/deep/er"));
    WriteBytes(At(u"new/deep/er/a.css"), "a");
    WriteBytes(At(u"new/b.css"), "b");
    fs::permissions(At(u"new/b.css"), fs::perms::owner_read);  // a read-only copy
    RenamePath(folder_.Path(u"new"), folder_.Path(u"renamed"));
    EXPECT_EQ(ReadBytes(At(u"renamed/deep/er/a.css")), "a");
    // Nothing is renamed over what exists.
    EXPECT_THAT(
        FileSystemErrorOf([&] { RenamePath(folder_.Path(u"renamed"), folder_.Path(u"file")); }),
        StartsWith("Cannot rename"));
    EXPECT_EQ(ReadBytes(At(u"file")), "x");

    RemoveFolderTree(folder_.Path(u"renamed"));
    EXPECT_THAT(NamesIn(folder_.Root()), ElementsAre("file"));
    EXPECT_THAT(FileSystemErrorOf([&] { RemoveFolderTree(folder_.Path(u"renamed")); }),
                StartsWith("Cannot list the folder"));
}

#ifndef _WIN32
TEST_F(FileSystemTest, CopyFileOverBringsAReadOnlyCopyUpToDate) {
    // The copy keeps the source's read-only mode; copying again must still replace it.
    fs::permissions(folder_.Root(), fs::perms::all);
    const auto outcome = RunWithoutPrivileges([&](std::string& message) {
        const auto write_read_only_source = [&](std::string_view content) {
            if (fs::exists(At(u"a.css"))) {
                fs::permissions(At(u"a.css"), fs::perms::owner_write, fs::perm_options::add);
            }
            WriteBytes(At(u"a.css"), content);
            fs::permissions(At(u"a.css"), fs::perms::owner_read);
        };
        write_read_only_source("first");
        CopyFileOver(folder_.Path(u"a.css"), folder_.Path(u"b.css"));
        write_read_only_source("second, longer");
        CopyFileOver(folder_.Path(u"a.css"), folder_.Path(u"b.css"));
        message = ReadBytes(At(u"b.css"));
        return fs::status(At(u"b.css")).permissions() == fs::perms::owner_read ? 0 : 1;
    });
    EXPECT_EQ(outcome.exit_code, 0) << "the copy lost its source's mode";
    EXPECT_EQ(outcome.output, "second, longer");
}

TEST_F(FileSystemTest, CopyFileOverNeverCopiesAFileOntoItself) {
    WriteBytes(At(u"a.css"), "body{}");
    fs::create_symlink(At(u"a.css"), At(u"link.css"));
    EXPECT_THAT(
        FileSystemErrorOf([&] { CopyFileOver(folder_.Path(u"a.css"), folder_.Path(u"link.css")); }),
        HasSubstr("it is the file it would replace"));
    EXPECT_EQ(ReadBytes(At(u"a.css")), "body{}");
}

TEST_F(FileSystemTest, CopyFileOverRefusesPipesAndDevices) {
    ASSERT_EQ(mkfifo(fs::path(folder_.Path(u"pipe")).c_str(), 0666), 0);
    EXPECT_THAT(
        FileSystemErrorOf([&] { CopyFileOver(folder_.Path(u"pipe"), folder_.Path(u"c.css")); }),
        HasSubstr("it is not a regular file"));
    EXPECT_THAT(FileSystemErrorOf([&] { CopyFileOver(u"/dev/zero", folder_.Path(u"c.css")); }),
                HasSubstr("it is not a regular file"));
    EXPECT_FALSE(fs::exists(At(u"c.css")));
}

TEST_F(FileSystemTest, RemoveFolderTreeRemovesLinksNotWhatTheyLeadTo) {
    fs::create_directories(At(u"kept/inner"));
    WriteBytes(At(u"kept/inner/a.css"), "a");
    fs::create_directories(At(u"gone"));
    fs::create_directory_symlink(At(u"kept"), At(u"gone/folder-link"));
    fs::create_symlink(At(u"kept/inner/a.css"), At(u"gone/file-link"));
    fs::create_symlink(At(u"nowhere"), At(u"gone/broken-link"));
    RemoveFolderTree(folder_.Path(u"gone"));
    EXPECT_THAT(NamesIn(folder_.Root()), ElementsAre("kept"));
    EXPECT_EQ(ReadBytes(At(u"kept/inner/a.css")), "a");
}

TEST_F(FileSystemTest, FinalPathOfResolvesEveryLink) {
    fs::create_directories(At(u"real/inner"));
    WriteBytes(At(u"real/inner/a.css"), "a");
    fs::create_directory_symlink(At(u"real"), At(u"link"));
    fs::create_symlink(fs::path("link") / "inner" / "a.css", At(u"file-link"));
    fs::create_symlink(At(u"nowhere"), At(u"broken"));
    const std::optional<std::u16string> real = FinalPathOf(folder_.Path(u"real/inner/a.css"));
    ASSERT_TRUE(real);
    EXPECT_EQ(FinalPathOf(folder_.Path(u"link/inner/a.css")), real);
    EXPECT_EQ(FinalPathOf(folder_.Path(u"file-link")), real);
    EXPECT_EQ(FinalPathOf(folder_.Path(u"link/inner/../inner")),
              FinalPathOf(folder_.Path(u"real/inner")));
    EXPECT_EQ(FinalPathOf(folder_.Path(u"broken")), std::nullopt);
    EXPECT_EQ(FinalPathOf(folder_.Path(u"missing")), std::nullopt);
}
#endif

TEST_F(FileSystemTest, ListFolderNamesEveryEntryWithItsKind) {
    WriteBytes(At(u"page.html"), "x");
    WriteBytes(At(u".hidden"), "x");
    fs::create_directory(At(u"images"));
#ifdef _WIN32
    // Entries of every attribute.
    WriteBytes(At(u"Thumbs.db"), "x");
    fs::create_directory(At(u"secret"));
    ASSERT_TRUE(SetFileAttributesW(At(u"Thumbs.db").c_str(),
                                   FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(SetFileAttributesW(At(u"secret").c_str(),
                                   FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
#else
    fs::create_directory_symlink(At(u"images"), At(u"loop"));
#endif
    std::map<std::u16string, FolderEntryKind> kinds;
    for (const auto& entry : ListFolder(folder_.Path(u""))) {
        kinds[entry.name] = entry.kind;
    }
    std::map<std::u16string, FolderEntryKind> expected = {
        {u"page.html", FolderEntryKind::kFile},
        {u".hidden", FolderEntryKind::kFile},
        {u"images", FolderEntryKind::kFolder},
    };
#ifdef _WIN32
    expected[u"Thumbs.db"] = FolderEntryKind::kFile;
    expected[u"secret"] = FolderEntryKind::kFolder;
#else
    expected[u"loop"] = FolderEntryKind::kFolderLink;
#endif
    EXPECT_EQ(kinds, expected);
    const std::u16string missing = folder_.Path(u"missing");
    EXPECT_THAT(FileSystemErrorOf([&] { ListFolder(missing); }),
                HasSubstr("Cannot list the folder \"" + Utf16ToUtf8(missing) + "\": "));
}

TEST_F(FileSystemTest, MakeDirectoriesCreatesEveryMissingParent) {
    MakeDirectories(folder_.Path(u"a/b/c"));
    EXPECT_TRUE(fs::is_directory(At(u"a/b/c")));
    // A folder that exists already is no failure.
    MakeDirectories(folder_.Path(u"a/b/c"));
    EXPECT_TRUE(fs::is_directory(At(u"a/b/c")));
}

TEST_F(FileSystemTest, MakeDirectoriesReportsAFolderItCannotCreate) {
    WriteBytes(At(u"file"), "x");
    const std::u16string below_file = folder_.Path(u"file/sub");
    const std::string message = FileSystemErrorOf([&] { MakeDirectories(below_file); });
    const std::string start = "Cannot create the folder \"" + Utf16ToUtf8(below_file) + "\": ";
    ASSERT_THAT(message, HasSubstr(start));
    EXPECT_FALSE(message.substr(message.find(start) + start.size()).empty());
    EXPECT_TRUE(fs::is_regular_file(At(u"file")));
}

TEST_F(FileSystemTest, AbsolutePathOfResolvesDotsAndDropsTheLastSeparator) {
    const fs::path root = folder_.Root();
    const std::u16string sep(1, static_cast<char16_t>(fs::path::preferred_separator));
    const std::u16string base = root.u16string();
    EXPECT_EQ(AbsolutePathOf(base + sep + u"a" + sep + u".." + sep + u"b" + sep),
              base + sep + u"b");
    EXPECT_EQ(AbsolutePathOf(base + sep + u"." + sep + u"c"), base + sep + u"c");
    const fs::path previous = fs::current_path();
    fs::current_path(root);
    EXPECT_EQ(AbsolutePathOf(u"d"), base + sep + u"d");
    fs::current_path(previous);
    EXPECT_TRUE(SamePathName(base, AbsolutePathOf(base)));
}

#ifndef _WIN32
TEST_F(FileSystemTest, AbsolutePathOfFollowsLinksAsFarAsThePathExists) {
    fs::create_directory(At(u"real"));
    fs::create_directory_symlink(At(u"real"), At(u"link"));
    EXPECT_EQ(AbsolutePathOf(folder_.Path(u"link/missing/../x")), folder_.Path(u"real/x"));
}
#endif

TEST(ProgramLocation, PathAndFolderNameTheRunningProgram) {
    const std::u16string folder = RunningProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), static_cast<char16_t>(fs::path::preferred_separator));
    EXPECT_TRUE(fs::path(folder).is_absolute());
#ifdef _WIN32
    const std::u16string program = u"platform_files_tests.exe";
#else
    const std::u16string program = u"platform_files_tests";
#endif
    EXPECT_TRUE(FileExists(folder + program));
    EXPECT_EQ(RunningProgramPath(), folder + program);
}

}  // namespace
}  // namespace quillmoor::test_support
