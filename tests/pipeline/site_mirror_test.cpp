#include "pipeline/site_mirror.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "pipeline/widget_snippet.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "tests/support/example.h"
#include "tests/support/test_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace quillmoor {
namespace {

namespace fs = std::filesystem;
using test_support::Example;
using test_support::ReadBytes;
using test_support::TestFolder;
using test_support::WriteBytes;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// An entry of a site: a file with its content, or a symbolic link with its target.
struct SiteEntry {
    enum class Kind { kFile, kLink };
    Kind kind;
    std::string path;
    std::string content_or_target;
};

SiteEntry File(std::string path, std::string content = "content") {
    return {SiteEntry::Kind::kFile, std::move(path), std::move(content)};
}
SiteEntry Link(std::string path, std::string target) {
    return {SiteEntry::Kind::kLink, std::move(path), std::move(target)};
}

// Builds the site's entries below folder; false when the system makes no symbolic links.
bool Build(const fs::path& folder, const std::vector<SiteEntry>& entries) {
    for (const SiteEntry& entry : entries) {
        const fs::path path = folder / entry.path;
        fs::create_directories(path.parent_path());
        if (entry.kind == SiteEntry::Kind::kFile) {
            WriteBytes(path, entry.content_or_target);
            continue;
        }
        std::error_code error;
        fs::create_symlink(entry.content_or_target, path, error);
        if (error) {
            return false;
        }
    }
    return true;
}

// The files below folder (links not followed), relative, "/" between folders, sorted.
std::vector<std::string> FilesBelow(const fs::path& folder) {
    std::vector<std::string> files;
    if (!fs::exists(folder)) {
        return files;
    }
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_directory()) {
            files.push_back(fs::relative(entry.path(), folder).generic_string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> Sorted(const std::vector<std::u16string>& paths) {
    std::vector<std::string> sorted;
    for (const std::u16string& path : paths) {
        sorted.push_back(Utf16ToUtf8(path));
    }
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

// A site, what is left out of it, and where its tree goes (relative to the test folder,
// which holds the site's folder "site" and a folder "outside" beside it).
struct Site {
    std::vector<SiteEntry> entries;
    std::set<std::u16string> pages;
    std::vector<std::string> left_out_folders;  // relative to the test folder
    std::string tree;
};

struct Outcome {
    std::vector<std::string> tree_files;
    std::vector<std::string> passed_over;
    std::size_t linked;
    std::size_t left_out;
};

TEST(MirrorSiteFiles, LinksEveryOtherFileOfTheSiteIntoTheTree) {
    const std::string snippet = Utf16ToUtf8(WidgetSnippet(u"de"));
    const Example<Site, Outcome> cases[] = {
        {"nested folders, a page left out",
         {{File("index.html"), File("css/site.css"), File("img/logo.png"), File("img/icons/a.svg")},
          {u"index.html"},
          {},
          "out/de"},
         {{"css/site.css", "img/icons/a.svg", "img/logo.png"}, {}, 3, 1}},
        {"pages in folders left out",
         {{File("about/team.html"), File("about/index.html"), File("js/app.js")},
          {u"about/team.html", u"about/index.html"},
          {},
          "out/de"},
         {{"js/app.js"}, {}, 1, 2}},
        {"the program's temporary pages are left out, the page's own -temp file is not",
         {{File("index-temp.html", "<html>" + snippet + "<head>"),
           File("news/a-temp-2.html", "<body>" + snippet), File("notes-temp.txt")},
          {},
          {},
          "out/de"},
         {{"notes-temp.txt"}, {}, 1, 2}},
        {"the output folder inside the site, with an earlier tree in it",
         {{File("a.css"), File("out/fr/a.css"), File("out/de/old.css")},
          {},
          {"site/out"},
          "site/out/de"},
         {{"a.css", "old.css"}, {}, 1, 0}},
        {"the tree inside the site is left out without being named",
         {{File("a.css"), File("de/old.css")}, {}, {}, "site/de"},
         {{"a.css", "old.css"}, {}, 1, 0}},
        {"links that stay inside the site are followed",
         {{File("css/a.css"), Link("link.css", "css/a.css"), Link("styles", "css"),
           Link("sub/up.css", "../css/a.css")},
          {},
          {},
          "out/de"},
         {{"css/a.css", "link.css", "styles/a.css", "sub/up.css"}, {}, 4, 0}},
        {"links that lead out of the site or nowhere are passed over",
         {{File("a.css"), Link("secret.txt", "../outside/secret.txt"),
           Link("outside", "../outside"), Link("broken.css", "missing.css")},
          {},
          {},
          "out/de"},
         {{"a.css"}, {"broken.css", "outside", "secret.txt"}, 1, 0}},
        {"links back up into their own folders are passed over",
         {{File("a.css"), File("sub/b.css"), Link("sub/up", ".."), Link("self", ".")},
          {},
          {},
          "out/de"},
         {{"a.css", "sub/b.css"}, {"self", "sub/up"}, 2, 0}},
        {"an empty site", {{}, {}, {}, "out/de"}, {{}, {}, 0, 0}},
    };
    std::string without_links;  // the cases passed over where the system makes no links
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder folder;
        const fs::path site = folder.Root() / "site";
        fs::create_directories(site);
        fs::create_directories(folder.Root() / "outside");
        WriteBytes(folder.Root() / "outside" / "secret.txt", "secret");
        if (!Build(site, c.input.entries)) {
            without_links += std::string(" \"") + c.name + "\"";
            continue;
        }
        const std::vector<std::string> outside_before = FilesBelow(folder.Root() / "outside");
        MirrorExclusions exclusions;
        exclusions.is_left_out = [&](std::u16string_view path) {
            return c.input.pages.count(std::u16string(path)) != 0;
        };
        for (const std::string& left_out : c.input.left_out_folders) {
            exclusions.folders.push_back((folder.Root() / left_out).u16string());
        }
        const fs::path tree = folder.Root() / c.input.tree;

        const MirrorReport report = MirrorSiteFiles(site.u16string(), tree.u16string(), exclusions);

        EXPECT_THAT(FilesBelow(tree), ElementsAreArray(c.expected.tree_files));
        EXPECT_THAT(Sorted(report.passed_over), ElementsAreArray(c.expected.passed_over));
        EXPECT_EQ(report.linked, c.expected.linked);
        EXPECT_EQ(report.copied, 0u);
        EXPECT_EQ(report.left, 0u);
        EXPECT_EQ(report.left_out, c.expected.left_out);
        // The tree's files are the site's own, hard-linked; nothing outside changed.
        for (const std::string& file : c.expected.tree_files) {
            if (fs::exists(site / file)) {
                EXPECT_TRUE(fs::equivalent(site / file, tree / file)) << file;
            }
        }
        EXPECT_EQ(FilesBelow(folder.Root() / "outside"), outside_before);
        EXPECT_EQ(ReadBytes(folder.Root() / "outside" / "secret.txt"), "secret");
    }
    if (!without_links.empty()) {
        GTEST_SKIP() << "no symbolic links here for" << without_links;
    }
}

// Replaces the file at path by a new file (as an editor that saves by renaming does).
void ReplaceWithNewFile(const fs::path& path, const std::string& content) {
    const fs::path fresh = path.string() + ".new";
    WriteBytes(fresh, content);
    fs::rename(fresh, path);
}

TEST(MirrorSiteFiles, ASecondRunLeavesTheTreeAndAReplacedFileIsRefreshed) {
    TestFolder folder;
    const fs::path site = folder.Root() / "site";
    const fs::path tree = folder.Root() / "out" / "de";
    Build(site, {File("a.css", "a1"), File("img/b.png", "b1")});
    const auto run = [&] { return MirrorSiteFiles(site.u16string(), tree.u16string(), {}); };

    EXPECT_EQ(run().linked, 2u);
    const MirrorReport unchanged = run();
    EXPECT_EQ(unchanged.left, 2u);
    EXPECT_EQ(unchanged.linked + unchanged.copied, 0u);

    // A file changed in place is the tree's file already; a replaced one is linked anew.
    WriteBytes(site / "img" / "b.png", "b2");
    ReplaceWithNewFile(site / "a.css", "a2");
    // Saved a moment later, as a person would: where the system tells no file identities
    // apart (under Wine), size and time are what tell the change.
    fs::last_write_time(site / "a.css",
                        fs::last_write_time(site / "a.css") + std::chrono::seconds(2));
    const MirrorReport refreshed = run();
    EXPECT_EQ(refreshed.linked, 1u);
    EXPECT_EQ(refreshed.left, 1u);
    EXPECT_EQ(ReadBytes(tree / "a.css"), "a2");
    EXPECT_EQ(ReadBytes(tree / "img" / "b.png"), "b2");
    EXPECT_TRUE(fs::equivalent(site / "a.css", tree / "a.css"));
    EXPECT_THAT(FilesBelow(tree), ElementsAreArray({"a.css", "img/b.png"}));
}

TEST(MirrorSiteFiles, CopiesKeepTheSourcesTimeAndAreRefreshedWhenItChanges) {
    TestFolder folder;
    const fs::path site = folder.Root() / "site";
    const fs::path tree = folder.Root() / "out" / "de";
    Build(site, {File("a.css", "a1"), File("img/b.png", "b1"), File("c.js", "c1")});
    const auto run = [&](MirrorPlacing placing) {
        return MirrorSiteFiles(site.u16string(), tree.u16string(), {}, placing);
    };

    EXPECT_EQ(run(MirrorPlacing::kCopy).copied, 3u);
    EXPECT_FALSE(fs::equivalent(site / "a.css", tree / "a.css"));
    EXPECT_EQ(fs::last_write_time(site / "a.css"), fs::last_write_time(tree / "a.css"));
    // Copies of the same size and time are left, whichever way the next run places files.
    EXPECT_EQ(run(MirrorPlacing::kCopy).left, 3u);
    EXPECT_EQ(run(MirrorPlacing::kHardLinkWhereAllowed).left, 3u);

    // Changed content: of the same size at another time, of another size at the same time.
    const fs::file_time_type b_time = fs::last_write_time(site / "img" / "b.png");
    WriteBytes(site / "a.css", "a2");
    fs::last_write_time(site / "a.css", b_time + std::chrono::seconds(5));
    WriteBytes(site / "img" / "b.png", "b2 longer");
    fs::last_write_time(site / "img" / "b.png", b_time);
    const MirrorReport refreshed = run(MirrorPlacing::kCopy);
    EXPECT_EQ(refreshed.copied, 2u);
    EXPECT_EQ(refreshed.left, 1u);
    EXPECT_EQ(ReadBytes(tree / "a.css"), "a2");
    EXPECT_EQ(ReadBytes(tree / "img" / "b.png"), "b2 longer");
    EXPECT_EQ(ReadBytes(site / "a.css"), "a2");
    EXPECT_THAT(FilesBelow(tree), ElementsAreArray({"a.css", "c.js", "img/b.png"}));
}

#ifndef _WIN32
TEST(MirrorSiteFiles, ATreeOnAnotherFileSystemGetsCopies) {
    TestFolder folder;
    const fs::path site = folder.Root() / "site";
    Build(site, {File("a.css", "a1"), File("img/b.png", "b1")});
    std::error_code error;
    const fs::path other = fs::path("/dev/shm") / folder.Root().filename();
    if (!fs::create_directory(other, error) || error) {
        GTEST_SKIP() << "no other file system at hand";
    }
    struct Removal {
        fs::path path;
        ~Removal() { fs::remove_all(path); }
    } removal{other};
    struct stat site_stat {};
    struct stat other_stat {};
    if (stat(site.c_str(), &site_stat) != 0 || stat(other.c_str(), &other_stat) != 0 ||
        site_stat.st_dev == other_stat.st_dev) {
        GTEST_SKIP() << "/dev/shm is on the site's file system";
    }
    const fs::path tree = other / "de";

    const MirrorReport first = MirrorSiteFiles(site.u16string(), tree.u16string(), {});
    EXPECT_EQ(first.copied, 2u);
    EXPECT_EQ(first.linked, 0u);
    EXPECT_EQ(ReadBytes(tree / "img" / "b.png"), "b1");
    EXPECT_EQ(MirrorSiteFiles(site.u16string(), tree.u16string(), {}).left, 2u);
}
#endif

TEST(MirrorSiteFiles, WhatCannotBeMirroredIsAnError) {
    TestFolder folder;
    const fs::path site = folder.Root() / "site";
    const fs::path tree = folder.Root() / "out" / "de";
    Build(site, {File("a.css")});
    EXPECT_THROW(MirrorSiteFiles((folder.Root() / "none").u16string(), tree.u16string(), {}),
                 FileSystemError);
    EXPECT_THROW(MirrorSiteFiles((site / "a.css").u16string(), tree.u16string(), {}),
                 FileSystemError);
    // A folder where the file goes stays.
    fs::create_directories(tree / "a.css" / "inner");
    EXPECT_THROW(MirrorSiteFiles(site.u16string(), tree.u16string(), {}), FileSystemError);
    EXPECT_TRUE(fs::is_directory(tree / "a.css" / "inner"));
    EXPECT_THAT(FilesBelow(tree), IsEmpty());
}

}  // namespace
}  // namespace quillmoor
