#include "bridge/engine_thread.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <future>
#include <system_error>

namespace quillmoor::bridge {

EngineThread::EngineThread() {
    wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_fd_ < 0) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
    // The loop takes mutex_ before anything else, so it starts only once it owns itself.
    std::lock_guard lock(mutex_);
    thread_ = std::thread([this] { Loop(); });
    owner_.BindTo(thread_.get_id());
}

EngineThread::~EngineThread() {
    Stop();
    if (thread_.joinable()) {
        thread_.detach();  // destroyed from one of its own tasks: the loop ends on its own
    }
    close(wake_fd_);
}

void EngineThread::Post(Task task) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        posted_.push_back(std::move(task));
    }
    Wake();
}

void EngineThread::PostDelayed(std::chrono::milliseconds delay, Task task) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        timers_.emplace(Clock::now() + delay, std::move(task));
    }
    Wake();
}

void EngineThread::RunAndWait(const Task& task) {
    if (IsCurrent()) {
        task();
        return;
    }
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        posted_.push_back([&task, done] {
            task();
            done->set_value();
        });
    }
    Wake();
    // A task dropped by Stop destroys its promise unfulfilled, which ends the wait too.
    try {
        finished.get();
    } catch (const std::future_error&) {
    }
}

void EngineThread::Watch(WatchedDescriptor* source) {
    owner_.Check();
    watched_ = source;
}

void EngineThread::Wake() {
    const std::uint64_t one = 1;
    // The counter only saturates after 2^64 - 2 wakes; a failed write leaves it non-zero.
    [[maybe_unused]] ssize_t written = write(wake_fd_, &one, sizeof one);
}

void EngineThread::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    Wake();
    if (thread_.joinable() && !IsCurrent()) {
        thread_.join();
        // The id of an ended thread may be handed to a new one.
        owner_.BindTo(std::thread::id());
    }
    std::vector<Task> dropped;
    std::multimap<Clock::time_point, Task> dropped_timers;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(posted_);
        dropped_timers.swap(timers_);
    }
}

int EngineThread::MillisecondsToNextTimer() {
    std::lock_guard lock(mutex_);
    if (!posted_.empty()) {
        return 0;
    }
    if (timers_.empty()) {
        return -1;
    }
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(timers_.begin()->first - Clock::now());
    return wait.count() < 0 ? 0 : static_cast<int>(wait.count());
}

void EngineThread::RunDueTasks() {
    std::vector<Task> ready;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        ready.swap(posted_);
        const auto now = Clock::now();
        while (!timers_.empty() && timers_.begin()->first <= now) {
            ready.push_back(std::move(timers_.begin()->second));
            timers_.erase(timers_.begin());
        }
    }
    for (Task& task : ready) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                return;
            }
        }
        task();
    }
}

void EngineThread::Loop() {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                return;
            }
        }
        pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {-1, 0, 0}};
        nfds_t count = 1;
        if (watched_ != nullptr) {
            const short wanted = watched_->WantedEvents();
            if (wanted != 0) {
                fds[1] = {watched_->Descriptor(), wanted, 0};
                count = 2;
            }
        }
        const int ready = poll(fds, count, MillisecondsToNextTimer());
        if (ready < 0 && errno != EINTR) {
            return;
        }
        if (ready > 0 && (fds[0].revents & POLLIN) != 0) {
            std::uint64_t counter = 0;
            [[maybe_unused]] ssize_t got = read(wake_fd_, &counter, sizeof counter);
        }
        if (ready > 0 && count == 2 && fds[1].revents != 0 && watched_ != nullptr) {
            watched_->OnEvents(fds[1].revents);
        }
        RunDueTasks();
    }
}

}  // namespace quillmoor::bridge
