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

#ifndef _WIN32
#include <sys/stat.h>
#endif

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
// The sample that finds the widget's menu before the pick: asked for once the page has
// settled, delivered 200 ms later.
constexpr Ms kMenuSample{200};

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
    // The moment the markup was asked for last: the capture.
    Timestamp Capture() const { return browser_.Last("retrieve").at; }
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
    // A sample finds the menu; after the pick, two samples until the widget answers (its
    // first load end, 400 ms after the pick); the schedule; the capture.
    EXPECT_THAT(CommandNames(), ElementsAre("navigate", "retrieve", "pick", "retrieve", "retrieve",
                                            "bottom", "middle", "top", "retrieve"));
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

    // The page loads 1.5 s after Go: 28 quiet seconds and the menu's sample later the
    // language is picked. Its third load end comes 1.3 s later, then 28 quiet seconds and the
    // schedule.
    EXPECT_EQ(When("navigate"), Simulation::kStart + Ms(10));
    EXPECT_EQ(When("pick") - When("navigate"), Ms(1500) + kQuiet + kMenuSample);
    EXPECT_EQ(Capture() - When("pick"), Ms(1300) + kQuiet + kScheduleSleeps);
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
    // Every request for the markup, samples and capture alike.
    for (const auto& command : browser_.Commands()) {
        if (command.name == "retrieve") {
            EXPECT_FALSE(command.signals.html_ready);
            EXPECT_EQ(command.at_first_sleep->html_ready_time, command.at);
        }
    }
}

TEST_F(PageRunTest, PageThatNeverReportsALoadEndWaitsTheLimitThenTheQuietPeriod) {
    const SourceNames names = Source();
    browser_.load_ends_after_navigate = {};
    browser_.load_ends_after_pick = {};

    EXPECT_EQ(Run(names).outcome, PageOutcome::kStored);

    EXPECT_EQ(When("pick") - When("navigate"), kSignalLimit + kQuiet + kMenuSample);
    EXPECT_EQ(Capture() - When("pick"), kSignalLimit + kQuiet + kScheduleSleeps);
}

TEST_F(PageRunTest, EachLoadEndMovesTheLimitOfTheWaitForTheThirdOne) {
    const SourceNames names = Source();
    // Two load ends after the pick, 100 s apart: the limit counts from the later one.
    browser_.load_ends_after_pick = {Ms(1000), Ms(101'000)};

    EXPECT_EQ(Run(names).outcome, PageOutcome::kStored);

    EXPECT_EQ(Capture() - When("pick"), Ms(101'000) + kSignalLimit + kQuiet + kScheduleSleeps);
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
            EXPECT_EQ(own.browser.First("pick").at, navigate_at + Ms(1500) + kQuiet + kMenuSample);
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
        EXPECT_EQ(own.browser.First("pick").at - navigate_at, c.pick_at + kMenuSample);
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
    const Timestamp pick_at = Simulation::kStart + Ms(10) + Ms(1500) + kQuiet + kMenuSample;
    const Timestamp schedule_at = pick_at + Ms(1300) + kQuiet;
    simulation_.UserAt(schedule_at + Ms(2000), [&] { flags_.RequestCancel(); });

    EXPECT_EQ(Run(names).outcome, PageOutcome::kCancelled);

    EXPECT_EQ(Capture(), schedule_at + kScheduleSleeps);
    const auto& trace = simulation_.Trace();
    const auto retrieve = std::find(trace.rbegin(), trace.rend(), "retrieve").base() - 1;
    EXPECT_THAT(std::vector<std::string>(retrieve, trace.end()),
                ElementsAre("retrieve", "pump", "sleep 10"));
    EXPECT_TRUE(fs::exists(TempPage()));
    EXPECT_FALSE(fs::exists(ResultFile()));
}

TEST_F(PageRunTest, APauseDuringTheScrollScheduleHoldsTheMarkupWait) {
    // Paused during the schedule for 300 s: the markup is asked for on time, arrives while
    // paused, and the run stores it once Continue is pressed, though its limit has passed.
    const SourceNames names = Source();
    const Timestamp pick_at = Simulation::kStart + Ms(10) + Ms(1500) + kQuiet + kMenuSample;
    const Timestamp schedule_at = pick_at + Ms(1300) + kQuiet;
    const Timestamp resume_at = schedule_at + kScheduleSleeps + Ms(286'000);
    simulation_.UserAt(schedule_at + Ms(2000), [&] { flags_.RequestPause(); });
    simulation_.UserAt(resume_at, [&] { flags_.Resume(); });

    EXPECT_EQ(Run(names).outcome, PageOutcome::kStored);

    EXPECT_EQ(Capture(), schedule_at + kScheduleSleeps);
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
    browser_.mute_after_scroll = true;

    const PageRunResult result = Run(names);

    EXPECT_EQ(result.outcome, PageOutcome::kNotCaptured);
    EXPECT_EQ(result.browser, BrowserState::kReplaced);
    EXPECT_EQ(ReadBytes(ResultFile()), "earlier batch");
    EXPECT_EQ(view_.buffers_emptied, 0);
    // The temporary page is gone before the new browser is asked for.
    EXPECT_FALSE(fs::exists(TempPage()));
    EXPECT_EQ(browser_.temp_page_at_replace, false);
    EXPECT_EQ(When("replace") - Capture(), kSignalLimit);
    // The run returns once the new browser is ready.
    EXPECT_TRUE(browser_.IsReady());
    EXPECT_GE(simulation_.Now() - When("replace"), Ms(2000));
    EXPECT_LE(simulation_.Now() - When("replace"), Ms(2010));

    // The next run works with the new browser.
    const std::u16string bonjour = u"<html class=\"translated-ltr\"><p>bonjour</p></html>";
    browser_.delivery = std::make_pair(Ms(200), bonjour);
    browser_.mute_after_scroll = false;
    const PageRunResult next = Run(names, IndexOf(u"de"));
    EXPECT_EQ(next.outcome, PageOutcome::kStored);
    EXPECT_EQ(next.browser, BrowserState::kKept);
    EXPECT_EQ(ReadBytes(ResultFile(u"de")), Utf16ToUtf8(bonjour) + "\r\n");
}

TEST_F(PageRunTest, ANewBrowserThatIsNeverReadyEndsTheRunAtTheLimit) {
    const SourceNames names = Source();
    browser_.mute_after_scroll = true;
    browser_.ready_after_replace.reset();

    const PageRunResult result = Run(names);

    EXPECT_EQ(result.outcome, PageOutcome::kNotCaptured);
    EXPECT_EQ(result.browser, BrowserState::kReplacementDue);
    EXPECT_EQ(simulation_.Now() - When("replace"), kSignalLimit);
}

TEST_F(PageRunTest, MarkupArrivingInTheLastPollOfItsWaitIsStored) {
    const SourceNames names = Source();
    const std::u16string late = u"<html class=\"translated-rtl\"><p>late</p></html>";
    browser_.delivery = std::make_pair(Ms(200), late);
    browser_.delivery_after_scroll = kSignalLimit - Ms(5);

    const PageRunResult result = Run(names);

    EXPECT_EQ(result.outcome, PageOutcome::kStored);
    EXPECT_EQ(result.browser, BrowserState::kKept);
    EXPECT_EQ(ReadBytes(ResultFile()), Utf16ToUtf8(late) + "\r\n");
}

TEST_F(PageRunTest, APageWithoutTheWidgetsTranslationMarkIsNeverStored) {
    // The widget never translated: the page comes back as it was loaded. Nothing is written:
    // an earlier good result stays as it was, its resource folder too. Only the root
    // element's class counts.
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
        fs::create_directories(At(u"site/index_files"));
        WriteBytes(At(u"site/index_files/style.css"), "new style");
        fs::create_directories(ResultFile().parent_path() / "index_files");
        WriteBytes(ResultFile(), "earlier good result");
        WriteBytes(ResultFile().parent_path() / "index_files" / "style.css", "earlier style");
        browser_.delivery = std::make_pair(Ms(200), c.input);

        const PageRunResult result = Run(names);

        EXPECT_EQ(result.outcome, c.expected);
        EXPECT_EQ(result.browser, BrowserState::kKept);
        const bool stored = c.expected == PageOutcome::kStored;
        EXPECT_EQ(ReadBytes(ResultFile()),
                  stored ? Utf16ToUtf8(c.input) + "\r\n" : "earlier good result");
        EXPECT_EQ(ReadBytes(ResultFile().parent_path() / "index_files" / "style.css"),
                  stored ? "new style" : "earlier style");
        EXPECT_EQ(result.reason, stored ? "" : kNoMarkReason);
        EXPECT_FALSE(fs::exists(TempPage()));
    }
}

TEST_F(PageRunTest, APageThatLeavesItsTemporaryAddressIsNeverCaptured) {
    // A page that refreshes or redirects itself elsewhere (a private file, another site):
    // whatever the browser shows then is not this page's translation. Nothing is stored, an
    // earlier result stays, the temporary page goes, at either timing and whenever it left.
    const struct {
        const char* name;
        WaitTiming timing;
        Ms leaves_after;
    } cases[] = {
        {"full, before the pick", WaitTiming::kFull, Ms(5000)},
        {"full, during the schedule", WaitTiming::kFull, Ms(70'000)},
        {"fast, before the pick", WaitTiming::kFast, Ms(1600)},
        {"fast, while the widget works", WaitTiming::kFast, Ms(2500)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnRun own(view_, western_);
        own.run.SetTimings({c.timing, kDefaultSettlePeriod});
        own.browser.leaves_page_after_navigate = c.leaves_after;
        fs::create_directories(ResultFile().parent_path());
        WriteBytes(ResultFile(), "earlier good result");

        const PageRunResult result = own.run.TranslatePage(kFrench, Source(), Root(), progress_);

        EXPECT_EQ(result.outcome, PageOutcome::kNotCaptured);
        EXPECT_EQ(result.reason, kLeftPageReason);
        EXPECT_EQ(result.browser, BrowserState::kKept);
        EXPECT_EQ(ReadBytes(ResultFile()), "earlier good result");
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

    // A result that cannot be stored: the temporary page is removed all the same.
    const SourceNames names = Source();
    fs::create_directories(At(u"program"));
    WriteBytes(fs::path(Root()), "a file where the result folder belongs");
    EXPECT_THROW(Run(names), FileSystemError);
    EXPECT_TRUE(fs::exists(At(u"site/index.html")));
    EXPECT_FALSE(fs::exists(TempPage()));
}

#ifndef _WIN32
TEST_F(PageRunTest, AResourceCopyThatFailsKeepsTheEarlierResultAndRemovesTheTemporaryPage) {
    const SourceNames names = Source();
    const std::u16string translated = u"<html class=\"translated-ltr\"><p>bonjour</p></html>";
    browser_.delivery = std::make_pair(Ms(200), translated);
    fs::create_directories(At(u"site/index_files"));
    WriteBytes(At(u"site/index_files/style.css"), "first");
    ASSERT_EQ(Run(names).outcome, PageOutcome::kStored);
    const fs::path resources = ResultFile().parent_path() / "index_files";
    ASSERT_EQ(ReadBytes(resources / "style.css"), "first");

    // The style changes, and a pipe in the resource folder cannot be copied (for root too).
    WriteBytes(At(u"site/index_files/style.css"), "second");
    ASSERT_EQ(mkfifo(At(u"site/index_files/feed").c_str(), 0666), 0);
    browser_.delivery =
        std::make_pair(Ms(200), std::u16string(u"<html class=\"translated-ltr\">new</html>"));
    try {
        Run(names);
        ADD_FAILURE() << "stored";
    } catch (const FileSystemError& error) {
        EXPECT_THAT(error.what(), HasSubstr("feed"));
    }
    EXPECT_EQ(ReadBytes(ResultFile()), Utf16ToUtf8(translated) + "\r\n");
    EXPECT_THAT(NamesIn(resources), ElementsAre("style.css"));
    EXPECT_EQ(ReadBytes(resources / "style.css"), "first");
    EXPECT_THAT(NamesIn(ResultFile().parent_path()), ElementsAre("index.html", "index_files"));
    EXPECT_FALSE(fs::exists(TempPage()));
}

TEST_F(PageRunTest, WhatTheResourceCopyPassedOverComesBackWithTheResult) {
    const SourceNames names = Source();
    browser_.delivery =
        std::make_pair(Ms(200), std::u16string(u"<html class=\"translated-ltr\">x</html>"));
    fs::create_directories(At(u"site/index_files"));
    WriteBytes(At(u"outside.txt"), "secret");
    fs::create_symlink(At(u"outside.txt"), At(u"site/index_files/leak.txt"));

    const PageRunResult result = Run(names);

    EXPECT_EQ(result.outcome, PageOutcome::kStored);
    EXPECT_THAT(result.passed_over,
                ElementsAre(PassedOverEntry{folder_.Path(u"site/index_files/leak.txt"),
                                            kLeadsOutsideReason}));
    EXPECT_THAT(NamesIn(ResultFile().parent_path() / "index_files"), IsEmpty());
}
#endif

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

// The fast timing: the language is picked as soon as the widget's menu is there, and the
// run ends once the widget is done: its frames loaded, its mark on the page, the page still.
// The scripted widget: menu at once, load ends 1.5 s after Go and 0.4, 0.9 and 1.3 s after
// the pick, the translation 0.3 s after the pick, the markup 0.2 s after it is asked for.
class FastPageRunTest : public PageRunTest {
  protected:
    FastPageRunTest() { run_.SetTimings({WaitTiming::kFast, kSettle}); }
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
    std::size_t Picks() const {
        const std::vector<std::string> names = CommandNames();
        return static_cast<std::size_t>(std::count(names.begin(), names.end(), "pick"));
    }

    static constexpr Ms kSettle{400};
    static constexpr Ms kThirdLoadEnd{1300};
};

TEST_F(FastPageRunTest, PicksOnceTheMenuIsThereAndEndsOnceTheWidgetIsDone) {
    const PageRunResult result = Run(Source());

    EXPECT_EQ(result.outcome, PageOutcome::kStored);
    EXPECT_THAT(ReadBytes(ResultFile()), HasSubstr("translated"));
    EXPECT_THAT(CommandNames(), ::testing::IsSupersetOf(
                                    {"navigate", "pick", "bottom", "middle", "top", "retrieve"}));
    // The pick follows the load end and the sample that finds the menu, with no quiet wait.
    EXPECT_EQ(When("pick") - When("navigate"), Ms(1500) + kMenuSample);
    EXPECT_EQ(Picks(), 1u);
    // The capture: the third load end after the pick, then a settle period of stillness.
    EXPECT_GE(Capture() - When("pick"), kThirdLoadEnd + kSettle);
    EXPECT_LE(Capture() - When("pick"), kThirdLoadEnd + kSettle + Ms(300));
    // The scrolls come while the widget's frames load, and what they set going is given a
    // settle period too.
    EXPECT_LT(When("top"), When("pick") + kThirdLoadEnd);
    EXPECT_GE(Capture() - When("top"), kSettle);
    // The whole run: a few seconds, against more than 72 at the full timing.
    EXPECT_LT(simulation_.Now() - Simulation::kStart, Ms(4500));
    EXPECT_FALSE(fs::exists(TempPage()));
}

TEST_F(FastPageRunTest, AMenuThatComesLateIsWaitedForAndNeverClickedBefore) {
    browser_.menu_after_navigate = Ms(6000);
    EXPECT_EQ(Run(Source()).outcome, PageOutcome::kStored);
    EXPECT_GE(When("pick") - When("navigate"), Ms(6000));
    EXPECT_LE(When("pick") - When("navigate"), Ms(6000) + Ms(300));
    EXPECT_EQ(Picks(), 1u);
}

TEST_F(FastPageRunTest, AWidgetWhoseMenuNeverComesIsGivenUpAtTheSignalLimit) {
    for (const WaitTiming timing : {WaitTiming::kFast, WaitTiming::kFull}) {
        SCOPED_TRACE(timing == WaitTiming::kFast ? "fast" : "full");
        OwnRun own(view_, western_);
        own.run.SetTimings({timing, kSettle});
        own.browser.menu_after_navigate.reset();
        fs::create_directories(ResultFile().parent_path());
        WriteBytes(ResultFile(), "earlier good result");

        const PageRunResult result = own.run.TranslatePage(kFrench, Source(), Root(), progress_);

        EXPECT_EQ(result.outcome, PageOutcome::kNotTranslated);
        EXPECT_EQ(result.reason, kNoMenuReason);
        EXPECT_THAT(own.browser.Commands(),
                    Not(Contains(::testing::Field(&ScriptedBrowser::Command::name, "pick"))));
        EXPECT_GE(own.simulation.Now() - Simulation::kStart, kSignalLimit);
        EXPECT_LE(own.simulation.Now() - Simulation::kStart,
                  Ms(1500) + kQuiet + kSignalLimit + Ms(1000));
        EXPECT_EQ(ReadBytes(ResultFile()), "earlier good result");
        EXPECT_FALSE(fs::exists(TempPage()));
    }
}

TEST_F(FastPageRunTest, APickThatGetsNoAnswerIsRepeatedABoundedNumberOfTimes) {
    const struct {
        const char* name;
        int ignored;
        PageOutcome outcome;
        std::size_t picks;
    } cases[] = {
        {"first pick ignored", 1, PageOutcome::kStored, 2},
        {"two picks ignored", 2, PageOutcome::kStored, 3},
        {"every pick ignored", kPickAttempts, PageOutcome::kNotTranslated, kPickAttempts},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnRun own(view_, western_);
        own.run.SetTimings({WaitTiming::kFast, kSettle});
        own.browser.ignored_picks = c.ignored;
        fs::remove_all(fs::path(Root()));

        const PageRunResult result = own.run.TranslatePage(kFrench, Source(), Root(), progress_);

        EXPECT_EQ(result.outcome, c.outcome);
        std::vector<Timestamp> picks;
        for (const auto& command : own.browser.Commands()) {
            if (command.name == "pick") {
                picks.push_back(command.at);
            }
        }
        ASSERT_EQ(picks.size(), c.picks);
        // A pick is repeated once the widget has not answered it for the answer limit.
        for (std::size_t i = 1; i < picks.size(); ++i) {
            EXPECT_GE(picks[i] - picks[i - 1], kPickAnswerLimit);
            EXPECT_LE(picks[i] - picks[i - 1], kPickAnswerLimit + Ms(300));
        }
        if (c.outcome == PageOutcome::kNotTranslated) {
            EXPECT_EQ(result.reason, kPickIgnoredReason);
            EXPECT_FALSE(fs::exists(ResultFile()));
        }
        EXPECT_FALSE(fs::exists(TempPage()));
    }
}

TEST_F(FastPageRunTest, AWidgetThatTranslatesInBatchesIsWaitedForToTheLastOne) {
    // The text arrives in three batches a second apart, the first 1 s after the pick; the
    // widget's frames have all loaded long before the last batch. A capture between two
    // batches would store a page half translated.
    const struct {
        const char* name;
        std::vector<Ms> batches;
    } cases[] = {
        {"1 s apart", {Ms(1000), Ms(2000), Ms(3000)}},
        {"1.5 s apart", {Ms(1500), Ms(3000), Ms(4500)}},
        {"first at once, then 1 s apart", {Ms(300), Ms(1300), Ms(2300)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnRun own(view_, western_);
        own.run.SetTimings({WaitTiming::kFast, kSettle});
        own.browser.batches_after_pick = c.batches;

        EXPECT_EQ(own.run.TranslatePage(kFrench, Source(), Root(), progress_).outcome,
                  PageOutcome::kStored);

        const Timestamp pick = own.browser.First("pick").at;
        const Timestamp capture = own.browser.Last("retrieve").at;

        EXPECT_GE(capture - pick, c.batches.back());
        // The final document, not a batch page.
        EXPECT_THAT(ReadBytes(ResultFile()), HasSubstr("translated"));
        EXPECT_THAT(ReadBytes(ResultFile()), Not(HasSubstr("batch")));
        // ... and not much later than the last batch: one and a half gaps, and the sampling.
        const Ms gap = c.batches[2] - c.batches[1];
        EXPECT_LE(capture - pick, c.batches.back() + gap * 3 / 2 + Ms(500));
    }
}

TEST_F(FastPageRunTest, APageThatNeverStaysStillWaitsNoLongerThanTheFullTiming) {
    // A document that changes all the time (a clock, a ticker): the wait after the pick runs
    // to the end of the full timing's wait for the third load end and its quiet.
    browser_.document = [](Timestamp now) {
        return u"<html class=\"translated-ltr\"><body>" +
               Utf8ToUtf16(std::to_string(now.time_since_epoch().count())) +
               u"<iframe class=\"goog-te-menu-frame skiptranslate\"></iframe></body></html>";
    };
    const PageRunResult result = Run(Source());
    EXPECT_EQ(result.outcome, PageOutcome::kStored);
    EXPECT_GE(Capture() - When("pick"), kThirdLoadEnd + kQuiet);
    EXPECT_LE(Capture() - When("pick"), kThirdLoadEnd + kQuiet + Ms(1300));
    // The scrolls come one a sample: at least a sample interval apart, and no later than
    // the sample's delivery (200 ms here).
    for (const auto& [from, to] : {std::pair{"bottom", "middle"}, std::pair{"middle", "top"}}) {
        EXPECT_GE(When(to) - When(from), Ms(100));
        EXPECT_LE(When(to) - When(from), Ms(210));
    }
}

TEST_F(FastPageRunTest, ASampleThatNeverComesKeepsTheWaitGoingToTheFullLimit) {
    // A page whose markup stops coming once scrolled: it is never taken for still, the run
    // ends as at the full timing, with nothing stored and the browser replaced.
    browser_.mute_after_scroll = true;
    const PageRunResult result = Run(Source());
    EXPECT_EQ(result.outcome, PageOutcome::kNotCaptured);
    EXPECT_EQ(result.browser, BrowserState::kReplaced);
    EXPECT_GE(Capture() - When("pick"), kThirdLoadEnd + kQuiet);
    EXPECT_FALSE(fs::exists(ResultFile()));
}

TEST_F(FastPageRunTest, CancelDuringAWaitEndsTheRun) {
    browser_.menu_after_navigate = Ms(10'000);
    simulation_.UserAt(Simulation::kStart + Ms(3000), [&] { flags_.RequestCancel(); });
    const PageRunResult result = Run(Source());
    EXPECT_EQ(result.outcome, PageOutcome::kCancelled);
    EXPECT_EQ(fs::path(result.temp_page_left), TempPage());
    EXPECT_TRUE(fs::exists(TempPage()));
    EXPECT_LE(simulation_.Now() - Simulation::kStart, Ms(3100));
    EXPECT_EQ(Picks(), 0u);
    EXPECT_FALSE(fs::exists(ResultFile()));
}

TEST_F(FastPageRunTest, TheSettlePeriodIsTheUsers) {
    run_.SetTimings({WaitTiming::kFast, Ms(3000)});
    Run(Source());
    EXPECT_GE(Capture() - When("pick"), kThirdLoadEnd + Ms(3000));
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
