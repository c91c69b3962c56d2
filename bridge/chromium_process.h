// One Chromium browser process started by the engine library, with the DevTools pipe as
// its descriptors 3 and 4.
//
// Chromium must not outlive the program: it ends by itself when the pipe closes, and it
// is also asked to be killed by the kernel when the thread that started it ends
// (PR_SET_PDEATHSIG), so start it from a thread that lives as long as it should.
// Chromium leads a process group of its own, which holds its helper processes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace quillmoor::bridge {

class ChromiumProcess {
  public:
    // Starts executable with arguments (argv[0] excluded) and environment (entries
    // "NAME=value"). Returns the process and, through pipe_descriptor, this side of the
    // pipe (a stream socket, close-on-exec); nullopt when the process could not be
    // started, with errno set.
    static std::optional<ChromiumProcess> Start(const std::string& executable,
                                                const std::vector<std::string>& arguments,
                                                const std::vector<std::string>& environment,
                                                int& pipe_descriptor);

    ChromiumProcess(ChromiumProcess&& other) noexcept;
    ChromiumProcess& operator=(ChromiumProcess&&) = delete;
    ChromiumProcess(const ChromiumProcess&) = delete;
    ~ChromiumProcess();  // ends the whole group and reaps the process if that is not done yet

    pid_t Pid() const { return pid_; }

    // Waits up to timeout for the browser process to end, without reaping it. True when it
    // has ended.
    bool WaitForExit(std::chrono::milliseconds timeout);
    // Ends the browser process and every process left in its group with SIGKILL, then
    // reaps the browser process. Returns its wait status; a second call returns the first
    // call's status.
    int EndAndReap();

    // "exited with code 3", "was ended by signal 11", for messages.
    static std::string DescribeStatus(int wait_status);

  private:
    explicit ChromiumProcess(pid_t pid) : pid_(pid) {}

    pid_t pid_ = -1;
    std::optional<int> status_;
};

}  // namespace quillmoor::bridge
