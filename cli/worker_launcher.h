// What starts the workers of a coordinated run.
#pragma once

#include <memory>

#include "cli/worker_process.h"

namespace quillmoor::cli {

// The coordinator asks for one worker at a time: one for each of the run's places at its
// start, and one more for each worker that ends before its time and is replaced.
class WorkerLauncher {
  public:
    virtual ~WorkerLauncher() = default;

    // A worker that has just started, its input open. Throws std::exception when none can
    // start; the message is for the user.
    virtual std::unique_ptr<WorkerProcess> Launch() = 0;
};

}  // namespace quillmoor::cli
