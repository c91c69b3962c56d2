#include "cli/interrupt_watch.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>

namespace quillmoor::cli {

namespace {

// Noted by the handler, seen by the watch.
std::atomic<int> interrupt_fd{-1};
std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) {
    interrupted.store(true);
    const int fd = interrupt_fd.load();
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);
    }
    ::signal(SIGINT, SIG_DFL);
}

}  // namespace

InterruptWatch::InterruptWatch() {
    if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
        fds_[0] = fds_[1] = -1;
    }
    interrupt_fd.store(fds_[1]);
    interrupted.store(false);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &old_int_);
    ::sigaction(SIGTERM, &action, &old_term_);
    ::signal(SIGPIPE, SIG_IGN);
}

InterruptWatch::~InterruptWatch() {
    ::sigaction(SIGINT, &old_int_, nullptr);
    ::sigaction(SIGTERM, &old_term_, nullptr);
    interrupt_fd.store(-1);
    for (int fd : fds_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool InterruptWatch::Interrupted() const {
    return interrupted.load();
}

void InterruptWatch::Drain() const {
    char bytes[16];
    while (fds_[0] >= 0 && ::read(fds_[0], bytes, sizeof bytes) > 0) {
    }
}

}  // namespace quillmoor::cli
