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
// second Ctrl-C, SIGTERM or SIGHUP stops it quickly: the workers are told to stop and killed
// when they have not ended after a few seconds. Every stop ends with the summary and the
// report, what was left undone in it. A
// worker that ends in the middle of a page-language fails that one and is replaced, at most
// a few times per worker of the run and never when its engine could not start.
// Folders below the input folders that hold an earlier run's results or cannot be read are
// passed over, each with a line; one that cannot be read makes the run incomplete.
// Returns the exit code: 0 when every page-language of the run is stored translated, 1 when
// some are not (or a folder could not be read), 2 for a usage error.
int RunCoordinator(const CliOptions& options);

// The same run with the workers that launcher starts instead of processes of this program.
int RunCoordinator(const CliOptions& options, WorkerLauncher& launcher);

}  // namespace quillmoor::cli
