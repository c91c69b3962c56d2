// The command line's run: the plan, the workers, the progress, the report.
#pragma once

#include "cli/cli_options.h"
#include "cli/worker_launcher.h"

namespace quillmoor::cli {

// Plans the run (a usage error ends it with exit code 2 before anything starts), passes
// over the page-languages stored by an earlier run, has the rest translated by
// options.parallel workers, shows the progress and writes the report. Ctrl-C stops the run
// in good order: each worker finishes or cancels the page-language under way, removes its
// temporary page and ends; what was stored stays, and the next run goes on from there. A
// worker that ends in the middle of a page-language fails that one and is replaced, at most
// a few times per worker of the run and never when its engine could not start.
// Returns the exit code: 0 when every page-language of the run is stored translated, 1 when
// some are not, 2 for a usage error.
int RunCoordinator(const CliOptions& options);

// The same run with the workers that launcher starts instead of processes of this program.
int RunCoordinator(const CliOptions& options, WorkerLauncher& launcher);

}  // namespace quillmoor::cli
