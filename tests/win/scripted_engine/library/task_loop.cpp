#include "tests/win/scripted_engine/library/task_loop.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <utility>

namespace quillmoor::scripted_engine {
namespace {

void RunCaught(const TaskLoop::Task& task) {
    try {
        task();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillmoor scripted engine: a task failed: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "quillmoor scripted engine: a task failed.\n");
    }
}

}  // namespace

TaskLoop::TaskLoop() {
    owner_.BindTo(std::thread::id());  // no thread until the loop starts
}

TaskLoop::~TaskLoop() {
    Stop([] {});
}

bool TaskLoop::Start(Mode mode) {
    std::lock_guard lock(mutex_);
    if (running_) {
        return false;
    }
    running_ = true;
    stopping_ = false;
    quit_ = false;
    mode_ = mode;
    if (mode == Mode::kOwnThread) {
        thread_ = std::thread([this] { ThreadMain(); });
        owner_.BindTo(thread_.get_id());
    } else {
        owner_.BindToCurrentThread();
    }
    return true;
}

bool TaskLoop::Running() const {
    std::lock_guard lock(mutex_);
    return running_ && !stopping_;
}

TaskLoop::Mode TaskLoop::CurrentMode() const {
    std::lock_guard lock(mutex_);
    return mode_;
}

void TaskLoop::Post(Task task) {
    {
        std::lock_guard lock(mutex_);
        if (running_ && !stopping_) {
            tasks_.push_back(std::move(task));
            changed_.notify_all();
            return;
        }
    }
    // Dropped here, outside the lock: what it holds is given back by this thread.
}

bool TaskLoop::RunAndWait(const Task& task) {
    {
        std::lock_guard lock(mutex_);
        if (!running_ || stopping_) {
            return false;
        }
    }
    if (IsLoopThread()) {
        RunCaught(task);
        return true;
    }
    if (CurrentMode() == Mode::kCallersPump) {
        return false;  // only the thread that pumps runs tasks: nobody else could wait for one
    }
    // The caller waits until the task has run, or has been dropped unrun (the loop stopped
    // first): either way until the last copy of it is gone, so that what the task refers to
    // on the caller's side is no longer used.
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool ran = false;
        bool gone = false;
    };
    struct Guard {
        std::shared_ptr<State> state;
        ~Guard() {
            std::lock_guard lock(state->mutex);
            state->gone = true;
            state->changed.notify_all();
        }
    };
    auto state = std::make_shared<State>();
    auto guard = std::make_shared<Guard>();
    guard->state = state;
    Post([guard, task] {
        RunCaught(task);
        std::lock_guard lock(guard->state->mutex);
        guard->state->ran = true;
    });
    guard.reset();
    std::unique_lock lock(state->mutex);
    state->changed.wait(lock, [&] { return state->gone; });
    return state->ran;
}

int TaskLoop::RunWaiting() {
    // A bound that work posted by the tasks themselves cannot outrun.
    constexpr int kMostTasks = 10000;
    int ran = 0;
    while (ran < kMostTasks) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            if (!running_ || stopping_ || tasks_.empty()) {
                break;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        RunCaught(task);
        ++ran;
    }
    return ran;
}

void TaskLoop::RunUntilQuit() {
    for (;;) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return quit_ || stopping_ || !tasks_.empty(); });
            if (quit_ || stopping_ || !running_) {
                quit_ = false;
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        RunCaught(task);
    }
}

void TaskLoop::Quit() {
    std::lock_guard lock(mutex_);
    quit_ = true;
    changed_.notify_all();
}

bool TaskLoop::Stop(const Task& last) {
    std::deque<Task> dropped;
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        if (!running_ || stopping_) {
            return false;
        }
        if (mode_ == Mode::kOwnThread && owner_.IsCurrent()) {
            return false;
        }
        dropped.swap(tasks_);
        stopping_ = true;
        if (mode_ == Mode::kOwnThread) {
            tasks_.push_back(last);
            thread = std::move(thread_);
        }
        changed_.notify_all();
    }
    dropped.clear();
    if (thread.joinable()) {
        thread.join();
    } else {
        RunCaught(last);
    }
    {
        std::lock_guard lock(mutex_);
        dropped.swap(tasks_);
        running_ = false;
        stopping_ = false;
        owner_.BindTo(std::thread::id());
    }
    return true;
}

void TaskLoop::ThreadMain() {
    for (;;) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !tasks_.empty(); });
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        RunCaught(task);
        std::lock_guard lock(mutex_);
        if (stopping_ && tasks_.empty()) {
            return;  // the last task has run
        }
    }
}

}  // namespace quillmoor::scripted_engine
