// The plan of a command-line run: every source page in every language asked for, in an
// order that is the same on every machine, with the place of each result.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
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
    // How the result is laid out. In the site layout result_root is the output folder,
    // and the page lies at site_path inside the folder site_folder.
    ResultLayout layout = ResultLayout::kPerPage;
    std::u16string site_folder;
    std::u16string site_path;  // native separators
    // The source as the user knows it (the input as given, and for a file found in a folder
    // its path inside the folder), UTF-8: for the progress lines and the report.
    std::string display_name;
};

// The file that marks a folder as a run's output folder: planning writes it there, and a
// folder walk passes over every folder that holds it, so that the results of an earlier run
// are never taken for pages to translate.
inline constexpr std::u16string_view kOutputMarkName = u".quillmoor-output";

// Why a folder walk passed over a folder below an input folder.
enum class PassReason {
    kEarlierResults,  // it holds kOutputMarkName: another run's output folder
    kUnreadable,      // it cannot be listed; its pages are not in the plan
};

struct PassedOverFolder {
    // The folder as the user knows it: the input as given and its path inside it, UTF-8.
    std::string folder;
    PassReason reason = PassReason::kEarlierResults;
    // The system's reason for kUnreadable.
    std::string detail;
};

// What passing over the folder means for the user, without the program's name: "the folder
// 'site/out' holds the results of an earlier run", "cannot read the folder ...".
std::string PassedOverText(const PassedOverFolder& passed);

// An input of a site-layout run, whose files besides its pages are mirrored into each
// language tree.
struct SiteInput {
    // The folder given, or the folder of a file given on its own, absolute.
    std::u16string folder;
    // A file given on its own: only its resource folder is mirrored.
    std::u16string single_page;  // the file name, or empty for a folder given
    std::string display_name;
};

struct RunPlan {
    std::vector<PageTask> tasks;
    ResultLayout layout = ResultLayout::kPerPage;
    // The output folder, absolute.
    std::u16string out_folder;
    // The site layout's inputs, in the order given.
    std::vector<SiteInput> sites;
    // The folders below the input folders that the walk passed over, in the order met. A
    // folder that cannot be read leaves the run incomplete (exit code 1).
    std::vector<PassedOverFolder> passed_over;
    // A usage error found before anything started (one line for the user); the run ends
    // with exit code 2.
    std::string error;
};

// The plan of options: the layout options.layout or, unset, the site layout when an input
// is a folder; each input in the order given, a file as it is and a folder walked
// for its pages (see HelpText), each folder's pages sorted by their path inside it; for
// each source every language in catalogue order. A file reached twice is planned once.
// Every error is found before anything is made on disk: only then are the output folder and
// the report's folder made (when missing), checked for a file to be written in them, and the
// output folder marked with kOutputMarkName; should that fail, the folders made are removed
// again. Errors: a missing input, an input folder that cannot be read or that holds an
// earlier run's results, a folder without a page, two sources that would share a result, an
// output folder or report that cannot be written, a report that would overwrite an input (an
// input file, anything inside an input folder unless it lies in the output folder) or lie
// where a result goes, a shard out of range. Paths are compared with "." and ".." resolved
// and the symbolic links of their existing part followed.
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
