// The progress of a command-line run: a bar redrawn in place on a terminal, or one line per
// finished page-language where the output is kept (a file, a CI log).
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/cli_options.h"
#include "cli/run_plan.h"
#include "cli/run_report.h"

namespace quillmoor::cli {

// The columns of a terminal whose width is not known, and the width of the bar's line there:
// one column less, so that the line never reaches the last column and wraps.
inline constexpr std::size_t kDefaultTerminalColumns = 80;
inline constexpr std::size_t kBarLineWidth = kDefaultTerminalColumns - 1;

// "45s", "2m 10s", "1h 05m": a duration for people, in whole seconds rounded up.
std::string DurationText(std::chrono::milliseconds duration);

// Used by the thread that made it; it writes only through write.
class ProgressDisplay {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    // The terminal's width in columns, 0 when it is not known.
    using ColumnSource = std::function<std::size_t()>;

    // style is kBar or kLines (the caller resolves kAuto; left as it is, it shows lines); total is
    // the number of page-languages of the run. The run's time counts from now. The bar asks
    // columns before each redraw, so that it follows a terminal whose width changes; without
    // it, or while it answers 0, the bar fits kDefaultTerminalColumns.
    ProgressDisplay(std::function<void(std::string_view)> write, ProgressStyle style,
                    std::size_t total, Clock clock, ColumnSource columns = nullptr);

    // A worker took a task. The bar shows it as the one in hand; lines show nothing.
    void Started(const PageTask& task, int worker);
    // A task ended: a line tells the outcome, with its page, language and reason; the bar
    // shows only the lines of page-languages that did not succeed (failed, not translated,
    // not captured), above itself, and moves its counts.
    void Finished(const TaskRecord& record);
    // Redraws the bar, so that the expected time left counts down; lines do nothing.
    void Tick();
    // The summary of the run, after the bar is cleared; folders left unread are named in it.
    void Done(const RunSummary& summary, std::chrono::milliseconds wall);

  private:
    void DrawBar();
    std::string BarLine(std::size_t width) const;

    std::function<void(std::string_view)> write_;
    ProgressStyle style_;
    std::size_t total_;
    Clock clock_;
    ColumnSource columns_;
    std::chrono::steady_clock::time_point start_;
    std::size_t finished_ = 0;
    // Finished tasks that really ran the browser (an already stored one takes no time).
    std::size_t finished_that_ran_ = 0;
    RunSummary counts_;
    // The expected time left as worked out at the last finish, and when that was; the bar
    // counts it down between finishes.
    std::optional<std::chrono::milliseconds> left_at_finish_;
    std::chrono::steady_clock::time_point finish_time_;
    // The tasks in hand, by number, in the order they started: the bar shows the last.
    struct InHand {
        std::size_t number;
        std::string code;
        std::string name;
    };
    std::vector<InHand> running_;
    bool bar_drawn_ = false;
};

}  // namespace quillmoor::cli
