// The program's command line.
#pragma once

#include <string>
#include <vector>

namespace quillmoor {

class ProcessArguments {
  public:
    // The arguments that main received. On Windows the command line is taken from the
    // system instead (in UTF-16, as the user gave it), and argc/argv serve only as kept.
    ProcessArguments(int argc, char** argv);

    // Arguments given explicitly (tests); the first one is the program.
    explicit ProcessArguments(std::vector<std::u16string> arguments);

    // Every argument after the program's own path.
    const std::vector<std::u16string>& Arguments() const { return arguments_; }

    // What main received, as it received it (null when built from explicit arguments).
    int argc() const { return argc_; }
    char** argv() const { return argv_; }

  private:
    std::vector<std::u16string> arguments_;
    int argc_ = 0;
    char** argv_ = nullptr;
};

}  // namespace quillmoor
