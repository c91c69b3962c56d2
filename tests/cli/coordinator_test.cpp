// The coordinator's scheduling with scripted workers (tests/cli/scripted_worker.cpp) in place
// of the translating ones: workers that die, fall silent, answer nonsense or cannot start,
// and Ctrl-C in each state of a worker. Every run must account for each of its page-languages
// exactly once, in its report and in its exit code.
#include "cli/coordinator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/worker_launcher.h"
#include "cli/worker_process.h"
#include "pipeline/language_catalogue.h"
#include "tests/support/test_folder.h"

namespace quillmoor::cli {
namespace {

using Json = nlohmann::json;
using test_support::TestFolder;
using test_support::WriteBytes;
using ::testing::AnyOf;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

// A script that makes the launch itself fail, as when no process can be made.
constexpr char kNoLaunch[] = "no-launch";

// Starts the scripted worker: the first launch takes the first script, the second the
// second, and so on; the last script serves every launch after it.
class ScriptedWorkers final : public WorkerLauncher {
  public:
    // The workers run in folder, where their scripts may leave files for each other.
    ScriptedWorkers(std::vector<std::string> scripts, std::string folder)
        : scripts_(std::move(scripts)), folder_(std::move(folder)) {}

    std::unique_ptr<WorkerProcess> Launch() override {
        const std::string& script = scripts_[std::min(launches_, scripts_.size() - 1)];
        ++launches_;
        if (script == kNoLaunch) {
            throw std::runtime_error("cannot start a worker: scripted");
        }
        return WorkerProcess::Start(QUILLMOOR_SCRIPTED_WORKER_FILE,
                                    {script, std::to_string(::getpid())}, folder_,
                                    WorkerErrors::kShown);
    }
    int Launches() const { return static_cast<int>(launches_); }

  private:
    std::vector<std::string> scripts_;
    std::string folder_;
    std::size_t launches_ = 0;
};

struct ScriptedRun {
    int exit_code = -1;
    int launches = 0;
    // Per page-language in plan order: its outcome in the report, or "not run" when the
    // report has no entry for it; and the message of a failure.
    std::vector<std::string> outcomes;
    std::vector<std::string> messages;
};

std::string PageName(int page) {
    return "p" + std::to_string(page) + ".html";
}

// A folder of up to ten pages p0.html, p1.html... into French: page-language n is page n.
class CoordinatorTest : public ::testing::Test {
  protected:
    ScriptedRun Run(int pages, int parallel, std::vector<std::string> scripts) {
        const fs::path site = folder_.Root() / "site";
        fs::remove_all(site);
        fs::create_directories(site);
        for (int page = 0; page < pages; ++page) {
            WriteBytes(site / PageName(page), "<html><head></head><body>page</body></html>");
        }
        const fs::path report = folder_.Root() / "report.json";
        fs::remove(report);
        CliOptions options;
        options.inputs = {site.string()};
        options.languages = {LanguageIndexOf(u"fr")};
        options.out = (folder_.Root() / "out").string();
        options.report = report.string();
        options.parallel = parallel;
        options.progress = ProgressStyle::kLines;

        const fs::path marks = folder_.Root() / "marks";
        fs::remove_all(marks);
        fs::create_directories(marks);
        ScriptedWorkers workers(std::move(scripts), marks.string());
        ScriptedRun run;
        run.exit_code = RunCoordinator(options, workers);
        run.launches = workers.Launches();
        const Json json = Json::parse(test_support::ReadBytes(report));
        ExpectEachPageLanguageOnce(json, pages, run.exit_code);
        run.outcomes.assign(pages, "not run");
        run.messages.assign(pages, "");
        for (const Json& entry : json.at("pages")) {
            const std::string name =
                fs::path(entry.at("source").get<std::string>()).filename().string();
            for (int page = 0; page < pages; ++page) {
                if (name == PageName(page)) {
                    run.outcomes[page] = entry.at("outcome").get<std::string>();
                    run.messages[page] = entry.value("message", "");
                }
            }
        }
        return run;
    }

  private:
    static std::size_t LanguageIndexOf(std::u16string_view code) {
        const auto& codes = LanguageCodes();
        return static_cast<std::size_t>(std::find(codes.begin(), codes.end(), code) -
                                        codes.begin());
    }

    // No page-language twice in the report, none that was not planned, and the counts and
    // exit code agree with the entries.
    static void ExpectEachPageLanguageOnce(const Json& report, int pages, int exit_code) {
        std::map<std::string, int> seen;
        for (const Json& entry : report.at("pages")) {
            EXPECT_EQ(entry.at("language"), "fr");
            ++seen[fs::path(entry.at("source").get<std::string>()).filename().string()];
        }
        for (const auto& [name, times] : seen) {
            EXPECT_EQ(times, 1) << name << " is in the report more than once";
            EXPECT_THAT(name, ::testing::MatchesRegex("p[0-9]+\\.html"));
        }
        int counted = 0;
        for (const auto& [key, count] : report.at("summary").items()) {
            counted += count.get<int>();
        }
        EXPECT_EQ(counted, pages) << report.at("summary");
        EXPECT_EQ(report.at("summary").at("not_run").get<int>() + static_cast<int>(seen.size()),
                  pages);
        EXPECT_EQ(report.at("exit_code"), exit_code);
    }

  protected:
    TestFolder folder_;
};

TEST_F(CoordinatorTest, WorkersShareThePageLanguagesAndEachIsDoneOnce) {
    const ScriptedRun three = Run(7, 3, {"ready,serve"});
    EXPECT_EQ(three.exit_code, 0);
    EXPECT_EQ(three.launches, 3);
    EXPECT_THAT(three.outcomes, Each("stored"));

    // No more workers than page-languages.
    const ScriptedRun few = Run(2, 4, {"ready,serve"});
    EXPECT_EQ(few.exit_code, 0);
    EXPECT_EQ(few.launches, 2);
    EXPECT_THAT(few.outcomes, ElementsAre("stored", "stored"));
}

// A worker that ends before its time is replaced; the page-language it held fails with the
// way it ended, and nothing else is lost.
TEST_F(CoordinatorTest, AWorkerThatEndsEarlyIsReplaced) {
    struct Case {
        const char* first_worker;
        std::vector<std::string> outcomes;
        const char* message;  // of the first page-language's failure
    };
    const Case cases[] = {
        {"ready,take,die", {"failed", "stored", "stored"}, "signal 9"},
        {"ready,take,exit=3", {"failed", "stored", "stored"}, "exit code 3"},
        // An answer the coordinator cannot read counts for nothing: the task is still in hand.
        {"ready,take,say=result\t%n\tmelted\tnone\t5\t,exit=0",
         {"failed", "stored", "stored"},
         "exit code 0"},
        {"ready,answer=stored,take,die", {"stored", "failed", "stored"}, ""},
        {"die", {"stored", "stored", "stored"}, ""},
        // It is handed a task as soon as it says it is ready.
        {"ready,exit=0", {"failed", "stored", "stored"}, "exit code 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first_worker);
        const ScriptedRun run = Run(3, 1, {c.first_worker, "ready,serve"});
        EXPECT_EQ(run.launches, 2);
        EXPECT_EQ(run.outcomes, c.outcomes);
        const bool all_stored =
            std::all_of(c.outcomes.begin(), c.outcomes.end(),
                        [](const std::string& outcome) { return outcome == "stored"; });
        EXPECT_EQ(run.exit_code, all_stored ? 0 : 1);
        EXPECT_THAT(run.messages[0], HasSubstr(c.message));
    }
}

// Each worker of the run is replaced twice at most: a page that kills every worker that
// takes it cannot use them all up one by one.
TEST_F(CoordinatorTest, ReplacementsEndAfterTwoPerWorker) {
    const ScriptedRun run = Run(5, 1, {"ready,take,die"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.launches, 3);
    EXPECT_THAT(run.outcomes, ElementsAre("failed", "failed", "failed", "not run", "not run"));
    EXPECT_THAT(run.messages[2], HasSubstr("signal 9"));
}

TEST_F(CoordinatorTest, WorkersWhoseEngineCannotStartAreNotReplaced) {
    const ScriptedRun run = Run(3, 2, {"start-failure,exit=1"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.launches, 2);
    EXPECT_THAT(run.outcomes, Each("not run"));
}

TEST_F(CoordinatorTest, AWorkerThatCannotBeLaunchedEndsNothingElse) {
    // At the start: the run stops the workers already there and leaves everything undone.
    const ScriptedRun at_start = Run(3, 2, {"ready,serve", kNoLaunch});
    EXPECT_EQ(at_start.exit_code, 1);
    EXPECT_EQ(at_start.launches, 2);
    EXPECT_THAT(at_start.outcomes, Each("not run"));

    // In place of a worker that died: the place stays empty, the other worker goes on.
    const ScriptedRun replacing =
        Run(4, 2, {"ready,take,mark=a-took,die", "ready,await=a-took,serve", kNoLaunch});
    EXPECT_EQ(replacing.exit_code, 1);
    EXPECT_EQ(std::count(replacing.outcomes.begin(), replacing.outcomes.end(), "failed"), 1);
    EXPECT_EQ(std::count(replacing.outcomes.begin(), replacing.outcomes.end(), "stored"), 3);

    // The only worker: what it did not do is left for the next run.
    const ScriptedRun alone = Run(3, 1, {"ready,take,die", kNoLaunch});
    EXPECT_EQ(alone.exit_code, 1);
    EXPECT_EQ(alone.launches, 2);
    EXPECT_THAT(alone.outcomes, ElementsAre("failed", "not run", "not run"));
}

// Lines that are no answer to the task in hand change nothing: the task stays in hand until
// its real answer, which counts once.
TEST_F(CoordinatorTest, LinesThatAnswerNothingAreIgnored) {
    const char* const noise[] = {
        "nonsense",
        "",
        "ready",
        "result\t999\tstored\tnone\t5\t",    // another task's number
        "result\t%n\tmelted\tnone\t5\t",     // an unknown outcome
        "result\t%n\tstored\tnone\t5",       // a field missing
        "result\t%n\tstored\tnone\tsoon\t",  // a time that is no number
        "task\t%n\t/a/\tx.html\t/o/\t0",     // a task sent back
    };
    for (const char* line : noise) {
        SCOPED_TRACE(line);
        const ScriptedRun run =
            Run(2, 1, {std::string("ready,take,say=") + line + ",answer=not-translated,serve"});
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.launches, 1);
        EXPECT_THAT(run.outcomes, ElementsAre("not translated", "stored"));
    }

    // The same answer twice: once while the next task is in hand, once after the last.
    const ScriptedRun twice = Run(2, 1, {"ready,answer=failed,again,answer=stored,again,wait"});
    EXPECT_EQ(twice.exit_code, 1);
    EXPECT_THAT(twice.outcomes, ElementsAre("failed", "stored"));
}

// A worker that falls silent at a task is waited for: the coordinator sets it no time limit.
// Ctrl-C still ends the run, and the task it held is left for the next one.
TEST_F(CoordinatorTest, CtrlCEndsARunWhoseWorkerFellSilent) {
    const ScriptedRun run = Run(2, 1, {"ready,take,sleep=700,interrupt,wait"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.launches, 1);
    EXPECT_THAT(run.outcomes, ElementsAre("not run", "not run"));
}

// Ctrl-C (or termination) in each state of a worker: no task after it, no replacement, and
// what was under way is cancelled or left for the next run, never lost or counted twice.
TEST_F(CoordinatorTest, AStopInEachStateOfAWorkerEndsTheRunInGoodOrder) {
    struct Case {
        const char* state;
        std::vector<std::string> scripts;
        int pages;
        ::testing::Matcher<std::vector<std::string>> outcomes;
        int exit_code;
    };
    const Case cases[] = {
        {"starting", {"interrupt,wait"}, 2, ElementsAre("not run", "not run"), 1},
        {"starting, beside another", {"interrupt,wait", "wait"}, 3, Each("not run"), 1},
        // The coordinator hands a task to a worker as soon as it is ready: the stop finds
        // the first task either handed over, and then cancelled, or not yet.
        {"ready",
         {"ready,interrupt,cancel"},
         2,
         ElementsAre(AnyOf("cancelled", "not run"), "not run"),
         1},
        {"busy", {"ready,take,interrupt,cancel"}, 2, ElementsAre("cancelled", "not run"), 1},
        {"busy, terminated",
         {"ready,take,terminate,cancel"},
         2,
         ElementsAre("cancelled", "not run"),
         1},
        {"busy, hung up", {"ready,take,hangup,cancel"}, 2, ElementsAre("cancelled", "not run"), 1},
        // A second Ctrl-C no longer ends the coordinator at once (here: the test itself).
        {"busy, Ctrl-C twice",
         {"ready,take,interrupt,sleep=200,interrupt,cancel"},
         2,
         ElementsAre("cancelled", "not run"),
         1},
        {"starting, hung up", {"hangup,wait"}, 2, Each("not run"), 1},
        {"busy, ending without an answer",
         {"ready,take,interrupt,wait"},
         2,
         ElementsAre("not run", "not run"),
         1},
        {"busy, dying once told to stop",
         {"ready,take,interrupt,wait,die"},
         2,
         ElementsAre("not run", "not run"),
         1},
        {"busy, answering after all",
         {"ready,take,interrupt,wait,answer=stored"},
         2,
         ElementsAre("stored", "not run"),
         1},
        // Its input closed, its last task done: nothing is left, so the run succeeded.
        {"finishing", {"ready,answer=stored,wait,interrupt"}, 1, ElementsAre("stored"), 0},
        {"finishing, beside a busy one",
         {"ready,take,await=b-took,answer=stored,wait,interrupt", "ready,take,mark=b-took,cancel"},
         2,
         AnyOf(ElementsAre("stored", "cancelled"), ElementsAre("cancelled", "stored")),
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        const ScriptedRun run = Run(c.pages, static_cast<int>(c.scripts.size()), c.scripts);
        EXPECT_EQ(run.exit_code, c.exit_code);
        EXPECT_EQ(run.launches, static_cast<int>(c.scripts.size()));
        EXPECT_THAT(run.outcomes, c.outcomes);
    }
}

// A worker that does not end when told to stop: the first Ctrl-C waits for it (it may be
// storing its page-language), a quick stop kills it after a short grace. The report is
// written either way, the page-language it held left for the next run.
TEST_F(CoordinatorTest, AQuickStopKillsWorkersThatDoNotEnd) {
    const char* const scripts[] = {
        "ready,take,interrupt,sleep=200,interrupt,sleep=60000",
        "ready,take,terminate,sleep=60000",
        "ready,take,hangup,sleep=60000",
        // Told to stop while it was still starting.
        "terminate,sleep=60000",
    };
    for (const char* script : scripts) {
        SCOPED_TRACE(script);
        const auto started = std::chrono::steady_clock::now();
        const ScriptedRun run = Run(2, 1, {script});
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.launches, 1);
        EXPECT_THAT(run.outcomes, ElementsAre("not run", "not run"));
    }
}

}  // namespace
}  // namespace quillmoor::cli

namespace quillmoor::cli {
namespace {

// Folders passed over are named in the report; one that cannot be read leaves the run
// incomplete (exit code 1) though every page planned was stored. Run as a user without
// privileges, for whom the permissions hold even when the tests run as root.
TEST_F(CoordinatorTest, AFolderThatCannotBeReadFailsTheRunAndEveryPassedOverOneIsReported) {
    const fs::path work = folder_.Root() / "work";
    const fs::path site = work / "site";
    for (const char* page : {"p0.html", "locked/p1.html", "old/p2.html"}) {
        fs::create_directories((site / page).parent_path());
        WriteBytes(site / page, "<html><head></head><body>page</body></html>");
    }
    WriteBytes(site / "old" / ".quillmoor-output", "");
    fs::create_directories(work / "marks");
    for (const auto& entry : fs::recursive_directory_iterator(work)) {
        fs::permissions(entry.path(), fs::perms::all);
    }
    fs::permissions(work, fs::perms::all);
    fs::permissions(site / "locked", fs::perms::none);
    const fs::path report = work / "report.json";
    const test_support::ChildOutcome outcome =
        test_support::RunWithoutPrivileges([&](std::string&) {
            CliOptions options;
            options.inputs = {site.string()};
            options.languages = {static_cast<std::size_t>(
                std::find(LanguageCodes().begin(), LanguageCodes().end(), u"fr") -
                LanguageCodes().begin())};
            options.out = (work / "out").string();
            options.report = report.string();
            options.progress = ProgressStyle::kLines;
            ScriptedWorkers workers({"ready,serve"}, (work / "marks").string());
            return RunCoordinator(options, workers);
        });
    fs::permissions(site / "locked", fs::perms::owner_all);
    EXPECT_EQ(outcome.exit_code, 1);
    const Json json = Json::parse(test_support::ReadBytes(report));
    EXPECT_EQ(json.at("exit_code"), 1);
    ASSERT_EQ(json.at("pages").size(), 1u);
    EXPECT_EQ(json.at("pages")[0].at("outcome"), "stored");
    std::vector<std::string> passed_over;
    for (const Json& entry : json.at("passed_over")) {
        passed_over.push_back(fs::path(entry.at("folder").get<std::string>()).filename().string() +
                              ": " + entry.at("reason").get<std::string>());
    }
    EXPECT_THAT(passed_over,
                ::testing::UnorderedElementsAre("old: holds an earlier run's results",
                                                ::testing::StartsWith("locked: cannot be read: ")));
}

}  // namespace
}  // namespace quillmoor::cli
