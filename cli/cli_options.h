// The command line of the command-line translator: what the user asks for, read from the
// program's arguments, and the help text that documents it.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/result_layout.h"
#include "pipeline/wait_timing.h"

namespace quillmoor::cli {

// The name the program's messages start with.
inline constexpr std::string_view kProgramName = "quillmoor-cli";

// The first argument that makes the program a worker of a coordinating run.
inline constexpr std::string_view kWorkerArgument = "--quillmoor-worker";

// The options that a worker reads from its command line, as the user's run does.
inline constexpr std::string_view kTimingOption = "--timing";
inline constexpr std::string_view kSettleOption = "--settle";

// The limits of --settle and --parallel.
inline constexpr std::chrono::milliseconds kMinSettlePeriod{50};
inline constexpr std::chrono::milliseconds kMaxSettlePeriod{10000};
inline constexpr int kMaxParallel = 16;

// How progress is shown: a bar redrawn in place, or one line per finished page-language.
// kAuto takes the bar when the output is a terminal.
enum class ProgressStyle { kAuto, kBar, kLines };

// Whether a page-language that was already stored translated is done again.
enum class RedoPolicy { kResume, kForce };

// Which share of the plan a run takes: the page-languages whose plan position modulo count
// is index - 1. index is 1-based, 1..count.
struct ShardSpec {
    int index = 1;
    int count = 1;
};

struct CliOptions {
    // The files and folders to translate, as given.
    std::vector<std::string> inputs;
    // Catalogue indices (see LanguageCodes), in catalogue order, without duplicates.
    std::vector<std::size_t> languages;
    std::string out = "result";
    // How results are laid out; unset: the site layout when a folder is among the inputs,
    // else the per-page one.
    std::optional<ResultLayout> layout;
    // The address the source site is published at, for the alternate links of the site
    // layout's pages; empty for none.
    std::string base_url;
    WaitTiming timing = WaitTiming::kFast;
    std::chrono::milliseconds settle_period = kDefaultSettlePeriod;
    int parallel = 1;
    RedoPolicy redo = RedoPolicy::kResume;
    ShardSpec shard;
    // The report file; empty when no report is asked for.
    std::string report;
    // Switches handed to the engine as they are, such as --proxy-server=host:port.
    std::vector<std::string> engine_switches;
    ProgressStyle progress = ProgressStyle::kAuto;
};

enum class CliCommand { kRun, kHelp, kVersion, kWorker };

struct ParsedCommandLine {
    CliCommand command = CliCommand::kRun;
    CliOptions options;
    // A usage error: one line for the user, starting with the program's name. When it is
    // not empty, nothing is run and the program ends with exit code 2.
    std::string error;
};

// Reads the program's arguments (without the program's own path). Options take their value
// as the next argument or after "=" (--out=dir); "--" ends the options, and everything
// after it is an input. -h/--help and --version win over everything else before "--". In
// worker mode (first argument --quillmoor-worker) only --timing and --settle are read;
// every other argument belongs to the engine and is passed over.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The arguments that start a worker of a run with options (without the program's own path):
// kWorkerArgument, the timing and the settle period as ParseCommandLine reads them back, and
// the engine's switches.
std::vector<std::string> WorkerArguments(const CliOptions& options);

// The text of --help: every option, the language codes and examples, sharding among them.
std::string HelpText();

// The text of --version: the program's name and version.
std::string VersionText();

// The language code of catalogue index as UTF-8.
std::string LanguageCodeText(std::size_t index);

// "site" or "per-page", and back (nothing for another name).
std::string_view ResultLayoutName(ResultLayout layout);
std::optional<ResultLayout> ResultLayoutNamed(std::string_view name);

// "fast" or "full".
std::string_view WaitTimingName(WaitTiming timing);

}  // namespace quillmoor::cli
