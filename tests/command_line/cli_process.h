// The command line as a process for a test: started with arguments, its standard error
// (where it reports) read as it comes, stopped with a signal, waited for.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/no_copy.h"

namespace quillmoor::test_support {

class CliProcess {
  public:
    // Starts the command line with arguments, standard output and error into one log.
    CliProcess(const std::vector<std::string>& arguments, const std::filesystem::path& log);
    ~CliProcess();
    QUILLMOOR_NO_COPY(CliProcess);

    pid_t Pid() const { return pid_; }
    // Everything it has written so far.
    std::string Output() const;
    // Waits until its output holds text (true) or limit passes (false).
    bool WaitForOutput(const std::string& text, std::chrono::seconds limit) const;
    // Sends signal to it (the coordinator only).
    void Signal(int signal) const;
    // Its exit code; empty when it did not end within limit (it is killed then).
    std::optional<int> Wait(std::chrono::seconds limit);

  private:
    pid_t pid_ = 0;
    std::filesystem::path log_;
    bool waited_ = false;
};

struct CliRun {
    std::optional<int> exit_code;
    std::string output;
};

// A small page with a heading and a paragraph, extra_head inside its head.
std::string Page(const std::string& heading, const std::string& extra_head = "");

// Every file below root, by its path relative to root (with slashes), with its bytes, but
// the marker that a run leaves in its output folder; empty when root does not exist.
std::map<std::string, std::string> TreeOf(const std::filesystem::path& root);

// Runs the command line to its end (at most limit).
CliRun RunCli(const std::vector<std::string>& arguments, const std::filesystem::path& log,
              std::chrono::seconds limit = std::chrono::seconds(300));

}  // namespace quillmoor::test_support
