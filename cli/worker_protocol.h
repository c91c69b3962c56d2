// The lines that the coordinator of a run and its worker processes exchange through the
// workers' standard input and output: tasks to the worker, results back. Each message is one
// line of tab-separated fields led by its kind; backslash, tab, CR and LF inside a field are
// written as \\, \t, \r and \n; paths are UTF-8.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/run_report.h"
#include "pipeline/page_outcome.h"
#include "pipeline/result_layout.h"

namespace quillmoor::cli {

struct TaskMessage {
    std::size_t number = 0;
    std::u16string path_text;
    std::u16string file_text;
    std::u16string result_root;
    std::size_t language_index = 0;
    // The site layout stores the page at result_root, the language code and site_path.
    ResultLayout layout = ResultLayout::kPerPage;
    std::u16string site_path;

    friend bool operator==(const TaskMessage&, const TaskMessage&) = default;
};

struct ResultMessage {
    std::size_t number = 0;
    PageOutcome outcome = PageOutcome::kFailed;
    SkipReason skip_reason = SkipReason::kNone;
    std::string message;
    std::chrono::milliseconds time{0};
    // What the user should know of a page-language that went through all the same: the
    // resource entries that storing passed over (see PassedOverMessage), one line each.
    std::vector<std::string> warnings;

    friend bool operator==(const ResultMessage&, const ResultMessage&) = default;
};

// Coordinator to worker: cancel what is in hand and end.
inline constexpr std::string_view kStopLine = "stop";
// Worker to coordinator: the engine started; tasks may come.
inline constexpr std::string_view kReadyLine = "ready";

// One line each, ending with "\n".
std::string EncodeTask(const TaskMessage& task);
std::string EncodeResult(const ResultMessage& result);
// Worker to coordinator: the engine did not start, with the reason.
std::string EncodeStartFailure(std::string_view message);

// A result's warnings follow its message, a field each.
// The message of a line (without its "\n"; a CR left at its end is passed over). Nothing
// for a line of another kind or one that is malformed: a wrong number of fields, a bad
// escape, a number that is not one, a language outside the catalogue, a path that is not
// UTF-8, an unknown outcome.
std::optional<TaskMessage> DecodeTask(std::string_view line);
std::optional<ResultMessage> DecodeResult(std::string_view line);
std::optional<std::string> DecodeStartFailure(std::string_view line);

}  // namespace quillmoor::cli
