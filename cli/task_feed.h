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
    // (the coordinator is gone) or a line that is not a task requests cancel in flags, as
    // long as the feed lives: flags must outlive the feed, not its reading thread.
    TaskFeed(int fd, JobFlags& flags);
    // Withdraws the flags from the reading thread, which may go on waiting for input until
    // the process ends but touches nothing of the caller's any more.
    ~TaskFeed();
    QUILLMOOR_NO_COPY(TaskFeed);

    // The next task, if one is waiting; never blocks (the caller keeps its messages going).
    std::optional<TaskMessage> TakeTask();
    // True once no task will come any more.
    bool Ended() const;

  private:
    // Shared with the reading thread, which may outlive the feed until the process ends.
    struct State {
        explicit State(JobFlags& job_flags) : flags(&job_flags) {}
        std::mutex mutex;
        std::deque<TaskMessage> tasks;  // guarded by mutex
        bool ended = false;             // guarded by mutex
        JobFlags* flags;                // guarded by mutex; null once the feed is gone
    };
    static void Read(int fd, const std::shared_ptr<State>& state);

    std::shared_ptr<State> state_;
};

}  // namespace quillmoor::cli
