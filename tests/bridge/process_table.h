// What the tests see of the processes on this machine, through /proc.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace quillmoor::bridge_test {

// The arguments a process was started with; empty when it has gone.
std::vector<std::string> ArgumentsOf(pid_t pid);
// Processes (zombies excluded) with an argument that contains needle.
std::vector<pid_t> ProcessesWithArgumentContaining(const std::string& needle);
// The parent of pid; 0 when it has gone.
pid_t ParentOf(pid_t pid);
// The child of parent started with --remote-debugging-pipe: the Chromium that the engine
// library runs; 0 when there is none.
pid_t ChromiumChildOf(pid_t parent);
// The value of "--name=" in the arguments of pid; empty when absent.
std::string SwitchValueOf(pid_t pid, const std::string& name);
// Waits until no live process has an argument containing needle.
bool WaitUntilNoProcessHas(const std::string& needle, std::chrono::milliseconds timeout);
// Kills (SIGKILL) every process with an argument containing needle.
void KillProcessesWith(const std::string& needle);

}  // namespace quillmoor::bridge_test
