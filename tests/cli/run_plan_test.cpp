#include "cli/run_plan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/language_catalogue.h"
#include "pipeline/page_text.h"
#include "pipeline/result_store.h"
#include "pipeline/source_names.h"
#include "platform/utf.h"
#include "tests/support/test_folder.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace quillmoor::cli {
namespace {

namespace fs = std::filesystem;
using test_support::TestFolder;
using test_support::WriteBytes;

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

// A relative path written with slashes, in the system's own form.
std::string Native(std::string relative) {
    std::replace(relative.begin(), relative.end(), '/', kSep);
    return relative;
}

std::size_t Lang(std::string_view code) {
    const auto& codes = LanguageCodes();
    return static_cast<std::size_t>(std::find(codes.begin(), codes.end(), Utf8ToUtf16(code)) -
                                    codes.begin());
}

class RunPlanTest : public ::testing::Test {
  protected:
    // The root's path text, UTF-8, without a separator at its end.
    std::string Root() const { return Utf16ToUtf8(folder_.Root().u16string()); }
    std::string At(std::string_view relative) const {
        return Root() + kSep + Native(std::string(relative));
    }
    void Page(std::string_view relative, std::string_view content = "<html><body>x</body></html>") {
        const fs::path path(Utf8ToUtf16(At(relative)));
        fs::create_directories(path.parent_path());
        WriteBytes(path, content);
    }
    // A temporary page as the page run writes it: the page with the widget in it.
    void TempPage(std::string_view relative) {
        Page(relative, Utf16ToUtf8(*InjectWidget(u"<html><head></head></html>", u"fr")));
    }
    CliOptions Options(std::vector<std::string> inputs, std::string out) const {
        CliOptions options;
        options.inputs = std::move(inputs);
        options.out = std::move(out);
        options.languages = {Lang("fr"), Lang("de")};
        std::sort(options.languages.begin(), options.languages.end());
        options.layout = ResultLayout::kPerPage;
        return options;
    }

    TestFolder folder_;
};

TEST_F(RunPlanTest, FolderTreeGivesItsPagesInAFixedOrderWithTheirResultPlaces) {
    Page("site/index.html");
    Page("site/index_files/frame.html");  // the resource folder of index.html
    Page("site/about.HTM");
    Page("site/Z.html");
    Page("site/notes.txt");
    Page("site/blog/index.html");
    Page("site/blog/post.htm");
    Page("site/blog/post_files/embed.htm");
    Page("site/static_files/x.html");  // no page static.html beside it: an ordinary folder
    TempPage("site/index-temp.html");
    TempPage("site/blog/post-temp-3fa9.htm");
    Page("site/my-temp.html");  // named like a temporary page, but the user's own
    Page("site/out/index.html/fr/index.html");
    Page("site/empty/readme.txt");
#ifndef _WIN32
    // A link to a folder is not followed (it might lead round in a circle).
    Page("elsewhere/away.html");
    fs::create_directory_symlink(folder_.Root() / "elsewhere", folder_.Root() / "site" / "link");
    fs::create_directory_symlink(folder_.Root() / "site", folder_.Root() / "site" / "blog" / "up");
#endif

    const RunPlan plan = MakeRunPlan(Options({At("site")}, At("site/out")));
    ASSERT_EQ(plan.error, "");

    // Sorted by the path inside the folder, byte by byte: upper case first.
    const std::vector<std::string> expected = {
        "Z.html",     "about.HTM",    "blog/index.html",    "blog/post.htm",
        "index.html", "my-temp.html", "static_files/x.html"};
    ASSERT_EQ(plan.tasks.size(), expected.size() * 2);
    const std::vector<std::size_t> languages = Options({}, "").languages;
    for (std::size_t at = 0; at < plan.tasks.size(); ++at) {
        const PageTask& task = plan.tasks[at];
        const std::string relative = expected[at / 2];
        SCOPED_TRACE(relative);
        const std::size_t slash = relative.rfind('/');
        const std::string subfolder =
            slash == std::string::npos ? "" : relative.substr(0, slash + 1);
        const std::string name = relative.substr(slash == std::string::npos ? 0 : slash + 1);
        const std::string code = Utf16ToUtf8(LanguageCodes()[languages[at % 2]]);
        EXPECT_EQ(task.number, at);
        EXPECT_EQ(task.language_index, languages[at % 2]);
        EXPECT_EQ(Utf16ToUtf8(task.path_text), At("site/" + subfolder));
        EXPECT_EQ(Utf16ToUtf8(task.file_text), name);
        EXPECT_EQ(Utf16ToUtf8(task.result_root), At("site/out/" + subfolder));
        EXPECT_EQ(Utf16ToUtf8(task.result_path),
                  At("site/out/" + subfolder + name + "/" + code + "/" + name));
        EXPECT_EQ(task.display_name, At("site/" + relative));
    }
}

TEST_F(RunPlanTest, FilesKeepTheGivenOrderAndAreTakenOnce) {
    Page("site/index.html");
    Page("site/sub/index.html");
    Page("notes.txt");
    Page("one.html");
    CliOptions options = Options({At("one.html"), At("notes.txt"), At("site"),
                                  At("site/./sub/../index.html"), At("one.html")},
                                 At("out"));
    options.languages = {Lang("fr")};
    const RunPlan plan = MakeRunPlan(options);
    ASSERT_EQ(plan.error, "");
    std::vector<std::string> results;
    std::vector<std::string> names;
    for (const PageTask& task : plan.tasks) {
        results.push_back(Utf16ToUtf8(task.result_path));
        names.push_back(task.display_name);
    }
    // A file given on its own lands where the window program puts it, whatever its extension.
    EXPECT_EQ(results,
              (std::vector<std::string>{
                  At("out/one.html/fr/one.html"), At("out/notes.txt/fr/notes.txt"),
                  At("out/index.html/fr/index.html"), At("out/sub/index.html/fr/index.html")}));
    EXPECT_EQ(names, (std::vector<std::string>{At("one.html"), At("notes.txt"),
                                               At("site") + kSep + "index.html",
                                               At("site") + kSep + Native("sub/index.html")}));
    EXPECT_TRUE(fs::is_directory(folder_.Root() / "out"));
    // The probe file is gone; the mark of an output folder is there.
    EXPECT_THAT(test_support::NamesIn(folder_.Root() / "out"),
                ::testing::ElementsAre(".quillmoor-output"));
}

// Resuming looks for a result where the plan says it lies; the store must put it exactly
// there, resource folder beside it, for pages at the top, in subfolders and without an
// extension.
TEST_F(RunPlanTest, TheStoreWritesWhereThePlanLooks) {
    for (const char* page : {"site/a.html", "site/deep/er/b.htm", "site/c", "site/d.e.html"}) {
        Page(page);
    }
    fs::create_directories(folder_.Root() / "site" / "deep" / "er" / "b_files");
    WriteBytes(folder_.Root() / "site" / "deep" / "er" / "b_files" / "s.css", "p{}");
    CliOptions options = Options({At("site"), At("site/c")}, At("out"));
    const RunPlan plan = MakeRunPlan(options);
    ASSERT_EQ(plan.error, "");
    ASSERT_FALSE(plan.tasks.empty());
    for (const PageTask& task : plan.tasks) {
        SCOPED_TRACE(Utf16ToUtf8(task.result_path));
        const SourceNames names(task.path_text, task.file_text);
        StoreResult(u"<html><body>x</body></html>", names, task.language_index, task.result_root);
        EXPECT_TRUE(fs::is_regular_file(fs::path(task.result_path)));
        if (task.file_text == u"b.htm") {
            EXPECT_TRUE(fs::is_regular_file(fs::path(task.result_path).parent_path() / "b_files" /
                                            "s.css"));
        }
    }
}

TEST_F(RunPlanTest, RelativeNamesAreTakenFromTheCurrentFolder) {
    Page("site/a.html");
    const fs::path before = fs::current_path();
    fs::current_path(folder_.Root());
    CliOptions options = Options({"site/"}, "result");
    options.languages = {Lang("fr")};
    const RunPlan plan = MakeRunPlan(options);
    fs::current_path(before);
    ASSERT_EQ(plan.error, "");
    ASSERT_EQ(plan.tasks.size(), 1u);
    EXPECT_EQ(Utf16ToUtf8(plan.tasks[0].path_text), At("site/"));
    EXPECT_EQ(Utf16ToUtf8(plan.tasks[0].result_path), At("result/a.html/fr/a.html"));
    EXPECT_EQ(plan.tasks[0].display_name, "site" + std::string(1, kSep) + "a.html");
}

TEST_F(RunPlanTest, ErrorsBeforeAnythingStartsAndNothingIsMade) {
    Page("a/x.html");
    Page("b/x.html");
    Page("c/x.html");
    Page("only-text/readme.txt");
    Page("only-text/sub/page.txt");
    Page("only-text/page.html_files/inner.txt");
    Page("a-file");
    const struct {
        std::vector<std::string> inputs;
        std::string out;
        std::string message;
    } cases[] = {
        {{At("a/x.html"), At("b/x.html")},
         At("out"),
         "quillmoor-cli: '" + At("a/x.html") + "' and '" + At("b/x.html") +
             "' would both be stored in '" + At("out/x.html") +
             "'; translate them in separate runs or give their folder instead"},
        {{At("a"), At("c/x.html")},
         At("out"),
         "quillmoor-cli: '" + At("a") + kSep + "x.html' and '" + At("c/x.html") +
             "' would both be stored in '" + At("out/x.html") +
             "'; translate them in separate runs or give their folder instead"},
        {{At("a"), At("missing.html")},
         At("out"),
         "quillmoor-cli: no such file or folder '" + At("missing.html") + "'"},
        {{At("only-text")},
         At("out"),
         "quillmoor-cli: no page (.html, .htm) in the folder '" + At("only-text") + "'"},
        {{At("a")},
         At("a"),
         "quillmoor-cli: the folder '" + At("a") +
             "' is the output folder; name another with --out"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const RunPlan plan = MakeRunPlan(Options(c.inputs, c.out));
        EXPECT_EQ(plan.error, c.message);
        EXPECT_TRUE(plan.tasks.empty());
    }
    EXPECT_FALSE(fs::exists(folder_.Root() / "out"));

    // An output folder that cannot be made.
    const RunPlan on_file = MakeRunPlan(Options({At("a")}, At("a-file/out")));
    EXPECT_THAT(on_file.error, ::testing::StartsWith("quillmoor-cli: cannot create the output "
                                                     "folder '" +
                                                     At("a-file/out") + "': "));
    EXPECT_TRUE(on_file.tasks.empty());

    CliOptions bad_shard = Options({At("a")}, At("out"));
    bad_shard.shard = {4, 3};
    EXPECT_EQ(MakeRunPlan(bad_shard).error,
              "quillmoor-cli: --shard 4/3 is out of range: K must lie between 1 and N");

    CliOptions report_folder = Options({At("a")}, At("out"));
    report_folder.report = At("b");
    EXPECT_EQ(MakeRunPlan(report_folder).error,
              "quillmoor-cli: the report '" + At("b") + "' is a folder");
}

TEST_F(RunPlanTest, TheReportsFolderIsMadeBeforeTheRun) {
    Page("a/x.html");
    CliOptions options = Options({At("a")}, At("out"));
    options.report = At("reports/run.json");
    EXPECT_EQ(MakeRunPlan(options).error, "");
    EXPECT_TRUE(fs::is_directory(folder_.Root() / "reports"));
    EXPECT_TRUE(fs::is_empty(folder_.Root() / "reports"));
}

// The report never overwrites what the run reads nor stands where it writes; a report in
// the output folder, beside the results, is fine.
TEST_F(RunPlanTest, TheReportMayNotOverwriteAnInputOrAResult) {
    Page("site/welcome.html");
    Page("site/sub/page.html");
    Page("lone.html");
    WriteBytes(folder_.Root() / "site" / "notes.json", "{}");
#ifndef _WIN32
    fs::create_symlink(folder_.Root() / "site", folder_.Root() / "site-link");
    fs::create_hard_link(folder_.Root() / "lone.html", folder_.Root() / "lone-too.html");
#endif
    const std::string would_overwrite = "' would overwrite '";
    const struct {
        const char* name;
        std::vector<std::string> inputs;
        std::string out;
        std::string report;
        std::string message;  // a part of the error; empty when the report is fine
    } cases[] = {
        {"an input file",
         {At("site/welcome.html")},
         At("out"),
         At("site/welcome.html"),
         would_overwrite + At("site/welcome.html")},
        {"an input file by another name",
         {At("lone.html")},
         At("out"),
         At("site/../lone.html"),
         would_overwrite},
        {"a page inside an input folder",
         {At("site")},
         At("out"),
         At("site/sub/page.html"),
         "' lies inside the input folder '" + At("site") + "'"},
        {"any file inside an input folder",
         {At("site")},
         At("out"),
         At("site/notes.json"),
         "lies inside the input folder"},
        {"a new file deep inside an input folder",
         {At("site")},
         At("out"),
         At("site/new/run.json"),
         "lies inside the input folder"},
        {"the output folder",
         {At("lone.html")},
         At("out"),
         At("out"),
         "is the output folder; name another file with --report"},
        {"the output folder's mark",
         {At("lone.html")},
         At("out"),
         At("out/.quillmoor-output"),
         would_overwrite},
        {"a result",
         {At("site")},
         At("out"),
         At("out/sub/page.html/fr/page.html"),
         "would lie where the results of '" + At("site") + kSep + Native("sub/page.html")},
        {"a page's result folder",
         {At("lone.html")},
         At("out"),
         At("out/lone.html"),
         "would lie where the results of"},
        {"a folder the results need",
         {At("site")},
         At("out"),
         At("out/sub"),
         "would lie where the results of"},
#ifndef _WIN32
        {"inside an input folder through a link",
         {At("site-link")},
         At("out"),
         At("site/run.json"),
         "lies inside the input folder"},
        {"an input page through a linked folder",
         {At("site")},
         At("out"),
         At("site-link/welcome.html"),
         "lies inside the input folder"},
        {"a hard link of an input",
         {At("lone.html")},
         At("out"),
         At("lone-too.html"),
         would_overwrite},
#endif
        {"beside the inputs", {At("site"), At("lone.html")}, At("out"), At("run.json"), ""},
        {"in the output folder", {At("site")}, At("out"), At("out/run.json"), ""},
        {"in the output folder inside the input folder",
         {At("site")},
         At("site/out"),
         At("site/out/run.json"),
         ""},
        {"beside a result in the output tree", {At("site")}, At("out"), At("out/sub/run.json"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CliOptions options = Options(c.inputs, c.out);
        options.report = c.report;
        const RunPlan plan = MakeRunPlan(options);
        if (c.message.empty()) {
            EXPECT_EQ(plan.error, "");
            EXPECT_FALSE(plan.tasks.empty());
        } else {
            EXPECT_THAT(plan.error,
                        ::testing::StartsWith("quillmoor-cli: the report '" + c.report + "'"));
            EXPECT_THAT(plan.error, ::testing::HasSubstr(c.message));
            EXPECT_TRUE(plan.tasks.empty());
            EXPECT_FALSE(fs::exists(fs::path(c.out))) << "a usage error made the output folder";
        }
        fs::remove_all(folder_.Root() / "out");
        fs::remove_all(folder_.Root() / "site" / "out");
    }
    EXPECT_EQ(test_support::ReadBytes(folder_.Root() / "site" / "welcome.html"),
              "<html><body>x</body></html>");
}

// A usage error found at the last step, once folders have been made, takes them away again.
TEST_F(RunPlanTest, AUsageErrorLeavesNoFolderBehind) {
    Page("site/a.html");
    WriteBytes(folder_.Root() / "a-file", "in the way");
    struct Case {
        const char* name;
        std::string out;
        std::string report;
        std::string start;
    };
    std::vector<Case> cases = {
        {"the report's folder cannot be made", At("new/deep/out"), At("a-file/dir/run.json"),
         "quillmoor-cli: cannot create the report's folder '" + At("a-file/dir") + "': "},
        {"the output folder cannot be made, the report's could", At("a-file/out"),
         At("reports/deep/run.json"),
         "quillmoor-cli: cannot create the output folder '" + At("a-file/out") + "': "},
    };
#ifdef __linux__
    // Nothing can be written there, not even by root.
    cases.push_back({"the report's folder takes no file", At("new/deep/out"), "/proc/run.json",
                     "quillmoor-cli: cannot write in the report's folder '/proc': "});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CliOptions options = Options({At("site")}, c.out);
        options.report = c.report;
        const RunPlan plan = MakeRunPlan(options);
        EXPECT_THAT(plan.error, ::testing::StartsWith(c.start));
        EXPECT_TRUE(plan.tasks.empty());
        EXPECT_THAT(test_support::NamesIn(folder_.Root()),
                    ::testing::ElementsAre("a-file", "site"));
    }
}

// Planning marks its output folder; a later run with another output folder over the same
// pages passes over the marked folder instead of taking its results for pages.
TEST_F(RunPlanTest, TheResultsOfAnEarlierRunAreNoInput) {
    Page("site/index.html");
    Page("site/sub/page.html");
    CliOptions first = Options({At("site")}, At("site/out"));
    ASSERT_EQ(MakeRunPlan(first).error, "");
    EXPECT_TRUE(fs::is_regular_file(folder_.Root() / "site" / "out" / ".quillmoor-output"));
    Page("site/out/index.html/fr/index.html");
    Page("site/sub/old/page.html/fr/page.html");
    WriteBytes(folder_.Root() / "site" / "sub" / "old" / ".quillmoor-output", "");

    const RunPlan second = MakeRunPlan(Options({At("site")}, At("site/outB")));
    ASSERT_EQ(second.error, "");
    std::set<std::string> names;
    for (const PageTask& task : second.tasks) {
        names.insert(task.display_name);
    }
    EXPECT_THAT(names, ::testing::ElementsAre(At("site/index.html"),
                                              At("site") + kSep + Native("sub/page.html")));
    ASSERT_EQ(second.passed_over.size(), 2u);
    EXPECT_EQ(second.passed_over[0].reason, PassReason::kEarlierResults);
    EXPECT_EQ(
        PassedOverText(second.passed_over[0]),
        "passed over the folder '" + At("site/out") + "': it holds the results of an earlier run");
    EXPECT_EQ(second.passed_over[1].folder, At("site") + kSep + Native("sub/old"));

    // Named as an input itself, an earlier output folder is a usage error.
    const RunPlan named = MakeRunPlan(Options({At("site/out")}, At("elsewhere")));
    EXPECT_EQ(named.error, "quillmoor-cli: the folder '" + At("site/out") +
                               "' holds the results of an earlier run (it has a "
                               ".quillmoor-output file); give the folder of the pages instead");
    EXPECT_FALSE(fs::exists(folder_.Root() / "elsewhere"));
}

#ifndef _WIN32
TEST_F(RunPlanTest, AnOutputFolderOrReportThatCannotBeWrittenIsAUsageError) {
    // Run as a user without privileges, for whom the permissions hold even when the tests
    // run as root.
    Page("a/x.html");
    fs::create_directories(folder_.Root() / "locked");
    fs::permissions(folder_.Root() / "locked",
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::create_directories(folder_.Root() / "open");
    fs::permissions(folder_.Root() / "open", fs::perms::all);
    const struct {
        std::string out;
        std::string report;
        std::string start;
    } cases[] = {
        // The folder cannot be made...
        {At("new-out"), "",
         "quillmoor-cli: cannot create the output folder '" + At("new-out") + "': "},
        // ...or it exists, but nothing can be written in it.
        {At("locked"), "",
         "quillmoor-cli: cannot write in the output folder '" + At("locked") + "': "},
        // The report would fail only at the end of a long run: found before it starts.
        {At("open/out"), At("locked/run.json"),
         "quillmoor-cli: cannot write in the report's folder '" + At("locked") + "': "},
        {At("open/out"), At("locked/new/run.json"),
         "quillmoor-cli: cannot create the report's folder '" + At("locked/new") + "': "},
        {At("open/out"), At("open/run.json"), ""},
    };
    for (const auto& c : cases) {
        const test_support::ChildOutcome outcome =
            test_support::RunWithoutPrivileges([&](std::string& output) {
                CliOptions options = Options({At("a")}, c.out);
                options.report = c.report;
                output = MakeRunPlan(options).error;
                return 0;
            });
        EXPECT_EQ(outcome.exit_code, 0);
        EXPECT_THAT(outcome.output, ::testing::StartsWith(c.start));
        EXPECT_EQ(outcome.output.empty(), c.start.empty()) << outcome.output;
    }
    EXPECT_TRUE(fs::is_empty(folder_.Root() / "locked"));
}

// A subfolder that cannot be read is passed over and noted; the rest is planned. The input
// folder itself that cannot be read is a usage error.
TEST_F(RunPlanTest, AnUnreadableSubfolderIsPassedOver) {
    Page("site/a.html");
    Page("site/locked/hidden.html");
    Page("site/z/b.html");
    fs::permissions(folder_.Root() / "site", fs::perms::all);
    fs::permissions(folder_.Root() / "site" / "locked", fs::perms::none);
    const test_support::ChildOutcome outcome =
        test_support::RunWithoutPrivileges([&](std::string& output) {
            const RunPlan plan = MakeRunPlan(Options({At("site")}, At("site/out")));
            output = plan.error + "|";
            for (const PageTask& task : plan.tasks) {
                output += task.display_name + "|";
            }
            for (const PassedOverFolder& passed : plan.passed_over) {
                output += PassedOverText(passed) + "|";
            }
            output += MakeRunPlan(Options({At("site/locked")}, At("out"))).error;
            return 0;
        });
    fs::permissions(folder_.Root() / "site" / "locked", fs::perms::owner_all);
    EXPECT_EQ(outcome.exit_code, 0);
    const std::string a = At("site") + kSep + "a.html|";
    const std::string b = At("site") + kSep + Native("z/b.html") + "|";
    EXPECT_THAT(outcome.output,
                ::testing::StartsWith("|" + a + a + b + b + "passed over the folder '" +
                                      At("site") + kSep + "locked', which cannot be read: "));
    EXPECT_THAT(outcome.output, ::testing::HasSubstr("|quillmoor-cli: cannot read the folder '" +
                                                     At("site/locked") + "': "));
}
#endif

// The site layout, the default when a folder is given: one tree per language below the
// output folder, each page at its path inside the folder it was found in.
TEST_F(RunPlanTest, SiteLayoutPutsEachPageAtItsPathInEveryLanguageTree) {
    Page("site/index.html");
    Page("site/docs/a.html");
    Page("lone.html");
    struct Expected {
        std::string site_folder;  // relative to the test folder; empty for the per-page layout
        std::string site_path;
        std::string result;  // the French result, relative to the test folder
    };
    const struct {
        const char* name;
        std::vector<std::string> inputs;
        std::optional<ResultLayout> layout;
        ResultLayout planned;
        std::vector<Expected> pages;
        std::vector<std::string> sites;  // the single page, or "" for a folder, in order
    } cases[] = {
        {"a folder",
         {At("site")},
         std::nullopt,
         ResultLayout::kSite,
         {{"site", "docs/a.html", "out/fr/docs/a.html"},
          {"site", "index.html", "out/fr/index.html"}},
         {""}},
        {"a file",
         {At("lone.html")},
         std::nullopt,
         ResultLayout::kPerPage,
         {{"", "", "out/lone.html/fr/lone.html"}},
         {}},
        {"a file in the site layout",
         {At("lone.html")},
         ResultLayout::kSite,
         ResultLayout::kSite,
         {{"", "lone.html", "out/fr/lone.html"}},
         {"lone.html"}},
        {"a file beside a folder",
         {At("lone.html"), At("site")},
         std::nullopt,
         ResultLayout::kSite,
         {{"", "lone.html", "out/fr/lone.html"},
          {"site", "docs/a.html", "out/fr/docs/a.html"},
          {"site", "index.html", "out/fr/index.html"}},
         {"lone.html", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CliOptions options = Options(c.inputs, At("out"));
        options.layout = c.layout;
        const RunPlan plan = MakeRunPlan(options);
        ASSERT_EQ(plan.error, "");
        EXPECT_EQ(plan.layout, c.planned);
        EXPECT_EQ(Utf16ToUtf8(plan.out_folder), At("out"));
        ASSERT_EQ(plan.tasks.size(), c.pages.size() * 2);
        for (std::size_t at = 0; at < plan.tasks.size(); at += 2) {
            const Expected& page = c.pages[at / 2];
            SCOPED_TRACE(page.result);
            for (std::size_t language = 0; language < 2; ++language) {
                const PageTask& task = plan.tasks[at + language];
                EXPECT_EQ(task.layout, c.planned);
                std::string result = page.result;
                if (language == 1) {
                    result.replace(result.find("/fr/"), 4, "/de/");
                }
                EXPECT_EQ(Utf16ToUtf8(task.result_path), At(result));
                if (c.planned != ResultLayout::kSite) {
                    continue;
                }
                EXPECT_EQ(Utf16ToUtf8(task.result_root), At("out"));
                EXPECT_EQ(Utf16ToUtf8(task.site_folder),
                          page.site_folder.empty() ? Root() : At(page.site_folder));
                EXPECT_EQ(Utf16ToUtf8(task.site_path), Native(page.site_path));
            }
        }
        std::vector<std::string> sites;
        for (const SiteInput& site : plan.sites) {
            sites.push_back(Utf16ToUtf8(site.single_page));
            EXPECT_EQ(Utf16ToUtf8(site.folder), site.single_page.empty() ? At("site") : Root());
        }
        EXPECT_EQ(sites, c.sites);
        fs::remove_all(folder_.Root() / "out");
    }
}

// In the site layout pages of different folders share a tree: the same path collides.
TEST_F(RunPlanTest, SiteLayoutRefusesTwoPagesOfTheSamePath) {
    Page("a/docs/x.html");
    Page("b/docs/x.html");
    Page("c/x.html");
    Page("d/x.html");
    const std::vector<std::string> inputs[] = {
        {At("a"), At("b")},
        {At("c"), At("d/x.html")},
    };
    for (const std::vector<std::string>& given : inputs) {
        SCOPED_TRACE(given.front());
        CliOptions options = Options(given, At("out"));
        options.layout.reset();
        const RunPlan plan = MakeRunPlan(options);
        EXPECT_THAT(plan.error, ::testing::StartsWith("quillmoor-cli: '"));
        EXPECT_THAT(plan.error, ::testing::HasSubstr("' would both be stored in '"));
        EXPECT_TRUE(plan.tasks.empty());
    }
    EXPECT_FALSE(fs::exists(folder_.Root() / "out"));
}

TEST(PageNames, WhichFilesAFolderOffers) {
    const auto expect = [](std::initializer_list<std::u16string_view> names, bool page,
                           bool temp_name) {
        for (const std::u16string_view name : names) {
            SCOPED_TRACE(Utf16ToUtf8(name));
            EXPECT_EQ(IsPageFileName(name), page);
            EXPECT_EQ(HasTempPageName(name), temp_name);
        }
    };
    // Not pages.
    expect({u"a.txt", u"a.html.bak", u"html", u"a.xhtml", u"index-temp.txt"}, false, false);
    // Pages.
    expect({u"index.html", u"INDEX.HTML", u"a.Htm", u"index-temp-.html", u"index-temp-xyz.html",
            u"index-temps.html", u"temp.html", u"index-TEMP.html"},
           true, false);
    // Temporary pages of an earlier run.
    expect({u"index-temp.html", u"index-temp.HTM", u"index-temp-2.html", u"index-temp-0aF9.htm",
            u"-temp.html"},
           true, true);
}

std::vector<PageTask> PlanOf(std::size_t size) {
    std::vector<PageTask> tasks(size);
    for (std::size_t at = 0; at < size; ++at) {
        tasks[at].number = at;
    }
    return tasks;
}

TEST(Shards, TheSharesOfAPlanCoverItOnceAndEvenly) {
    for (std::size_t size : {0u, 1u, 4u, 7u, 13u}) {
        const std::vector<PageTask> plan = PlanOf(size);
        for (int count = 1; count <= 5; ++count) {
            SCOPED_TRACE("plan of " + std::to_string(size) + " in " + std::to_string(count));
            std::multiset<std::size_t> all;
            std::size_t smallest = size;
            std::size_t largest = 0;
            for (int index = 1; index <= count; ++index) {
                const std::vector<PageTask> share = ShardOf(plan, {index, count});
                smallest = std::min(smallest, share.size());
                largest = std::max(largest, share.size());
                for (std::size_t at = 0; at < share.size(); ++at) {
                    all.insert(share[at].number);
                    if (at > 0) {
                        EXPECT_LT(share[at - 1].number, share[at].number);
                    }
                }
            }
            EXPECT_EQ(all.size(), size);
            EXPECT_EQ(std::set<std::size_t>(all.begin(), all.end()).size(), size);
            EXPECT_LE(largest - std::min(smallest, largest), 1u);
        }
    }
    // Round robin: the share follows the number in the whole plan, not the position.
    std::vector<PageTask> some = PlanOf(6);
    some.erase(some.begin());
    const std::vector<PageTask> second = ShardOf(some, {2, 2});
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(second[0].number, 1u);
    EXPECT_EQ(second[2].number, 5u);

    EXPECT_THROW(ShardOf(some, {0, 2}), std::invalid_argument);
    EXPECT_THROW(ShardOf(some, {3, 2}), std::invalid_argument);
    EXPECT_THROW(ShardOf(some, {1, 0}), std::invalid_argument);
}

}  // namespace
}  // namespace quillmoor::cli
