// The engine's UI thread: where the scripted engine does its work and calls every handler
// of the program, in the order the work was asked for.
//
// With the settings' multi_threaded_message_loop the loop is a thread of the engine
// library's own; without it, the loop is the thread that initialised the engine, which
// runs the waiting work when it calls cef_do_message_loop_work (or cef_run_message_loop).
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/no_copy.h"
#include "platform/thread_owner.h"

namespace quillmoor::scripted_engine {

class TaskLoop {
  public:
    using Task = std::function<void()>;
    enum class Mode { kOwnThread, kCallersPump };

    TaskLoop();
    ~TaskLoop();  // stops the loop (never on the loop's own thread)
    QUILLMOOR_NO_COPY(TaskLoop);

    // Starts taking tasks: on a thread of its own, or on the calling thread's pump. A loop
    // that runs is not started again; false then.
    bool Start(Mode mode);
    bool Running() const;
    Mode CurrentMode() const;
    // True on the thread that runs the tasks.
    bool IsLoopThread() const { return owner_.IsCurrent(); }
    // Owns what belongs to the loop's thread: the thread that runs the tasks while the loop
    // runs, no thread once it has stopped. A method that belongs to the loop's thread
    // begins with Owner().Check().
    const ThreadOwner& Owner() const { return owner_; }

    // Any thread: task runs on the loop's thread after the tasks posted before it. A task
    // posted while the loop does not run is dropped (destroyed on the caller's thread).
    void Post(Task task);
    // Runs task on the loop's thread and waits for it; at once when called there. False when
    // the loop does not run, and in the pumped mode on any other thread (the loop runs only
    // inside its thread's pump, which a waiting caller could hold up for good).
    bool RunAndWait(const Task& task);

    // The pumped mode, on the loop's thread: runs the tasks waiting now and those they
    // post, up to a bound that keeps a task that posts itself again from holding the
    // caller for good. Returns the number run.
    int RunWaiting();
    // The pumped mode, on the loop's thread: runs tasks as they come until Quit.
    void RunUntilQuit();
    void Quit();

    // Drops the tasks not yet run, runs last on the loop's thread (in the pumped mode on
    // the caller's) and ends the loop; later posts are dropped. False on the loop's own
    // thread in the own-thread mode (it cannot wait for itself) or when it does not run.
    bool Stop(const Task& last);

  private:
    void ThreadMain();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> tasks_;
    bool running_ = false;
    bool stopping_ = false;
    bool quit_ = false;
    Mode mode_ = Mode::kOwnThread;
    ThreadOwner owner_;  // any thread (it is made for that)
    std::thread thread_;
};

}  // namespace quillmoor::scripted_engine
