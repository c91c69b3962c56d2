#include "cli/progress_display.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pipeline/language_catalogue.h"
#include "platform/utf.h"

namespace quillmoor::cli {
namespace {

using namespace std::chrono_literals;
using Time = std::chrono::steady_clock::time_point;

std::size_t Lang(std::string_view code) {
    const auto& codes = LanguageCodes();
    return static_cast<std::size_t>(std::find(codes.begin(), codes.end(), Utf8ToUtf16(code)) -
                                    codes.begin());
}

PageTask Task(std::size_t number, std::string name, std::string_view code) {
    PageTask task;
    task.number = number;
    task.display_name = std::move(name);
    task.language_index = Lang(code);
    return task;
}

TaskRecord Record(const PageTask& task, PageOutcome outcome, std::chrono::milliseconds time,
                  SkipReason reason = SkipReason::kNone, std::string message = "") {
    TaskRecord record;
    record.task = task;
    record.outcome = outcome;
    record.time = time;
    record.skip_reason = reason;
    record.message = std::move(message);
    return record;
}

// A display writing into a list of strings, on a clock the test moves.
class ProgressTest : public ::testing::Test {
  protected:
    ProgressDisplay Make(ProgressStyle style, std::size_t total) {
        return ProgressDisplay([this](std::string_view text) { written_.emplace_back(text); },
                               style, total, [this] { return now_; }, [this] { return columns_; });
    }
    std::string Last() const { return written_.empty() ? "" : written_.back(); }

    Time now_{std::chrono::hours(1000)};
    std::size_t columns_ = 0;  // unknown: 80
    std::vector<std::string> written_;
};

TEST_F(ProgressTest, LinesTellEachFinishedPageLanguage) {
    ProgressDisplay display = Make(ProgressStyle::kLines, 6);
    const PageTask a = Task(0, "site/index.html", "fr");
    display.Started(a, 0);
    display.Tick();
    EXPECT_TRUE(written_.empty());
    display.Finished(Record(a, PageOutcome::kStored, 2449ms));
    display.Finished(Record(Task(1, "site/index.html", "zh-CN"), PageOutcome::kSkipped, 3ms,
                            SkipReason::kAlreadyStored));
    display.Finished(Record(Task(2, "bare.html", "de"), PageOutcome::kSkipped, 12ms,
                            SkipReason::kNoPlaceForWidget));
    display.Finished(Record(Task(3, "a b.html", "fr"), PageOutcome::kFailed, 51ms,
                            SkipReason::kNone, "Cannot read \"a b.html\":\nAccess denied"));
    display.Finished(Record(Task(4, "x.html", "ja"), PageOutcome::kNotTranslated, 72000ms,
                            SkipReason::kNone, "the widget did not answer"));
    display.Finished(Record(Task(5, "y.html", "de"), PageOutcome::kNotCaptured, 1000ms,
                            SkipReason::kNone, "the page did not load"));
    RunSummary unread;
    unread.unread_folders = 2;
    display.Done(unread, 75s);
    EXPECT_THAT(written_,
                ::testing::ElementsAre(
                    "[1/6] stored fr site/index.html 2.4 s\n",
                    "[2/6] already stored zh-CN site/index.html\n",
                    "[3/6] skipped de bare.html 0.0 s (no place for the widget)\n",
                    "[4/6] failed fr a b.html 0.1 s: Cannot read \"a b.html\": Access denied\n",
                    "[5/6] not translated ja x.html 72.0 s (the widget did not answer)\n",
                    "[6/6] not captured de y.html 1.0 s (the page did not load)\n",
                    "Done in 1m 15s: nothing to do; 2 folders could not be read\n"));
}

TEST_F(ProgressTest, TheBarCountsAndCountsTheTimeLeftDown) {
    ProgressDisplay display = Make(ProgressStyle::kBar, 8);
    const Time start = now_;
    const PageTask first = Task(0, "index.html", "fr");
    display.Started(first, 0);
    EXPECT_EQ(Last(), "\r[....................]  0/8  stored 0  fr index.html\x1b[K");
    // An already stored one takes no time: still no estimate.
    display.Finished(Record(Task(1, "index.html", "de"), PageOutcome::kSkipped, 0ms,
                            SkipReason::kAlreadyStored));
    EXPECT_EQ(Last(),
              "\r[##..................]  1/8  stored 0  already stored 1  fr index.html\x1b[K");
    now_ = start + 20s;
    display.Finished(Record(first, PageOutcome::kStored, 20s));
    // 20 s for one page-language that ran, 6 to go.
    EXPECT_EQ(Last(),
              "\r[#####...............]  2/8  stored 1  already stored 1  ~2m 00s left\x1b[K");
    now_ = start + 50s;
    display.Tick();
    EXPECT_EQ(Last(),
              "\r[#####...............]  2/8  stored 1  already stored 1  ~1m 30s left\x1b[K");
    now_ = start + 60s;
    display.Started(Task(2, "a.htm", "fr"), 0);
    display.Started(Task(3, "a.htm", "de"), 1);
    display.Finished(Record(Task(3, "a.htm", "de"), PageOutcome::kStored, 40s));
    // 60 s for two that ran, 5 to go; the one still in hand shows where there is room.
    EXPECT_EQ(Last(),
              "\r[#######.............]  3/8  stored 2  already stored 1  ~2m 30s left  fr "
              "a.htm\x1b[K");
    // Without room for a useful part of the name, the line leaves the page in hand out.
    display.Started(Task(4, "a-longer-name.html", "fr"), 1);
    EXPECT_EQ(Last(),
              "\r[#######.............]  3/8  stored 2  already stored 1  ~2m 30s left\x1b[K");
    // An estimate that ran out stays at nothing.
    now_ = start + 1h;
    display.Tick();
    EXPECT_THAT(Last(), ::testing::HasSubstr("  ~0s left"));
    display.Done(Summarize({Record(first, PageOutcome::kStored, 20s)}, 8), 3600s + 192s);
    EXPECT_EQ(Last(), "\r\x1b[KDone in 1h 04m: 1 stored, 7 not run\n");
}

TEST_F(ProgressTest, TheBarShowsTheLatestPageInHandCutAtTheFront) {
    ProgressDisplay display = Make(ProgressStyle::kBar, 3);
    display.Started(Task(0, "site/index.html", "fr"), 0);
    EXPECT_EQ(Last(), "\r[....................]  0/3  stored 0  fr site/index.html\x1b[K");
    // 49 columns of name where 34 are left: the end of it, by characters, not bytes.
    const std::string long_name = std::string(40, 'd') + "/\xC3\xA9t\xC3\xA9.html";
    display.Started(Task(1, long_name, "zh-CN"), 1);
    EXPECT_EQ(Last(), "\r[....................]  0/3  stored 0  zh-CN ..." + std::string(22, 'd') +
                          "/\xC3\xA9t\xC3\xA9.html\x1b[K");
    display.Finished(Record(Task(1, long_name, "zh-CN"), PageOutcome::kStored, 1s));
    EXPECT_EQ(Last(),
              "\r[######..............]  1/3  stored 1  ~0s left  fr site/index.html\x1b[K");
    display.Finished(Record(Task(0, "site/index.html", "fr"), PageOutcome::kStored, 1s));
    EXPECT_EQ(Last(), "\r[#############.......]  2/3  stored 2  ~0s left\x1b[K");
}

TEST_F(ProgressTest, TheBarFitsEightyColumns) {
    ProgressDisplay display = Make(ProgressStyle::kBar, 10000);
    const PageTask task = Task(0, std::string(60, 'x') + "/\xE9\xA1\xB5.html", "zh-CN");
    const PageOutcome outcomes[] = {PageOutcome::kStored,        PageOutcome::kNotCaptured,
                                    PageOutcome::kNotTranslated, PageOutcome::kCancelled,
                                    PageOutcome::kFailed,        PageOutcome::kSkipped};
    std::size_t number = 1;
    for (int round = 0; round < 300; ++round) {
        for (const PageOutcome outcome : outcomes) {
            now_ += 1s;
            display.Started(task, 0);
            PageTask done = task;
            done.number = number++;
            display.Finished(Record(done, outcome, 1s));
        }
    }
    display.Finished(
        Record(Task(number, "a", "fr"), PageOutcome::kSkipped, 0s, SkipReason::kAlreadyStored));
    display.Tick();
    std::string line = Last();
    ASSERT_THAT(line, ::testing::StartsWith("\r"));
    ASSERT_THAT(line, ::testing::EndsWith("\x1b[K"));
    line = line.substr(1, line.size() - 4);
    EXPECT_LE(line.size(), kBarLineWidth) << line;
    EXPECT_THAT(line, ::testing::StartsWith("[##"));
    // The counts that tell most come first; what does not fit is left out.
    EXPECT_THAT(line, ::testing::HasSubstr("1801/10000  stored 300  failed 300  ~"));
    EXPECT_THAT(line, ::testing::EndsWith("left"));
}

// On a terminal, a page-language that did not succeed gets its own line above the bar, with
// its page, language and reason; those that did only move the bar.
TEST_F(ProgressTest, TheBarTellsWhatDidNotSucceedAboveItself) {
    ProgressDisplay display = Make(ProgressStyle::kBar, 6);
    display.Finished(Record(Task(0, "a.html", "fr"), PageOutcome::kStored, 1s));
    display.Finished(Record(Task(1, "a.html", "de"), PageOutcome::kCancelled, 1s));
    display.Finished(
        Record(Task(2, "b.html", "fr"), PageOutcome::kSkipped, 1s, SkipReason::kNoPlaceForWidget));
    EXPECT_EQ(written_.size(), 3u);
    const struct {
        PageOutcome outcome;
        const char* line;
    } cases[] = {
        {PageOutcome::kFailed, "[4/6] failed ja c.html 1.0 s: cannot read c.html\n"},
        {PageOutcome::kNotTranslated,
         "[5/6] not translated ja c.html 1.0 s (cannot read c.html)\n"},
        {PageOutcome::kNotCaptured, "[6/6] not captured ja c.html 1.0 s (cannot read c.html)\n"},
    };
    std::size_t number = 3;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        written_.clear();
        display.Finished(Record(Task(number++, "c.html", "ja"), c.outcome, 1s, SkipReason::kNone,
                                "cannot read c.html"));
        ASSERT_EQ(written_.size(), 2u);
        // The bar's line is cleared for it, and the bar drawn again below.
        EXPECT_EQ(written_[0], std::string("\r\x1b[K") + c.line);
        EXPECT_THAT(written_[1], ::testing::StartsWith("\r["));
    }
}

// What storing passed over (a link out of the page's folder) is said under the page's line,
// above the bar too, even when the page was stored.
TEST_F(ProgressTest, WarningsOfAStoredPageAreSaid) {
    for (const ProgressStyle style : {ProgressStyle::kLines, ProgressStyle::kBar}) {
        written_.clear();
        ProgressDisplay display = Make(style, 1);
        TaskRecord record = Record(Task(0, "leak.html", "fr"), PageOutcome::kStored, 1s);
        record.warnings = {"Passed over \"leak_files/shadow\": it leads out of the page's folder"};
        display.Finished(record);
        ASSERT_FALSE(written_.empty());
        EXPECT_THAT(written_[0],
                    ::testing::EndsWith("[1/1] stored fr leak.html 1.0 s\n  warning: Passed over "
                                        "\"leak_files/shadow\": it leads out of the page's "
                                        "folder\n"));
    }
}

// The bar fits the terminal's width as it is at each redraw.
TEST_F(ProgressTest, TheBarFollowsTheTerminalsWidth) {
    ProgressDisplay display = Make(ProgressStyle::kBar, 4);
    const std::string name = std::string(100, 'n') + ".html";
    const std::string start = "[....................]  0/4  stored 0  fr ";
    const struct {
        std::size_t columns;
        std::string line;
    } cases[] = {
        {0, start + "..." + name.substr(name.size() - (79 - start.size() - 3))},
        {200, start + name},
        {60, start + "..." + name.substr(name.size() - (59 - start.size() - 3))},
        // No room for a useful part of the name: left out.
        {50, "[....................]  0/4  stored 0"},
        // Narrower than the bar itself: its start.
        {20, "[.................."},
        {1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.columns);
        columns_ = c.columns;
        if (written_.empty()) {
            display.Started(Task(0, name, "fr"), 0);
        } else {
            display.Tick();
        }
        EXPECT_EQ(Last(), "\r" + c.line + "\x1b[K");
    }
}

TEST(Durations, ForPeople) {
    const struct {
        std::chrono::milliseconds duration;
        const char* text;
    } cases[] = {
        {0ms, "0s"},         {1ms, "1s"},       {1000ms, "1s"},      {59s, "59s"},
        {59001ms, "1m 00s"}, {60s, "1m 00s"},   {130s, "2m 10s"},    {3599s, "59m 59s"},
        {3600s, "1h 00m"},   {3601s, "1h 01m"}, {90000s, "25h 00m"}, {-5s, "0s"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DurationText(c.duration), c.text) << c.duration.count();
    }
}

}  // namespace
}  // namespace quillmoor::cli
