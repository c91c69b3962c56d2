#include "cli/site_output.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/run_report.h"
#include "cli/site_manifest.h"
#include "pipeline/language_catalogue.h"
#include "pipeline/page_text.h"
#include "pipeline/result_store.h"
#include "pipeline/site_page.h"
#include "platform/no_copy.h"
#include "platform/utf.h"
#include "tests/support/test_folder.h"

namespace quillmoor::cli {
namespace {

namespace fs = std::filesystem;
using test_support::ReadBytes;
using test_support::TestFolder;
using test_support::WriteBytes;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;

std::size_t Lang(std::string_view code) {
    const auto& codes = LanguageCodes();
    return static_cast<std::size_t>(std::find(codes.begin(), codes.end(), Utf8ToUtf16(code)) -
                                    codes.begin());
}

// A page as the store leaves it: cleaned, its root element in the language, CR LF line ends.
std::u16string CleanPage(std::u16string_view code) {
    return u"<!DOCTYPE html>\r\n<html lang=\"" + LanguageTagOf(code) +
           u"\">\r\n<head>\r\n<title>t</title>\r\n</head>\r\n<body>x</body>\r\n</html>";
}

// One run of the site layout over options as the coordinator drives it, without the browser:
// the plan, the site output around it and the notes it gives.
class SiteRun {
  public:
    explicit SiteRun(CliOptions options)
        : options_(std::move(options)),
          plan_(MakeRunPlan(options_)),
          output_(plan_, options_, [this](const std::string& note) { notes_.push_back(note); }) {
        EXPECT_EQ(plan_.error, "");
        EXPECT_EQ(plan_.layout, ResultLayout::kSite);
    }
    QUILLMOOR_NO_COPY(SiteRun);

    const RunPlan& Plan() const { return plan_; }
    SiteOutput& Output() { return output_; }
    const std::vector<std::string>& Notes() const { return notes_; }

    // The task of the page at site_path ("/" between folders) in the language.
    const PageTask& Task(std::string_view site_path, std::string_view code) const {
        std::string native(site_path);
        std::replace(native.begin(), native.end(), '/', char(fs::path::preferred_separator));
        for (const PageTask& task : plan_.tasks) {
            if (Utf16ToUtf8(task.site_path) == native && task.language_index == Lang(code)) {
                return task;
            }
        }
        throw std::runtime_error("no task " + std::string(site_path) + " " + std::string(code));
    }

    // Stores the clean page of the task, as the page run does, and gives its record.
    static TaskRecord Store(const PageTask& task) {
        fs::create_directories(fs::path(task.result_path).parent_path());
        WriteTextFile(task.result_path, CleanPage(LanguageCodes().at(task.language_index)));
        TaskRecord record;
        record.task = task;
        record.outcome = PageOutcome::kStored;
        return record;
    }

    // The whole run: every page-language not stored already is stored, pages without a
    // place for the widget passed over. Gives what Finish gives.
    bool StoreAll() {
        output_.Prepare();
        std::vector<TaskRecord> records;
        for (const PageTask& task : plan_.tasks) {
            TaskRecord record;
            if (output_.AlreadyStored(task)) {
                record.task = task;
                record.outcome = PageOutcome::kSkipped;
                record.skip_reason = SkipReason::kAlreadyStored;
            } else if (!InjectWidget(ReadPageText(task.path_text + task.file_text), u"fr")) {
                record.task = task;
                record.outcome = PageOutcome::kSkipped;
                record.skip_reason = SkipReason::kNoPlaceForWidget;
            } else {
                record = Store(task);
            }
            output_.Recorded(record);
            records.push_back(std::move(record));
        }
        return output_.Finish(records);
    }

  private:
    CliOptions options_;
    RunPlan plan_;
    std::vector<std::string> notes_;
    SiteOutput output_;
};

class SiteOutputTest : public ::testing::Test {
  protected:
    fs::path At(std::string_view relative) const {
        return folder_.Root() / fs::path(Utf8ToUtf16(relative)).make_preferred();
    }
    std::string Text(std::string_view relative) const {
        return Utf16ToUtf8(At(relative).u16string());
    }
    void Write(std::string_view relative, std::string_view bytes) {
        fs::create_directories(At(relative).parent_path());
        WriteBytes(At(relative), bytes);
    }
    void Page(std::string_view relative) {
        Write(relative, "<html><head><title>" + std::string(relative) +
                            "</title></head><body>x</body></html>");
    }
    // The site at site, its results in out, in French and German.
    CliOptions Options(std::string_view site = "site", std::string_view out = "out") const {
        CliOptions options;
        options.inputs = {Text(site)};
        options.out = Text(out);
        options.languages = {Lang("fr"), Lang("de")};
        std::sort(options.languages.begin(), options.languages.end());
        return options;
    }
    std::vector<ManifestEntry> ManifestIn(std::string_view out) const {
        std::string problem;
        const SiteManifest manifest = SiteManifest::Read(At(out).u16string(), &problem);
        EXPECT_EQ(problem, "");
        return manifest.Entries();
    }

    TestFolder folder_;
};

// A page-language counts as stored when the manifest has it from a source of the same
// content and its result is there in its language; the file time plays no part.
TEST_F(SiteOutputTest, AlreadyStoredFollowsTheContentNotTheFileTime) {
    const struct {
        const char* name;
        std::function<void(const PageTask& task, CliOptions& options)> change;
        bool already_stored;
        // Whether the change is the source's, which its other language shares.
        bool in_the_source = false;
    } cases[] = {
        {"nothing changed", [](const PageTask&, CliOptions&) {}, true},
        {"the source's file time changed",
         [](const PageTask& task, CliOptions&) {
             const fs::path source(task.path_text + task.file_text);
             fs::last_write_time(source, fs::last_write_time(source) + std::chrono::hours(2));
         },
         true},
        {"the source's bytes changed",
         [](const PageTask& task, CliOptions&) {
             WriteBytes(fs::path(task.path_text + task.file_text),
                        "<html><head></head><body>y</body></html>");
         },
         false, true},
        {"--force", [](const PageTask&, CliOptions& options) { options.redo = RedoPolicy::kForce; },
         false},
        {"the result is gone",
         [](const PageTask& task, CliOptions&) { fs::remove(fs::path(task.result_path)); }, false},
        {"the result says another language",
         [](const PageTask& task, CliOptions&) {
             WriteTextFile(task.result_path, CleanPage(u"de"));
         },
         false},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string site = "case" + std::to_string(++number) + "/site";
        const std::string out = "case" + std::to_string(number) + "/out";
        Page(site + "/index.html");
        Page(site + "/docs/a.html");
        CliOptions options = Options(site, out);
        {
            SiteRun first(options);
            ASSERT_TRUE(first.StoreAll());
            EXPECT_THAT(first.Notes(), ::testing::IsEmpty());
            c.change(first.Task("docs/a.html", "fr"), options);
        }
        SiteRun second(options);
        second.Output().Prepare();
        EXPECT_EQ(second.Output().AlreadyStored(second.Task("docs/a.html", "fr")),
                  c.already_stored);
        // The other page-languages are as they were.
        EXPECT_EQ(second.Output().AlreadyStored(second.Task("index.html", "fr")),
                  options.redo != RedoPolicy::kForce);
        EXPECT_EQ(second.Output().AlreadyStored(second.Task("docs/a.html", "de")),
                  c.in_the_source ? c.already_stored : options.redo != RedoPolicy::kForce);
    }
}

TEST_F(SiteOutputTest, ADamagedManifestIsNamedAndEveryPageTranslatedAgain) {
    Page("site/index.html");
    {
        SiteRun first(Options());
        ASSERT_TRUE(first.StoreAll());
    }
    WriteBytes(At("out/.quillmoor-manifest"), "not a manifest\n");
    SiteRun second(Options());
    second.Output().Prepare();
    EXPECT_THAT(second.Notes(), Contains(AllOf(::testing::StartsWith("warning: "),
                                               HasSubstr("every page is translated again"))));
    EXPECT_FALSE(second.Output().AlreadyStored(second.Task("index.html", "fr")));
}

// Each language tree is the whole site: the files besides the translated pages are
// mirrored into it, hard-linked on the same file system.
TEST_F(SiteOutputTest, TheSitesOtherFilesAreMirroredIntoEveryTree) {
    Page("site/index.html");
    Page("site/docs/a.html");
    Write("site/css/style.css", "p { color: red }");
    Write("site/img/logo.png", "\x89PNG");
    Write("site/frag.html", "just a fragment, no place for the widget");
    Write("outside.txt", "not the site's");
#ifndef _WIN32
    fs::create_symlink(At("outside.txt"), At("site/escape.txt"));
#endif
    // The output folder inside the site.
    SiteRun run(Options("site", "site/out"));
    run.Output().Prepare();

    for (const char* code : {"fr", "de"}) {
        SCOPED_TRACE(code);
        const std::string tree = std::string("site/out/") + code + "/";
        for (const char* asset : {"css/style.css", "img/logo.png", "frag.html"}) {
            SCOPED_TRACE(asset);
            ASSERT_TRUE(fs::is_regular_file(At(tree + asset)));
            EXPECT_EQ(ReadBytes(At(tree + asset)), ReadBytes(At(std::string("site/") + asset)));
#ifndef _WIN32
            EXPECT_TRUE(fs::equivalent(At(tree + asset), At(std::string("site/") + asset)));
#endif
        }
        // The translations take the pages' places.
        EXPECT_FALSE(fs::exists(At(tree + "index.html")));
        EXPECT_FALSE(fs::exists(At(tree + "docs/a.html")));
        EXPECT_FALSE(fs::exists(At(tree + "out")));
        EXPECT_FALSE(fs::exists(fs::symlink_status(At(tree + "escape.txt"))));
    }
#ifndef _WIN32
    // Named once, not once per tree.
    EXPECT_EQ(std::count_if(run.Notes().begin(), run.Notes().end(),
                            [](const std::string& note) {
                                return note.find("warning: not mirrored from") == 0 &&
                                       note.find("'escape.txt'") != std::string::npos;
                            }),
              1);
#endif
    ASSERT_EQ(run.Output().Trees().size(), 2u);
    for (const LanguageTreeCounts& tree : run.Output().Trees()) {
        EXPECT_EQ(tree.mirror.linked + tree.mirror.copied, 3u) << tree.code;
    }
}

TEST_F(SiteOutputTest, TheResultsOfAPageThatLeftTheSiteAreRemoved) {
    Page("site/index.html");
    Page("site/sub/gone.html");
    {
        SiteRun first(Options());
        ASSERT_TRUE(first.StoreAll());
    }
    ASSERT_TRUE(fs::is_regular_file(At("out/fr/sub/gone.html")));
    fs::remove(At("site/sub/gone.html"));

    SiteRun second(Options());
    EXPECT_TRUE(second.StoreAll());
    EXPECT_FALSE(fs::exists(At("out/fr/sub/gone.html")));
    EXPECT_FALSE(fs::exists(At("out/de/sub/gone.html")));
    EXPECT_TRUE(fs::is_regular_file(At("out/fr/index.html")));
    EXPECT_THAT(second.Notes(), Contains("removed 'fr/sub/gone.html': 'sub/gone.html' is no "
                                         "longer in '" +
                                         Text("site") + "'"));
    for (const LanguageTreeCounts& tree : second.Output().Trees()) {
        EXPECT_EQ(tree.removed, 1) << tree.code;
        EXPECT_EQ(tree.already_stored, 1) << tree.code;
    }
    for (const ManifestEntry& entry : ManifestIn("out")) {
        EXPECT_EQ(entry.page, "index.html");
    }
}

#ifndef _WIN32
// A page missing because its folder could not be read has not left the site.
TEST_F(SiteOutputTest, NothingIsRemovedWhenAFolderOfTheSiteCannotBeRead) {
    Page("site/index.html");
    Page("site/locked/page.html");
    {
        SiteRun first(Options());
        ASSERT_TRUE(first.StoreAll());
    }
    // Run as a user without privileges, for whom the permissions hold even when the tests
    // run as root; it may write everywhere but in the locked folder.
    for (const auto& entry : fs::recursive_directory_iterator(folder_.Root())) {
        fs::permissions(entry.path(), fs::perms::all, fs::perm_options::add);
    }
    fs::permissions(At("site/locked"), fs::perms::none);
    const test_support::ChildOutcome outcome =
        test_support::RunWithoutPrivileges([&](std::string& output) {
            SiteRun second(Options());
            second.Output().Prepare();
            for (const std::string& note : second.Notes()) {
                output += note + "\n";
            }
            return second.Plan().passed_over.size() == 1 ? 0 : 1;
        });
    fs::permissions(At("site/locked"), fs::perms::owner_all);
    EXPECT_EQ(outcome.exit_code, 0);
    EXPECT_THAT(outcome.output, HasSubstr("warning: kept the results of 2 page-language(s) "
                                          "missing from '" +
                                          Text("site") + "', as a folder of it could not be read"));
    EXPECT_THAT(outcome.output, ::testing::Not(HasSubstr("removed")));
    EXPECT_TRUE(fs::is_regular_file(At("out/fr/locked/page.html")));
    EXPECT_TRUE(fs::is_regular_file(At("out/de/locked/page.html")));
}
#endif

// The manifest is a file in the output folder that anyone may have written: its page paths
// never lead a removal out of the language tree.
TEST_F(SiteOutputTest, AManifestsPagePathsNeverLeadOutOfTheTree) {
    Page("site/index.html");
    Write("deep/victim.txt", "keep me");
    Write("victim.txt", "keep me too");
    fs::create_directories(At("deep/out"));
    const std::string site = Text("site");
    const std::string relative = "../../victim.txt";  // deep/out/fr/../../victim.txt
    const std::string absolute = Text("victim.txt");
    std::vector<std::string> pages = {relative, absolute};
    std::sort(pages.begin(), pages.end());
    std::string manifest = "quillmoor site manifest 1\n";
    for (const std::string& page : pages) {
        manifest += site + "\t" + page + "\tfr\tsource\tsnippet\tstored\t\n";
    }
    WriteBytes(At("deep/out/.quillmoor-manifest"), manifest);

    SiteRun run(Options("site", "deep/out"));
    EXPECT_TRUE(run.StoreAll());
    EXPECT_THAT(run.Notes(), ::testing::IsEmpty());
    EXPECT_EQ(ReadBytes(At("deep/victim.txt")), "keep me");
    EXPECT_EQ(ReadBytes(At("victim.txt")), "keep me too");
    // The entries that could not be the manifest's own are dropped.
    for (const ManifestEntry& entry : ManifestIn("deep/out")) {
        EXPECT_EQ(entry.page, "index.html");
    }
}

// The alternate links go in before </head> and come out again without a trace; a page
// rewritten for them keeps every other byte.
TEST_F(SiteOutputTest, AlternateLinksAreSetAndTakenOutByteForByte) {
    Page("site/index.html");
    Page("site/docs/b.html");
    const std::string clean = Utf16ToUtf8(CleanPage(u"fr")) + "\r\n";
    CliOptions options = Options();
    options.base_url = "https://example.org/site";

    // French first, German in a later run: the French page is rewritten for the new line.
    CliOptions french = options;
    french.languages = {Lang("fr")};
    {
        SiteRun run(french);
        ASSERT_TRUE(run.StoreAll());
    }
    ASSERT_EQ(ReadBytes(At("out/fr/docs/b.html")).find("hreflang=\"de\""), std::string::npos);
    {
        SiteRun run(options);
        ASSERT_TRUE(run.StoreAll());
    }
    const std::string linked = ReadBytes(At("out/fr/docs/b.html"));
    const std::size_t head_end = linked.find("</head>");
    ASSERT_NE(head_end, std::string::npos);
    for (const char* line : {"hreflang=\"x-default\" href=\"https://example.org/site/docs/b.html\"",
                             "hreflang=\"fr\" href=\"https://example.org/site/fr/docs/b.html\"",
                             "hreflang=\"de\" href=\"https://example.org/site/de/docs/b.html\""}) {
        SCOPED_TRACE(line);
        EXPECT_LT(linked.find(line), head_end);
    }
    // The German page got its lines once, the French one over an earlier set: the same bytes
    // but for the language.
    std::string german = ReadBytes(At("out/de/docs/b.html"));
    german.replace(german.find("lang=\"de\""), 9, "lang=\"fr\"");
    EXPECT_EQ(linked, german);

    // Another run with the same links leaves the page as it is.
    {
        SiteRun run(options);
        ASSERT_TRUE(run.StoreAll());
    }
    EXPECT_EQ(ReadBytes(At("out/fr/docs/b.html")), linked);

    // Without --base-url the lines come out, and the page is what the store wrote.
    {
        SiteRun run(Options());
        ASSERT_TRUE(run.StoreAll());
    }
    EXPECT_EQ(ReadBytes(At("out/fr/docs/b.html")), clean);
    EXPECT_EQ(ReadBytes(At("out/fr/index.html")), clean);
}

}  // namespace
}  // namespace quillmoor::cli
