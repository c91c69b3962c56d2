// The command line's run: the plan, the workers, the progress, the report.
#pragma once

#include "cli/cli_options.h"

namespace quillmoor::cli {

// Plans the run (a usage error ends it with exit code 2 before anything starts), passes
// over the page-languages stored by an earlier run, has the rest translated by
// options.parallel workers, shows the progress and writes the report. Ctrl-C stops the run
// in good order: each worker finishes or cancels the page-language under way, removes its
// temporary page and ends; what was stored stays, and the next run goes on from there.
// Returns the exit code: 0 when every page-language of the run is stored translated, 1 when
// some are not, 2 for a usage error.
int RunCoordinator(const CliOptions& options);

}  // namespace quillmoor::cli
