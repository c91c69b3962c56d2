// Ctrl-C, hang-up and termination while a run coordinates its workers: the signals are
// noted, and a file descriptor becomes readable, so that a loop waiting in poll() wakes up
// for them.
#pragma once

#include <signal.h>

#include "platform/no_copy.h"

namespace quillmoor::cli {

// What the signals that came ask of the run.
enum class StopRequest {
    kNone,
    // The first Ctrl-C: each worker ends its page-language under way (or cancels it), then
    // the run ends.
    kGentle,
    // A second Ctrl-C, SIGTERM or SIGHUP: the workers are told to stop, and those that have
    // not ended after a short grace are killed.
    kQuick,
};

// Installs handlers for SIGINT, SIGTERM and SIGHUP (and ignores SIGPIPE) while it lives, and
// puts the earlier handlers back at its end. One lives at a time. No signal of these ends
// the process: the run always ends by itself, with its summary and its report.
class InterruptWatch {
  public:
    InterruptWatch();
    ~InterruptWatch();
    QUILLMOOR_NO_COPY(InterruptWatch);

    // Readable once a signal came, until Drain.
    int Fd() const { return fds_[0]; }
    // The most urgent request since the watch began.
    StopRequest Requested() const;
    // The last signal that came, 0 before any.
    int LastSignal() const;
    // Reads what the handler wrote, so that Fd waits again.
    void Drain() const;

  private:
    int fds_[2] = {-1, -1};
    struct sigaction old_int_ {};
    struct sigaction old_term_ {};
    struct sigaction old_hup_ {};
};

// "Ctrl-C", "SIGTERM", "SIGHUP": the name of a stop signal for the user.
const char* StopSignalName(int signal);

}  // namespace quillmoor::cli
