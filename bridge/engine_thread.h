// The engine's UI thread of the Linux engine library: the one thread that reads the
// DevTools connection and runs every callback into the program, plus tasks that other
// threads post to it and tasks due after a delay.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/no_copy.h"
#include "platform/thread_owner.h"

namespace quillmoor::bridge {

// A file descriptor that the engine thread watches. The thread asks for the events the
// source wants before every wait and hands it what happened.
class WatchedDescriptor {
  public:
    virtual ~WatchedDescriptor() = default;
    virtual int Descriptor() const = 0;
    // poll() events wanted now (POLLIN, POLLOUT); 0 to be left out of this wait.
    virtual short WantedEvents() = 0;
    virtual void OnEvents(short revents) = 0;
};

class EngineThread {
  public:
    using Task = std::function<void()>;
    using Clock = std::chrono::steady_clock;

    EngineThread();
    ~EngineThread();  // stops the thread and drops the tasks that did not run
    QUILLMOOR_NO_COPY(EngineThread);

    // Runs task on the engine thread, after the tasks posted before it. Any thread.
    void Post(Task task);
    // Runs task on the engine thread once delay has passed. Any thread.
    void PostDelayed(std::chrono::milliseconds delay, Task task);
    // Posts task and waits until it has run; runs it at once on the engine thread itself.
    void RunAndWait(const Task& task);

    // Watches source from now on (nullptr: nothing). Engine thread only.
    void Watch(WatchedDescriptor* source);
    // Wakes the thread so that it asks the watched source again for its wanted events.
    void Wake();

    // Owns what belongs to the engine thread: its loop's thread while that runs, no thread
    // once Stop has ended it. A method that belongs to the engine thread begins with
    // Owner().Check().
    const ThreadOwner& Owner() const { return owner_; }
    bool IsCurrent() const { return owner_.IsCurrent(); }
    // Ends the loop after the task being run; later tasks are dropped. Returns once the
    // thread has ended, or at once when called on the engine thread itself.
    void Stop();

  private:
    void Loop();
    int MillisecondsToNextTimer();
    void RunDueTasks();

    std::mutex mutex_;
    // Any thread, under mutex_.
    std::vector<Task> posted_;
    std::multimap<Clock::time_point, Task> timers_;
    bool stopping_ = false;
    int wake_fd_ = -1;                      // eventfd; any thread
    WatchedDescriptor* watched_ = nullptr;  // engine thread only
    ThreadOwner owner_;                     // bound to thread_ before its loop starts
    std::thread thread_;                    // set once, under mutex_, by the constructor
};

}  // namespace quillmoor::bridge
