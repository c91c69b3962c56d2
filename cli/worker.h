// The worker: one process of the command line with its own engine and hidden browser. It
// takes page-languages from the coordinator on its standard input, runs each through the
// page run and answers with its outcome on its standard output.
#pragma once

#include "cli/cli_options.h"

namespace quillmoor::cli {

// Runs the worker until its input ends or asks it to stop; returns the process's exit code.
// argc and argv are main's: the engine takes its switches from them.
int RunWorker(int argc, char** argv, const CliOptions& options);

}  // namespace quillmoor::cli
