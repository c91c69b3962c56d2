#include "pipeline/batch_driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "pipeline/language_catalogue.h"
#include "pipeline/page_run_translator.h"
#include "pipeline/path_names.h"
#include "pipeline/widget_snippet.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "tests/batch/batch_world.h"
#include "tests/support/example.h"
#include "tests/support/matchers.h"
#include "tests/support/test_folder.h"
#include "tests/support/wrong_thread_reports.h"

// Beside the helpers of the simulated runs.
namespace quillmoor::test_support {
namespace {

const std::string kPage = "<html><head><title>t</title></head><body><p>hello</p></body></html>";
const std::string kProgress1 = "1/2 Language(s) Translating ... ";
const std::string kProgress2 = "2/2 Language(s) Translating ... ";

std::string Summary(int stored, int skipped, int not_captured) {
    return "Translate Done!\n\nPage-languages stored: " + std::to_string(stored) +
           "\nSkipped (no place for the widget): " + std::to_string(skipped) +
           "\nNot captured (the page sent nothing back): " + std::to_string(not_captured);
}

// The batch in a simulated window, over a scripted page run. The rows name pages in
// site/; the program lies in program/.
class BatchTest : public ::testing::Test {
  protected:
    BatchTest() {
        fs::create_directories(At(u"site"));
        fs::create_directories(At(u"program"));
        window_.driver = &driver_;
    }

    fs::path At(std::u16string_view name) const { return fs::path(folder_.Path(name)); }
    std::u16string Site() const { return folder_.Path(u"site") + SeparatorOf(kNativePathStyle); }
    std::u16string ResultRoot() const {
        const std::u16string separator(1, SeparatorOf(kNativePathStyle));
        return folder_.Path(u"program") + separator + u"result" + separator;
    }
    // A row for site/name; the page exists unless told otherwise.
    void Row(std::u16string_view name, bool exists = true) {
        if (exists) {
            WriteBytes(At(u"site/" + std::u16string(name)), kPage);
        }
        window_.AddRow(Site(), std::u16string(name));
    }
    // Two rows a.html and b.html, French and German ticked.
    void TwoPagesTwoLanguages(bool second_exists = true) {
        Row(u"a.html");
        Row(u"b.html", second_exists);
        window_.Tick(u"fr");
        window_.Tick(u"de");
    }
    // The log without the presses of the user.
    std::vector<std::string> BatchLog() const {
        std::vector<std::string> lines;
        for (const std::string& line : window_.log) {
            if (line.rfind("press ", 0) != 0) {
                lines.push_back(line);
            }
        }
        return lines;
    }
    std::vector<std::string> CallNames() const {
        std::vector<std::string> names;
        for (const auto& call : translator_.calls) {
            names.push_back(Utf16ToUtf8(call.file) + " " + Utf16ToUtf8(call.code));
        }
        return names;
    }
    // The user's action at the first pump at or after the moment.
    void UserAt(Ms after_start, std::function<void()> action) {
        simulation_.UserAt(Simulation::kStart + after_start, std::move(action));
    }

    TestFolder folder_;
    Simulation simulation_;
    JobSignals signals_;
    FakeWindow window_;
    ScriptedTranslator translator_{simulation_, window_, signals_};
    BatchDriver driver_{
        window_,       translator_,
        simulation_,   signals_,
        window_.flags, [this] { return folder_.Path(u"program") + SeparatorOf(kNativePathStyle); }};
};

TEST_F(BatchTest, RefusalsShowTheirMessageBringTheirTabAndChangeNothingElse) {
    struct Case {
        const char* name;
        bool rows;
        bool ticks;
        std::vector<std::string> log;
        BatchEnd end;
    };
    const Case cases[] = {
        {"no rows, no ticks",
         false,
         false,
         {"message Please Add File(s)", "tab File"},
         BatchEnd::kNoFiles},
        {"no rows", false, true, {"message Please Add File(s)", "tab File"}, BatchEnd::kNoFiles},
        {"no ticks",
         true,
         false,
         {"message Please Select Language(s)", "tab Language"},
         BatchEnd::kNoLanguages},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window_.rows.clear();
        window_.ticks.assign(window_.ticks.size(), false);
        window_.log.clear();
        if (c.rows) {
            Row(u"a.html");
        }
        if (c.ticks) {
            window_.Tick(u"fr");
        }
        // What an earlier, cancelled batch leaves behind.
        signals_.SetCapturedHtml(u"<p>an earlier page</p>");
        window_.flags.RequestCancel();
        window_.lbl1 = u"0/0 File(s)";

        EXPECT_EQ(driver_.btnTranslateClick(), c.end);

        EXPECT_THAT(window_.log, ElementsAreArray(c.log));
        EXPECT_EQ(signals_.CapturedHtml(), u"");
        EXPECT_EQ(driver_.ResultRoot(), ResultRoot());
        EXPECT_TRUE(window_.flags.CancelRequested());
        EXPECT_EQ(window_.lbl1, u"0/0 File(s)");
        EXPECT_TRUE(window_.translate_enabled);
        EXPECT_EQ(window_.inputs, InputsState::kEnabled);
        EXPECT_THAT(translator_.calls, IsEmpty());
        EXPECT_EQ(driver_.State(), BatchState::kIdle);
    }
}

TEST_F(BatchTest, ShowsEachProgressTextAtItsMomentAndEndsWithDoneAndTheQuestion) {
    TwoPagesTwoLanguages();
    window_.flags.RequestPause();  // left over: the batch clears it first

    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kDone);

    EXPECT_THAT(BatchLog(), ElementsAre("buttons running",              //
                                        "lbl1 0/2 File(s)",             //
                                        "lbl2 0/2 Language(s)",         //
                                        "inputs disabled",              //
                                        "lbl1 1/2 File(s)",             //
                                        "translate a.html fr",          //
                                        "lbl2 " + kProgress1,           //
                                        "translate a.html de",          //
                                        "lbl2 " + kProgress2,           //
                                        "lbl1 2/2 File(s)",             //
                                        "translate b.html fr",          //
                                        "lbl2 " + kProgress1,           //
                                        "translate b.html de",          //
                                        "lbl2 " + kProgress2,           //
                                        "message " + Summary(4, 0, 0),  //
                                        "reset",                        //
                                        "buttons idle",                 //
                                        "ask Open the result directory?"));
    EXPECT_EQ(window_.lbl1, u"0/0 File(s)");
    EXPECT_EQ(window_.lbl2, u"0/0 Language(s)");
    EXPECT_EQ(window_.inputs, InputsState::kEnabled);
    EXPECT_FALSE(window_.flags.PauseRequested());
    EXPECT_FALSE(window_.flags.CancelRequested());
    EXPECT_EQ(driver_.State(), BatchState::kIdle);

    // The per-file names come from each row; the counter starts again for every file.
    ASSERT_EQ(translator_.calls.size(), 4u);
    const auto& first = translator_.calls[0];
    EXPECT_EQ(first.source_path, Site() + u"a.html");
    EXPECT_EQ(first.temp_page_path, Site() + u"a-temp.html");
    EXPECT_EQ(first.result_root, ResultRoot());
    EXPECT_EQ(translator_.calls[2].source_path, Site() + u"b.html");
    EXPECT_EQ(translator_.calls[2].temp_page_path, Site() + u"b-temp.html");
    std::vector<int> counters;
    for (const auto& call : translator_.calls) {
        counters.push_back(call.counter);
        EXPECT_EQ(call.total, 2);
    }
    EXPECT_THAT(counters, ElementsAre(0, 1, 0, 1));
}

TEST_F(BatchTest, AMissingFileIsPassedOverSilentlyAndTheLanguageLineKeepsItsText) {
    TwoPagesTwoLanguages(/*second_exists=*/false);

    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kDone);

    EXPECT_THAT(CallNames(), ElementsAre("a.html fr", "a.html de"));
    EXPECT_THAT(window_.Lines("lbl1"), ElementsAre("0/2 File(s)", "1/2 File(s)", "2/2 File(s)"));
    // From the second row on nothing touches lbl2: it shows the first file's last text
    // until the batch resets it.
    const auto second_row = std::find(window_.log.begin(), window_.log.end(), "lbl1 2/2 File(s)");
    ASSERT_NE(second_row, window_.log.end());
    EXPECT_EQ(*(second_row + 1), "message " + Summary(2, 0, 0));
    EXPECT_EQ(window_.Lines("lbl2").back(), kProgress2);
}

TEST_F(BatchTest, NoExistingFileStillEndsWithDone) {
    Row(u"gone.html", /*exists=*/false);
    Row(u"site", /*exists=*/false);
    fs::create_directories(At(u"site/site"));  // a folder is no source file
    window_.Tick(u"fr");

    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kDone);

    EXPECT_THAT(translator_.calls, IsEmpty());
    EXPECT_THAT(window_.Lines("message"), ElementsAre(Summary(0, 0, 0)));
    EXPECT_THAT(window_.Lines("lbl2"), ElementsAre("0/1 Language(s)"));
}

TEST_F(BatchTest, TicksChangedDuringTheBatchCountFromTheLanguageNotYetReached) {
    TwoPagesTwoLanguages();  // French, then German in catalogue order; L = 2
    translator_.during_call[0] = [this] {
        window_.Tick(u"nl");         // Dutch comes before French: reached in the next file
        window_.Tick(u"de", false);  // German: not reached yet, so dropped at once
        window_.Tick(u"it");         // Italian and Japanese come after German
        window_.Tick(u"ja");
    };

    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kDone);

    EXPECT_THAT(CallNames(), ElementsAre("a.html fr", "a.html it", "a.html ja", "b.html nl",
                                         "b.html fr", "b.html it", "b.html ja"));
    // L stays 2, so the counter passes it.
    EXPECT_THAT(window_.Lines("lbl2"), ElementsAre("0/2 Language(s)", kProgress1, kProgress2,
                                                   "3/2 Language(s) Translating ... ", kProgress1,
                                                   kProgress2, "3/2 Language(s) Translating ... ",
                                                   "4/2 Language(s) Translating ... "));
}

TEST_F(BatchTest, RowsAddedDuringTheBatchAreCountedButNotVisited) {
    TwoPagesTwoLanguages();
    translator_.during_call[0] = [this] { Row(u"c.html"); };

    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kDone);

    EXPECT_THAT(window_.Lines("lbl1"), ElementsAre("0/2 File(s)", "1/2 File(s)", "2/3 File(s)"));
    EXPECT_THAT(CallNames(), Not(Contains("c.html fr")));
    EXPECT_EQ(translator_.calls.size(), 4u);
}

// Where a cancel is seen, and the page runs made before it.
struct CancelCase {
    const char* name;
    std::function<void(BatchTest&)> arrange;
    std::vector<std::string> calls;
};

class BatchCancelTest : public BatchTest, public ::testing::WithParamInterface<CancelCase> {
  public:
    using BatchTest::translator_;
    using BatchTest::UserAt;
    using BatchTest::window_;
};

TEST_P(BatchCancelTest, EndsTheBatchAtTheCheckWithTheProgressResetOnly) {
    TwoPagesTwoLanguages();
    GetParam().arrange(*this);

    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kCancelled);

    EXPECT_THAT(CallNames(), ElementsAreArray(GetParam().calls));
    EXPECT_EQ(BatchLog().back(), "reset");
    EXPECT_THAT(window_.Lines("message"), IsEmpty());
    EXPECT_THAT(window_.Lines("ask"), IsEmpty());
    EXPECT_EQ(window_.lbl1, u"0/0 File(s)");
    EXPECT_EQ(window_.lbl2, u"0/0 Language(s)");
    EXPECT_EQ(window_.inputs, InputsState::kEnabled);
    // The buttons as Cancel left them; the flags are not cleared.
    EXPECT_TRUE(window_.translate_enabled);
    EXPECT_FALSE(window_.pause_enabled);
    EXPECT_FALSE(window_.cancel_enabled);
    EXPECT_TRUE(window_.flags.CancelRequested());
    EXPECT_FALSE(window_.flags.PauseRequested());
    EXPECT_EQ(driver_.State(), BatchState::kIdle);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, BatchCancelTest,
    ::testing::Values(
        CancelCase{"AtTheFirstRowsCheck",
                   [](BatchTest& t) {
                       auto& test = static_cast<BatchCancelTest&>(t);
                       test.UserAt(Ms(0), [&test] { test.window_.PressCancel(); });
                   },
                   {}},
        CancelCase{"InsideAPageRun",
                   [](BatchTest& t) {
                       auto& test = static_cast<BatchCancelTest&>(t);
                       test.translator_.during_call[1] = [&test] { test.window_.PressCancel(); };
                   },
                   {"a.html fr", "a.html de"}},
        CancelCase{"BetweenTwoLanguages",
                   [](BatchTest& t) {
                       auto& test = static_cast<BatchCancelTest&>(t);
                       test.translator_.after_call[0] = [&test] { test.window_.PressCancel(); };
                   },
                   {"a.html fr"}},
        CancelCase{"AtTheSecondRowsCheck",
                   [](BatchTest& t) {
                       auto& test = static_cast<BatchCancelTest&>(t);
                       // Zulu is the last box: the next check after its run is the row's.
                       test.window_.Tick(u"zu");
                       test.translator_.after_call[2] = [&test] { test.window_.PressCancel(); };
                   },
                   {"a.html fr", "a.html de", "a.html zu"}},
        CancelCase{"WhilePaused",
                   [](BatchTest& t) {
                       auto& test = static_cast<BatchCancelTest&>(t);
                       test.translator_.during_call[0] = [&test] {
                           test.window_.PressPause();
                           test.UserAt(Ms(3'600'000), [&test] { test.window_.PressCancel(); });
                       };
                   },
                   {"a.html fr"}}),
    [](const ::testing::TestParamInfo<CancelCase>& info) { return info.param.name; });

TEST_F(BatchTest, CancelWhilePausedKeepsTheContinueCaptionAndStopsAtTheNextCheck) {
    TwoPagesTwoLanguages();
    translator_.during_call[0] = [this] {
        window_.PressPause();
        // An hour later, still paused.
        UserAt(Ms(3'600'000), [this] { window_.PressCancel(); });
    };

    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kCancelled);

    EXPECT_GE(simulation_.Now() - Simulation::kStart, Ms(3'600'000));
    EXPECT_EQ(window_.pause_caption, u"Continue");
    EXPECT_EQ(window_.lbl1, u"0/0 File(s)");
    EXPECT_EQ(window_.lbl2, u"0/0 Language(s)");
    EXPECT_THAT(CallNames(), ElementsAre("a.html fr"));
}

TEST_F(BatchTest, AnErrorEndsTheBatchWhereItHappensWithTheInputsStillLocked) {
    TwoPagesTwoLanguages();
    translator_.error_at = std::make_pair(std::size_t{1}, std::string("Cannot write \"x\": full"));

    try {
        driver_.btnTranslateClick();
        FAIL() << "the error was not passed on";
    } catch (const FileSystemError& error) {
        EXPECT_STREQ(error.what(), "Cannot write \"x\": full");
    }

    EXPECT_THAT(CallNames(), ElementsAre("a.html fr", "a.html de"));
    EXPECT_THAT(window_.Lines("message"), IsEmpty());
    EXPECT_THAT(window_.Lines("ask"), IsEmpty());
    EXPECT_EQ(window_.inputs, InputsState::kDisabled);
    EXPECT_FALSE(window_.translate_enabled);
    EXPECT_TRUE(window_.cancel_enabled);
    EXPECT_EQ(window_.lbl2, u"" + Utf8ToUtf16(kProgress2));
    EXPECT_EQ(driver_.Tally().Count(PageOutcome::kStored), 1);
    EXPECT_EQ(driver_.State(), BatchState::kIdle);

    // Cancel enables Translate again; the next batch runs and unlocks the inputs at its end.
    window_.PressCancel();
    translator_.error_at.reset();
    window_.PressTranslate();
    EXPECT_THAT(window_.press_ends, ElementsAre(BatchEnd::kDone));
    EXPECT_EQ(window_.inputs, InputsState::kEnabled);
}

TEST_F(BatchTest, TranslatePressedWhileACancelledBatchIsStillRunningIsIgnored) {
    TwoPagesTwoLanguages();
    // The cancel comes during the part of the run that makes no poll step (the scroll
    // schedule): Translate is enabled at once, the batch stops some 15 s later.
    translator_.poll_steps = 1;
    translator_.during_call[0] = [this] {
        window_.PressCancel();
        signals_.SetCapturedHtml(u"<p>the running page</p>");
        window_.PressTranslate();
    };

    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kCancelled);

    EXPECT_THAT(window_.press_ends, ElementsAre(BatchEnd::kIgnored));
    EXPECT_EQ(signals_.CapturedHtml(), u"<p>the running page</p>");
    EXPECT_THAT(window_.Lines("buttons"), ElementsAre("running"));
    EXPECT_THAT(window_.Lines("message"), IsEmpty());
    EXPECT_THAT(CallNames(), ElementsAre("a.html fr"));

    // Once the handler has returned, Translate starts a batch again.
    translator_.during_call.clear();
    window_.PressTranslate();
    EXPECT_THAT(window_.press_ends, ElementsAre(BatchEnd::kIgnored, BatchEnd::kDone));
}

TEST_F(BatchTest, ExitDuringTheBatchLetsItRunToItsEnd) {
    TwoPagesTwoLanguages();
    translator_.during_call[0] = [this] { window_.Exit(); };
    window_.answer = OkCancel::kOk;

    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kDone);

    EXPECT_TRUE(window_.end_requested);
    EXPECT_FALSE(window_.flags.CancelRequested());
    EXPECT_EQ(translator_.calls.size(), 4u);
    EXPECT_THAT(window_.Lines("message"), ElementsAre(Summary(4, 0, 0)));
    EXPECT_THAT(window_.Lines("ask"), ElementsAre("Open the result directory?"));
}

TEST_F(BatchTest, ClosingTheWindowDuringTheBatchCancelsItAtTheNextCheck) {
    TwoPagesTwoLanguages();
    translator_.during_call[2] = [this] { window_.Close(); };

    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kCancelled);

    EXPECT_TRUE(window_.close_requested);
    EXPECT_THAT(CallNames(), ElementsAre("a.html fr", "a.html de", "b.html fr"));
    EXPECT_THAT(window_.Lines("message"), IsEmpty());
    EXPECT_EQ(BatchLog().back(), "reset");
}

TEST_F(BatchTest, TheResultFolderOpensOnlyOnOkAndOnlyWhenItExists) {
    struct Case {
        const char* name;
        OkCancel answer;
        bool root_exists;
        bool opens;
    };
    const Case cases[] = {
        {"OK, root exists", OkCancel::kOk, true, true},
        {"OK, root missing", OkCancel::kOk, false, false},
        {"Cancel, root exists", OkCancel::kCancel, true, false},
    };
    Row(u"a.html");
    window_.Tick(u"fr");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(At(u"program/result"));
        if (c.root_exists) {
            fs::create_directories(At(u"program/result"));
        }
        window_.log.clear();
        window_.answer = c.answer;

        EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kDone);

        const auto opened = window_.Lines("open");
        if (c.opens) {
            EXPECT_THAT(opened, ElementsAre(Utf16ToUtf8(ResultRoot())));
            EXPECT_EQ(BatchLog().back(), "open " + Utf16ToUtf8(ResultRoot()));
        } else {
            EXPECT_THAT(opened, IsEmpty());
            EXPECT_EQ(BatchLog().back(), "ask Open the result directory?");
        }
    }
}

TEST_F(BatchTest, NotCapturedCountsLikeSkippedAndTheEndSaysHowManyOfEach) {
    TwoPagesTwoLanguages();
    translator_.outcomes[{u"a.html", u"de"}] = PageOutcome::kSkipped;
    translator_.outcomes[{u"b.html", u"fr"}] = PageOutcome::kNotCaptured;

    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kDone);

    EXPECT_EQ(translator_.calls.size(), 4u);
    EXPECT_THAT(window_.Lines("message"), ElementsAre(Summary(2, 1, 1)));
    EXPECT_EQ(driver_.Tally().Count(PageOutcome::kNotCaptured), 1);
}

TEST_F(BatchTest, PagesNotTranslatedAreCountedAndNamedOnceAtTheEnd) {
    TwoPagesTwoLanguages();
    translator_.outcomes[{u"a.html", u"fr"}] = PageOutcome::kNotTranslated;
    translator_.outcomes[{u"b.html", u"fr"}] = PageOutcome::kNotTranslated;
    translator_.outcomes[{u"b.html", u"de"}] = PageOutcome::kNotTranslated;

    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kDone);

    const std::vector<std::string> messages = window_.Lines("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], StartsWith("Translate Done!\n\nPage-languages stored: 1\n"));
    EXPECT_THAT(messages[0], EndsWith("\n\nNot translated (nothing stored): 3\n"
                                      "a.html: fr\nb.html: fr, de"));
    // Said once: the count stands in the list's heading only.
    EXPECT_EQ(messages[0].find("3"), messages[0].rfind("3"));
    EXPECT_EQ(driver_.Tally().Count(PageOutcome::kStored), 1);
}

// The driver belongs to the thread that made it: a call of any of its methods from another
// thread is reported at its entry, naming it (where the build checks threads, as every test
// build does; elsewhere nothing is reported). The same calls from the owner report nothing.
TEST_F(BatchTest, EveryMethodReportsACallFromAnotherThread) {
    using Call = std::function<void(BatchDriver&)>;
    // No rows: a press is refused at once.
    const Example<Call, const char*> cases[] = {
        {"btnTranslateClick", [](BatchDriver& driver) { driver.btnTranslateClick(); },
         "BatchDriver::btnTranslateClick"},
        {"State", [](BatchDriver& driver) { driver.State(); }, "BatchDriver::State"},
        {"Tally", [](BatchDriver& driver) { driver.Tally(); }, "BatchDriver::Tally"},
        {"ResultRoot", [](BatchDriver& driver) { driver.ResultRoot(); }, "BatchDriver::ResultRoot"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> reports =
            ReportsFromAnotherThread([&] { c.input(driver_); });
        if (kThreadChecks) {
            ASSERT_THAT(reports, Not(IsEmpty()));
            EXPECT_THAT(reports.front(), HasSubstr(c.expected));
        } else {
            EXPECT_THAT(reports, IsEmpty());
        }
        EXPECT_THAT(ReportsFromThisThread([&] { c.input(driver_); }), IsEmpty());
    }
}

TEST_F(BatchTest, WhatStoringPassedOverIsNamedAtTheEnd) {
    TwoPagesTwoLanguages();
    const PassedOverEntry link{u"/site/a_files/shadow", kLeadsOutsideReason};
    translator_.passed_over[{u"a.html", u"fr"}] = {link};
    translator_.passed_over[{u"a.html", u"de"}] = {link};

    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kDone);

    const std::vector<std::string> messages = window_.Lines("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], EndsWith("\n\nNot copied: 2\n" + PassedOverMessage(link) + "\n" +
                                      PassedOverMessage(link)));
    // A new batch starts without them.
    translator_.passed_over.clear();
    EXPECT_EQ(driver_.btnTranslateClick(), BatchEnd::kDone);
    ASSERT_EQ(window_.Lines("message").size(), 2u);
    EXPECT_THAT(window_.Lines("message")[1], Not(HasSubstr("Not copied")));
}

// The batch over the real page run, with a scripted browser: files, temporary pages and the
// result tree on disk.
class BatchOverPageRunTest : public BatchTest {
  protected:
    BatchOverPageRunTest() {
        window_.driver = &page_driver_;
        browser_.delivery = std::make_pair(
            Ms(200),
            u"<html class=\"translated-ltr\"><head><title>t</title></head><body><p>done</p>"
            u"</body></html>");
    }

    ScriptedBrowser browser_{simulation_, signals_};
    PageRun run_{browser_, simulation_, simulation_, window_, signals_, window_.flags};
    PageRunTranslator page_translator_{run_};
    BatchDriver page_driver_{
        window_,       page_translator_,
        simulation_,   signals_,
        window_.flags, [this] { return folder_.Path(u"program") + SeparatorOf(kNativePathStyle); }};
};

TEST_F(BatchOverPageRunTest, StoresEveryPageLanguageWithItsResourcesAndLeavesNoTemporaryPage) {
    TwoPagesTwoLanguages(/*second_exists=*/false);
    fs::create_directories(At(u"site/a_files/img"));
    WriteBytes(At(u"site/a_files/img/logo.png"), "png");

    EXPECT_EQ(page_driver_.btnTranslateClick(), BatchEnd::kDone);

    for (const char* code : {"fr", "de"}) {
        SCOPED_TRACE(code);
        const fs::path folder = At(u"program/result/a.html") / code;
        EXPECT_THAT(ReadBytes(folder / "a.html"), HasSubstr("<p>done</p>"));
        EXPECT_EQ(ReadBytes(folder / "a_files/img/logo.png"), "png");
    }
    EXPECT_FALSE(fs::exists(At(u"program/result/b.html")));
    EXPECT_FALSE(fs::exists(At(u"site/a-temp.html")));
    EXPECT_THAT(NamesIn(At(u"site")), ElementsAre("a.html", "a_files"));
    EXPECT_THAT(window_.Lines("message"), ElementsAre(Summary(2, 0, 0)));
}

TEST_F(BatchOverPageRunTest, APageWithoutAPlaceForTheWidgetAdvancesTheLineAndStoresNothing) {
    WriteBytes(At(u"site/notes.txt"), "just words, no head and no body");
    window_.AddRow(Site(), u"notes.txt");
    window_.Tick(u"fr");
    window_.Tick(u"de");

    EXPECT_EQ(page_driver_.btnTranslateClick(), BatchEnd::kDone);

    EXPECT_THAT(browser_.Commands(), IsEmpty());
    EXPECT_THAT(window_.Lines("lbl2"), ElementsAre("0/2 Language(s)", kProgress1, kProgress2));
    EXPECT_FALSE(fs::exists(At(u"program/result")));
    EXPECT_THAT(NamesIn(At(u"site")), ElementsAre("notes.txt"));
    EXPECT_THAT(window_.Lines("message"), ElementsAre(Summary(0, 2, 0)));
}

}  // namespace
}  // namespace quillmoor::test_support
