#include "tests/bridge/process_table.h"

#include "bridge/process_arguments_of.h"
#include "tests/bridge/waiting.h"

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace quillmoor::bridge_test {

namespace {

std::vector<pid_t> AllProcesses() {
    std::vector<pid_t> pids;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename();
        if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) {
            pids.push_back(static_cast<pid_t>(std::stol(name)));
        }
    }
    return pids;
}

// The state letter and parent from /proc/<pid>/stat; state 0 when the process has gone.
void StatusOf(pid_t pid, char& state, pid_t& parent) {
    state = 0;
    parent = 0;
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t end_of_name = text.rfind(')');
    if (end_of_name == std::string::npos || end_of_name + 4 > text.size()) {
        return;
    }
    state = text[end_of_name + 2];
    parent = static_cast<pid_t>(std::stol(text.substr(end_of_name + 4)));
}

bool IsLive(pid_t pid) {
    char state = 0;
    pid_t parent = 0;
    StatusOf(pid, state, parent);
    return state != 0 && state != 'Z' && state != 'X';
}

}  // namespace

std::vector<std::string> ArgumentsOf(pid_t pid) {
    return bridge::ArgumentsOfProcess(pid);
}

std::vector<pid_t> ProcessesWithArgumentContaining(const std::string& needle) {
    std::vector<pid_t> found;
    for (pid_t pid : AllProcesses()) {
        for (const std::string& argument : ArgumentsOf(pid)) {
            if (argument.find(needle) != std::string::npos) {
                if (IsLive(pid)) {
                    found.push_back(pid);
                }
                break;
            }
        }
    }
    return found;
}

pid_t ParentOf(pid_t pid) {
    char state = 0;
    pid_t parent = 0;
    StatusOf(pid, state, parent);
    return parent;
}

pid_t ChromiumChildOf(pid_t parent) {
    for (pid_t pid : ProcessesWithArgumentContaining("--remote-debugging-pipe")) {
        char state = 0;
        pid_t its_parent = 0;
        StatusOf(pid, state, its_parent);
        if (its_parent == parent) {
            return pid;
        }
    }
    return 0;
}

std::string SwitchValueOf(pid_t pid, const std::string& name) {
    const std::string prefix = "--" + name + "=";
    std::string value;
    for (const std::string& argument : ArgumentsOf(pid)) {
        if (argument.compare(0, prefix.size(), prefix) == 0) {
            value = argument.substr(prefix.size());
        }
    }
    return value;
}

bool WaitUntilNoProcessHas(const std::string& needle, std::chrono::milliseconds timeout) {
    return PollUntil([&] { return ProcessesWithArgumentContaining(needle).empty(); }, timeout);
}

void KillProcessesWith(const std::string& needle) {
    for (pid_t pid : ProcessesWithArgumentContaining(needle)) {
        kill(pid, SIGKILL);
    }
}

}  // namespace quillmoor::bridge_test
