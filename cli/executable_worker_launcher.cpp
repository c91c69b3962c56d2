#include "cli/executable_worker_launcher.h"

#include <cstdlib>

#include "platform/program_location.h"
#include "platform/utf.h"

namespace quillmoor::cli {

namespace {

WorkerErrors WorkerErrorsWanted() {
    const char* shown = std::getenv("QUILLMOOR_CLI_WORKER_ERRORS");
    return shown != nullptr && *shown != '\0' ? WorkerErrors::kShown : WorkerErrors::kDiscarded;
}

}  // namespace

ExecutableWorkerLauncher::ExecutableWorkerLauncher(const CliOptions& options)
    : arguments_(WorkerArguments(options)), errors_(WorkerErrorsWanted()) {}

std::unique_ptr<WorkerProcess> ExecutableWorkerLauncher::Launch() {
    return WorkerProcess::Start(Utf16ToUtf8(RunningProgramPath()), arguments_,
                                Utf16ToUtf8(RunningProgramFolder()), errors_);
}

}  // namespace quillmoor::cli
