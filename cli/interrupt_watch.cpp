#include "cli/interrupt_watch.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>

namespace quillmoor::cli {

namespace {

// Noted by the handler, seen by the watch; lock-free, as a handler needs.
std::atomic<int> interrupt_fd{-1};
std::atomic<int> interrupts{0};
std::atomic<int> request{static_cast<int>(StopRequest::kNone)};
std::atomic<int> last_signal{0};

extern "C" void OnStopSignal(int signal) {
    const bool first_interrupt = signal == SIGINT && interrupts.fetch_add(1) == 0;
    const int wanted =
        static_cast<int>(first_interrupt ? StopRequest::kGentle : StopRequest::kQuick);
    int now = request.load();
    while (now < wanted && !request.compare_exchange_weak(now, wanted)) {
    }
    last_signal.store(signal);
    const int fd = interrupt_fd.load();
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);
    }
}

}  // namespace

InterruptWatch::InterruptWatch() {
    if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
        fds_[0] = fds_[1] = -1;
    }
    interrupt_fd.store(fds_[1]);
    interrupts.store(0);
    request.store(static_cast<int>(StopRequest::kNone));
    last_signal.store(0);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &old_int_);
    ::sigaction(SIGTERM, &action, &old_term_);
    ::sigaction(SIGHUP, &action, &old_hup_);
    ::signal(SIGPIPE, SIG_IGN);
}

InterruptWatch::~InterruptWatch() {
    ::sigaction(SIGINT, &old_int_, nullptr);
    ::sigaction(SIGTERM, &old_term_, nullptr);
    ::sigaction(SIGHUP, &old_hup_, nullptr);
    interrupt_fd.store(-1);
    for (int fd : fds_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

StopRequest InterruptWatch::Requested() const {
    return static_cast<StopRequest>(request.load());
}

int InterruptWatch::LastSignal() const {
    return last_signal.load();
}

void InterruptWatch::Drain() const {
    char bytes[16];
    while (fds_[0] >= 0 && ::read(fds_[0], bytes, sizeof bytes) > 0) {
    }
}

const char* StopSignalName(int signal) {
    switch (signal) {
        case SIGINT:
            return "Ctrl-C";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "a signal";
    }
}

}  // namespace quillmoor::cli
