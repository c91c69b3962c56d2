#include "cli/progress_display.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "pipeline/page_outcome.h"

namespace quillmoor::cli {

namespace {

constexpr std::size_t kBarCells = 20;
// Back to the start of the line, and clear it from there to its end.
constexpr std::string_view kLineStart = "\r";
constexpr std::string_view kClearToEnd = "\x1b[K";

std::string TwoDigits(long long value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

// Columns that a UTF-8 text takes, one per character.
std::size_t Columns(std::string_view text) {
    std::size_t columns = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++columns;
        }
    }
    return columns;
}

// The end of a UTF-8 text that takes columns columns.
std::string LastColumns(std::string_view text, std::size_t columns) {
    std::size_t start = text.size();
    std::size_t taken = 0;
    while (start > 0 && taken < columns) {
        --start;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
            --start;
        }
        ++taken;
    }
    return std::string(text.substr(start));
}

// The page in hand is shown only with at least this much of its name.
constexpr std::size_t kShortestNameTail = 8;

// Tenths of a second: "2.4".
std::string TenthsText(std::chrono::milliseconds time) {
    const long long tenths = (std::max<long long>(0, time.count()) + 50) / 100;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// The counts of the bar, the most telling first: where the line is short of room, the
// last ones are left out. Those not run never show there.
std::vector<std::pair<std::string_view, int>> BarCountsOf(const RunSummary& summary) {
    constexpr int RunSummary::*kBarOrder[] = {
        &RunSummary::stored,        &RunSummary::failed,  &RunSummary::not_translated,
        &RunSummary::not_captured,  &RunSummary::skipped, &RunSummary::cancelled,
        &RunSummary::already_stored};
    std::vector<std::pair<std::string_view, int>> counts;
    for (const auto field : kBarOrder) {
        const auto count = std::find_if(std::begin(kSummaryCounts), std::end(kSummaryCounts),
                                        [&](const SummaryCount& c) { return c.field == field; });
        counts.emplace_back(count->words, summary.*field);
    }
    return counts;
}

// The text with its line breaks and tabs made blanks, for a one-line display.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\n' || c == '\r' || c == '\t') {
            c = ' ';
        }
    }
    return line;
}

}  // namespace

std::string DurationText(std::chrono::milliseconds duration) {
    const long long seconds = (std::max<long long>(0, duration.count()) + 999) / 1000;
    if (seconds < 60) {
        return std::to_string(seconds) + "s";
    }
    if (seconds < 3600) {
        return std::to_string(seconds / 60) + "m " + TwoDigits(seconds % 60) + "s";
    }
    const long long minutes = (seconds + 59) / 60;
    return std::to_string(minutes / 60) + "h " + TwoDigits(minutes % 60) + "m";
}

ProgressDisplay::ProgressDisplay(std::function<void(std::string_view)> write, ProgressStyle style,
                                 std::size_t total, Clock clock, ColumnSource columns)
    : write_(std::move(write)),
      style_(style),
      total_(total),
      clock_(std::move(clock)),
      columns_(std::move(columns)),
      start_(clock_()) {}

void ProgressDisplay::Started(const PageTask& task, int /*worker*/) {
    if (style_ != ProgressStyle::kBar) {
        return;
    }
    running_.push_back(
        {task.number, LanguageCodeText(task.language_index), OneLine(task.display_name)});
    DrawBar();
}

void ProgressDisplay::Finished(const TaskRecord& record) {
    ++finished_;
    const bool ran = !(record.outcome == PageOutcome::kSkipped &&
                       record.skip_reason == SkipReason::kAlreadyStored);
    if (ran) {
        ++finished_that_ran_;
    }
    const RunSummary one = Summarize({record}, 1);
    counts_.stored += one.stored;
    counts_.already_stored += one.already_stored;
    counts_.skipped += one.skipped;
    counts_.not_captured += one.not_captured;
    counts_.not_translated += one.not_translated;
    counts_.cancelled += one.cancelled;
    counts_.failed += one.failed;
    // Remaining page-languages take as long as those that ran took on average, over the
    // whole run (so that the workers running side by side are accounted for).
    finish_time_ = clock_();
    const std::size_t remaining = total_ > finished_ ? total_ - finished_ : 0;
    if (finished_that_ran_ > 0) {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(finish_time_ - start_);
        left_at_finish_ = elapsed * static_cast<long long>(remaining) /
                          static_cast<long long>(finished_that_ran_);
    }
    running_.erase(
        std::remove_if(running_.begin(), running_.end(),
                       [&](const InHand& entry) { return entry.number == record.task.number; }),
        running_.end());
    const bool unsuccessful = record.outcome == PageOutcome::kFailed ||
                              record.outcome == PageOutcome::kNotTranslated ||
                              record.outcome == PageOutcome::kNotCaptured;
    if (style_ == ProgressStyle::kBar && !unsuccessful && record.warnings.empty()) {
        DrawBar();
        return;
    }
    std::string line = "[" + std::to_string(finished_) + "/" + std::to_string(total_) + "] " +
                       std::string(OutcomeText(record)) + " " +
                       LanguageCodeText(record.task.language_index) + " " +
                       OneLine(record.task.display_name);
    if (ran) {
        line += " " + TenthsText(record.time) + " s";
    }
    if (record.outcome == PageOutcome::kSkipped &&
        record.skip_reason != SkipReason::kAlreadyStored &&
        record.skip_reason != SkipReason::kNone) {
        line += " (" + std::string(SkipReasonText(record.skip_reason)) + ")";
    }
    if ((record.outcome == PageOutcome::kNotTranslated ||
         record.outcome == PageOutcome::kNotCaptured) &&
        !record.message.empty()) {
        line += " (" + OneLine(record.message) + ")";
    }
    if (record.outcome == PageOutcome::kFailed && !record.message.empty()) {
        line += ": " + OneLine(record.message);
    }
    line += "\n";
    // What storing passed over (a link out of the page's folder, say), one line each.
    for (const std::string& warning : record.warnings) {
        line += "  warning: " + OneLine(warning) + "\n";
    }
    if (style_ == ProgressStyle::kBar) {
        // The line takes the bar's place, and the bar comes back below it.
        write_(std::string(kLineStart) + std::string(kClearToEnd) + line);
        bar_drawn_ = false;
        DrawBar();
        return;
    }
    write_(line);
}

void ProgressDisplay::Tick() {
    if (style_ == ProgressStyle::kBar) {
        DrawBar();
    }
}

void ProgressDisplay::Done(const RunSummary& summary, std::chrono::milliseconds wall) {
    std::string text;
    if (bar_drawn_) {
        text += kLineStart;
        text += kClearToEnd;
    }
    text += "Done in " + DurationText(wall) + ":";
    bool any = false;
    for (const SummaryCount& count : kSummaryCounts) {
        if (summary.*count.field > 0) {
            text += (any ? ", " : " ") + std::to_string(summary.*count.field) + " " +
                    std::string(count.words);
            any = true;
        }
    }
    if (!any) {
        text += " nothing to do";
    }
    if (summary.unread_folders > 0) {
        text += "; " + std::to_string(summary.unread_folders) +
                (summary.unread_folders == 1 ? " folder" : " folders") + " could not be read";
    }
    text += "\n";
    write_(text);
}

void ProgressDisplay::DrawBar() {
    const std::size_t columns = columns_ ? columns_() : 0;
    std::string text(kLineStart);
    text += BarLine((columns == 0 ? kDefaultTerminalColumns : columns) - 1);
    text += kClearToEnd;
    write_(text);
    bar_drawn_ = true;
}

std::string ProgressDisplay::BarLine(std::size_t width) const {
    const std::size_t filled =
        total_ == 0 ? kBarCells : std::min(kBarCells, finished_ * kBarCells / total_);
    std::string line = "[" + std::string(filled, '#') + std::string(kBarCells - filled, '.') +
                       "]  " + std::to_string(finished_) + "/" + std::to_string(total_);
    std::string tail;
    const std::size_t remaining = total_ > finished_ ? total_ - finished_ : 0;
    if (remaining > 0 && left_at_finish_) {
        const auto since =
            std::chrono::duration_cast<std::chrono::milliseconds>(clock_() - finish_time_);
        tail = "  ~" +
               DurationText(std::max(std::chrono::milliseconds(0), *left_at_finish_ - since)) +
               " left";
    }
    // Counts are shown while they fit the line; stored always (unless the line is too narrow
    // for anything), the others when there are some.
    for (const auto& [name, count] : BarCountsOf(counts_)) {
        if (count == 0 && name != "stored") {
            continue;
        }
        const std::string part = "  " + std::string(name) + " " + std::to_string(count);
        if (line.size() + part.size() + tail.size() > width) {
            break;
        }
        line += part;
    }
    line += tail;
    if (!running_.empty() && remaining > 0) {
        // The page in hand, its name cut at the front where the line is short of room.
        const InHand& now = running_.back();
        const std::string head = "  " + now.code + " ";
        const std::size_t used = Columns(line) + Columns(head);
        const std::size_t room = used < width ? width - used : 0;
        if (Columns(now.name) <= room) {
            line += head + now.name;
        } else if (room >= kShortestNameTail + 3) {
            line += head + "..." + LastColumns(now.name, room - 3);
        }
    }
    if (Columns(line) > width) {
        // A terminal narrower than the bar itself: its start (no page name in it, all ASCII).
        line.resize(width);
    }
    return line;
}

}  // namespace quillmoor::cli
