// What became of each page-language of a command-line run: the records, their counts, the
// program's exit code and the JSON report.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"
#include "cli/run_plan.h"
#include "pipeline/page_outcome.h"
#include "pipeline/site_mirror.h"

namespace quillmoor::cli {

// Why a page-language was skipped.
enum class SkipReason {
    kNone,
    kNoPlaceForWidget,  // the page has neither <head nor <body
    kAlreadyStored,     // an earlier run stored it translated (see ResumeStateOf)
};

struct TaskRecord {
    PageTask task;
    PageOutcome outcome = PageOutcome::kFailed;
    SkipReason skip_reason = SkipReason::kNone;
    // The error's message for kFailed, UTF-8.
    std::string message;
    std::chrono::milliseconds time{0};
    // What the worker warned of (see ResultMessage::warnings), UTF-8.
    std::vector<std::string> warnings;
};

struct RunSummary {
    int stored = 0;
    int already_stored = 0;
    int skipped = 0;  // for no place for the widget
    int not_captured = 0;
    int not_translated = 0;
    int cancelled = 0;
    int failed = 0;
    int not_run = 0;  // planned but never reported: the run ended first
    // Folders below the input folders that could not be read: whatever pages they hold were
    // never planned. Not a count of page-languages (not among kSummaryCounts).
    int unread_folders = 0;
    // Site layout: 1 when a language tree was left incomplete (a mirror, a removal, the
    // alternate links or the manifest failed), else 0. Not among kSummaryCounts either.
    int incomplete_trees = 0;
};

// One count of a summary: its words in the progress lines, its key in the report, its field.
struct SummaryCount {
    std::string_view words;
    std::string_view key;
    int RunSummary::*field;
};

// Every count of a summary, in the summary's order.
inline constexpr SummaryCount kSummaryCounts[] = {
    {"stored", "stored", &RunSummary::stored},
    {"already stored", "already_stored", &RunSummary::already_stored},
    {"skipped", "skipped", &RunSummary::skipped},
    {"not captured", "not_captured", &RunSummary::not_captured},
    {"not translated", "not_translated", &RunSummary::not_translated},
    {"cancelled", "cancelled", &RunSummary::cancelled},
    {"failed", "failed", &RunSummary::failed},
    {"not run", "not_run", &RunSummary::not_run},
};

// What became of one language tree in a run.
struct LanguageTreeCounts {
    std::string code;
    int stored = 0;          // pages translated and stored by this run
    int already_stored = 0;  // pages an earlier run stored, unchanged since
    int not_stored = 0;      // pages of the run that have no current translation in the tree
    int removed = 0;         // results of pages that left the site, removed
    MirrorReport mirror;     // the site's other files
    bool mirror_failed = false;
};

// One line of the summary for a language tree of the site layout, out being the output
// folder as given: "result/fr: 3 stored, 154 already stored, 0 not stored; 412 files
// mirrored (410 linked, 2 copied), 0 as they were; 1 removed".
std::string LanguageTreeText(const LanguageTreeCounts& tree, std::string_view out);

// The counts of records; planned is the number of page-languages the run took on.
RunSummary Summarize(const std::vector<TaskRecord>& records, std::size_t planned);

// 0 when every planned page-language that can carry the widget is stored translated (now or
// by an earlier run), no input folder was left unread and no language tree left incomplete,
// 1 otherwise. Pages with no place
// for the widget do not count.
int ExitCodeFor(const RunSummary& summary);

// "no place for the widget", "already stored", or empty for kNone.
std::string_view SkipReasonText(SkipReason reason);

// The outcome of a record as the progress and the report name it: the page outcome's name,
// except "already stored" for one an earlier run stored (the summary's already_stored), so
// that "skipped" is left for pages with no place for the widget.
std::string_view OutcomeText(const TaskRecord& record);

// The text of value as a JSON string, quotes included. Bytes that are not UTF-8 become
// U+FFFD, so that the report stays valid JSON whatever a message holds.
std::string JsonString(std::string_view value);

// The report: the options that shape the run, the counts, the exit code, the wall time, the
// folders passed over (folder and reason), for the site layout the counts of each language
// tree, and one entry per record in plan order (file, source, language, result or null,
// outcome (see OutcomeText), reason for a skip or a page not translated, message for a
// failure, seconds).
std::string RunReportJson(const std::vector<TaskRecord>& records, const RunSummary& summary,
                          const CliOptions& options, std::chrono::milliseconds wall_time,
                          const std::vector<PassedOverFolder>& passed_over = {},
                          const std::vector<LanguageTreeCounts>& trees = {});

// Writes the report at path whole: path holds either its earlier content or all of json.
// Returns false and sets error (when given) to a message for the user when it cannot.
bool WriteRunReport(const std::string& path, const std::string& json, std::string* error);

}  // namespace quillmoor::cli
