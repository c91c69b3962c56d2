#include "pipeline/page_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "pipeline/language_catalogue.h"
#include "pipeline/widget_snippet.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "tests/pagerun/page_run_simulation.h"
#include "tests/support/example.h"
#include "tests/support/matchers.h"
#include "tests/support/test_folder.h"
#include "tests/support/wrong_thread_reports.h"

// Beside the helpers of the simulated runs.
namespace quillmoor::test_support {
namespace {

std::size_t IndexOf(std::u16string_view code) {
    const auto& codes = LanguageCodes();
    return static_cast<std::size_t>(std::find(codes.begin(), codes.end(), code) - codes.begin());
}

const std::size_t kFrench = IndexOf(u"fr");

// The sleeps of the scroll schedule: 4 pauses of 500 ms, 2 of 1 ms, one of 10 ms and three
// settlings of 9 x 500 ms.
constexpr Ms kScheduleSleeps{4 * 500 + 2 * 1 + 10 + 3 * 9 * 500};
constexpr Ms kQuiet{28'000};
constexpr Ms kSignalLimit{120'000};

const std::string kPage = "<html><head><title>t</title></head><body><p>hello</p></body></html>";

// A page run with a clock, signals, flags and browser of its own: one for each case of a
// table.
struct OwnRun {
    OwnRun(RunProgressView& view, const AnsiCodePage& code_page)
        : browser(simulation, signals),
          run(browser, simulation, simulation, view, signals, flags, code_page) {}

    Simulation simulation;
    JobSignals signals;
    JobFlags flags;
    ScriptedBrowser browser;
    PageRun run;
};

class PageRunTest : public ::testing::Test {
  protected:
    PageRunTest() { fs::create_directories(At(u"site")); }

    fs::path At(std::u16string_view name) const { return fs::path(folder_.Path(name)); }
    // The source page site/index.html with bytes as its content.
    SourceNames Source(const std::string& bytes = kPage) {
        WriteBytes(At(u"site/index.html"), bytes);
        return SourceNames(folder_.Path(u"site") + SeparatorOf(kNativePathStyle), u"index.html");
    }
    std::u16string Root() const { return folder_.Path(u"program/result"); }
    fs::path ResultFile(std::u16string_view code = u"fr") const {
        return fs::path(Root()) / "index.html" / fs::path(std::u16string(code)) / "index.html";
    }
    fs::path TempPage() const { return At(u"site") / "index-temp.html"; }

    PageRunResult Run(const SourceNames& names, std::size_t language = kFrench) {
        return run_.TranslatePage(language, names, Root(), progress_);
    }
    // The moment of the first command of that name.
    Timestamp When(const std::string& command) const { return browser_.First(command).at; }
    std::vector<std::string> CommandNames() const {
        std::vector<std::string> names;
        for (const auto& command : browser_.Commands()) {
            names.push_back(command.name);
        }
        return names;
    }
    // Load ends at every multiple of gap after the command, up to (excluding) until.
    static std::vector<Ms> Every(Ms first, Ms gap, Ms until) {
        std::vector<Ms> delays;
        for (Ms at = first; at < until; at += gap) {
            delays.push_back(at);
        }
        return delays;
    }

    TestFolder folder_;
    const AnsiCodePage western_ = AnsiCodePage::ForCodePage(1252);
    Simulation simulation_;
    JobSignals signals_;
    JobFlags flags_;
    ScriptedBrowser browser_{simulation_, signals_};
    RecordingView view_;
    PageRun run_{browser_, simulation_, simulation_, view_, signals_, flags_, western_};
    LanguageProgress progress_{0, 2};
};

TEST_F(PageRunTest, StoresTheCleanedMarkupAndRemovesTheTemporaryPage) {
    const SourceNames names = Source();
    const std::u16string markup = u"<html lang=\"fr\" class=\"translated-ltr\"><head>" +
                                  WidgetSnippet(u"fr") +
                                  u"<title>t</title></head><body><p>bonjour</p></body></html>";
    browser_.delivery = std::make_pair(Ms(200), markup);

    const PageRunResult result = Run(names);

    EXPECT_EQ(result.outcome, PageOutcome::kStored);
    EXPECT_EQ(result.browser, BrowserState::kKept);
    EXPECT_THAT(CommandNames(),
                ElementsAre("navigate", "pick", "bottom", "middle", "top", "retrieve"));
    EXPECT_THAT(browser_.Paths(), ElementsAre(names.TempPagePath()));
    const std::string stored = ReadBytes(ResultFile());
    EXPECT_THAT(stored, HasSubstr("<p>bonjour</p>"));
    EXPECT_THAT(stored, HasSubstr("<div id=\"google_translate_element\""));
    EXPECT_THAT(stored, Not(HasSubstr("googleTranslateElementInit")));
    // The cleaned markup stays captured.
    EXPECT_EQ(Utf16ToUtf8(signals_.CapturedHtml()) + "\r\n", stored);
    EXPECT_FALSE(fs::exists(TempPage()));
    EXPECT_EQ(progress_.counter, 1);
    EXPECT_THAT(view_.progress_lines, ElementsAre(u"1/2 Language(s) Translating ... "));
    EXPECT_EQ(view_.buffers_emptied, 1);

    // The page loads 1.5 s after Go: 28 quiet seconds later the language is picked. Its third
    // load end comes 1.3 s later, then 28 quiet seconds and the schedule.
    EXPECT_EQ(When("navigate"), Simulation::kStart + Ms(10));
    EXPECT_EQ(When("pick") - When("navigate"), Ms(1500) + kQuiet);
    EXPECT_EQ(When("retrieve") - When("pick"), Ms(1300) + kQuiet + kScheduleSleeps);
}

TEST_F(PageRunTest, AFileOfTheUserAtTheTemporaryNameIsLeftAlone) {
    // The page goes to the next free name, which is loaded and removed; the user's file stays.
    const SourceNames names = Source();
    WriteBytes(TempPage(), "the user's own file");

    EXPECT_EQ(Run(names).outcome, PageOutcome::kStored);

    const fs::path numbered = At(u"site") / "index-temp-2.html";
    EXPECT_THAT(browser_.Paths(), ElementsAre(numbered.u16string()));
    EXPECT_FALSE(fs::exists(numbered));
    EXPECT_EQ(ReadBytes(TempPage()), "the user's own file");
}

TEST_F(PageRunTest, EveryExchangeResetsThenCommandsThenStampsThenWaits) {
    const SourceNames names = Source();
    // Every signal set and both stamps on an old moment, as an earlier page leaves them.
    const Timestamp old_moment = Simulation::kStart - Ms(500'000);
    for (int i = 0; i < 3; ++i) {
        signals_.OnLoadEnd(old_moment);
    }
    signals_.OnMarkupDelivered(u"earlier", old_moment);

    ASSERT_EQ(Run(names).outcome, PageOutcome::kStored);

    const auto& navigate = browser_.First("navigate");
    EXPECT_FALSE(navigate.signals.page_loaded);
    EXPECT_EQ(navigate.signals.last_load_time, old_moment);
    EXPECT_EQ(navigate.at_first_sleep->last_load_time, navigate.at);

    const auto& pick = browser_.First("pick");
    EXPECT_FALSE(pick.signals.page_loaded);
    EXPECT_FALSE(pick.signals.load_stage1);
    EXPECT_FALSE(pick.signals.load_stage2);
    EXPECT_FALSE(pick.signals.load_stage3);
    EXPECT_LT(pick.signals.last_load_time, pick.at);
    EXPECT_EQ(pick.at_first_sleep->last_load_time, pick.at);

    const auto& retrieve = browser_.First("retrieve");
    EXPECT_FALSE(retrieve.signals.html_ready);
    EXPECT_EQ(retrieve.signals.html_ready_time, old_moment);
    EXPECT_EQ(retrieve.at_first_sleep->html_ready_time, retrieve.at);
}

TEST_F(PageRunTest, PageThatNeverReportsALoadEndWaitsTheLimitThenTheQuietPeriod) {
    const SourceNames names = Source();
    browser_.load_ends_after_navigate = {};
    browser_.load_ends_after_pick = {};

    EXPECT_EQ(Run(names).outcome, PageOutcome::kStored);

    EXPECT_EQ(When("pick") - When("navigate"), kSignalLimit + kQuiet);
    EXPECT_EQ(When("retrieve") - When("pick"), kSignalLimit + kQuiet + kScheduleSleeps);
}

TEST_F(PageRunTest, EachLoadEndMovesTheLimitOfTheWaitForTheThirdOne) {
    const SourceNames names = Source();
    // Two load ends after the pick, 100 s apart: the limit counts from the later one.
    browser_.load_ends_after_pick = {Ms(1000), Ms(101'000)};

    EXPECT_EQ(Run(names).outcome, PageOutcome::kStored);

    EXPECT_EQ(When("retrieve") - When("pick"),
              Ms(101'000) + kSignalLimit + kQuiet + kScheduleSleeps);
}

TEST_F(PageRunTest, LoadEndsLessThan28SecondsApartKeepTheQuietWaitGoing) {
    const Example<Ms, bool> cases[] = {
        {"every 27 s", Ms(27'000), true},
        {"every 27.99 s (whole seconds: 27)", Ms(27'990), true},
        {"every 28.5 s", Ms(28'500), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnRun own(view_, western_);
        const Timestamp navigate_at = Simulation::kStart + Ms(10);
        const Timestamp cancel_at = navigate_at + Ms(900'000);
        own.browser.load_ends_after_navigate = Every(Ms(1500), c.input, Ms(2'000'000));
        own.simulation.UserAt(cancel_at, [&] { own.flags.RequestCancel(); });

        const PageOutcome outcome =
            own.run.TranslatePage(kFrench, Source(), Root(), progress_).outcome;

        if (c.expected) {
            EXPECT_EQ(outcome, PageOutcome::kCancelled);
            ASSERT_EQ(own.browser.Commands().size(), 1u);
            // Cancelled at the first poll at or after the press.
            EXPECT_GE(own.simulation.Now(), cancel_at);
            EXPECT_LE(own.simulation.Now(), cancel_at + Ms(10));
            EXPECT_TRUE(fs::exists(TempPage()));
            EXPECT_FALSE(fs::exists(ResultFile()));
        } else {
            EXPECT_EQ(outcome, PageOutcome::kStored);
            EXPECT_EQ(own.browser.First("pick").at, navigate_at + Ms(1500) + kQuiet);
        }
    }
}

TEST_F(PageRunTest, APauseLongerThanTheLimitEndsTheWaitAtTheNextPoll) {
    const struct {
        const char* name;
        std::vector<Ms> load_ends;  // after Go
        Ms pause_at;                // after Go
        Ms resume_at;
        Ms pick_at;  // after Go
    } cases[] = {
        // The load wait ends at the first poll after Continue, the quiet wait 28 s later.
        {"signal wait, 195 s pause", {}, Ms(5000), Ms(200'000), Ms(200'010) + kQuiet},
        // The quiet wait, 60 s pause: ends at the first poll after Continue.
        {"quiet wait, 60 s pause", {Ms(1500)}, Ms(5000), Ms(65'000), Ms(65'010)},
        // A load end 15 s before Continue: the quiet wait runs 28 s from it.
        {"quiet wait, load end while paused",
         {Ms(1500), Ms(50'000)},
         Ms(5000),
         Ms(65'000),
         Ms(50'000) + kQuiet},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnRun own(view_, western_);
        const Timestamp navigate_at = Simulation::kStart + Ms(10);
        own.browser.load_ends_after_navigate = c.load_ends;
        own.simulation.UserAt(navigate_at + c.pause_at, [&] { own.flags.RequestPause(); });
        own.simulation.UserAt(navigate_at + c.resume_at, [&] { own.flags.Resume(); });

        EXPECT_EQ(own.run.TranslatePage(kFrench, Source(), Root(), progress_).outcome,
                  PageOutcome::kStored);
        EXPECT_EQ(own.browser.First("pick").at - navigate_at, c.pick_at);
    }
}

TEST_F(PageRunTest, ASignalAlreadySetEndsItsWaitWithoutAPoll) {
    // Pause and cancel are not looked at either.
    flags_.RequestCancel();
    flags_.RequestPause();
    signals_.OnLoadEnd(Simulation::kStart);
    signals_.OnLoadEnd(Simulation::kStart);
    signals_.OnLoadEnd(Simulation::kStart);
    signals_.OnMarkupDelivered(u"m", Simulation::kStart);
    for (const auto& [signal, stamp] :
         {std::pair{JobSignals::Signal::kPageLoaded, JobSignals::Stamp::kLastLoadTime},
          std::pair{JobSignals::Signal::kLoadStage3, JobSignals::Stamp::kLastLoadTime},
          std::pair{JobSignals::Signal::kHtmlReady, JobSignals::Stamp::kHtmlReadyTime}}) {
        EXPECT_EQ(run_.WaitForSignal(signal, stamp), WaitEnd::kSignalled);
    }
    EXPECT_THAT(simulation_.Trace(), IsEmpty());
}

TEST_F(PageRunTest, PauseOrCancelDuringTheScrollScheduleTakesEffectInTheMarkupWait) {
    // Cancel pressed during the first settling: the schedule runs to its end, the markup is
    // asked for, and the first poll of its wait stops the run.
    const SourceNames names = Source();
    signals_.SetCapturedHtml(u"earlier page");
    const Timestamp pick_at = Simulation::kStart + Ms(10) + Ms(1500) + kQuiet;
    const Timestamp schedule_at = pick_at + Ms(1300) + kQuiet;
    simulation_.UserAt(schedule_at + Ms(2000), [&] { flags_.RequestCancel(); });

    EXPECT_EQ(Run(names).outcome, PageOutcome::kCancelled);

    EXPECT_EQ(When("retrieve"), schedule_at + kScheduleSleeps);
    const auto& trace = simulation_.Trace();
    const auto retrieve = std::find(trace.begin(), trace.end(), "retrieve");
    EXPECT_THAT(std::vector<std::string>(retrieve, trace.end()),
                ElementsAre("retrieve", "pump", "sleep 10"));
    EXPECT_TRUE(fs::exists(TempPage()));
    EXPECT_FALSE(fs::exists(ResultFile()));
    EXPECT_EQ(signals_.CapturedHtml(), u"earlier page");
}

TEST_F(PageRunTest, APauseDuringTheScrollScheduleHoldsTheMarkupWait) {
    // Paused during the schedule for 300 s: the markup is asked for on time, arrives while
    // paused, and the run stores it once Continue is pressed, though its limit has passed.
    const SourceNames names = Source();
    const Timestamp pick_at = Simulation::kStart + Ms(10) + Ms(1500) + kQuiet;
    const Timestamp schedule_at = pick_at + Ms(1300) + kQuiet;
    const Timestamp resume_at = schedule_at + kScheduleSleeps + Ms(286'000);
    simulation_.UserAt(schedule_at + Ms(2000), [&] { flags_.RequestPause(); });
    simulation_.UserAt(resume_at, [&] { flags_.Resume(); });

    EXPECT_EQ(Run(names).outcome, PageOutcome::kStored);

    EXPECT_EQ(When("retrieve"), schedule_at + kScheduleSleeps);
    EXPECT_EQ(simulation_.Now(), resume_at + Ms(10));
    EXPECT_THAT(ReadBytes(ResultFile()), HasSubstr("translated"));
}

TEST_F(PageRunTest, TheScrollScheduleRunsExactlyAsTabled) {
    ASSERT_EQ(Run(Source()).outcome, PageOutcome::kStored);

    std::vector<std::string> settle;
    for (int pass = 0; pass < 9; ++pass) {
        settle.insert(settle.end(), {"pump", "sleep 500", "pump"});
    }
    std::vector<std::string> expected;
    const auto add = [&](std::initializer_list<std::string> entries) {
        expected.insert(expected.end(), entries);
    };
    // Each scroll command pumps before and after itself, as the window's buttons do.
    add({"sleep 500", "pump", "pump", "bottom", "pump", "pump", "sleep 500", "pump"});
    expected.insert(expected.end(), settle.begin(), settle.end());
    add({"sleep 1", "pump", "pump", "middle", "pump", "pump", "sleep 1", "pump"});
    expected.insert(expected.end(), settle.begin(), settle.end());
    add({"sleep 500", "pump", "pump", "top", "pump", "pump", "sleep 500", "pump", "pump",
         "sleep 10"});
    expected.insert(expected.end(), settle.begin(), settle.end());
    add({"retrieve"});

    const auto& trace = simulation_.Trace();
    const auto bottom = std::find(trace.begin(), trace.end(), "bottom");
    ASSERT_GE(bottom - trace.begin(), 4);
    const auto start = bottom - 3;
    // The quiet wait ends with a poll step's sleep, just before.
    EXPECT_EQ(*(start - 1), "sleep 10");
    const auto retrieve = std::find(bottom, trace.end(), "retrieve");
    EXPECT_EQ(std::vector<std::string>(start, retrieve + 1), expected);
}

TEST_F(PageRunTest, ASkippedPageNeverTouchesTheBrowser) {
    const SourceNames names = Source("<p>a page without head or body</p>");

    EXPECT_EQ(Run(names).outcome, PageOutcome::kSkipped);

    EXPECT_THAT(browser_.Commands(), IsEmpty());
    EXPECT_THAT(simulation_.Trace(), ElementsAre("sleep 10"));
    EXPECT_FALSE(fs::exists(TempPage()));
    EXPECT_FALSE(fs::exists(ResultFile()));
    // The progress still moves on.
    EXPECT_EQ(progress_.counter, 1);
    EXPECT_THAT(view_.progress_lines, ElementsAre(u"1/2 Language(s) Translating ... "));
}

TEST_F(PageRunTest, MarkupThatNeverComesStoresNothingAndReplacesTheBrowser) {
    const SourceNames names = Source();
    // A result of an earlier batch, and the previous page's markup still captured.
    fs::create_directories(ResultFile().parent_path());
    WriteBytes(ResultFile(), "earlier batch");
    signals_.SetCapturedHtml(u"<p>the previous page</p>");
    browser_.delivery.reset();

    const PageRunResult result = Run(names);

    EXPECT_EQ(result.outcome, PageOutcome::kNotCaptured);
    EXPECT_EQ(result.browser, BrowserState::kReplaced);
    EXPECT_EQ(ReadBytes(ResultFile()), "earlier batch");
    EXPECT_EQ(signals_.CapturedHtml(), u"<p>the previous page</p>");
    EXPECT_EQ(view_.buffers_emptied, 0);
    // The temporary page is gone before the new browser is asked for.
    EXPECT_FALSE(fs::exists(TempPage()));
    EXPECT_EQ(browser_.temp_page_at_replace, false);
    EXPECT_EQ(When("replace") - When("retrieve"), kSignalLimit);
    // The run returns once the new browser is ready.
    EXPECT_TRUE(browser_.IsReady());
    EXPECT_GE(simulation_.Now() - When("replace"), Ms(2000));
    EXPECT_LE(simulation_.Now() - When("replace"), Ms(2010));

    // The next run works with the new browser.
    const std::u16string bonjour = u"<html class=\"translated-ltr\"><p>bonjour</p></html>";
    browser_.delivery = std::make_pair(Ms(200), bonjour);
    const PageRunResult next = Run(names, IndexOf(u"de"));
    EXPECT_EQ(next.outcome, PageOutcome::kStored);
    EXPECT_EQ(next.browser, BrowserState::kKept);
    EXPECT_EQ(ReadBytes(ResultFile(u"de")), Utf16ToUtf8(bonjour) + "\r\n");
}

TEST_F(PageRunTest, ANewBrowserThatIsNeverReadyEndsTheRunAtTheLimit) {
    const SourceNames names = Source();
    browser_.delivery.reset();
    browser_.ready_after_replace.reset();

    const PageRunResult result = Run(names);

    EXPECT_EQ(result.outcome, PageOutcome::kNotCaptured);
    EXPECT_EQ(result.browser, BrowserState::kReplacementDue);
    EXPECT_EQ(simulation_.Now() - When("replace"), kSignalLimit);
}

TEST_F(PageRunTest, MarkupArrivingInTheLastPollOfItsWaitIsStored) {
    const SourceNames names = Source();
    const std::u16string late = u"<html class=\"translated-rtl\"><p>late</p></html>";
    browser_.delivery = std::make_pair(kSignalLimit - Ms(5), late);

    const PageRunResult result = Run(names);

    EXPECT_EQ(result.outcome, PageOutcome::kStored);
    EXPECT_EQ(result.browser, BrowserState::kKept);
    EXPECT_EQ(ReadBytes(ResultFile()), Utf16ToUtf8(late) + "\r\n");
}

TEST_F(PageRunTest, APageWithoutTheWidgetsTranslationMarkIsStoredAsNotTranslated) {
    // The widget never translated: the page comes back as it was loaded, stored all the same
    // but its outcome says so. Only the root element's class counts.
    const Example<std::u16string, PageOutcome> cases[] = {
        {"no class", u"<html><body>Hello</body></html>", PageOutcome::kNotTranslated},
        {"other classes", u"<html class=\"js translated\"><body>Hello</body></html>",
         PageOutcome::kNotTranslated},
        {"mark on a lower element", u"<html><body class=\"translated-ltr\">Hello</body></html>",
         PageOutcome::kNotTranslated},
        {"mark among other classes, doctype first",
         u"<!DOCTYPE html><html lang=\"de\" class=\"js translated-ltr\"><body>Hallo</body></html>",
         PageOutcome::kStored},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SourceNames names = Source();
        browser_.delivery = std::make_pair(Ms(200), c.input);

        const PageRunResult result = Run(names);

        EXPECT_EQ(result.outcome, c.expected);
        EXPECT_EQ(result.browser, BrowserState::kKept);
        EXPECT_EQ(ReadBytes(ResultFile()), Utf16ToUtf8(c.input) + "\r\n");
        EXPECT_FALSE(fs::exists(TempPage()));
    }
}

TEST_F(PageRunTest, FileSystemErrorsEndTheRun) {
    // A source file that cannot be read: nothing moves.
    const SourceNames missing(folder_.Path(u"site") + SeparatorOf(kNativePathStyle),
                              u"missing.html");
    EXPECT_THROW(Run(missing), FileSystemError);
    EXPECT_EQ(progress_.counter, 0);
    EXPECT_THAT(browser_.Commands(), IsEmpty());

    // A result that cannot be stored: the temporary page stays.
    const SourceNames names = Source();
    fs::create_directories(At(u"program"));
    WriteBytes(fs::path(Root()), "a file where the result folder belongs");
    EXPECT_THROW(Run(names), FileSystemError);
    EXPECT_TRUE(fs::exists(TempPage()));
}

TEST_F(PageRunTest, PollStepPumpsSleepsWaitsWhilePausedAndSeesCancel) {
    EXPECT_EQ(run_.PollStep(), PollEnd::kGoOn);
    EXPECT_THAT(simulation_.Trace(), ElementsAre("pump", "sleep 10"));

    // Paused; Continue comes at the fifth pump of the pause loop.
    const Timestamp paused_at = simulation_.Now();
    flags_.RequestPause();
    simulation_.UserAt(paused_at + Ms(50), [&] { flags_.Resume(); });
    EXPECT_EQ(run_.PollStep(), PollEnd::kGoOn);
    EXPECT_EQ(simulation_.Now() - paused_at, Ms(60));
    EXPECT_EQ(simulation_.Count("pump"), 1u + 6u);

    // Cancel pressed while paused clears the pause: the step ends and reports it.
    flags_.RequestPause();
    simulation_.UserAt(simulation_.Now() + Ms(30), [&] { flags_.RequestCancel(); });
    EXPECT_EQ(run_.PollStep(), PollEnd::kCancelled);

    // Settle: nine passes of pump, sleep 500 ms, pump.
    Simulation fresh;
    PageRun run(browser_, fresh, fresh, view_, signals_, flags_, western_);
    run.Settle();
    EXPECT_EQ(fresh.Trace().size(), 27u);
    EXPECT_EQ(fresh.Count("sleep 500"), 9u);
    EXPECT_EQ(fresh.Now() - Simulation::kStart, Ms(4500));
}

// The fast timing: the same run, but each wait ends once the page has been still (no load
// end, no change to its markup) for the settle period.
class FastPageRunTest : public PageRunTest {
  protected:
    FastPageRunTest() {
        run_.SetTimings({WaitTiming::kFast, kSettle});
        // The page as the widget leaves it: original until its translation lands, 1.5 s after
        // the language was picked (0.2 s after the last of the three load ends).
        browser_.document = [this](Timestamp now) -> std::u16string {
            const bool translated = Picked() && now >= When("pick") + kTranslationDelay;
            return translated ? kTranslated : u"<html><body>hello</body></html>";
        };
    }
    bool Picked() const {
        const auto& commands = browser_.Commands();
        return std::any_of(commands.begin(), commands.end(),
                           [](const auto& command) { return command.name == "pick"; });
    }
    // The moments at which the markup was asked for, from the first command of name on.
    std::vector<Timestamp> SamplesAfter(const std::string& name) const {
        std::vector<Timestamp> moments;
        for (const auto& command : browser_.Commands()) {
            if (command.name == "retrieve" && command.at >= When(name)) {
                moments.push_back(command.at);
            }
        }
        return moments;
    }

    static constexpr Ms kSettle{400};
    static constexpr Ms kTranslationDelay{1500};
    const std::u16string kTranslated =
        u"<html class=\"translated-ltr\"><body>bonjour</body></html>";
};

TEST_F(FastPageRunTest, EachWaitEndsOnceThePageHasBeenStillForTheSettlePeriod) {
    const PageRunResult result = Run(Source());

    EXPECT_EQ(result.outcome, PageOutcome::kStored);
    EXPECT_EQ(ReadBytes(ResultFile()), Utf16ToUtf8(kTranslated) + "\r\n");
    EXPECT_THAT(CommandNames(), ::testing::IsSupersetOf(
                                    {"navigate", "pick", "bottom", "middle", "top", "retrieve"}));
    // After the load: the pick comes once the page has been still for the settle period
    // since its load end (1.5 s), and well before the full timing's 28 s.
    EXPECT_GE(When("pick") - When("navigate"), Ms(1500) + kSettle);
    EXPECT_LE(When("pick") - When("navigate"), Ms(1500) + kSettle + Ms(400));
    // After the pick: the translation landing at 1.5 s is a change; the scrolls wait it out.
    EXPECT_GE(When("bottom") - When("pick"), kTranslationDelay + kSettle);
    EXPECT_LE(When("bottom") - When("pick"), kTranslationDelay + kSettle + Ms(400));
    // The whole run: some seconds, against more than 72 at the full timing.
    EXPECT_LT(simulation_.Now() - Simulation::kStart, Ms(7000));
    EXPECT_FALSE(fs::exists(TempPage()));
}

TEST_F(FastPageRunTest, AStillPageNeedsASampleTakenAFullSettlePeriodAfterTheLastChange) {
    // Samples every 100 ms; a change is dated at the sample that saw it, and the wait ends
    // only at a sample asked for a whole settle period after it, with no load end between.
    Run(Source());
    const std::vector<Timestamp> samples = SamplesAfter("pick");
    ASSERT_GE(samples.size(), 3u);
    const Timestamp landed = When("pick") + kTranslationDelay;
    const auto first_seeing =
        std::find_if(samples.begin(), samples.end(), [&](Timestamp at) { return at >= landed; });
    ASSERT_NE(first_seeing, samples.end());
    const Timestamp last_before_bottom = *std::prev(std::find_if(
        samples.begin(), samples.end(), [&](Timestamp at) { return at > When("bottom"); }));
    EXPECT_GE(last_before_bottom - *first_seeing, kSettle);
    for (auto at = samples.begin(); std::next(at) != samples.end(); ++at) {
        EXPECT_GE(*std::next(at) - *at, Ms(100));
    }
}

TEST_F(FastPageRunTest, APageThatNeverStaysStillWaitsNoLongerThanTheFullTiming) {
    // A document that changes all the time (a clock, a ticker): every wait runs to the full
    // timing's end, and the run still stores the page.
    browser_.document = [](Timestamp now) {
        return u"<html class=\"translated-ltr\">" +
               Utf8ToUtf16(std::to_string(now.time_since_epoch().count())) + u"</html>";
    };
    const PageRunResult result = Run(Source());
    EXPECT_EQ(result.outcome, PageOutcome::kStored);
    // The quiet waits end 28 s after the last load end, as at the full timing (give or take
    // the sample under way).
    EXPECT_GE(When("pick") - When("navigate"), Ms(1500) + kQuiet);
    EXPECT_LE(When("pick") - When("navigate"), Ms(1500) + kQuiet + Ms(300));
    EXPECT_GE(When("bottom") - When("pick"), Ms(1300) + kQuiet);
    // The scrolls come 100 ms apart; the wait after them ends when the full schedule would.
    EXPECT_EQ(When("middle") - When("bottom"), Ms(100));
    EXPECT_EQ(When("top") - When("middle"), Ms(100));
    const Timestamp capture = browser_.Commands().back().at;
    EXPECT_GE(capture - When("bottom"), kScheduleSleeps);
    EXPECT_LE(capture - When("bottom"), kScheduleSleeps + Ms(300));
}

TEST_F(FastPageRunTest, ASampleThatNeverComesKeepsTheWaitGoingToTheFullLimit) {
    // A page whose markup never comes: it is never taken for still, the run ends as at the
    // full timing, with nothing stored and the browser replaced.
    browser_.delivery.reset();
    const PageRunResult result = Run(Source());
    EXPECT_EQ(result.outcome, PageOutcome::kNotCaptured);
    EXPECT_EQ(result.browser, BrowserState::kReplaced);
    EXPECT_GE(When("pick") - When("navigate"), Ms(1500) + kQuiet);
    EXPECT_FALSE(fs::exists(ResultFile()));
}

TEST_F(FastPageRunTest, CancelDuringAStillnessWaitEndsTheRun) {
    simulation_.UserAt(Simulation::kStart + Ms(1800), [&] { flags_.RequestCancel(); });
    const PageRunResult result = Run(Source());
    EXPECT_EQ(result.outcome, PageOutcome::kCancelled);
    EXPECT_EQ(fs::path(result.temp_page_left), TempPage());
    EXPECT_TRUE(fs::exists(TempPage()));
    EXPECT_LE(simulation_.Now() - Simulation::kStart, Ms(1900));
    EXPECT_THAT(CommandNames(), Not(::testing::Contains("pick")));
    EXPECT_FALSE(fs::exists(ResultFile()));
}

TEST_F(FastPageRunTest, TheSettlePeriodIsTheUsers) {
    run_.SetTimings({WaitTiming::kFast, Ms(3000)});
    Run(Source());
    EXPECT_GE(When("pick") - When("navigate"), Ms(1500) + Ms(3000));
    EXPECT_GE(When("bottom") - When("pick"), kTranslationDelay + Ms(3000));
}

// Every public method of the run belongs to the thread that made it: a call from any other
// thread is reported at its entry, naming it (where the build checks threads, as every test
// build does; elsewhere nothing is reported). The same calls from the owner report nothing.
TEST_F(PageRunTest, EveryMethodReportsACallFromAnotherThread) {
    using Call = std::function<void(PageRun&)>;
    const SourceNames missing(folder_.Path(u"missing") + SeparatorOf(kNativePathStyle),
                              u"index.html");
    const auto never = [] { return false; };
    const Example<Call, const char*> cases[] = {
        {"TranslatePage",
         [&](PageRun& run) { run.TranslatePage(kFrench, missing, Root(), progress_); },
         "PageRun::TranslatePage"},
        {"Pump", [](PageRun& run) { run.Pump(); }, "PageRun::Pump"},
        {"PollStep", [](PageRun& run) { run.PollStep(); }, "PageRun::PollStep"},
        {"WaitForSignal",
         [](PageRun& run) {
             run.WaitForSignal(JobSignals::Signal::kPageLoaded, JobSignals::Stamp::kLastLoadTime);
         },
         "PageRun::WaitForSignal"},
        {"WaitForQuiet", [](PageRun& run) { run.WaitForQuiet(); }, "PageRun::WaitForQuiet"},
        {"WaitForLoadThenQuiet",
         [](PageRun& run) { run.WaitForLoadThenQuiet(JobSignals::Signal::kPageLoaded); },
         "PageRun::WaitForLoadThenQuiet"},
        {"WaitForStill", [&](PageRun& run) { run.WaitForStill(never); }, "PageRun::WaitForStill"},
        {"Settle", [](PageRun& run) { run.Settle(); }, "PageRun::Settle"},
        {"SetTimings",
         [](PageRun& run) {
             run.SetTimings({WaitTiming::kFast, Ms(100)});
         },
         "PageRun::SetTimings"},
        {"Timings", [](PageRun& run) { run.Timings(); }, "PageRun::Timings"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Cancelled from the start: every wait ends at its first poll step.
        OwnRun own(view_, western_);
        own.flags.RequestCancel();
        const std::vector<std::string> reports =
            ReportsFromAnotherThread([&] { c.input(own.run); });
        if (kThreadChecks) {
            ASSERT_THAT(reports, Not(IsEmpty()));
            EXPECT_THAT(reports.front(), HasSubstr(c.expected));
        } else {
            EXPECT_THAT(reports, IsEmpty());
        }
        EXPECT_THAT(ReportsFromThisThread([&] { c.input(own.run); }), IsEmpty());
    }
}

TEST(ElapsedWholeSeconds, DropsTheRemainderInEitherDirection) {
    const Timestamp t0 = Simulation::kStart;
    const struct {
        Ms difference;
        std::int64_t seconds;
    } cases[] = {
        {Ms(0), 0},          {Ms(999), 0},        {Ms(1000), 1},      {Ms(27'999), 27},
        {Ms(28'000), 28},    {Ms(119'999), 119},  {Ms(120'000), 120}, {Ms(-1500), 1},
        {Ms(-119'999), 119}, {Ms(-120'000), 120},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.difference.count());
        EXPECT_EQ(ElapsedWholeSeconds(t0, t0 + c.difference), c.seconds);
        EXPECT_EQ(ElapsedWholeSeconds(t0 + c.difference, t0), c.seconds);
    }
}

}  // namespace
}  // namespace quillmoor::test_support
