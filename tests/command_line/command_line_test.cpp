// The command line as its users run it: a folder of pages into three languages with two
// browsers at once, both timings, a run stopped with Ctrl-C and resumed, a site shared by
// three shards, the report's outcomes and the exit codes. On the real Chromium through the
// Linux engine library, with the translation widget's stand-in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/bridge/process_table.h"
#include "tests/command_line/cli_process.h"
#include "tests/command_line/no_process_left.h"
#include "tests/support/chromium_on_path.h"
#include "tests/support/matchers.h"
#include "tests/support/test_folder.h"
#include "tests/widget_standin/widget_standin_server.h"

namespace quillmoor::test_support {
namespace {

using Json = nlohmann::json;

std::vector<std::string> KeysOf(const std::map<std::string, std::string>& tree) {
    std::vector<std::string> keys;
    for (const auto& [key, bytes] : tree) {
        keys.push_back(key);
    }
    return keys;
}

Json ReadReport(const fs::path& path) {
    return Json::parse(ReadBytes(path));
}

std::map<std::string, std::string> OutcomesOf(const Json& report) {
    std::map<std::string, std::string> outcomes;
    for (const Json& page : report.at("pages")) {
        outcomes[page.at("file").get<std::string>() + " " +
                 page.at("language").get<std::string>()] = page.at("outcome").get<std::string>();
    }
    return outcomes;
}

// A site: a page at the top, one in a subfolder with its resource folder, one more page in
// another subfolder under the same name, and things that are no pages.
class CommandLineRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!ChromiumOnPath()) {
            GTEST_SKIP() << "no Chromium on PATH";
        }
        fs::create_directories(site_);
        WriteBytes(site_ / "index.html", Page("Hello world"));
        fs::create_directories(site_ / "docs" / "guide_files");
        WriteBytes(site_ / "docs" / "guide.html",
                   Page("Guide", "<link rel=\"stylesheet\" href=\"guide_files/style.css\">\r\n"));
        WriteBytes(site_ / "docs" / "guide_files" / "style.css", "h1 { color: #345; }\n");
        fs::create_directories(site_ / "blog");
        WriteBytes(site_ / "blog" / "index.html", Page("Blog"));
        WriteBytes(site_ / "notes.txt", "not a page of the folder's");
        standin_ = std::make_unique<WidgetStandinServer>(folder_.Root() / "standin");
    }
    void TearDown() override {
        // Every Chromium of the runs carries the marker switch: none may be left.
        if (standin_ != nullptr) {
            ExpectNoProcessLeftWith(marker_);
        }
    }

    // The arguments of a run of the site into fr, de and ja, results below out.
    std::vector<std::string> Arguments(const fs::path& out, std::vector<std::string> more = {}) {
        std::vector<std::string> arguments = {site_.string(), "--lang",     "fr,de,ja",
                                              "--out",        out.string(), "--progress",
                                              "lines",        "--layout",   "per-page"};
        for (const std::string& engine_switch : standin_->EngineSwitches()) {
            arguments.push_back("--engine-switch=" + engine_switch);
        }
        arguments.push_back("--engine-switch=" + marker_);
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    }
    fs::path Log(const std::string& name) const { return folder_.Root() / (name + ".log"); }

    // The temporary page that a worker writes beside site/<base>.html, once it is there; empty
    // when it did not come within limit.
    fs::path WaitForTemporaryPageOf(const std::string& base, std::chrono::seconds limit) const {
        const auto end = std::chrono::steady_clock::now() + limit;
        do {
            for (const auto& entry : fs::directory_iterator(site_)) {
                if (entry.path().filename().string().starts_with(base + "-temp")) {
                    return entry.path();
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < end);
        return {};
    }
    // The worker process of the command line at coordinator: its child running the same
    // program.
    static pid_t WorkerOf(pid_t coordinator) {
        for (pid_t pid : bridge_test::ProcessesWithArgumentContaining("--quillmoor-worker")) {
            const std::vector<std::string> arguments = bridge_test::ArgumentsOf(pid);
            if (!arguments.empty() && arguments[0] == QUILLMOOR_CLI_FILE &&
                bridge_test::ParentOf(pid) == coordinator) {
                return pid;
            }
        }
        return 0;
    }

    // The site holds only what the test put there: no temporary page is left.
    void ExpectNoTemporaryPages() const {
        for (const auto& entry : fs::recursive_directory_iterator(site_)) {
            EXPECT_THAT(entry.path().filename().string(), Not(HasSubstr("-temp"))) << entry.path();
        }
    }

    TestFolder folder_;
    const fs::path site_ = folder_.Root() / "site";
    std::unique_ptr<WidgetStandinServer> standin_;
    const std::string marker_ = "--quillmoor-test-run=" + folder_.Root().filename().string();
};

const std::vector<std::string> kResultFiles = {
    "blog/index.html/de/index.html",
    "blog/index.html/fr/index.html",
    "blog/index.html/ja/index.html",
    "docs/guide.html/de/guide.html",
    "docs/guide.html/de/guide_files/style.css",
    "docs/guide.html/fr/guide.html",
    "docs/guide.html/fr/guide_files/style.css",
    "docs/guide.html/ja/guide.html",
    "docs/guide.html/ja/guide_files/style.css",
    "index.html/de/index.html",
    "index.html/fr/index.html",
    "index.html/ja/index.html",
};

TEST_F(CommandLineRunTest, TranslatesAFolderWithTwoBrowsersStopsResumesAndShards) {
    // One whole run with two browsers at once.
    const fs::path whole = folder_.Root() / "whole";
    const fs::path report = folder_.Root() / "whole.json";
    const CliRun run =
        RunCli(Arguments(whole, {"--parallel", "2", "--report", report.string()}), Log("whole"));
    ASSERT_EQ(run.exit_code, 0) << run.output;
    const std::map<std::string, std::string> tree = TreeOf(whole);
    EXPECT_EQ(KeysOf(tree), kResultFiles);
    for (const auto& [name, bytes] : tree) {
        if (name.ends_with(".css")) {
            EXPECT_EQ(bytes, "h1 { color: #345; }\n");
            continue;
        }
        const std::string code = fs::path(name).parent_path().filename().string();
        SCOPED_TRACE(name);
        EXPECT_THAT(bytes, HasSubstr("[" + code + "] A page to translate."));
        EXPECT_THAT(bytes, Not(HasSubstr("googleTranslateElementInit")));
    }
    const Json whole_report = ReadReport(report);
    EXPECT_EQ(whole_report.at("pages").size(), 9u);
    for (const auto& [page, outcome] : OutcomesOf(whole_report)) {
        EXPECT_EQ(outcome, "stored") << page;
    }
    ExpectNoTemporaryPages();

    // Stopped with Ctrl-C after two page-languages, then run again: the same tree.
    const fs::path resumed = folder_.Root() / "resumed";
    {
        CliProcess stopped(Arguments(resumed), Log("stopped"));
        ASSERT_TRUE(stopped.WaitForOutput("[2/9]", std::chrono::seconds(120))) << stopped.Output();
        stopped.Signal(SIGINT);
        EXPECT_EQ(stopped.Wait(std::chrono::seconds(120)), 1) << stopped.Output();
        EXPECT_THAT(stopped.Output(), HasSubstr("left for the next run"));
    }
    ExpectNoTemporaryPages();
    const std::map<std::string, std::string> partial = TreeOf(resumed);
    EXPECT_GE(partial.size(), 2u);
    EXPECT_LT(partial.size(), kResultFiles.size());
    for (const auto& [name, bytes] : partial) {
        // What was stored is whole: the same bytes as in the run that was not stopped.
        EXPECT_EQ(bytes, tree.at(name)) << name;
    }
    const fs::path resumed_report = folder_.Root() / "resumed.json";
    const CliRun again =
        RunCli(Arguments(resumed, {"--report", resumed_report.string()}), Log("again"));
    EXPECT_EQ(again.exit_code, 0) << again.output;
    EXPECT_EQ(TreeOf(resumed), tree);
    int already_stored = 0;
    const Json again_report = ReadReport(resumed_report);
    for (const Json& page : again_report.at("pages")) {
        if (page.at("outcome") == "already stored") {
            ++already_stored;
        }
    }
    EXPECT_GE(already_stored, 2);
    const auto pages_stored = std::count_if(partial.begin(), partial.end(), [](const auto& file) {
        return !file.first.ends_with(".css");
    });
    EXPECT_EQ(already_stored, pages_stored);

    // Three shards one after another: exactly the single run's tree, and no page-language
    // done twice.
    const fs::path sharded = folder_.Root() / "sharded";
    std::size_t planned = 0;
    for (const char* shard : {"1/3", "2/3", "3/3"}) {
        const fs::path shard_report = folder_.Root() / "shard.json";
        const CliRun part =
            RunCli(Arguments(sharded, {"--shard", shard, "--report", shard_report.string()}),
                   Log(std::string("shard") + shard[0]));
        EXPECT_EQ(part.exit_code, 0) << part.output;
        const Json pages = ReadReport(shard_report).at("pages");
        EXPECT_EQ(pages.size(), 3u) << shard;
        for (const Json& page : pages) {
            EXPECT_EQ(page.at("outcome"), "stored") << shard;
        }
        planned += pages.size();
    }
    EXPECT_EQ(planned, 9u);
    EXPECT_EQ(TreeOf(sharded), tree);
}

TEST_F(CommandLineRunTest, TheReportTellsEachOutcomeAndTheExitCodeFollows) {
    WriteBytes(site_ / "plain.html", "just text, no place for the widget");
    WriteBytes(site_ / "vanishing.html", Page("Soon gone"));
    standin_->SetMode(WidgetStandinServer::kUntranslating);
    const fs::path out = folder_.Root() / "out";
    const fs::path report = folder_.Root() / "report.json";
    // One browser, in this order: the plain page is done at once, the untranslated one takes
    // the widget's three unanswered picks (15 s), and meanwhile the last page goes.
    std::vector<std::string> arguments = {(site_ / "plain.html").string(),
                                          (site_ / "index.html").string(),
                                          (site_ / "vanishing.html").string(),
                                          "--lang",
                                          "fr",
                                          "--out",
                                          out.string(),
                                          "--progress",
                                          "lines",
                                          "--report",
                                          report.string(),
                                          "--engine-switch=" + marker_};
    for (const std::string& engine_switch : standin_->EngineSwitches()) {
        arguments.push_back("--engine-switch=" + engine_switch);
    }
    CliProcess process(arguments, Log("outcomes"));
    // The last page goes missing after the run has planned it.
    ASSERT_TRUE(process.WaitForOutput("[1/3]", std::chrono::seconds(120))) << process.Output();
    fs::remove(site_ / "vanishing.html");
    EXPECT_EQ(process.Wait(std::chrono::seconds(300)), 1) << process.Output();

    const Json pages = ReadReport(report).at("pages");
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].at("outcome"), "skipped");
    EXPECT_EQ(pages[0].at("reason"), "no place for the widget");
    EXPECT_TRUE(pages[0].at("result").is_null());
    EXPECT_EQ(pages[1].at("outcome"), "not translated");
    EXPECT_EQ(pages[1].at("reason"), "the widget did not answer the language picks");
    EXPECT_TRUE(pages[1].at("result").is_null());
    // Nothing untranslated is written into the result tree.
    EXPECT_FALSE(fs::exists(out / "index.html"));
    EXPECT_EQ(pages[2].at("outcome"), "failed");
    EXPECT_THAT(pages[2].at("message").get<std::string>(), HasSubstr("vanishing.html"));
    EXPECT_EQ(ReadReport(report).at("summary").at("not_translated"), 1);

    // A worker that dies in the middle of a page-language (its engine crashed, say): that
    // page-language fails with the reason, a new worker takes the rest.
    standin_->SetMode(WidgetStandinServer::kFirstGeneration);
    arguments.erase(arguments.begin() + 2);
    arguments.erase(arguments.begin());
    std::vector<std::string> crashing = arguments;
    crashing.insert(crashing.begin() + 1, (site_ / "docs" / "guide.html").string());
    {
        CliProcess process(crashing, Log("crash"));
        const fs::path temp_page = WaitForTemporaryPageOf("index", std::chrono::seconds(120));
        ASSERT_FALSE(temp_page.empty()) << process.Output();
        const pid_t worker = WorkerOf(process.Pid());
        ASSERT_NE(worker, 0);
        ::kill(worker, SIGKILL);
        EXPECT_EQ(process.Wait(std::chrono::seconds(300)), 1) << process.Output();
        const Json crash_pages = ReadReport(report).at("pages");
        ASSERT_EQ(crash_pages.size(), 2u);
        EXPECT_EQ(crash_pages[0].at("outcome"), "failed");
        EXPECT_THAT(crash_pages[0].at("message").get<std::string>(), HasSubstr("signal 9"));
        EXPECT_EQ(crash_pages[1].at("outcome"), "stored");
        // The killed worker could not remove its temporary page (a folder run passes over
        // such pages).
        EXPECT_TRUE(fs::exists(temp_page));
    }

    // With the widget translating again the page is stored translated; a page with no place
    // for the widget (a fragment) does not fail the run.
    std::vector<std::string> with_fragment = arguments;
    with_fragment.insert(with_fragment.begin(), (site_ / "plain.html").string());
    const CliRun again = RunCli(with_fragment, Log("again"));
    EXPECT_EQ(again.exit_code, 0) << again.output;
    const fs::path result = out / "index.html" / "fr" / "index.html";
    const std::string good = ReadBytes(result);
    EXPECT_THAT(good, HasSubstr("[fr] A page to translate."));

    // A later run that the widget does not translate leaves that good result as it was.
    standin_->SetMode(WidgetStandinServer::kUntranslating);
    std::vector<std::string> forced = arguments;
    forced.push_back("--force");
    const CliRun failing = RunCli(forced, Log("failing"));
    EXPECT_EQ(failing.exit_code, 1) << failing.output;
    EXPECT_EQ(ReadBytes(result), good);
    EXPECT_THAT(failing.output, HasSubstr("did not answer the language picks"));
    fs::remove(WaitForTemporaryPageOf("index", std::chrono::seconds(0)));
    ExpectNoTemporaryPages();
}

// One page-language at both timings, against a slow widget: its menu 1.5 s late, its first
// click ignored, its text in three batches a second apart, its frames a second late. Both
// timings store every text translated (no capture between two batches), byte for byte the
// same.
class CommandLineTimingTest : public CommandLineRunTest {};

TEST_F(CommandLineTimingTest, FastAndFullTimingsStoreTheSameBytesFromASlowWidget) {
    std::string paragraphs;
    for (int i = 1; i <= 8; ++i) {
        paragraphs += "<p>Paragraph " + std::to_string(i) + ".</p>\r\n";
    }
    WriteBytes(site_ / "docs" / "guide.html",
               "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<title>Guide</title>\r\n<link "
               "rel=\"stylesheet\" href=\"guide_files/style.css\">\r\n</head>\r\n<body>\r\n"
               "<h1>Guide</h1>\r\n" +
                   paragraphs + "</body>\r\n</html>\r\n");
    WidgetPace pace = WidgetStandinServer::kSlowPace;
    pace.ignored_clicks = 1;
    standin_->SetMode(WidgetStandinServer::kFirstGeneration, pace);
    std::map<std::string, std::string> trees[2];
    const char* timings[] = {"fast", "full"};
    for (int at = 0; at < 2; ++at) {
        SCOPED_TRACE(timings[at]);
        const fs::path out = folder_.Root() / timings[at];
        std::vector<std::string> arguments = Arguments(out, {"--timing", timings[at]});
        arguments[0] = (site_ / "docs" / "guide.html").string();
        arguments[2] = "de";
        const CliRun run = RunCli(arguments, Log(timings[at]), std::chrono::seconds(400));
        EXPECT_EQ(run.exit_code, 0) << run.output;
        trees[at] = TreeOf(out);
        const std::string page = trees[at]["guide.html/de/guide.html"];
        for (int i = 1; i <= 8; ++i) {
            EXPECT_THAT(page, HasSubstr("[de] Paragraph " + std::to_string(i) + "."));
        }
    }
    EXPECT_THAT(KeysOf(trees[0]),
                ElementsAre("guide.html/de/guide.html", "guide.html/de/guide_files/style.css"));
    EXPECT_EQ(trees[0], trees[1]);
}

// Usage errors end the run before anything starts, with exit code 2.
TEST(CommandLineUsageTest, BadUsageEndsWithExitCodeTwoBeforeAnythingStarts) {
    TestFolder folder;
    WriteBytes(folder.Root() / "page.html", Page("Hello"));
    WriteBytes(folder.Root() / "blocked", "a file where the output folder would go");
    const std::string page = (folder.Root() / "page.html").string();
    const std::string out = (folder.Root() / "result").string();
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {"unknown code", {page, "--lang", "fr,xx", "--out", out}, "xx"},
        {"missing file",
         {(folder.Root() / "missing.html").string(), "--lang", "fr", "--out", out},
         "missing.html"},
        {"output folder that cannot be made",
         {page, "--lang", "fr", "--out", (folder.Root() / "blocked" / "out").string()},
         "blocked"},
        {"unknown option", {page, "--lang", "fr", "--out", out, "--fast"}, "--fast"},
        {"shard out of range", {page, "--lang", "fr", "--out", out, "--shard", "4/3"}, "4/3"},
        {"report onto the page",
         {page, "--lang", "fr", "--out", out, "--report", page},
         "would overwrite"},
        {"report in a folder that takes no file",
         {page, "--lang", "fr", "--out", out, "--report", "/proc/run.json"},
         "cannot write in the report's folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = RunCli(c.arguments, folder.Root() / "usage.log");
        EXPECT_EQ(run.exit_code, 2) << run.output;
        EXPECT_THAT(run.output, HasSubstr(c.message));
        EXPECT_FALSE(fs::exists(folder.Root() / "result"));
    }
    EXPECT_THAT(NamesIn(folder.Root()), ElementsAre("blocked", "page.html", "usage.log"));
    EXPECT_EQ(ReadBytes(folder.Root() / "page.html"), Page("Hello"));

    const CliRun help = RunCli({"--help"}, folder.Root() / "help.log");
    EXPECT_EQ(help.exit_code, 0);
    for (const char* option : {"--lang", "--out", "--timing", "--parallel", "--force", "--shard",
                               "--report", "--settle", "--progress", "--engine-switch"}) {
        EXPECT_THAT(help.output, HasSubstr(option));
    }
}

}  // namespace
}  // namespace quillmoor::test_support
