// The workers of a user's run: processes of the running executable in worker mode.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/worker_launcher.h"
#include "cli/worker_process.h"
#include "platform/no_copy.h"

namespace quillmoor::cli {

class ExecutableWorkerLauncher final : public WorkerLauncher {
  public:
    // Workers for a run with options: its timing, settle period and engine switches. Their
    // standard error is shown when the environment variable QUILLMOOR_CLI_WORKER_ERRORS is
    // set and not empty, and discarded otherwise.
    explicit ExecutableWorkerLauncher(const CliOptions& options);
    QUILLMOOR_NO_COPY(ExecutableWorkerLauncher);

    // Starts the executable in the folder it lies in: the engine looks for its files in the
    // working folder (the plan's paths are all absolute).
    std::unique_ptr<WorkerProcess> Launch() override;

  private:
    std::vector<std::string> arguments_;
    WorkerErrors errors_;
};

}  // namespace quillmoor::cli
