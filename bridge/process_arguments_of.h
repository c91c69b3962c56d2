// The arguments another process (or this one) was started with, as the system keeps them.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace quillmoor::bridge {

// From /proc/<pid>/cmdline; empty when the process has gone or cannot be read.
std::vector<std::string> ArgumentsOfProcess(pid_t pid);

}  // namespace quillmoor::bridge
