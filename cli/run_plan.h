// The plan of a command-line run: every source page in every language asked for, in an
// order that is the same on every machine, with the place of each result.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace quillmoor::cli {

// One page in one language.
struct PageTask {
    // The task's position in the whole plan, before sharding (0-based).
    std::size_t number = 0;
    // The source's folder, ending with a separator, and its file name: a file list row.
    std::u16string path_text;
    std::u16string file_text;
    std::size_t language_index = 0;
    // The root that this source's results go under, ending with a separator.
    std::u16string result_root;
    // result_root, the file name, the language code and the file name, with separators.
    std::u16string result_path;
    // The source as the user knows it (the input as given, and for a file found in a folder
    // its path inside the folder), UTF-8: for the progress lines and the report.
    std::string display_name;
};

struct RunPlan {
    std::vector<PageTask> tasks;
    // A usage error found before anything started (one line for the user); the run ends
    // with exit code 2.
    std::string error;
};

// The plan of options: each input in the order given, a file as it is and a folder walked
// for its pages (see HelpText), each folder's pages sorted by their path inside it; for
// each source every language in catalogue order. A file reached twice is planned once.
// Makes the output folder (and checks that a file can be written in it and in the report's
// folder) only when everything else is right. Errors: a missing input, a folder without a
// page, two sources that would share a result, an output folder or report that cannot be
// written, a shard out of range.
RunPlan MakeRunPlan(const CliOptions& options);

// The share of tasks that shard takes: those whose number modulo shard.count is
// shard.index - 1, in plan order. Throws std::invalid_argument for a shard out of range.
std::vector<PageTask> ShardOf(const std::vector<PageTask>& tasks, ShardSpec shard);

// Whether the file name is that of a page that a folder offers: an extension the file
// list's first filter choice lists, in any case (.html, .HTM).
bool IsPageFileName(std::u16string_view file_name);

// Whether the file name is that of a temporary page the page run writes: base name, -temp,
// and optionally - and a hexadecimal number, before an .html or .htm extension.
bool HasTempPageName(std::u16string_view file_name);

}  // namespace quillmoor::cli
