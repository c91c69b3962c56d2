#include "cli/site_manifest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/file_system.h"
#include "platform/utf.h"
#include "tests/support/example.h"
#include "tests/support/test_folder.h"

namespace quillmoor::cli {

void PrintTo(const ManifestEntry& entry, std::ostream* out) {
    *out << '{' << ::testing::PrintToString(entry.site) << ", "
         << ::testing::PrintToString(entry.page) << ", " << entry.language << ", "
         << entry.source_digest << ", " << entry.snippet_digest << ", " << entry.outcome << ", "
         << ::testing::PrintToString(entry.alternates) << '}';
}

namespace {

namespace fs = std::filesystem;
using test_support::Example;
using test_support::ReadBytes;
using test_support::TestFolder;
using test_support::WriteBytes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// An entry whose digests are made up from its page and language.
ManifestEntry Entry(const std::string& site, const std::string& page, const std::string& language,
                    const std::string& outcome = "stored", const std::string& alternates = "") {
    return {site,    page,      language, "source-of-" + page, "snippet-of-" + language,
            outcome, alternates};
}

std::vector<ManifestEntry> Sorted(std::vector<ManifestEntry> entries) {
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return std::tie(a.site, a.page, a.language) < std::tie(b.site, b.page, b.language);
    });
    return entries;
}

SiteManifest ManifestOf(const std::vector<ManifestEntry>& entries) {
    SiteManifest manifest;
    for (const ManifestEntry& entry : entries) {
        manifest.Set(entry);
    }
    return manifest;
}

class SiteManifestTest : public ::testing::Test {
  protected:
    std::u16string Out() const { return folder_.Root().u16string(); }
    fs::path File() const { return folder_.Root() / std::u16string(kManifestName); }
    // What Read gives as the problem of the manifest in Out(), for why.
    std::string Problem(std::string_view why) const {
        return "Cannot use the manifest \"" + Utf16ToUtf8(folder_.Path(kManifestName)) +
               "\", so every page counts as new: " + std::string(why);
    }

    TestFolder folder_;
};

TEST_F(SiteManifestTest, WritesItsFirstLineThenOneSortedEscapedLinePerEntry) {
    ManifestOf({
                   Entry("/site", "z.html", "fr"),
                   Entry("/site", "\xC3\xA9.html", "de"),  // after "z" byte by byte
                   Entry("/site", "a\tb%25.html", "de", "not translated", "de fr"),
                   Entry("/other", "line\r\nend.html", "zh-CN", "failed"),
               })
        .Write(Out());
    EXPECT_EQ(ReadBytes(File()),
              "quillmoor site manifest 1\n"
              "/other\tline%0D%0Aend.html\tzh-CN\tsource-of-line%0D%0Aend.html\tsnippet-of-zh-CN\t"
              "failed\t\n"
              "/site\ta%09b%2525.html\tde\tsource-of-a%09b%2525.html\tsnippet-of-de\t"
              "not translated\tde fr\n"
              "/site\tz.html\tfr\tsource-of-z.html\tsnippet-of-fr\tstored\t\n"
              "/site\t\xC3\xA9.html\tde\tsource-of-\xC3\xA9.html\tsnippet-of-de\tstored\t\n");
}

TEST_F(SiteManifestTest, ReadsBackWhatItWrote) {
    // More than the writer hands to the file at once, and than the reader takes (lines
    // cross the blocks).
    std::vector<ManifestEntry> many;
    for (int i = 0; i < 2000; ++i) {
        many.push_back(Entry(i % 2 == 0 ? "/a" : "/b", std::string(60, 'p') + std::to_string(i),
                             "fr", "stored", std::to_string(i)));
    }
    const Example<std::vector<ManifestEntry>, std::nullptr_t> cases[] = {
        {"no entries", {}, nullptr},
        {"escapes in every field",
         {{"/s%\tite\r\n", "%25%09\t%", "%0A\n", "%", "\t", "\r", "a%0Db\r\n\t%"},
          Entry("/s%\tite\r\n", "%0D", "%0A\n")},
         nullptr},
        {"empty fields", {{"", "", "", "", "", "", ""}, Entry("", "", "fr")}, nullptr},
        {"non-ASCII paths",
         {Entry("/home/J\xC3\xBCrgen/\xE7\xAB\x99\xE7\x82\xB9",
                "\xE9\xA1\xB5/\xF0\x9F\x98\x80 \xC3\xA9t\xC3\xA9.html", "zh-CN", "stored",
                "zh-CN zh-TW"),
          Entry("/home/J\xC3\xBCrgen", "index.html", "de")},
         nullptr},
        {"many entries of two sites", many, nullptr},
    };
    for (const auto& example : cases) {
        SCOPED_TRACE(example.name);
        std::vector<ManifestEntry> reversed(example.input.rbegin(), example.input.rend());
        ManifestOf(reversed).Write(Out());
        std::string problem = "earlier";
        EXPECT_EQ(SiteManifest::Read(Out(), &problem).Entries(), Sorted(example.input));
        EXPECT_EQ(problem, "");
    }
}

TEST_F(SiteManifestTest, SetReplacesTheEntryOfTheSamePageLanguage) {
    SiteManifest manifest = ManifestOf({Entry("/s", "a.html", "fr", "failed")});
    manifest.Set(Entry("/s", "a.html", "fr", "stored", "fr de"));
    EXPECT_THAT(manifest.Entries(), ElementsAre(Entry("/s", "a.html", "fr", "stored", "fr de")));
    ASSERT_NE(manifest.Find("/s", "a.html", "fr"), nullptr);
    EXPECT_EQ(manifest.Find("/s", "a.html", "fr")->outcome, "stored");
}

TEST_F(SiteManifestTest, FindTakesSitePageAndLanguageAsTheyAre) {
    const SiteManifest manifest = ManifestOf({Entry("/s", "a.html", "zh-CN")});
    EXPECT_NE(manifest.Find("/s", "a.html", "zh-CN"), nullptr);
    EXPECT_EQ(manifest.Find("/s/", "a.html", "zh-CN"), nullptr);
    EXPECT_EQ(manifest.Find("/s", "A.html", "zh-CN"), nullptr);
    EXPECT_EQ(manifest.Find("/s", "a.html", "zh"), nullptr);
    EXPECT_EQ(manifest.Find("", "", ""), nullptr);
}

TEST_F(SiteManifestTest, RemoveTakesOutOnlyThatPageLanguage) {
    SiteManifest manifest = ManifestOf(
        {Entry("/s", "a.html", "fr"), Entry("/s", "a.html", "de"), Entry("/t", "a.html", "fr")});
    EXPECT_TRUE(manifest.Remove("/s", "a.html", "fr"));
    EXPECT_FALSE(manifest.Remove("/s", "a.html", "fr"));
    EXPECT_FALSE(manifest.Remove("/s", "b.html", "de"));
    EXPECT_THAT(manifest.Entries(),
                ElementsAre(Entry("/s", "a.html", "de"), Entry("/t", "a.html", "fr")));
}

TEST_F(SiteManifestTest, VanishedPagesAreThoseOfTheGivenSiteOnly) {
    // Sites whose paths begin alike, to either side of "/s" in the order.
    const SiteManifest manifest = ManifestOf({
        Entry("/r", "a.html", "fr"),
        Entry("/s", "a.html", "fr"),
        Entry("/s", "a.html", "de"),
        Entry("/s", "b.html", "fr"),
        Entry("/s/sub", "a.html", "fr"),
        Entry("/s2", "a.html", "fr"),
    });
    const struct {
        const char* name;
        std::string site;
        std::set<std::string> pages;
        std::vector<ManifestEntry> vanished;
    } cases[] = {
        {"one page gone in both languages",
         "/s",
         {"b.html", "sub/a.html"},
         {Entry("/s", "a.html", "de"), Entry("/s", "a.html", "fr")}},
        {"every page still there", "/s", {"a.html", "b.html"}, {}},
        {"nothing left", "/s2", {}, {Entry("/s2", "a.html", "fr")}},
        {"a site the manifest does not have", "/q", {}, {}},
        {"a site at a prefix of others", "/s/sub", {"b.html"}, {Entry("/s/sub", "a.html", "fr")}},
    };
    for (const auto& example : cases) {
        EXPECT_EQ(manifest.VanishedFrom(example.site, example.pages), example.vanished)
            << example.name;
    }
}

TEST_F(SiteManifestTest, MissingManifestIsEmptyWithoutProblem) {
    std::string problem = "earlier";
    EXPECT_THAT(SiteManifest::Read(Out(), &problem).Entries(), IsEmpty());
    EXPECT_EQ(problem, "");
    EXPECT_THAT(SiteManifest::Read(folder_.Path(u"missing"), &problem).Entries(), IsEmpty());
    EXPECT_EQ(problem, "");
    EXPECT_THAT(SiteManifest::Read(Out()).Entries(), IsEmpty());
}

TEST_F(SiteManifestTest, FirstLineAloneIsAnEmptyManifest) {
    WriteBytes(File(), "quillmoor site manifest 1\n");
    std::string problem = "earlier";
    EXPECT_THAT(SiteManifest::Read(Out(), &problem).Entries(), IsEmpty());
    EXPECT_EQ(problem, "");
}

TEST_F(SiteManifestTest, BrokenManifestIsEmptyAndSaysWhy) {
    const std::string first = "quillmoor site manifest 1\n";
    const std::string good = "/s\ta.html\tfr\td1\tw1\tstored\t\n";
    const std::string wrong_first = "its first line is not \"quillmoor site manifest 1\"";
    const std::string cut_off = "its last line has no end (it was cut off)";
    const Example<std::string, std::string> cases[] = {
        {"an empty file", "", "it is empty"},
        {"no text", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), wrong_first},
        {"a large file without line ends", std::string(1 << 20, 'x'), wrong_first},
        {"a later format", "quillmoor site manifest 2\n" + good, wrong_first},
        {"the first line longer", "quillmoor site manifest 10\n", wrong_first},
        {"the first line with CR LF", "quillmoor site manifest 1\r\n", wrong_first},
        {"the first line without its end", "quillmoor site manifest 1", cut_off},
        {"an entry cut off", first + good + "/s\tb.html\tfr\td", cut_off},
        {"a last entry without its end", first + good + "/s\tb.html\tfr\td1\tw1\tstored\t",
         cut_off},
        {"six fields", first + "/s\ta.html\tfr\td1\tw1\tstored\n",
         "line 2 has 6 fields instead of 7"},
        {"eight fields", first + good + "/s\tb.html\tfr\td1\tw1\tstored\t\tx\n",
         "line 3 has 8 fields instead of 7"},
        {"an empty line", first + good + "\n", "line 3 has 1 field instead of 7"},
        {"an unknown escape", first + "/s\ta%41.html\tfr\td1\tw1\tstored\t\n",
         "line 2 holds a \"%\" that starts none of %25, %09, %0D and %0A"},
        {"an escape in lower case", first + "/s\ta%0a.html\tfr\td1\tw1\tstored\t\n",
         "line 2 holds a \"%\" that starts none of %25, %09, %0D and %0A"},
        {"a percent sign at the end", first + "/s\ta.html\tfr\td1\tw1\tstored\t%\n",
         "line 2 holds a \"%\" that starts none of %25, %09, %0D and %0A"},
        {"lines ending in CR LF", first + "/s\ta.html\tfr\td1\tw1\tstored\t\r\n",
         "line 2 holds a CR that is not written as %0D"},
        {"a page-language twice", first + good + "/s\ta.html\tfr\td2\tw2\tfailed\t\n",
         "line 3 names the page-language of an earlier line"},
    };
    for (const auto& example : cases) {
        SCOPED_TRACE(example.name);
        WriteBytes(File(), example.input);
        std::string problem;
        EXPECT_THAT(SiteManifest::Read(Out(), &problem).Entries(), IsEmpty());
        EXPECT_EQ(problem, Problem(example.expected));
        EXPECT_THAT(SiteManifest::Read(Out()).Entries(), IsEmpty());
    }
}

TEST_F(SiteManifestTest, ManifestThatCannotBeReadIsEmptyAndSaysWhy) {
    fs::create_directory(File());
    std::string problem;
    EXPECT_THAT(SiteManifest::Read(Out(), &problem).Entries(), IsEmpty());
    EXPECT_EQ(problem, Problem("it cannot be read: it is a folder, not a file"));
}

TEST_F(SiteManifestTest, WriteReplacesTheEarlierManifestAndLeavesNoOtherFile) {
    WriteBytes(File(), "an earlier manifest, longer than the new one");
    ManifestOf({Entry("/s", "a.html", "fr")}).Write(Out());
    EXPECT_EQ(
        ReadBytes(File()),
        "quillmoor site manifest 1\n/s\ta.html\tfr\tsource-of-a.html\tsnippet-of-fr\tstored\t\n");
    SiteManifest().Write(Out());
    EXPECT_EQ(ReadBytes(File()), "quillmoor site manifest 1\n");
    EXPECT_THAT(test_support::NamesIn(folder_.Root()), ElementsAre(".quillmoor-manifest"));
}

TEST_F(SiteManifestTest, WriteIntoAMissingFolderThrowsAndMakesNothing) {
    EXPECT_THROW(ManifestOf({Entry("/s", "a.html", "fr")}).Write(folder_.Path(u"missing")),
                 FileSystemError);
    EXPECT_THAT(test_support::NamesIn(folder_.Root()), IsEmpty());
}

#ifndef _WIN32
TEST_F(SiteManifestTest, WriteIntoAFolderThatCannotBeWrittenKeepsTheEarlierManifest) {
    const std::string earlier = "quillmoor site manifest 1\n/s\ta.html\tfr\td1\tw1\tstored\t\n";
    WriteBytes(File(), earlier);
    // Readable and passable, not writable, for everyone; run as a user without privileges,
    // for whom the permissions hold even when the tests run as root.
    fs::permissions(folder_.Root(), fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
    const SiteManifest manifest = ManifestOf({Entry("/s", "b.html", "de")});
    const auto outcome = test_support::RunWithoutPrivileges([&](std::string& message) {
        try {
            manifest.Write(Out());
        } catch (const FileSystemError& error) {
            message = error.what();
            return 0;
        }
        return 1;
    });
    EXPECT_EQ(outcome.exit_code, 0) << "written";
    EXPECT_THAT(outcome.output, ::testing::HasSubstr("Permission denied"));
    EXPECT_EQ(ReadBytes(File()), earlier);
    EXPECT_THAT(test_support::NamesIn(folder_.Root()), ElementsAre(".quillmoor-manifest"));
}
#endif

}  // namespace
}  // namespace quillmoor::cli
