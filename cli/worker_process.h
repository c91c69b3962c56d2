// A worker as the coordinator sees it: a child process of the same executable, fed through
// a pipe on its standard input and heard through one on its standard output.
#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/no_copy.h"

namespace quillmoor::cli {

// Where a worker's standard error goes.
enum class WorkerErrors { kDiscarded, kShown };

// How a worker process ended.
struct WorkerExit {
    int code = 0;                  // its exit code, when it exited
    int signal = 0;                // the signal that ended it, or 0
    std::string Describe() const;  // "exit code 3", "signal 9"
};

class WorkerProcess {
  public:
    // Starts program with arguments (the program's own name not among them) in folder and
    // in a process group of its own, so that a Ctrl-C at the terminal reaches only the
    // coordinator, which stops the workers in good order. Throws std::runtime_error when it
    // cannot start.
    static std::unique_ptr<WorkerProcess> Start(const std::string& program,
                                                const std::vector<std::string>& arguments,
                                                const std::string& folder, WorkerErrors errors);
    ~WorkerProcess();
    QUILLMOOR_NO_COPY(WorkerProcess);

    pid_t Pid() const { return pid_; }
    // The end of the worker's standard output to wait on.
    int OutputFd() const { return output_fd_; }

    // Writes line to the worker's input; false when the worker no longer reads.
    bool Send(const std::string& line);
    // Closes the worker's input: it ends once its page-language under way is done.
    void CloseInput();
    // Reads what the worker has written and returns the whole lines among it, without their
    // line breaks. Sets Ended once the output is closed.
    std::vector<std::string> ReadLines();
    bool OutputEnded() const { return output_ended_; }
    // Ends the worker and its engine's processes at once (SIGKILL to its process group); its
    // output ends, and Wait then returns.
    void Kill();
    // Waits for the process to end.
    WorkerExit Wait();

  private:
    WorkerProcess(pid_t pid, int input_fd, int output_fd)
        : pid_(pid), input_fd_(input_fd), output_fd_(output_fd) {}

    pid_t pid_;
    int input_fd_;
    int output_fd_;
    std::string pending_;
    bool output_ended_ = false;
    std::optional<WorkerExit> exit_;
};

}  // namespace quillmoor::cli
