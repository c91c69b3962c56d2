// Runs the real program as a process for a test: a copy of it and its engine library in a
// folder of the test's, started from there.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillmoor::test_support {

struct ProgramRun {
    std::optional<int> exit_code;  // empty: it did not end in time and was killed
    std::string output;            // standard output and standard error together
};

// Copies the program (and, when with_engine, its engine library) into folder and runs it
// there with arguments, with the environment variables in environment set (an empty value
// removes the variable) and no display unless environment gives one. Waits up to limit.
ProgramRun RunProgramIn(const std::filesystem::path& folder,
                        const std::vector<std::string>& arguments,
                        const std::map<std::string, std::string>& environment, bool with_engine,
                        std::chrono::seconds limit);

}  // namespace quillmoor::test_support
