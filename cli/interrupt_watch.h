// Ctrl-C and termination while a run coordinates its workers: the signals are noted, and a
// file descriptor becomes readable, so that a loop waiting in poll() wakes up for them.
#pragma once

#include <signal.h>

#include "platform/no_copy.h"

namespace quillmoor::cli {

// Installs handlers for SIGINT and SIGTERM (and ignores SIGPIPE) while it lives, and puts the
// earlier handlers of SIGINT and SIGTERM back at its end. One lives at a time. After the
// first SIGINT, a second one ends the process at once: its workers see their input end and
// stop by themselves.
class InterruptWatch {
  public:
    InterruptWatch();
    ~InterruptWatch();
    QUILLMOOR_NO_COPY(InterruptWatch);

    // Readable once a signal came, until Drain.
    int Fd() const { return fds_[0]; }
    // Whether a signal came since the watch began.
    bool Interrupted() const;
    // Reads what the handler wrote, so that Fd waits again.
    void Drain() const;

  private:
    int fds_[2] = {-1, -1};
    struct sigaction old_int_ {};
    struct sigaction old_term_ {};
};

}  // namespace quillmoor::cli
