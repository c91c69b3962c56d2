// The worker's side of its standard input: the coordinator's lines, read on a thread of
// their own so that the page run, busy on the GUI thread, still hears a request to stop.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>

#include "cli/worker_protocol.h"
#include "pipeline/job_flags.h"
#include "platform/no_copy.h"

namespace quillmoor::cli {

class TaskFeed {
  public:
    // Reads lines from file descriptor fd until its end. A stop line, the end of the input
    // (the coordinator is gone) or a line that is not a task requests cancel in flags.
    // flags must outlive the process's reading: the worker's are.
    TaskFeed(int fd, JobFlags& flags);
    QUILLMOOR_NO_COPY(TaskFeed);

    // The next task, if one is waiting; never blocks (the caller keeps its messages going).
    std::optional<TaskMessage> TakeTask();
    // True once no task will come any more.
    bool Ended() const;

  private:
    // Shared with the reading thread, which may outlive the feed until the process ends.
    struct State {
        std::mutex mutex;
        std::deque<TaskMessage> tasks;  // guarded by mutex
        bool ended = false;             // guarded by mutex
    };
    static void Read(int fd, JobFlags& flags, const std::shared_ptr<State>& state);

    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace quillmoor::cli
